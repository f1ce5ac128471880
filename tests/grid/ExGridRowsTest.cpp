// Row and column operations of the string grid with property objects:
// texts, heights and properties travel with their rows and columns, removed
// cells free their properties exactly once, and hostile arguments are cut
// to the grid or refused.
#include <gtest/gtest.h>

#include "grid/ExGrid.h"
#include "platform/vcl/Forms.h"

namespace {

// Property objects that count how many are alive, so that a test sees
// every free (and the sanitizer build sees every double free).
class TCountedProps : public TCellProperties {
 public:
  static int alive;
  TCountedProps(TBaseGrid* grid, int col, int row) : TCellProperties(grid, col, row) { ++alive; }
  ~TCountedProps() override { --alive; }
};
int TCountedProps::alive = 0;

struct RowsFixture : ::testing::Test {
  std::unique_ptr<TExStringGrid> grid = std::make_unique<TExStringGrid>(nullptr);
  void SetUp() override {
    TCountedProps::alive = 0;
    grid->SetColCount(4);
    grid->SetRowCount(10);
    for (int r = 0; r < 10; ++r) {
      grid->SetRowHeights(r, 20 + r);
      for (int c = 0; c < 4; ++c) grid->SetCells(c, r, "r" + IntToStr(r) + "c" + IntToStr(c));
    }
  }
  TCellProperties* Tag(int col, int row) {
    auto* props = new TCountedProps(grid.get(), col, row);
    grid->ReplaceCellProperties(col, row, props);
    return props;
  }
  void TearDown() override {
    grid.reset();
    EXPECT_EQ(TCountedProps::alive, 0) << "property objects left after the grid went";
  }
};

TEST_F(RowsFixture, InsertingTwoRowsShiftsTextsHeightsAndPropertiesDown) {
  TCellProperties* moved = Tag(2, 6);
  grid->InsertRows(3, 2);
  ASSERT_EQ(grid->RowCount(), 12);
  for (int old = 3; old <= 9; ++old) {
    EXPECT_EQ(grid->Cells(0, old + 2), "r" + IntToStr(old) + "c0");
    EXPECT_EQ(grid->RowHeights(old + 2), 20 + old);
  }
  EXPECT_EQ(grid->FindCellProperties(2, 8), moved);
  EXPECT_FALSE(grid->HasCellProperties(2, 6));
  for (int r = 3; r <= 4; ++r) {
    EXPECT_EQ(grid->RowHeights(r), grid->DefaultRowHeight());
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(grid->Cells(c, r), "");
      EXPECT_FALSE(grid->HasCellProperties(c, r));
    }
  }
  EXPECT_EQ(grid->Cells(0, 2), "r2c0");
}

TEST_F(RowsFixture, InsertingPastTheEndAppendsAndANonPositiveCountDoesNothing) {
  grid->InsertRows(50, 1);
  EXPECT_EQ(grid->RowCount(), 11);
  EXPECT_EQ(grid->Cells(0, 10), "");
  grid->InsertRows(2, 0);
  grid->InsertRows(2, -3);
  EXPECT_EQ(grid->RowCount(), 11);
}

TEST_F(RowsFixture, RemovingRowsFreesTheirPropertiesOnceAndKeepsTheOthers) {
  Tag(0, 2);
  Tag(3, 3);
  TCellProperties* kept = Tag(1, 5);
  grid->RemoveRows(2, 2);
  EXPECT_EQ(TCountedProps::alive, 1);
  EXPECT_EQ(grid->RowCount(), 8);
  EXPECT_EQ(grid->FindCellProperties(1, 3), kept);
  EXPECT_EQ(grid->Cells(0, 2), "r4c0");
  EXPECT_EQ(grid->RowHeights(2), 24);
}

TEST_F(RowsFixture, RemovingFromAStartAtOrPastTheEndIsRefusedAndALongCountIsCut) {
  grid->RemoveRows(10, 1);
  grid->RemoveRows(99, 5);
  grid->RemoveRows(-1, 2);
  grid->RemoveRows(3, 0);
  EXPECT_EQ(grid->RowCount(), 10);
  Tag(2, 9);
  grid->RemoveRows(7, 1000);
  EXPECT_EQ(grid->RowCount(), 7);
  EXPECT_EQ(TCountedProps::alive, 0);
  EXPECT_EQ(grid->Cells(0, 6), "r6c0");
  grid->RemoveRowsAdjusted(6, 50);
  EXPECT_EQ(grid->RowCount(), 6);
  grid->RemoveRowsAdjusted(6, 1);
  EXPECT_EQ(grid->RowCount(), 6);
}

