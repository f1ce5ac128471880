#include "app/FormBakDir.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "app/Catalogue.h"
#include "app/FormMain.h"
#include "platform/rtl/SysUtils.h"

const AnsiString kJournalPreviousTitle = "<이전제목>"_k;
const AnsiString kJournalMovieKey = "<영화구분>"_k;

TFormBakDir::TFormBakDir(TComponent* owner, TExColumnGrid* catalogue) : TForm(owner), catalogue_(catalogue) {
  SetCaption("영화정보 복원"_k);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientWidth(360);
  SetClientHeight(324);
  Font()->SetName("굴림"_k);
  Font()->SetSize(9);
  auto* label = new TLabel(this);
  label->SetParent(this);
  label->SetCaption("저장되지 않은 영화정보"_k);
  label->SetBounds(10, 8, 340, 16);
  ScListBox1 = new TListBox(this);
  ScListBox1->SetParent(this);
  ScListBox1->SetBounds(10, 28, 340, 150);
  SkippedLabel = new TLabel(this);
  SkippedLabel->SetParent(this);
  SkippedLabel->SetAutoSize(false);
  SkippedLabel->SetWordWrap(true);
  SkippedLabel->SetBounds(10, 184, 340, 70);
  ProgressBar1 = new TProgressBar(this);
  ProgressBar1->SetParent(this);
  ProgressBar1->SetBounds(10, 260, 340, 16);
  ScButton1 = new TButton(this);
  ScButton1->SetParent(this);
  ScButton1->SetCaption("복원"_k);
  ScButton1->SetBounds(184, 286, 80, 28);
  ScButton1->OnClick = [this](TObject* s) { ScButton1Click(s); };
  ScButton2 = new TButton(this);
  ScButton2->SetParent(this);
  ScButton2->SetCaption("취소"_k);
  ScButton2->SetBounds(270, 286, 80, 28);
  ScButton2->OnClick = [this](TObject* s) { ScButton2Click(s); };
}

namespace {

// 0 for ".ADD", 1 for ".EDIT", 2 for ".DEL", -1 for anything else.
int EntryKind(const AnsiString& name) {
  const AnsiString ext = UpperCase(ExtractFileExt(name));
  if (ext == ".ADD") return 0;
  if (ext == ".EDIT") return 1;
  if (ext == ".DEL") return 2;
  return -1;
}

// Whether text holds "[header]" and, after it, "[/header]".
bool HasBlock(std::string_view text, const AnsiString& header) {
  const std::size_t start = text.find("[" + header + "]");
  return start != std::string_view::npos && text.find("[/" + header + "]", start + header.size() + 2) != std::string_view::npos;
}

// Why an entry was left out; kRestored for one that was not. kSuperseded:
// another entry of the same movie was restored instead.
enum TSkip { kRestored, kUnreadable, kNotFound, kUnclear, kSuperseded };

struct TEntry {
  AnsiString Name;
  int Kind = -1;
  AnsiString Text;
  AnsiString Title;
  AnsiString SavedTitle;  // the title in the catalogue file
  AnsiString Key;         // the movie key, "" for an entry without one
  AnsiString Saved;       // the key of a movie of the catalogue file
  Int64 Number = 0;
  int Row = -1;
  TSkip Skip = kRestored;
};

void ReadEntry(TEntry& entry, const AnsiString& folder, TGridColumnCollection& columns) {
  TStringList file;
  try {
    file.LoadFromFile(folder + entry.Name);
  } catch (const Exception&) {
    entry.Skip = kUnreadable;  // went away or cannot be read
    return;
  }
  entry.Text = file.Text();
  // Every entry names its movie; without that block it is not an entry
  // (a damaged file), and restoring it would add an empty movie.
  if (!HasBlock(entry.Text, Cat::Title)) {
    entry.Skip = kUnreadable;
    return;
  }
  entry.Title = TextBetween16(entry.Text, "[" + Cat::Title + "]", "[/" + Cat::Title + "]");
  if (entry.Kind == 0 && entry.Title.empty()) {
    bool anyValue = false;
    for (int c = 0; c < columns.Count() && !anyValue; ++c) {
      const AnsiString header = columns.Items(c)->Rows(0);
      anyValue = !header.empty() && !TextBetween16(entry.Text, "[" + header + "]", "[/" + header + "]").empty();
    }
    if (!anyValue) {
      entry.Skip = kUnreadable;
      return;
    }
  }
  if (!JournalBlock(entry.Text, kJournalPreviousTitle, entry.SavedTitle)) entry.SavedTitle = entry.Title;
  if (JournalMovieKeyOf(entry.Text, entry.Key, entry.Number) && !entry.Key.empty() && entry.Key[0] != '+' &&
      entry.Key.find('/') != AnsiString::npos)
    entry.Saved = entry.Key;
}

// One sentence for each reason that left entries out, naming them.
AnsiString SkippedNote(const std::vector<TEntry>& entries) {
  static const char* const kReasons[] = {"", "읽을 수 없는 항목", "영화를 찾을 수 없는 항목",
                                         "같은 제목의 영화가 여럿이라 어느 영화인지 알 수 없는 항목",
                                         "같은 영화를 다른 항목으로 복원한 항목"};
  AnsiString note;
  for (int reason = kUnreadable; reason <= kSuperseded; ++reason) {
    AnsiString names;
    int n = 0;
    for (const TEntry& entry : entries) {
      if (entry.Skip != reason) continue;
      names += (n++ ? ", " : "") + entry.Name;
    }
    if (n == 0) continue;
    if (!note.empty()) note += "\r\n";
    note += Utf8ToCp949(kReasons[reason]) + Format(" %d개는 건너뛰었습니다: "_k, {n}) + names;
  }
  return note;
}

}  // namespace

