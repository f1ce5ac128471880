// The Enter advance and look-up typing: wrapping, appending rows and
// columns, spans, read-only cells and vetoes on the way, and a grid in which
// no cell can be entered, which must leave the cursor where it was.
#include <gtest/gtest.h>

#include "grid/ExCGrid.h"

namespace {

// The key press of the grid, as the keyboard delivers it.
struct TTypingGrid : TExColumnGrid {
  using TExColumnGrid::TExColumnGrid;
  void Press(char key) { KeyPress(key); }
};

struct AdvanceFixture : ::testing::Test {
  std::unique_ptr<TTypingGrid> grid = std::make_unique<TTypingGrid>(nullptr);
  void SetUp() override {
    grid->SetColCount(5);
    grid->SetRowCount(4);
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    grid->Navigation()->SetAdvanceOnEnter(true);
  }
  void Advance() { grid->AdvanceCell(grid->Col(), grid->Row(), false, true, false, false); }
  std::pair<int, int> At() const { return {grid->Col(), grid->Row()}; }
};

using Cell = std::pair<int, int>;

}  // namespace

TEST_F(AdvanceFixture, LeftRightWalksTheRowThenWrapsToTheNextRowAndBackToTheTop) {
  grid->SetCol(3);
  grid->SetRow(2);
  Advance();
  EXPECT_EQ(At(), Cell(4, 2));
  Advance();
  EXPECT_EQ(At(), Cell(1, 3)) << "the last column of a middle row goes to the next row's first";
  grid->SetCol(4);
  Advance();
  EXPECT_EQ(At(), Cell(1, 1)) << "without AdvanceInsert the last cell wraps to the top";
  EXPECT_EQ(grid->RowCount(), 4);
  // Backwards from the first cell goes to the last one.
  grid->AdvanceCell(1, 1, false, false, false, false);
  EXPECT_EQ(At(), Cell(4, 3));
}

TEST_F(AdvanceFixture, WithoutAdvanceOnEnterNothingMovesUnlessForced) {
  grid->Navigation()->SetAdvanceOnEnter(false);
  grid->SetCol(1);
  grid->SetRow(1);
  Advance();
  EXPECT_EQ(At(), Cell(1, 1));
  grid->AdvanceCell(1, 1, false, true, false, true);
  EXPECT_EQ(At(), Cell(2, 1));
}

TEST_F(AdvanceFixture, TheLastCellAppendsARowWhenAllowedAndMovesIntoIt) {
  grid->Navigation()->SetAdvanceInsert(true);
  int added = -1;
  grid->OnAutoAddRow = [&](TObject*, int row) { added = row; };
  grid->SetCol(4);
  grid->SetRow(3);
  Advance();
  EXPECT_EQ(grid->RowCount(), 5);
  EXPECT_EQ(added, 4);
  EXPECT_EQ(At(), Cell(1, 4));

  // A handler that refuses the row keeps the grid as it is.
  grid->OnCanAddRow = [](TObject*, bool& canAdd) { canAdd = false; };
  grid->SetCol(4);
  Advance();
  EXPECT_EQ(grid->RowCount(), 5);
  EXPECT_EQ(At(), Cell(1, 4)) << "the first column of the same last row";
}

TEST_F(AdvanceFixture, AnAppendedRowThatCannotBeEnteredEndsTheAdvance) {
  grid->Navigation()->SetAdvanceInsert(true);
  // Rows from 4 on are refused to the editor.
  grid->OnCanEditCell = [](TObject*, int row, int, bool& canEdit) { if (row >= 4) canEdit = false; };
  grid->SetCol(4);
  grid->SetRow(3);
  Advance();
  EXPECT_EQ(grid->RowCount(), 5) << "the row was appended";
  EXPECT_EQ(At(), Cell(4, 3)) << "but the cursor stays";
}

