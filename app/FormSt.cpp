// Sections:
//   value lists ..... the Config/*.List files of the editor's word boxes
//   file table ...... the 15-column table of the editor and this dialog
//   building ........ two pages, status pane, buttons
//   show and probe .. FormShow, ScButton1Click
#include "app/FormSt.h"

#include "app/Catalogue.h"
#include "app/vdAviInfo.h"
#include "platform/rtl/SysUtils.h"
#include "styled/ScFiles.h"
#include "styled/ScLook.h"

// ---------------------------------------------------------------- value lists

AnsiString ValueListFileName(const AnsiString& name) {
  return IncludeTrailingPathDelimiter(AppDir()) + "Config/" + name;
}

void LoadValueList(TStrings& items, const AnsiString& fileName) {
  if (!FileExists(fileName)) return;
  try {
    TStringList values;
    values.LoadFromFile(fileName);
    items.Assign(&values);
  } catch (const Exception&) {
    // An unreadable list offers what the box had; typing still works.
  }
}

void SaveValueList(const TStrings& items, const AnsiString& fileName) {
  const AnsiString folder = ExtractFileDir(fileName);
  if (!folder.empty() && !DirectoryExists(folder)) ForceDirectories(folder);
  ScSaveFileSafely(fileName, items.Text());
}

int ExactIndexOf(const TStrings& items, const AnsiString& value) {
  for (int i = 0; i < items.Count(); ++i)
    if (items.Strings(i) == value) return i;
  return -1;
}

void AddUnlistedValue(TComboBox& box, const AnsiString& fileName) {
  const AnsiString value = box.Text();
  // A box left empty (or holding blanks only) names no value: a blank
  // line in the list would offer the user nothing to choose.
  if (Trim(value).empty() || ExactIndexOf(*box.Items(), value) >= 0) return;
  box.Items()->Add(value);
  // Adding an item may clear the text of some box styles; the user's
  // choice stays what it was.
  box.SetText(value);
  try {
    SaveValueList(*box.Items(), fileName);
  } catch (const Exception&) {
    // The list is an aid to typing: a full disk or a read-only folder must
    // not stand between the user and the movie being saved.
  }
}

namespace {

bool SameItems(const TStrings& items, const std::vector<AnsiString>& values) {
  if (items.Count() != static_cast<int>(values.size())) return false;
  for (int i = 0; i < items.Count(); ++i)
    if (items.Strings(i) != values[static_cast<std::size_t>(i)]) return false;
  return true;
}

std::vector<AnsiString> ItemsOf(const TStrings& items) {
  std::vector<AnsiString> values;
  values.reserve(static_cast<std::size_t>(items.Count()));
  for (int i = 0; i < items.Count(); ++i) values.push_back(items.Strings(i));
  return values;
}

}  // namespace

bool TValueListWatch::Current(const TStrings& items, const AnsiString& fileName, const TFileStamp& folder) const {
  if (!known_ || fileName != fileName_ || !SameItems(items, items_)) return false;
  // A missing file appears, under any letter case, by a change of its
  // folder: one look at the folder instead of a search of it.
  if (!file_.Exists) return folder_.Exists && folder_.Unchanged(folder);
  return file_.Unchanged(FileStampOf(fileName));
}

void TValueListWatch::Load(TStrings& items, const AnsiString& fileName, const TFileStamp& folder) {
  if (Current(items, fileName, folder)) return;
  // Stamped before reading: a change while it is read shows next time.
  folder_ = folder;
  file_ = FileStampOf(fileName);
  TStringList values;
  if (file_.Exists) {
    try {
      values.LoadFromFile(fileName);
    } catch (const Exception&) {
      // An unreadable list offers nothing; typing still works.
      values.Clear();
    }
  }
  // Filling a box lays it out again: only a list that differs is put in.
  if (!SameItems(items, ItemsOf(values))) items.Assign(&values);
  fileName_ = fileName;
  items_ = ItemsOf(items);
  known_ = true;
}

// ---------------------------------------------------------------- file table

