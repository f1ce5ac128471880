// The grid base: dimensions, layout, the current cell and the selection,
// scrolling, moving and deleting rows and columns.
//
// Sections:
//   Construction ........... defaults of the class library's grid
//   Dimensions ............. counts, fixed counts, widths and heights, options
//   Layout ................. CalcDrawInfo, CellRect, MouseToCell, visible counts
//   Current cell ........... MoveCurrent, FocusCell, Selection, ClampInView
//   Scrolling .............. TopRow/LeftCol, MoveTopLeft, the scroll bars
//   Moving and deleting .... MoveRow, MoveColumn, MoveRowBlock, DeleteRow/Column
//   Virtual defaults ....... SelectCell, TopLeftChanged, ... and TDrawGrid's events
//
// Painting is in GridsPaint.cpp, input in GridsInput.cpp, the editor in
// GridsEditor.cpp and the string grid's cell store in GridsStore.cpp.
#include "platform/vcl/Grids.h"

#include <algorithm>

#include "platform/vcl/ScrollBarStyle.h"

namespace {

const char kFixedColTooBig[] = "Fixed column count must be less than column count";
const char kFixedRowTooBig[] = "Fixed row count must be less than row count";
const char kIndexOutOfRange[] = "Grid index out of range";

// Where a cell index goes when the line at fromIndex moves to toIndex.
void MoveAdjust(int& pos, int fromIndex, int toIndex) {
  if (pos == fromIndex) pos = toIndex;
  else if (pos > fromIndex && pos <= toIndex) --pos;
  else if (pos < fromIndex && pos >= toIndex) ++pos;
}

// The same for a block of count lines moving from fromIndex to start at
// toIndex (toIndex counted in the grid before the move).
void BlockAdjust(int& pos, int fromIndex, int count, int toIndex) {
  if (toIndex == fromIndex) return;
  if (pos >= fromIndex && pos < fromIndex + count) {
    pos = toIndex < fromIndex ? toIndex + (pos - fromIndex) : toIndex - count + (pos - fromIndex);
  } else if (toIndex < fromIndex) {
    if (pos >= toIndex && pos < fromIndex) pos += count;
  } else if (pos >= fromIndex + count && pos < toIndex) {
    pos -= count;
  }
}

template <class T>
void MoveItem(std::vector<T>& v, int fromIndex, int toIndex) {
  auto from = v.begin() + fromIndex;
  auto to = v.begin() + toIndex;
  if (fromIndex < toIndex) std::rotate(from, from + 1, to + 1);
  else std::rotate(to, from, from + 1);
}

}  // namespace

TGridRect GridRect(TGridCoord a, TGridCoord b) {
  TGridRect r;
  r.Left = std::min(a.X, b.X);
  r.Right = std::max(a.X, b.X);
  r.Top = std::min(a.Y, b.Y);
  r.Bottom = std::max(a.Y, b.Y);
  return r;
}

// ================================================================= construction

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner) {
  ControlStyle() = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csClickEvents};
  colWidths_.assign(static_cast<std::size_t>(colCount_), defaultColWidth_);
  rowHeights_.assign(static_cast<std::size_t>(rowCount_), defaultRowHeight_);
  tabStops_.assign(static_cast<std::size_t>(colCount_), true);
  SetColor(clWindow);
  SetTabStop(true);
  TCustomControl::SetBorderStyle(bsSingle);
  SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() {
  StopScrollTimer();
  // The editor is a child control; the window layer deletes it with the
  // other children, after this part of the grid is gone: it must not call back.
  if (inplaceEdit_) inplaceEdit_->grid_ = nullptr;
  inplaceEdit_ = nullptr;
}

// ================================================================= dimensions

