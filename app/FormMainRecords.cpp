// The catalogue window's record operations: add and edit through the movie
// editor, delete, watched and unwatched, lend and take back, batch edit.
//
// Sections:
//   rows ............. OperationRows: the rows the user sees selected
//   editor ........... hand-over both ways, poster rename, per-file lists
//   delete and marks . delete, watched, unwatched, take back, lend
//   batch edit
//
// Call tree:
//   BtnMovieAddClick / BtnMovieEditClick -> RunMovieEditor
//        -> FillEditor (edit) -> TFormME.ShowModal -> Tag 99 -> WriteBack
//        -> RenameFirstPoster (add) -> per-file lists -> WriteAutoSaveEntry
//   BtnMovieDelClick / ScButton7..10Click -> OperationRows -> question -> cells
//   ScBitBtn24Click -> OperationRows -> TMultiEditForm
#include <algorithm>
#include <limits>
#include <utility>

#include "app/Catalogue.h"
#include "app/FormBakDir.h"
#include "app/FormFarm.h"
#include "app/FormME.h"
#include "app/FormMain.h"
#include "app/FormSt.h"
#include "app/MultiEditForm.h"
#include "app/StrUnit.h"
#include "platform/rtl/SysUtils.h"

namespace {

// The columns an editor control stands for: all but the posters and the
// per-file columns, which go through their own lists.
bool IsFieldColumn(int n) { return n != 16 && (n < 21 || n > 35); }

bool Confirm(const AnsiString& question) {
  return MessageDlg(question, mtConfirmation, mbYesNo) != mrNo;
}

}  // namespace

void TFormMain::WireRecordOperations() {
  BtnMovieAdd->OnClick = [this](TObject* s) { BtnMovieAddClick(s); };
  BtnMovieEdit->OnClick = [this](TObject* s) { BtnMovieEditClick(s); };
  BtnMovieDel->OnClick = [this](TObject* s) { BtnMovieDelClick(s); };
  ScButton8->OnClick = [this](TObject* s) { ScButton8Click(s); };
  ScButton7->OnClick = [this](TObject* s) { ScButton7Click(s); };
  ScButton9->OnClick = [this](TObject* s) { ScButton9Click(s); };
  ScButton10->OnClick = [this](TObject* s) { ScButton10Click(s); };
  // The menu panel's buttons close the panel first.
  auto fromMenu = [this](void (TFormMain::*run)(TObject*)) {
    return [this, run](TObject* s) {
      ShowMenuPanel(false);
      (this->*run)(s);
    };
  };
  ScBitBtn18->OnClick = fromMenu(&TFormMain::BtnMovieEditClick);
  ScBitBtn19->OnClick = fromMenu(&TFormMain::BtnMovieAddClick);
  ScBitBtn21->OnClick = fromMenu(&TFormMain::BtnMovieDelClick);
  ScBitBtn24->OnClick = fromMenu(&TFormMain::ScBitBtn24Click);
}

// ---------------------------------------------------------------- rows

std::vector<int> TFormMain::OperationRows() { return SelectedMovieRows(*movie_Grid); }

void TFormMain::EnableRecordButtons(int row) {
  TExColumnGrid& grid = *movie_Grid;
  const bool movie = row >= kFirstMovieRow && row < grid.RowCount() && !grid.IsNodeRow(row);
  BtnMovieEdit->SetEnabled(movie);
  BtnMovieDel->SetEnabled(movie || SelectedMovieRows(grid).size() >= 2);
}

// ---------------------------------------------------------------- editor

