// The base grid: merged cells, property objects, display text, drawing a
// span once per paint pass, keys on spans and the undo recorder.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "grid/BaseGrid.h"
#include "grid/ExUtil.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/InputSimulation.h"

namespace {

// Counts how often each cell's content is drawn and lets a test run a
// paint pass directly.
class TProbeGrid : public TBaseGrid {
 public:
  explicit TProbeGrid(TComponent* owner) : TBaseGrid(owner) {}
  std::map<std::pair<int, int>, int> drawn;
  void DrawCellContent(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState state) override {
    ++drawn[{col, row}];
    TBaseGrid::DrawCellContent(canvas, col, row, rect, state);
  }
};

struct BaseGridCells : ::testing::Test {
  TBaseGrid grid{nullptr};
  void SetUp() override {
    grid.SetColCount(6);
    grid.SetRowCount(6);
  }
};

// ---------------------------------------------------------------- merges

TEST_F(BaseGridCells, AThreeByTwoMergeMakesOneBaseCellAndCoveredCellsPointingBack) {
  grid.SetCells(1, 1, "base");
  grid.SetRawCells(3, 2, "hidden under the span");
  grid.MergeCells(1, 1, 3, 2);

  TCellProperties* base = grid.FindCellProperties(1, 1);
  ASSERT_NE(base, nullptr);
  EXPECT_TRUE(base->IsBaseCell());
  EXPECT_EQ(base->CellSpanX(), 2);
  EXPECT_EQ(base->CellSpanY(), 1);
  TCellProperties* corner = grid.FindCellProperties(3, 2);
  ASSERT_NE(corner, nullptr);
  EXPECT_FALSE(corner->IsBaseCell());
  EXPECT_EQ(corner->CellSpanX(), 2);
  EXPECT_EQ(corner->CellSpanY(), 1);

  EXPECT_EQ(grid.Cells(3, 2), "base");
  grid.SetCells(2, 2, "typed into a covered cell");
  EXPECT_EQ(grid.RawCells(1, 1), "typed into a covered cell");
  EXPECT_EQ(grid.RawCells(2, 2), "");
  EXPECT_EQ(grid.BaseCellOf(3, 2), (TPoint{1, 1}));
  EXPECT_EQ(grid.CellSpan(2, 1), (TPoint{2, 1}));
  EXPECT_TRUE(grid.IsXMergedCell(3, 1));
  EXPECT_TRUE(grid.IsYMergedCell(1, 2));
}

TEST_F(BaseGridCells, SplittingFromAnyCellRestoresSingleCellsAndTheirTexts) {
  grid.SetRawCells(2, 2, "kept in the store");
  grid.MergeCells(1, 1, 3, 2);
  EXPECT_EQ(grid.Cells(2, 2), "");  // the base cell's (empty) text shows

  grid.SplitCells(3, 2);
  for (int r = 1; r <= 2; ++r) {
    for (int c = 1; c <= 3; ++c) {
      EXPECT_TRUE(grid.IsBaseCellAt(c, r)) << c << "," << r;
      EXPECT_FALSE(grid.IsMergedCell(c, r)) << c << "," << r;
      EXPECT_EQ(grid.CellSpan(c, r), (TPoint{0, 0}));
    }
  }
  EXPECT_EQ(grid.Cells(2, 2), "kept in the store");
}

TEST_F(BaseGridCells, ASpanReachingPastTheGridIsCutAtItsEdge) {
  grid.MergeCells(4, 3, 5, 10);
  EXPECT_EQ(grid.CellSpan(4, 3), (TPoint{1, 2}));
  EXPECT_EQ(grid.BaseCellOf(5, 5), (TPoint{4, 3}));
  grid.SetCells(5, 5, "corner");
  EXPECT_EQ(grid.RawCells(4, 3), "corner");
  // Nothing was written outside; splitting walks only the cut span.
  grid.SplitCells(5, 5);
  EXPECT_FALSE(grid.IsMergedCell(4, 3));
  EXPECT_FALSE(grid.IsMergedCell(5, 5));
}

TEST_F(BaseGridCells, SpansOfZeroOrNegativeSizeOrOutsideTheGridChangeNothing) {
  grid.MergeCells(1, 1, 0, 3);
  grid.MergeCells(1, 1, 2, -1);
  grid.MergeCells(-1, -1, 2, 2);
  grid.MergeCells(6, 6, 2, 2);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 6; ++c) EXPECT_FALSE(grid.HasCellProperties(c, r));
}

