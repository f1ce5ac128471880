// The sort operations of TExStringGrid.
//
// Sections:
//   Cells as sort keys ... texts, cell types, check boxes, images
//   Comparisons .......... CompareCells, CompareRowsOnColumn, CompareRowsByIndexList
//   Sort frame ........... scratch rows, hidden columns, current row, column 0
//   Quicksorts ........... QuickSortRows, QuickSortIndexed (pivot in a scratch row)
//   Entry points ......... SortOnColumn, SortByIndexList, SortWithinGroups,
//                          RestoreUnsortedOrder, BubbleSortColumn, HeaderClickSort
//   SwapRows
//
// Call tree of a sort:
//   SortOnColumn / SortByIndexList / SortWithinGroups
//     TSortFrame (3 scratch rows, hidden columns shown, update bracket)
//       SortByValueRuns (grouping's sort, when it gives the same order;
//                        ExGridSortRuns.cpp)
//       QuickSortRows / QuickSortIndexed
//         StartPivot (the middle row becomes the pivot, in scratch row RowCount - 2)
//         CompareRowsOnColumn / CompareRowsByIndexList -> CompareCells
//         SwapRows (moves the row records; the unsorted-order list follows)
//
// The comparison is not a strict weak ordering (the automatic style is
// chosen from the first row's text, and two texts that are no numbers
// compare equal under a number style), so the sort is this partition loop
// and never std::sort, whose behaviour such a comparison leaves undefined.
#include <algorithm>
#include <chrono>
#include <climits>
#include <numeric>

#include "grid/CellGraphic.h"
#include "grid/ExGrid.h"

// ------------------------------------------------------------- cells as sort keys

namespace {

bool IsCheckBoxType(TCellType type) {
  return type == ctCheckBox || type == ctDataCheckBox || type == ctVirtCheckBox;
}

// Bitmap and icon cells carry no order of their own (their sort value is
// an object's address): they follow every image-list cell and tie among
// themselves, so the order does not depend on where objects were allocated.
int ImageSortKey(const TExStringGrid& grid, int col, int row) {
  switch (grid.GetCellType(col, row)) {
    case ctImageList:
      return static_cast<int>(grid.GetImageValue(col, row));
    case ctBitmap:
    case ctIcon:
      return INT_MAX;
    default:
      return -1;
  }
}

}  // namespace

const AnsiString& TExStringGrid::SortText(int col, int row, AnsiString& holder) {
  // The plain store is read in place; display events and spans go through
  // the grid's cell access.
  if (!OnGetDisplText && !OnGetDisplWideText && !RawObjects(col, row)) return RawCells(col, row);
  holder = GetCellText(col, row);
  return holder;
}

// ------------------------------------------------------------- comparisons

namespace {

// Styles whose comparison is a function of the two texts and the format
// alone, which a column's keys can answer.
bool ComparesTextsOnly(TSortStyle style) {
  return style != ssCustom && style != ssRaw && style != ssImages && style != ssCheckBox;
}

}  // namespace

// The pivot's keys are those of the row it was copied from, which swaps
// follow: the same texts, and no copy of them.
std::size_t TExStringGrid::SortKeyIndex(int row) const {
  return static_cast<std::size_t>(row == pivotRow_ && pivotSource_ >= 0 ? pivotSource_ : row);
}

int TExStringGrid::CompareSortKeys(const TSortKeyColumn& keys, int row1, int row2,
                                   TSortDirection direction) const {
  return CompareKeysAt(keys, SortKeyIndex(row1), SortKeyIndex(row2), direction);
}

