// Hidden columns, hidden rows, the row and column selection flags and the
// controls placed on cells, of TExStringGrid.
//
// Sections:
//   Hidden columns ...... flags and saved widths by real column
//   Hidden rows ......... TGridItems in ascending real order, index mapping
//   Hiding and showing .. HideDisplayRows (the one hiding core), ShowRows, ShowAllRows
//   Rows coming and going  hidden rows follow insertions and removals
//   Whole grid .......... ResetHiddenState, WithAllShown (the grid file)
//   Selection flags ..... IsRowSelected .. RestoreSelection
//   Cell controls ....... RepositionCellControls
//
// A hidden column stays in the cell store at its real index (the base grid
// keeps the columns past ColCount); only ColCount and the display widths
// change. A hidden row leaves the store: HideDisplayRows hands the store's
// row record (texts and property objects) to a TGridItem whole, packs the
// remaining rows up by exchanging row records and cuts the grid short;
// showing grows the grid and hands the record back. Only the cells of the
// columns kept past ColCount move one by one: filtering a large catalogue
// copies no text and moves each shown column's cells not at all.
#include <algorithm>

#include "grid/ExGrid.h"
#include "platform/vcl/Controls.h"

// ------------------------------------------------------------- hidden columns

bool TExStringGrid::IsColumnHidden(int realCol) const {
  return realCol >= 0 && static_cast<std::size_t>(realCol) < colHidden_.size() &&
         colHidden_[static_cast<std::size_t>(realCol)];
}

int TExStringGrid::DisplColIndex(int realCol) const {
  if (hiddenColCount_ == 0 || realCol <= 0) return realCol;
  const int end = std::min(realCol, static_cast<int>(colHidden_.size()));
  int hiddenBefore = 0;
  for (int c = 0; c < end; ++c) hiddenBefore += colHidden_[static_cast<std::size_t>(c)] ? 1 : 0;
  return realCol - hiddenBefore;
}

int TExStringGrid::RealColIndex(int displayCol) const {
  if (hiddenColCount_ == 0 || displayCol < 0) return displayCol;
  int shown = -1;
  for (int c = 0; c < RealColCount(); ++c) {
    if (!IsColumnHidden(c) && ++shown == displayCol) return c;
  }
  // Past the shown columns: past the real ones too, so that nothing there
  // is read or written by mistake.
  return displayCol + hiddenColCount_;
}

void TExStringGrid::CloseEditor() {
  if (EditorMode()) HideEditor();
}

void TExStringGrid::HideColumns(int fromCol, int toCol) {
  CloseEditor();
  fromCol = std::max(fromCol, 0);
  bool changed = false;
  for (int c = fromCol; c <= toCol && c < RealColCount(); ++c) {
    if (IsColumnHidden(c) || ColCount() < 2) continue;
    const int display = DisplColIndex(c);
    const std::size_t index = static_cast<std::size_t>(c);
    if (colHidden_.size() <= index) colHidden_.resize(index + 1, 0);
    if (savedColWidths_.size() <= index) savedColWidths_.resize(index + 1, DefaultColWidth());
    savedColWidths_[index] = ColWidths(display);
    for (int d = display + 1; d < ColCount(); ++d) SetColWidths(d - 1, ColWidths(d));
    colHidden_[index] = 1;
    ++hiddenColCount_;
    // The store keeps the real column that drops off the end of the display.
    SetKeptColumnLimit(hiddenColCount_);
    TBaseGrid::SetColCount(ColCount() - 1);
    changed = true;
  }
  if (!changed) return;
  if (cellControls_.Count() > 0) RepositionCellControls();
  Invalidate();
}

void TExStringGrid::ShowColumns(int fromCol, int toCol) {
  CloseEditor();
  fromCol = std::max(fromCol, 0);
  bool changed = false;
  for (int c = fromCol; c <= toCol && c < RealColCount(); ++c) {
    if (!IsColumnHidden(c)) continue;
    const std::size_t index = static_cast<std::size_t>(c);
    colHidden_[index] = 0;
    --hiddenColCount_;
    TBaseGrid::SetColCount(ColCount() + 1);
    SetKeptColumnLimit(hiddenColCount_);
    const int display = DisplColIndex(c);
    for (int d = ColCount() - 1; d > display; --d) SetColWidths(d, ColWidths(d - 1));
    SetColWidths(display, index < savedColWidths_.size() ? savedColWidths_[index] : DefaultColWidth());
    changed = true;
  }
  if (!changed) return;
  if (cellControls_.Count() > 0) RepositionCellControls();
  Invalidate();
}