void SetupFileTable(TExColumnGrid& grid) {
  grid.BeginUpdate();
  grid.SetEnableHTML(false);
  grid.SetColCount(kFileColumnCount);
  grid.SetRowCount(2);
  grid.SetFixedRows(1);
  grid.SetFixedCols(0);
  // Without a fixed column the first scrolling column is the file name.
  grid.SetLeftCol(0);
  grid.SetDefaultRowHeight(20);
  TGridOptions options = grid.Options();
  options.insert(goRowSelect);
  options.insert(goColSizing);
  grid.SetOptions(options);
  grid.MouseActions()->SetDisjunctRowSelect(true);
  for (int c = 0; c < kFileColumnCount; ++c) {
    TGridColumnItem* item = grid.Columns()->Items(c);
    item->SetHeader(FileColumnPairs()[static_cast<std::size_t>(c)].FileTableHeader);
    item->SetName(item->Header());
    // The name is what the user reads; the codec names come next.
    item->SetWidth(c == 0 ? 200 : (c == 3 || c == 4 ? 120 : 76));
    item->SetReadOnly(true);
    // Names, sizes and rates read with their points in a Latin face
    // (Hangul still falls back to the Korean one).
    item->Font()->SetName("Tahoma");
  }
  grid.EndUpdate();
}

AnsiString FileTableCell(TExColumnGrid& grid, const AnsiString& header, int row) {
  TGridColumnItem* item = grid.ColumnByName(header);
  return item ? item->Rows(row) : AnsiString();
}

void SetFileTableCell(TExColumnGrid& grid, const AnsiString& header, int row, const AnsiString& value) {
  if (TGridColumnItem* item = grid.ColumnByName(header)) item->SetRows(row, value);
}

int NextFileTableRow(TExColumnGrid& grid) {
  if (grid.RowCount() <= grid.FixedRows()) grid.AddRow();
  int row = grid.RowCount() - 1;
  if (!Trim(FileTableCell(grid, Cat::FileName, row)).empty()) {
    grid.AddRow();
    row = grid.RowCount() - 1;
  }
  return row;
}

int NextFileTableRows(TExColumnGrid& grid, int count) {
  const int first = NextFileTableRow(grid);
  if (count > 1) {
    // Rows added one by one re-size the grid once per row.
    const int at = grid.RowCount();
    grid.InsertRows(at, count - 1);
    grid.ClearRows(at, count - 1);
  }
  return first;
}

// ---------------------------------------------------------------- building

namespace {

constexpr int kClientWidth = 620;
constexpr int kClientHeight = 380;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 84;
constexpr int kStatusHeight = 22;

const AnsiString& UnknownWord() {
  static const AnsiString word = "모름"_k;
  return word;
}

}  // namespace

TFormSt::TFormSt(TComponent* owner) : TForm(owner) {
  SetName("FormSt");
  SetCaption("파일정보"_k);
  ScApplyLook(this);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientWidth(kClientWidth);
  SetClientHeight(kClientHeight);

  SP = new TScStatusPane(this);
  SP->SetName("SP");
  SP->SetParent(this);
  SP->SetAlign(alBottom);
  SP->SetHeight(kStatusHeight);
  SP->SetAlignment(taLeftJustify);
  SP->SetCaption("");

  const int buttonTop = kClientHeight - kStatusHeight - kMargin - ScLook::kButtonHeight;
  CancelButton = new TScButton(this);
  CancelButton->SetName("CancelButton");
  CancelButton->SetParent(this);
  CancelButton->SetBounds(kClientWidth - kMargin - kButtonWidth, buttonTop, kButtonWidth, ScLook::kButtonHeight);
  CancelButton->SetCaption("취소"_k);
  CancelButton->SetCancel(true);
  CancelButton->SetModalResult(mrCancel);
  ScButton1 = new TScButton(this);
  ScButton1->SetName("ScButton1");
  ScButton1->SetParent(this);
  ScButton1->SetBounds(CancelButton->Left() - 6 - kButtonWidth, buttonTop, kButtonWidth, ScLook::kButtonHeight);
  ScButton1->SetCaption("확인"_k);
  ScButton1->SetDefault(true);
  ScButton1->OnClick = [this](TObject* s) { ScButton1Click(s); };

  page = new TScPageControl(this);
  page->SetName("page");
  page->SetParent(this);
  page->SetBounds(kMargin, kMargin, kClientWidth - 2 * kMargin, buttonTop - 2 * kMargin);
  WordSheet = new TScTabSheet(this);
  WordSheet->SetName("WordSheet");
  WordSheet->SetCaption("정보 선택"_k);
  WordSheet->SetPageControl(page);
  ProbeSheet = new TScTabSheet(this);
  ProbeSheet->SetName("ProbeSheet");
  ProbeSheet->SetCaption("파일 정보"_k);
  ProbeSheet->SetPageControl(page);
  BuildWordPage();
  BuildProbePage();
  page->SetActivePageIndex(0);
  OnShow = [this](TObject* s) { FormShow(s); };
}