inline int TExStringGrid::CompareKeysAt(const TSortKeyColumn& keys, std::size_t k1, std::size_t k2,
                                        TSortDirection direction) const {
  const TSortKeyColumn::TKey& key1 = keys.Keys[k1];
  const TSortKeyColumn::TKey& key2 = keys.Keys[k2];
  TSortStyle style = keys.Style;
  int result = 0;
  if (keys.HasNumbers && style == ssAutomatic) style = static_cast<TSortStyle>(key1.Style);
  if (keys.HasNumbers && style == ssNumeric) {
    if (key1.NumberRead || key2.NumberRead) {
      // A key that read no number keeps its text's head; a numeric
      // comparison reads what the text starts with ("120 min": 120), read
      // again here for the rare comparison of such a text with a number.
      auto number = [&keys](const TSortKeyColumn::TKey& key, std::size_t k) {
        if (key.NumberRead) return key.Number;
        double value = 0;
        SortNumberValue(keys.Text(k), keys.Prefix, keys.Suffix, false, value);
        return value;
      };
      const double n1 = number(key1, k1), n2 = number(key2, k2);
      result = n1 < n2 ? -1 : (n1 > n2 ? 1 : 0);
    }
  } else if ((style == ssAlphabetic || style == ssAlphaCase) && !key1.NumberRead && !key2.NumberRead &&
             key1.Head != key2.Head) {
    // A byte comparison that the first eight bytes decide.
    result = key1.Head < key2.Head ? -1 : 1;
  } else {
    result = CompareTextsByStyle(style, keys.Text(k1), keys.Text(k2), keys.Prefix, keys.Suffix);
    result = result < 0 ? -1 : (result > 0 ? 1 : 0);
  }
  if (sortSettings_->IgnoreBlanks())
    result = PlaceBlanks(result, key1.Length == 0, key2.Length == 0, direction, sortSettings_->BlankPos());
  return result;
}

int TExStringGrid::CompareCells(int col, int row1, int row2, TSortDirection direction) {
  // A keyed column reads the pivot's key; its cell is filled only where
  // handlers may read it, which fills the whole pivot row at once.
  const TSortKeyColumn* keys = SortKeysOf(col);
  if (keys && keys->FormatFixed) return CompareSortKeys(*keys, row1, row2, direction);
  const bool keyed = keys != nullptr;
  if (!keyed && (row1 == pivotRow_ || row2 == pivotRow_)) FillPivotCell(col);
  TSortStyle style = sortSettings_->AutoFormat() ? ssAutomatic : ssAlphabetic;
  AnsiString prefix, suffix;
  GetCellFormat(col, style, prefix, suffix);
  // The styles and numbers read when the keys were made, while the format
  // still is the one they were read with.
  if (keyed && ComparesTextsOnly(style) && style == keys->Style && prefix == keys->Prefix && suffix == keys->Suffix)
    return CompareSortKeys(*keys, row1, row2, direction);
  AnsiString holder1, holder2;
  const std::string_view t1 = keyed ? keys->Text(SortKeyIndex(row1)) : std::string_view(SortText(col, row1, holder1));
  const std::string_view t2 = keyed ? keys->Text(SortKeyIndex(row2)) : std::string_view(SortText(col, row2, holder2));
  // A keyed column holds no cell objects, so no check boxes either.
  if (style == ssAutomatic && !keyed && IsCheckBoxType(GetCellType(col, row1))) style = ssCheckBox;

  int result = 0;
  switch (style) {
    case ssCustom:
      if (OnCustomCompare) OnCustomCompare(this, AnsiString(t1), AnsiString(t2), result);
      break;
    case ssRaw:
      if (OnRawCompare) OnRawCompare(this, col, row1, row2, result);
      break;
    case ssImages: {
      const int k1 = ImageSortKey(*this, col, row1), k2 = ImageSortKey(*this, col, row2);
      result = k1 < k2 ? -1 : (k1 > k2 ? 1 : 0);
      break;
    }
    case ssCheckBox: {
      bool checked1 = false, checked2 = false;
      GetCheckBoxState(col, row1, checked1);
      GetCheckBoxState(col, row2, checked2);
      result = static_cast<int>(checked1) - static_cast<int>(checked2);
      break;
    }
    default:
      result = CompareTextsByStyle(style, t1, t2, prefix, suffix);
      break;
  }
  result = result < 0 ? -1 : (result > 0 ? 1 : 0);
  if (sortSettings_->IgnoreBlanks())
    result = PlaceBlanks(result, t1.empty(), t2.empty(), direction, sortSettings_->BlankPos());
  return result;
}

