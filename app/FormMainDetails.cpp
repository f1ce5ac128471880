// What the catalogue window shows of a movie: the detail pane with its
// poster and file table, the links, the column chooser and the row colours.
//
// Sections:
//   building the pane . three pages of labelled fields, poster, file table
//   details ........... ShowMovieDetails, posters, score stars
//   links ............. web addresses only
//   column chooser .... ApplyColumnVisibility, the chooser file
//   row colours ....... watched and lent rows
#include <algorithm>

#include "app/Catalogue.h"
#include "app/FormMain.h"
#include "app/FormPoster.h"
#include "app/StrUnit.h"
#include "dateedit/DateEdit.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ShellApi.h"

namespace {

constexpr int kPaneWidth = 372;
constexpr int kLabelWidth = 70;
// The right edge of the movie page's controls, clear of its scroll bar.
constexpr int kRightEdge = kPaneWidth - 30;

}  // namespace

// ---------------------------------------------------------------- building the pane

void TFormMain::BuildDetailPane() {
  infopage = new TScPageControl(this);
  infopage->SetParent(this);
  infopage->SetAlign(alRight);
  infopage->SetWidth(kPaneWidth);
  auto page = [&](const AnsiString& caption) {
    auto* sheet = new TScTabSheet(this);
    sheet->SetPageControl(infopage);
    sheet->SetCaption(caption);
    return sheet;
  };
  moviesheet = page("영화정보"_k);
  fileSheet = page("파일정보"_k);
  gitaSheet = page("기타정보"_k);

  // The movie page scrolls when the window is too low for all its fields.
  auto* movieBox = new TScrollBox(this);
  movieBox->SetParent(moviesheet);
  movieBox->SetAlign(alClient);
  movieBox->SetBorderStyle(bsNone);
  const int fieldWidth = kRightEdge - kLabelWidth - 8;
  int y = 0;
  auto label = [&](TWinControl* parent, const AnsiString& caption, int top) {
    auto* l = new TScLabel(this);
    l->SetParent(parent);
    l->SetCaption(caption);
    l->SetBounds(8, top + 3, kLabelWidth - 4, 16);
  };
  // A labelled field for column n; memos take several lines.
  auto field = [&](TWinControl* parent, int n, int height = 21) {
    const AnsiString& header = *CatalogueColumns()[static_cast<std::size_t>(n)].Header;
    label(parent, header, y);
    TCustomEdit* edit;
    if (n == 5 || n == 19) {
      edit = new TDateEdit(this);
    } else if (height > 21) {
      auto* memo = new TScMemo(this);
      memo->SetWordWrap(true);
      memo->SetScrollBars(ssVertical);
      edit = memo;
    } else {
      edit = new TScEdit(this);
    }
    edit->SetParent(parent);
    edit->SetBounds(kLabelWidth + 8, y, fieldWidth, height);
    edit->SetReadOnly(true);
    View[n] = edit;
    y += height + 4;
    return edit;
  };

  // Poster with its list and buttons.
  imgposter = new TImage(this);
  imgposter->SetParent(movieBox);
  imgposter->SetBounds(8, 8, 150, 212);
  imgposter->SetStretch(true);
  imgposter->SetProportional(true);
  imgposter->SetCenter(true);
  imgposter->SetCursor(crHandPoint);
  imgposter->OnClick = [this](TObject*) { ScButton3->Click(); };
  View_16 = new TScListBox(this);
  View_16->SetParent(movieBox);
  View_16->SetBounds(166, 8, kRightEdge - 166, 120);
  BtnPosterPrev = MakeButton(movieBox, "◀ 이전"_k, 166, 134, 85, 26,
                             [this](TObject* s) { BtnPosterPrevClick(s); });
  BtnPosterNext = MakeButton(movieBox, "다음 ▶"_k, kRightEdge - 85, 134, 85, 26,
                             [this](TObject* s) { BtnPosterNextClick(s); });
  ScButton3 = MakeButton(movieBox, "크게 보기"_k, 166, 166, kRightEdge - 166, 26, [this](TObject*) {
    if (imgposter->Picture()->Width() <= 0) return;
    auto view = std::make_unique<TFormPoster>(Application);
    view->SetPicture(imgposter->Picture(),
                     PosterViewHalves(IniSetup.PosterAutoSize, imgposter->Picture()->Width(),
                                      imgposter->Picture()->Height(), Width(), Height()));
    view->ShowModal();
  });

  y = 228;
  field(movieBox, 0);
  field(movieBox, 1);
  field(movieBox, 2);
  field(movieBox, 3);
  field(movieBox, 4);
  field(movieBox, 5);
  field(movieBox, 6);
  field(movieBox, 7);
  field(movieBox, 8);
  field(movieBox, 9);
  TCustomEdit* stars = field(movieBox, 10);
  stars->Font()->SetColor(0x0080FF);
  TCustomEdit* score = field(movieBox, 11);
  // The stars always follow the score.
  score->OnChange = [this](TObject*) {
    double value;
    AnsiString text = Trim(View[11]->Text());
    if (TryStrToFloat(text, value)) View[10]->SetText(RatingToStars(text));
  };
  field(movieBox, 14, 96);

  // The movie's files, one per row.
  FileGrid = new TExColumnGrid(this);
  FileGrid->SetParent(fileSheet);
  FileGrid->SetAlign(alClient);
  FileGrid->SetEnableHTML(false);
  FileGrid->SetPlainTextCells(true);
  FileGrid->SetColCount(kFileColumnCount);
  FileGrid->SetRowCount(2);
  FileGrid->SetFixedRows(1);
  FileGrid->SetFixedCols(0);
  // Without fixed columns the first one scrolls: it starts in view.
  FileGrid->SetLeftCol(0);
  FileGrid->SetDefaultRowHeight(20);
  for (int c = 0; c < kFileColumnCount; ++c) {
    TGridColumnItem* item = FileGrid->Columns()->Items(c);
    item->SetHeader(FileColumnPairs()[static_cast<std::size_t>(c)].FileTableHeader);
    item->SetName(item->Header());
    item->SetWidth(c == 0 ? 180 : 80);
    item->SetReadOnly(true);
  }

  y = 8;
  field(gitaSheet, 12);
  ScBitBtn1 = MakeButton<TScBitBtn>(gitaSheet, "홈페이지"_k, kLabelWidth + 8, y, 96, 24,
                                    [this](TObject*) { OpenLink(View[12]->Text()); });
  ScBitBtn3 = MakeButton<TScBitBtn>(gitaSheet, "열기"_k, kLabelWidth + 108, y, 60, 24,
                                    [this](TObject*) { OpenLink(View[12]->Text()); });
  y += 28;
  field(gitaSheet, 13);
  ScBitBtn4 = MakeButton<TScBitBtn>(gitaSheet, "관련페이지"_k, kLabelWidth + 8, y, 96, 24,
                                    [this](TObject*) { OpenLink(View[13]->Text()); });
  y += 28;
  field(gitaSheet, 15, 80);
  field(gitaSheet, 17);
  field(gitaSheet, 18);
  field(gitaSheet, 19);
  auto state = [&](const AnsiString& caption) {
    label(gitaSheet, caption, y);
    auto* p = new TScPanel(this);
    p->SetParent(gitaSheet);
    p->SetBounds(kLabelWidth + 8, y, 120, 21);
    p->SetBevelOuter(bvLowered);
    y += 25;
    return p;
  };
  View_20 = state(Cat::Watched);
  View_36 = state(Cat::Lent);
  field(gitaSheet, 37);
  field(gitaSheet, 38);
  field(gitaSheet, 39);
  field(gitaSheet, 40);
  field(gitaSheet, 41, 60);
  infopage->SetActivePageIndex(0);
}