bool JournalBlock(std::string_view text, const AnsiString& marker, AnsiString& value) {
  const AnsiString start = "[" + marker + "]";
  const std::size_t from = text.rfind(start);
  if (from == std::string_view::npos) return false;
  const std::size_t end = text.find("[/" + marker + "]", from + start.size());
  if (end == std::string_view::npos) return false;
  value = Trim(AnsiString(text.substr(from + start.size(), end - from - start.size())));
  return true;
}

bool JournalMovieKeyOf(std::string_view text, AnsiString& key, Int64& number) {
  AnsiString block;
  if (!JournalBlock(text, kJournalMovieKey, block)) return false;
  const std::size_t blank = block.find(' ');
  key = block.substr(0, blank);
  number = blank == AnsiString::npos ? 0 : StrToInt64Def(Trim(block.substr(blank + 1)), 0);
  return true;
}

std::vector<AnsiString> JournalMovieValues(TExColumnGrid& grid, int row) {
  std::vector<AnsiString> values;
  for (const TCatalogueColumnDef& column : CatalogueColumns()) values.push_back(CatalogueCell(grid, *column.Header, row));
  return values;
}

std::vector<std::uint64_t> JournalCellSums(const std::vector<AnsiString>& values) {
  std::vector<std::uint64_t> sums;
  // 64 bits: a collection's cells never meet by chance.
  for (const AnsiString& value : values) sums.push_back(Fnv1a64(Trim(value)));
  return sums;
}

std::uint64_t JournalMovieSum(const std::vector<std::uint64_t>& cells) {
  // Each cell's sum as its eight bytes, lowest first, whatever the machine.
  std::uint64_t hash = kFnv1a64Start;
  for (const std::uint64_t cell : cells) {
    char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((cell >> (8 * i)) & 0xFF);
    hash = Fnv1a64(std::string_view(bytes, sizeof bytes), hash);
  }
  return hash;
}