int TExStringGrid::CompareRowsOnColumn(int col, int row1, int row2) {
  const TSortDirection direction = sortSettings_->Direction();
  // The pivot against the row it was copied from: the same texts in every
  // column, equal under every style but the handlers' own.
  if (pivotSource_ >= 0 && !OnCustomCompare && !OnRawCompare &&
      ((row1 == pivotRow_ && row2 == pivotSource_) || (row2 == pivotRow_ && row1 == pivotSource_)))
    return 0;
  for (;;) {
    const int result = CompareCells(col, row1, row2, direction);
    if (result != 0 || !sortSettings_->Full() || col > ColCount() - 2) return result;
    ++col;
  }
}

int TExStringGrid::CompareRowsByIndexList(int k, int row1, int row2) {
  // Outside a sort the entries are read from the list and mapped to real columns.
  std::vector<int> entries;
  const std::vector<int>* list = &indexedSortEntries_;
  if (list->empty()) {
    for (int i = 0; i < sortIndexes_.Count(); ++i) {
      const int item = sortIndexes_.Items(i);
      const int col = RealColIndex(TSortIndexList::ColumnOf(item));
      entries.push_back(static_cast<int>((static_cast<unsigned>(item) & TSortIndexList::kDescendingBit) |
                                         static_cast<unsigned>(col)));
    }
    list = &entries;
  }
  for (; k < static_cast<int>(list->size()); ++k) {
    const int item = (*list)[static_cast<std::size_t>(k)];
    const bool ascending = TSortIndexList::IsAscending(item);
    const int result =
        CompareCells(TSortIndexList::ColumnOf(item), row1, row2, ascending ? sdAscending : sdDescending);
    if (result != 0 || !sortSettings_->Full() || k + 1 >= static_cast<int>(list->size()))
      return ascending ? result : -result;
  }
  return 0;
}

// ------------------------------------------------------------- sort frame

// Everything a sort changes around the rows it moves, put back on leaving
// (also when a comparison handler throws): three scratch rows at the end
// (the pivot lives in the second to last), hidden columns counted in so
// they travel with their rows, the last column's width, the current row
// and, with NormalCellsOnly, the texts of column 0.
struct TExStringGrid::TSortFrame {
  explicit TSortFrame(TExStringGrid& grid) : g(grid) {
    if (g.unsortedOrder_.size() != static_cast<std::size_t>(g.RowCount())) g.RebuildUnsortedOrder();
    realRows = g.RowCount();
    if (g.sortSettings_->NormalCellsOnly() && g.FixedCols() > 0) {
      savedColumn0.reserve(static_cast<std::size_t>(realRows));
      for (int r = 0; r < realRows; ++r) savedColumn0.push_back(g.RawCells(0, r));
    }
    g.BeginUpdate();
    // Rows move with their cells' properties: a span over several rows
    // would be torn apart (and its file refused on loading).
    g.SplitTallSpansIn(FirstRow(), LastRow());
    hidden = g.HiddenColumnCount();
    lastWidth = g.ColWidths(g.ColCount() - 1);
    g.SetRowCount(realRows + 3);
    g.SetDisplayRowLimit(realRows);  // scratch rows never reach the display-text events
    if (hidden) g.TBaseGrid::SetColCount(g.ColCount() + hidden);
    oldRow = g.Row();
    g.rememberedRow_ = oldRow;
    g.pivotRow_ = realRows + 1;
    g.pivotSource_ = -1;
    g.pivotStamp_.assign(static_cast<std::size_t>(g.ColCount()), 0);
    g.pivotGeneration_ = 0;
  }

  ~TSortFrame() {
    g.pivotRow_ = -1;
    g.pivotSource_ = -1;
    g.sortColumn_ = -1;
    g.indexedSortEntries_.clear();
    g.sortKeyCol_ = -1;
    g.sortKeys_.clear();
    g.sortKeyState_.clear();
    g.sortKeyReached_.clear();
    g.keyedColumns_.clear();
    // The pivot shares the objects of the row it was copied from: the
    // scratch rows let go of them without freeing.
    for (int r = realRows; r < realRows + 3; ++r) g.DetachRowCells(r);
    // With MoveRowOnSort the cursor stays on the data it was on, which the
    // swaps carried to the remembered row; otherwise it keeps its index.
    const int target = g.navigation_->MoveRowOnSort() ? g.rememberedRow_ : oldRow;
    if (g.Row() != target && target >= 0 && target < realRows) g.SetRow(target);
    if (hidden) g.TBaseGrid::SetColCount(g.ColCount() - hidden);
    g.SetColWidths(g.ColCount() - 1, lastWidth);
    g.SetRowCount(realRows);
    for (std::size_t r = 0; r < savedColumn0.size(); ++r)
      g.SetRawCells(0, static_cast<int>(r), std::move(savedColumn0[r]));
    g.EndUpdate();
  }