TEST_F(BaseGridCells, AMergeOverlappingAnOldSpanDissolvesTheOldOneFirst) {
  grid.SetCells(1, 1, "old");
  grid.MergeCells(1, 1, 2, 2);
  grid.MergeCells(2, 2, 3, 3);
  // The old span's cells outside the new one are single cells again.
  EXPECT_FALSE(grid.IsMergedCell(1, 1));
  EXPECT_EQ(grid.BaseCellOf(2, 1), (TPoint{2, 1}));
  EXPECT_EQ(grid.BaseCellOf(1, 2), (TPoint{1, 2}));
  EXPECT_EQ(grid.CellSpan(4, 4), (TPoint{2, 2}));
  EXPECT_EQ(grid.Cells(1, 1), "old");
}

TEST_F(BaseGridCells, RowsShareASpanOnlyWhenEveryVerticalSpanHasTheSameBase) {
  grid.MergeCells(1, 1, 1, 3);
  EXPECT_TRUE(grid.RowsShareSpan(1, 2));
  EXPECT_FALSE(grid.RowsShareSpan(3, 4));  // row 4 is in no span
  grid.MergeCells(2, 1, 1, 2);
  grid.MergeCells(2, 3, 1, 2);
  EXPECT_TRUE(grid.RowsShareSpan(1, 2));
  EXPECT_FALSE(grid.RowsShareSpan(2, 3));  // column 2 breaks between them
}

// ---------------------------------------------------------------- properties

TEST_F(BaseGridCells, PropertiesAreCreatedOnFirstUseWithTheirDefaults) {
  EXPECT_FALSE(grid.HasCellProperties(2, 3));
  EXPECT_TRUE(grid.IsBaseCellAt(2, 3));
  EXPECT_EQ(grid.CellSpan(2, 3), (TPoint{0, 0}));
  TCellProperties* props = grid.CellPropertiesAt(2, 3);
  ASSERT_NE(props, nullptr);
  EXPECT_TRUE(grid.HasCellProperties(2, 3));
  EXPECT_EQ(props->OwnerCol(), 2);
  EXPECT_EQ(props->OwnerRow(), 3);
  EXPECT_EQ(props->BrushColor(), clNone);
  EXPECT_EQ(props->BrushColorTo(), clNone);
  EXPECT_EQ(props->FontColor(), clNone);
  EXPECT_EQ(props->CellSpanX(), -1);
  EXPECT_EQ(props->CellSpanY(), -1);
  EXPECT_TRUE(props->IsBaseCell());
  EXPECT_EQ(props->Editor(), edNormal);
  EXPECT_EQ(props->CellObject(), nullptr);
  EXPECT_EQ(grid.CellPropertiesAt(2, 3), props);
  // Nothing is created for a cell that is not there.
  EXPECT_EQ(grid.CellPropertiesAt(6, 0), nullptr);
  EXPECT_EQ(grid.CellPropertiesAt(0, -1), nullptr);
}

TEST_F(BaseGridCells, AssignCopiesLooksAndSpanButNotTheCellObject) {
  TCellProperties* from = grid.CellPropertiesAt(1, 1);
  TObject marker;
  from->SetCellObject(&marker);
  from->SetBrushColor(0x112233);
  from->SetBrushColorTo(0x445566);
  from->SetFontName("Tahoma");
  from->SetWordWrap(true);
  from->SetCellSpanX(3);
  TCellProperties* to = grid.CellPropertiesAt(2, 2);
  to->Assign(from);
  EXPECT_EQ(to->BrushColor(), 0x112233);
  EXPECT_EQ(to->BrushColorTo(), 0x445566);
  EXPECT_EQ(to->FontName(), "Tahoma");
  EXPECT_TRUE(to->WordWrap());
  EXPECT_EQ(to->CellSpanX(), 3);
  EXPECT_EQ(to->CellObject(), nullptr);
  EXPECT_EQ(to->Grid(), &grid);
}

TEST_F(BaseGridCells, ReplacingAndFreeingPropertiesLeavesNoObjectBehind) {
  grid.CellPropertiesAt(1, 1);
  grid.ReplaceCellProperties(1, 1, new TCellProperties(&grid, 1, 1));
  grid.ReplaceCellProperties(9, 9, new TCellProperties(&grid, 9, 9));  // outside: freed at once
  grid.CellPropertiesAt(2, 2);
  grid.CellPropertiesAt(3, 3);
  grid.FreeCellProperties(0, 0, 2, 2);
  EXPECT_FALSE(grid.HasCellProperties(1, 1));
  EXPECT_FALSE(grid.HasCellProperties(2, 2));
  EXPECT_TRUE(grid.HasCellProperties(3, 3));
  grid.FreeCellProperties(-5, -5, 50, 50);
  EXPECT_FALSE(grid.HasCellProperties(3, 3));
  // The sanitizer build reports a leak or a double free here if any.
}