void TCustomGrid::ChangeSize(int newColCount, int newRowCount) {
  newColCount = std::max(newColCount, 1);
  newRowCount = std::max(newRowCount, 1);
  if (newColCount == colCount_ && newRowCount == rowCount_) return;
  const int oldColCount = colCount_, oldRowCount = rowCount_;
  // A grid shrunk to its fixed lines keeps one scrolling line less of fixed ones.
  if (fixedCols_ >= newColCount) fixedCols_ = newColCount - 1;
  if (fixedRows_ >= newRowCount) fixedRows_ = newRowCount - 1;
  colCount_ = newColCount;
  rowCount_ = newRowCount;
  colWidths_.resize(static_cast<std::size_t>(colCount_), defaultColWidth_);
  rowHeights_.resize(static_cast<std::size_t>(rowCount_), defaultRowHeight_);
  tabStops_.resize(static_cast<std::size_t>(colCount_), true);

  auto clampCoord = [&](TGridCoord& c) {
    c.X = std::clamp(c.X, fixedCols_, colCount_ - 1);
    c.Y = std::clamp(c.Y, fixedRows_, rowCount_ - 1);
  };
  const TGridRect oldSel = Selection();
  clampCoord(current_);
  clampCoord(anchor_);
  if (options_.contains(goRowSelect)) {
    current_.X = fixedCols_;
    anchor_.X = colCount_ - 1;
  }
  TGridCoord oldTopLeft = topLeft_;
  clampCoord(topLeft_);
  if (inplaceCol_ >= colCount_ || inplaceRow_ >= rowCount_) HideEdit();

  SizeChanged(oldColCount, oldRowCount);
  if (!(oldTopLeft == topLeft_)) TopLeftMoved(oldTopLeft);
  if (!(oldSel == Selection())) SelectionMoved(oldSel);
  InvalidateGrid();
  UpdateScrollRange();
  if (inplaceEdit_ && editorMode_) UpdateEdit();
}

void TCustomGrid::SetColCount(int value) {
  if (value == colCount_) return;
  ChangeSize(value, rowCount_);
}

void TCustomGrid::SetRowCount(int value) {
  if (value == rowCount_) return;
  ChangeSize(colCount_, value);
}

void TCustomGrid::SetFixedCols(int value) {
  if (value == fixedCols_) return;
  if (value < 0) throw EInvalidGridOperation(kIndexOutOfRange);
  if (value >= colCount_) throw EInvalidGridOperation(kFixedColTooBig);
  fixedCols_ = value;
  const TGridRect oldSel = Selection();
  current_.X = std::max(current_.X, fixedCols_);
  anchor_.X = std::max(anchor_.X, fixedCols_);
  if (options_.contains(goRowSelect)) current_.X = fixedCols_;
  const TGridCoord oldTopLeft = topLeft_;
  topLeft_.X = std::max(topLeft_.X, fixedCols_);
  if (!(oldTopLeft == topLeft_)) TopLeftMoved(oldTopLeft);
  if (!(oldSel == Selection())) SelectionMoved(oldSel);
  InvalidateGrid();
  UpdateScrollRange();
  if (inplaceEdit_ && editorMode_) InvalidateEditor();
}

void TCustomGrid::SetFixedRows(int value) {
  if (value == fixedRows_) return;
  if (value < 0) throw EInvalidGridOperation(kIndexOutOfRange);
  if (value >= rowCount_) throw EInvalidGridOperation(kFixedRowTooBig);
  fixedRows_ = value;
  const TGridRect oldSel = Selection();
  current_.Y = std::max(current_.Y, fixedRows_);
  anchor_.Y = std::max(anchor_.Y, fixedRows_);
  const TGridCoord oldTopLeft = topLeft_;
  topLeft_.Y = std::max(topLeft_.Y, fixedRows_);
  if (!(oldTopLeft == topLeft_)) TopLeftMoved(oldTopLeft);
  if (!(oldSel == Selection())) SelectionMoved(oldSel);
  InvalidateGrid();
  UpdateScrollRange();
  if (inplaceEdit_ && editorMode_) InvalidateEditor();
}

void TCustomGrid::SetDefaultColWidth(int value) {
  value = std::max(value, 0);
  defaultColWidth_ = value;
  std::fill(colWidths_.begin(), colWidths_.end(), value);
  ColWidthsChanged();
  InvalidateGrid();
}

void TCustomGrid::SetDefaultRowHeight(int value) {
  value = std::max(value, 0);
  defaultRowHeight_ = value;
  std::fill(rowHeights_.begin(), rowHeights_.end(), value);
  RowHeightsChanged();
  InvalidateGrid();
}

int TCustomGrid::ColWidths(int index) const {
  if (index < 0 || index >= colCount_) return defaultColWidth_;
  return colWidths_[static_cast<std::size_t>(index)];
}

void TCustomGrid::SetColWidths(int index, int value) {
  if (index < 0 || index >= colCount_) return;
  value = std::max(value, -1);  // -1 hides the column, as in the class library
  int& w = colWidths_[static_cast<std::size_t>(index)];
  if (w == value) return;
  w = value;
  ColWidthsChanged();
}