  int FirstRow() const { return g.FixedRows(); }
  int LastRow() const { return realRows - 1 - g.FixedFooters(); }

  TExStringGrid& g;
  int realRows = 0;
  int hidden = 0;
  int lastWidth = 0;
  int oldRow = 0;
  std::vector<AnsiString> savedColumn0;
};

void TExStringGrid::RebuildUnsortedOrder() {
  unsortedOrder_.resize(static_cast<std::size_t>(RowCount()));
  std::iota(unsortedOrder_.begin(), unsortedOrder_.end(), 0);
}

bool TExStringGrid::KeyableColumn(int col) const {
  // Display events may change any text, cell objects make spans and check
  // boxes, and a single-column swap moves texts, not rows: those read the
  // cells themselves.
  if (OnGetDisplText || OnGetDisplWideText || sortSettings_->SingleColumn()) return false;
  if (col < 0 || col >= ColCount()) return false;
  const int rows = RowCount();
  // The column grid's data check box columns hold no objects, yet compare
  // by the state of their boxes.
  if (FixedRows() < rows && IsCheckBoxType(GetCellType(col, FixedRows()))) return false;
  for (int r = 0; r < rows; ++r)
    if (RawObjects(col, r)) return false;
  return true;
}

void TExStringGrid::BuildSortKeys(int col) {
  sortKeyCol_ = -1;
  sortKeys_.clear();
  sortKeyState_.clear();
  sortKeyReached_.clear();
  keyedColumns_.clear();
  if (!KeyableColumn(col)) return;
  sortKeyCol_ = col;
  sortKeys_.resize(static_cast<std::size_t>(ColCount() - col));
  sortKeyState_.assign(sortKeys_.size(), 0);
  sortKeyReached_.assign(sortKeys_.size(), 0);
}

int TExStringGrid::SortKeysWorthAPass() const { return std::max(16, RowCount() / 64); }

const TSortKeyColumn* TExStringGrid::SortKeysOf(int col) {
  if (sortKeyCol_ < 0 || col < sortKeyCol_) return nullptr;
  const std::size_t k = static_cast<std::size_t>(col - sortKeyCol_);
  if (k >= sortKeyState_.size()) return nullptr;
  if (sortKeyState_[k] == 0) {
    // Many equal texts in the sort column send comparisons on to the next
    // columns in random row order: their keys are worth a pass over the
    // rows, once a column has been reached often enough to show it. A
    // column that only breaks a few ties is read from its cells.
    if (k > 0 && ++sortKeyReached_[k] < SortKeysWorthAPass()) return nullptr;
    BuildSortKeysFrom(k);
  }
  return sortKeyState_[k] > 0 ? &sortKeys_[k] : nullptr;
}