int TExStringGrid::ColumnFlagsRemoved(int col, int count) {
  int hiddenRemoved = 0;
  const std::size_t first = static_cast<std::size_t>(std::max(col, 0));
  if (first < colHidden_.size()) {
    const std::size_t last = std::min(colHidden_.size(), first + static_cast<std::size_t>(count));
    hiddenRemoved = static_cast<int>(std::count(colHidden_.begin() + static_cast<std::ptrdiff_t>(first),
                                                colHidden_.begin() + static_cast<std::ptrdiff_t>(last), 1));
    colHidden_.erase(colHidden_.begin() + static_cast<std::ptrdiff_t>(first),
                     colHidden_.begin() + static_cast<std::ptrdiff_t>(last));
  }
  if (first < savedColWidths_.size()) {
    const std::size_t last = std::min(savedColWidths_.size(), first + static_cast<std::size_t>(count));
    savedColWidths_.erase(savedColWidths_.begin() + static_cast<std::ptrdiff_t>(first),
                          savedColWidths_.begin() + static_cast<std::ptrdiff_t>(last));
  }
  hiddenColCount_ -= hiddenRemoved;
  return hiddenRemoved;
}

void TExStringGrid::ColumnFlagsInserted(int col, int count) {
  const std::size_t at = static_cast<std::size_t>(std::max(col, 0));
  if (at < colHidden_.size())
    colHidden_.insert(colHidden_.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::size_t>(count), 0);
  if (at < savedColWidths_.size())
    savedColWidths_.insert(savedColWidths_.begin() + static_cast<std::ptrdiff_t>(at),
                           static_cast<std::size_t>(count), DefaultColWidth());
}

void TExStringGrid::HiddenColumnsCutAt(int realEnd) {
  const std::size_t end = static_cast<std::size_t>(std::max(realEnd, 0));
  if (colHidden_.size() > end) {
    hiddenColCount_ -= static_cast<int>(std::count(colHidden_.begin() + static_cast<std::ptrdiff_t>(end),
                                                   colHidden_.end(), 1));
    colHidden_.resize(end);
  }
  if (savedColWidths_.size() > end) savedColWidths_.resize(end);
}

// ------------------------------------------------------------- hidden rows

namespace {

struct ByIdx {
  bool operator()(const std::unique_ptr<TGridItem>& item, int idx) const { return item->Idx() < idx; }
  bool operator()(int idx, const std::unique_ptr<TGridItem>& item) const { return idx < item->Idx(); }
};

}  // namespace

bool TExStringGrid::IsRowHidden(int realRow) const {
  auto it = std::lower_bound(hiddenRows_.begin(), hiddenRows_.end(), realRow, ByIdx{});
  return it != hiddenRows_.end() && (*it)->Idx() == realRow;
}

int TExStringGrid::DisplRowIndex(int realRow) const {
  auto it = std::lower_bound(hiddenRows_.begin(), hiddenRows_.end(), realRow, ByIdx{});
  return realRow - static_cast<int>(it - hiddenRows_.begin());
}

int TExStringGrid::RealRowIndex(int displayRow) const {
  if (displayRow < 0) return -1;
  // Item i has Idx - i shown rows before it; the displayRow-th shown row
  // comes after every item with Idx - i <= displayRow.
  int lo = 0;
  int hi = HiddenRowCount();
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (hiddenRows_[static_cast<std::size_t>(mid)]->Idx() - mid <= displayRow) lo = mid + 1;
    else hi = mid;
  }
  return displayRow + lo;
}

AnsiString TExStringGrid::AllCells(int col, int realRow) const {
  auto it = std::lower_bound(hiddenRows_.begin(), hiddenRows_.end(), realRow, ByIdx{});
  if (it != hiddenRows_.end() && (*it)->Idx() == realRow) {
    return (*it)->CellText(col);
  }
  return GetCellText(col, DisplRowIndex(realRow));
}