namespace {

void FillEditor(TFormME& editor, TExColumnGrid& grid, int row) {
  auto cell = [&](const AnsiString& header) { return CatalogueCell(grid, header, row); };
  const auto& columns = CatalogueColumns();
  // In column order: the score comes after the stars, and its change
  // recomputes them from the score as the editor always does.
  for (int n = 0; n < kCatalogueColumnCount; ++n) {
    if (!IsFieldColumn(n) || n == 20 || n == 36) continue;
    editor.View(n)->SetText(cell(*columns[static_cast<std::size_t>(n)].Header));
  }
  // A stars cell holding the bare number of a score (without a score of
  // its own to follow) is saved as stars: the column keeps one form.
  double bare = 0;
  if (!TryStrToFloat(Trim(editor.View_11->Text()), bare) && TryStrToFloat(Trim(editor.View_10->Text()), bare))
    editor.View_10->SetText(RatingToStars(Trim(editor.View_10->Text())));
  editor.View_16->Items()->Clear();
  for (const AnsiString& poster : SplitPosterList(cell(Cat::Posters)))
    if (!poster.empty()) editor.View_16->Items()->Add(poster);
  editor.View_20->SetCaption(cell(Cat::Watched) == Cat::WatchedYes ? Cat::WatchedYes : Cat::WatchedNo);
  editor.View_36->SetCaption(cell(Cat::Lent) == Cat::LentOut ? Cat::LentOut : Cat::LentKept);

  // One file row per element of the file name list; the other lists fill
  // what they have.
  TExColumnGrid& files = *editor.FileGrid;
  const std::size_t count = SplitFileList(cell(Cat::FileName)).size();
  files.BeginUpdate();
  files.SetRowCount(static_cast<int>(std::max<std::size_t>(count, 1)) + 1);
  files.ClearRows(1, files.RowCount() - 1);
  for (const TFileColumnPair& pair : FileColumnPairs()) {
    const std::vector<AnsiString> elements = SplitFileList(cell(*pair.CatalogueHeader));
    for (std::size_t k = 0; k < count && k < elements.size(); ++k)
      SetFileTableCell(files, pair.FileTableHeader, static_cast<int>(k) + 1, elements[k]);
  }
  files.EndUpdate();
}

// Gives the first poster its catalogue name (mode 0: the title, mode 1: the
// row number) and changes the list item only when the file was renamed:
// an existing file of that name is never replaced.
void RenameFirstPoster(TFormME& editor, const AnsiString& posterDir, int mode, int row) {
  TStrings& posters = *editor.View_16->Items();
  if (posters.Count() == 0 || mode == 2) return;
  const AnsiString item = posters.Strings(0);
  const AnsiString path = ExtractFilePath(item).empty() ? posterDir + "/" + item : item;
  if (LowerCase(ExtractFileName(path)) == "noimage.jpg") return;
  const AnsiString base = mode == 0 ? SanitizeFileName(editor.View_0->Text()) : IntToStr(row);
  if (base.empty()) return;
  const AnsiString folder = ExcludeTrailingPathDelimiter(ExtractFilePath(path));
  const AnsiString renamed = folder + "/" + base + ".jpg";
  if (renamed == path || !FileExists(path) || FileExists(renamed)) return;
  if (!RenameFile(path, renamed)) return;
  const bool inPosterFolder = UpperCase(folder) == UpperCase(ExcludeTrailingPathDelimiter(posterDir));
  posters.SetStrings(0, inPosterFolder ? ExtractFileName(renamed) : renamed);
}

// What the editor's file table and poster list hold, to tell whether the
// user changed them: the lists the editor shows are read from the cells
// with their empty and surplus elements left out, so writing an unchanged
// list back would rewrite (or empty) values the user never touched.
std::vector<AnsiString> EditorListTexts(TFormME& editor) {
  std::vector<AnsiString> texts;
  const TExColumnGrid& files = *editor.FileGrid;
  texts.push_back(IntToStr(files.RowCount()));
  for (int r = 0; r < files.RowCount(); ++r)
    for (int c = 0; c < files.ColCount(); ++c) texts.push_back(files.Cells(c, r));
  texts.push_back("|posters|");
  for (int i = 0; i < editor.View_16->Items()->Count(); ++i) texts.push_back(editor.View_16->Items()->Strings(i));
  return texts;
}

// The poster list and the per-file columns written from the editor's lists.
void WriteEditorLists(TFormME& editor, TExColumnGrid& grid, int target) {
  std::vector<AnsiString> posters;
  for (int i = 0; i < editor.View_16->Items()->Count(); ++i) posters.push_back(editor.View_16->Items()->Strings(i));
  SetCatalogueCell(grid, Cat::Posters, target, JoinPosterList(posters));

  // The per-file columns mirror the file table: a movie whose files were
  // all deleted has none left. The empty row under the table's header is
  // no file.
  TExColumnGrid& files = *editor.FileGrid;
  std::vector<int> fileRows;
  for (int r = files.FixedRows(); r < files.RowCount(); ++r)
    if (!Trim(FileTableCell(files, Cat::FileName, r)).empty()) fileRows.push_back(r);
  for (const TFileColumnPair& pair : FileColumnPairs()) {
    std::vector<AnsiString> elements;
    for (int r : fileRows) elements.push_back(FileTableCell(files, pair.FileTableHeader, r));
    SetCatalogueCell(grid, *pair.CatalogueHeader, target, fileRows.empty() ? AnsiString() : JoinFileList(elements));
  }
}

}  // namespace

