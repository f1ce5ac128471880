// A user at the grid: keys move the current cell, the mouse selects, sizes
// and moves, dragging past the edge scrolls, the wheel steps through rows.
// Every event is real input through the window layer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VclTestSupport.h"
#include "platform/vcl/Grids.h"

namespace {

// A shown 10 x 30 grid whose cells are 64 x 24 with lines of 1: column c
// starts at 65 * c, row r at 25 * r (while not scrolled).
struct GridAtDesk {
  ShownForm form;
  TStringGrid* grid;
  GridAtDesk(int cols = 10, int rows = 30) {
    grid = new TStringGrid(form.form);
    grid->SetParent(form.form);
    grid->SetBorderStyle(bsNone);
    grid->SetBounds(0, 0, 350, 200);
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < cols; ++c) grid->SetCells(c, r, std::to_string(c) + "," + std::to_string(r));
    }
    grid->SetFocus();
    PumpUntil([&] { return grid->Focused(); });
  }
  TStringGrid* operator->() { return grid; }
  // The middle of a cell while the grid is not scrolled.
  static TPoint Mid(int col, int row) { return TPoint{65 * col + 32, 25 * row + 12}; }
  void Click(int col, int row, TShiftState shift = {}) {
    TPoint p = Mid(col, row);
    SimulateMouseDown(grid, mbLeft, p.X, p.Y, shift);
    SimulateMouseUp(grid, mbLeft, p.X, p.Y, shift);
  }
};

TGridCoord Current(TCustomGrid* g) { return TGridCoord{g->Col(), g->Row()}; }

TEST(GridKeys, ArrowsPagesHomeAndEndMoveTheCurrentCellWithinTheScrollingCells) {
  GridAtDesk g;
  ASSERT_EQ(Current(g.grid), (TGridCoord{1, 1}));
  SimulateKey(g.grid, VK_DOWN);
  SimulateKey(g.grid, VK_RIGHT);
  EXPECT_EQ(Current(g.grid), (TGridCoord{2, 2}));
  // Fixed cells are never current.
  SimulateKey(g.grid, VK_LEFT);
  SimulateKey(g.grid, VK_LEFT);
  SimulateKey(g.grid, VK_UP);
  SimulateKey(g.grid, VK_UP);
  EXPECT_EQ(Current(g.grid), (TGridCoord{1, 1}));
  SimulateKey(g.grid, VK_END);
  EXPECT_EQ(g->Col(), 9);
  SimulateKey(g.grid, VK_HOME);
  EXPECT_EQ(g->Col(), 1);
  const int page = g->VisibleRowCount() - 1;
  SimulateKey(g.grid, VK_NEXT);
  EXPECT_EQ(g->Row(), 1 + page);
  EXPECT_EQ(g->TopRow(), 1 + page);  // the page scrolled with the cell
  SimulateKey(g.grid, VK_PRIOR);
  EXPECT_EQ(g->Row(), 1);
  SimulateKey(g.grid, VK_END, {ssCtrl});
  EXPECT_EQ(Current(g.grid), (TGridCoord{9, 29}));
  EXPECT_LE(g->TopRow(), 29);
  EXPECT_GE(g->TopRow() + g->VisibleRowCount() - 1, 29);  // the last row is in view
  SimulateKey(g.grid, VK_HOME, {ssCtrl});
  EXPECT_EQ(Current(g.grid), (TGridCoord{1, 1}));
  EXPECT_EQ(g->TopRow(), 1);
  EXPECT_EQ(g->LeftCol(), 1);
}

TEST(GridKeys, CtrlUpAndDownScrollWithoutMovingTheCell) {
  GridAtDesk g;
  SimulateKey(g.grid, VK_DOWN, {ssCtrl});
  SimulateKey(g.grid, VK_DOWN, {ssCtrl});
  EXPECT_EQ(g->TopRow(), 3);
  EXPECT_EQ(g->Row(), 1);
  SimulateKey(g.grid, VK_UP, {ssCtrl});
  EXPECT_EQ(g->TopRow(), 2);
}

TEST(GridKeys, ShiftArrowsStretchTheSelectionFromTheAnchor) {
  GridAtDesk g;
  SimulateKey(g.grid, VK_DOWN, {ssShift});
  SimulateKey(g.grid, VK_RIGHT, {ssShift});
  SimulateKey(g.grid, VK_RIGHT, {ssShift});
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 3, 2}));
  EXPECT_EQ(Current(g.grid), (TGridCoord{3, 2}));
  // Without Shift the selection collapses to the cell.
  SimulateKey(g.grid, VK_DOWN);
  EXPECT_EQ(g->Selection(), (TGridRect{3, 3, 3, 3}));
  // Without goRangeSelect Shift does not stretch.
  g->SetOptions(g->Options() - TGridOptions{goRangeSelect});
  SimulateKey(g.grid, VK_DOWN, {ssShift});
  EXPECT_EQ(g->Selection(), (TGridRect{3, 4, 3, 4}));
}

