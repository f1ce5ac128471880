// What a user meets at the edges of the grid: Escape typed on the grid
// gives the edit up, a mark-up cell is edited as it reads, the combo's list
// closing is reported, the rich-text control reports its caret, a click on
// cells fills the disjunct cell list, fixed cells edited and pressed as
// buttons, single-cell colours and flags, widths by real column, banded
// columns, the scroll bars' width and the desktop's file icons.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "EditorTestSupport.h"
#include "GridEditDesk.h"
#include "grid/ExCGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExHtml.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/RichMemo.h"

namespace {

struct FinishDesk : GridEditDesk {
  TPoint Center(int col, int row) const {
    const TRect r = grid->CellRect(col, row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  void Click(int col, int row, TShiftState shift = {}) {
    const TPoint p = Center(col, row);
    SimulateMouseMove(grid, p.X, p.Y, shift);
    SimulateMouseDown(grid, mbLeft, p.X, p.Y, shift);
    SimulateMouseUp(grid, mbLeft, p.X, p.Y, shift);
  }
};

// The colours a cell is painted with (not selected).
struct TLooks {
  TFont font;
  TBrush brush;
  TColor gradient = clNone;
};
std::unique_ptr<TLooks> LooksOf(TExStringGrid& grid, int col, int row) {
  auto looks = std::make_unique<TLooks>();
  TAlignment h;
  TVAlignment v;
  TGridDrawState state;
  grid.GetCellColors(col, row, &looks->font, &looks->brush, looks->gradient, h, v, true, false, false, state);
  return looks;
}

// A listener that keeps what it was told, and can take itself off.
struct ChangeLog : TCellChangeListener {
  std::vector<TRect> seen;
  TExStringGrid* leaveFrom = nullptr;
  void CellsChanged(TObject*, const TRect& r) override {
    seen.push_back(r);
    if (leaveFrom) leaveFrom->RemoveCellChangeListener(this);
  }
};

}  // namespace

// ---------------------------------------------------------------- editing

TEST_F(FinishDesk, EscapeTypedOnTheGridGivesTheEditUpAndKeepsTheOldText) {
  grid->SetCells(2, 1, "Heat");
  Open(2, 1);
  ASSERT_TRUE(TextEditorShowing());
  SimulateKey(TextEditor(), VK_END);
  SimulateTyping(TextEditor(), " 2");
  // The key arrives at the grid's own window (an editor that lets it pass).
  SimulateKey(grid, VK_ESCAPE);
  EXPECT_FALSE(TextEditorShowing());
  EXPECT_EQ(Cell(2, 1), "Heat");
  // A later edit still writes.
  Open(2, 1);
  SimulateKey(TextEditor(), VK_END);
  SimulateTyping(TextEditor(), "!");
  SimulateKey(TextEditor(), VK_RETURN);
  EXPECT_EQ(Cell(2, 1), "Heat!");
}

TEST_F(FinishDesk, AMarkupCellIsEditedAsItReadsUnlessTagsAreWanted) {
  grid->SetCells(2, 1, "<B>Heat</B> 1995");
  Open(2, 1);
  ASSERT_TRUE(TextEditorShowing());
  EXPECT_EQ(TextEditor()->Text(), "Heat 1995");
  SimulateKey(TextEditor(), VK_ESCAPE);
  EXPECT_EQ(Cell(2, 1), "<B>Heat</B> 1995") << "looking is not editing";
  grid->SetEditWithTags(true);
  Open(2, 1);
  EXPECT_EQ(TextEditor()->Text(), "<B>Heat</B> 1995");
  SimulateKey(TextEditor(), VK_ESCAPE);
  // A catalogue's plain texts stay as typed, tags and all.
  grid->SetEditWithTags(false);
  grid->SetPlainTextCells(true);
  Open(2, 1);
  EXPECT_EQ(TextEditor()->Text(), "<B>Heat</B> 1995");
  SimulateKey(TextEditor(), VK_ESCAPE);
  grid->SetPlainTextCells(false);
  grid->SetEnableHTML(false);
  Open(2, 1);
  EXPECT_EQ(TextEditor()->Text(), "<B>Heat</B> 1995");
}

TEST_F(FinishDesk, TheComboEditorReportsItsListClosingForItsCell) {
  type = edComboList;
  for (const char* item : {"one", "two"}) grid->Combobox()->Items()->Add(item);
  std::vector<std::pair<int, int>> closed;
  grid->OnComboCloseUp = [&](TObject*, int row, int col) { closed.push_back({row, col}); };
  grid->SetCells(1, 3, "one");
  Open(1, 3);
  ASSERT_EQ(Editor(), grid->Combobox());
  grid->Combobox()->SetDroppedDown(true);
  EXPECT_TRUE(closed.empty());
  grid->Combobox()->SetDroppedDown(false);
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_EQ(closed[0], (std::pair<int, int>{3, 1}));
  SimulateKey(Editor(), VK_ESCAPE);
  // A combo used by itself, not as the cell's editor, reports nothing.
  grid->Combobox()->SetVisible(true);
  grid->Combobox()->SetDroppedDown(true);
  grid->Combobox()->SetDroppedDown(false);
  EXPECT_EQ(closed.size(), 1u);
}

TEST_F(FinishDesk, TheRichTextControlReportsEveryCaretMove) {
  type = edRichEdit;
  int moves = 0;
  grid->OnRichEditSelectionChange = [&](TObject* sender) {
    EXPECT_EQ(sender, grid);
    ++moves;
  };
  grid->SetCells(1, 1, "memo text");
  Open(1, 1);
  ASSERT_EQ(Editor(), grid->RichEdit());
  const int opened = moves;
  SimulateKey(Editor(), VK_HOME);
  SimulateKey(Editor(), VK_RIGHT);
  SimulateKey(Editor(), VK_RIGHT, {ssShift});
  EXPECT_GE(moves, opened + 2);
  const int before = moves;
  SimulateKey(Editor(), VK_SHIFT);  // no move, no report
  EXPECT_EQ(moves, before);
}

// ---------------------------------------------------------------- clicks

TEST_F(FinishDesk, ClicksFillTheDisjunctCellListAndTheSelectEventMayRefuse) {
  grid->SetOptions(grid->Options() - TGridOptions{goEditing});
  grid->MouseActions()->SetDisjunctCellSelect(true);
  Click(1, 1);
  Click(2, 3, {ssCtrl});
  Click(3, 2, {ssCtrl});
  EXPECT_EQ(grid->SelectedCellCount(), 3);
  EXPECT_TRUE(grid->IsCellSelected(2, 3));
  Click(2, 3, {ssCtrl});
  EXPECT_FALSE(grid->IsCellSelected(2, 3)) << "Ctrl+click takes a listed cell away";
  EXPECT_EQ(grid->SelectedCellCount(), 2);
  Click(3, 4);
  EXPECT_EQ(grid->SelectedCellCount(), 1) << "a plain click keeps only its cell";
  EXPECT_TRUE(grid->IsCellSelected(3, 4));
  // Shift+click: the whole range joins.
  Click(1, 2, {ssShift});
  EXPECT_EQ(grid->SelectedCellCount(), 9);
  EXPECT_TRUE(grid->IsCellSelected(2, 3));
  // A refusing handler leaves the list as it was.
  grid->OnSelectCell = [](TObject*, int col, int, bool& allow) { allow = col != 1; };
  Click(1, 1, {ssCtrl});
  EXPECT_FALSE(grid->IsCellSelected(1, 1));
  EXPECT_EQ(grid->SelectedCellCount(), 9);
  // A range along one column, and one along a row, joins whole as well.
  grid->OnSelectCell = nullptr;
  for (const auto& [from, to] : {std::pair<TPoint, TPoint>{{2, 4}, {2, 1}}, {{1, 3}, {3, 3}}}) {
    Click(from.X, from.Y);
    Click(to.X, to.Y, {ssShift});
    int cells = 0;
    for (int c = std::min(from.X, to.X); c <= std::max(from.X, to.X); ++c)
      for (int r = std::min(from.Y, to.Y); r <= std::max(from.Y, to.Y); ++r, ++cells)
        EXPECT_TRUE(grid->IsCellSelected(c, r)) << c << "," << r;
    EXPECT_EQ(grid->SelectedCellCount(), cells);
  }
}

TEST_F(FinishDesk, FixedCellsOpenTheirEditorByTheClickTheGridAsksFor) {
  grid->SetCells(2, 0, "Title");
  grid->SetCells(0, 3, "three");
  grid->MouseActions()->SetFixedRowsEdit(fceLeftClick);
  grid->MouseActions()->SetFixedColsEdit(fceDblClick);
  Click(2, 0);
  TGridTransEdit* edit = grid->FixedCellEditor();
  ASSERT_TRUE(edit->Visible());
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  EXPECT_EQ(edit->Text(), "Title");
  SimulateTyping(edit, "Name");
  SimulateKey(edit, VK_RETURN);
  EXPECT_EQ(Cell(2, 0), "Name");
  EXPECT_FALSE(edit->Visible());
  // Escape leaves the header as it was.
  Click(2, 0);
  ASSERT_TRUE(edit->Visible());
  SimulateTyping(edit, "zz");
  SimulateKey(edit, VK_ESCAPE);
  EXPECT_FALSE(edit->Visible());
  EXPECT_EQ(Cell(2, 0), "Name");
  // The fixed column asks for a double click: one click opens nothing.
  Click(0, 3);
  EXPECT_FALSE(edit->Visible());
  const TPoint p = Center(0, 3);
  SimulateDblClick(grid, p.X, p.Y);
  ASSERT_TRUE(edit->Visible());
  EXPECT_EQ(edit->Text(), "three");
  SimulateKey(edit, VK_ESCAPE);
  // A click on a header's border is the start of a sizing, not an edit.
  grid->SetOptions(grid->Options() + TGridOptions{goColSizing});
  const TRect r = grid->CellRect(2, 0);
  SimulateMouseDown(grid, mbLeft, r.Right - 1, (r.Top + r.Bottom) / 2);
  SimulateMouseUp(grid, mbLeft, r.Right - 1, (r.Top + r.Bottom) / 2);
  EXPECT_FALSE(edit->Visible());
}

TEST_F(FinishDesk, FixedCellsAsButtonsAreDrawnPressedWhileTheButtonIsHeld) {
  grid->SetFixedAsButtons(true);
  TRecordingCanvas canvas;
  // The colour of the top edge of a header cell as drawn.
  auto topEdge = [&] {
    canvas.Clear();
    grid->DrawCellContent(&canvas, 2, 0, TRect{0, 0, 80, 20}, TGridDrawState{gdFixed});
    for (const TCanvasCall& call : canvas.CallsOf(coFillRect))
      if (call.Rect.Top == 0 && call.Rect.Bottom == 1 && call.Rect.Left == 0) return call.BrushColor;
    return static_cast<TColor>(clNone);
  };
  // Raised at rest: lit from the top; sunken while pressed: shaded there.
  EXPECT_EQ(topEdge(), cl3DLight);
  const TPoint p = Center(2, 0);
  SimulateMouseDown(grid, mbLeft, p.X, p.Y);
  EXPECT_EQ(grid->PressedFixedCell().X, 2);
  EXPECT_EQ(topEdge(), clBtnShadow);
  SimulateMouseUp(grid, mbLeft, p.X, p.Y);
  EXPECT_EQ(grid->PressedFixedCell().X, -1);
  EXPECT_EQ(topEdge(), cl3DLight);
  // Without both fixed grid lines there are no buttons to press.
  grid->SetOptions(grid->Options() - TGridOptions{goFixedVertLine});
  SimulateMouseDown(grid, mbLeft, p.X, p.Y);
  EXPECT_EQ(grid->PressedFixedCell().X, -1);
  SimulateMouseUp(grid, mbLeft, p.X, p.Y);
}

// ---------------------------------------------------------------- single cells

TEST_F(FinishDesk, OneCellsColoursAndFlagsReadBackAndShow) {
  EXPECT_EQ(grid->CellColor(2, 2), static_cast<TColor>(clNone)) << "a cell without properties";
  EXPECT_FALSE(grid->CellReadOnly(2, 2));
  EXPECT_EQ(grid->CellControl(2, 2), nullptr);
  grid->SetCellColor(2, 2, 0x102030);
  grid->SetCellColorTo(2, 2, 0x405060);
  grid->SetCellFontColor(2, 2, clRed);
  EXPECT_EQ(grid->CellColor(2, 2), 0x102030u);
  EXPECT_EQ(grid->CellColorTo(2, 2), 0x405060u);
  EXPECT_EQ(grid->CellFontColor(2, 2), static_cast<TColor>(clRed));
  const auto looks = LooksOf(*grid, 2, 2);
  EXPECT_EQ(looks->brush.Color(), 0x102030u);
  EXPECT_EQ(looks->gradient, 0x405060u);
  EXPECT_EQ(looks->font.Color(), static_cast<TColor>(clRed));
  // A read-only cell opens no editor.
  grid->SetCells(2, 2, "locked");
  grid->SetCellReadOnly(2, 2, true);
  EXPECT_TRUE(grid->CellReadOnly(2, 2));
  Open(2, 2);
  EXPECT_FALSE(TextEditorShowing());
  SimulateTyping(grid, "x");
  EXPECT_EQ(Cell(2, 2), "locked");
}

TEST_F(FinishDesk, AColumnsWidthByRealIndexSurvivesItsHiding) {
  grid->SetColWidths(2, 77);
  EXPECT_EQ(grid->ColWidthByReal(2), 77);
  grid->HideColumn(1);
  EXPECT_EQ(grid->ColWidthByReal(2), 77) << "column 2 is now shown as column 1";
  grid->SetColWidthByReal(1, 55);
  grid->SetColWidthByReal(2, 60);
  EXPECT_EQ(grid->ColWidths(1), 60);
  grid->ShowColumn(1);
  EXPECT_EQ(grid->ColWidths(1), 55) << "the hidden column comes back at the width it was given";
  EXPECT_EQ(grid->ColWidths(2), 60);
  EXPECT_EQ(grid->ColWidthByReal(99), 0);
}

TEST_F(FinishDesk, ACellGoesIntoARichEditAndComesBackFormatted) {
  auto* memo = new TRichMemo(shown.form);
  memo->SetParent(shown.form);
  memo->SetBounds(0, 0, 200, 60);
  grid->SetCells(2, 1, "{\\rtf1 {\\b Heat} 1995}");
  grid->CellToRichEdit(2, 1, memo);
  EXPECT_EQ(memo->Text(), "Heat 1995");
  grid->RichEditToCell(2, 2, memo);
  EXPECT_NE(Cell(2, 2).find("{\\rtf"), AnsiString::npos);
  EXPECT_NE(Cell(2, 2).find("Heat"), AnsiString::npos);
  // An empty cell empties the control, and an emptied control the cell.
  grid->CellToRichEdit(2, 3, memo);
  EXPECT_EQ(memo->Text(), "");
  grid->RichEditToCell(2, 2, memo);
  EXPECT_EQ(Cell(2, 2), "");
}

TEST_F(FinishDesk, ListenersHearEveryChangedAreaUntilTheyLeave) {
  ChangeLog log;
  grid->AddCellChangeListener(&log);
  grid->AddCellChangeListener(&log);  // once is enough
  grid->Combobox();  // unrelated: nothing to hear
  Open(2, 1);
  SimulateTyping(TextEditor(), "new");
  SimulateKey(TextEditor(), VK_RETURN);
  ASSERT_FALSE(log.seen.empty());
  EXPECT_EQ(log.seen.back().Left, 2);
  EXPECT_EQ(log.seen.back().Top, 1);
  const std::size_t heard = log.seen.size();
  grid->InsertRows(2, 1);
  EXPECT_EQ(log.seen.size(), heard + 1);
  // A listener that leaves while it is told is not told again.
  log.leaveFrom = grid;
  grid->InsertRows(2, 1);
  grid->InsertRows(2, 1);
  EXPECT_EQ(log.seen.size(), heard + 2);
}

TEST(ColumnBands, AColumnThatShowsBandsGivesItsColourWayToTheBands) {
  TExColumnGrid grid(nullptr);
  grid.SetColCount(3);
  grid.SetRowCount(5);
  grid.Bands()->SetPrimaryColor(0x111111);
  grid.Bands()->SetSecondaryColor(0x222222);
  grid.Bands()->SetActive(true);
  grid.Columns()->Items(1)->SetColor(0x0A0A0A);
  grid.Columns()->Items(2)->SetColor(0x0B0B0B);
  grid.Columns()->Items(1)->SetShowBands(true);
  auto background = [&](int col, int row) { return LooksOf(grid, col, row)->brush.Color(); };
  EXPECT_EQ(background(1, 1), 0x111111u);
  EXPECT_EQ(background(1, 2), 0x222222u);
  EXPECT_EQ(background(2, 1), 0x0B0B0Bu) << "a column without ShowBands keeps its colour";
  grid.CellPropertiesAt(1, 2)->SetBrushColor(0x0C0C0C);
  EXPECT_EQ(background(1, 2), 0x0C0C0Cu) << "the cell's own colour still wins";
  grid.Bands()->SetActive(false);
  EXPECT_EQ(background(1, 1), 0x0A0A0Au) << "no bands: the column's colour";
}

// ---------------------------------------------------------------- scroll bars and icons

TEST_F(FinishDesk, ScrollWidthSetsTheWidthOfTheScrollBars) {
  grid->SetRowCount(60);
  grid->SetColCount(30);
  ASSERT_TRUE(PumpUntil([&] { return grid->ClientWidth() < grid->Width() && grid->ClientHeight() < grid->Height(); }));
  const int barWidth = GetSystemMetrics(SM_CXVSCROLL), barHeight = GetSystemMetrics(SM_CYHSCROLL);
  EXPECT_EQ(grid->ScrollWidth(), barWidth) << "the desktop's width at first";
  const int sideBefore = grid->Width() - grid->ClientWidth();
  const int bottomBefore = grid->Height() - grid->ClientHeight();
  grid->SetScrollWidth(barWidth + 14);
  EXPECT_EQ(grid->Width() - grid->ClientWidth(), sideBefore + 14) << "the vertical bar is wider";
  EXPECT_EQ(grid->Height() - grid->ClientHeight(), bottomBefore + barWidth + 14 - barHeight)
      << "and the horizontal one as high";
  // The rows in view follow the smaller client area.
  const int lastFull = grid->TopRow() + grid->VisibleRowCount() - 1;
  EXPECT_LE(grid->CellRect(1, lastFull).Bottom, grid->ClientHeight());
  grid->SetScrollWidth(barWidth);
  EXPECT_EQ(grid->Width() - grid->ClientWidth(), sideBefore);
}

TEST(SystemIcons, FilesAndFoldersGetTheDesktopsIconDrawn) {
  TBitmap target;
  target.SetPixelFormat(pf32bit);
  target.SetWidth(40);
  target.SetHeight(40);
  auto paint = [&](std::string_view path, bool large) {
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect{0, 0, 40, 40});
    const int size = DrawSystemIcon(*target.Canvas(), 2, 2, path, large, false, 1.0, true);
    int inked = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x)
        if (target.Canvas()->Pixels(x, y) != clWhite) ++inked;
    return std::pair<int, int>{size, inked};
  };
  const auto folder = paint("/tmp", true);
  EXPECT_EQ(folder.first, 32);
  EXPECT_GT(folder.second, 0) << "something is drawn for a folder";
  const auto movie = paint("film.avi", false);
  EXPECT_EQ(movie.first, 16);
  EXPECT_GT(movie.second, 0);
  // Measuring draws nothing.
  target.Canvas()->FillRect(TRect{0, 0, 40, 40});
  EXPECT_EQ(DrawSystemIcon(*target.Canvas(), 2, 2, "film.avi", true, false, 1.0, false), 32);
}