// ---------------------------------------------------------------- details

AnsiString TFormMain::PosterPath(const AnsiString& item) const {
  AnsiString path = item;
  if (ExtractFilePath(path).empty()) path = PosterDir + "/" + path;
  if (item.empty() || !FileExists(path)) path = PosterDir + "/noimage.jpg";
  return path;
}

void TFormMain::ShowPosterImage(const AnsiString& path) {
  try {
    imgposter->Picture()->LoadFromFile(path);
  } catch (const Exception&) {
    // Unreadable posters show the stand-in; no message.
    try {
      imgposter->Picture()->LoadFromFile(PosterDir + "/badImage.jpg");
    } catch (const Exception&) {
      imgposter->Picture()->SetGraphic(nullptr);
    }
  }
}

void TFormMain::ShowMovieDetails(int row) {
  TExColumnGrid& grid = *movie_Grid;
  if (row < kFirstMovieRow || row >= grid.RowCount() || grid.IsNodeRow(row)) return;
  detailRow_ = row;
  EnableRecordButtons(row);
  auto cell = [&](const AnsiString& header) { return CatalogueCell(grid, header, row); };
  const auto& defs = CatalogueColumns();
  for (int n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 37, 38, 39, 40, 41})
    if (View[n]) View[n]->SetText(cell(*defs[static_cast<std::size_t>(n)].Header));
  // The stars follow the score also when the score's text did not change
  // (the same movie shown again): the stars cell may hold the bare number.
  View[11]->OnChange(View[11]);

  // Posters.
  View_16->Items()->Clear();
  for (const AnsiString& name : SplitPosterList(cell(Cat::Posters))) View_16->Items()->Add(name);
  const int posters = View_16->Items()->Count();
  posterIndex_ = 0;
  imgposter->SetTag(0);
  BtnPosterNext->SetVisible(posters > 1);
  BtnPosterPrev->SetVisible(posters > 1);
  if (posters > 0) View_16->SetItemIndex(0);
  ShowPosterImage(PosterPath(posters > 0 ? View_16->Items()->Strings(0) : AnsiString()));

  View_17_2->SetCaption(cell(Cat::Location));
  const AnsiString watched = cell(Cat::Watched) == Cat::WatchedYes ? Cat::WatchedYes : Cat::WatchedNo;
  View_20->SetCaption(watched);
  View_20_2->SetCaption(watched);

  ShowMovieFiles(row);

  const AnsiString lent = cell(Cat::Lent) == Cat::LentOut ? Cat::LentOut : Cat::LentKept;
  View_36->SetCaption(lent);
  View_36_2->SetCaption(lent);
}