TEST(GridKeys, TabWithGoTabsGoesThroughTheTabStopsAndWrapsIntoTheNextRow) {
  GridAtDesk g(4, 4);
  g->SetOptions(g->Options() + TGridOptions{goTabs});
  g->SetTabStops(2, false);
  SimulateKey(g.grid, VK_TAB);
  EXPECT_EQ(Current(g.grid), (TGridCoord{3, 1}));  // column 2 is no stop
  SimulateKey(g.grid, VK_TAB);
  EXPECT_EQ(Current(g.grid), (TGridCoord{1, 2}));
  SimulateKey(g.grid, VK_TAB, {ssShift});
  EXPECT_EQ(Current(g.grid), (TGridCoord{3, 1}));
  EXPECT_EQ(g->Selection(), (TGridRect{3, 1, 3, 1}));  // Shift+Tab does not stretch
}

TEST(GridKeys, SelectCellCanVetoAMoveAndTheCellStays) {
  GridAtDesk g;
  std::vector<TGridCoord> asked;
  g->OnSelectCell = [&](TObject*, int col, int row, bool& canSelect) {
    asked.push_back({col, row});
    if (row == 3) canSelect = false;
  };
  SimulateKey(g.grid, VK_DOWN);
  SimulateKey(g.grid, VK_DOWN);
  EXPECT_EQ(Current(g.grid), (TGridCoord{1, 2}));
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1], (TGridCoord{1, 3}));
  g.Click(4, 3);
  EXPECT_EQ(Current(g.grid), (TGridCoord{1, 2}));
  g.Click(4, 4);
  EXPECT_EQ(Current(g.grid), (TGridCoord{4, 4}));
}

TEST(GridKeys, RowSelectMovesWholeRowsAndLeftRightScroll) {
  GridAtDesk g;
  g->SetOptions(g->Options() + TGridOptions{goRowSelect});
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 9, 1}));
  SimulateKey(g.grid, VK_DOWN);
  EXPECT_EQ(g->Selection(), (TGridRect{1, 2, 9, 2}));
  SimulateKey(g.grid, VK_RIGHT);
  EXPECT_EQ(g->LeftCol(), 2);
  EXPECT_EQ(g->Col(), 1);
  SimulateKey(g.grid, VK_END);
  EXPECT_EQ(g->Row(), 29);
}

TEST(GridMouse, AClickMakesACellCurrentAndADragSelectsARange) {
  GridAtDesk g;
  int clicks = 0;
  g->OnClick = [&](TObject*) { ++clicks; };
  g.Click(3, 2);
  EXPECT_EQ(Current(g.grid), (TGridCoord{3, 2}));
  EXPECT_GE(clicks, 1);

  TPoint from = GridAtDesk::Mid(2, 1), to = GridAtDesk::Mid(4, 3);
  SimulateMouseDown(g.grid, mbLeft, from.X, from.Y);
  EXPECT_EQ(g->GridState(), gsSelecting);
  SimulateMouseMove(g.grid, (from.X + to.X) / 2, (from.Y + to.Y) / 2, {ssLeft});
  SimulateMouseMove(g.grid, to.X, to.Y, {ssLeft});
  SimulateMouseUp(g.grid, mbLeft, to.X, to.Y);
  EXPECT_EQ(g->GridState(), gsNormal);
  EXPECT_EQ(g->Selection(), (TGridRect{2, 1, 4, 3}));
  EXPECT_EQ(Current(g.grid), (TGridCoord{2, 1}));  // the cell pressed stays current

  // Shift+click stretches from the current cell.
  g.Click(3, 4, {ssShift});
  EXPECT_EQ(g->Selection(), (TGridRect{2, 1, 3, 4}));
  // A click on a fixed cell changes nothing.
  g.Click(0, 2);
  g.Click(2, 0);
  EXPECT_EQ(g->Selection(), (TGridRect{2, 1, 3, 4}));
}