void TExStringGrid::BuildSortKeysFrom(std::size_t k) {
  // The columns after this one that ties already reach often will soon be
  // worth their keys too: one pass reads them all, row by row, where a
  // pass of their own would fetch every row's cells again. One that ties
  // have barely reached yet may never need its keys: it waits.
  std::size_t end = k + 1;
  while (end < sortKeyState_.size() && sortKeyState_[end] == 0 &&
         sortKeyReached_[end] >= std::max(2, SortKeysWorthAPass() / 64))
    ++end;
  const int first = sortKeyCol_ + static_cast<int>(k);
  // Only handlers run code of others during a sort; without them a
  // column's format stays as it is taken here. Styles that do more than
  // compare two texts always take the long way.
  const bool noHandlers = !OnGetFormat && !OnCustomCompare && !OnRawCompare;
  for (std::size_t j = k; j < end; ++j) {
    const int col = sortKeyCol_ + static_cast<int>(j);
    sortKeyState_[j] = j == 0 || KeyableColumn(col) ? 1 : -1;
    if (sortKeyState_[j] < 0) continue;
    TSortKeyColumn& keys = sortKeys_[j];
    keys.Style = sortSettings_->AutoFormat() ? ssAutomatic : ssAlphabetic;
    GetCellFormat(col, keys.Style, keys.Prefix, keys.Suffix);
    keys.HasNumbers = keys.Style == ssAutomatic || keys.Style == ssNumeric;
    keys.FormatFixed = ComparesTextsOnly(keys.Style) && noHandlers;
    keys.Keys.reserve(static_cast<std::size_t>(RowCount()));
  }
  // A keyed column is one of the store's (KeyableColumn), every row of it;
  // numbers are read while each text is at hand. Texts past what a key can
  // address leave their column to be read from the cells.
  ReadColumnTexts(first, static_cast<int>(end - k), [&](int col, const AnsiString& text) {
    const std::size_t j = static_cast<std::size_t>(col - sortKeyCol_);
    if (sortKeyState_[j] <= 0) return;
    TSortKeyColumn& keys = sortKeys_[j];
    if (text.size() > TSortKeyColumn::kMaxLength || keys.Chars.size() + text.size() > UINT32_MAX) {
      keys = TSortKeyColumn();
      sortKeyState_[j] = -1;
      return;
    }
    TSortKeyColumn::TKey key{};
    key.Offset = static_cast<std::uint32_t>(keys.Chars.size());
    key.Length = static_cast<std::uint32_t>(text.size());
    keys.Chars.append(text);
    if (keys.HasNumbers) {
      key.Style = keys.Style == ssAutomatic ? AutomaticStyleOf(text) : keys.Style;
      double number = 0;
      key.NumberRead = SortNumberValue(text, keys.Prefix, keys.Suffix, false, number);
      key.Number = number;
    }
    if (!key.NumberRead) key.Head = TSortKeyColumn::HeadOf(text);
    keys.Keys.push_back(key);
  });
  for (std::size_t j = k; j < end; ++j)
    if (sortKeyState_[j] > 0) keyedColumns_.push_back(j);
}

// ------------------------------------------------------------- quicksorts

// The pivot row is a copy of row `row` taken when the partition starts.
// Copying all its cells for every partition would cost more than the
// comparisons; a cell is copied when a comparison first reads it, which
// gives the same texts, because the source row is followed through swaps.
// Where a handler may read any cell of the pivot row, or a swap moves only
// one column, the whole row is copied at once.
void TExStringGrid::StartPivot(int row) {
  ++pivotGeneration_;
  if (pivotGeneration_ == 0) {  // wrapped: no cell may look fresh
    std::fill(pivotStamp_.begin(), pivotStamp_.end(), 0);
    pivotGeneration_ = 1;
  }
  pivotSource_ = row;
  if (OnGetDisplText || OnGetDisplWideText || OnRawCompare || sortSettings_->SingleColumn()) FillWholePivot();
}

void TExStringGrid::FillPivotCell(int col) {
  if (col < 0 || col >= static_cast<int>(pivotStamp_.size())) return;
  unsigned& stamp = pivotStamp_[static_cast<std::size_t>(col)];
  if (stamp == pivotGeneration_ || pivotSource_ < 0) return;
  stamp = pivotGeneration_;
  if (OnGetDisplText || OnGetDisplWideText) {
    // The text as displayed: the pivot row lies past the display limit
    // and would not be asked again.
    SetRawCells(col, pivotRow_, GetCellText(col, pivotSource_));
  } else {
    SetRawCells(col, pivotRow_, RawCells(col, pivotSource_));
  }
  SetRawObjects(col, pivotRow_, RawObjects(col, pivotSource_));
}

void TExStringGrid::FillWholePivot() {
  for (int c = 0; c < static_cast<int>(pivotStamp_.size()); ++c) FillPivotCell(c);
}