int TFormMain::RunMovieEditor(int row) {
  TExColumnGrid& grid = *movie_Grid;
  const bool adding = row < 0;
  auto editor = std::make_unique<TFormME>(Application);
  TGridColumnItem* titles = grid.ColumnByName(Cat::Title);
  if (titles) {
    editor->SameBak->Items()->BeginUpdate();
    for (int r = 0; r < grid.RowCount(); ++r)
      if (!grid.IsNodeRow(r)) editor->SameBak->Items()->Add(titles->Rows(r));
    editor->SameBak->Items()->EndUpdate();
  }
  editor->AddMode = adding ? 1 : 0;
  editor->ShowSimilarTitles = IniSetup.ShowSimilarTitles;
  editor->AddUnlistedValues = IniSetup.AddUnlistedValues;
  editor->PosterDir = PosterDir;
  editor->PosterAutoSize = IniSetup.PosterAutoSize;
  editor->WebSearchSite = IniSetup.WebSearchSite;
  std::vector<AnsiString> before;
  if (adding) {
    editor->View_19->SetText(FormatDateTime("yyyy-mm-dd", Now()));
  } else {
    editor->SendMovieInfo = IniSetup.SendMovieInfo;
    editor->CheckWebInfo = IniSetup.CheckWebInfo;
    FillEditor(*editor, grid, row);
    // The editor opens on the poster the window shows. Its list leaves out
    // empty names, so the shown one moves up by the empty names before it.
    if (row == detailRow_) {
      int shown = 0;
      for (int i = 0; i < posterIndex_ && i < View_16->Items()->Count(); ++i)
        if (!View_16->Items()->Strings(i).empty()) ++shown;
      editor->Imgposter->SetTag(shown);
    }
    before = JournalMovieValues(grid, row);
  }
  const std::vector<AnsiString> listsShown = adding ? std::vector<AnsiString>() : EditorListTexts(*editor);
  editor->ShowModal();
  if (editor->Tag() != 99) return -1;
  // A deleted file row counts even when the table looks as it did: the
  // values of files without a name go with it.
  const bool listsEdited = adding || editor->FileRowsDeleted > 0 || EditorListTexts(*editor) != listsShown;
  const int target = WriteMovieBack(*editor, row, before, listsEdited);
  editor.reset();
  ShowMovieDetails(target);
  return target;
}

int TFormMain::WriteMovieBack(TFormME& editor, int row, const std::vector<AnsiString>& before, bool listsEdited) {
  TExColumnGrid& grid = *movie_Grid;
  const bool adding = row < 0;
  // A movie added to a grouped catalogue would land outside every group.
  if (adding && GridGrouped) UngroupCatalog();
  int target = row;
  if (adding) {
    target = grid.RowCount() - 1;
    // Only the empty row a new catalogue starts with is taken: an untitled
    // movie in the last row is a movie of its own.
    if (target < grid.FixedRows() || grid.IsNodeRow(target) || !IsBlankMovieRow(grid, target)) {
      grid.AddRow();
      target = grid.RowCount() - 1;
    }
  }
  const auto& columns = CatalogueColumns();
  grid.BeginUpdate();
  for (int n = 0; n < kCatalogueColumnCount; ++n)
    if (IsFieldColumn(n))
      SetCatalogueCell(grid, *columns[static_cast<std::size_t>(n)].Header, target, editor.View(n)->Text());
  if (adding) RenameFirstPoster(editor, PosterDir, IniSetup.PosterRenameMode, target);
  if (listsEdited) WriteEditorLists(editor, grid, target);
  grid.EndUpdate();

  if (IniSetup.UseAutoSave) WriteAutoSaveEntry(target, adding, before);
  DBModified = true;
  UpdateMovieCount();
  return target;
}

