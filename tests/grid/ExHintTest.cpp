// The grid's small windows and its theme binding, and a grid painted into a
// picture the way the screen shows it: the floating footer's styles and
// templates, hints kept on the screen, move markers, the caption button, the
// colours a theme change leaves, and the pixels of a watched row and of a
// sort arrow.
#include <gtest/gtest.h>

#include "grid/ExHint.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/InputSimulation.h"
#include "platform/vcl/PaintTo.h"

namespace {

// Everything a drawing wrote as text, in order.
AnsiString ShownText(const TRecordingCanvas& canvas) {
  AnsiString shown;
  for (const TCanvasCall& c : canvas.Calls())
    if (c.Op == coTextOut || c.Op == coDrawText || c.Op == coTextRect) shown += c.Text;
  return shown;
}

struct FooterPanelFixture : ::testing::Test {
  std::unique_ptr<TExStringGrid> grid = std::make_unique<TExStringGrid>(nullptr);
  void SetUp() override {
    grid->SetColCount(4);
    grid->SetRowCount(5);
    grid->SetCells(1, 2, "살인의 추억"_k);
    grid->SetCells(2, 2, "2003");
    grid->SetCells(1, 3, "괴물"_k);
    grid->SetCells(2, 3, "2006");
  }
};

TEST_F(FooterPanelFixture, TemplatesTakeTheCurrentRowsColumns) {
  EXPECT_EQ(ExpandFooterTemplate(*grid, "<#1> - <#2>", 2), "살인의 추억 - 2003"_k);
  EXPECT_EQ(ExpandFooterTemplate(*grid, "<#1> - <#2>", 3), "괴물 - 2006"_k);
  EXPECT_EQ(ExpandFooterTemplate(*grid, "[<#x>]", 2), "[]") << "no number, no text";
  EXPECT_EQ(ExpandFooterTemplate(*grid, "[<#99>][<#-1>]", 2), "[][]") << "columns outside the grid";
  EXPECT_EQ(ExpandFooterTemplate(*grid, "year <#2", 2), "year ") << "an unclosed marker ends the template";
  EXPECT_EQ(ExpandFooterTemplate(*grid, "plain", 2), "plain");
}

TEST_F(FooterPanelFixture, FooterStylesSetTheFixedFooterAndPaintTheirContent) {
  TFloatingFooter* footer = grid->FloatingFooter();
  footer->SetVisible(true);
  EXPECT_EQ(grid->FixedFooters(), 1);
  TFooterPanel* panel = grid->FooterPanel();
  EXPECT_TRUE(panel->Visible());
  EXPECT_EQ(panel->Height(), grid->DefaultRowHeight() - 1);
  grid->SetCells(1, 4, "합계"_k);
  panel->SetBounds(0, 0, 300, 20);
  TRecordingCanvas canvas;
  panel->PaintOn(&canvas);
  bool lastRowShown = false;
  for (const TCanvasCall& c : canvas.CallsOf(coDrawText)) lastRowShown |= c.Text == "합계"_k;
  EXPECT_TRUE(lastRowShown);

  footer->SetFooterStyle(fsCustomPreview);
  footer->SetCustomTemplate("<#1>-<#2>");
  EXPECT_EQ(grid->FixedFooters(), 0);
  grid->SetRow(2);
  canvas.Clear();
  panel->PaintOn(&canvas);
  EXPECT_EQ(ShownText(canvas), "살인의 추억-2003"_k);
  grid->SetRow(3);
  canvas.Clear();
  panel->PaintOn(&canvas);
  EXPECT_EQ(ShownText(canvas), "괴물-2006"_k) << "moving to another row changes the footer";

  footer->SetFooterStyle(fsColumnPreview);
  footer->SetColumn(2);
  canvas.Clear();
  panel->PaintOn(&canvas);
  ASSERT_FALSE(canvas.CallsOf(coDrawText).empty());
  EXPECT_EQ(canvas.CallsOf(coDrawText).back().Text, "2006");
  // The preview draws in black without changing the grid's own setting.
  grid->SetSelectionTextColor(clRed);
  grid->SetSelection(TGridRect{2, 3, 2, 3});
  canvas.Clear();
  panel->PaintOn(&canvas);
  EXPECT_EQ(grid->SelectionTextColor(), clRed);

  footer->SetFooterStyle(fsFixedLastRow);
  footer->SetVisible(false);
  EXPECT_EQ(grid->FixedFooters(), 0);
  EXPECT_FALSE(panel->Visible());
}

TEST(HintWindow, StaysOnTheScreenWhereItFits) {
  auto grid = std::make_unique<TExStringGrid>(nullptr);
  THTMLHintWindow* hint = grid->HintWindow();
  const int screenW = ScreenWidth(), screenH = ScreenHeight();
  hint->ActivateHint(TRect{screenW - 10, screenH - 5, screenW, screenH}, "<B>Oldboy</B> 2003");
  const TRect placed = hint->HintRect();
  EXPECT_LE(placed.Right, screenW - 2);
  EXPECT_LE(placed.Bottom, screenH - 2);
  EXPECT_GT(placed.Width(), 16);
  EXPECT_EQ(placed.Width(), hint->TextWidth() + 16);
  // Wider than the screen: it keeps its place rather than leave it on the left.
  const AnsiString wide(400, 'W');
  hint->ActivateHint(TRect{100, 100, 110, 110}, wide);
  if (hint->TextWidth() + 16 > screenW) {
    EXPECT_EQ(hint->HintRect().Left, 100);
  }
  hint->ReleaseHandle();
}

TEST(HintWindow, ShowsBelowThePointerInScreenCoordinates) {
  TForm* form = new TForm(nullptr);
  form->SetBounds(300, 200, 300, 200);
  auto* grid = new TExStringGrid(form);
  grid->SetParent(form);
  form->Show();
  Mouse->SetCursorPos(TPoint{420, 260});
  const TPoint pointer = Mouse->CursorPos();
  grid->ShowHintAtPointer("<I>Memories of Murder</I>");
  const TRect placed = grid->HintWindow()->HintRect();
  EXPECT_EQ(placed.Left, pointer.X);
  EXPECT_GT(placed.Top, pointer.Y);
  EXPECT_LT(placed.Top, pointer.Y + 40);
  EXPECT_TRUE(grid->HintWindow()->IsShowing());
  grid->ShowHintAtPointer("");
  EXPECT_FALSE(grid->HintWindow()->IsShowing());
  delete form;
}

TEST(MoveMarkers, ArrowsHaveTheirSevenCornersAndFloatInsideTheGrid) {
  TForm* form = new TForm(nullptr);
  auto* grid = new TExStringGrid(form);
  grid->SetParent(form);
  grid->SetBounds(0, 0, 200, 100);
  TArrowWindow* down = grid->ArrowWindow(1);
  EXPECT_EQ(down->Direction(), 1);
  const std::vector<TPoint> points = down->ArrowPoints();
  ASSERT_EQ(points.size(), 7u);
  EXPECT_EQ(points[4], (TPoint{5, 8})) << "the tip of the down arrow";
  EXPECT_EQ(down->Color(), clLime);
  EXPECT_EQ(down->Parent(), grid) << "a child overlay, placed in grid coordinates";
  down->ShowAt(40, 3);
  EXPECT_TRUE(down->Visible());
  EXPECT_EQ(down->Left(), 40);
  EXPECT_EQ(grid->ArrowWindow(1), down) << "one marker per direction";
  TPopupButton* button = grid->PopupButton();
  button->SetCaption("Title");
  button->SetBounds(0, 0, 80, 20);
  button->SetGradFrom(0xFFFFFF);
  button->SetGradTo(0xC0C0C0);
  TRecordingCanvas canvas;
  button->PaintOn(&canvas);
  EXPECT_FALSE(canvas.CallsOf(coFillRect).empty());
  ASSERT_EQ(canvas.CallsOf(coDrawText).size(), 1u);
  EXPECT_TRUE(canvas.CallsOf(coDrawText)[0].Flags & DT_CENTER);
  grid->SetLook(glGradient);
  grid->ShowPopupButton(TRect{10, 0, 90, 20}, "<B>Year</B>");
  EXPECT_TRUE(button->Visible());
  EXPECT_EQ(button->GradFrom(), 0xC0C0C0u);
  EXPECT_EQ(grid->FixedGradientTo(), 0xFFFFFFu);
  canvas.Clear();
  button->PaintOn(&canvas);
  EXPECT_EQ(canvas.CallsOf(coGradient).size(), 1u);
  EXPECT_TRUE(canvas.CallsOf(coDrawText).empty()) << "a mark-up caption goes through the renderer";
  grid->SetLook(glXP);
  grid->ShowPopupButton(TRect{10, 0, 90, 20}, "Year");
  EXPECT_EQ(button->GradFrom(), clNone);
  delete form;  // the grid and its windows go with it
}

TEST(Theme, ADesktopOfNoKnownSchemeGivesTheNeutralColoursAndAThemeSwitchRestyles) {
  TForm* form = new TForm(nullptr);
  form->SetBounds(0, 0, 300, 200);
  auto* shown = new TExStringGrid(form);
  shown->SetParent(form);
  form->Show();
  shown->SetActiveCellColor(9758459);
  shown->SetActiveCellColorTo(1414638);
  shown->SetFixedGradientFrom(0xF0F0F0);
  EXPECT_EQ(GetXPColorScheme(), 0);
  // Without AutoThemeAdapt a theme switch leaves the colours alone.
  SimulateThemeChange(shown);
  EXPECT_EQ(shown->ActiveCellColor(), 9758459u);
  EXPECT_EQ(shown->FixedGradientFrom(), 0xF0F0F0u);
  shown->SetAutoThemeAdapt(true);
  EXPECT_EQ(shown->FixedGradientFrom(), 0xFFFFFFu);
  EXPECT_EQ(shown->FixedGradientTo(), static_cast<TColor>(clBtnFace));
  EXPECT_EQ(shown->ActiveCellColor(), 0xFFFFFFu);
  EXPECT_EQ(shown->ActiveCellColorTo(), 0xFFD9B3u);
  // Colours set by hand are taken back by the next theme switch.
  shown->SetActiveCellColorTo(1414638);
  SimulateThemeChange(shown);
  EXPECT_EQ(shown->ActiveCellColorTo(), 0xFFD9B3u);
  delete form;

  auto grid = std::make_unique<TExStringGrid>(nullptr);
  // Where a scheme is known its row of the table applies.
  ApplyColorScheme(grid.get(), 1);
  EXPECT_EQ(grid->FixedGradientFrom(), 0xFCE1CBu);
  EXPECT_EQ(grid->FixedGradientTo(), 0xE0A57Du);
  EXPECT_EQ(grid->ActiveCellColor(), 0x94E6FBu);
  EXPECT_EQ(grid->ActiveCellColorTo(), 0x1595EEu);
  ApplyColorScheme(grid.get(), 0);
  EXPECT_EQ(grid->ActiveCellColorTo(), 0xFFD9B3u);
}

// ------------------------------------------------------------- pictures of a grid

TEST(GridPicture, AWatchedRowAndASortArrowShowInThePixels) {
  constexpr TColor watched = 0x99E6FF;
  TForm* form = new TForm(nullptr);
  form->SetBounds(0, 0, 500, 300);
  auto* grid = new TExStringGrid(form);
  grid->SetParent(form);
  grid->SetBounds(0, 0, 400, 200);
  grid->SetColCount(4);
  grid->SetRowCount(8);
  grid->SetColor(clWhite);
  grid->SortSettings()->SetShow(true);
  grid->SortSettings()->SetColumn(1);
  grid->SortSettings()->SetDirection(sdDescending);
  grid->SetColWidths(1, 120);
  grid->SetCells(1, 0, "T");
  for (int r = 1; r < 8; ++r) {
    grid->SetCells(1, r, "Movie");
    grid->SetCells(3, r, r == 3 ? "watched" : "");
  }
  grid->OnGetCellColor = [grid](TObject*, int row, int, TGridDrawState, TBrush* brush, TFont*) {
    if (row >= grid->FixedRows() && grid->Cells(3, row) == "watched") brush->SetColor(watched);
  };
  form->Show();
  TBitmap picture;
  PaintControlTo(grid, picture);
  ASSERT_EQ(picture.Width(), 400);
  const TRect watchedCell = grid->CellRect(2, 3);
  EXPECT_EQ(picture.PixelColor(watchedCell.Left + watchedCell.Width() / 2, watchedCell.Bottom - 3), watched);
  const TRect plainCell = grid->CellRect(2, 4);
  EXPECT_EQ(picture.PixelColor(plainCell.Left + plainCell.Width() / 2, plainCell.Bottom - 3), 0xFFFFFFu);
  // The descending triangle's grey edges: look for grey pixels right of the caption.
  const TRect header = grid->CellRect(1, 0);
  int grey = 0;
  for (int y = header.Top; y < header.Bottom; ++y)
    for (int x = header.Left + 10; x < header.Left + 60; ++x) grey += picture.PixelColor(x, y) == 0x808080;
  EXPECT_GE(grey, 6);
  // The XP look frames the grid itself, in the parent's colour outside.
  EXPECT_EQ(picture.PixelColor(1, 50), 0xB99D7Fu);
  EXPECT_EQ(picture.PixelColor(0, 50), ColorToRGB(form->Color()));
  // The unsorted header has none.
  const TRect other = grid->CellRect(2, 0);
  int otherGrey = 0;
  for (int y = other.Top; y < other.Bottom; ++y)
    for (int x = other.Left + 10; x < other.Left + 60 && x < other.Right; ++x)
      otherGrey += picture.PixelColor(x, y) == 0x808080;
  EXPECT_EQ(otherGrey, 0);
  delete form;
}

}  // namespace
