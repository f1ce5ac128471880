// The autosave journal of the catalogue window: one tagged text file per
// added or edited movie, kept until the catalogue is saved.
//
// Sections: entry names and the folder; what the journal knows (its entries
// read back, the movies of the catalogue file); writing an entry; the
// offer; the purge.
//
// Call tree of an entry:
//   WriteAutoSaveEntry -> Journal (the folder's entries, read once)
//        -> ReadSavedMovies (the catalogue file, again when it changed)
//        -> FindEditedMovie (edit) -> columns and blocks -> a free name
//        -> ScSaveFileSafely -> the movie's older entries removed
#include <cstring>
#include <map>

#include "app/Catalogue.h"
#include "app/FormBakDir.h"
#include "app/FormMain.h"
#include "app/StrUnit.h"
#include "platform/rtl/SysUtils.h"
#include "styled/ScFiles.h"

namespace {

AnsiString Checksum(std::string_view text) { return IntToHex(Fnv1a32(text), 8); }

// Longest base name kept as it is; UTF-8 names on disk may hold 255 bytes
// and a Korean character takes three of them for two here.
constexpr std::size_t kMaxEntryBase = 120;

bool IsJournalEntry(const AnsiString& name) {
  const AnsiString ext = UpperCase(ExtractFileExt(name));
  return ext == ".EDIT" || ext == ".ADD";
}

// The journal entries of a folder by file name, in the directory's order.
std::vector<AnsiString> JournalEntries(const AnsiString& folder) {
  std::vector<AnsiString> names;
  TSearchRec rec;
  if (FindFirst(folder + "/*.*", faAnyFile, rec) == 0) {
    do {
      if (!(rec.Attr & faDirectory) && IsJournalEntry(rec.Name)) names.push_back(rec.Name);
    } while (FindNext(rec) == 0);
  }
  FindClose(rec);
  return names;
}

}  // namespace

AnsiString TextBetween16(std::string_view text, std::string_view startMarker, std::string_view endMarker) {
  return TextBetween(text, startMarker, endMarker);
}

AnsiString JournalEntryName(const AnsiString& title) {
  AnsiString name = title;
  for (std::size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsLeadByte(c) && i + 1 < name.size()) {
      ++i;  // a two-byte character is never a separator
      continue;
    }
    // Characters no file name may hold on any disk the catalogue travels to.
    if (c < 0x20 || std::strchr("*/?\\|:<>\"", static_cast<char>(c))) name[i] = ' ';
  }
  name = Trim(name);
  bool cut = false;
  if (name.size() > kMaxEntryBase) {
    std::size_t end = 0;
    while (end < kMaxEntryBase) end += (IsLeadByte(static_cast<unsigned char>(name[end])) ? 2 : 1);
    if (end > kMaxEntryBase) end -= 2;
    name.resize(end);
    cut = true;
  }
  // A name that lost characters could meet another title's name: the
  // checksum of the whole title keeps them apart.
  if (cut || name != title) name += "~" + Checksum(title);
  return name;
}

AnsiString TFormMain::JournalFolder() const {
  const AnsiString name = ExtractFileName(CurrentDBFile);
  AnsiString folder = AppDir + "/AutoSave/" + name;
  // Two catalogues of the same name in different folders keep apart.
  if (CurrentDBFile != "NewDB") folder += "~" + Checksum(ExpandFileName(ExtractFileDir(CurrentDBFile)));
  return folder;
}

// What the journal knows while the window writes entries: the entries of
// its folder, and the movies of the catalogue file they stand against.
struct TJournalState {
  struct TEntry {
    AnsiString Key;  // "" for an entry that names its movie by title alone
    Int64 Number = 0;
    bool Add = false;
    AnsiString Title;
    AnsiString SavedTitle;
    std::vector<std::uint64_t> Cells;
  };
  struct TSavedMovie {
    AnsiString Title;
    AnsiString Key;
    std::vector<std::uint64_t> Cells;
  };
  AnsiString Folder;
  bool EntriesRead = false;
  std::map<AnsiString, TEntry> Entries;  // by file name
  AnsiString FileStamp;                  // the file the movies were read from, its size and time
  bool FileRead = false;                 // false: the file could not be read
  std::vector<TSavedMovie> Saved;        // in file order
};

