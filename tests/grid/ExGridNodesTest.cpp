// Node rows and grouping: collapsing and expanding (nested, all at once,
// one at a time), the rows grouping inserts and Ungroup takes away again,
// whole round trips on a generated catalogue with hidden columns that must
// end with exactly the movies they started with, and the order grouping
// sorts movies in.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/CatalogueGen.h"
#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "tests/grid/GridFileTestSupport.h"
#include "platform/rtl/Cp949.h"

namespace {

using TRows = std::vector<std::vector<AnsiString>>;

// Every real row (hidden ones shown first by the caller) with every real column.
TRows Snapshot(TExStringGrid& grid) {
  TRows rows;
  for (int r = 0; r < grid.RowCount(); ++r) {
    std::vector<AnsiString> row;
    for (int c = 0; c < grid.RealColCount(); ++c) row.push_back(grid.Cells(c, r));
    rows.push_back(std::move(row));
  }
  return rows;
}

// Empty when equal, else where the first difference is.
std::string FirstDifference(const TRows& got, const TRows& want) {
  if (got.size() != want.size())
    return "row count " + std::to_string(got.size()) + " instead of " + std::to_string(want.size());
  for (std::size_t r = 0; r < got.size(); ++r) {
    if (got[r].size() != want[r].size()) return "row " + std::to_string(r) + ": column count differs";
    for (std::size_t c = 0; c < got[r].size(); ++c)
      if (got[r][c] != want[r][c])
        return "row " + std::to_string(r) + " column " + std::to_string(c) + ": [" +
               Cp949ToUtf8(got[r][c]).substr(0, 60) + "] instead of [" + Cp949ToUtf8(want[r][c]).substr(0, 60) + "]";
  }
  return "";
}

// Column 0 holds row names "r0".."r9"; column 1 the given group texts.
struct SmallGrid : ::testing::Test {
  std::unique_ptr<TExStringGrid> grid = std::make_unique<TExStringGrid>(nullptr);
  void Fill(const std::vector<AnsiString>& groups, int cols = 4) {
    grid->SetColCount(cols);
    grid->SetRowCount(static_cast<int>(groups.size()) + 1);
    grid->SetFixedRows(1);
    grid->SetFixedCols(1);
    for (int c = 0; c < cols; ++c) grid->SetCells(c, 0, "h" + IntToStr(c));
    for (int i = 0; i < static_cast<int>(groups.size()); ++i) {
      grid->SetCells(0, i + 1, "r" + IntToStr(i + 1));
      grid->SetCells(1, i + 1, groups[static_cast<std::size_t>(i)]);
      for (int c = 2; c < cols; ++c) grid->SetCells(c, i + 1, "c" + IntToStr(c) + "r" + IntToStr(i + 1));
    }
  }
  std::vector<AnsiString> Column(int col) {
    std::vector<AnsiString> out;
    for (int r = 0; r < grid->RowCount(); ++r) out.push_back(grid->Cells(col, r));
    return out;
  }
};

// ------------------------------------------------------------- nodes

TEST_F(SmallGrid, CollapsingANodeHidesItsSpanAndExpandingBringsItBack) {
  Fill({"a", "b", "c", "d", "e", "f", "g", "h", "i"});
  const TRows before = Snapshot(*grid);
  grid->AddNode(2, 4);  // rows 2..5
  ASSERT_TRUE(grid->IsNodeRow(2));
  EXPECT_EQ(grid->GetNodeSpan(2), 4);
  EXPECT_EQ(grid->GetNodeLevel(2), 1);
  EXPECT_EQ(grid->GetNodeLevel(3), -1) << "not a node row";
  EXPECT_EQ(grid->NodeCount(), 1);
  EXPECT_TRUE(grid->HasNodes());

  grid->CollapseNode(2);
  EXPECT_TRUE(grid->IsNodeCollapsed(2));
  EXPECT_EQ(grid->RowCount(), 7);
  EXPECT_EQ(grid->Cells(0, 3), "r6");
  EXPECT_TRUE(grid->IsRowHidden(3));
  EXPECT_TRUE(grid->IsRowHidden(5));
  EXPECT_FALSE(grid->IsRowHidden(6));

  grid->ExpandNode(2);
  EXPECT_FALSE(grid->IsNodeCollapsed(2));
  EXPECT_EQ(grid->HiddenRowCount(), 0);
  EXPECT_EQ(Snapshot(*grid), before);
}

TEST_F(SmallGrid, NodeRowsAreAddressedInTheFullOrderWhileRowsAreHidden) {
  Fill({"a", "b", "c", "d", "e", "f", "g", "h", "i"});
  grid->AddNode(1, 3);  // rows 1..3
  grid->AddNode(5, 3);  // rows 5..7
  grid->CollapseNode(1);
  ASSERT_EQ(grid->RowCount(), 8);
  // Row 5 of the full order is display row 3 now.
  grid->CollapseNode(5);
  EXPECT_TRUE(grid->IsNodeCollapsed(3));
  EXPECT_EQ(grid->Cells(0, 4), "r8");
  grid->ExpandNode(5);
  EXPECT_EQ(grid->Cells(0, 4), "r6");
  // A hidden row cannot be made a node or expanded.
  grid->AddNode(2, 2);
  grid->ExpandNode(2);
  EXPECT_EQ(grid->NodeCount(), 2);
  grid->ExpandAllNodes();
  EXPECT_EQ(Column(0), (std::vector<AnsiString>{"h0", "r1", "r2", "r3", "r4", "r5", "r6", "r7", "r8", "r9"}));
}

TEST_F(SmallGrid, ANestedCollapsedNodeShowsExpandedAfterItsParentOpens) {
  Fill({"a", "b", "c", "d", "e", "f", "g", "h", "i"});
  const TRows before = Snapshot(*grid);
  grid->AddNode(1, 8);  // rows 1..8
  grid->AddNode(3, 3);  // rows 3..5
  EXPECT_EQ(grid->GetNodeLevel(3), 2);
  grid->CollapseNode(3);
  EXPECT_EQ(grid->RowCount(), 8);
  grid->CollapseNode(1);
  EXPECT_EQ(grid->RowCount(), 3) << "header, node 1, row 9";
  EXPECT_EQ(grid->Cells(0, 2), "r9");
  grid->ExpandNode(1);
  EXPECT_EQ(grid->HiddenRowCount(), 0);
  EXPECT_FALSE(grid->IsNodeCollapsed(3));
  EXPECT_EQ(Snapshot(*grid), before);
  // And the inner node still works on its own.
  grid->CollapseNode(3);
  EXPECT_EQ(grid->RowCount(), 8);
  grid->ExpandNode(3);
  EXPECT_EQ(Snapshot(*grid), before);
}

TEST_F(SmallGrid, ExpandOneKeepsOneNodeOpenButNeverItsParent) {
  Fill({"a", "b", "c", "d", "e", "f", "g", "h", "i"});
  grid->CellNode()->SetExpandOne(true);
  grid->AddNode(1, 3);
  grid->AddNode(4, 3);
  grid->AddNode(7, 3);
  grid->CollapseAllNodes();
  EXPECT_EQ(grid->RowCount(), 4);
  grid->ExpandNode(4);  // display row 2
  EXPECT_FALSE(grid->IsNodeCollapsed(2));
  EXPECT_TRUE(grid->IsNodeCollapsed(1));
  grid->ExpandNode(1);
  EXPECT_FALSE(grid->IsNodeCollapsed(1));
  EXPECT_TRUE(grid->IsNodeCollapsed(4)) << "the other node closed";
  int expanded = 0;
  for (int r = 1; r < grid->RowCount(); ++r)
    if (grid->IsNodeRow(r) && !grid->IsNodeCollapsed(r)) ++expanded;
  EXPECT_EQ(expanded, 1);

  // A node inside an open node: expanding it leaves its parent open.
  grid->ExpandAllNodes();
  grid->RemoveAllNodes();
  grid->AddNode(1, 9);
  grid->AddNode(2, 3);
  grid->CollapseNode(2);
  grid->ExpandNode(2);
  EXPECT_FALSE(grid->IsNodeCollapsed(1));
  EXPECT_EQ(grid->HiddenRowCount(), 0);
}

TEST_F(SmallGrid, CollapseAllHidesEveryNodesRowsInOneGo) {
  Fill({"a", "b", "c", "d", "e", "f", "g", "h", "i"});
  const TRows before = Snapshot(*grid);
  grid->AddNode(1, 4);
  grid->AddNode(2, 2);  // nested: stays expanded inside its collapsed parent
  grid->AddNode(5, 0);  // span 0: up to the end
  grid->CollapseAllNodes();
  EXPECT_EQ(grid->RowCount(), 3);
  EXPECT_TRUE(grid->IsNodeCollapsed(1));
  EXPECT_TRUE(grid->IsNodeCollapsed(2));
  EXPECT_EQ(grid->Cells(0, 2), "r5");
  grid->ExpandNode(5);
  EXPECT_EQ(grid->RowCount(), 7);
  grid->ExpandNode(1);
  EXPECT_EQ(grid->HiddenRowCount(), 0);
  EXPECT_FALSE(grid->IsNodeCollapsed(2));
  EXPECT_EQ(Snapshot(*grid), before);
}

TEST_F(SmallGrid, RemovingNodesLowersTheLevelsAndTheCount) {
  Fill({"a", "b", "c", "d", "e", "f", "g", "h", "i"});
  grid->AddNode(1, 5);
  grid->AddNode(2, 2);
  EXPECT_EQ(grid->GetCellIndent(3), 2 * grid->CellNode()->NodeIndent());
  grid->CollapseNode(1);
  grid->RemoveNode(1);
  EXPECT_EQ(grid->HiddenRowCount(), 0) << "removing a node expands it";
  EXPECT_FALSE(grid->IsNodeRow(1));
  EXPECT_EQ(grid->GetNodeLevel(2), 1);
  EXPECT_EQ(grid->NodeCount(), 1);
  grid->RemoveAllNodes();
  EXPECT_EQ(grid->NodeCount(), 0);
  EXPECT_FALSE(grid->HasNodes());
  for (int r = 0; r < grid->RowCount(); ++r) EXPECT_EQ(grid->GetCellIndent(r), 0) << r;
}

TEST_F(SmallGrid, ExpandingANodeLeavesRowsAfterItsSpanHidden) {
  Fill({"a", "b", "c", "d", "e", "f"});
  grid->AddNode(1, 3);  // rows 1..3
  grid->HideRow(4);     // hidden by something else, as a filter would
  grid->CollapseNode(1);
  EXPECT_EQ(grid->HiddenRowCount(), 3);
  grid->ExpandNode(1);
  EXPECT_EQ(grid->HiddenRowCount(), 1);
  EXPECT_TRUE(grid->IsRowHidden(4));
  EXPECT_EQ(grid->Cells(0, 4), "r5");
}

TEST_F(SmallGrid, ExpandingWithRowSelectKeepsTheOptionAndTheCurrentRow) {
  Fill({"a", "b", "c", "d", "e", "f", "g", "h", "i"});
  TGridOptions options = grid->Options();
  options.insert(goRowSelect);
  grid->SetOptions(options);
  grid->AddNode(1, 4);
  grid->CollapseNode(1);
  grid->SetRow(3);  // r7 in view
  grid->ExpandNode(1);
  EXPECT_TRUE(grid->Options().Contains(goRowSelect));
  EXPECT_EQ(grid->Row(), 3);
  EXPECT_EQ(grid->HiddenRowCount(), 0);
}

TEST_F(SmallGrid, TreeLineKindsAndGlyphHits) {
  Fill({"a", "b", "c", "d", "e", "f"});
  grid->AddNode(1, 3);
  grid->AddNode(2, 2);
  // Levels: row 1: 1, row 2: 2, row 3: 2, row 4: none.
  EXPECT_EQ(grid->NodeRowKind(1), 0);
  EXPECT_EQ(grid->NodeRowKind(3), 1) << "the next row has no properties";
  grid->AddNode(4, 1);
  EXPECT_EQ(grid->NodeRowKind(3), 1) << "the next row's level is lower";
  grid->AddSummaryRow(5);
  EXPECT_TRUE(grid->IsSummaryRow(5));
  EXPECT_FALSE(grid->IsSummaryRow(-1));
  EXPECT_FALSE(grid->IsNodeRow(-1));
  EXPECT_EQ(grid->NodeRowKind(grid->RowCount() - 1), 1) << "the last row";
  const int indent = grid->CellNode()->NodeIndent();
  EXPECT_TRUE(grid->IsNodeGlyphHit(2, indent + 1));
  EXPECT_FALSE(grid->IsNodeGlyphHit(2, indent - 1));
  EXPECT_FALSE(grid->IsNodeGlyphHit(2, 2 * indent));
}

// ------------------------------------------------------------- grouping

TEST_F(SmallGrid, GroupingWithSummariesBuildsHeadersNodesAndSummaryRows) {
  Fill({"A", "A", "B", "B"});
  grid->SortSettings()->SetAutoSortForGrouping(false);
  grid->Grouping()->SetSummary(true);
  grid->GroupByColumn(1);
  EXPECT_EQ(grid->GroupColumn(), 1);
  ASSERT_EQ(grid->RowCount(), 9);
  EXPECT_EQ(grid->ColCount(), 3);
  // header A (span 3), A, A, summary, header B (span 3), B, B, summary
  EXPECT_TRUE(grid->IsNodeRow(1));
  EXPECT_EQ(grid->GetNodeSpan(1), 3);
  EXPECT_EQ(grid->Cells(1, 1), "A") << "the group text ends in column 1";
  EXPECT_EQ(grid->Cells(0, 2), "r1");
  EXPECT_EQ(grid->Cells(0, 3), "r2");
  EXPECT_TRUE(grid->IsSummaryRow(4));
  EXPECT_TRUE(grid->IsNodeRow(5));
  EXPECT_EQ(grid->GetNodeSpan(5), 3);
  EXPECT_EQ(grid->Cells(1, 5), "B");
  EXPECT_EQ(grid->Cells(1, 6), "c2r3") << "data rows keep their other columns";
  EXPECT_TRUE(grid->IsSummaryRow(8));
  EXPECT_EQ(grid->NodeCount(), 2);

  grid->Ungroup();
  EXPECT_EQ(grid->GroupColumn(), -1);
  EXPECT_EQ(grid->NodeCount(), 0);
  EXPECT_EQ(Column(1), (std::vector<AnsiString>{"h1", "A", "A", "B", "B"}));
  EXPECT_EQ(Column(0), (std::vector<AnsiString>{"h0", "r1", "r2", "r3", "r4"}));
  EXPECT_EQ(Column(2), (std::vector<AnsiString>{"h2", "c2r1", "c2r2", "c2r3", "c2r4"}));
}

TEST_F(SmallGrid, SwitchingSummariesOnWhileGroupedNeverCostsAMovie) {
  Fill({"A", "A", "B", "B", "C"});
  const TRows before = Snapshot(*grid);
  grid->GroupByColumn(1);
  grid->Grouping()->SetSummary(true);
  grid->Ungroup();
  EXPECT_EQ(Snapshot(*grid), before);
  grid->GroupByColumn(1);
  grid->Grouping()->SetSummary(false);
  grid->Ungroup();
  EXPECT_EQ(Snapshot(*grid), before);
}

TEST_F(SmallGrid, UngroupRestoresTheColumnWithItsWidthHeaderAndTexts) {
  Fill({"x", "", "x", "y", ""}, 5);
  grid->SetColWidths(3, 77);
  for (int r = 1; r < grid->RowCount(); ++r) grid->SetCells(3, r, r % 2 ? "odd" : "");
  const TRows before = Snapshot(*grid);
  grid->SortSettings()->SetAutoSortForGrouping(false);
  grid->GroupByColumn(3);
  // Runs of equal texts, in their order: "odd", "", "odd", "", "odd"; an
  // empty text forms a group of its own.
  int headers = 0;
  for (int r = 1; r < grid->RowCount(); ++r) headers += grid->IsNodeRow(r);
  EXPECT_EQ(headers, 5);
  EXPECT_EQ(grid->Cells(1, 3), "") << "the header of the empty group";
  EXPECT_TRUE(grid->IsNodeRow(3));
  grid->Ungroup();
  EXPECT_EQ(grid->ColWidths(3), 77);
  EXPECT_EQ(Snapshot(*grid), before);
}

TEST_F(SmallGrid, CheckBoxesSplitNoGroupAndEveryRowGetsBackItsOwnCell) {
  // Watched states, two with a check box (one set), one coloured; the plain
  // grouping (the node column's has its test through the catalogue window).
  Fill({"seen", "unseen", "seen", "", "unseen"});
  for (int r = 1; r <= 2; ++r) grid->CreateCellGraphic(1, r)->SetCellType(ctCheckBox);
  grid->SetCheckBoxState(1, 1, true);
  grid->CellPropertiesAt(1, 5)->SetBrushColor(0x123456);
  grid->GroupByColumn(1);
  EXPECT_EQ(grid->NodeCount(), 3) << "seen, unseen and the empty text, check boxes or not";
  // While grouped each row's own cell is read and written; a removed row
  // takes its cell along.
  auto rowNamed = [&](const char* name) {
    for (int r = 1; r < grid->RowCount(); ++r)
      if (grid->Cells(0, r) == name && !grid->IsNodeRow(r)) return r;
    return -1;
  };
  AnsiString text;
  EXPECT_TRUE(grid->GroupedCellText(rowNamed("r2"), text) && text == "unseen");
  EXPECT_TRUE(grid->SetGroupedCellText(rowNamed("r4"), "seen"));
  grid->RemoveRows(rowNamed("r3"), 1);
  grid->Ungroup();
  EXPECT_EQ(Column(0), (std::vector<AnsiString>{"h0", "r4", "r1", "r2", "r5"}));
  EXPECT_EQ(Column(1), (std::vector<AnsiString>{"h1", "seen", "seen", "unseen", "unseen"}));
  bool checked = false;
  EXPECT_TRUE(grid->GetCheckBoxState(1, 2, checked) && checked);
  EXPECT_TRUE(grid->GetCheckBoxState(1, 3, checked) && !checked);
  EXPECT_EQ(grid->FindCellProperties(1, 4)->BrushColor(), 0x123456u);
  // The row that stood last before the grouping keeps its edit as well.
  grid->GroupByColumn(1);
  EXPECT_TRUE(grid->SetGroupedCellText(rowNamed("r5"), "later"));
  grid->Ungroup();
  EXPECT_EQ(grid->Cells(1, rowNamed("r5")), "later");
}

TEST_F(SmallGrid, GroupingAnEmptyGridDoesNothing) {
  Fill({"only"});
  grid->SetFixedFooters(1);  // the one row below the header is a footer: no data rows
  grid->GroupByColumn(2);
  EXPECT_EQ(grid->GroupColumn(), -1);
  EXPECT_EQ(grid->ColCount(), 4);
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->NodeCount(), 0);
  grid->Ungroup();
  EXPECT_EQ(grid->ColCount(), 4);
}