double TExStringGrid::AllFloats(int col, int realRow) const {
  if (!IsRowHidden(realRow)) return Floats(col, DisplRowIndex(realRow));
  const AnsiString text = CleanNumberText(AllCells(col, realRow));
  if (text.empty() || text == "-") return 0;
  TFormatSettings fs = FormatSettings;
  fs.DecimalSeparator = '.';
  fs.ThousandSeparator = ',';
  double value = 0;
  if (!TryStrToFloat(text, value, fs)) throw EExGridError(kExGridNoFloat);
  return value;
}

// ------------------------------------------------------------- hiding and showing

void TExStringGrid::HideRows(int fromRow, int toRow) {
  fromRow = std::max(fromRow, 0);
  std::vector<int> rows;
  for (int r = fromRow; r <= toRow; ++r) {
    if (IsRowHidden(r)) continue;
    const int display = DisplRowIndex(r);
    if (display >= RowCount()) break;
    rows.push_back(display);
  }
  HideDisplayRows(rows);
}

void TExStringGrid::HideRowList(const TIntList* displayRows) {
  if (!displayRows) return;
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(displayRows->Count()));
  for (int i = 0; i < displayRows->Count(); ++i) {
    const int r = displayRows->Items(i);
    if (r >= 0 && r < RowCount()) rows.push_back(r);
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  HideDisplayRows(rows);
}

void TExStringGrid::HideDisplayRows(const std::vector<int>& rows) {
  if (rows.empty() || static_cast<int>(rows.size()) >= RowCount()) return;
  CloseEditor();
  BeginUpdate();
  const int storeCols = StoreColCount();
  const int shownCols = ColCount();
  const int count = static_cast<int>(rows.size());

  // The rows' cells go into their items: the store's row record whole, then
  // the cells of the columns kept past ColCount one by one. The property
  // objects change hands with them.
  std::vector<std::unique_ptr<TGridItem>> items;
  items.reserve(rows.size());
  // Real indices in one ascending walk over the items already hidden.
  auto hidden = hiddenRows_.begin();
  int hiddenBefore = 0;
  for (int d : rows) {
    while (hidden != hiddenRows_.end() && (*hidden)->Idx() <= d + hiddenBefore) {
      ++hidden;
      ++hiddenBefore;
    }
    auto item = std::make_unique<TGridItem>(nullptr);
    item->SetIdx(d + hiddenBefore);
    TStringGrid::TRowCells cells = ExtractRow(d);
    item->SetHeight(cells.Height);
    item->AdoptCells(std::move(cells), storeCols);
    for (int c = shownCols; c < storeCols; ++c) {
      TObject* object = RawObjects(c, d);
      AnsiString text = TakeRawCells(c, d);
      if (text.empty() && !object) continue;
      item->PutCell(c, std::move(text), object);
      if (object) SetRawObjects(c, d, nullptr);
    }
    items.push_back(std::move(item));
  }

  // Pack the remaining rows up in order: each row pointer moves once, and
  // the heights follow.
  std::vector<int> heights(static_cast<std::size_t>(RowCount()));
  for (int r = 0; r < RowCount(); ++r) heights[static_cast<std::size_t>(r)] = RowHeights(r);
  std::size_t next = 0;
  int write = rows.front();
  for (int read = rows.front(); read < RowCount(); ++read) {
    if (next < rows.size() && rows[next] == read) {
      ++next;
      continue;
    }
    if (write != read) {
      ExchangeRows(write, read);
      SetRowHeights(write, heights[static_cast<std::size_t>(read)]);
    }
    ++write;
  }
  // The vacated rows at the end hold the hidden rows' texts only.
  TBaseGrid::SetRowCount(RowCount() - count);
  SetDisplayRowLimit(RowCount());

  // Merge the new items into the ascending list (real indices of rows that
  // stay hidden do not change by hiding others).
  std::vector<std::unique_ptr<TGridItem>> merged;
  merged.reserve(hiddenRows_.size() + items.size());
  std::merge(std::make_move_iterator(hiddenRows_.begin()), std::make_move_iterator(hiddenRows_.end()),
             std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()),
             std::back_inserter(merged),
             [](const std::unique_ptr<TGridItem>& a, const std::unique_ptr<TGridItem>& b) {
               return a->Idx() < b->Idx();
             });
  hiddenRows_ = std::move(merged);

  RepositionCellControls();
  EndUpdate();
  CellsChanged(Rect(0, rows.front(), ColCount() - 1, RowCount() - 1));
}