int TCustomGrid::RowHeights(int index) const {
  if (index < 0 || index >= rowCount_) return defaultRowHeight_;
  return rowHeights_[static_cast<std::size_t>(index)];
}

void TCustomGrid::SetRowHeights(int index, int value) {
  if (index < 0 || index >= rowCount_) return;
  value = std::max(value, -1);
  int& h = rowHeights_[static_cast<std::size_t>(index)];
  if (h == value) return;
  h = value;
  RowHeightsChanged();
}

bool TCustomGrid::TabStops(int index) const {
  if (index < 0 || index >= colCount_) return true;
  return tabStops_[static_cast<std::size_t>(index)];
}

void TCustomGrid::SetTabStops(int index, bool value) {
  if (index < 0 || index >= colCount_) return;
  tabStops_[static_cast<std::size_t>(index)] = value;
}

void TCustomGrid::SetGridLineWidth(int value) {
  value = std::max(value, 0);
  if (value == gridLineWidth_) return;
  gridLineWidth_ = value;
  InvalidateGrid();
  UpdateScrollRange();
  if (inplaceEdit_ && editorMode_) UpdateEdit();
}

void TCustomGrid::SetOptions(TGridOptions value) {
  if (value == options_) return;
  if (value.contains(goRowSelect)) value.erase(goAlwaysShowEditor);
  const TGridOptions old = options_;
  options_ = value;
  if (!options_.contains(goEditing)) HideEditor();
  if (options_.contains(goRowSelect) && !old.contains(goRowSelect)) {
    const TGridRect oldSel = Selection();
    current_.X = fixedCols_;
    anchor_.X = colCount_ - 1;
    anchor_.Y = current_.Y;
    SelectionMoved(oldSel);
  }
  if (options_.contains(goAlwaysShowEditor) && options_.contains(goEditing)) {
    editorMode_ = true;
  }
  InvalidateGrid();
  UpdateScrollRange();
  if (editorMode_) UpdateEdit();
}

void TCustomGrid::SetFixedColor(TColor value) {
  if (value == fixedColor_) return;
  fixedColor_ = value;
  InvalidateGrid();
}

void TCustomGrid::SetScrollBars(TScrollStyle value) {
  if (value == scrollBars_) return;
  scrollBars_ = value;
  UpdateScrollRange();
}

void TCustomGrid::SetDefaultDrawing(bool value) {
  if (value == defaultDrawing_) return;
  defaultDrawing_ = value;
  InvalidateGrid();
}

void TCustomGrid::SetBorderStyle(TBorderStyle style) {
  TCustomControl::SetBorderStyle(style);
  UpdateScrollRange();
}

// ================================================================= layout

void TCustomGrid::CalcFixedInfo(TGridDrawInfo& info) const {
  auto fixedAxis = [&](TGridAxisDrawInfo& axis, bool lines, int fixedCount, int firstCell,
                       int cellCount, const std::vector<int>& extents) {
    axis.EffectiveLineWidth = lines ? gridLineWidth_ : 0;
    axis.FixedBoundary = 0;
    for (int i = 0; i < fixedCount; ++i) {
      axis.FixedBoundary += extents[static_cast<std::size_t>(i)] + axis.EffectiveLineWidth;
    }
    axis.FixedCellCount = fixedCount;
    axis.FirstGridCell = firstCell;
    axis.GridCellCount = cellCount;
    const std::vector<int>* source = &extents;
    axis.GetExtent = [source](int index) { return (*source)[static_cast<std::size_t>(index)]; };
  };
  fixedAxis(info.Horz, options_.contains(goFixedVertLine) || options_.contains(goVertLine),
            fixedCols_, topLeft_.X, colCount_, colWidths_);
  fixedAxis(info.Vert, options_.contains(goFixedHorzLine) || options_.contains(goHorzLine),
            fixedRows_, topLeft_.Y, rowCount_, rowHeights_);
}