// The file table: one row per file; lists of unequal length fill what
// they have and leave the rest empty.
void TFormMain::ShowMovieFiles(int row) {
  TExColumnGrid& grid = *movie_Grid;
  const std::size_t files = SplitFileList(CatalogueCell(grid, Cat::FileName, row)).size();
  FileGrid->BeginUpdate();
  FileGrid->SetRowCount(static_cast<int>(std::max<std::size_t>(files, 1)) + 1);
  FileGrid->ClearRows(1, FileGrid->RowCount() - 1);
  for (const TFileColumnPair& pair : FileColumnPairs()) {
    TGridColumnItem* target = FileGrid->ColumnByName(pair.FileTableHeader);
    if (!target) continue;
    const std::vector<AnsiString> elements = SplitFileList(CatalogueCell(grid, *pair.CatalogueHeader, row));
    for (std::size_t k = 0; k < files && k < elements.size(); ++k)
      target->SetRows(static_cast<int>(k) + 1, elements[k]);
  }
  FileGrid->EndUpdate();
}

void TFormMain::ClearMovieDetails() {
  detailRow_ = -1;
  EnableRecordButtons(movie_Grid->Row());
  for (TCustomEdit* view : View)
    if (view) view->SetText("");
  View_16->Items()->Clear();
  posterIndex_ = 0;
  imgposter->SetTag(0);
  BtnPosterNext->SetVisible(false);
  BtnPosterPrev->SetVisible(false);
  ShowPosterImage(PosterPath(AnsiString()));
  for (TScPanel* caption : {View_17_2, View_20, View_20_2, View_36, View_36_2}) caption->SetCaption("");
  FileGrid->BeginUpdate();
  FileGrid->SetRowCount(2);
  FileGrid->ClearRows(1, 1);
  FileGrid->EndUpdate();
}