void TExStringGrid::PlaceHiddenRow(int row, std::unique_ptr<TGridItem> item) {
  const int storeCols = StoreColCount();
  // The cells of the columns kept past ColCount go back one by one, the
  // shown ones as the store's row record whole (with the height).
  for (int c = ColCount(); c < item->CellCount() && c < storeCols; ++c) {
    if (!item->CellText(c).empty()) SetRawCells(c, row, item->TakeText(c));
    if (TObject* object = item->CellObject(c)) SetRawObjects(c, row, object);
  }
  // Cells of columns that no longer exist have nowhere to go.
  FreeHiddenRowCells(*item, storeCols);
  InsertRowData(row, item->ReleaseCells(ColCount()));
}

void TExStringGrid::FreeHiddenRowCells(TGridItem& item, int fromCol) {
  for (int c = std::max(fromCol, 0); c < item.CellCount(); ++c) {
    auto* props = static_cast<TCellProperties*>(item.CellObject(c));
    if (!props) continue;
    TCellGraphic* graphic = props->CellGraphic();
    if (graphic && graphic->CellType() != ctVirtCheckBox) delete graphic;
    delete props;
    item.SetCellObject(c, nullptr);
  }
}

void TExStringGrid::ShowRows(int fromRow, int toRow) {
  auto first = std::lower_bound(hiddenRows_.begin(), hiddenRows_.end(), std::max(fromRow, 0), ByIdx{});
  auto last = std::upper_bound(hiddenRows_.begin(), hiddenRows_.end(), toRow, ByIdx{});
  if (first >= last) return;
  CloseEditor();
  BeginUpdate();
  // Ascending: each row's display position counts the ones shown before it.
  std::vector<std::unique_ptr<TGridItem>> showing(std::make_move_iterator(first), std::make_move_iterator(last));
  hiddenRows_.erase(first, last);
  const int firstDisplay = DisplRowIndex(showing.front()->Idx());
  for (auto& item : showing) {
    const int display = DisplRowIndex(item->Idx());
    const int oldCount = RowCount();
    TBaseGrid::SetRowCount(oldCount + 1);
    if (display < oldCount) MoveRowBlock(oldCount, 1, display);
    PlaceHiddenRow(display, std::move(item));
  }
  SetDisplayRowLimit(RowCount());
  RepositionCellControls();
  EndUpdate();
  CellsChanged(Rect(0, firstDisplay, ColCount() - 1, RowCount() - 1));
}

void TExStringGrid::ShowAllRows() {
  if (hiddenRows_.empty()) return;
  CloseEditor();
  BeginUpdate();
  const int shown = RowCount();
  const int total = shown + HiddenRowCount();
  TBaseGrid::SetRowCount(total);
  // From the bottom up, each real row takes its hidden item or the next
  // shown row from the bottom; a shown row only ever moves down, into an
  // empty row, so exchanging row pointers moves it.
  int nextShown = shown - 1;
  int nextItem = HiddenRowCount() - 1;
  for (int r = total - 1; r >= 0 && (nextItem >= 0 || nextShown >= 0); --r) {
    if (nextItem >= 0 && hiddenRows_[static_cast<std::size_t>(nextItem)]->Idx() >= r) {
      PlaceHiddenRow(r, std::move(hiddenRows_[static_cast<std::size_t>(nextItem)]));
      --nextItem;
    } else if (nextShown >= 0) {
      if (nextShown != r) {
        ExchangeRows(nextShown, r);
        SetRowHeights(r, RowHeights(nextShown));
      }
      --nextShown;
    }
  }
  hiddenRows_.clear();
  SetDisplayRowLimit(RowCount());
  RepositionCellControls();
  EndUpdate();
  CellsChanged(Rect(0, 0, ColCount() - 1, RowCount() - 1));
}

