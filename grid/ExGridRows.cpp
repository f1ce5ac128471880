// Row and column insertion, removal and clearing of TExStringGrid.
//
// Rows move as whole lines of the store (MoveRowBlock): inserting count
// rows grows the grid by count empty rows and moves that block to its place
// in one pass, and removing moves the removed block to the end and cuts it
// off, so no text is copied. Property objects stay with their cells; the
// grid frees those of removed cells. Spans that an operation would cut are
// dissolved first, so that no covered cell is left pointing at a cell that
// is not its base cell any more.
#include <algorithm>
#include <utility>

#include "grid/ExGrid.h"

// ------------------------------------------------------------- spans at an edge

void TExStringGrid::SplitSpansAcrossRow(int row) {
  if (row <= 0 || row >= RowCount()) return;
  for (int c = 0; c < RealColCount(); ++c)
    if (!IsBaseCellAt(c, row) && BaseCellOf(c, row).Y < row) TearSpan(c, row);
}

void TExStringGrid::SplitSpansAcrossCol(int col) {
  if (col <= 0 || col >= RealColCount()) return;
  for (int r = 0; r < RowCount(); ++r)
    if (!IsBaseCellAt(col, r) && BaseCellOf(col, r).X < col) TearSpan(col, r);
}

void TExStringGrid::SplitSpansIn(int c1, int r1, int c2, int r2) {
  for (int r = r1; r <= r2; ++r)
    for (int c = c1; c <= c2; ++c)
      if (IsMergedCell(c, r)) TearSpan(c, r);
}

// ------------------------------------------------------------- rows

void TExStringGrid::InsertRows(int row, int count) {
  if (count <= 0) return;
  row = std::clamp(row, 0, RowCount());
  // Hidden rows at or after the new rows' real place move down with the
  // rows shown there.
  const int realRow = RealRowIndex(row);
  const int lastWidth = ColWidths(ColCount() - 1);
  // The columns kept past ColCount (hidden ones) move with the rows, so
  // ColCount need not grow for the duration.
  SplitSpansAcrossRow(row);
  const int oldCount = RowCount();
  SetRowCount(oldCount + count);
  // The store's new rows are empty and hold no objects.
  for (int r = oldCount; r < oldCount + count; ++r) SetRowHeights(r, DefaultRowHeight());
  if (row < oldCount) MoveRowBlock(oldCount, count, row);
  SetColWidths(ColCount() - 1, lastWidth);
  HiddenRowsInserted(realRow, count);
  if (!MouseActions()->RowSelectPersistent()) RowFlagsInserted(row, count);
  else RowFlagsInserted(realRow, count);
  CellsChanged(Rect(0, row, ColCount() - 1, row + count));
}

void TExStringGrid::AddRow() {
  const int row = FloatingFooter()->Visible() ? RowCount() - 1 : RowCount();
  InsertRows(row, 1);
  ClearRows(row, 1);
}

void TExStringGrid::RemoveRows(int row, int count) {
  if (count <= 0 || row < 0 || row >= RowCount()) return;
  count = std::min(count, RowCount() - row);
  const int lastCol = RealColCount() - 1;
  SplitSpansIn(0, row, lastCol, row + count - 1);
  FreeRowsFrom(row, row + count - 1);
  const std::vector<int> removedReal = RealRowsOf(row, count);
  DeleteRowsCore(row, count, true);
  HiddenRowsRemoved(removedReal);
  RowFlagsRemoved(row, count, removedReal);
}

void TExStringGrid::RemoveRowsAdjusted(int row, int count) {
  if (count <= 0 || row < 0 || row >= RowCount()) return;
  count = std::min(count, RowCount() - row);
  SplitSpansIn(0, row, RealColCount() - 1, row + count - 1);
  FreeRowsFrom(row, row + count - 1);
  const std::vector<int> removedReal = RealRowsOf(row, count);
  DeleteRowsCore(row, count, false);
  HiddenRowsRemoved(removedReal);
  RowFlagsRemoved(row, count, removedReal);
}