void TFormMain::BtnPosterNextClick(TObject*) {
  const int count = View_16->Items()->Count();
  if (count == 0) return;
  posterIndex_ = posterIndex_ + 1 >= count ? 0 : posterIndex_ + 1;
  imgposter->SetTag(posterIndex_);
  View_16->SetItemIndex(posterIndex_);
  ShowPosterImage(PosterPath(View_16->Items()->Strings(posterIndex_)));
}

void TFormMain::BtnPosterPrevClick(TObject*) {
  const int count = View_16->Items()->Count();
  if (count == 0) return;
  posterIndex_ = posterIndex_ - 1 < 0 ? count - 1 : posterIndex_ - 1;
  imgposter->SetTag(posterIndex_);
  View_16->SetItemIndex(posterIndex_);
  ShowPosterImage(PosterPath(View_16->Items()->Strings(posterIndex_)));
}

// ---------------------------------------------------------------- links

void TFormMain::OpenLink(const AnsiString& address) {
  // The platform opens web addresses only: a "javascript:" or "file:" text
  // in a catalogue cell opens nothing.
  ShellExecute(nullptr, "open", Trim(address), "", "", SW_SHOWNORMAL);
}

// ---------------------------------------------------------------- column chooser

AnsiString TFormMain::ColumnViewFile() const { return AppDir + "/Config/목록.View"_k; }

void TFormMain::LoadColumnView() {
  if (!FileExists(ColumnViewFile())) return;
  try {
    ScCheckList1->LoadFromFile(ColumnViewFile());
  } catch (const Exception&) {
    // An unreadable list leaves the chooser as it was.
  }
}

void TFormMain::SaveColumnView() {
  ForceDirectories(AppDir + "/Config");
  ScCheckList1->SaveToFile(ColumnViewFile());
  ColumnListChanged = false;
}

void TFormMain::ApplyColumnVisibility() {
  movie_Grid->BeginUpdate();
  for (int i = 0; i < ScCheckList1->Items()->Count(); ++i) {
    if (ScCheckList1->Checked(i)) continue;
    TGridColumnItem* item = movie_Grid->ColumnByName(Trim(ScCheckList1->Items()->Strings(i)));
    if (!item) continue;  // an item that names no column
    if (!movie_Grid->IsColumnHidden(item->Index())) movie_Grid->HideColumn(item->Index());
  }
  movie_Grid->EndUpdate();
}

void TFormMain::ScCheckList1Change(int index, TCheckBoxState state) {
  if (index < 0 || index >= ScCheckList1->Items()->Count()) return;
  TGridColumnItem* item = movie_Grid->ColumnByName(Trim(ScCheckList1->Items()->Strings(index)));
  if (item) {
    const int col = item->Index();
    const bool hidden = movie_Grid->IsColumnHidden(col);
    if (state != cbChecked && !hidden) movie_Grid->HideColumn(col);
    else if (state == cbChecked && hidden) movie_Grid->ShowColumn(col);
  }
  ColumnListChanged = true;
}

// ---------------------------------------------------------------- row colours

void TFormMain::movie_GridGetCellColor(TObject*, int row, int col, TGridDrawState, TBrush* brush, TFont* font) {
  if (!IniSetup.ColorRows || row < movie_Grid->FixedRows()) return;
  TGridColumnItem* titleColumn = movie_Grid->ColumnByName(Cat::Title);
  if (titleColumn && titleColumn->Index() == col) return;  // col is a real column
  if (movie_Grid->IsNodeRow(row)) return;
  if (CatalogueCell(*movie_Grid, Cat::Watched, row) == Cat::WatchedYes) {
    brush->SetColor(IniSetup.WatchedBackColor);
    font->SetColor(IniSetup.WatchedTextColor);
  }
  // A lent movie shows the lent colours even when watched.
  if (CatalogueCell(*movie_Grid, Cat::Lent, row) == Cat::LentOut) {
    brush->SetColor(IniSetup.LentBackColor);
    font->SetColor(IniSetup.LentTextColor);
  }
}