TEST_F(AdvanceFixture, TopBottomGoesDownThenToTheNextColumnAndAppendsAColumnAtTheEnd) {
  grid->Navigation()->SetAdvanceDirection(adTopBottom);
  grid->SetCol(2);
  grid->SetRow(2);
  Advance();
  EXPECT_EQ(At(), Cell(2, 3));
  Advance();
  EXPECT_EQ(At(), Cell(3, 1));
  grid->SetCol(4);
  grid->SetRow(3);
  Advance();
  EXPECT_EQ(At(), Cell(1, 1)) << "the last cell wraps to the first column";
  grid->Navigation()->SetAdvanceInsert(true);
  int inserted = -1;
  grid->OnAutoInsertCol = [&](TObject*, int col) { inserted = col; };
  grid->SetCol(4);
  grid->SetRow(3);
  Advance();
  EXPECT_EQ(grid->ColCount(), 6);
  EXPECT_EQ(inserted, 5);
  EXPECT_EQ(At(), Cell(5, 1));
  EXPECT_EQ(grid->Columns()->Count(), 6) << "the new column has its item";
}

TEST_F(AdvanceFixture, AMergedCellIsLeftPastItsSpan) {
  grid->MergeCells(1, 2, 3, 1);
  grid->SetCol(1);
  grid->SetRow(2);
  Advance();
  EXPECT_EQ(At(), Cell(4, 2));
}

TEST_F(AdvanceFixture, ReadOnlyColumnsAndCellsAreSkipped) {
  grid->Columns()->Items(2)->SetReadOnly(true);
  grid->CellPropertiesAt(3, 1)->SetReadOnly(true);
  grid->SetCol(1);
  grid->SetRow(1);
  Advance();
  EXPECT_EQ(At(), Cell(4, 1));
}

TEST_F(AdvanceFixture, AVetoKeepsTheCursorAndTheHandlerSeesTheStartCell) {
  Cell from{-1, -1};
  Cell to{-1, -1};
  grid->SetCol(2);
  grid->SetRow(1);
  grid->OnCellChanging = [&](TObject*, int oldRow, int oldCol, int newRow, int newCol, bool& allow) {
    from = {oldCol, oldRow};
    to = {newCol, newRow};
    allow = false;
  };
  Advance();
  EXPECT_EQ(At(), Cell(2, 1));
  EXPECT_EQ(from, Cell(2, 1));
  EXPECT_EQ(to, Cell(3, 1));
  EXPECT_FALSE(grid->AdvanceMoving());
  int asks = 0;  // allowed, the step is asked once: the move itself does not ask again
  grid->OnCellChanging = [&](TObject*, int, int, int, int, bool&) { ++asks; };
  Advance();
  EXPECT_EQ(asks, 1);
}

TEST_F(AdvanceFixture, AGridWhereNoCellCanBeEnteredLeavesTheCursorWhereItWas) {
  for (int c = 0; c < grid->Columns()->Count(); ++c) grid->Columns()->Items(c)->SetReadOnly(true);
  grid->SetCol(2);
  grid->SetRow(2);
  for (bool forward : {true, false})
    for (TAdvanceDirection direction : {adLeftRight, adTopBottom}) {
      grid->Navigation()->SetAdvanceDirection(direction);
      grid->AdvanceCell(2, 2, false, forward, false, false);
      EXPECT_EQ(At(), Cell(2, 2));
    }
  // Appending cannot help: new columns and rows are read-only too, and the
  // advance does not keep adding them.
  grid->Navigation()->SetAdvanceInsert(true);
  grid->Navigation()->SetAdvanceDirection(adTopBottom);
  grid->AdvanceCell(2, 2, false, true, false, false);
  EXPECT_LE(grid->ColCount(), 6);
  grid->Navigation()->SetAdvanceDirection(adLeftRight);
  grid->AdvanceCell(2, 2, false, true, false, false);
  EXPECT_LE(grid->RowCount(), 5);
  EXPECT_EQ(At(), Cell(2, 2));

  // Editing switched off: nothing can be entered either.
  TTypingGrid plain(nullptr);
  plain.SetColCount(3);
  plain.SetRowCount(3);
  plain.Navigation()->SetAdvanceOnEnter(true);
  plain.AdvanceCell(1, 1, false, true, false, false);
  EXPECT_EQ(plain.Col(), 1);
  EXPECT_EQ(plain.Row(), 1);
}