void TExStringGrid::QuickSortRows(int col, int lo, int hi) {
  const int s = SortSign(sortSettings_->Direction());
  // A keyed column whose format no handler can change is compared from
  // its keys alone, without the way through CompareCells each comparison
  // would otherwise take; ties on it go on to the next columns as usual.
  const TSortKeyColumn* keys = SortKeysOf(col);
  if (keys && keys->FormatFixed) {
    const TSortDirection direction = sortSettings_->Direction();
    const bool full = sortSettings_->Full() && col <= ColCount() - 2;
    auto compare = [this, keys, col, direction, full](int row1, int row2) {
      const std::size_t k1 = SortKeyIndex(row1), k2 = SortKeyIndex(row2);
      // The same key: a row against itself, or the pivot against the row
      // it was copied from.
      if (k1 == k2) return 0;
      const int result = CompareKeysAt(*keys, k1, k2, direction);
      return result != 0 || !full ? result : CompareRowsOnColumn(col + 1, row1, row2);
    };
    PartitionSort(lo, hi, [&](int row1, int row2) { return compare(row1, row2) == s; },
                  [&](int row1, int row2) { return compare(row1, row2) != 0; });
    return;
  }
  PartitionSort(lo, hi, [&](int row1, int row2) { return CompareRowsOnColumn(col, row1, row2) == s; },
                [&](int row1, int row2) { return CompareRowsOnColumn(col, row1, row2) != 0; });
}

