// Node rows and grouping of TExStringGrid.
//
// Sections:
//   Options ............... TGrouping, TCellNode
//   Queries ............... IsNodeRow, GetNodeSpan, NodeRowKind, ... (display rows)
//   Nodes ................. AddNode, RemoveNode, AddSummaryRow (full-order rows)
//   Expand and collapse ... one node, all nodes
//   Grouping .............. GroupByColumn, Ungroup
//   With a node column .... GroupWithNodeColumn, UngroupWithNodeColumn
//
// Row numbers: a node's span counts rows of the full order (hidden rows
// included), so a collapsed node hides exactly the real rows
// node + 1 .. node + span - 1 whatever is hidden inside it already, and
// expanding shows exactly those again.
//
// Call tree of grouping:
//   GroupByColumn -> Ungroup (when grouped) -> ShowAllRows (when rows hidden)
//     -> KeepGroupedCells (the column's objects aside, each row keyed)
//     -> SortForGrouping -> SortOnColumn (by runs of equal texts, ExGridSortRuns.cpp)
//     -> InsertGroupRowsAtOnce: one InsertRows, rows moved down, AddNode and
//        AddSummaryRow per group
//     -> RemoveColumns (the grouped column) -> ColourGroupRow per header and
//        summary -> HideRowList (rows an active filter fails)
//   Ungroup -> ExpandAllNodes -> TakeGroupedTexts -> InsertColumns
//     -> RemoveGroupRows: RemoveNode per header, rows packed up, one RemoveRows
//     -> GiveBackGroupedCells
//     -> ApplyFilter (when the filter is active)
//   GroupWithNodeColumn -> GroupIntoNodeColumn: SortForGrouping, the grouped
//        column rotated to the front, InsertGroupRowsAtOnce on it, its texts
//        emptied (else InsertColumns + GroupByColumn)
//   UngroupWithNodeColumn -> UngroupFromNodeColumn: ExpandAllNodes, the group
//        texts into the node column, RemoveGroupRows, the column rotated back
//        (else Ungroup + RemoveColumns)
#include "grid/ExGridNodes.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "grid/ExGrid.h"

// ------------------------------------------------------------- options

void TGrouping::Assign(const TPersistent* source) {
  if (auto* other = dynamic_cast<const TGrouping*>(source)) {
    mergeHeader_ = other->mergeHeader_;
    mergeSummary_ = other->mergeSummary_;
    summary_ = other->summary_;
    headerColor_ = other->headerColor_;
    headerColorTo_ = other->headerColorTo_;
    headerTextColor_ = other->headerTextColor_;
    summaryColor_ = other->summaryColor_;
    summaryColorTo_ = other->summaryColorTo_;
    summaryTextColor_ = other->summaryTextColor_;
    return;
  }
  TPersistent::Assign(source);
}

void TCellNode::Assign(const TPersistent* source) {
  if (auto* other = dynamic_cast<const TCellNode*>(source)) {
    color_ = other->color_;
    nodeColor_ = other->nodeColor_;
    treeColor_ = other->treeColor_;
    expandOne_ = other->expandOne_;
    nodeType_ = other->nodeType_;
    nodeIndent_ = other->nodeIndent_;
    showTree_ = other->showTree_;
    showTreeFull_ = other->showTreeFull_;
    expandGlyph_.Assign(other->expandGlyph_);
    contractGlyph_.Assign(other->contractGlyph_);
    Repaint();
    return;
  }
  TPersistent::Assign(source);
}

void TCellNode::Repaint() {
  if (grid_ && grid_->UpdateCount() == 0) grid_->Invalidate();
}