void TCustomGrid::CalcDrawInfoXY(TGridDrawInfo& info, int useWidth, int useHeight) const {
  CalcFixedInfo(info);
  auto calcAxis = [](TGridAxisDrawInfo& axis, int useExtent) {
    axis.GridExtent = useExtent;
    axis.GridBoundary = axis.FixedBoundary;
    axis.FullVisBoundary = axis.FixedBoundary;
    axis.LastFullVisibleCell = axis.FirstGridCell;
    for (int i = axis.FirstGridCell; i < axis.GridCellCount; ++i) {
      axis.GridBoundary += axis.GetExtent(i) + axis.EffectiveLineWidth;
      if (axis.GridBoundary > axis.GridExtent + axis.EffectiveLineWidth) {
        axis.GridBoundary = axis.GridExtent;
        break;
      }
      axis.LastFullVisibleCell = i;
      axis.FullVisBoundary = axis.GridBoundary;
    }
  };
  calcAxis(info.Horz, useWidth);
  calcAxis(info.Vert, useHeight);
}

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& info) const {
  const TRect client = ClientRect();
  CalcDrawInfoXY(info, client.Width(), client.Height());
}

int TCustomGrid::VisibleColCount() const {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return info.Horz.LastFullVisibleCell - topLeft_.X + 1;
}

int TCustomGrid::VisibleRowCount() const {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return info.Vert.LastFullVisibleCell - topLeft_.Y + 1;
}

int TCustomGrid::GridWidth() const {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return info.Horz.GridBoundary;
}

int TCustomGrid::GridHeight() const {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return info.Vert.GridBoundary;
}

TRect TCustomGrid::BoxRect(const TGridRect& cells, bool includeLine) const {
  if (cells.Left > cells.Right || cells.Top > cells.Bottom) return TRect{};
  TGridDrawInfo info;
  CalcDrawInfo(info);
  // The left (top) edge of a line, or -1 when it is not on the screen.
  auto linePos = [](const TGridAxisDrawInfo& axis, int line) {
    int pos = 0, start = 0;
    if (line >= axis.FixedCellCount) {
      if (line < axis.FirstGridCell) return -1;
      pos = axis.FixedBoundary;
      start = axis.FirstGridCell;
    }
    for (int i = start; i < line; ++i) {
      pos += axis.GetExtent(i) + axis.EffectiveLineWidth;
      if (pos >= axis.GridExtent) return -1;
    }
    return pos;
  };
  auto calcAxis = [&](const TGridAxisDrawInfo& axis, int first, int last, int& lo, int& hi) {
    if (first < 0 || last >= axis.GridCellCount) return false;
    if (first >= axis.FixedCellCount && first < axis.FirstGridCell) {
      if (last < axis.FirstGridCell) return false;
      first = axis.FirstGridCell;
    }
    if (last >= axis.FixedCellCount && last < axis.FirstGridCell) last = axis.FixedCellCount - 1;
    int start = linePos(axis, first);
    if (start < 0) return false;
    // The last cell that is on the screen at all.
    int end = -1;
    for (int i = last; i >= first; --i) {
      int p = linePos(axis, i);
      if (p >= 0) {
        end = std::min(p + std::max(axis.GetExtent(i), 0), axis.GridExtent);
        break;
      }
    }
    if (end < 0) return false;
    if (includeLine) end += axis.EffectiveLineWidth;
    lo = start;
    hi = end;
    return true;
  };
  TRect r;
  if (!calcAxis(info.Horz, cells.Left, cells.Right, r.Left, r.Right)) return TRect{};
  if (!calcAxis(info.Vert, cells.Top, cells.Bottom, r.Top, r.Bottom)) return TRect{};
  return r;
}

TRect TCustomGrid::CellRect(int col, int row) const {
  return BoxRect(TGridRect{col, row, col, row}, false);
}

TGridCoord TCustomGrid::CalcCoordFromPoint(int x, int y, const TGridDrawInfo& info) const {
  auto calc = [](const TGridAxisDrawInfo& axis, int n) {
    if (n < 0) return -1;
    int start, stop, line;
    if (n < axis.FixedBoundary) {
      start = 0;
      stop = axis.FixedCellCount - 1;
      line = 0;
    } else {
      start = axis.FirstGridCell;
      stop = axis.GridCellCount - 1;
      line = axis.FixedBoundary;
    }
    for (int i = start; i <= stop; ++i) {
      line += axis.GetExtent(i) + axis.EffectiveLineWidth;
      if (n < line) return i;
    }
    return -1;
  };
  return TGridCoord{calc(info.Horz, x), calc(info.Vert, y)};
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  TGridCoord c = CalcCoordFromPoint(x, y, info);
  if (c.X < 0) c.Y = -1;
  else if (c.Y < 0) c.X = -1;
  return c;
}

void TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const {
  TGridCoord c = MouseCoord(x, y);
  col = c.X;
  row = c.Y;
}