TEST(GridMouse, DraggingBelowTheGridScrollsOnTheTimerAndStretchesTheSelection) {
  GridAtDesk g;
  TPoint from = GridAtDesk::Mid(1, 2);
  SimulateMouseDown(g.grid, mbLeft, from.X, from.Y);
  SimulateMouseMove(g.grid, from.X, g->ClientHeight() + 30, {ssLeft});
  const int lastVisible = g->TopRow() + g->VisibleRowCount() - 1;
  // Each tick stretches the selection by one row and scrolls once it passes
  // the bottom.
  for (int i = 0; i < 10; ++i) g->Perform(WM_TIMER, TCustomGrid::kScrollTimerId, 0);
  EXPECT_EQ(g->Selection().Bottom, 12);
  EXPECT_EQ(g->TopRow() + g->VisibleRowCount() - 1, 12);
  EXPECT_GT(12, lastVisible);
  EXPECT_EQ(g->Selection().Top, 2);
  SimulateMouseUp(g.grid, mbLeft, from.X, g->ClientHeight() + 30);
  // Once released the timer does nothing.
  const TGridRect sel = g->Selection();
  g->Perform(WM_TIMER, TCustomGrid::kScrollTimerId, 0);
  EXPECT_EQ(g->Selection(), sel);
}

TEST(GridMouse, TheWheelStepsTheCurrentRow) {
  GridAtDesk g;
  SimulateWheel(g.grid, -120);
  SimulateWheel(g.grid, -120);
  EXPECT_EQ(g->Row(), 3);
  SimulateWheel(g.grid, 120);
  EXPECT_EQ(g->Row(), 2);
  for (int i = 0; i < 5; ++i) SimulateWheel(g.grid, 120);
  EXPECT_EQ(g->Row(), 1);
}

TEST(GridMouse, DraggingAColumnEdgeInTheHeaderSizesTheColumn) {
  GridAtDesk g;
  g->SetOptions(g->Options() + TGridOptions{goColSizing, goRowSizing});
  // The right edge of column 2 is at x = 65 * 3 - 1 = 194.
  SimulateMouseDown(g.grid, mbLeft, 194, 10);
  EXPECT_EQ(g->GridState(), gsColSizing);
  SimulateMouseMove(g.grid, 214, 10, {ssLeft});
  SimulateMouseUp(g.grid, mbLeft, 214, 10);
  EXPECT_EQ(g->ColWidths(2), 84);
  EXPECT_EQ(g->ColWidths(1), 64);
  EXPECT_EQ(g->GridState(), gsNormal);
  // A row edge in the fixed column sizes the row; the same spot in a data
  // cell is a plain click.
  SimulateMouseDown(g.grid, mbLeft, 10, 74);  // bottom edge of row 2 (y = 25 * 3 - 1)
  EXPECT_EQ(g->GridState(), gsRowSizing);
  SimulateMouseMove(g.grid, 10, 64, {ssLeft});
  SimulateMouseUp(g.grid, mbLeft, 10, 64);
  EXPECT_EQ(g->RowHeights(2), 14);
  SimulateMouseDown(g.grid, mbLeft, 194, 60);
  EXPECT_EQ(g->GridState(), gsSelecting);
  SimulateMouseUp(g.grid, mbLeft, 194, 60);
  // Without the option an edge is just a header.
  g->SetOptions(g->Options() - TGridOptions{goColSizing});
  SimulateMouseDown(g.grid, mbLeft, 194 + 85 - 64, 10);
  EXPECT_EQ(g->GridState(), gsNormal);
  SimulateMouseUp(g.grid, mbLeft, 194 + 85 - 64, 10);
}

TEST(GridMouse, DraggingAHeaderMovesTheColumnWithItsCells) {
  GridAtDesk g;
  g->SetOptions(g->Options() + TGridOptions{goColMoving, goRowMoving});
  std::vector<std::pair<int, int>> moves;
  g->OnColumnMoved = [&](TObject*, int from, int to) { moves.emplace_back(from, to); };
  TPoint from = GridAtDesk::Mid(1, 0), to = GridAtDesk::Mid(3, 0);
  SimulateMouseDown(g.grid, mbLeft, from.X, from.Y);
  EXPECT_EQ(g->GridState(), gsColMoving);
  SimulateMouseMove(g.grid, to.X, to.Y, {ssLeft});
  SimulateMouseUp(g.grid, mbLeft, to.X, to.Y);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0], (std::pair<int, int>{1, 3}));
  EXPECT_EQ(g->Cells(3, 5), "1,5");
  EXPECT_EQ(g->Cells(1, 5), "2,5");

  int rowMoves = 0;
  g->OnRowMoved = [&](TObject*, int, int) { ++rowMoves; };
  from = GridAtDesk::Mid(0, 4);
  to = GridAtDesk::Mid(0, 2);
  SimulateMouseDown(g.grid, mbLeft, from.X, from.Y);
  SimulateMouseMove(g.grid, to.X, to.Y, {ssLeft});
  SimulateMouseUp(g.grid, mbLeft, to.X, to.Y);
  EXPECT_EQ(rowMoves, 1);
  EXPECT_EQ(g->Cells(0, 2), "0,4");
  EXPECT_EQ(g->Cells(0, 3), "0,2");
}