// The partition loop of the quicksorts: after(a, b) says that row a goes
// after row b, differ(a, b) that swapping them changes the order.
template <class After, class Differ>
void TExStringGrid::PartitionSort(int lo, int hi, const After& after, const Differ& differ) {
  // The larger part is taken by the loop rather than by recursion, so the
  // stack stays shallow on any input; the parts are disjoint, so the order
  // in which they are sorted changes nothing.
  while (lo < hi) {
    StartPivot((lo + hi) / 2);
    const int pivot = pivotRow_;
    int i = lo, j = hi;
    do {
      while (after(pivot, i) && i < hi) ++i;
      while (after(j, pivot) && j > lo) --j;
      if (i <= j) {
        if (i != j && differ(i, j)) SwapRows(i, j);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - lo < hi - i) {
      if (lo < j) PartitionSort(lo, j, after, differ);
      lo = i;
    } else {
      if (i < hi) PartitionSort(i, hi, after, differ);
      hi = j;
    }
  }
}

void TExStringGrid::QuickSortIndexed(int lo, int hi) {
  PartitionSort(lo, hi, [this](int row1, int row2) { return CompareRowsByIndexList(0, row1, row2) == 1; },
                [](int, int) { return true; });
}

// ------------------------------------------------------------- entry points

void TExStringGrid::SortOnColumn() {
  sortIndexes_.Clear();
  const int col = RealColIndex(sortSettings_->Column());
  if (col < 0 || col >= RealColCount()) return;
  int oldRow = Row();
  {
    TSortFrame frame(*this);
    sortColumn_ = col;
    if (!sortingForGrouping_ || !SortByValueRuns(col, frame.FirstRow(), frame.LastRow())) {
      BuildSortKeys(col);
      QuickSortRows(col, frame.FirstRow(), frame.LastRow());
      // A group for each text, whatever texts the column's style takes as equal.
      if (sortingForGrouping_) GatherEqualTexts(col, frame.FirstRow(), frame.LastRow());
    }
    oldRow = frame.oldRow;
  }
  // A cursor that kept its index now stands on other data; one that moved
  // with its row shows what it showed before.
  if (OnRowUpdate && !navigation_->MoveRowOnSort()) OnRowUpdate(this, oldRow, Row());
}

void TExStringGrid::SortByIndexList() {
  if (sortIndexes_.Count() == 0) throw EExGridError(kNoSortIndexes);
  std::vector<int> entries;
  for (int i = 0; i < sortIndexes_.Count(); ++i) {
    const int item = sortIndexes_.Items(i);
    const int col = RealColIndex(TSortIndexList::ColumnOf(item));
    if (col < 0 || col >= RealColCount()) continue;  // a column that is gone sorts nothing
    entries.push_back(static_cast<int>((static_cast<unsigned>(item) & TSortIndexList::kDescendingBit) |
                                       static_cast<unsigned>(col)));
  }
  if (entries.empty()) return;
  TSortFrame frame(*this);
  indexedSortEntries_ = std::move(entries);
  BuildSortKeys(TSortIndexList::ColumnOf(indexedSortEntries_.front()));
  QuickSortIndexed(frame.FirstRow(), frame.LastRow());
}

void TExStringGrid::SortWithinGroups() {
  const int col = RealColIndex(sortSettings_->Column());
  if (col < 0 || col >= RealColCount()) return;
  TSortFrame frame(*this);
  sortColumn_ = col;
  BuildSortKeys(col);
  const int last = frame.LastRow();
  for (int r = frame.FirstRow(); r <= last; ++r) {
    const TCellProperties* props = FindCellProperties(0, r);
    const TCellGraphic* node = props ? props->CellGraphic() : nullptr;
    if (!node || node->CellType() != ctNode || node->CellBoolean()) continue;
    int end = last;  // span 0: up to the next node row
    if (node->CellIndex() > 0) {
      end = std::min(last, r + node->CellIndex() - 1);
    } else {
      for (int k = r + 1; k <= last; ++k)
        if (GetCellType(0, k) == ctNode) {
          end = k - 1;
          break;
        }
    }
    // A span reaching past the sortable rows is cut there: footers and the
    // scratch rows never take part.
    if (end - r > 1) QuickSortRows(col, r + 1, end);
  }
}

void TExStringGrid::RestoreUnsortedOrder() {
  const int rows = RowCount();
  if (unsortedOrder_.size() != static_cast<std::size_t>(rows)) {
    // Rows were added or removed since the list was made: it says nothing
    // about the rows now, so it starts again from here.
    RebuildUnsortedOrder();
    return;
  }
  const int first = FixedRows();
  const int last = rows - 1 - FixedFooters();
  // The list must be a permutation of the sortable rows, or following it
  // would move fixed or footer rows.
  std::vector<bool> seen(static_cast<std::size_t>(rows), false);
  for (int r = first; r <= last; ++r) {
    const int k = unsortedOrder_[static_cast<std::size_t>(r)];
    if (k < first || k > last || seen[static_cast<std::size_t>(k)]) {
      RebuildUnsortedOrder();
      return;
    }
    seen[static_cast<std::size_t>(k)] = true;
  }
  std::vector<AnsiString> savedColumn0;
  if (sortSettings_->NormalCellsOnly() && FixedCols() > 0)
    for (int r = 0; r < rows; ++r) savedColumn0.push_back(RawCells(0, r));
  BeginUpdate();
  SplitTallSpansIn(first, last);
  // Each swap puts one row in its place: the row now at r came from
  // unsortedOrder_[r], and SwapRows keeps the list in step. Swaps move the
  // row records, so hidden columns go back with their rows.
  for (int r = first; r <= last; ++r)
    while (unsortedOrder_[static_cast<std::size_t>(r)] != r) SwapRows(r, unsortedOrder_[static_cast<std::size_t>(r)]);
  for (std::size_t r = 0; r < savedColumn0.size(); ++r) SetRawCells(0, static_cast<int>(r), std::move(savedColumn0[r]));
  EndUpdate();
}

void TExStringGrid::BubbleSortColumn(int col) {
  if (RowCount() < 2) return;
  const int s = SortSign(sortSettings_->Direction());
  const int first = FixedRows();
  const int last = RowCount() - 2 - FixedFooters();
  SplitTallSpansIn(first, last + 1);
  // A consistent comparison is done after as many passes as there are
  // rows; one that is not (the automatic style judges by the first text)
  // could swap the same pair back and forth for ever.
  for (int pass = first; pass <= last + 1; ++pass) {
    bool swapped = false;
    for (int r = first; r <= last; ++r) {
      if (CompareCells(col, r, r + 1, sortSettings_->Direction()) == s) {
        SwapRows(r, r + 1);
        swapped = true;
      }
    }
    if (!swapped) break;
  }
}

void TExStringGrid::HeaderClickSort(int col, bool shift) {
  if (FixedRows() < 1 || !sortSettings_->Show() || RowCount() <= 2) return;
  if (OnCanSort) {
    bool doSort = true;
    OnCanSort(this, col, doSort);
    if (!doSort) return;
  }
  if (unsortedOrder_.size() != static_cast<std::size_t>(RowCount())) RebuildUnsortedOrder();
  if (sortSettings_->AutoColumnMerge()) {
    for (int c = 0; c < RealColCount(); ++c)
      for (int r = 0; r < RowCount(); ++r)
        if (IsMergedCell(c, r)) TearSpan(c, r);
  }
  const auto started = std::chrono::steady_clock::now();
  const bool initAscending = sortSettings_->InitSortDirection() == sdAscending;
  if (sortSettings_->IndexShow()) {
    if (!shift) {
      if (sortIndexes_.Count() == 1 && TSortIndexList::ColumnOf(sortIndexes_.Items(0)) == col) {
        sortIndexes_.ToggleDirection(col);
      } else {
        sortIndexes_.Clear();
        sortIndexes_.AddIndex(col, initAscending);
      }
    } else if (sortIndexes_.FindIndex(col) < 0) {
      sortIndexes_.AddIndex(col, initAscending);
    } else {
      sortIndexes_.ToggleDirection(col);
    }
    SortByIndexList();
  } else {
    bool undo = false;
    if (col != sortSettings_->Column()) {
      sortSettings_->SetDirection(sortSettings_->InitSortDirection());
      sortSettings_->SetColumn(col);
    } else {
      const TSortDirection was = sortSettings_->Direction();
      sortSettings_->SetDirection(was == sdAscending ? sdDescending : sdAscending);
      undo = was != sortSettings_->InitSortDirection() && sortSettings_->UndoSort();
    }
    if (HasNodes()) {
      SortWithinGroups();
    } else if (undo) {
      RestoreUnsortedOrder();
    } else {
      SortOnColumn();
    }
    if (undo) sortSettings_->SetColumn(-1);
  }
  lastSortTime_ = static_cast<unsigned>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count());
  if (sortSettings_->AutoColumnMerge()) ApplyAutoMerge();
  if (OnClickSort) OnClickSort(this, sortSettings_->Column());
}