void TCustomGrid::InvalidateCell(int col, int row) {
  InvalidateRect(TGridRect{col, row, col, row});
}

void TCustomGrid::InvalidateRow(int row) {
  if (!HandleAllocated()) return;
  InvalidateRect(TGridRect{0, row, colCount_ - 1, row});
}

void TCustomGrid::InvalidateCol(int col) {
  if (!HandleAllocated()) return;
  InvalidateRect(TGridRect{col, 0, col, rowCount_ - 1});
}

void TCustomGrid::InvalidateRect(const TGridRect& rect) {
  // Drawing is pointless without a window or while redrawing is off; the
  // window is repainted in full when redrawing comes back.
  if (!HandleAllocated() || !RedrawEnabled()) return;
  TRect r = BoxRect(rect, true);
  if (r.Width() > 0 && r.Height() > 0) TControl::InvalidateRect(r);
}

void TCustomGrid::InvalidateSelection(const TGridRect& sel) {
  if (!HandleAllocated() || !RedrawEnabled()) return;
  InvalidateRect(sel);
}

// ================================================================= current cell

TGridRect TCustomGrid::Selection() const { return GridRect(current_, anchor_); }

void TCustomGrid::SelectionMoved(const TGridRect& oldSel) {
  if (!HandleAllocated() || !RedrawEnabled()) return;
  const TGridRect newSel = Selection();
  if (oldSel == newSel) return;
  // Both rectangles: cells that left the selection and cells that joined it.
  InvalidateRect(oldSel);
  InvalidateRect(newSel);
}

void TCustomGrid::MoveCurrent(int col, int row, bool moveAnchor, bool show) {
  if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) {
    throw EInvalidGridOperation(kIndexOutOfRange);
  }
  if (!SelectCell(col, row)) return;
  const TGridRect oldSel = Selection();
  const TGridCoord oldCurrent = current_;
  current_ = TGridCoord{col, row};
  if (!options_.contains(goAlwaysShowEditor)) HideEditor();
  if (moveAnchor || !options_.contains(goRangeSelect)) {
    anchor_ = current_;
    if (options_.contains(goRowSelect)) anchor_.X = colCount_ - 1;
  }
  if (options_.contains(goRowSelect)) current_.X = fixedCols_;
  if (show) ClampInView(current_);
  SelectionMoved(oldSel);
  InvalidateCell(oldCurrent.X, oldCurrent.Y);
  InvalidateCell(current_.X, current_.Y);
}

void TCustomGrid::MoveAnchor(TGridCoord coord) {
  if (options_.contains(goRangeSelect) && !options_.contains(goEditing)) {
    const TGridRect oldSel = Selection();
    anchor_ = coord;
    if (options_.contains(goRowSelect)) anchor_.X = colCount_ - 1;
    ClampInView(coord);
    SelectionMoved(oldSel);
  } else {
    MoveCurrent(coord.X, coord.Y, true, true);
  }
}

void TCustomGrid::FocusCell(int col, int row, bool moveAnchor) {
  MoveCurrent(col, row, moveAnchor, true);
  UpdateEdit();
  Click();
}

void TCustomGrid::MoveColRow(int col, int row, bool moveAnchor, bool show) {
  MoveCurrent(col, row, moveAnchor, show);
  UpdateEdit();
  Click();
}

void TCustomGrid::SetCol(int value) {
  if (value != current_.X) FocusCell(value, current_.Y, true);
}

void TCustomGrid::SetRow(int value) {
  if (value != current_.Y) FocusCell(current_.X, value, true);
}

void TCustomGrid::SetSelection(const TGridRect& value) {
  auto inside = [&](int c, int r) { return c >= 0 && r >= 0 && c < colCount_ && r < rowCount_; };
  if (!inside(value.Left, value.Top) || !inside(value.Right, value.Bottom)) {
    throw EInvalidGridOperation(kIndexOutOfRange);
  }
  const TGridRect oldSel = Selection();
  anchor_ = value.TopLeft();
  current_ = value.BottomRight();
  SelectionMoved(oldSel);
}

