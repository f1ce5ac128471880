// Auto-merge of equal cells, column statistics and the footer values of
// TExStringGrid.
#include <algorithm>
#include <limits>

#include "grid/ExGrid.h"

// ------------------------------------------------------------- auto-merge

void TExStringGrid::ApplyAutoMerge() {
  if (autoMerging_) return;
  autoMerging_ = true;
  const int lastRow = RowCount() - 2 - fixedFooters_;
  for (int c = 0; c < ColCount(); ++c) {
    int r = 0;
    while (r <= lastRow) {
      if (IsMergedCell(c, r)) {
        const TPoint base = BaseCellOf(c, r);
        const TPoint span = CellSpan(c, r);
        SplitCells(c, r);
        r = std::max(r + 1, base.Y + span.Y + 1);
      } else {
        ++r;
      }
    }
  }
  const int firstRow = TBaseGrid::FixedRows();
  const int endRow = RowCount() - 1 - fixedFooters_;
  for (int i = 0; i < autoMergeCols_.Count(); ++i) {
    const int col = autoMergeCols_.Items(i);
    if (col < 0 || col >= ColCount()) continue;
    // Later columns merge only inside the spans the first one formed.
    const bool mainColumn = i == 0;
    int start = firstRow;
    int length = 1;
    AnsiString previous = GetCellText(col, firstRow);
    for (int r = firstRow + 1; r <= endRow; ++r) {
      AnsiString text = GetCellText(col, r);
      if (text == previous && (mainColumn || RowsShareSpan(r, r - 1))) {
        ++length;
      } else {
        // A run of one merges nothing visible; it keeps its cell as it is.
        if (length > 1) MergeCells(col, start, 1, length);
        start = r;
        length = 1;
      }
      previous = std::move(text);
    }
    if (length > 1) MergeCells(col, start, 1, length);
  }
  autoMerging_ = false;
}

// ------------------------------------------------------------- statistics

namespace {

// Calls use(value) for every row whose cell holds a number: an empty cell
// or a text without digits adds nothing, and minimum and maximum start
// from the first number. Node and summary rows of a grouped grid are no
// rows of values. Returns the number of rows of values in the range, which
// the average divides by.
template <class Use>
int ForEachNumber(const TExStringGrid& grid, int col, int fromRow, int toRow, Use use) {
  fromRow = std::max(fromRow, 0);
  toRow = std::min(toRow, grid.RowCount() + grid.HiddenRowCount() - 1);
  int rows = 0;
  for (int r = fromRow; r <= toRow; ++r) {
    if (grid.GroupColumn() >= 0 && !grid.IsRowHidden(r)) {
      const int shown = grid.DisplRowIndex(r);
      if (grid.IsNodeRow(shown) || grid.IsSummaryRow(shown)) continue;
    }
    ++rows;
    const AnsiString clean = CleanNumberText(grid.AllCells(col, r));
    if (clean.empty() || clean == "-") continue;
    double value;
    try {
      value = grid.AllFloats(col, r);
    } catch (const EExGridError&) {
      continue;
    }
    use(value);
  }
  return rows;
}

}  // namespace

double TExStringGrid::ColumnSum(int col, int fromRow, int toRow) const {
  double sum = 0;
  ForEachNumber(*this, col, fromRow, toRow, [&](double v) { sum += v; });
  return sum;
}

double TExStringGrid::ColumnAvg(int col, int fromRow, int toRow) const {
  double sum = 0;
  const int rows = ForEachNumber(*this, col, fromRow, toRow, [&](double v) { sum += v; });
  return rows > 0 ? sum / rows : 0;
}

double TExStringGrid::ColumnMin(int col, int fromRow, int toRow) const {
  double result = std::numeric_limits<double>::infinity();
  ForEachNumber(*this, col, fromRow, toRow, [&](double v) { result = std::min(result, v); });
  return result == std::numeric_limits<double>::infinity() ? 0 : result;
}

double TExStringGrid::ColumnMax(int col, int fromRow, int toRow) const {
  double result = -std::numeric_limits<double>::infinity();
  ForEachNumber(*this, col, fromRow, toRow, [&](double v) { result = std::max(result, v); });
  return result == -std::numeric_limits<double>::infinity() ? 0 : result;
}

// ------------------------------------------------------------- footer values

void TExStringGrid::UpdateFooterValues(int col) {
  if (!floatingFooter_->Visible() || floatingFooter_->FooterStyle() != fsFixedLastRow) return;
  const int footerRow = RowCount() - 1;
  const int hiddenRows = floatingFooter_->CalculateHiddenRows() ? HiddenRowCount() : 0;
  const int firstRow = TBaseGrid::FixedRows();
  const int lastRow = RowCount() - 2 + hiddenRows;
  int firstCol = col;
  int lastCol = col;
  if (col == -1) {
    firstCol = 0;
    lastCol = RealColCount() - 1;
  }
  firstCol = std::max(firstCol, 0);
  lastCol = std::min(lastCol, RealColCount() - 1);
  for (int c = firstCol; c <= lastCol; ++c) {
    const TCellProperties* props = FindCellProperties(c, footerRow);
    if (!props) continue;
    switch (props->FooterCalcKind()) {
      case 0:
        SetCellText(c, footerRow, AnsiString());
        break;
      case 1:
        SetFloats(c, footerRow, ColumnSum(c, firstRow, lastRow));
        break;
      case 2:
        SetFloats(c, footerRow, ColumnAvg(c, firstRow, lastRow));
        break;
      case 3:
        SetFloats(c, footerRow, RowCount() - 1 - firstRow + hiddenRows);
        break;
      case 4:
        SetFloats(c, footerRow, ColumnMin(c, firstRow, lastRow));
        break;
      case 5:
        SetFloats(c, footerRow, ColumnMax(c, firstRow, lastRow));
        break;
      case 7: {
        AnsiString value = RawCells(c, footerRow);
        if (floatingFooter_->OnCalcFooter)
          floatingFooter_->OnCalcFooter(this, c, RowCount() - 1 + hiddenRows, value);
        else
          value.clear();
        SetCellText(c, footerRow, value);
        break;
      }
      default:
        break;
    }
  }
}