// ------------------------------------------------------------- rows coming and going

std::vector<int> TExStringGrid::RealRowsOf(int row, int count) const {
  std::vector<int> real;
  if (hiddenRows_.empty() && cellControls_.Count() == 0) return real;
  real.reserve(static_cast<std::size_t>(count));
  for (int r = row; r < row + count; ++r) real.push_back(RealRowIndex(r));
  return real;
}

void TExStringGrid::HiddenRowsRemoved(const std::vector<int>& removedReal) {
  if (removedReal.empty()) return;
  auto removedBefore = [&](int realRow) {
    return static_cast<int>(std::lower_bound(removedReal.begin(), removedReal.end(), realRow) - removedReal.begin());
  };
  for (auto& item : hiddenRows_) item->SetIdx(item->Idx() - removedBefore(item->Idx()));
  // Controls on later rows move up with their rows.
  for (int i = 0; i < cellControls_.Count(); ++i) {
    TCellControl& cell = cellControls_.Items(i);
    cell.Row -= removedBefore(cell.Row);
  }
  if (cellControls_.Count() > 0) RepositionCellControls();
}

void TExStringGrid::HiddenRowsInserted(int realRow, int count) {
  for (auto& item : hiddenRows_)
    if (item->Idx() >= realRow) item->SetIdx(item->Idx() + count);
  for (int i = 0; i < cellControls_.Count(); ++i) {
    TCellControl& cell = cellControls_.Items(i);
    if (cell.Row >= realRow) cell.Row += count;
  }
  if (cellControls_.Count() > 0) RepositionCellControls();
}

void TExStringGrid::HiddenRowColumnsRemoved(int col, int count) {
  for (auto& item : hiddenRows_) {
    const int last = std::min(col + count, item->CellCount());
    for (int c = col; c < last; ++c) {
      if (auto* props = static_cast<TCellProperties*>(item->CellObject(c))) {
        ReleaseCellGraphic(*props);
        delete props;
      }
    }
    item->DeleteCells(col, count);
  }
}

void TExStringGrid::HiddenRowColumnsInserted(int col, int count) {
  for (auto& item : hiddenRows_) {
    // A record shorter than col reads empty cells there already.
    item->InsertCells(col, count);
  }
}

// ------------------------------------------------------------- whole grid

void TExStringGrid::ResetHiddenState() {
  for (auto& item : hiddenRows_) FreeHiddenRowCells(*item);
  hiddenRows_.clear();
  ShowAllColumns();
  colHidden_.clear();
  savedColWidths_.clear();
  rowSelect_.clear();
  colSelect_.clear();
  selectionHidden_ = false;
}