// ---------------------------------------------------------------- display text

TEST_F(BaseGridCells, DisplayTextEventsChangeWhatCellsReadButNotTheStore) {
  grid.SetCells(1, 1, "raw");
  grid.OnGetDisplText = [](TObject*, int col, int row, AnsiString& text) { text += "!"; };
  EXPECT_EQ(grid.Cells(1, 1), "raw!");
  EXPECT_EQ(grid.RawCells(1, 1), "raw");
  // Rows at or below the display row limit (scratch rows) never reach it.
  grid.SetDisplayRowLimit(1);
  EXPECT_EQ(grid.Cells(1, 1), "raw");
}

TEST_F(BaseGridCells, AWideTextEventGivesAUnicodeCellText) {
  grid.SetCells(1, 1, "영화"_k);
  WideString seen;
  grid.OnGetDisplWideText = [&](TObject*, int, int, WideString& text) {
    seen = text;
    text += u"\u00e9";
  };
  const AnsiString shown = grid.Cells(1, 1);
  EXPECT_EQ(seen, u"영화");
  EXPECT_TRUE(IsUnicodeCell(shown));
  EXPECT_EQ(UnicodeCellToWide(shown), u"영화\u00e9");
}

// ---------------------------------------------------------------- drawing

TEST(BaseGridPaint, ASpanIsDrawnOncePerPassEvenWhenItsBaseIsScrolledAway) {
  TForm* form = new TForm(nullptr);
  form->SetBounds(10, 10, 420, 240);
  auto* grid = new TProbeGrid(form);
  grid->SetParent(form);
  grid->SetBounds(0, 0, 400, 200);
  grid->SetColCount(5);
  grid->SetRowCount(40);
  grid->MergeCells(1, 1, 3, 2);
  form->Show();
  Application->ProcessMessages();
  ASSERT_TRUE(grid->Showing());
  grid->drawn.clear();
  grid->Repaint();
  EXPECT_EQ((grid->drawn[{1, 1}]), 1);
  EXPECT_EQ((grid->drawn[{2, 1}]), 0);
  EXPECT_EQ((grid->drawn[{3, 2}]), 0);
  EXPECT_EQ((grid->drawn[{4, 3}]), 1);  // an ordinary cell beside it

  // A tall span whose base row scrolls out of view is still drawn, once.
  grid->MergeCells(4, 1, 1, 30);
  grid->SetTopRow(10);
  grid->drawn.clear();
  grid->Repaint();
  EXPECT_EQ((grid->drawn[{4, 1}]), 1);
  grid->Repaint();
  EXPECT_EQ((grid->drawn[{4, 1}]), 2);

  // A span from the fixed column into the next keeps its fixed part drawn
  // however far the view scrolls past that next column.
  grid->SetColCount(12);
  grid->MergeCells(0, 12, 2, 1);
  grid->SetLeftCol(4);
  grid->drawn.clear();
  grid->Repaint();
  EXPECT_EQ((grid->drawn[{0, 12}]), 1);
  delete form;
}

TEST_F(BaseGridCells, TheDefaultContentIsTheBaseCellsDisplayTextCentredOnOneLine) {
  grid.SetCells(1, 1, "제목"_k);
  grid.MergeCells(1, 1, 2, 1);
  grid.OnGetDisplText = [](TObject*, int, int, AnsiString& text) { text = "[" + text + "]"; };
  TRecordingCanvas canvas;
  grid.DrawCellContent(&canvas, 2, 1, Rect(0, 0, 100, 20), {});
  auto calls = canvas.CallsOf(coDrawText);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Text, "[" + "제목"_k + "]");
  EXPECT_EQ(calls[0].Flags & (DT_CENTER | DT_VCENTER | DT_SINGLELINE), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EXPECT_FALSE(calls[0].Wide);

  grid.OnGetDisplText = nullptr;
  grid.SetCells(1, 1, WideToUnicodeCell(u"\u4e2d"));
  canvas.Clear();
  grid.DrawCellContent(&canvas, 1, 1, Rect(0, 0, 100, 20), {});
  calls = canvas.CallsOf(coDrawText);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].Wide);
}

TEST(BaseGridPaint, TheClassLibraryNeverDrawsCellsOrLinesItself) {
  TBaseGrid grid(nullptr);
  EXPECT_EQ(grid.GridLineWidth(), 1);
  EXPECT_EQ(grid.GridLineColor(), 0xC0C0C0);
  EXPECT_FALSE(grid.DefaultDrawing());
  grid.SetGridLineWidth(3);
  grid.SetDefaultDrawing(true);
  EXPECT_EQ(grid.GridLineWidth(), 3);
  EXPECT_EQ(static_cast<TCustomGrid&>(grid).GridLineWidth(), 0);
  EXPECT_FALSE(static_cast<TCustomGrid&>(grid).DefaultDrawing());
  EXPECT_TRUE(grid.Options().contains(goDrawFocusSelected));
}