TEST_F(SmallGrid, GroupingUnderAFilterThatHidEveryRowKeepsTheHeaderRow) {
  Fill({"A", "A", "B"});
  grid->SortSettings()->SetAutoSortForGrouping(false);
  const TRows before = Snapshot(*grid);
  TFilterData* item = grid->Filter()->Add();
  item->SetColumn(1);
  item->SetCondition("zzz");
  grid->SetFilterActive(true);
  ASSERT_EQ(grid->RowCount(), 1);
  grid->GroupByColumn(2);
  EXPECT_EQ(grid->GroupColumn(), 2);
  grid->SetFilterActive(false);
  EXPECT_EQ(grid->FixedRows(), 1);
  EXPECT_EQ(grid->NodeCount(), 3) << "c2r1, c2r2 and c2r3 each open a group";
  grid->Ungroup();
  EXPECT_EQ(Snapshot(*grid), before);
}

TEST_F(SmallGrid, AGroupingOfColumnZeroCanBeUndone) {
  Fill({"b", "a", "b", "a"});
  grid->SetFixedCols(0);
  for (int r = 1; r < grid->RowCount(); ++r) grid->SetCells(0, r, r <= 2 ? "g1" : "g2");
  const TRows before = Snapshot(*grid);
  grid->SortSettings()->SetAutoSortForGrouping(false);
  grid->GroupByColumn(0);
  ASSERT_EQ(grid->GroupColumn(), 0);
  EXPECT_EQ(grid->ColCount(), 3);
  // The nodes stay in column 0 with the group text beside their glyph.
  ASSERT_TRUE(grid->IsNodeRow(1));
  EXPECT_EQ(grid->Cells(0, 1), "g1");
  EXPECT_EQ(grid->GetNodeSpan(1), 3);
  grid->CollapseAllNodes();
  EXPECT_EQ(grid->RowCount(), 3);
  grid->Ungroup();
  EXPECT_EQ(grid->GroupColumn(), -1);
  EXPECT_EQ(grid->NodeCount(), 0);
  EXPECT_EQ(Snapshot(*grid), before);
}