// ---------------------------------------------------------------- nodes

TEST_F(FinishDesk, TheHeadersNodeGlyphOpensAndClosesEveryNode) {
  grid->SetRowCount(9);
  grid->AddNode(1, 3);
  grid->AddNode(4, 3);
  TCellGraphic* header = grid->CreateCellGraphic(0, 0);
  header->SetCellType(ctNode);
  const int glyphX = grid->CellRect(0, 0).Left + grid->CellNode()->NodeIndent() / 2;
  const int glyphY = Center(0, 0).Y;
  auto clickGlyph = [&] {
    SimulateMouseDown(grid, mbLeft, glyphX, glyphY);
    SimulateMouseUp(grid, mbLeft, glyphX, glyphY);
  };
  clickGlyph();
  EXPECT_EQ(grid->RowCount(), 9) << "without NodeAllExpandContract the glyph is only drawn";
  grid->MouseActions()->SetNodeAllExpandContract(true);
  clickGlyph();
  EXPECT_EQ(grid->RowCount(), 5) << "both nodes closed: header, two node rows, two more rows";
  EXPECT_TRUE(grid->IsNodeCollapsed(1));
  EXPECT_TRUE(header->CellBoolean());
  clickGlyph();
  EXPECT_EQ(grid->RowCount(), 9);
  EXPECT_FALSE(grid->IsNodeCollapsed(1));
  EXPECT_FALSE(header->CellBoolean());
}