void TFormMain::BtnMovieAddClick(TObject*) {
  if (Busy()) return;
  const int row = RunMovieEditor(-1);
  if (row >= 0) SelectMovie(row);
}

void TFormMain::BtnMovieEditClick(TObject*) {
  if (Busy()) return;
  const int row = movie_Grid->Row();
  if (row < kFirstMovieRow || row >= movie_Grid->RowCount() || movie_Grid->IsNodeRow(row)) return;
  RunMovieEditor(row);
}

// ---------------------------------------------------------------- delete and marks

void TFormMain::BtnMovieDelClick(TObject*) {
  if (Busy()) return;
  TExColumnGrid& grid = *movie_Grid;
  std::vector<int> rows = OperationRows();
  if (rows.empty()) return;
  const AnsiString question =
      rows.size() < 2 ? "영화 : "_k + CatalogueCell(grid, Cat::Title, rows.front()) + "을(를) 삭제하시겠습니까?"_k
                      : "선택된 영화목록을 삭제하시겠습니까?"_k;
  if (MessageDlg(question, mtConfirmation, mbYesNo) != mrYes) {
    UpdateMovieCount();
    return;
  }
  DBModified = true;
  // Every movie going leaves the empty catalogue, which has no groups.
  if (GridGrouped && static_cast<int>(rows.size()) == grid.RowCount() - 1 + grid.HiddenRowCount() - grid.NodeCount()) {
    GroupCombo->SetItemIndex(0);
    GroupComboChange(GroupCombo);
    rows.clear();
    for (int r = kFirstMovieRow; r < grid.RowCount(); ++r) rows.push_back(r);
  }
  // The groups the movies leave (their group rows' real rows) and how many
  // leave each.
  std::vector<std::pair<int, int>> groups;
  std::vector<int> removedReal;
  int node = -1;
  for (int r = kFirstMovieRow, i = 0; GridGrouped && r < grid.RowCount() && i < static_cast<int>(rows.size()); ++r) {
    if (grid.IsNodeRow(r)) {
      node = grid.RealRowIndex(r);
    } else if (r == rows[static_cast<std::size_t>(i)]) {
      ++i;
      removedReal.push_back(grid.RealRowIndex(r));
      if (groups.empty() || groups.back().first != node) groups.emplace_back(node, 0);
      ++groups.back().second;
    }
  }
  grid.BeginUpdate();
  // From the bottom up, so that the rows still to go keep their indices.
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    const int r = *it;
    grid.SetRowSelected(MarkRowOf(grid, r), false);
    // The last movie leaves the empty catalogue: the header and one empty row.
    if (grid.RowCount() - grid.FixedRows() <= 1 && grid.HiddenRowCount() == 0)
      grid.ClearRows(r, 1);
    else
      grid.RemoveRows(r, 1);
  }
  ForgetDeletedFromGroups(groups, removedReal);
  grid.EndUpdate();
  // The movie after the deleted ones becomes current, or the one before
  // them at the end; with none left the pane empties.
  const int next = std::min(rows.front(), grid.RowCount() - 1);
  if (next >= kFirstMovieRow && next != grid.Row()) grid.SetRow(next);
  ViewChanged();
}

void TFormMain::ForgetDeletedFromGroups(const std::vector<std::pair<int, int>>& groups,
                                        const std::vector<int>& removedReal) {
  TExColumnGrid& grid = *movie_Grid;
  // A group row stays exactly when one of its movies does: bottom up, so
  // that the group rows still to see keep their places.
  for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
    const int nodeReal = it->first - static_cast<int>(std::lower_bound(removedReal.begin(), removedReal.end(),
                                                                       it->first) - removedReal.begin());
    const int d = grid.DisplRowIndex(nodeReal);
    TCellGraphic* node = grid.IsNodeRow(d) ? grid.GetCellGraphic(0, d) : nullptr;
    if (!node) continue;
    const int span = node->CellIndex() - it->second;
    if (span > 1) {
      node->SetCellIndex(span);
      continue;
    }
    grid.RemoveNode(nodeReal);
    grid.RemoveRows(d, 1);
  }
  // A search hides a group none of whose movies it finds: one whose found
  // movies all went, its others hidden, goes out of view as well.
  TIntList unfound;
  for (int r = kFirstMovieRow; r < grid.RowCount(); ++r)
    if (grid.IsNodeRow(r) && !grid.IsNodeCollapsed(r) && (r + 1 == grid.RowCount() || grid.IsNodeRow(r + 1)))
      unfound.Add(r);
  if (unfound.Count() > 0) grid.HideRowList(&unfound);
}