TEST_F(SmallGrid, MergedHeadersAndColoursComeAndGoWithTheGrouping) {
  Fill({"A", "B", "B"}, 5);
  grid->SortSettings()->SetAutoSortForGrouping(false);
  grid->Grouping()->SetMergeHeader(true);
  grid->Grouping()->SetHeaderColor(0x0000FF);
  grid->Grouping()->SetSummary(true);
  grid->Grouping()->SetSummaryColor(0x00FF00);
  const TRows before = Snapshot(*grid);
  grid->GroupByColumn(2);
  ASSERT_TRUE(grid->IsNodeRow(1));
  EXPECT_TRUE(grid->IsMergedCell(1, 1));
  EXPECT_EQ(grid->CellSpan(1, 1).X, grid->ColCount() - 2);
  EXPECT_EQ(grid->FindCellProperties(1, 1)->BrushColor(), 0x0000FFu);
  EXPECT_TRUE(grid->IsSummaryRow(3));
  EXPECT_EQ(grid->FindCellProperties(2, 3)->BrushColor(), 0x00FF00u) << "row colour without merge";
  grid->Ungroup();
  EXPECT_EQ(Snapshot(*grid), before);
}

// ------------------------------------------------------------- catalogue round trips

struct CatalogueGrid : ::testing::Test {
  std::unique_ptr<TExStringGrid> grid = std::make_unique<TExStringGrid>(nullptr);
  TRows original;
  void SetUp() override {
    FillCatalogueGrid(*grid, GenerateCatalogue(300));
    grid->SetFixedRows(1);
    grid->SetFixedCols(1);
    original = Snapshot(*grid);
    // The column chooser's choice: a few columns out of view.
    grid->HideColumns(12, 13);
    grid->HideColumn(22);
    grid->HideColumn(40);
  }
  // Back to the full view, then the rows as a sorted list (grouping sorts).
  TRows AllRowsSorted() {
    grid->ShowAllRows();
    grid->ShowAllColumns();
    TRows rows = Snapshot(*grid);
    std::sort(rows.begin() + 1, rows.end());
    return rows;
  }
  TRows OriginalSorted() {
    TRows rows = original;
    std::sort(rows.begin() + 1, rows.end());
    return rows;
  }
  // The catalogue window's way: a node column in front, then the grouping.
  void GroupCatalogue(int col) {
    grid->InsertColumns(0, 1);
    grid->SetFixedCols(0);
    grid->GroupByColumn(col + 1);
    for (int r = 1; r < grid->RowCount(); ++r)
      if (grid->IsNodeRow(r)) grid->MergeCells(1, r, grid->ColCount(), 1);
    grid->CollapseAllNodes();
  }
  void UngroupCatalogue() {
    grid->ExpandAllNodes();
    for (int r = 1; r < grid->RowCount(); ++r)
      if (grid->IsNodeRow(r)) grid->SplitCells(1, r);
    grid->Ungroup();
    grid->RemoveColumns(0, 1);
    grid->SetFixedCols(1);
  }
};