TFormSt::~TFormSt() {
  // The handlers of the owned controls point into this form.
  DestroyComponents();
}

void TFormSt::BuildWordPage() {
  // Three word boxes side by side above the list of files.
  const int boxWidth = 180, gap = 12;
  auto wordBox = [&](const char* name, const AnsiString& caption, int index) {
    const int left = kMargin + index * (boxWidth + gap);
    auto* label = new TScLabel(this);
    label->SetParent(WordSheet);
    label->SetCaption(caption);
    label->SetBounds(left, kMargin, boxWidth, 16);
    auto* box = new TScComboBox(this);
    box->SetName(name);
    box->SetParent(WordSheet);
    box->SetBounds(left, kMargin + 18, boxWidth, ScLook::kFieldHeight);
    box->SetDropDownCount(16);
    return box;
  };
  HInfo = wordBox("HInfo", "화질"_k, 0);
  RInfo = wordBox("RInfo", "릴"_k, 1);
  LInfo = wordBox("LInfo", "언어"_k, 2);

  auto* listLabel = new TScLabel(this);
  listLabel->SetParent(WordSheet);
  listLabel->SetCaption("정보를 가져올 파일"_k);
  listLabel->SetBounds(kMargin, kMargin + 52, 300, 16);
  FileList = new TScListBox(this);
  FileList->SetName("FileList");
  FileList->SetParent(WordSheet);
  const int top = kMargin + 70;
  FileList->SetBounds(kMargin, top, page->ClientWidth() - 2 * kMargin, page->ClientHeight() - top - kMargin);
  FileList->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
  // A folder's files differ in little more than their names.
  FileList->SetUniformItems(true);
}

void TFormSt::BuildProbePage() {
  FileGrid = new TExColumnGrid(this);
  FileGrid->SetName("FileGrid");
  FileGrid->SetParent(ProbeSheet);
  FileGrid->SetAlign(alClient);
  SetupFileTable(*FileGrid);
}

// ---------------------------------------------------------------- show and probe

TFormSt& TFormSt::Shared() {
  // Owned by the application, freed with it.
  static TFormSt* dialog = new TFormSt(Application);
  return *dialog;
}

void TFormSt::Reset() {
  // Called before and after every add: each part is reset only when it is
  // not already, as every change of a shown widget lays it out again.
  AddUnlistedValues = false;
  if (page->ActivePageIndex() != 0) page->SetActivePageIndex(0);
  if (FileList->Items()->Count() > 0) FileList->Items()->Clear();
  // The word boxes are left to FormShow, which fills them from their files
  // (a list whose file went missing offers nothing, as in a dialog just
  // built) and sets their words.
  FileGrid->BeginUpdate();
  if (FileGrid->RowCount() != FileGrid->FixedRows() + 1) FileGrid->SetRowCount(FileGrid->FixedRows() + 1);
  FileGrid->ClearRows(FileGrid->FixedRows(), 1);
  FileGrid->ClearRowSelect();
  FileGrid->EndUpdate();
  if (!SP->Caption().empty()) SP->SetCaption("");
  batch_ = TMediaBatch();
  SetModalResult(mrNone);
  // The dialog is activated as when it was first shown, by the window
  // system; not at once, by showing it with the focus put back into the
  // box the last add left it in.
  SetActiveControl(nullptr);
}