TEST_F(AdvanceFixture, EnterAdvancesWhileTheGridHasNoFocus) {
  grid->SetCol(1);
  grid->SetRow(1);
  grid->Press('\r');
  EXPECT_EQ(At(), Cell(2, 1));
}

TEST(LookupTyping, TypedLettersJumpToTheRowThatStartsWithThemIncrementally) {
  TTypingGrid grid(nullptr);
  grid.SetColCount(3);
  grid.SetRowCount(6);
  const char* titles[] = {"Alien", "Amelie", "Brazil", "Abyss", "Cars"};
  for (int r = 1; r < 6; ++r) grid.SetCells(1, r, titles[r - 1]);
  grid.Navigation()->SetAutoGotoWhenSorted(true);
  grid.Navigation()->SetAutoGotoIncremental(true);
  grid.Press('a');
  EXPECT_EQ(grid.Row(), 1);
  grid.Press('b');
  EXPECT_EQ(grid.LookupText(), "ab");
  EXPECT_EQ(grid.Row(), 4) << "AB finds Abyss";
  grid.Press(8);
  EXPECT_EQ(grid.LookupText(), "a");
  EXPECT_EQ(grid.Row(), 1);
  grid.Press('z');
  EXPECT_EQ(grid.LookupText(), "") << "a miss empties the buffer";
  EXPECT_EQ(grid.Row(), 1);
  // Without incremental typing each letter searches alone.
  grid.Navigation()->SetAutoGotoIncremental(false);
  grid.Press('c');
  EXPECT_EQ(grid.Row(), 5);
  grid.Press('b');
  EXPECT_EQ(grid.Row(), 3);
  // While editing is on, letters are for the editor, not the look-up.
  grid.SetOptions(grid.Options() + TGridOptions{goEditing});
  EXPECT_EQ(grid.LookupRow("CARS"), 5);
  EXPECT_EQ(grid.LookupRow("X"), -1);
  TTypingGrid one(nullptr);
  one.SetRowCount(1);
  EXPECT_EQ(one.LookupRow("A"), -1) << "a grid of one row has nothing to find";
}

TEST(LookupTyping, TheLookupReadsTitlesAsShownAndClearAllForgetsWhatWasTyped) {
  TTypingGrid grid(nullptr);
  grid.SetCells(1, 1, "Brazil");
  grid.SetCells(1, 2, "<B>Apple</B>");
  grid.Navigation()->SetAutoGotoWhenSorted(true);
  grid.Navigation()->SetAutoGotoIncremental(true);
  grid.Press('a');
  EXPECT_EQ(grid.Row(), 2) << "the tags are no part of the title";
  grid.ClearAll();
  EXPECT_EQ(grid.LookupText(), "");
  grid.SetPlainTextCells(true);  // texts shown as typed are searched as typed
  grid.SetCells(1, 2, "<B>Apple</B>");
  EXPECT_EQ(grid.LookupRow("<B>A"), 2);
}

TEST(LookupTyping, AHangulSyllableIsSearchedOnlyOnceBothOfItsBytesHaveArrived) {
  TTypingGrid grid(nullptr);
  grid.SetColCount(3);
  grid.SetRowCount(4);
  grid.SetCells(1, 1, "나무"_k);
  grid.SetCells(1, 2, "가나"_k);
  grid.SetCells(1, 3, "가방"_k);
  grid.Navigation()->SetAutoGotoWhenSorted(true);
  grid.Navigation()->SetAutoGotoIncremental(true);
  grid.SetRow(1);
  auto type = [&](const AnsiString& text) {
    for (char ch : text) grid.Press(ch);
  };
  type("가"_k);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(grid.LookupText(), "가"_k);
  type("방"_k);
  EXPECT_EQ(grid.Row(), 3);
  EXPECT_EQ(grid.LookupText(), "가방"_k);
  grid.Press(8);
  EXPECT_EQ(grid.LookupText(), "가"_k) << "Backspace takes the whole syllable";
  // Without incremental typing the syllable alone is searched.
  grid.Navigation()->SetAutoGotoIncremental(false);
  type("나"_k);
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.LookupText(), "나"_k);
}