TEST(GridMouse, MovingARowPastTheBottomScrollsAndDropsItWhereTheMarkerStopped) {
  GridAtDesk g;
  g->SetOptions(g->Options() + TGridOptions{goRowMoving});
  TPoint from = GridAtDesk::Mid(0, 2);
  SimulateMouseDown(g.grid, mbLeft, from.X, from.Y);
  ASSERT_EQ(g->GridState(), gsRowMoving);
  const int below = g->ClientHeight() + 20;
  SimulateMouseMove(g.grid, from.X, below, {ssLeft});
  for (int i = 0; i < 4; ++i) g->Perform(WM_TIMER, TCustomGrid::kScrollTimerId, 0);
  EXPECT_GT(g->TopRow(), 1);
  const int target = g->TopRow() + g->VisibleRowCount() - 1;  // the last row in full view
  SimulateMouseUp(g.grid, mbLeft, from.X, below);
  EXPECT_EQ(g->GridState(), gsNormal);
  EXPECT_EQ(g->Cells(0, target), "0,2");
  EXPECT_EQ(g->Cells(0, 2), "0,3");
}

// Records what the grid asks to be drawn.
class TPaintLogGrid : public TStringGrid {
 public:
  using TStringGrid::TStringGrid;
  struct Call {
    int col, row;
    TRect rect;
    TGridDrawState state;
  };
  std::vector<Call> calls;
  const Call* Find(int col, int row) const {
    for (const Call& c : calls)
      if (c.col == col && c.row == row) return &c;
    return nullptr;
  }

 protected:
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override {
    calls.push_back({col, row, rect, state});
    TStringGrid::DrawCell(col, row, rect, state);
  }
};

// Paints the whole grid through the event loop, as the desktop would.
void PaintNow(TPaintLogGrid* g) {
  Application->ProcessMessages();
  g->calls.clear();
  g->Invalidate();
  PumpUntil([&] { return !g->calls.empty(); });
}

TEST(GridPaint, EachVisibleCellIsDrawnOnceWithItsState) {
  ShownForm form;
  auto* g = new TPaintLogGrid(form.form);
  g->SetParent(form.form);
  g->SetBorderStyle(bsNone);
  g->SetBounds(0, 0, 300, 150);
  g->SetColCount(20);
  g->SetRowCount(40);
  g->SetOptions(g->Options() + TGridOptions{goDrawFocusSelected});
  g->SetSelection(TGridRect{1, 1, 2, 2});
  PaintNow(g);
  ASSERT_FALSE(g->calls.empty());
  // No cell twice, none beyond what shows.
  for (std::size_t i = 0; i < g->calls.size(); ++i) {
    for (std::size_t j = i + 1; j < g->calls.size(); ++j) {
      EXPECT_FALSE(g->calls[i].col == g->calls[j].col && g->calls[i].row == g->calls[j].row);
    }
    EXPECT_LE(g->calls[i].col, g->LeftCol() + g->VisibleColCount());
    EXPECT_LE(g->calls[i].row, g->TopRow() + g->VisibleRowCount());
  }
  const auto* corner = g->Find(0, 0);
  ASSERT_NE(corner, nullptr);
  EXPECT_TRUE(corner->state.contains(gdFixed));
  EXPECT_EQ(corner->rect, (TRect{0, 0, 64, 24}));
  const auto* header = g->Find(3, 0);
  ASSERT_NE(header, nullptr);
  EXPECT_TRUE(header->state.contains(gdFixed));
  const auto* current = g->Find(2, 2);
  ASSERT_NE(current, nullptr);
  EXPECT_TRUE(current->state.contains(gdFocused));
  EXPECT_TRUE(current->state.contains(gdSelected));
  const auto* inside = g->Find(1, 1);
  ASSERT_NE(inside, nullptr);
  EXPECT_TRUE(inside->state.contains(gdSelected));
  EXPECT_FALSE(inside->state.contains(gdFocused));
  const auto* outside = g->Find(3, 3);
  ASSERT_NE(outside, nullptr);
  EXPECT_TRUE(outside->state.empty());

  // Scrolled: the fixed row and column stay, the data cells shift.
  g->SetTopRow(10);
  g->SetLeftCol(5);
  PaintNow(g);
  EXPECT_NE(g->Find(0, 0), nullptr);
  EXPECT_NE(g->Find(5, 0), nullptr);
  EXPECT_NE(g->Find(0, 10), nullptr);
  EXPECT_EQ(g->Find(1, 1), nullptr);
  ASSERT_NE(g->Find(5, 10), nullptr);
  EXPECT_EQ(g->Find(5, 10)->rect, (TRect{65, 25, 129, 49}));
}

}  // namespace