int TFormSt::GuessWord(const TStrings& items, const AnsiString& path) {
  const AnsiString upperPath = UpperCase(path);
  for (int i = 0; i < items.Count(); ++i) {
    const AnsiString word = UpperCase(items.Strings(i));
    // An empty word would be found after any "-" or ".".
    if (Trim(word).empty()) continue;
    for (const char* prefix : {"-", ".", " ", "_"})
      if (AnsiPos(prefix + word, upperPath) > 0) return i;
  }
  return -1;
}

void TFormSt::FormShow(TObject*) {
  const TFileStamp folder = FileStampOf(ExtractFileDir(ValueListFileName("")));
  qualityList_.Load(*HInfo->Items(), ValueListFileName("화질.List"_k), folder);
  releaseList_.Load(*RInfo->Items(), ValueListFileName("릴.List"_k), folder);
  languageList_.Load(*LInfo->Items(), ValueListFileName("언어.List"_k), folder);
  for (TScComboBox* box : {HInfo, RInfo, LInfo}) {
    // Setting a box's text lays it out again, even to the text it has.
    const int index = box->Items()->IndexOf(UnknownWord());
    if (box->Text() != UnknownWord() || box->ItemIndex() != index) box->SetText(UnknownWord());
  }
  if (FileList->Items()->Count() == 0) return;
  const AnsiString first = FileList->Items()->Strings(0);
  for (TScComboBox* box : {RInfo, HInfo}) {
    const int found = GuessWord(*box->Items(), first);
    if (found >= 0) box->SetText(box->Items()->Strings(found));
  }
}

void TFormSt::ScButton1Click(TObject*) {
  page->SetActivePageIndex(1);
  TExColumnGrid& grid = *FileGrid;
  // The file table's own headers: three differ from the catalogue's. The
  // columns are looked up once, not once per file.
  const AnsiString headers[] = {Cat::FileName,     Cat::FileId,      Cat::FileSize,   Cat::VideoFormat,
                                Cat::AudioFormat,  "채널"_k,          "샘플레이트"_k,  Cat::FrameCount,
                                Cat::FrameRate,    "자막파일"_k,      Cat::Folder,     Cat::Resolution,
                                Cat::Release,      Cat::Language,     Cat::Quality};
  int columns[std::size(headers)];
  for (std::size_t c = 0; c < std::size(headers); ++c) {
    TGridColumnItem* item = grid.ColumnByName(headers[c]);
    columns[c] = item ? item->Index() : -1;
  }
  const AnsiString release = RInfo->Text(), language = LInfo->Text(), quality = HInfo->Text();
  grid.BeginUpdate();
  // Every file's row made at once: adding rows one by one re-sizes the
  // grid per file.
  const int count = FileList->Items()->Count();
  const int first = count > 0 ? NextFileTableRow(grid) : 0;
  if (count > 0) grid.SetRowCount(first + count);
  // Nothing repaints between two files, so the status line is written once
  // at the end rather than per file. The files of one add share their
  // folders' lookups (batch_, emptied by Reset).
  for (int i = 0; i < count; ++i) {
    const AnsiString path = FileList->Items()->Strings(i);
    const int row = first + i;
    batch_.Probe(path);
    const AnsiString* values[] = {&MediaInfo.FileName,   &MediaInfo.FileId,     &MediaInfo.SizeMB,
                                  &MediaInfo.VideoCodec, &MediaInfo.AudioCodec, &MediaInfo.Channels,
                                  &MediaInfo.SampleRate, &MediaInfo.Frames,     &MediaInfo.FrameRate,
                                  &MediaInfo.Subtitle,   &MediaInfo.Folder,     &MediaInfo.Resolution,
                                  &release,              &language,             &quality};
    for (std::size_t c = 0; c < std::size(headers); ++c)
      if (columns[c] >= 0) grid.SetCells(columns[c], row, *values[c]);
  }
  grid.EndUpdate();
  if (AddUnlistedValues) {
    AddUnlistedValue(*HInfo, ValueListFileName("화질.List"_k));
    AddUnlistedValue(*RInfo, ValueListFileName("릴.List"_k));
    AddUnlistedValue(*LInfo, ValueListFileName("언어.List"_k));
  }
  SP->SetCaption("파일 정보를 가져 왔습니다.."_k);
  SetModalResult(mrOk);
}