namespace {

TJournalState::TEntry ReadJournalEntry(const AnsiString& name, const AnsiString& text) {
  TJournalState::TEntry entry;
  entry.Add = UpperCase(ExtractFileExt(name)) == ".ADD";
  entry.Title = TextBetween16(text, "[" + Cat::Title + "]", "[/" + Cat::Title + "]");
  if (!JournalBlock(text, kJournalPreviousTitle, entry.SavedTitle)) entry.SavedTitle = entry.Title;
  JournalMovieKeyOf(text, entry.Key, entry.Number);
  std::vector<AnsiString> values;
  for (const TCatalogueColumnDef& column : CatalogueColumns())
    values.push_back(TextBetween16(text, "[" + *column.Header + "]", "[/" + *column.Header + "]"));
  entry.Cells = JournalCellSums(values);
  return entry;
}

// The movies of the catalogue file, read again when the file changed.
void ReadSavedMovies(TJournalState& journal, const AnsiString& file) {
  const AnsiString stamp = file + "|" + IntToStr(FileSizeOf(file)) + "|" + FloatToStr(FileDateOf(file));
  if (journal.FileStamp == stamp) return;
  journal.FileStamp = stamp;
  journal.Saved.clear();
  journal.FileRead = file == "NewDB";
  if (journal.FileRead) return;
  TExColumnGrid grid(nullptr);
  SetupCatalogueGrid(grid);
  try {
    grid.LoadGridFile(file);
  } catch (const Exception&) {
    return;  // entries then go by title, as the file cannot tell
  }
  std::map<std::uint64_t, int> seen;
  for (int r = grid.FixedRows(); r < grid.RowCount(); ++r) {
    TJournalState::TSavedMovie movie;
    const std::vector<AnsiString> values = JournalMovieValues(grid, r);
    movie.Title = values[0];
    movie.Cells = JournalCellSums(values);
    const std::uint64_t sum = JournalMovieSum(movie.Cells);
    movie.Key = IntToHex(static_cast<Int64>(sum), 16) + "/" + IntToStr(++seen[sum]);
    journal.Saved.push_back(std::move(movie));
  }
  journal.FileRead = true;
}

int SameCells(const std::vector<std::uint64_t>& a, const std::vector<std::uint64_t>& b) {
  int same = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) same += a[i] == b[i];
  return same;
}

// The movie whose cells were these before an edit, and in own the file
// name of the entry it has: the movie whose entry holds exactly these
// values, else the movie of the file that had them, else the one of its
// title most like it among the movies no entry stands for yet and the
// entries. Found nowhere, it is one the file does not hold (Add, no key).
// Two movies that cannot be told apart leave the title alone (no key).
TJournalState::TEntry FindEditedMovie(const TJournalState& journal, const std::vector<std::uint64_t>& cells,
                                      const AnsiString& title, AnsiString& own) {
  for (const auto& [name, entry] : journal.Entries) {
    if (entry.Cells != cells) continue;
    own = name;
    return entry;
  }
  std::map<AnsiString, AnsiString> claimed;  // key, entry file
  for (const auto& [name, entry] : journal.Entries)
    if (!entry.Key.empty()) claimed[entry.Key] = name;
  const TJournalState::TSavedMovie* found = nullptr;
  for (const auto& saved : journal.Saved)
    if (saved.Cells == cells && (!found || (claimed.count(found->Key) && !claimed.count(saved.Key)))) found = &saved;
  int best = -1;
  bool tie = false;
  const std::pair<const AnsiString, TJournalState::TEntry>* likestEntry = nullptr;
  auto likest = [&](const AnsiString& candidateTitle, const std::vector<std::uint64_t>& candidateCells) {
    if (Trim(candidateTitle) != title) return false;
    const int same = SameCells(cells, candidateCells);
    tie = same == best || (tie && same < best);
    if (same <= best) return false;
    best = same;
    return true;
  };
  if (!found) {
    for (const auto& saved : journal.Saved)
      if (!claimed.count(saved.Key) && likest(saved.Title, saved.Cells)) found = &saved;
    for (const auto& named : journal.Entries)
      if (likest(named.second.Title, named.second.Cells)) likestEntry = &named, found = nullptr;
  }
  TJournalState::TEntry movie;
  if (tie || (best < 0 && !journal.FileRead)) {
    movie.SavedTitle = title;  // by title, as nothing tells more
  } else if (likestEntry) {
    own = likestEntry->first;
    movie = likestEntry->second;
  } else if (found) {
    movie.Key = found->Key;
    movie.SavedTitle = found->Title;
    if (auto it = claimed.find(found->Key); it != claimed.end()) own = it->second;
  } else {
    movie.Add = true;
  }
  return movie;
}

}  // namespace

TJournalState& TFormMain::Journal() {
  if (!journal_) journal_ = std::make_shared<TJournalState>();
  TJournalState& journal = *journal_;
  const AnsiString folder = JournalFolder();
  if (journal.Folder != folder || !journal.EntriesRead) {
    journal.Folder = folder;
    journal.Entries.clear();
    for (const AnsiString& name : JournalEntries(folder)) {
      // Read as the restore reads it, so the values compare alike.
      TStringList lines;
      try {
        lines.LoadFromFile(folder + "/" + name);
      } catch (const Exception&) {
        continue;
      }
      journal.Entries[name] = ReadJournalEntry(name, lines.Text());
    }
    journal.EntriesRead = true;
  }
  return journal;
}