TGridCoord TCustomGrid::CalcMaxTopLeft(TGridCoord coord, const TGridDrawInfo& info) const {
  auto calcMaxCell = [](const TGridAxisDrawInfo& axis, int start) {
    int result = start;
    int line = axis.GridExtent + axis.EffectiveLineWidth;
    for (int i = start; i >= axis.FixedCellCount; --i) {
      const int extent = axis.GetExtent(i);
      if (extent > 0) {
        line -= extent + axis.EffectiveLineWidth;
        if (line < axis.FixedBoundary) {
          if (result == start && axis.GetExtent(start) <= 0) result = i;
          break;
        }
        result = i;
      }
    }
    return result;
  };
  return TGridCoord{calcMaxCell(info.Horz, coord.X), calcMaxCell(info.Vert, coord.Y)};
}

void TCustomGrid::ClampInView(TGridCoord coord) {
  if (!HandleAllocated()) return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  if (coord.X > info.Horz.LastFullVisibleCell || coord.Y > info.Vert.LastFullVisibleCell ||
      coord.X < topLeft_.X || coord.Y < topLeft_.Y) {
    const TGridCoord oldTopLeft = topLeft_;
    const TGridCoord maxTopLeft = CalcMaxTopLeft(coord, info);
    if (coord.X < topLeft_.X) topLeft_.X = std::max(coord.X, fixedCols_);
    else if (coord.X > info.Horz.LastFullVisibleCell) topLeft_.X = maxTopLeft.X;
    if (coord.Y < topLeft_.Y) topLeft_.Y = std::max(coord.Y, fixedRows_);
    else if (coord.Y > info.Vert.LastFullVisibleCell) topLeft_.Y = maxTopLeft.Y;
    if (!(oldTopLeft == topLeft_)) TopLeftMoved(oldTopLeft);
  }
}

// ================================================================= scrolling

void TCustomGrid::SetTopRow(int value) {
  if (value != topLeft_.Y) MoveTopLeft(topLeft_.X, value);
}

void TCustomGrid::SetLeftCol(int value) {
  if (value != topLeft_.X) MoveTopLeft(value, topLeft_.Y);
}

void TCustomGrid::MoveTopLeft(int col, int row) {
  // The first scrolling line stays a scrolling line of the grid.
  col = std::clamp(col, fixedCols_, colCount_ - 1);
  row = std::clamp(row, fixedRows_, rowCount_ - 1);
  if (col == topLeft_.X && row == topLeft_.Y) return;
  const TGridCoord oldTopLeft = topLeft_;
  topLeft_ = TGridCoord{col, row};
  TopLeftMoved(oldTopLeft);
}

void TCustomGrid::TopLeftMoved(TGridCoord oldTopLeft) {
  UpdateScrollPos();
  InvalidateGrid();
  if (inplaceEdit_ && editorMode_) UpdateEdit();
  TopLeftChanged();
}

void TCustomGrid::UpdateScrollPos() {
  if (!HandleAllocated()) return;
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) {
    SetScrollPos(Handle(), SB_HORZ, topLeft_.X - fixedCols_, true);
  }
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) {
    SetScrollPos(Handle(), SB_VERT, topLeft_.Y - fixedRows_, true);
  }
}