// ---------------------------------------------------------------- keys and mouse on spans

struct ShownGrid {
  TForm* form;
  TBaseGrid* grid;
  ShownGrid() : form(new TForm(nullptr)) {
    form->SetBounds(10, 10, 500, 400);
    grid = new TBaseGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 480, 360);
    grid->SetColCount(8);
    grid->SetRowCount(8);
    form->Show();
    grid->SetFocus();
  }
  ~ShownGrid() { delete form; }
};

TEST(BaseGridKeys, ArrowsLeaveASpanOnTheFarSideAndClicksLandOnTheBaseCell) {
  ShownGrid shown;
  TBaseGrid* grid = shown.grid;
  grid->MergeCells(2, 2, 3, 2);
  grid->SetCol(2);
  grid->SetRow(2);

  SimulateKey(grid, VK_RIGHT);
  EXPECT_EQ(grid->Col(), 5);
  EXPECT_EQ(grid->Row(), 2);

  grid->SetCol(3);
  grid->SetRow(2);
  SimulateKey(grid, VK_DOWN);
  EXPECT_EQ(grid->Row(), 4);
  EXPECT_EQ(grid->Col(), 3);

  // Moving onto a covered cell from outside lands on the span's base cell.
  grid->SetCol(4);
  grid->SetRow(4);
  SimulateKey(grid, VK_UP);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(grid->Row(), 2);

  const TRect covered = grid->CellRect(4, 3);
  SimulateClick(grid, covered.Left + 3, covered.Top + 3);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(grid->Row(), 2);
}

TEST(BaseGridKeys, LeftAndUpFromACoveredCellLeaveTheSpanJustOutsideIt) {
  ShownGrid shown;
  TBaseGrid* grid = shown.grid;
  grid->MergeCells(2, 2, 3, 2);  // columns 2..4, rows 2..3

  // A caller may put the cursor on a covered cell; the keys still step out
  // of the whole span, as Right and Down do.
  grid->SetCol(4);
  grid->SetRow(3);
  SimulateKey(grid, VK_LEFT);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 3);

  grid->SetCol(4);
  grid->SetRow(3);
  SimulateKey(grid, VK_UP);
  EXPECT_EQ(grid->Col(), 4);
  EXPECT_EQ(grid->Row(), 1);

  // A span at the grid's left edge: Left has nowhere to go and stays on the base cell.
  grid->MergeCells(1, 5, 2, 1);
  grid->SetCol(2);
  grid->SetRow(5);
  SimulateKey(grid, VK_LEFT);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 5);
}

// ---------------------------------------------------------------- undo recorder

TEST(UndoRecorder, KeepsAtMostMaxLevelChangesDroppingTheOldest) {
  TExGridUndoRedo undo(nullptr);
  undo.SetMaxLevel(2);
  undo.AddChange(1, 1, "a", "b");
  undo.AddChange(1, 2, "c", "d");
  undo.AddChange(1, 3, "e", "f");
  ASSERT_EQ(undo.Items()->Count(), 2);
  EXPECT_EQ(undo.Items()->Items(0)->Row, 2);
  EXPECT_EQ(undo.Items()->Items(1)->OrigValue, "e");
  EXPECT_EQ(undo.Items()->Items(1)->Value, "f");
  EXPECT_EQ(undo.Level(), 2);

  undo.SetMaxLevel(1);
  undo.AddChange(2, 2, "g", "h");
  EXPECT_EQ(undo.Items()->Count(), 1);

  undo.SetMaxLevel(0);
  for (int i = 0; i < 50; ++i) undo.AddChange(0, i, "", "x");
  EXPECT_EQ(undo.Items()->Count(), 51);
}

TEST(UndoRecorder, GridAndRecorderForgetEachOtherWhicheverGoesFirst) {
  auto* grid = new TBaseGrid(nullptr);
  auto* undo = new TExGridUndoRedo(nullptr);
  grid->SetUndoRedo(undo);
  EXPECT_EQ(undo->Grid(), grid);
  delete undo;
  EXPECT_EQ(grid->UndoRedo(), nullptr);

  undo = new TExGridUndoRedo(nullptr);
  grid->SetUndoRedo(undo);
  delete grid;
  EXPECT_EQ(undo->Grid(), nullptr);
  delete undo;
}

}  // namespace