void TFormMain::WriteAutoSaveEntry(int row, bool isAdd, const std::vector<AnsiString>& before) {
  const AnsiString folder = JournalFolder();
  if (!DirectoryExists(folder)) ForceDirectories(folder);
  if (!DirectoryExists(folder)) return;  // no journal without its folder: no message
  TJournalState& journal = Journal();
  const AnsiString title = CatalogueCell(*movie_Grid, Cat::Title, row);
  Int64 number = 0;
  for (const auto& [name, entry] : journal.Entries) number = std::max(number, entry.Number);
  ++number;

  AnsiString own;  // the file name of the movie's present entry
  TJournalState::TEntry movie;
  if (!isAdd) {
    ReadSavedMovies(journal, CurrentDBFile);
    const std::vector<AnsiString> values = before.empty() ? JournalMovieValues(*movie_Grid, row) : before;
    movie = FindEditedMovie(journal, JournalCellSums(values), Trim(values[0]), own);
  }
  if (isAdd || (movie.Add && own.empty())) {
    movie.Add = true;
    movie.Key = "+" + IntToStr(number);
  }
  const AnsiString ext = movie.Add ? ".ADD" : ".EDIT";

  // Every column of the catalogue in its file order, grouped or not: the
  // node buttons' column is none of them, and the grouped column, out of
  // the grid, stands at its own place with the row's own cell.
  TStringList lines;
  auto add = [&lines](const AnsiString& header, const AnsiString& value) {
    lines.Add("[" + header + "]");
    lines.Add(value);
    lines.Add("[/" + header + "]");
  };
  TGridColumnCollection* columns = movie_Grid->Columns();
  const int grouped = GridGrouped ? groupedColumn_ : -1;
  const int count = columns->Count() - (GridGrouped ? 1 : 0);
  for (int c = 0; c < count + (grouped >= 0 ? 1 : 0); ++c) {
    if (c == grouped) {
      const AnsiString& header = movie_Grid->GroupColumnHeader();
      add(header, CatalogueCell(*movie_Grid, header, row));
      continue;
    }
    const int index = GridGrouped ? (grouped >= 0 && c > grouped ? c : c + 1) : c;
    TGridColumnItem* item = columns->Items(index);
    add(item->Rows(0), item->Rows(row));
  }
  if (!movie.Add && movie.SavedTitle != title) add(kJournalPreviousTitle, movie.SavedTitle);
  if (!movie.Key.empty()) add(kJournalMovieKey, movie.Key + " " + IntToStr(number));

  // The entry's name is the title's; a name that another movie's entry
  // holds (a remake of the same title) takes a number after it.
  const AnsiString base = JournalEntryName(title);
  AnsiString name = base + ext;
  for (int n = 2;; ++n) {
    if (!own.empty() && SameText(name, own)) {
      name = own;  // the same file, also when only letter case differs
      break;
    }
    if (!journal.Entries.count(name) && !FileExists(folder + "/" + name)) break;
    name = base + "~" + IntToStr(n) + ext;
  }
  try {
    // Whole or not at all: a crash while writing leaves the previous entry.
    ScSaveFileSafely(folder + "/" + name, lines.Text());
  } catch (const Exception&) {
    return;  // the add or edit itself stands; the journal is a safety net
  }
  // The movie's older entries go: the one it had, and any a crash left.
  for (auto it = journal.Entries.begin(); it != journal.Entries.end();) {
    const bool older = it->first != name && (it->first == own || (!movie.Key.empty() && it->second.Key == movie.Key));
    if (older) DeleteFile(folder + "/" + it->first);
    it = older ? journal.Entries.erase(it) : std::next(it);
  }
  movie.Title = title;
  movie.Number = number;
  movie.Cells = JournalCellSums(JournalMovieValues(*movie_Grid, row));
  journal.Entries[name] = std::move(movie);
}

void TFormMain::OfferAutoSaveRestore() {
  const AnsiString folder = JournalFolder();
  if (!DirectoryExists(folder)) return;
  const std::vector<AnsiString> names = JournalEntries(folder);
  if (names.empty()) return;
  // The question and the restore dialog stand over the grid: a busy text
  // left behind them would say that work goes on while the program waits.
  HideBusy();
  if (MessageDlg("DB에 저장 되지 않은 영화정보가 있습니다. 복원 합니까.?"_k, mtInformation, mbYesNo) == mrNo)
    return;
  auto dialog = std::make_unique<TFormBakDir>(Application, movie_Grid);
  dialog->JournalFolder = folder;
  for (const AnsiString& name : names) dialog->ScListBox1->Items()->Add(name);
  dialog->ShowModal();
  if (dialog->ScButton2->Caption() == "닫기"_k) DBModified = true;
}

void TFormMain::PurgeAutoSaveFolder(const AnsiString& folder) {
  if (journal_) journal_->EntriesRead = false;
  if (!DirectoryExists(folder)) return;
  const std::vector<AnsiString> names = JournalEntries(folder);
  for (const AnsiString& name : names) DeleteFile(folder + "/" + name);
  // What a write of an entry killed on its way left: the entry's name and
  // the temporary mark (ScSaveFileSafely's).
  DeleteStaleTemporaryFiles(
      folder,
      [](std::string_view name) {
        constexpr std::string_view kMark = ".tmp~";
        return name.size() > kMark.size() && name.ends_with(kMark) &&
               IsJournalEntry(AnsiString(name.substr(0, name.size() - kMark.size())));
      },
      0);
  RemoveDir(folder);  // stays when other files remain in it
}