void TCustomGrid::UpdateScrollRange() {
  if (!HandleAllocated() || updatingScrollBars_) return;
  updatingScrollBars_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{updatingScrollBars_};
  const bool wantHorz = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
  const bool wantVert = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
  const TGridCoord lastCell{colCount_ - 1, rowCount_ - 1};
  // Decide on the window's whole area: a bar is needed when the lines do not
  // fit without it, and one bar narrows the room for the other.
  const int fullWidth = Width(), fullHeight = Height();
  const HWND wnd = HandleAllocated() ? Handle() : nullptr;
  const int barWidth = ScrollBarExtent(wnd, SB_VERT), barHeight = ScrollBarExtent(wnd, SB_HORZ);
  bool needHorz = false, needVert = false;
  TGridDrawInfo info;
  TGridCoord maxTopLeft;
  for (int round = 0; round < 3; ++round) {
    const int w = std::max(fullWidth - (needVert ? barWidth : 0), 0);
    const int h = std::max(fullHeight - (needHorz ? barHeight : 0), 0);
    CalcDrawInfoXY(info, w, h);
    maxTopLeft = CalcMaxTopLeft(lastCell, info);
    const bool horz = wantHorz && maxTopLeft.X > fixedCols_;
    const bool vert = wantVert && maxTopLeft.Y > fixedRows_;
    if (horz == needHorz && vert == needVert) break;
    needHorz = horz;
    needVert = vert;
  }
  // A grid that grew (or a window that grew) may scroll back.
  const TGridCoord oldTopLeft = topLeft_;
  topLeft_.X = std::clamp(std::min(topLeft_.X, maxTopLeft.X), fixedCols_, colCount_ - 1);
  topLeft_.Y = std::clamp(std::min(topLeft_.Y, maxTopLeft.Y), fixedRows_, rowCount_ - 1);
  if (!(oldTopLeft == topLeft_)) CalcDrawInfoXY(info, info.Horz.GridExtent, info.Vert.GridExtent);
  auto setBar = [&](int bar, bool needed, int fixedCount, int maxTop, int firstCell,
                    const TGridAxisDrawInfo& axis) {
    TScrollInfo si;
    si.fMask = SIF_ALL;
    si.nMin = 0;
    if (!needed) {
      si.nMax = 0;
      si.nPage = 1;
      si.nPos = 0;
      SetScrollInfo(Handle(), bar, si, true);
      return;
    }
    // One position per first scrolling line that can show, the page as long
    // as the lines on the screen, so the thumb tells the proportion.
    const int positions = maxTop - fixedCount + 1;
    const int page = std::max(axis.LastFullVisibleCell - axis.FirstGridCell + 1, 1);
    si.nPage = static_cast<UINT>(page);
    si.nMax = positions - 1 + page - 1;
    si.nPos = firstCell - fixedCount;
    SetScrollInfo(Handle(), bar, si, true);
  };
  setBar(SB_HORZ, needHorz, fixedCols_, maxTopLeft.X, topLeft_.X, info.Horz);
  setBar(SB_VERT, needVert, fixedRows_, maxTopLeft.Y, topLeft_.Y, info.Vert);
  if (!(oldTopLeft == topLeft_)) {
    InvalidateGrid();
    TopLeftChanged();
  }
}

void TCustomGrid::ModifyScrollBar(int bar, Word code, int pos) {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  const bool horz = bar == SB_HORZ;
  const TGridCoord maxTopLeft = CalcMaxTopLeft(TGridCoord{colCount_ - 1, rowCount_ - 1}, info);
  const TGridAxisDrawInfo& axis = horz ? info.Horz : info.Vert;
  const int first = horz ? topLeft_.X : topLeft_.Y;
  const int fixedCount = horz ? fixedCols_ : fixedRows_;
  const int maxFirst = std::max(horz ? maxTopLeft.X : maxTopLeft.Y, fixedCount);
  const int page = std::max(axis.LastFullVisibleCell - first, 1);
  int target = first;
  switch (code) {
    case SB_LINEUP: target = first - 1; break;
    case SB_LINEDOWN: target = first + 1; break;
    case SB_PAGEUP: target = first - page; break;
    case SB_PAGEDOWN: target = first + page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      if (code == SB_THUMBTRACK && !options_.contains(goThumbTracking)) return;
      // The 16-bit position of the message does not reach far into a long
      // grid; the bar's own track position does, when it is the same place.
      TScrollInfo si;
      si.fMask = SIF_TRACKPOS;
      int p = pos;
      if (HandleAllocated() && GetScrollInfo(Handle(), bar, si) && (si.nTrackPos & 0xFFFF) == pos) {
        p = si.nTrackPos;
      }
      target = fixedCount + p;
      break;
    }
    case SB_TOP: target = fixedCount; break;
    case SB_BOTTOM: target = maxFirst; break;
    default: return;
  }
  target = std::clamp(target, fixedCount, maxFirst);
  if (horz) MoveTopLeft(target, topLeft_.Y);
  else MoveTopLeft(topLeft_.X, target);
  UpdateScrollPos();
}

// ================================================================= moving and deleting

void TCustomGrid::MoveColumn(int fromIndex, int toIndex) {
  if (fromIndex < 0 || toIndex < 0 || fromIndex >= colCount_ || toIndex >= colCount_) {
    throw EInvalidGridOperation(kIndexOutOfRange);
  }
  if (fromIndex == toIndex) return;
  HideEdit();
  MoveAdjust(current_.X, fromIndex, toIndex);
  MoveAdjust(anchor_.X, fromIndex, toIndex);
  MoveItem(colWidths_, fromIndex, toIndex);
  {
    std::vector<char> stops(tabStops_.begin(), tabStops_.end());
    MoveItem(stops, fromIndex, toIndex);
    std::copy(stops.begin(), stops.end(), tabStops_.begin());
  }
  ColumnMoved(fromIndex, toIndex);
  ColWidthsChanged();
  InvalidateGrid();
  UpdateEdit();
}

