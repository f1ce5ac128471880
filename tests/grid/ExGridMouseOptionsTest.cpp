// Options that change what a click does, tried with the mouse on a grid
// shown on the offscreen screen: the current row and the row marks following
// their movies through a header-click sort, the header node glyph that opens
// and closes every group, a header dragged out as a column; and the fonts a
// printout of the grid asks for.
#include <gtest/gtest.h>

#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "grid/ExGridDragDrop.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/DragDrop.h"
#include "tests/grid/EditorTestSupport.h"

namespace {

struct DragHook {
  explicit DragHook(std::function<int(const TDragData&, int)> hook) { SetDragDropHook(std::move(hook)); }
  ~DragHook() { SetDragDropHook({}); }
};

// No, title, year; eight movies in the order they were entered.
struct MouseOptions : ::testing::Test {
  TKoreanLocale locale;
  TEditorForm shown;
  TExStringGrid* grid = nullptr;

  void SetUp() override {
    grid = new TExStringGrid(shown.form);
    grid->SetParent(shown.form);
    grid->SetBounds(0, 0, 520, 300);
    grid->SetColCount(3);
    grid->SetRowCount(9);
    grid->SetDefaultRowHeight(22);
    const char* titles[] = {"올드보이", "괴물", "살인의 추억", "마더", "기생충", "버닝", "밀양", "시"};
    grid->SetCells(1, 0, "제목"_k);
    grid->SetCells(2, 0, "연도"_k);
    for (int r = 1; r <= 8; ++r) {
      grid->SetCells(0, r, IntToStr(r));
      grid->SetCells(1, r, Utf8ToCp949(titles[r - 1]));
      grid->SetCells(2, r, IntToStr(2010 - r));
    }
    grid->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return grid->Focused(); }));
  }
  int RowOf(const char* title) const {
    for (int r = 1; r < grid->RowCount(); ++r)
      if (grid->Cells(1, r) == Utf8ToCp949(title)) return r;
    return -1;
  }
  std::vector<int> MarkedRows() const {
    std::vector<int> rows;
    for (int r = 1; r < grid->RowCount(); ++r)
      if (grid->IsRowSelected(r)) rows.push_back(r);
    return rows;
  }
};

}  // namespace

// ---------------------------------------------------------------- the current row through a sort

TEST_F(MouseOptions, WithMoveRowOnSortTheCursorStaysOnItsMovieThroughAHeaderClickSort) {
  grid->SortSettings()->SetShow(true);
  grid->Navigation()->SetMoveRowOnSort(true);
  std::vector<std::pair<int, int>> updates;
  grid->OnRowUpdate = [&](TObject*, int oldRow, int newRow) { updates.emplace_back(oldRow, newRow); };
  ClickCellCenter(grid, 1, RowOf("마더"));
  ASSERT_EQ(grid->Row(), 4);

  ClickCellCenter(grid, 1, 0);  // sorts the titles
  ASSERT_EQ(grid->Cells(1, 1), "괴물"_k);
  EXPECT_EQ(grid->Cells(1, grid->Row()), "마더"_k);
  EXPECT_NE(grid->Row(), 4);
  EXPECT_TRUE(updates.empty());  // the cursor shows what it showed before

  ClickCellCenter(grid, 1, 0);  // the other way round
  EXPECT_EQ(grid->Cells(1, 1), "올드보이"_k);
  EXPECT_EQ(grid->Cells(1, grid->Row()), "마더"_k);
}

TEST_F(MouseOptions, WithoutMoveRowOnSortTheCursorKeepsItsIndexAndTheRowIsReportedChanged) {
  grid->SortSettings()->SetShow(true);
  std::vector<std::pair<int, int>> updates;
  ClickCellCenter(grid, 1, RowOf("마더"));
  grid->OnRowUpdate = [&](TObject*, int oldRow, int newRow) { updates.emplace_back(oldRow, newRow); };

  ClickCellCenter(grid, 1, 0);
  EXPECT_EQ(grid->Row(), 4);
  EXPECT_NE(grid->Cells(1, 4), "마더"_k);
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0], std::make_pair(4, 4));
}

TEST_F(MouseOptions, MarkedMoviesKeepTheirMarksThroughASortOnlyWithMoveRowOnSort) {
  grid->SortSettings()->SetShow(true);
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->Navigation()->SetMoveRowOnSort(true);
  ClickCellCenter(grid, 1, RowOf("기생충"));
  ClickCellCenter(grid, 1, RowOf("밀양"), {ssCtrl});
  ASSERT_EQ(MarkedRows(), (std::vector<int>{5, 7}));

  ClickCellCenter(grid, 1, 0);
  EXPECT_EQ(MarkedRows(), (std::vector<int>{RowOf("기생충"), RowOf("밀양")}));
  EXPECT_EQ(grid->SelectedRowCount(), 2);

  // Without the option the marks stay on the row numbers.
  grid->Navigation()->SetMoveRowOnSort(false);
  const std::vector<int> before = MarkedRows();
  ClickCellCenter(grid, 1, 0);
  EXPECT_EQ(MarkedRows(), before);
}

// ---------------------------------------------------------------- the header node glyph