namespace {

// Ends an update bracket also when the work inside it raises.
class TUpdateScope {
 public:
  explicit TUpdateScope(TExStringGrid* grid) : grid_(grid) { grid_->BeginUpdate(); }
  ~TUpdateScope() { grid_->EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

 private:
  TExStringGrid* grid_;
};

}  // namespace

// ------------------------------------------------------------- queries

TCellGraphic* TExStringGrid::NodeGraphic(int row) const {
  if (row < 0 || row >= RowCount() || GetCellType(0, row) != ctNode) return nullptr;
  return GetCellGraphic(0, row);
}

bool TExStringGrid::IsNodeRow(int row) const { return NodeGraphic(row) != nullptr; }

bool TExStringGrid::IsSummaryRow(int row) const {
  return row >= 0 && row < RowCount() && GetCellType(0, row) == ctSummary;
}

bool TExStringGrid::IsNodeCollapsed(int row) const {
  const TCellGraphic* node = NodeGraphic(row);
  return node && node->CellBoolean();
}

int TExStringGrid::GetNodeSpan(int row) const {
  const TCellGraphic* node = NodeGraphic(row);
  return node ? node->CellIndex() : -1;
}

int TExStringGrid::NodeLevelOf(int row) const { return RowTag(row); }

int TExStringGrid::GetNodeLevel(int row) const { return IsNodeRow(row) ? NodeLevelOf(row) : -1; }

bool TExStringGrid::GetRowNodeLevel(int row, int& level) const {
  level = NodeLevelOf(row);
  return true;
}

bool TExStringGrid::SetRowNodeLevel(int row, int level) {
  SetRowTag(row, level);
  return true;
}

bool TExStringGrid::IsNodeGlyphHit(int row, int x) const {
  const int level = NodeLevelOf(row);
  const int indent = cellNode_->NodeIndent();
  return (level - 1) * indent < x && x < level * indent;
}

int TExStringGrid::NodeRowKind(int row) const {
  if (IsNodeRow(row)) return 0;
  const int next = row + 1;
  if (next >= RowCount() - FixedFooters()) return 1;
  const int nextLevel = NodeLevelOf(next);
  return nextLevel == 0 || nextLevel < NodeLevelOf(row) ? 1 : 2;
}

int TExStringGrid::GetCellIndent(int row) const { return NodeLevelOf(row) * cellNode_->NodeIndent(); }

// ------------------------------------------------------------- nodes

void TExStringGrid::AddNode(int row, int span) {
  if (row < 0 || span < 0 || IsRowHidden(row)) return;
  const int d = DisplRowIndex(row);
  if (d >= RowCount()) return;
  // Making a node of a node row again replaces it: its levels and count go first.
  if (IsNodeRow(d)) RemoveNode(row);
  AddNodeAt(d, span);
}

void TExStringGrid::AddNodeAt(int d, int span) {
  TCellGraphic* node = CreateCellGraphic(0, d);
  node->SetCellType(ctNode);
  node->SetCellIndex(span);
  node->SetCellBoolean(false);
  node->SetCellHAlign(haBeforeText);
  node->SetCellVAlign(vaCenter);
  const int last = std::min(d + span, RowCount()) - 1;
  for (int r = d; r <= last; ++r) SetRowTag(r, RowTag(r) + 1);
  if (nodeCount_ == 0) RepaintCol(0);
  ++nodeCount_;
  if (Col() == 0 && ColCount() > 1) SetCol(1);
}

void TExStringGrid::AddSummaryRow(int row) {
  if (row < 0 || row >= RowCount()) return;
  CreateCellGraphic(0, row)->SetCellType(ctSummary);
}

void TExStringGrid::RemoveNode(int row) {
  if (row < 0 || IsRowHidden(row)) return;
  const int d = DisplRowIndex(row);
  if (!IsNodeRow(d)) return;
  ExpandNodeAt(d);
  const int last = std::min(d + GetNodeSpan(d), RowCount()) - 1;
  for (int r = d; r <= last; ++r)
    if (const int level = RowTag(r); level > 0) SetRowTag(r, level - 1);
  RemoveCellGraphic(0, d);
  if (nodeCount_ > 0) --nodeCount_;
}

void TExStringGrid::RemoveAllNodes() {
  TUpdateScope update(this);
  // Removing a node expands it, so nodes inside a collapsed one come into
  // view before the walk reaches them.
  for (int r = 0; r < RowCount(); ++r)
    if (IsNodeRow(r)) RemoveNode(RealRowIndex(r));
  nodeCount_ = 0;
  // Without its header rows a grouping cannot be taken apart any more:
  // Ungroup would write empty texts over the grouped column.
  groupColumn_ = -1;
  groupedIntoNodeColumn_ = false;
}

void TExStringGrid::RecountNodes() {
  int count = 0;
  bool collapsed = false;
  for (int r = FixedRows(); r < RowCount(); ++r)
    if (const TCellGraphic* node = NodeGraphic(r)) {
      ++count;
      collapsed |= node->CellBoolean();
    }
  nodeCount_ = count;
  if (collapsed && HiddenRowCount() == 0) HideRowsOfCollapsedNodes();
  if (count > 0) RepaintCol(0);
}

void TExStringGrid::HideRowsOfCollapsedNodes() {
  // A grid file keeps every row and each node's mark: in a grid that hides
  // nothing, the rows of a node marked collapsed go out of view again, so
  // that the mark tells the truth and the first click opens it. A node
  // inside one that is collapsed is marked open, as CollapseNode leaves it.
  TIntList rows;
  const int lastShown = RowCount() - FixedFooters() - 1;
  int r = FixedRows();
  while (r <= lastShown) {
    TCellGraphic* node = NodeGraphic(r);
    if (!node || !node->CellBoolean()) {
      ++r;
      continue;
    }
    int end;  // first row after the node's rows
    if (node->CellIndex() > 0) {
      end = std::min(r + node->CellIndex(), lastShown + 1);
    } else {
      end = r + 1;
      while (end <= lastShown && !IsNodeRow(end)) ++end;
    }
    for (int k = r + 1; k < end; ++k) {
      if (TCellGraphic* inner = NodeGraphic(k)) inner->SetCellBoolean(false);
      rows.Add(k);
    }
    r = std::max(end, r + 1);
  }
  if (rows.Count() > 0) HideRowList(&rows);
}

// ------------------------------------------------------------- expand and collapse

void TExStringGrid::ExpandNode(int row) {
  if (row < 0 || IsRowHidden(row)) return;
  if (cellNode_->ExpandOne()) {
    // Every other expanded node is collapsed, except those the node lies
    // in: collapsing them would hide the node itself.
    for (int r = FixedRows(); r < RowCount(); ++r) {
      const TCellGraphic* node = NodeGraphic(r);
      if (!node || node->CellBoolean()) continue;
      const int nodeReal = RealRowIndex(r);
      if (nodeReal == row) continue;
      if (node->CellIndex() > 0 && nodeReal < row && row < nodeReal + node->CellIndex()) continue;
      CollapseNode(nodeReal);
    }
  }
  ExpandNodeAt(DisplRowIndex(row));
}

void TExStringGrid::ExpandNodeAt(int d) {
  TCellGraphic* node = NodeGraphic(d);
  if (!node || !node->CellBoolean()) return;
  node->SetCellBoolean(false);
  const int nodeReal = RealRowIndex(d);
  int endReal;
  if (node->CellIndex() > 0) {
    // The rows this node hid lie between it and the next shown row; rows
    // after its span that something else hid stay hidden.
    endReal = std::min(RealRowIndex(d + 1), nodeReal + node->CellIndex());
  } else {
    int next = d + 1;
    while (next < RowCount() && !IsNodeRow(next)) ++next;
    endReal = next < RowCount() ? RealRowIndex(next) : RowCount() + HiddenRowCount();
  }
  if (endReal - 1 >= nodeReal + 1) {
    TUpdateScope update(this);
    const TGridOptions options = Options();
    const bool rowSelect = options.Contains(goRowSelect);
    const int savedRow = Row();
    const int savedTop = TopRow();
    if (rowSelect) {
      TGridOptions without = options;
      without.erase(goRowSelect);
      SetOptions(without);
    }
    ShowRows(nodeReal + 1, endReal - 1);
    // The rows an active filter fails stay hidden.
    if (filterActive_) {
      TIntList failing;
      for (int r = d + 1; r < RowCount() && RealRowIndex(r) < endReal; ++r)
        if (!IsNodeRow(r) && !IsSummaryRow(r) && !RowMatchesFilter(r)) failing.Add(r);
      if (failing.Count() > 0) HideRowList(&failing);
    }
    if (rowSelect) {
      SetOptions(options);
      if (savedRow < RowCount()) SetRow(savedRow);
      if (savedTop < RowCount()) SetTopRow(savedTop);
    }
  }
  UpdateFooterValues(-1);
}

void TExStringGrid::CollapseNode(int row) {
  if (EditorMode()) HideEditor();
  if (row < 0 || IsRowHidden(row)) return;
  const int d = DisplRowIndex(row);
  TCellGraphic* node = NodeGraphic(d);
  if (!node || node->CellBoolean()) return;
  node->SetCellBoolean(true);

  const int lastShown = RowCount() - FixedFooters() - 1;
  if (lastShown <= d) {
    UpdateFooterValues(-1);
    return;
  }
  const int endLimit = RealRowIndex(lastShown) + 1;  // footer rows never go
  int endReal;
  if (node->CellIndex() > 0) {
    endReal = std::min(row + node->CellIndex(), endLimit);
  } else {
    int next = d + 1;
    while (next <= lastShown && !IsNodeRow(next)) ++next;
    endReal = next <= lastShown ? RealRowIndex(next) : endLimit;
  }
  // A collapsed node inside keeps its own rows hidden; it is marked
  // expanded, so that expanding this node shows every row of both.
  for (int r = d + 1; r <= lastShown && RealRowIndex(r) < endReal; ++r) {
    TCellGraphic* inner = NodeGraphic(r);
    if (inner && inner->CellBoolean()) inner->SetCellBoolean(false);
  }
  if (endReal - 1 >= row + 1) HideRows(row + 1, endReal - 1);
  UpdateFooterValues(-1);
}

void TExStringGrid::MarkAllNodesExpanded() {
  for (int r = FixedRows(); r < RowCount(); ++r)
    if (TCellGraphic* node = NodeGraphic(r)) node->SetCellBoolean(false);
}

void TExStringGrid::ExpandAllNodes() {
  ShowAllRows();
  MarkAllNodesExpanded();
  UpdateFooterValues(-1);
}

void TExStringGrid::CollapseAllNodes() {
  {
    TUpdateScope update(this);
    ExpandAllNodes();
    TIntList rows;
    const int lastShown = RowCount() - FixedFooters() - 1;
    int r = FixedRows();
    while (r <= lastShown) {
      TCellGraphic* node = NodeGraphic(r);
      if (!node) {
        ++r;
        continue;
      }
      node->SetCellBoolean(true);
      int end;  // first row after the node's rows
      if (node->CellIndex() > 0) {
        end = r + node->CellIndex();
      } else {
        end = r + 1;
        while (end <= lastShown && !IsNodeRow(end)) ++end;
      }
      end = std::min(end, lastShown + 1);
      for (int k = r + 1; k < end; ++k) rows.Add(k);
      // Nested nodes are skipped with their parent's rows: they stay
      // expanded inside it.
      r = std::max(end, r + 1);
    }
    if (rows.Count() > 0) HideRowList(&rows);
  }
  RepositionCellControls();
  UpdateFooterValues(-1);
}

// ------------------------------------------------------------- grouping

namespace {

// Where the group text goes: column 1, or column 2 when column 1 is the
// one grouped, so that it ends in column 1 once the grouped column goes.
int GroupTextColumn(int groupedCol) { return groupedCol == 1 ? 2 : 1; }

// Dissolves the spans that reach across the edge above row.
void SplitSpansAbove(TExStringGrid& grid, int row) {
  for (int c = 0; c < grid.RealColCount(); ++c)
    if (!grid.IsBaseCellAt(c, row) && grid.BaseCellOf(c, row).Y < row) grid.TearSpan(c, row);
}

// Every group becomes: a header row (a node over itself and its rows), the
// rows, and with Summary a summary row. So a grid with data rows A, A, B, B
// and Summary on becomes: header A (node of span 3), A, A, summary,
// header B (node of span 3), B, B, summary.
//
// The grid grows once by all the new rows, then each data row moves down
// to its place, from the bottom up, so that the rows in between are the
// empty ones: one pass whatever the number of groups (grouping by director
// or by date makes nearly as many groups as movies). No row is hidden here:
// the real indices of hidden rows would not follow such moves. The rows'
// texts in col are read through textOf when it is given (the grouped
// column's texts already taken out of the rows).
void InsertGroupRowsAtOnce(TExStringGrid& grid, int col, int textCol,
                           const std::function<const AnsiString&(int row)>& textOf = nullptr) {
  const int first = grid.FixedRows();
  const int dataEnd = grid.RowCount() - grid.FixedFooters();
  std::vector<int> runStarts;
  std::vector<AnsiString> runTexts;
  for (int r = first; r < dataEnd; ++r) {
    AnsiString text = textOf ? textOf(r) : grid.Cells(col, r);
    if (runTexts.empty() || text != runTexts.back()) {
      runStarts.push_back(r);
      runTexts.push_back(std::move(text));
    }
  }
  const int groups = static_cast<int>(runStarts.size());
  const int rowsPerGroup = grid.Grouping()->Summary() ? 2 : 1;
  auto runEndOf = [&](int g) { return g + 1 < groups ? runStarts[static_cast<std::size_t>(g) + 1] : dataEnd; };
  // A span across a group edge would end up across a header row.
  for (int g = 1; g < groups; ++g) SplitSpansAbove(grid, runStarts[static_cast<std::size_t>(g)]);
  std::vector<int> heights;
  heights.reserve(static_cast<std::size_t>(dataEnd - first));
  for (int r = first; r < dataEnd; ++r) heights.push_back(grid.RowHeights(r));

  grid.InsertRows(dataEnd, groups * rowsPerGroup);
  for (int g = groups - 1; g >= 0; --g) {
    const int shift = g * rowsPerGroup + 1;
    for (int r = runEndOf(g) - 1; r >= runStarts[static_cast<std::size_t>(g)]; --r) {
      grid.ExchangeRows(r, r + shift);
      grid.SetRowHeights(r + shift, heights[static_cast<std::size_t>(r - first)]);
    }
  }
  for (int g = 0; g < groups; ++g) {
    const int start = runStarts[static_cast<std::size_t>(g)];
    const int size = runEndOf(g) - start;
    const int header = start + g * rowsPerGroup;
    grid.SetRowHeights(header, grid.DefaultRowHeight());
    grid.SetCells(textCol, header, runTexts[static_cast<std::size_t>(g)]);
    grid.AddNode(header, 1 + size);
    if (rowsPerGroup == 2) {
      grid.SetRowHeights(header + 1 + size, grid.DefaultRowHeight());
      grid.AddSummaryRow(header + 1 + size);
    }
  }
  grid.CellsChanged(Rect(0, first, grid.ColCount() - 1, grid.RowCount() - 1));
}

// What each row of a grouped grid is, read before Ungroup changes it.
enum TGroupRowKind : unsigned char { grData, grHeader, grSummary };

// What each row of the grouped grid is, and for a data row the text of the
// header above it (which stands in textCol); row 0 takes header when the
// grid has fixed rows.
void ReadGroupRows(TExStringGrid& grid, int textCol, const AnsiString& header, std::vector<TGroupRowKind>& kinds,
                   std::vector<AnsiString>& texts) {
  const int dataEnd = grid.RowCount() - grid.FixedFooters();
  kinds.assign(static_cast<std::size_t>(grid.RowCount()), grData);
  texts.assign(static_cast<std::size_t>(grid.RowCount()), AnsiString());
  AnsiString groupText;
  for (int r = grid.FixedRows(); r < dataEnd; ++r) {
    const std::size_t i = static_cast<std::size_t>(r);
    if (grid.IsSummaryRow(r)) {
      kinds[i] = grSummary;
    } else if (grid.IsNodeRow(r)) {
      kinds[i] = grHeader;
      groupText = grid.Cells(textCol, r);
    } else {
      texts[i] = groupText;
    }
  }
  if (grid.FixedRows() > 0) texts[0] = header;
}

// The rows Ungroup keeps move up over the header and summary rows in one
// pass; the header and summary rows, gathered at the end, go in one
// removal. Nothing is hidden here (Ungroup expands all first).
void RemoveGroupRows(TExStringGrid& grid, const std::vector<TGroupRowKind>& kinds) {
  const int first = grid.FixedRows();
  const int dataEnd = grid.RowCount() - grid.FixedFooters();
  int write = first;
  for (int read = first; read < dataEnd; ++read) {
    const TGroupRowKind kind = kinds[static_cast<std::size_t>(read)];
    if (kind == grSummary) continue;
    if (kind == grHeader) {
      grid.RemoveNode(grid.RealRowIndex(read));
      continue;
    }
    if (write != read) {
      const int height = grid.RowHeights(read);
      grid.ExchangeRows(write, read);
      grid.SetRowHeights(write, height);
    }
    ++write;
  }
  if (write < dataEnd) grid.RemoveRows(write, dataEnd - write);
  grid.CellsChanged(Rect(0, first, grid.ColCount() - 1, grid.RowCount() - 1));
}

}  // namespace

void TExStringGrid::MoveNodeMarks(int fromCol, int toCol) {
  for (int r = 0; r < RowCount(); ++r) {
    TCellProperties* from = FindCellProperties(fromCol, r);
    if (!from) continue;
    TCellGraphic* graphic = from->CellGraphic();
    const bool isMark = graphic && (graphic->CellType() == ctNode || graphic->CellType() == ctSummary);
    if (!isMark) continue;
    TCellProperties* to = CellPropertiesAt(toCol, r);
    RemoveCellGraphic(toCol, r);
    to->SetCellGraphic(graphic);
    from->SetCellGraphic(nullptr);
  }
}

void TExStringGrid::ColourGroupRow(int row, int textCol, bool header) {
  const bool merge = header ? grouping_->MergeHeader() : grouping_->MergeSummary();
  const TColor color = header ? grouping_->HeaderColor() : grouping_->SummaryColor();
  const TColor colorTo = header ? grouping_->HeaderColorTo() : grouping_->SummaryColorTo();
  const TColor textColor = header ? grouping_->HeaderTextColor() : grouping_->SummaryTextColor();
  if (merge) {
    MergeCells(textCol, row, RealColCount() - textCol, 1);
    TCellProperties* props = CellPropertiesAt(textCol, row);
    if (color != clNone) props->SetBrushColor(color);
    if (colorTo != clNone) props->SetBrushColorTo(colorTo);
    if (textColor != clNone) props->SetFontColor(textColor);
    return;
  }
  for (int c = FixedCols(); c < RealColCount(); ++c) {
    if (color == clNone && textColor == clNone) break;
    TCellProperties* props = CellPropertiesAt(c, row);
    if (color != clNone) props->SetBrushColor(color);
    if (textColor != clNone) props->SetFontColor(textColor);
  }
}

void TExStringGrid::ColourGroupRows(int textCol) {
  for (int k = FixedRows(); k < RowCount() - FixedFooters(); ++k) {
    if (IsNodeRow(k)) {
      ColourGroupRow(k, textCol, true);
    } else if (IsSummaryRow(k)) {
      ColourGroupRow(k, textCol, false);
    }
  }
}

// Equal texts must stand together before runs can be found; the sort
// settings name display columns.
void TExStringGrid::SortForGrouping(int col) {
  if (!SortSettings()->AutoSortForGrouping()) return;
  SortSettings()->SetColumn(DisplColIndex(col));
  sortingForGrouping_ = true;
  struct TLetGo {
    bool& flag;
    ~TLetGo() { flag = false; }
  } letGo{sortingForGrouping_};
  SortOnColumn();
}

void TExStringGrid::GroupByColumn(int col) {
  if (col < FixedCols() || col < 0) return;
  if (groupColumn_ >= 0) Ungroup();
  // A grid without data rows has nothing to group; the grouped column and
  // the column that takes the group text must both be there and shown.
  const int textCol = GroupTextColumn(col);
  if (RowCount() + HiddenRowCount() - FixedFooters() - FixedRows() <= 0 || col >= RealColCount() ||
      textCol >= RealColCount() || IsColumnHidden(col))
    return;

  TUpdateScope update(this);
  // Every row takes part, also those a filter or a collapsed node hides;
  // an active filter hides its rows again once the groups stand.
  if (HiddenRowCount() > 0) {
    ShowAllRows();
    MarkAllNodesExpanded();
    if (filterActive_ && FixedRows() != filterFixedRows_ && filterFixedRows_ < RowCount())
      SetFixedRows(filterFixedRows_);
  }
  groupColumn_ = col;
  groupedIntoNodeColumn_ = false;
  groupColumnWidth_ = ColWidths(DisplColIndex(col));
  groupColumnHeader_ = FixedRows() > 0 ? Cells(col, 0) : AnsiString();
  KeepGroupedCells(col);
  SortForGrouping(col);
  // The texts go under their rows' keys (the grouped column leaves the
  // grid below), before the group rows come in when nothing else needs
  // them in the cells: the runs are then read from those texts, side by
  // side, rather than from the rows a large sorted grid has all over its
  // memory. A filter judges the rows by their cells, display events give
  // the texts the runs are made of: with those, the cells are read.
  const bool keptFirst = !filterActive_ && !OnGetDisplText && !OnGetDisplWideText;
  if (keptFirst) {
    TakeGroupedCellTexts(col);
    InsertGroupRowsAtOnce(*this, col, textCol, [this](int row) -> const AnsiString& {
      static const AnsiString none;
      const int key = RowKey(row);
      return key > 0 && key <= static_cast<int>(groupedCells_.size())
                 ? groupedCells_[static_cast<std::size_t>(key) - 1].Text
                 : none;
    });
  } else {
    InsertGroupRowsAtOnce(*this, col, textCol);
  }
  // The filter's columns are those of the grid before the grouped column
  // goes, so its verdict is taken now and the rows are hidden after. The
  // group rows are judged by their rows, as a filter applied later does.
  TIntList failing;
  if (filterActive_) {
    const int endRow = RowCount() - FixedFooters();
    std::vector<char> found(static_cast<std::size_t>(std::max(endRow, 0)), 0);
    for (int r = FixedRows(); r < endRow; ++r)
      found[static_cast<std::size_t>(r)] = !IsNodeRow(r) && !IsSummaryRow(r) && RowMatchesFilter(r);
    AddFailingRowsOfGroups(found, FixedRows(), endRow, failing);
  }

  // Column 0 carries the nodes: when it is the one that goes, its marks move
  // to the column that takes its place.
  if (col == 0) MoveNodeMarks(0, 1);
  if (!keptFirst) TakeGroupedCellTexts(col);
  RemoveColumns(col, 1);
  ColourGroupRows(textCol > col ? textCol - 1 : textCol);
  if (FixedRows() < RowCount()) SetRow(FixedRows());
  if (failing.Count() > 0) HideRowList(&failing);
}

void TExStringGrid::Ungroup() {
  if (groupColumn_ < 0) return;
  TUpdateScope update(this);
  ExpandAllNodes();
  // A filter that hid every row took the fixed rows with it; they are back.
  if (filterActive_ && FixedRows() != filterFixedRows_ && filterFixedRows_ < RowCount())
    SetFixedRows(filterFixedRows_);
  const int col = groupColumn_;
  // Each data row takes back the text of the header above it, which stands
  // in the column the group text went to once the grouped column had gone.
  const int textCol = GroupTextColumn(col);
  const int groupedTextCol = textCol > col ? textCol - 1 : textCol;
  std::vector<TGroupRowKind> kinds;
  std::vector<AnsiString> texts;
  ReadGroupRows(*this, groupedTextCol, groupColumnHeader_, kinds, texts);
  TakeGroupedTexts(texts);
  {
    insertedColumnTexts_ = &texts;
    struct TLetGo {
      std::vector<AnsiString>*& texts;
      ~TLetGo() { texts = nullptr; }
    } letGo{insertedColumnTexts_};
    InsertColumns(col, 1);
  }
  SetColWidths(DisplColIndex(col), groupColumnWidth_);
  if (col == 0) MoveNodeMarks(1, 0);
  RemoveGroupRows(*this, kinds);
  GiveBackGroupedCells(col);
  groupColumn_ = -1;
  groupedIntoNodeColumn_ = false;
  // Expanding showed the rows an active filter hides: they go again.
  if (filterActive_) ApplyFilter();
}

// ------------------------------------------------------------- grouping with a node column

void TExStringGrid::GroupWithNodeColumn(int col) {
  if (GroupIntoNodeColumn(col)) return;
  InsertColumns(0, 1);
  GroupByColumn(col + 1);
}

void TExStringGrid::UngroupWithNodeColumn() {
  if (groupColumn_ < 0) return;
  if (UngroupFromNodeColumn()) return;
  Ungroup();
  RemoveColumns(0, 1);
}

bool TExStringGrid::GroupIntoNodeColumn(int col) {
  // Anything hidden or filtered, or a column that GroupByColumn would refuse,
  // takes the plain way, which knows how to treat it.
  const int realCols = RealColCount();
  if (groupColumn_ >= 0 || HiddenRowCount() > 0 || hiddenColCount_ > 0 || filterActive_ || col < 0 ||
      col < FixedCols() || col >= realCols || RowCount() - FixedFooters() - FixedRows() <= 0)
    return false;
  TUpdateScope update(this);
  // What InsertColumns(0, 1) and GroupByColumn(col + 1) record, the grouped
  // column then standing at col + 1.
  groupColumn_ = col + 1;
  groupColumnWidth_ = ColWidths(col);
  groupColumnHeader_ = FixedRows() > 0 ? Cells(col, 0) : AnsiString();
  groupedIntoNodeColumn_ = true;
  KeepGroupedCells(col);
  SortForGrouping(col);
  // The grouped column, its objects set aside, goes to the front with its
  // texts, which the run search reads there; the columns before it move
  // right by one.
  ShiftRawColumns(col, 1, 0);
  for (int c = col; c > 0; --c) SetColWidths(c, ColWidths(c - 1));
  SetColWidths(0, DefaultColWidth());
  ColumnFlagsRemoved(col, 1);
  ColumnFlagsInserted(0, 1);
  InsertGroupRowsAtOnce(*this, 0, 1);
  // Left with its node marks only: the node column holds no text. The rows'
  // own texts wait under their keys.
  for (int r = 0; r < RowCount(); ++r) {
    const int key = RowKey(r);
    if (key > 0 && key <= static_cast<int>(groupedCells_.size()))
      groupedCells_[static_cast<std::size_t>(key) - 1].Text = TakeRawCells(0, r);
    else if (!RawCells(0, r).empty())
      SetRawCells(0, r, AnsiString());
  }
  ColourGroupRows(1);
  if (FixedRows() < RowCount()) SetRow(FixedRows());
  return true;
}

bool TExStringGrid::UngroupFromNodeColumn() {
  if (!groupedIntoNodeColumn_ || groupColumn_ < 1 || hiddenColCount_ > 0 || filterActive_) return false;
  TUpdateScope update(this);
  ExpandAllNodes();
  const int col = groupColumn_ - 1;  // its place once the node column has gone
  std::vector<TGroupRowKind> kinds;
  std::vector<AnsiString> texts;
  ReadGroupRows(*this, 1, groupColumnHeader_, kinds, texts);
  TakeGroupedTexts(texts);
  // The node column takes the texts back, row by row, before the header and
  // summary rows go; its properties go once the nodes are taken apart.
  for (int r = 0; r < RowCount(); ++r) {
    AnsiString& text = texts[static_cast<std::size_t>(r)];
    if (RawCells(0, r) != text) SetRawCells(0, r, std::move(text));
  }
  RemoveGroupRows(*this, kinds);
  SplitSpansIn(0, 0, 0, RowCount() - 1);
  FreeColsFrom(0, 0);
  GiveBackGroupedCells(0);
  ShiftRawColumns(0, 1, col + 1);
  for (int c = 0; c < col; ++c) SetColWidths(c, ColWidths(c + 1));
  SetColWidths(col, groupColumnWidth_);
  ColumnFlagsRemoved(0, 1);
  ColumnFlagsInserted(col, 1);
  groupColumn_ = -1;
  groupedIntoNodeColumn_ = false;
  return true;
}

// ------------------------------------------------------------- the grouped column's own cells

void TExStringGrid::KeepGroupedCells(int col) {
  DropGroupedCells();
  // A span across the column would not survive its going; its cells are
  // taken apart first, as a removed column's are.
  SplitSpansIn(col, 0, col, RowCount() - 1);
  const int rows = RowCount();
  groupedCells_.resize(static_cast<std::size_t>(rows));
  for (int r = 0; r < rows; ++r) {
    TGroupedCell& cell = groupedCells_[static_cast<std::size_t>(r)];
    // The text stays for the sort and the run search; it moves here when
    // the column goes.
    if (TCellProperties* props = FindCellProperties(col, r)) {
      // Out of the column before the sort: grouping orders the rows by
      // their texts, never by a check box's state.
      SetRawObjects(col, r, nullptr);
      cell.Properties = props;
    }
    SetRowKey(r, r + 1);
  }
}

void TExStringGrid::TakeGroupedCellTexts(int col) {
  if (col < ColCount()) {
    // The store's column, in one pass; a text whose row has no key goes back.
    std::vector<std::pair<int, AnsiString>> keyless;
    TakeColumnTexts(col, [&](int row, AnsiString&& text) {
      const int key = RowKey(row);
      if (key > 0 && key <= static_cast<int>(groupedCells_.size()))
        groupedCells_[static_cast<std::size_t>(key) - 1].Text = std::move(text);
      else
        keyless.emplace_back(row, std::move(text));
    });
    for (auto& [row, text] : keyless) SetRawCells(col, row, std::move(text));
    return;
  }
  for (int r = 0; r < RowCount(); ++r) {
    const int key = RowKey(r);
    if (key > 0 && key <= static_cast<int>(groupedCells_.size()))
      groupedCells_[static_cast<std::size_t>(key) - 1].Text = TakeRawCells(col, r);
  }
}

void TExStringGrid::TakeGroupedTexts(std::vector<AnsiString>& texts) {
  const int rows = std::min(RowCount(), static_cast<int>(texts.size()));
  for (int r = 0; r < rows; ++r) {
    const int key = RowKey(r);
    if (key > 0 && key <= static_cast<int>(groupedCells_.size()))
      texts[static_cast<std::size_t>(r)] = std::move(groupedCells_[static_cast<std::size_t>(key) - 1].Text);
  }
}

void TExStringGrid::GiveBackGroupedCells(int col) {
  // The rows keep their keys: they are read only while grouped, and the
  // next grouping gives every row a new one. A column without objects
  // (most catalogues) needs no walk over the rows.
  const bool anyObject = std::any_of(groupedCells_.begin(), groupedCells_.end(),
                                     [](const TGroupedCell& cell) { return cell.Properties != nullptr; });
  for (int r = 0; anyObject && r < RowCount(); ++r) {
    const int key = RowKey(r);
    if (key <= 0 || key > static_cast<int>(groupedCells_.size())) continue;
    TGroupedCell& cell = groupedCells_[static_cast<std::size_t>(key) - 1];
    if (cell.Properties) ReplaceCellProperties(col, r, std::exchange(cell.Properties, nullptr));
  }
  DropGroupedCells();
}

void TExStringGrid::DropGroupedCells() {
  // Rows removed while grouped took their keys with them: their objects
  // have no cell to go back to.
  for (TGroupedCell& cell : groupedCells_) {
    if (!cell.Properties) continue;
    ReleaseCellGraphic(*cell.Properties);
    delete cell.Properties;
  }
  groupedCells_.clear();
}

bool TExStringGrid::GroupedCellText(int row, AnsiString& text) const {
  if (groupColumn_ < 0) return false;
  const int key = RowKey(row);
  if (key <= 0 || key > static_cast<int>(groupedCells_.size()) || IsNodeRow(row) || IsSummaryRow(row)) return false;
  text = groupedCells_[static_cast<std::size_t>(key) - 1].Text;
  return true;
}

bool TExStringGrid::SetGroupedCellText(int row, const AnsiString& text) {
  if (groupColumn_ < 0) return false;
  const int key = RowKey(row);
  if (key <= 0 || key > static_cast<int>(groupedCells_.size()) || IsNodeRow(row) || IsSummaryRow(row)) return false;
  groupedCells_[static_cast<std::size_t>(key) - 1].Text = text;
  return true;
}

bool TExStringGrid::AllGroupedCellText(int realRow, AnsiString& text) const {
  if (!IsRowHidden(realRow)) return GroupedCellText(DisplRowIndex(realRow), text);
  if (groupColumn_ < 0) return false;
  const auto hidden = std::lower_bound(hiddenRows_.begin(), hiddenRows_.end(), realRow,
                                       [](const auto& item, int idx) { return item->Idx() < idx; });
  const int key = (*hidden)->Key();
  if (key <= 0 || key > static_cast<int>(groupedCells_.size())) return false;
  text = groupedCells_[static_cast<std::size_t>(key) - 1].Text;
  return true;
}