void TFormBakDir::ScButton1Click(TObject*) {
  TExColumnGrid& grid = *catalogue_;
  TGridColumnItem* titleColumn = grid.ColumnByName(Cat::Title);
  TGridColumnCollection* columns = grid.Columns();
  const int count = ScListBox1->Items()->Count();
  std::vector<TEntry> entries;
  for (int i = 0; i < count; ++i) {
    TEntry entry;
    entry.Name = ScListBox1->Items()->Strings(i);
    entry.Kind = EntryKind(entry.Name);
    entries.push_back(std::move(entry));
  }
  std::stable_sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) { return a.Kind < b.Kind; });

  grid.BeginUpdate();
  ScButton1->SetEnabled(false);
  ProgressBar1->SetPosition(0);
  ProgressBar1->SetMax(count);
  for (TEntry& entry : entries) ReadEntry(entry, IncludeTrailingPathDelimiter(JournalFolder), *columns);

  // Of two entries of one movie (a crash between writing the new one and
  // removing the old) the newer stands.
  std::map<AnsiString, TEntry*> newest;
  for (TEntry& entry : entries) {
    if (entry.Skip != kRestored || entry.Key.empty()) continue;
    TEntry*& kept = newest[entry.Key];
    if (kept && kept->Number >= entry.Number) {
      entry.Skip = kSuperseded;
      continue;
    }
    if (kept) kept->Skip = kSuperseded;
    kept = &entry;
  }

  // The movies of the catalogue file by their checksum, in file order.
  std::map<std::uint64_t, std::vector<int>> savedRows;
  for (int r = grid.FixedRows(); r < grid.RowCount(); ++r)
    savedRows[JournalMovieSum(JournalCellSums(JournalMovieValues(grid, r)))].push_back(r);

  auto fill = [&](const TEntry& entry, int row) {
    if (titleColumn) titleColumn->SetRows(row, entry.Title);
    for (int c = 0; c < columns->Count(); ++c) {
      TGridColumnItem* item = columns->Items(c);
      const AnsiString header = item->Rows(0);
      if (item == titleColumn || header.empty()) continue;
      item->SetRows(row, TextBetween16(entry.Text, "[" + header + "]", "[/" + header + "]"));
    }
  };
  int done = 0;
  for (TEntry& entry : entries) {
    if (entry.Skip != kRestored || entry.Kind != 0) continue;
    grid.AddRow();
    fill(entry, grid.RowCount() - 1);
    ProgressBar1->SetPosition(++done);
  }

  // Every edit and delete finds its movie before any of them changes one:
  // first those that name their movie by its key, then those that go by
  // their title alone, which must be the only movie of that title and one
  // no other entry took.
  std::set<int> taken;
  for (int pass = 0; pass < 2; ++pass) {
    for (TEntry& entry : entries) {
      if (entry.Skip != kRestored || entry.Kind == 0 || entry.Saved.empty() != (pass == 1)) continue;
      if (pass == 0) {
        const std::size_t slash = entry.Saved.find('/');
        const auto rows = savedRows.find(std::strtoull(entry.Saved.c_str(), nullptr, 16));
        const std::size_t place = static_cast<std::size_t>(StrToIntDef(entry.Saved.substr(slash + 1), 0));
        if (rows != savedRows.end() && place >= 1 && place <= rows->second.size()) {
          entry.Row = rows->second[place - 1];
          taken.insert(entry.Row);
          continue;
        }
        // The file is not the one the entry was made on: by title, as below.
      }
      int found = 0;
      for (int r = grid.FixedRows(); r < grid.RowCount() && titleColumn; ++r) {
        if (!SameText(Trim(titleColumn->Rows(r)), entry.SavedTitle)) continue;
        ++found;
        entry.Row = r;
      }
      if (found != 1 || taken.count(entry.Row)) {
        entry.Skip = found == 0 ? kNotFound : found > 1 ? kUnclear : kSuperseded;
        continue;
      }
      taken.insert(entry.Row);
    }
  }
  std::vector<int> deleted;
  for (TEntry& entry : entries) {
    if (entry.Skip != kRestored || entry.Kind == 0) continue;
    if (entry.Kind == 2)
      deleted.push_back(entry.Row);
    else
      fill(entry, entry.Row);
    ProgressBar1->SetPosition(++done);
  }
  // From the bottom up, so the rows still to go keep their numbers.
  std::sort(deleted.rbegin(), deleted.rend());
  for (int row : deleted) grid.RemoveRows(row, 1);

  ScButton2->SetCaption("닫기"_k);
  SkippedLabel->SetCaption(SkippedNote(entries));
  grid.EndUpdate();
}

void TFormBakDir::ScButton2Click(TObject*) { SetModalResult(mrCancel); }