TEST_F(MouseOptions, TheHeaderNodeGlyphClosesAndOpensEveryGroup) {
  grid->AddNode(1, 4);
  grid->AddNode(5, 4);
  grid->AddNode(0, 1);  // the glyph in the header
  grid->MouseActions()->SetNodeAllExpandContract(true);
  const TRect header = grid->CellRect(0, 0);
  const int glyphX = header.Left + grid->CellNode()->NodeIndent() / 2;
  const int y = (header.Top + header.Bottom) / 2;

  LeftClickAt(grid, glyphX, y);
  EXPECT_EQ(grid->RowCount(), 3);  // the header and the two node rows
  EXPECT_TRUE(grid->IsNodeCollapsed(1));
  EXPECT_TRUE(grid->IsNodeCollapsed(2));
  EXPECT_TRUE(grid->IsNodeCollapsed(0));  // the glyph now offers to open

  LeftClickAt(grid, glyphX, y);
  EXPECT_EQ(grid->RowCount(), 9);
  EXPECT_FALSE(grid->IsNodeCollapsed(1));
  EXPECT_FALSE(grid->IsNodeCollapsed(5));
  EXPECT_FALSE(grid->IsNodeCollapsed(0));
  EXPECT_EQ(grid->Cells(1, 8), "시"_k);

  // Beside the glyph, or with the option off, the groups stay as they are.
  LeftClickAt(grid, glyphX + 20, y);
  EXPECT_EQ(grid->RowCount(), 9);
  grid->MouseActions()->SetNodeAllExpandContract(false);
  LeftClickAt(grid, glyphX, y);
  EXPECT_EQ(grid->RowCount(), 9);
  EXPECT_FALSE(grid->IsNodeCollapsed(0));
}

// ---------------------------------------------------------------- a header dragged out

TEST_F(MouseOptions, AHeaderDraggedWithTheMouseOffersItsColumnWhenTheGridDoesNotMoveColumnsItself) {
  grid->DragDropSettings()->SetOleDropSource(true);
  grid->DragDropSettings()->SetOleColumnDragDrop(true);
  grid->SortSettings()->SetShow(true);
  int drags = 0;
  int offeredColumn = -1;
  DragHook hook([&](const TDragData& data, int) {
    ++drags;
    offeredColumn = TEnumFormats(data).Col();
    return DROPEFFECT_NONE;
  });
  const TPoint from = CellCenter(grid, 2, 0);
  auto drag = [&] {
    SimulateMouseDown(grid, mbLeft, from.X, from.Y);
    SimulateMouseMove(grid, from.X + 15, from.Y + 30, {ssLeft});
    SimulateMouseUp(grid, mbLeft, from.X + 15, from.Y + 30);
  };

  drag();  // the grid moves its columns itself: no drag leaves it
  EXPECT_EQ(drags, 0);

  grid->SetEnhRowColMove(false);
  drag();
  EXPECT_EQ(drags, 1);
  EXPECT_EQ(offeredColumn, 2);

  // A plain click on the header still sorts.
  ClickCellCenter(grid, 2, 0);
  EXPECT_EQ(drags, 1);
  EXPECT_EQ(grid->SortSettings()->Column(), 2);
  EXPECT_EQ(grid->Cells(2, 1), "2002");
}

// ---------------------------------------------------------------- printing fonts

namespace {

struct TCellFont {
  AnsiString Name;
  int Size = 0;
  TFontStyles Style;
};

TCellFont CellFont(TExStringGrid& g, int col, int row, bool printing) {
  TFont font;
  TBrush brush;
  TColor gradientEnd = clNone;
  TAlignment hAlign = taLeftJustify;
  TVAlignment vAlign = vtaTop;
  TGridDrawState state;
  g.GetCellColors(col, row, &font, &brush, gradientEnd, hAlign, vAlign, true, false, printing, state);
  return {font.Name(), font.Size(), font.Style()};
}

}  // namespace

TEST_F(MouseOptions, APrintoutUsesThePrintFontsUnlessToldToLookLikeTheScreen) {
  grid->Font()->SetName("Gulim");
  grid->FixedFont()->SetName("Dotum");
  grid->PrintSettings()->Font()->SetName("Batang");
  grid->PrintSettings()->Font()->SetSize(9);
  grid->PrintSettings()->FixedFont()->SetName("Gungsuh");

  // As the screen shows it by default.
  EXPECT_EQ(CellFont(*grid, 1, 1, true).Name, "Gulim");
  EXPECT_EQ(CellFont(*grid, 1, 0, true).Name, "Dotum");

  grid->PrintSettings()->SetUseDisplayFont(false);
  const TCellFont data = CellFont(*grid, 1, 1, true);
  EXPECT_EQ(data.Name, "Batang");
  EXPECT_EQ(data.Size, 9);
  EXPECT_EQ(CellFont(*grid, 1, 0, true).Name, "Gungsuh");
  EXPECT_EQ(CellFont(*grid, 0, 3, true).Name, "Gungsuh");
  // The screen is not affected.
  EXPECT_EQ(CellFont(*grid, 1, 1, false).Name, "Gulim");
  EXPECT_EQ(CellFont(*grid, 1, 0, false).Name, "Dotum");
}

TEST(ColumnGridPrinting, HeadersPrintInThePrintoutsHeaderFontAndDataInTheColumnsPrintFont) {
  TExColumnGrid grid(nullptr);
  grid.SetColCount(3);
  grid.SetRowCount(4);
  grid.PrintSettings()->HeaderFont()->SetName("Gungsuh");
  grid.PrintSettings()->HeaderFont()->SetStyle(TFontStyles{fsBold});
  grid.Columns()->Items(1)->PrintFont()->SetName("Batang");
  grid.Columns()->Items(1)->HeaderFont()->SetName("Dotum");

  const TCellFont header = CellFont(grid, 1, 0, true);
  EXPECT_EQ(header.Name, "Gungsuh");
  EXPECT_TRUE(header.Style.Contains(fsBold));
  EXPECT_EQ(CellFont(grid, 1, 2, true).Name, "Batang");
  EXPECT_EQ(CellFont(grid, 0, 2, true).Name, "Gungsuh");  // the fixed column
  // On screen the header keeps the column's own header font.
  EXPECT_EQ(CellFont(grid, 1, 0, false).Name, "Dotum");
}