// ------------------------------------------------------------- SwapRows

void TExStringGrid::SwapRows(int row1, int row2) {
  ++swapCount_;
  if (row1 == row2) return;
  const std::size_t a = static_cast<std::size_t>(row1), b = static_cast<std::size_t>(row2);
  if (row1 >= 0 && row2 >= 0 && a < unsortedOrder_.size() && b < unsortedOrder_.size())
    std::swap(unsortedOrder_[a], unsortedOrder_[b]);
  if (sortSettings_->SingleColumn()) {
    const int col = sortColumn_ >= 0 ? sortColumn_ : RealColIndex(sortSettings_->Column());
    AnsiString text1 = RawCells(col, row1);
    AnsiString text2 = RawCells(col, row2);
    TObject* object1 = RawObjects(col, row1);
    SetRawCells(col, row1, std::move(text2));
    SetRawCells(col, row2, std::move(text1));
    SetRawObjects(col, row1, RawObjects(col, row2));
    SetRawObjects(col, row2, object1);
    return;
  }
  // The row records change places: texts and property objects move, none is copied.
  ExchangeRows(row1, row2);
  // Only the columns keyed so far have keys to keep in step.
  for (const std::size_t k : keyedColumns_) sortKeys_[k].Swap(a, b);
  const int height1 = RowHeights(row1), height2 = RowHeights(row2);
  if (height1 != height2) {
    SetRowHeights(row1, height2);
    SetRowHeights(row2, height1);
  }
  if (navigation_->MoveRowOnSort() && mouseActions_->DisjunctRowSelect()) ExchangeRowSelectFlags(row1, row2);
  if (rememberedRow_ == row1) {
    rememberedRow_ = row2;
  } else if (rememberedRow_ == row2) {
    rememberedRow_ = row1;
  }
  if (pivotSource_ == row1) {
    pivotSource_ = row2;
  } else if (pivotSource_ == row2) {
    pivotSource_ = row1;
  }
}

void TExStringGrid::ExchangeRowSelectFlags(int row1, int row2) {
  const int flag1 = SelectFlagRow(row1), flag2 = SelectFlagRow(row2);
  if (flag1 < 0 || flag2 < 0) return;
  const std::size_t a = static_cast<std::size_t>(flag1), b = static_cast<std::size_t>(flag2);
  if (std::max(a, b) >= rowSelect_.size()) {
    if (a >= rowSelect_.size() && b >= rowSelect_.size()) return;  // neither is marked
    rowSelect_.resize(std::max(a, b) + 1, 0);
  }
  std::swap(rowSelect_[a], rowSelect_[b]);
}
