// The autosave journal of the catalogue window: one tagged text file per
// added or edited movie, kept until the catalogue is saved.
#include <cstring>

#include "app/Catalogue.h"
#include "app/FormBakDir.h"
#include "app/FormMain.h"
#include "app/StrUnit.h"
#include "platform/rtl/SysUtils.h"
#include "styled/ScFiles.h"

namespace {

// FNV-1a: a short, stable checksum that tells names apart.
AnsiString Checksum(std::string_view text) {
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 16777619u;
  }
  return IntToHex(hash, 8);
}

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

void TFormMain::WriteAutoSaveEntry(int row, bool isAdd, const AnsiString& previousTitle) {
  const AnsiString folder = JournalFolder();
  if (!DirectoryExists(folder)) ForceDirectories(folder);
  if (!DirectoryExists(folder)) return;  // no journal without its folder: no message
  const AnsiString title = CatalogueCell(*movie_Grid, Cat::Title, row);
  const AnsiString ext = isAdd ? ".ADD" : ".EDIT";
  const AnsiString file = folder + "/" + JournalEntryName(title) + ext;

  // An edit that renamed the movie replaces the entry of its old title and
  // carries the title the catalogue file knows, so the restore finds it.
  AnsiString original;
  if (!isAdd && !previousTitle.empty() && previousTitle != title) {
    original = previousTitle;
    const AnsiString oldFile = folder + "/" + JournalEntryName(previousTitle) + ext;
    if (FileExists(oldFile)) {
      TStringList old;
      try {
        old.LoadFromFile(oldFile);
        AnsiString carried = TextBetween16(old.Text(), "[" + kJournalPreviousTitle + "]",
                                           "[/" + kJournalPreviousTitle + "]");
        if (!carried.empty()) original = carried;
      } catch (const Exception&) {
      }
    }
  }

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
  if (!original.empty()) {
    lines.Add("[" + kJournalPreviousTitle + "]");
    lines.Add(original);
    lines.Add("[/" + kJournalPreviousTitle + "]");
  }
  try {
    // Whole or not at all: a crash while writing leaves the previous entry.
    ScSaveFileSafely(file, lines.Text());
  } catch (const Exception&) {
    return;  // the add or edit itself stands; the journal is a safety net
  }
  if (!original.empty()) {
    const AnsiString oldFile = folder + "/" + JournalEntryName(previousTitle) + ext;
    if (oldFile != file) DeleteFile(oldFile);
  }
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
  if (!DirectoryExists(folder)) return;
  const std::vector<AnsiString> names = JournalEntries(folder);
  for (const AnsiString& name : names) DeleteFile(folder + "/" + name);
  RemoveDir(folder);  // stays when other files remain in it
}