TEST_F(RowsFixture, RemovingTheCursorRowAtTheBottomPutsTheCursorOnTheNewLastRow) {
  grid->SetRow(9);
  grid->RemoveRows(9, 1);
  EXPECT_EQ(grid->Row(), 8);

  // Above a footer row.
  grid->FloatingFooter()->SetVisible(true);
  grid->SetRow(7);
  grid->RemoveRows(7, 1);
  EXPECT_EQ(grid->RowCount(), 8);
  EXPECT_EQ(grid->Row(), 6);
  EXPECT_EQ(grid->FixedFooters(), 1);
  EXPECT_TRUE(grid->FloatingFooter()->Visible());
  // The last data row gone, the footer is no row to stand on: nothing shows selected.
  grid->RemoveRows(1, 6);
  EXPECT_FALSE(grid->SelectionShown());
}

TEST_F(RowsFixture, ASpanCutByARemovedRowIsDissolvedNotLeftPointingElsewhere) {
  grid->MergeCells(1, 2, 2, 4);  // rows 2..5
  grid->RemoveRows(4, 3);         // rows 4..6
  for (int r = 0; r < grid->RowCount(); ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(grid->BaseCellOf(c, r), (TPoint{c, r})) << c << "," << r;
  EXPECT_EQ(grid->Cells(2, 3), "r3c2");
  EXPECT_EQ(grid->Cells(1, 4), "r7c1");
}

TEST_F(RowsFixture, ASpanAcrossAnInsertedRowIsDissolved) {
  grid->MergeCells(0, 1, 1, 4);  // rows 1..4
  grid->InsertRows(3, 1);
  EXPECT_FALSE(grid->IsMergedCell(0, 1));
  EXPECT_EQ(grid->BaseCellOf(0, 5), (TPoint{0, 5}));
  EXPECT_EQ(grid->Cells(0, 5), "r4c0");
}

TEST_F(RowsFixture, ShrinkingTheRowCountFreesTheDroppedRowsProperties) {
  Tag(0, 8);
  Tag(3, 9);
  Tag(3, 2);
  grid->SetRowCount(5);
  EXPECT_EQ(TCountedProps::alive, 1);
  grid->SetRowCount(10);
  EXPECT_FALSE(grid->HasCellProperties(0, 8));
  EXPECT_EQ(grid->Cells(0, 8), "");
  grid->SetColCount(2);
  EXPECT_EQ(TCountedProps::alive, 0);
}

TEST_F(RowsFixture, ClearingFreesPropertiesAndTextsAndReportsTheRectangle) {
  Tag(1, 1);
  Tag(2, 2);
  Tag(3, 3);
  TRect reported{-1, -1, -1, -1};
  grid->OnCellsChanged = [&](TObject*, TRect r) { reported = r; };
  grid->ClearRows(1, 2);
  EXPECT_EQ(reported, Rect(0, 1, 3, 2));
  EXPECT_EQ(TCountedProps::alive, 1);
  EXPECT_EQ(grid->Cells(2, 2), "");
  EXPECT_EQ(grid->Cells(2, 3), "r3c2");
  grid->ClearCellRange(-4, -4, 100, 100);  // cut to the grid
  EXPECT_EQ(reported, Rect(0, 0, 3, 9));
  EXPECT_EQ(TCountedProps::alive, 0);
  EXPECT_EQ(grid->Cells(3, 9), "");
}

TEST_F(RowsFixture, AddRowAppendsAnEmptyRowAboveTheFooter) {
  grid->AddRow();
  EXPECT_EQ(grid->RowCount(), 11);
  EXPECT_EQ(grid->Cells(0, 10), "");
  grid->FloatingFooter()->SetVisible(true);
  grid->AddRow();
  EXPECT_EQ(grid->RowCount(), 12);
  EXPECT_EQ(grid->Cells(0, 10), "");
  EXPECT_EQ(grid->Cells(0, 11), "");  // the footer row moved down, empty as it was
}

TEST_F(RowsFixture, ColumnsInsertAndRemoveWithTheirTextsPropertiesAndWidths) {
  grid->SetColWidths(2, 77);
  TCellProperties* moved = Tag(2, 4);
  Tag(1, 1);
  grid->InsertColumns(1, 2);
  ASSERT_EQ(grid->ColCount(), 6);
  EXPECT_EQ(grid->Cells(4, 3), "r3c2");
  EXPECT_EQ(grid->ColWidths(4), 77);
  EXPECT_EQ(grid->FindCellProperties(4, 4), moved);
  EXPECT_EQ(grid->Cells(1, 3), "");
  EXPECT_EQ(grid->ColWidths(1), grid->DefaultColWidth());
  EXPECT_FALSE(grid->HasCellProperties(1, 1));
  EXPECT_TRUE(grid->HasCellProperties(3, 1));

  grid->RemoveColumns(1, 3);  // the two new ones and old column 1
  ASSERT_EQ(grid->ColCount(), 3);
  EXPECT_EQ(TCountedProps::alive, 1);
  EXPECT_EQ(grid->Cells(1, 3), "r3c2");
  EXPECT_EQ(grid->FindCellProperties(1, 4), moved);
  EXPECT_EQ(grid->ColWidths(1), 77);

  grid->RemoveColumns(2, 40);  // cut at the last column
  EXPECT_EQ(grid->ColCount(), 2);
  grid->RemoveColumns(5, 1);  // past the end: nothing
  grid->RemoveColumns(-1, 1);
  EXPECT_EQ(grid->ColCount(), 2);
  EXPECT_EQ(TCountedProps::alive, 1);
}

TEST_F(RowsFixture, TheClassLibrarysLineDeletionFreesTheLinesProperties) {
  Tag(1, 4);
  TCellProperties* kept = Tag(1, 6);
  grid->DeleteRow(4);
  EXPECT_EQ(TCountedProps::alive, 1);
  EXPECT_EQ(grid->FindCellProperties(1, 5), kept);
  Tag(2, 0);
  grid->DeleteColumn(2);
  EXPECT_EQ(TCountedProps::alive, 1);
  EXPECT_EQ(grid->ColCount(), 3);
}

TEST_F(RowsFixture, ASpanReachingIntoRemovedOrInsertedColumnsIsDissolved) {
  grid->MergeCells(0, 2, 3, 2);  // columns 0..2, rows 2..3
  grid->RemoveColumns(2, 1);
  for (int r = 0; r < grid->RowCount(); ++r)
    for (int c = 0; c < grid->ColCount(); ++c) EXPECT_EQ(grid->BaseCellOf(c, r), (TPoint{c, r}));
  grid->MergeCells(0, 5, 3, 1);
  grid->InsertColumns(1, 1);
  EXPECT_FALSE(grid->IsMergedCell(0, 5));
  EXPECT_EQ(grid->BaseCellOf(3, 5), (TPoint{3, 5}));
  EXPECT_EQ(grid->Cells(3, 5), "r5c3");
}

TEST_F(RowsFixture, ClearAllAndDestructionFreeEveryPropertyObject) {
  for (int r = 0; r < 10; ++r) Tag(r % 4, r);
  grid->MergeCells(0, 0, 2, 2);
  grid->ClearAll();
  EXPECT_EQ(TCountedProps::alive, 0);
  EXPECT_EQ(grid->Cells(3, 7), "");
  for (int r = 0; r < 10; ++r) Tag(r % 4, r);
  // TearDown deletes the grid and checks that nothing is left.
}

// ------------------------------------------------------------- columns under hidden rows

// The catalogue's search hides the movies that fail; grouping then takes a
// column in and out at the front. Hidden movies must come back with every
// text in its column.
TEST_F(RowsFixture, ColumnsInsertedAndRemovedWhileASearchHidesRowsKeepHiddenRowsAligned) {
  TCellProperties* hiddenProps = Tag(2, 4);
  Tag(0, 6);  // in the column that goes below: freed with it
  TFilterData* item = grid->Filter()->Add();
  item->SetColumn(1);
  item->SetCondition("!r4c1&!r6c1");
  grid->SetFilterActive(true);
  ASSERT_TRUE(grid->IsRowHidden(4));
  ASSERT_TRUE(grid->IsRowHidden(6));

  grid->InsertColumns(0, 1);
  for (int r = 0; r < grid->RowCount(); ++r) grid->SetCells(0, r, "new");
  grid->SetFilterActive(false);
  ASSERT_EQ(grid->RowCount(), 10);
  ASSERT_EQ(grid->ColCount(), 5);
  for (int r = 0; r < 10; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_EQ(grid->Cells(c + 1, r), "r" + IntToStr(r) + "c" + IntToStr(c)) << r;
    // The hidden rows were not there to take the new column's text.
    EXPECT_EQ(grid->Cells(0, r), r == 4 || r == 6 ? "" : "new") << r;
  }
  EXPECT_EQ(grid->FindCellProperties(3, 4), hiddenProps);

  item->SetColumn(2);  // the searched column moved one place on
  grid->SetFilterActive(true);
  ASSERT_TRUE(grid->IsRowHidden(6));
  grid->RemoveColumns(0, 2);  // the new column and the one holding row 6's properties
  EXPECT_EQ(TCountedProps::alive, 1) << "the hidden row's properties in a removed column are freed";
  grid->SetFilterActive(false);
  ASSERT_EQ(grid->ColCount(), 3);
  for (int r = 0; r < 10; ++r)
    for (int c = 1; c < 4; ++c) EXPECT_EQ(grid->Cells(c - 1, r), "r" + IntToStr(r) + "c" + IntToStr(c)) << r;
  EXPECT_EQ(grid->FindCellProperties(1, 4), hiddenProps);
}

// A long synopsis keeps its one buffer while the columns around it shift:
// nothing is copied, however many movies there are.
TEST_F(RowsFixture, ShiftingColumnsMovesTextsInsteadOfCopyingThem) {
  const AnsiString synopsis(400, 's');
  grid->SetCells(2, 5, synopsis);
  const char* buffer = grid->RawCells(2, 5).data();
  grid->InsertColumns(1, 2);
  ASSERT_EQ(grid->Cells(4, 5), synopsis);
  EXPECT_EQ(grid->RawCells(4, 5).data(), buffer);
  grid->RemoveColumns(0, 3);
  ASSERT_EQ(grid->Cells(1, 5), synopsis);
  EXPECT_EQ(grid->RawCells(1, 5).data(), buffer);
  EXPECT_EQ(grid->Cells(0, 5), "r5c1");
  EXPECT_EQ(grid->Cells(2, 5), "r5c3");
}

// Hidden columns keep their cells outside the shown ones: inserting and
// removing columns around them, then showing them, gives what the same
// steps give on a grid that hides nothing.
TEST_F(RowsFixture, ColumnsInsertedAndRemovedAroundHiddenColumnsEndAsWithNoneHidden) {
  auto plain = std::make_unique<TExStringGrid>(nullptr);
  for (TExStringGrid* g : {grid.get(), plain.get()}) {
    g->SetColCount(6);
    g->SetRowCount(10);
    for (int r = 0; r < 10; ++r)
      for (int c = 0; c < 6; ++c) g->SetCells(c, r, "r" + IntToStr(r) + "c" + IntToStr(c));
  }
  TCellProperties* lastProps = Tag(5, 7);
  Tag(3, 2);  // in the column removed below
  grid->HideColumn(4);
  grid->HideColumn(1);
  ASSERT_EQ(grid->ColCount(), 4);
  for (TExStringGrid* g : {grid.get(), plain.get()}) {
    g->InsertColumns(0, 2);
    g->RemoveColumns(5, 1);  // real column 5: the former column 3
    g->InsertColumns(6, 1);  // between the former columns 4 and 5
  }
  EXPECT_EQ(TCountedProps::alive, 1);
  EXPECT_EQ(grid->ColCount(), 6);
  EXPECT_TRUE(grid->IsColumnHidden(3));  // the former column 1
  EXPECT_TRUE(grid->IsColumnHidden(5));  // the former column 4
  grid->ShowAllColumns();
  ASSERT_EQ(grid->ColCount(), plain->ColCount());
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < plain->ColCount(); ++c) EXPECT_EQ(grid->Cells(c, r), plain->Cells(c, r)) << c << "," << r;
  EXPECT_EQ(grid->FindCellProperties(7, 7), lastProps);
}

TEST_F(RowsFixture, ClearAllTakesTheNodesWithTheCells) {
  grid->AddNode(2, 3);
  grid->AddNode(6, 2);
  grid->CollapseNode(2);
  ASSERT_EQ(grid->NodeCount(), 2);
  ASSERT_EQ(grid->HiddenRowCount(), 2);
  grid->ClearAll();
  EXPECT_EQ(grid->NodeCount(), 0);
  EXPECT_FALSE(grid->HasNodes());
  EXPECT_EQ(grid->HiddenRowCount(), 0) << "the collapsed node's rows are back, and empty";
  EXPECT_EQ(grid->RowCount(), 10);
  for (int r = 0; r < 10; ++r) {
    EXPECT_FALSE(grid->IsNodeRow(r)) << r;
    EXPECT_EQ(grid->Cells(1, r), "") << r;
  }
}

}  // namespace