void TExStringGrid::DeleteRowsCore(int row, int count, bool keepLastPageFull) {
  const int lastWidth = ColWidths(ColCount() - 1);
  BeginUpdate();
  const int savedTop = TopRow();
  const int savedRow = Row();
  const bool footerVisible = FloatingFooter()->Visible();
  const int savedFooters = fixedFooters_;
  if (footerVisible) FloatingFooter()->SetVisible(false);

  // The block moves to the end and the grid is cut short, which drops the
  // texts. Object slots still set belong to a caller that moved the
  // objects elsewhere (hidden rows keep theirs): they are let go, not freed.
  const int total = RowCount();
  for (int r = row; r < row + count; ++r)
    for (int c = 0; c < StoreColCount(); ++c)
      if (RawObjects(c, r)) SetRawObjects(c, r, nullptr);
  if (row + count < total) MoveRowBlock(row, count, total);
  SetRowCount(total - count);

  const int shownRows = RowCount() - savedFooters;
  if (shownRows <= savedRow) {
    // With no data row left there is no row to stand on: nothing shows selected.
    if (shownRows > FixedRows()) SetRowNotify(shownRows - 1);
    else HideSelection();
  } else {
    SetRowNotify(savedRow);
    SetTopRow(savedTop);
  }

  SetColWidths(ColCount() - 1, lastWidth);
  if (footerVisible) FloatingFooter()->SetVisible(true);
  fixedFooters_ = savedFooters;
  EndUpdate();
  CellsChanged(Rect(0, row, ColCount() - 1, row + count));

  if (keepLastPageFull) {
    const int lastTop = RowCount() - VisibleRowCount() - 1 + FixedRows() - 1;
    if (TopRow() >= lastTop && RowCount() - VisibleRowCount() - 1 > 0) SetTopRow(lastTop);
  } else if (TopRow() >= RowCount() - 1) {
    SetTopRow(RowCount() - 1);
  }
}

void TExStringGrid::ClearRows(int row, int count) {
  ClearCellRange(0, row, RealColCount() - 1, row + count - 1);
}

// ------------------------------------------------------------- columns

void TExStringGrid::ClearColumns(int col, int count) {
  ClearCellRange(col, 0, col + count - 1, RowCount() - 1);
}

void TExStringGrid::RemoveColumns(int col, int count) {
  const int realCount = RealColCount();
  if (count <= 0 || col < 0 || col >= realCount) return;
  count = std::min(count, realCount - col);
  SplitSpansIn(col, 0, col + count - 1, RowCount() - 1);
  // Their properties are freed here; their texts need no pass of their
  // own: the removed columns go to the end in one pass over the row
  // records, the ones after them moving left, and are emptied there.
  FreeColsFrom(col, col + count - 1);
  ShiftRawColumns(col, count, realCount, true);
  for (int c = col; c + count < ColCount(); ++c) SetColWidths(c, ColWidths(c + count));
  HiddenRowColumnsRemoved(col, count);
  // Hidden columns among the removed ones leave the hidden count, not the display.
  const int hiddenRemoved = ColumnFlagsRemoved(col, count);
  SetColCount(ColCount() - std::min(count - hiddenRemoved, ColCount() - 1));
  CellsChanged(Rect(col, 0, col + count, RowCount() - 1));
}

void TExStringGrid::InsertColumns(int col, int count) {
  if (count <= 0) return;
  col = std::clamp(col, 0, RealColCount());
  SplitSpansAcrossCol(col);
  SetColCount(ColCount() + count);
  const int realCount = RealColCount();
  // The columns at the end come round to col in one pass over the row
  // records, emptied (or given their texts) there, the ones from col on
  // moving right.
  ShiftRawColumns(realCount - count, count, col, true, std::exchange(insertedColumnTexts_, nullptr));
  for (int c = realCount - 1; c >= col + count; --c)
    if (c < ColCount() && !IsColumnHidden(c - count)) SetColWidths(c, ColWidths(c - count));
  for (int c = col; c < col + count; ++c) SetColWidths(c, DefaultColWidth());
  HiddenRowColumnsInserted(col, count);
  ColumnFlagsInserted(col, count);
}

// ------------------------------------------------------------- clearing

void TExStringGrid::ClearCellRange(int c1, int r1, int c2, int r2) {
  c1 = std::max(c1, 0);
  r1 = std::max(r1, 0);
  c2 = std::min(c2, RealColCount() - 1);
  r2 = std::min(r2, RowCount() - 1);
  if (c1 > c2 || r1 > r2) return;
  if (!destroying_) SplitSpansIn(c1, r1, c2, r2);
  for (int r = r1; r <= r2; ++r) {
    for (int c = c1; c <= c2; ++c) {
      if (HasCellProperties(c, r)) {
        RemoveCellGraphicOf(c, r);
        FreeCellPropertiesAt(c, r);
      }
      if (!destroying_ && !RawCells(c, r).empty()) SetRawCells(c, r, AnsiString());
    }
  }
  if (!destroying_) CellsChanged(Rect(c1, r1, c2, r2));
}

void TExStringGrid::ClearAll() {
  // The node marks go with the cells; a count left behind would keep a
  // header click sorting inside groups that are no longer there.
  // Taking them apart also shows the rows collapsed nodes hide.
  if (!destroying_) RemoveAllNodes();
  nodeCount_ = 0;
  groupColumn_ = -1;
  groupedIntoNodeColumn_ = false;
  DropGroupedCells();
  if (RowCount() > 0 && ColCount() > 0) ClearCellRange(0, 0, RealColCount() - 1, RowCount() - 1);
  // Letters typed for the look-up named rows that are gone.
  lookupText_.clear();
}