namespace {

// A lend count that is no number, or too large to add to, starts again.
AnsiString NextLendCount(const AnsiString& cell) {
  int count = 0;
  if (!TryStrToInt(Trim(cell), count) || count < 0 || count == std::numeric_limits<int>::max()) count = 0;
  return IntToStr(count + 1);
}

}  // namespace

void TFormMain::MarkRows(const AnsiString& question, const std::function<void(int row)>& mark) {
  if (Busy()) return;
  const std::vector<int> rows = OperationRows();
  if (rows.empty() || !Confirm(question)) return;
  DBModified = true;
  for (int r : rows) mark(r);
  ShowChangedDetails(rows);
}

void TFormMain::ShowChangedDetails(const std::vector<int>& rows) {
  // The pane shows the new state of the movie it shows, at once.
  if (std::find(rows.begin(), rows.end(), detailRow_) != rows.end()) ShowMovieDetails(detailRow_);
  movie_Grid->Invalidate();
}

void TFormMain::ScButton8Click(TObject*) {
  MarkRows("선택한 영화를 본것으로 바꿉니까?"_k,
           [this](int r) { SetCatalogueCell(*movie_Grid, Cat::Watched, r, Cat::WatchedYes); });
}

void TFormMain::ScButton7Click(TObject*) {
  MarkRows("선택한 영화를 안본것으로 바꿉니까?"_k,
           [this](int r) { SetCatalogueCell(*movie_Grid, Cat::Watched, r, Cat::WatchedNo); });
}

void TFormMain::ScButton9Click(TObject*) {
  MarkRows("선택한 영화를 보관중으로 바꾸시겠습니까?"_k, [this](int r) {
    SetCatalogueCell(*movie_Grid, Cat::Lent, r, Cat::LentKept);
    SetCatalogueCell(*movie_Grid, Cat::Borrower, r, "");
    SetCatalogueCell(*movie_Grid, Cat::Contact, r, "");
  });
}

void TFormMain::ScButton10Click(TObject*) {
  if (Busy()) return;
  const std::vector<int> rows = OperationRows();
  if (rows.empty() || !Confirm("선택한 영화를 빌려주시겠습니까?"_k)) return;
  TFormFarm dialog(nullptr);
  dialog.Scedit1->SetText("");
  dialog.ShowModal();
  // A cancelled dialog lends nothing and changes nothing.
  if (!dialog.Confirmed()) return;
  DBModified = true;
  for (int r : rows) {
    SetCatalogueCell(*movie_Grid, Cat::Lent, r, Cat::LentOut);
    SetCatalogueCell(*movie_Grid, Cat::Borrower, r, dialog.Scedit1->Text());
    SetCatalogueCell(*movie_Grid, Cat::Contact, r, dialog.ScEdit2->Text());
    SetCatalogueCell(*movie_Grid, Cat::LendCount, r, NextLendCount(CatalogueCell(*movie_Grid, Cat::LendCount, r)));
  }
  ShowChangedDetails(rows);
}

// ---------------------------------------------------------------- batch edit

void TFormMain::ScBitBtn24Click(TObject*) {
  if (Busy()) return;
  std::vector<int> rows = OperationRows();
  if (rows.size() < 2) {
    MessageDlg("여러 목록을 선택하세요."_k, mtInformation, mbOKOnly);
    return;
  }
  TMultiEditForm dialog(nullptr, *movie_Grid, rows);
  dialog.ShowModal();
  if (!dialog.Changed()) return;
  DBModified = true;
  ShowChangedDetails(rows);
}