void TExStringGrid::WithAllShown(const std::function<void()>& work) {
  if (hiddenRows_.empty() && hiddenColCount_ == 0) {
    work();
    return;
  }
  std::vector<int> hiddenRows;
  hiddenRows.reserve(hiddenRows_.size());
  for (auto& item : hiddenRows_) hiddenRows.push_back(item->Idx());
  std::vector<int> hiddenCols;
  for (int c = 0; c < RealColCount(); ++c)
    if (IsColumnHidden(c)) hiddenCols.push_back(c);
  const int realCol = RealColIndex(Col());
  const int realRow = RealRowIndex(Row());
  const int realTop = RealRowIndex(TopRow());
  const int realLeft = RealColIndex(LeftCol());

  BeginUpdate();
  ShowAllRows();
  ShowAllColumns();
  auto restore = [&] {
    // With every row shown, display rows are real rows.
    TIntList rows;
    for (int r : hiddenRows) rows.Add(r);
    HideRowList(&rows);
    for (int c : hiddenCols) HideColumn(c);
    const int col = DisplColIndex(realCol);
    const int row = DisplRowIndex(realRow);
    if (col >= FixedCols() && col < ColCount() && row >= FixedRows() && row < RowCount()) {
      SetCol(col);
      SetRow(row);
    }
    const int top = DisplRowIndex(realTop);
    const int left = DisplColIndex(realLeft);
    if (top >= TBaseGrid::FixedRows() && top < RowCount()) SetTopRow(top);
    if (left >= TBaseGrid::FixedCols() && left < ColCount()) SetLeftCol(left);
    EndUpdate();
  };
  try {
    work();
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

// ------------------------------------------------------------- selection flags

void TExStringGrid::CheckRowIndex(int row) const {
  if (row < 0 || row >= RowCount() + HiddenRowCount()) throw EExGridError(kExGridInvalidRow);
}

void TExStringGrid::CheckColIndex(int col) const {
  if (col < 0 || col >= ColCount()) throw EExGridError(kExGridInvalidColumn);
}

bool TExStringGrid::IsRowSelected(int row) {
  CheckRowIndex(row);
  if (rowSelect_.size() <= static_cast<std::size_t>(row)) rowSelect_.resize(static_cast<std::size_t>(row) + 1, 0);
  return rowSelect_[static_cast<std::size_t>(row)] == 1;
}

void TExStringGrid::SetRowSelected(int row, bool value) {
  CheckRowIndex(row);
  if (rowSelect_.size() <= static_cast<std::size_t>(row)) rowSelect_.resize(static_cast<std::size_t>(row) + 1, 0);
  char& flag = rowSelect_[static_cast<std::size_t>(row)];
  if ((flag == 1) != value) RepaintRow(row);
  flag = value ? 1 : 0;
}

bool TExStringGrid::IsColSelected(int col) {
  CheckColIndex(col);
  if (colSelect_.size() <= static_cast<std::size_t>(col)) colSelect_.resize(static_cast<std::size_t>(col) + 1, 0);
  return colSelect_[static_cast<std::size_t>(col)] == 1;
}

void TExStringGrid::SetColSelected(int col, bool value) {
  CheckColIndex(col);
  if (colSelect_.size() <= static_cast<std::size_t>(col)) colSelect_.resize(static_cast<std::size_t>(col) + 1, 0);
  char& flag = colSelect_[static_cast<std::size_t>(col)];
  if ((flag == 1) != value) RepaintCol(col);
  flag = value ? 1 : 0;
}

int TExStringGrid::SelectedRowCount() const {
  return static_cast<int>(std::count(rowSelect_.begin(), rowSelect_.end(), 1));
}

int TExStringGrid::SelectedColCount() const {
  return static_cast<int>(std::count(colSelect_.begin(), colSelect_.end(), 1));
}

void TExStringGrid::ClearRowSelect() {
  const bool persistent = mouseActions_->RowSelectPersistent();
  for (std::size_t r = 0; r < rowSelect_.size(); ++r) {
    if (rowSelect_[r] != 1) continue;
    rowSelect_[r] = 0;
    RepaintRow(persistent ? DisplRowIndex(static_cast<int>(r)) : static_cast<int>(r));
  }
}

void TExStringGrid::ClearColSelect() {
  for (std::size_t c = 0; c < colSelect_.size(); ++c) {
    if (colSelect_[c] != 1) continue;
    colSelect_[c] = 0;
    RepaintCol(static_cast<int>(c));
  }
}

int TExStringGrid::SelectFlagRow(int row) const {
  return mouseActions_->RowSelectPersistent() ? RealRowIndex(row) : row;
}

void TExStringGrid::SelectRows(int row, int count) {
  if (count <= 0) return;
  if (!mouseActions_->DisjunctRowSelect()) {
    TGridRect sel;
    sel.Left = FixedCols();
    sel.Top = row;
    sel.Right = ColCount() - 1;
    sel.Bottom = row + count - 1;
    SetSelection(sel);
    return;
  }
  for (int r = std::max(row, 0); r < row + count && r < RowCount(); ++r) SetRowSelected(SelectFlagRow(r), true);
}

void TExStringGrid::SyncRowSelect(bool all) {
  const TGridRect sel = Selection();
  for (int r = TBaseGrid::FixedRows(); r < RowCount(); ++r) {
    const bool inside = r >= sel.Top && r <= sel.Bottom;
    if (!all && !inside) continue;
    SetRowSelected(SelectFlagRow(r), inside);
  }
}

void TExStringGrid::SyncColSelect(bool all) {
  const TGridRect sel = Selection();
  for (int c = TBaseGrid::FixedCols(); c < ColCount(); ++c) {
    const bool inside = c >= sel.Left && c <= sel.Right;
    if (!all && !inside) continue;
    SetColSelected(c, inside);
  }
}

void TExStringGrid::RemoveSelectedRows() {
  BeginUpdate();
  if (!mouseActions_->DisjunctRowSelect()) SyncRowSelect(true);
  int r = TBaseGrid::FixedRows();
  while (r < RowCount() - FixedFooters()) {
    const int flagRow = SelectFlagRow(r);
    const bool selected = flagRow >= 0 && static_cast<std::size_t>(flagRow) < rowSelect_.size() &&
                          rowSelect_[static_cast<std::size_t>(flagRow)] == 1;
    // The removal takes the row's flag along, so the next row moves up
    // together with its own.
    if (selected) RemoveRowsAdjusted(r, 1);
    else ++r;
  }
  EndUpdate();
}

void TExStringGrid::RowFlagsRemoved(int row, int count, const std::vector<int>& removedReal) {
  if (rowSelect_.empty()) return;
  if (mouseActions_->RowSelectPersistent()) {
    // Flags of real rows: the removed real rows' flags go, later ones move up.
    for (auto it = removedReal.rbegin(); it != removedReal.rend(); ++it)
      if (static_cast<std::size_t>(*it) < rowSelect_.size()) rowSelect_.erase(rowSelect_.begin() + *it);
    if (!removedReal.empty()) return;
  }
  const std::size_t first = static_cast<std::size_t>(row);
  if (first >= rowSelect_.size()) return;
  const std::size_t last = std::min(rowSelect_.size(), first + static_cast<std::size_t>(count));
  rowSelect_.erase(rowSelect_.begin() + static_cast<std::ptrdiff_t>(first),
                   rowSelect_.begin() + static_cast<std::ptrdiff_t>(last));
}

void TExStringGrid::RowFlagsInserted(int row, int count) {
  const std::size_t at = static_cast<std::size_t>(row);
  if (at >= rowSelect_.size()) return;
  rowSelect_.insert(rowSelect_.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::size_t>(count), 0);
}

void TExStringGrid::HideSelection() {
  // The class library keeps its cursor inside the grid, so the selection is
  // not moved outside it: the painting shows none while the cursor stays
  // where it was left (SelectionShown).
  if (!selectionHidden_) savedSelection_ = Selection();
  selectionHidden_ = true;
  hiddenSelection_ = Selection();
  Invalidate();
}

void TExStringGrid::RestoreSelection() {
  selectionHidden_ = false;
  if (RowCount() > savedSelection_.Top && ColCount() > savedSelection_.Left) {
    TGridRect sel = savedSelection_;
    sel.Right = std::min(sel.Right, ColCount() - 1);
    sel.Bottom = std::min(sel.Bottom, RowCount() - 1);
    SetSelection(sel);
    return;
  }
  const int top = FixedRowAlways() && FixedRows() == RowCount() ? 0 : TBaseGrid::FixedRows();
  int left = TBaseGrid::FixedCols();
  if (FixedColAlways() && FixedCols() == ColCount()) left = 0;
  TGridRect sel;
  sel.Left = sel.Right = std::min(left, ColCount() - 1);
  sel.Top = sel.Bottom = std::min(top, RowCount() - 1);
  SetSelection(sel);
}

// ------------------------------------------------------------- cell controls

void TExStringGrid::RepositionCellControls() {
  for (int i = 0; i < cellControls_.Count(); ++i) {
    TCellControl& cell = cellControls_.Items(i);
    if (!cell.Control) continue;
    // Records keep real rows and columns, so hiding rows or columns needs
    // no change to them.
    const int display = DisplColIndex(cell.Col);
    const int row = DisplRowIndex(cell.Row);
    const bool visible = !IsColumnHidden(cell.Col) && !IsRowHidden(cell.Row) && row >= 0 && row < RowCount() &&
                         display >= LeftCol() && display <= LeftCol() + VisibleColCount() &&
                         row >= TopRow() && row <= TopRow() + VisibleRowCount();
    if (!visible) {
      cell.Control->SetVisible(false);
      continue;
    }
    const TRect r = MergedCellRect(display, row);
    cell.Control->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    cell.Control->SetVisible(true);
  }
}