TEST_F(CatalogueGrid, GroupCollapseFilterUngroupShowAllEndsWithTheOriginalMovies) {
  const int genre = kColGenre;
  const int shownBefore = grid->ColCount();
  GroupCatalogue(genre);
  std::set<AnsiString> genres;
  for (std::size_t r = 1; r < original.size(); ++r) genres.insert(original[r][genre]);
  EXPECT_EQ(grid->RowCount(), 1 + static_cast<int>(genres.size())) << "one collapsed header per genre";
  EXPECT_EQ(grid->ColCount(), shownBefore) << "node column in, genre column out";

  // A search while grouped and collapsed: only the shown rows are tested.
  TFilterData* item = grid->Filter()->Add();
  item->SetColumn(static_cast<SmallInt>(kColTitle + 1));
  item->SetCondition("*" + "사"_k + "*");
  grid->SetFilterActive(true);
  grid->SetFilterActive(false);
  EXPECT_EQ(grid->HiddenRowCount(), 0);
  for (int r = 1; r < grid->RowCount(); ++r) {
    if (grid->IsNodeRow(r)) {
      EXPECT_FALSE(grid->IsNodeCollapsed(r)) << "its rows are shown";
    }
  }

  grid->CollapseAllNodes();
  UngroupCatalogue();
  EXPECT_EQ(grid->GroupColumn(), -1);
  EXPECT_EQ(grid->HiddenColumnCount(), 4);
  EXPECT_EQ(FirstDifference(AllRowsSorted(), OriginalSorted()), "");
}