void TCustomGrid::MoveRow(int fromIndex, int toIndex) {
  if (fromIndex < 0 || toIndex < 0 || fromIndex >= rowCount_ || toIndex >= rowCount_) {
    throw EInvalidGridOperation(kIndexOutOfRange);
  }
  if (fromIndex == toIndex) return;
  HideEdit();
  MoveAdjust(current_.Y, fromIndex, toIndex);
  MoveAdjust(anchor_.Y, fromIndex, toIndex);
  MoveItem(rowHeights_, fromIndex, toIndex);
  RowMoved(fromIndex, toIndex);
  RowHeightsChanged();
  InvalidateGrid();
  UpdateEdit();
}

void TCustomGrid::MoveRowBlock(int fromIndex, int count, int toIndex) {
  if (count <= 0) return;
  if (fromIndex < 0 || toIndex < 0 || fromIndex + count > rowCount_ || toIndex > rowCount_) {
    throw EInvalidGridOperation(kIndexOutOfRange);
  }
  // A destination inside the block moves nothing.
  if (toIndex >= fromIndex && toIndex <= fromIndex + count) return;
  HideEdit();
  BlockAdjust(current_.Y, fromIndex, count, toIndex);
  BlockAdjust(anchor_.Y, fromIndex, count, toIndex);
  auto first = rowHeights_.begin();
  if (toIndex < fromIndex) {
    std::rotate(first + toIndex, first + fromIndex, first + fromIndex + count);
  } else {
    std::rotate(first + fromIndex, first + fromIndex + count, first + toIndex);
  }
  RowBlockMoved(fromIndex, count, toIndex);
  RowHeightsChanged();
  InvalidateGrid();
  UpdateEdit();
}

void TCustomGrid::DeleteColumn(int col) {
  if (col < 0 || col >= colCount_) throw EInvalidGridOperation(kIndexOutOfRange);
  MoveColumn(col, colCount_ - 1);
  SetColCount(colCount_ - 1);
}

void TCustomGrid::DeleteRow(int row) {
  if (row < 0 || row >= rowCount_) throw EInvalidGridOperation(kIndexOutOfRange);
  MoveRow(row, rowCount_ - 1);
  SetRowCount(rowCount_ - 1);
}

// ================================================================= virtual defaults

bool TCustomGrid::SelectCell(int col, int row) { return true; }
void TCustomGrid::TopLeftChanged() {}
void TCustomGrid::ColumnMoved(int fromIndex, int toIndex) {}
void TCustomGrid::RowMoved(int fromIndex, int toIndex) {}

void TCustomGrid::ColWidthsChanged() {
  UpdateScrollRange();
  InvalidateGrid();
  if (inplaceEdit_ && editorMode_) UpdateEdit();
}

void TCustomGrid::RowHeightsChanged() {
  UpdateScrollRange();
  InvalidateGrid();
  if (inplaceEdit_ && editorMode_) UpdateEdit();
}

void TCustomGrid::SizeChanged(int oldColCount, int oldRowCount) {}

// ------------------------------------------------------------------ TDrawGrid

TDrawGrid::TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}

void TDrawGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

bool TDrawGrid::SelectCell(int col, int row) {
  bool canSelect = TCustomGrid::SelectCell(col, row);
  if (OnSelectCell) OnSelectCell(this, col, row, canSelect);
  return canSelect;
}

void TDrawGrid::TopLeftChanged() {
  TCustomGrid::TopLeftChanged();
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TDrawGrid::ColumnMoved(int fromIndex, int toIndex) {
  TCustomGrid::ColumnMoved(fromIndex, toIndex);
  if (OnColumnMoved) OnColumnMoved(this, fromIndex, toIndex);
}

void TDrawGrid::RowMoved(int fromIndex, int toIndex) {
  TCustomGrid::RowMoved(fromIndex, toIndex);
  if (OnRowMoved) OnRowMoved(this, fromIndex, toIndex);
}

AnsiString TDrawGrid::GetEditText(int col, int row) {
  AnsiString value;
  if (OnGetEditText) OnGetEditText(this, col, row, value);
  return value;
}

void TDrawGrid::SetEditText(int col, int row, const AnsiString& value) {
  if (OnSetEditText) OnSetEditText(this, col, row, value);
}

AnsiString TDrawGrid::GetEditMask(int col, int row) {
  AnsiString value;
  if (OnGetEditMask) OnGetEditMask(this, col, row, value);
  return value;
}