TEST_F(CatalogueGrid, AFilterOverPartlyCollapsedGroupsPutsEveryRowBackInPlace) {
  GroupCatalogue(kColGenre);
  grid->ExpandAllNodes();
  const TRows grouped = Snapshot(*grid);
  // Some groups closed, then a search over what is left in view.
  grid->CollapseNode(1);
  for (int r = grid->RowCount() - 1; r > 1; --r)
    if (grid->IsNodeRow(r) && r % 3 == 0) grid->CollapseNode(grid->RealRowIndex(r));
  const int hiddenByNodes = grid->HiddenRowCount();
  ASSERT_GT(hiddenByNodes, 0);
  TFilterData* item = grid->Filter()->Add();
  item->SetColumn(static_cast<SmallInt>(20 + 1));  // 시청여부, behind the node column
  item->SetCondition("안본영화"_k);
  grid->SetFilterActive(true);
  EXPECT_GT(grid->HiddenRowCount(), hiddenByNodes);
  // Every row still in view is a real row that passes, at its real index.
  for (int r = 1; r < grid->RowCount(); ++r) {
    const int real = grid->RealRowIndex(r);
    ASSERT_GE(real, 0);
    EXPECT_EQ(grid->Cells(21, r), grouped[static_cast<std::size_t>(real)][21]) << r;
    EXPECT_EQ(grid->Cells(21, r), "안본영화"_k) << r;
  }
  grid->SetFilterActive(false);
  EXPECT_EQ(grid->HiddenRowCount(), 0);
  EXPECT_EQ(FirstDifference(Snapshot(*grid), grouped), "");
  UngroupCatalogue();
  EXPECT_EQ(FirstDifference(AllRowsSorted(), OriginalSorted()), "");
}

TEST_F(CatalogueGrid, GroupingWhileFilteredGroupsEveryMovieAndKeepsTheFilter) {
  TFilterData* item = grid->Filter()->Add();
  item->SetColumn(static_cast<SmallInt>(20));  // 시청여부
  item->SetCondition("안본영화"_k);
  grid->SetFilterActive(true);
  const int unseen = grid->RowCount() - 1;
  ASSERT_GT(unseen, 0);
  ASSERT_LT(unseen, 300);

  grid->GroupByColumn(kColGenre);
  EXPECT_TRUE(grid->FilterActive());
  // The unseen movies, each under its own group's row; a group row without
  // any goes with them.
  const int watchedCol = 20 - 1;  // the genre column before it went
  int headers = 0;
  AnsiString group, genre;
  for (int r = 1; r < grid->RowCount(); ++r) {
    if (grid->IsNodeRow(r)) {
      ++headers;
      group = grid->Cells(1, r);
      EXPECT_TRUE(r + 1 < grid->RowCount() && !grid->IsNodeRow(r + 1)) << r;
    } else {
      EXPECT_EQ(grid->Cells(watchedCol, r), "안본영화"_k) << r;
      EXPECT_TRUE(grid->GroupedCellText(r, genre) && genre == group) << r;
    }
  }
  EXPECT_EQ(grid->RowCount() - 1 - headers, unseen);
  grid->ShowAllRows();
  headers = 0;
  for (int r = 1; r < grid->RowCount(); ++r) headers += grid->IsNodeRow(r);
  EXPECT_EQ(grid->RowCount() - 1 - headers, 300) << "every movie was grouped";

  grid->Ungroup();
  EXPECT_EQ(grid->RowCount() - 1, unseen) << "still filtered";
  grid->SetFilterActive(false);
  EXPECT_EQ(FirstDifference(AllRowsSorted(), OriginalSorted()), "");
}

TEST_F(CatalogueGrid, GroupingSortedMoviesWithoutAutoSortKeepsTheirExactOrder) {
  // Sorted by genre beforehand, so grouping needs no sort of its own.
  grid->ShowAllColumns();
  TRows sorted = original;
  std::stable_sort(sorted.begin() + 1, sorted.end(),
                   [](const auto& a, const auto& b) { return a[kColGenre] < b[kColGenre]; });
  for (int r = 1; r < grid->RowCount(); ++r)
    for (int c = 0; c < kCatalogueColumns; ++c) grid->SetCells(c, r, sorted[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
  grid->HideColumns(30, 33);
  grid->SortSettings()->SetAutoSortForGrouping(false);
  grid->Grouping()->SetSummary(true);

  grid->GroupByColumn(kColGenre);
  grid->CollapseAllNodes();
  grid->ExpandNode(1);
  grid->Ungroup();
  grid->ShowAllColumns();
  EXPECT_EQ(FirstDifference(Snapshot(*grid), sorted), "");
}

}  // namespace

// A row's level travels with the row: through hiding and showing, the
// grid file, and it gives the row no property object of its own.
TEST_F(SmallGrid, NodeLevelsStayWithTheirRowsThroughHidingAndTheFile) {
  Fill({"a", "b", "c", "d", "e", "f", "g", "h", "i"});
  grid->AddNode(1, 8);  // rows 1..8
  grid->AddNode(3, 3);  // rows 3..5
  auto levels = [&] {
    std::vector<int> out;
    for (int r = 0; r < grid->RowCount(); ++r) out.push_back(grid->NodeLevelOf(r));
    return out;
  };
  const std::vector<int> want{0, 1, 1, 2, 2, 2, 1, 1, 1, 0};
  EXPECT_EQ(levels(), want);
  EXPECT_FALSE(grid->HasCellProperties(0, 4)) << "a row inside a node needs no property object";
  // The node cell's NodeLevel is the row's, read and set.
  EXPECT_EQ(grid->CellPropertiesAt(0, 3)->NodeLevel(), 2);
  grid->CellPropertiesAt(0, 3)->SetNodeLevel(3);
  EXPECT_EQ(grid->GetNodeLevel(3), 3);
  grid->CellPropertiesAt(0, 3)->SetNodeLevel(2);

  grid->CollapseNode(1);
  grid->ExpandNode(1);
  EXPECT_EQ(levels(), want);

  const std::string bytes = SaveToBytes(*grid);
  TExStringGrid back(nullptr);
  LoadFromBytes(back, bytes);
  back.RecountNodes();
  std::vector<int> loaded;
  for (int r = 0; r < back.RowCount(); ++r) loaded.push_back(back.NodeLevelOf(r));
  EXPECT_EQ(loaded, want);
  EXPECT_FALSE(back.HasCellProperties(0, 4));
  EXPECT_TRUE(back.IsNodeRow(3));
  back.CollapseNode(3);
  EXPECT_EQ(back.RowCount(), 8);
  // Saved collapsed, a node reads back collapsed, its rows out of view.
  grid->CollapseNode(3);
  TExStringGrid closed(nullptr);
  LoadFromBytes(closed, SaveToBytes(*grid));
  EXPECT_TRUE(closed.IsNodeCollapsed(3));
  EXPECT_EQ(closed.RowCount(), 8);
  closed.ExpandNode(3);
  EXPECT_EQ(closed.RowCount(), 10);
  grid->ExpandNode(3);

  grid->RemoveNode(3);
  EXPECT_EQ(levels(), (std::vector<int>{0, 1, 1, 1, 1, 1, 1, 1, 1, 0}));
}

// ------------------------------------------------------------- grouping with a node column

namespace {

// Everything a user or the program reads of a column grid: texts, widths,
// column items, node rows and levels, spans and cell colours, by real row.
std::vector<std::string> State(TExColumnGrid& grid) {
  std::vector<std::string> out;
  std::string line = "cols " + std::to_string(grid.ColCount()) + " fixed " + std::to_string(grid.FixedCols()) +
                     " group " + std::to_string(grid.GroupColumn()) + " nodes " + std::to_string(grid.NodeCount());
  for (int c = 0; c < grid.ColCount(); ++c) line += " " + std::to_string(grid.ColWidths(c));
  out.push_back(line);
  for (int c = 0; c < grid.Columns()->Count(); ++c) {
    const TGridColumnItem* item = grid.Columns()->Items(c);
    out.push_back("item " + std::to_string(c) + " [" + item->Name() + "] [" + item->Header() + "] " +
                  std::to_string(item->Alignment()));
  }
  for (int r = 0; r < grid.RowCount(); ++r) {
    std::string row = std::to_string(r) + ": node " + std::to_string(grid.GetNodeSpan(r)) + " level " +
                      std::to_string(grid.NodeLevelOf(r)) + (grid.IsNodeCollapsed(r) ? " collapsed" : "");
    for (int c = 0; c < grid.RealColCount(); ++c) {
      row += " |" + grid.Cells(c, r);
      if (const TCellProperties* p = grid.FindCellProperties(c, r))
        row += "{" + std::to_string(p->CellSpanX()) + "," + std::to_string(p->CellSpanY()) + "," +
               std::to_string(p->BrushColor()) + "}";
    }
    out.push_back(row);
  }
  return out;
}

std::string FirstDifference(const std::vector<std::string>& got, const std::vector<std::string>& want) {
  for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i)
    if (got[i] != want[i]) return "line " + std::to_string(i) + ":\n  " + Cp949ToUtf8(got[i]).substr(0, 300) +
                                  "\ninstead of\n  " + Cp949ToUtf8(want[i]).substr(0, 300);
  if (got.size() != want.size()) return std::to_string(got.size()) + " lines instead of " + std::to_string(want.size());
  return "";
}

struct NodeColumnGrid : ::testing::Test {
  std::unique_ptr<TExColumnGrid> plain = Make();
  std::unique_ptr<TExColumnGrid> fused = Make();
  static std::unique_ptr<TExColumnGrid> Make() {
    auto grid = std::make_unique<TExColumnGrid>(nullptr);
    FillCatalogueGrid(*grid, GenerateCatalogue(120));
    grid->SetFixedRows(1);
    grid->SetFixedCols(1);
    grid->SyncColumns();
    grid->Columns()->Items(kColYear)->SetAlignment(taRightJustify);
    for (int c = 0; c < grid->ColCount(); ++c) grid->SetColWidths(c, 40 + c);
    // A cell with its own colour and a merged pair, which must travel too.
    grid->CellPropertiesAt(3, 5)->SetBrushColor(clYellow);
    grid->MergeCells(5, 7, 2, 1);
    return grid;
  }
  // The two ways a node column and a grouping come in: one call, or the
  // insertion and the grouping it stands for.
  void Group(int col) {
    plain->SetFixedCols(0);
    plain->InsertColumns(0, 1);
    plain->GroupByColumn(col + 1);
    fused->SetFixedCols(0);
    fused->GroupWithNodeColumn(col);
  }
  void Ungroup() {
    plain->Ungroup();
    plain->RemoveColumns(0, 1);
    fused->UngroupWithNodeColumn();
    plain->SetFixedCols(1);
    fused->SetFixedCols(1);
  }
};

}  // namespace

TEST_F(NodeColumnGrid, GroupingIntoTheNodeColumnEqualsInsertingItThenGrouping) {
  const std::vector<std::string> before = State(*fused);
  for (int col : {static_cast<int>(kColGenre), static_cast<int>(kColDirector), 1, 0}) {
    SCOPED_TRACE(col);
    Group(col);
    EXPECT_EQ(FirstDifference(State(*fused), State(*plain)), "");
    EXPECT_EQ(fused->GroupColumn(), col + 1);
    fused->CollapseAllNodes();
    fused->ExpandAllNodes();
    Ungroup();
    EXPECT_EQ(FirstDifference(State(*fused), State(*plain)), "");
  }
  // Each grouping sorted the movies; the columns, items and looks are back.
  EXPECT_EQ(State(*fused).front(), before.front());
  EXPECT_EQ(State(*fused)[1 + kColYear], before[1 + kColYear]);
}

TEST_F(NodeColumnGrid, UngroupingWithAFilterOnOrAColumnHiddenTakesThePlainWay) {
  Group(kColGenre);
  // Searched while grouped: the plain Ungroup knows how to put the filter back.
  for (TExColumnGrid* grid : {plain.get(), fused.get()}) {
    TFilterData* item = grid->Filter()->Add();
    item->SetColumn(static_cast<SmallInt>(kColTitle + 1));
    item->SetCondition("*" + "사"_k + "*");
    grid->SetFilterActive(true);
  }
  Ungroup();
  EXPECT_EQ(FirstDifference(State(*fused), State(*plain)), "");
  EXPECT_EQ(fused->GroupColumn(), -1);

  // A hidden column keeps a grouping from moving: the plain way runs, and
  // the plain Ungroup takes it apart again.
  for (TExColumnGrid* grid : {plain.get(), fused.get()}) {
    grid->SetFilterActive(false);
    grid->HideColumn(12);
  }
  Group(kColDirector);
  EXPECT_EQ(FirstDifference(State(*fused), State(*plain)), "");
  Ungroup();
  EXPECT_EQ(FirstDifference(State(*fused), State(*plain)), "");
}

// ------------------------------------------------------------- the order grouping sorts movies in
// The same as sorting on the grouped column first, gathering each text's
// rows and grouping without a sort of its own, whatever the texts (Korean,
// mixed case, empty, numbers), the direction and the blanks setting; movies
// alike in every column compared keep the order they had.

namespace {

// Snapshot, with each row's node span and height.
TRows SnapshotWithNodes(TExStringGrid& grid) {
  TRows rows = Snapshot(grid);
  for (int r = 0; r < grid.RowCount(); ++r) {
    std::vector<AnsiString>& row = rows[static_cast<std::size_t>(r)];
    row.push_back(grid.IsNodeRow(r) ? "node " + IntToStr(grid.GetNodeSpan(r)) : AnsiString());
    row.push_back("height " + IntToStr(grid.RowHeights(r)));
  }
  return rows;
}

// A generated catalogue whose genre column holds texts that differ only in
// case, in a trailing blank or not at all (empty), and whose number columns
// hold no empty cell beside a 0: every two movies then have one order.
TRows Catalogue(int movies) {
  TRows rows = GenerateCatalogue(movies, 77);
  const std::vector<AnsiString> genres = {"SF", "sf", "Sf", "", "드라마"_k, "드라마 "_k, "액션"_k, "a", "B"};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::vector<AnsiString>& movie = rows[i];
    movie[kColGenre] = genres[(i * 2654435761u >> 8) % genres.size()];
    for (int c : {static_cast<int>(kColRunningTime), 10, 11})
      if (movie[static_cast<std::size_t>(c)].empty() || movie[static_cast<std::size_t>(c)] == "0")
        movie[static_cast<std::size_t>(c)] = "5";
  }
  return rows;
}

template <class Grid>
std::unique_ptr<Grid> GridOf(const TRows& movies) {
  auto grid = std::make_unique<Grid>(nullptr);
  FillCatalogueGrid(*grid, movies);
  grid->SetFixedRows(1);
  grid->SetFixedCols(1);
  // Rows carry their heights with them.
  for (int r = 1; r < grid->RowCount(); r += 7) grid->SetRowHeights(r, 30 + r % 5);
  return grid;
}

// Grouping as it is, against sorting on the column and then grouping the
// sorted movies without a sort.
template <class Grid>
void ExpectGroupingOrdersAsTheSort(const TRows& movies, int col, void (*setUp)(Grid&)) {
  auto grouped = GridOf<Grid>(movies);
  auto sorted = GridOf<Grid>(movies);
  setUp(*grouped);
  setUp(*sorted);
  grouped->GroupByColumn(col);
  sorted->SortSettings()->SetColumn(col);
  sorted->SortOnColumn();
  // Texts the sort takes as equal ("" and "0", "1999" and "1999.0") make a
  // group each: a text's rows gather where its first row stands.
  std::map<AnsiString, int> firstRow;
  std::vector<int> rank;
  for (int r = 0; r < sorted->RowCount(); ++r) rank.push_back(firstRow.try_emplace(sorted->Cells(col, r), r).first->second);
  for (int r = 2; r < sorted->RowCount(); ++r)
    for (int k = r; k > 1 && rank[k - 1] > rank[k]; --k) {
      sorted->SwapRows(k - 1, k);
      std::swap(rank[k - 1], rank[k]);
    }
  sorted->SortSettings()->SetAutoSortForGrouping(false);
  sorted->GroupByColumn(col);
  ASSERT_EQ(grouped->NodeCount(), static_cast<int>(firstRow.size()) - 1) << "one group for each text";
  EXPECT_EQ(FirstDifference(SnapshotWithNodes(*grouped), SnapshotWithNodes(*sorted)), "");
  grouped->Ungroup();
  sorted->Ungroup();
  EXPECT_EQ(FirstDifference(SnapshotWithNodes(*grouped), SnapshotWithNodes(*sorted)), "");
  EXPECT_EQ(grouped->UnsortedOrder(), sorted->UnsortedOrder());
}

TEST(GroupingOrder, GenresInKoreanMixedCaseAndEmptyGroupAsTheSortOrdersThem) {
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(Catalogue(3000), kColGenre, [](TExStringGrid&) {});
}

TEST(GroupingOrder, DescendingAndBlanksLastGroupAsTheSortOrdersThem) {
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(Catalogue(2000), kColGenre, [](TExStringGrid& g) {
    g.SortSettings()->SetDirection(sdDescending);
    g.SortSettings()->SetIgnoreBlanks(true);
    g.SortSettings()->SetBlankPos(blLast);
  });
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(Catalogue(2000), kColGenre, [](TExStringGrid& g) {
    g.SortSettings()->SetIgnoreBlanks(true);
  });
}

TEST(GroupingOrder, WithoutAutomaticFormatTextsOrderByTheirBytes) {
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(Catalogue(2000), kColGenre, [](TExStringGrid& g) {
    g.SortSettings()->SetAutoFormat(false);
    g.SortSettings()->SetDirection(sdDescending);
  });
}

TEST(GroupingOrder, ManyDistinctTextsAfterTheGroupedColumnOrderAsTheSortHasThem) {
  // Titles after the genre: too many for ranks, some alike, some empty.
  TRows movies = Catalogue(3000);
  for (std::size_t i = 0; i < movies.size(); ++i)
    movies[i][kColRunningTime] = i % 23 == 0 ? AnsiString() : movies[i][kColTitle].substr(0, 2 + i % 5);
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(movies, kColGenre, [](TExStringGrid&) {});
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(movies, kColGenre, [](TExStringGrid& g) {
    g.SortSettings()->SetDirection(sdDescending);
    g.SortSettings()->SetIgnoreBlanks(true);
  });
}

TEST(GroupingOrder, YearsGroupInNumberOrderWithEmptyYearsFirst) {
  // 1999 and 1999.0 are one number to the sort, two groups to grouping.
  TRows movies = Catalogue(2000);
  for (std::size_t i = 2; i < movies.size(); i += 5)
    if (!movies[i][kColYear].empty()) movies[i][kColYear] += ".0";
  for (std::size_t i = 1; i < movies.size(); i += 37) movies[i][kColYear] = "";
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(movies, kColYear, [](TExStringGrid&) {});
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(movies, kColYear, [](TExStringGrid& g) {
    g.SortSettings()->SetDirection(sdDescending);
  });
}

TEST(GroupingOrder, AColumnGridsNumberStyleGroupsAsItsSortOrdersThem) {
  TRows movies = Catalogue(1500);
  for (std::size_t i = 1; i < movies.size(); i += 11) movies[i][10] = "";  // beside the 0s
  ExpectGroupingOrdersAsTheSort<TExColumnGrid>(movies, 10, [](TExColumnGrid& g) {
    g.Columns()->Items(10)->SetSortStyle(ssNumeric);
    g.Columns()->Items(kColRunningTime)->SetSortStyle(ssNumeric);
  });
}

TEST(GroupingOrder, NumbersWithEmptyCellsBesideZeroGroupAsTheSortOrdersThem) {
  // "" and "0" compare as equal numbers but group apart, each text once.
  TRows movies = Catalogue(1500);
  for (std::size_t i = 1; i < movies.size(); i += 13) movies[i][10] = "";
  for (std::size_t i = 2; i < movies.size(); i += 17) movies[i][10] = "0";
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(movies, 10, [](TExStringGrid&) {});
}

TEST(GroupingOrder, EmptyCellsBesideZeroInATieBreakingColumnGoFirstAndTheNumbersInOrder) {
  // Within a genre and running time, 별점 decides: "" before every number
  // (as "" compared first says), then the numbers by value, "-1" and "0"
  // included; the next column is not asked to order them.
  TRows movies = Catalogue(2000);
  const std::vector<AnsiString> stars = {"", "0", "-1", "7", "", "0", "3", "10"};
  for (std::size_t i = 0; i < movies.size(); ++i) {
    movies[i][kColRunningTime] = "100";
    movies[i][10] = stars[(i * 7) % stars.size()];
  }
  auto grid = GridOf<TExStringGrid>(movies);
  grid->GroupByColumn(kColGenre);
  const int stars10 = 9;  // the column after the grouped one has gone
  ASSERT_GT(grid->NodeCount(), 1);
  int checked = 0;
  for (int r = 2; r < grid->RowCount(); ++r) {
    if (grid->IsNodeRow(r) || grid->IsNodeRow(r - 1)) continue;
    const AnsiString a = grid->Cells(stars10, r - 1), b = grid->Cells(stars10, r);
    if (a.empty()) continue;
    ASSERT_FALSE(b.empty()) << "row " << r << ": an empty cell after " << a;
    ASSERT_LE(std::stod(a), std::stod(b)) << "row " << r;
    ++checked;
  }
  EXPECT_GT(checked, 1000);
}

// Titles t1..tn in column 0, the group text in column 1, the given text
// (or "x") in column 2 and "x" in column 3; grouped on column 1.
std::unique_ptr<TExStringGrid> GroupedAlikeMovies(const std::vector<AnsiString>& groups, TSortDirection direction,
                                                  const std::vector<AnsiString>& seconds = {}) {
  auto grid = std::make_unique<TExStringGrid>(nullptr);
  grid->SetColCount(4);
  grid->SetRowCount(static_cast<int>(groups.size()) + 1);
  for (int c = 0; c < 4; ++c) grid->SetCells(c, 0, "h" + IntToStr(c));
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const int r = static_cast<int>(i) + 1;
    grid->SetCells(0, r, "t" + IntToStr(r));
    grid->SetCells(1, r, groups[i]);
    grid->SetCells(2, r, seconds.empty() ? AnsiString("x") : seconds[i]);
    grid->SetCells(3, r, "x");
  }
  grid->SetFixedRows(1);
  grid->SetFixedCols(1);
  grid->SortSettings()->SetDirection(direction);
  grid->GroupByColumn(1);
  return grid;
}

std::map<AnsiString, std::vector<AnsiString>> TitlesByGroup(TExStringGrid& grid) {
  std::map<AnsiString, std::vector<AnsiString>> titles;
  AnsiString group;
  for (int r = 1; r < grid.RowCount(); ++r) {
    if (grid.IsNodeRow(r)) {
      group = grid.Cells(1, r);
    } else {
      titles[group].push_back(grid.Cells(0, r));
    }
  }
  return titles;
}

TEST(GroupingOrder, MoviesAlikeInEveryColumnFromTheGroupedOneOnKeepTheirOrder) {
  std::vector<AnsiString> groups;
  for (int i = 0; i < 400; ++i) groups.push_back(i % 3 == 0 ? "b" : (i % 3 == 1 ? "a" : ""));
  for (TSortDirection direction : {sdAscending, sdDescending}) {
    auto grid = GroupedAlikeMovies(groups, direction);
    ASSERT_EQ(grid->NodeCount(), 3);
    std::map<AnsiString, std::vector<AnsiString>> want;
    for (int i = 0; i < 400; ++i) want[groups[static_cast<std::size_t>(i)]].push_back("t" + IntToStr(i + 1));
    EXPECT_EQ(TitlesByGroup(*grid), want);
    // The groups themselves in sort order.
    std::vector<AnsiString> headers;
    for (int r = 1; r < grid->RowCount(); ++r)
      if (grid->IsNodeRow(r)) headers.push_back(grid->Cells(1, r));
    const std::vector<AnsiString> ascending = {"", "a", "b"};
    const std::vector<AnsiString> descending = {"b", "a", ""};
    EXPECT_EQ(headers, direction == sdAscending ? ascending : descending);
  }
}

TEST(GroupingOrder, GroupsTooShortToCountKeepTheOrderOfMoviesAlikeInEveryColumn) {
  // A group of 17 to 31 movies is ordered on the next column by sorting
  // rather than counting: the movies alike there too keep their order.
  for (int size : {17, 24, 31})
    for (TSortDirection direction : {sdAscending, sdDescending}) {
      std::vector<AnsiString> groups, seconds;
      for (int i = 0; i < 2 * size; ++i) {
        groups.push_back(i % 2 ? "b" : "a");
        seconds.push_back(i % 3 ? "x" : "y");
      }
      std::map<AnsiString, std::vector<AnsiString>> want;
      const std::vector<AnsiString> inOrder = {direction == sdAscending ? "x" : "y", direction == sdAscending ? "y" : "x"};
      for (const AnsiString& second : inOrder)
        for (int i = 0; i < 2 * size; ++i)
          if (seconds[static_cast<std::size_t>(i)] == second)
            want[groups[static_cast<std::size_t>(i)]].push_back("t" + IntToStr(i + 1));
      auto grid = GroupedAlikeMovies(groups, direction, seconds);
      EXPECT_EQ(TitlesByGroup(*grid), want) << size << " movies a group, direction " << direction;
    }
}

}  // namespace
