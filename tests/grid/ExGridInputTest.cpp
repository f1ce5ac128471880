// Keys, clicks, wheel turns and hints on a catalogue-like grid shown on the
// offscreen screen: every event goes through the window as a user's would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>

#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExHint.h"
#include "grid/ExHtml.h"
#include "grid/ExPanGlyph.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/PaintTo.h"
#include "platform/vcl/ShellApi.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/WindowImage.h"
#include "tests/grid/EditorTestSupport.h"

namespace {

// With VIDRENA_SHOT_DIR set, a picture of the grid as it shows is kept there.
void KeepShot(TControl* control, const char* name) {
  if (const char* dir = std::getenv("VIDRENA_SHOT_DIR")) SaveWindowImage(control, AnsiString(dir) + "/" + name);
}

// The pixels of r (client coordinates) as the control paints itself, row by row.
std::vector<TColor> PixelsOf(TControl* control, const TRect& r) {
  TBitmap picture;
  PaintControlTo(control, picture);
  std::vector<TColor> pixels;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) pixels.push_back(picture.PixelColor(x, y));
  return pixels;
}

struct ShellFake {
  ShellFake() { TShellFake::Enable(); }
  ~ShellFake() { TShellFake::Disable(); }
};

// No, title, director, year, rating; eight movies.
struct GridInput : ::testing::Test {
  TKoreanLocale locale;
  TEditorForm shown;
  TExStringGrid* grid = nullptr;
  TEdit* next = nullptr;

  void SetUp() override {
    grid = new TExStringGrid(shown.form);
    grid->SetParent(shown.form);
    grid->SetBounds(0, 0, 520, 300);
    grid->SetColCount(5);
    grid->SetRowCount(9);
    grid->SetDefaultRowHeight(22);
    const char* titles[] = {"괴물", "올드보이", "살인의 추억", "마더", "기생충", "버닝", "밀양", "시"};
    const char* years[] = {"2006", "2003", "2003", "2009", "2019", "2018", "2007", "2010"};
    const char* ratings[] = {"8.1", "9.0", "8.9", "x", "9.5", "7.7", "8.3", "8.0"};
    grid->SetCells(1, 0, "제목"_k);
    grid->SetCells(2, 0, "감독"_k);
    grid->SetCells(3, 0, "연도"_k);
    grid->SetCells(4, 0, "평점"_k);
    for (int r = 1; r <= 8; ++r) {
      grid->SetCells(0, r, IntToStr(r));
      grid->SetCells(1, r, Utf8ToCp949(titles[r - 1]));
      grid->SetCells(2, r, "d" + IntToStr(r));
      grid->SetCells(3, r, years[r - 1]);
      grid->SetCells(4, r, ratings[r - 1]);
    }
    next = new TEdit(shown.form);
    next->SetParent(shown.form);
    next->SetBounds(0, 320, 100, 24);
    grid->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return grid->Focused(); }));
  }
  TPoint Center(int col, int row) const { return CellCenter(grid, col, row); }
  void ClickAt(int x, int y, TShiftState shift = {}) { LeftClickAt(grid, x, y, shift); }
  void ClickCell(int col, int row, TShiftState shift = {}) { ClickCellCenter(grid, col, row, shift); }
  std::string Column(int col) const {
    std::string s;
    for (int r = 1; r < grid->RowCount(); ++r) s += grid->Cells(col, r) + "|";
    return s;
  }
};

}  // namespace

// ---------------------------------------------------------------- keys

TEST_F(GridInput, HomeAndEndStayInTheDataAreaWithFootersAndFixedRightColumns) {
  grid->SetFixedFooters(1);
  grid->SetFixedRightCols(1);
  grid->SetCol(2);
  grid->SetRow(3);
  SimulateKey(grid, VK_END);
  EXPECT_EQ(grid->Col(), 3);  // not the fixed right column
  SimulateKey(grid, VK_HOME);
  EXPECT_EQ(grid->Col(), 1);
  grid->Navigation()->SetHomeEndKey(heFirstLastRow);
  SimulateKey(grid, VK_END);
  EXPECT_EQ(grid->Row(), 7);  // the row above the footer
  SimulateKey(grid, VK_HOME);
  EXPECT_EQ(grid->Row(), 1);
  SimulateKey(grid, VK_END, {ssCtrl});
  EXPECT_EQ(grid->Col(), 3);
  EXPECT_EQ(grid->Row(), 7);
  // Down from the last data row does not enter the footer.
  SimulateKey(grid, VK_DOWN);
  EXPECT_EQ(grid->Row(), 7);
}

TEST_F(GridInput, ArrowsSkipCellsDeclaredFixedAndStayWhenTheRunReachesTheEdge) {
  grid->OnIsFixedCell = [](TObject*, int, int col, bool& fixed) { fixed = col == 2 || col == 4; };
  grid->SetCol(1);
  grid->SetRow(2);
  SimulateKey(grid, VK_RIGHT);
  EXPECT_EQ(grid->Col(), 3);
  SimulateKey(grid, VK_RIGHT);
  EXPECT_EQ(grid->Col(), 3);
  SimulateKey(grid, VK_LEFT);
  EXPECT_EQ(grid->Col(), 1);
}

TEST_F(GridInput, TabAtTheLastDataCellWrapsAndHandsTheFocusOn) {
  grid->SetOptions(grid->Options() + TGridOptions{goTabs});
  grid->Navigation()->SetTabToNextAtEnd(true);
  grid->SetCol(4);
  grid->SetRow(8);
  SimulateKey(grid, VK_TAB);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_TRUE(PumpUntil([&] { return next->Focused(); }));
  grid->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return grid->Focused(); }));
  SimulateKey(grid, VK_TAB, {ssShift});
  EXPECT_EQ(grid->Col(), 4);
  EXPECT_EQ(grid->Row(), 8);
}

TEST_F(GridInput, SpaceTogglesACheckBoxAndWrapsARadioGroup) {
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->CreateCellGraphic(3, 2)->SetCellType(ctCheckBox);
  TCellGraphic* radio = grid->CreateCellGraphic(2, 2);
  radio->SetCellType(ctRadio);
  auto* items = new TStringList;
  items->Add("A");
  items->Add("B");
  radio->SetCellCreated(true);
  radio->SetPayload(items);
  radio->SetCellIndex(1);
  std::vector<std::string> events;
  grid->OnCheckBoxClick = [&](TObject*, int c, int r, bool s) { events.push_back("check " + std::to_string(c) + std::to_string(r) + (s ? "1" : "0")); };
  grid->OnRadioClick = [&](TObject*, int c, int r, int i) { events.push_back("radio " + std::to_string(c) + std::to_string(r) + std::to_string(i)); };
  grid->SetCol(3);
  grid->SetRow(2);
  SimulateKey(grid, VK_SPACE);
  bool state = false;
  EXPECT_TRUE(grid->GetCheckBoxState(3, 2, state));
  EXPECT_TRUE(state);
  grid->SetCol(2);
  SimulateKey(grid, VK_SPACE);
  EXPECT_EQ(grid->Cells(2, 2), "A");
  EXPECT_EQ(events, (std::vector<std::string>{"check 321", "radio 220"}));
}

TEST_F(GridInput, InsertAndDeleteRowsByKeyAndTheOnlyDataRowIsEmptiedNotRemoved) {
  grid->Navigation()->SetAllowInsertRow(true);
  grid->Navigation()->SetAllowDeleteRow(true);
  grid->SetRow(2);
  SimulateKey(grid, VK_INSERT);
  EXPECT_EQ(grid->RowCount(), 10);
  EXPECT_EQ(grid->Cells(1, 2), "");
  bool veto = true;
  grid->OnCanDeleteRow = [&](TObject*, int, bool& can) { can = !veto; };
  SimulateKey(grid, VK_DELETE);
  EXPECT_EQ(grid->RowCount(), 10);
  veto = false;
  SimulateKey(grid, VK_DELETE);
  EXPECT_EQ(grid->RowCount(), 9);
  EXPECT_EQ(grid->Cells(1, 2), "올드보이"_k);
  grid->SetRowCount(2);
  grid->SetRow(1);
  SimulateKey(grid, VK_DELETE);
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->Cells(1, 1), "");
}

TEST_F(GridInput, DownOnTheLastRowAppendsARowAboveTheFloatingFooter) {
  grid->Navigation()->SetAppendOnArrowDown(true);
  grid->FloatingFooter()->SetVisible(true);
  grid->SetCells(1, 8, "footer");
  grid->SetRow(7);
  int added = -1;
  grid->OnAutoAddRow = [&](TObject*, int row) { added = row; };
  SimulateKey(grid, VK_DOWN);
  EXPECT_EQ(grid->RowCount(), 10);
  EXPECT_EQ(grid->Cells(1, 9), "footer");
  EXPECT_EQ(grid->Cells(1, 8), "");
  EXPECT_EQ(grid->Row(), 8);
  EXPECT_EQ(added, 8);
}

TEST_F(GridInput, CtrlASelectsTheDataCellsAndMarksEveryRowInDisjunctSelection) {
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->SetFixedFooters(1);
  bool allow = false;  // the move to the last data cell is asked first
  grid->OnCellChanging = [&](TObject*, int, int, int row, int col, bool& a) { a = allow || col != 4 || row != 7; };
  SimulateKey(grid, 'A', {ssCtrl});
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 1, 1}));
  allow = true;
  SimulateKey(grid, 'A', {ssCtrl});
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 4, 7}));
  EXPECT_EQ(grid->SelectedRowCount(), 7);
  grid->SetRow(2);
  SimulateKey(grid, VK_DOWN);
  EXPECT_EQ(grid->SelectedRowCount(), 1);
  SimulateKey(grid, VK_DOWN, {ssShift});
  EXPECT_EQ(grid->SelectedRowCount(), 2);
}

TEST_F(GridInput, NavigationKeysEndTheLookUpTextButHomeDoesNot) {
  grid->Navigation()->SetAutoGotoWhenSorted(true);
  grid->Navigation()->SetAutoGotoIncremental(true);
  grid->SortSettings()->SetShow(true);
  grid->SortSettings()->SetColumn(2);
  SimulateTyping(grid, "d");
  EXPECT_EQ(grid->LookupText(), "d");
  SimulateKey(grid, VK_HOME);
  EXPECT_EQ(grid->LookupText(), "d");
  SimulateKey(grid, VK_DOWN);
  EXPECT_EQ(grid->LookupText(), "");
}

TEST_F(GridInput, AHangulSyllableTypedIntoACellStartsTheEditorWithTheWholeCharacter) {
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->SetCol(2);
  grid->SetRow(3);
  // OnKeyPress hears a typed key before it opens the editor: dropped, none opens.
  grid->OnKeyPress = [](TObject*, char& key) { key = key == 'x' ? 0 : key; };
  SimulateTyping(grid, "x");
  EXPECT_FALSE(grid->Editing());
  SimulateImeCommit(grid, "한"_k);
  ASSERT_TRUE(PumpUntil([&] { return grid->InplaceEditor() && grid->InplaceEditor()->Visible(); }));
  EXPECT_EQ(grid->InplaceEditor()->GetText(), "한"_k);
  SimulateKey(grid->InplaceEditor(), VK_RETURN);
  EXPECT_EQ(grid->Cells(2, 3), "한"_k);
}

TEST_F(GridInput, AValidationThatRefusesKeepsTheCellAndTheEditorOpen) {
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  int calls = 0;
  grid->OnCellValidate = [&](TObject*, int, int, AnsiString& value, bool& valid) {
    ++calls;
    valid = value != "bad";
  };
  grid->SetCol(2);
  grid->SetRow(3);
  SimulateKey(grid, VK_F2);
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  grid->InplaceEditor()->SetText("bad");
  SimulateKey(grid->InplaceEditor(), VK_DOWN);
  EXPECT_EQ(grid->Row(), 3);
  EXPECT_EQ(grid->Cells(2, 3), "d3");
  EXPECT_GE(calls, 1);
}

// ---------------------------------------------------------------- clicks

TEST_F(GridInput, AClickTogglesACheckBoxOnlyWhereTheCellMayBeEdited) {
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->CreateCellGraphic(3, 2)->SetCellType(ctCheckBox);
  grid->CreateCellGraphic(3, 4)->SetCellType(ctCheckBox);
  grid->CellPropertiesAt(3, 4)->SetReadOnly(true);
  ClickCell(3, 2);
  ClickCell(3, 4);
  bool state = false;
  grid->GetCheckBoxState(3, 2, state);
  EXPECT_TRUE(state);
  grid->GetCheckBoxState(3, 4, state);
  EXPECT_FALSE(state);
}

TEST_F(GridInput, CheckingTheHeaderChecksTheColumnButLeavesReadOnlyCells) {
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->MouseActions()->SetCheckAllCheck(true);
  for (int r = 0; r <= 8; ++r) grid->CreateCellGraphic(3, r)->SetCellType(ctCheckBox);
  grid->CellPropertiesAt(3, 5)->SetReadOnly(true);
  ClickCell(3, 0);
  bool state = false;
  grid->GetCheckBoxState(3, 1, state);
  EXPECT_TRUE(state);
  grid->GetCheckBoxState(3, 5, state);
  EXPECT_FALSE(state);
}

// Item k's button is where the grid's picture changes when k is selected;
// a click there selects k, one item per line and side by side, and so
// zoomed in column 0 under a node, whose indent moves the items right.
TEST_F(GridInput, AClickSelectsTheRadioItemDrawnUnderTheMouse) {
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->ControlLook()->SetControlStyle(csWinXP);
  grid->SetRowHeights(2, 90);
  grid->SetColWidths(2, 300);
  TCellGraphic* radio = nullptr;
  auto placeRadio = [&](int col) {
    radio = grid->CreateCellGraphic(col, 2);
    radio->SetCellType(ctRadio);
    radio->SetCellCreated(true);
    radio->SetPayload(new TStringList);
    for (const char* item : {"A", "B", "C", "D"}) radio->CellStrings()->Add(item);
  };
  placeRadio(2);
  const TRect whole{0, 0, grid->Width(), grid->Height()};
  for (const auto& [col, horizontal] : {std::pair{2, false}, {2, true}, {0, false}, {0, true}}) {
    if (col == 0 && grid->FixedCols() > 0) {
      grid->SetFixedCols(0);
      grid->SetLeftCol(0);
      grid->SetColWidths(0, 300);
      grid->AddNode(1, 3);
      grid->CellNode()->SetNodeIndent(60);
      grid->SetZoomStep(8);
      placeRadio(0);
    }
    radio->SetCellBoolean(horizontal);
    radio->SetCellIndex(-1);
    grid->SetCells(col, 2, "");
    const auto none = PixelsOf(grid, whole);
    std::vector<TPoint> centres;
    for (int k = 0; k < 4; ++k) {
      radio->SetCellIndex(k);
      const auto shown = PixelsOf(grid, whole);
      long sumX = 0, sumY = 0, changed = 0;
      for (std::size_t i = 0; i < none.size(); ++i)
        if (none[i] != shown[i]) {
          sumX += static_cast<long>(i) % whole.Right;
          sumY += static_cast<long>(i) / whole.Right;
          ++changed;
        }
      ASSERT_GT(changed, 0) << "item " << k << " shows no selection";
      centres.push_back(TPoint{static_cast<int>(sumX / changed), static_cast<int>(sumY / changed)});
    }
    radio->SetCellIndex(-1);
    for (int k = 3; k >= 0; --k) {
      int index = -1;
      grid->OnRadioClick = [&](TObject*, int, int, int i) { index = i; };
      ClickAt(centres[k].X, centres[k].Y);
      EXPECT_EQ(index, k) << (horizontal ? "side by side" : "one per line") << " in column " << col;
      EXPECT_EQ(grid->Cells(col, 2), radio->CellStrings()->Strings(k));
    }
    KeepShot(grid, horizontal ? "radio-side-by-side.png" : "radio-one-per-line.png");
  }
}

// A mark-up BUTTON shows pressed from the press to the release, or to the
// loss of the focus.
TEST_F(GridInput, AMarkupButtonIsDrawnPressedWhileHeld) {
  grid->SetColWidths(2, 160);
  grid->SetRowHeights(2, 30);
  grid->SetCells(2, 2, "<P><CONTROL TYPE=\"BUTTON\" ID=\"ok\" VALUE=\"OK\" WIDTH=\"80\"></P>");
  const TRect cell = grid->CellRect(2, 2);
  const TPoint on{cell.Left + 40, cell.Bottom - 10};
  const auto up = PixelsOf(grid, cell);
  SimulateMouseDown(grid, mbLeft, on.X, on.Y);
  EXPECT_NE(PixelsOf(grid, cell), up) << "pressed while held";
  SimulateMouseUp(grid, mbLeft, on.X, on.Y);
  EXPECT_EQ(PixelsOf(grid, cell), up);
  SimulateMouseDown(grid, mbLeft, on.X, on.Y);
  next->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return next->Focused(); }));
  EXPECT_EQ(PixelsOf(grid, cell), up) << "released with the focus";
  SimulateMouseUp(grid, mbLeft, on.X, on.Y);
  // A cell button likewise; only a click on the button itself fires it.
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  TCellGraphic* button = grid->CreateCellGraphic(3, 2);
  button->SetCellType(ctButton);
  button->SetCellIndex((16 << 16) | 40);
  int fired = 0;
  grid->OnButtonClick = [&](TObject*, int col, int row) { fired += col == 3 && row == 2; };
  const TRect drawn = grid->GetCellGraphicRect(3, 2);
  SimulateMouseDown(grid, mbLeft, drawn.Left + 5, drawn.Top + 5);
  const auto held = PixelsOf(grid, grid->CellRect(3, 2));
  SimulateMouseUp(grid, mbLeft, drawn.Left + 5, drawn.Top + 5);
  EXPECT_NE(PixelsOf(grid, grid->CellRect(3, 2)), held) << "drawn pressed while held";
  ClickAt(grid->CellRect(3, 2).Right - 3, grid->CellRect(3, 2).Bottom - 3);
  EXPECT_EQ(fired, 1) << "a click beside the button fires nothing";
}

// The list-view look: the header under the mouse is hot, pressed while the
// button is held, normal once the mouse leaves; each step repaints the
// header cells it changes.
TEST_F(GridInput, TheListViewHeaderUnderTheMouseIsHotAndFollowsIt) {
  grid->SetLook(glListView);
  grid->SetCells(2, 0, "");
  grid->SetCells(3, 0, "");
  std::set<int> drawn;
  grid->OnDrawCell = [&](TObject*, int c, int r, TRect, TGridDrawState) { if (r == 0) drawn.insert(c); };
  auto header = [&](int col) {
    TRect r = grid->CellRect(col, 0);
    InflateRect(r, -4, 0);
    return PixelsOf(grid, r);
  };
  auto step = [&](const std::function<void()>& message, std::set<int> repainted) {
    drawn.clear();
    message();
    EXPECT_TRUE(PumpUntil([&] { return std::ranges::includes(drawn, repainted); }));
  };
  const TPoint p2 = CellCenter(grid, 2, 0), p3 = CellCenter(grid, 3, 0);
  const auto normal = header(2);
  step([&] { SimulateMouseMove(grid, p2.X, p2.Y); }, {2});
  const auto hot = header(2);
  EXPECT_NE(hot, normal);
  step([&] { SimulateMouseMove(grid, p3.X, p3.Y); }, {2, 3});
  EXPECT_EQ(header(2), normal);
  EXPECT_EQ(header(3), hot);
  KeepShot(grid, "listview-header-hot.png");
  step([&] { SimulateMouseDown(grid, mbLeft, p3.X, p3.Y); }, {3});
  EXPECT_NE(header(3), hot);
  KeepShot(grid, "listview-header-pressed.png");
  SimulateMouseUp(grid, mbLeft, p3.X, p3.Y);
  EXPECT_EQ(header(3), hot);
  step([&] { SimulateMouseLeave(grid); }, {3});
  EXPECT_EQ(header(3), normal);
  grid->OnDrawCell = nullptr;
}

TEST_F(GridInput, ANodeGlyphClickContractsAndExpandsWithVetoes) {
  grid->AddNode(2, 3);
  ASSERT_TRUE(grid->IsNodeRow(2));
  bool allow = false;
  grid->OnBeforeContractNode = [&](TObject*, int, bool& a, int) { a = allow; };
  const TRect r = grid->CellRect(0, 2);
  int glyphX = -1;
  for (int x = r.Left; x < r.Right && glyphX < 0; ++x)
    if (grid->IsNodeGlyphHit(2, x - r.Left)) glyphX = x;
  ASSERT_GE(glyphX, 0);
  ClickAt(glyphX, (r.Top + r.Bottom) / 2);
  EXPECT_FALSE(grid->IsNodeCollapsed(2));
  allow = true;
  ClickAt(glyphX, (r.Top + r.Bottom) / 2);
  EXPECT_TRUE(grid->IsNodeCollapsed(2));
  ClickAt(glyphX, (r.Top + r.Bottom) / 2);
  EXPECT_FALSE(grid->IsNodeCollapsed(2));
}

TEST_F(GridInput, AnchorsOpenOnlyWebAndMailAddressesAndCellLinksMove) {
  ShellFake shell;
  grid->SetURLShow(true);
  grid->SetCells(2, 1, "https://example.org/movie");
  grid->SetCells(2, 2, "file:///etc/passwd");
  grid->SetCells(2, 3, "C:\\Windows\\calc.exe");
  grid->SetCells(2, 4, "<A href=\"cell://D7\">go</A>");
  grid->SetCells(2, 5, "<A href=\"\\\\server\\share\\x.exe\">bad</A>");
  grid->SetColWidths(2, 200);
  ClickCell(2, 1);
  ClickCell(2, 2);
  ClickCell(2, 3);
  const TRect r5 = grid->CellRect(2, 5);
  ClickAt(r5.Left + 6, (r5.Top + r5.Bottom) / 2);
  EXPECT_EQ(TShellFake::OpenedAddresses(), (std::vector<AnsiString>{"https://example.org/movie"}));
  const TRect r4 = grid->CellRect(2, 4);
  ClickAt(r4.Left + 6, (r4.Top + r4.Bottom) / 2);
  EXPECT_EQ(grid->Col(), 4);
  EXPECT_EQ(grid->Row(), 7);
}

TEST_F(GridInput, HeaderClicksSortUpDownThenUndoAndOnCanSortRefuses) {
  grid->SortSettings()->SetShow(true);
  grid->SortSettings()->SetUndoSort(true);
  const std::string before = Column(3);
  bool allow = false;
  grid->OnCanSort = [&](TObject*, int, bool& doSort) { doSort = allow; };
  ClickCell(3, 0);
  EXPECT_EQ(Column(3), before);
  allow = true;
  ClickCell(3, 0);
  EXPECT_EQ(Column(3), "2003|2003|2006|2007|2009|2010|2018|2019|");
  ClickCell(3, 0);
  EXPECT_EQ(Column(3), "2019|2018|2010|2009|2007|2006|2003|2003|");
  ClickCell(3, 0);
  EXPECT_EQ(Column(3), before);
  EXPECT_EQ(grid->SortSettings()->Column(), -1);
  // Two rows: nothing to sort.
  grid->SetRowCount(2);
  ClickCell(1, 0);
  EXPECT_EQ(grid->SortSettings()->Column(), -1);
}

TEST_F(GridInput, ShiftHeaderClicksBuildAnIndexAndAPlainClickResetsIt) {
  grid->SortSettings()->SetShow(true);
  grid->SortSettings()->SetIndexShow(true);
  ClickCell(3, 0);
  ClickCell(4, 0, {ssShift});
  EXPECT_EQ(grid->SortIndexes()->Count(), 2);
  EXPECT_EQ(Column(3), "2003|2003|2006|2007|2009|2010|2018|2019|");
  EXPECT_EQ(grid->Cells(4, 1), "8.9");
  ClickCell(2, 0);
  EXPECT_EQ(grid->SortIndexes()->Count(), 1);
}

TEST_F(GridInput, ADoubleClickOnAHeaderBorderSizesTheColumnAndTheReleaseDoesNotSort) {
  grid->SortSettings()->SetShow(true);
  grid->SetOptions(grid->Options() + TGridOptions{goColSizing});
  grid->SetCells(1, 3, "a very long title that needs a wide column");
  const std::string before = Column(1);
  const TRect r = grid->CellRect(1, 0);
  SimulateDblClick(grid, r.Right - 1, (r.Top + r.Bottom) / 2);
  EXPECT_GT(grid->ColWidths(1), 150);
  EXPECT_EQ(Column(1), before);
}

TEST_F(GridInput, ColumnsMovedByMouseTakeTheSortColumnAlong) {
  grid->SetOptions(grid->Options() + TGridOptions{goColMoving});
  grid->SortSettings()->SetColumn(3);
  const TPoint from = Center(3, 0);
  const TPoint to = Center(1, 0);
  SimulateMouseDown(grid, mbLeft, from.X, from.Y);
  SimulateMouseMove(grid, (from.X + to.X) / 2, to.Y, {ssLeft});
  SimulateMouseMove(grid, to.X, to.Y, {ssLeft});
  // The moved header follows the mouse while the move runs.
  EXPECT_TRUE(grid->PopupButton()->Visible());
  EXPECT_EQ(grid->PopupButton()->Caption(), "연도"_k);
  SimulateMouseUp(grid, mbLeft, to.X, to.Y);
  EXPECT_FALSE(grid->PopupButton()->Visible());
  EXPECT_EQ(grid->Cells(1, 0), "연도"_k);
  EXPECT_EQ(grid->Cells(2, 0), "제목"_k);
  EXPECT_EQ(grid->SortSettings()->Column(), 1);
}

TEST_F(GridInput, ClicksAndReleasesOutsideTheCellsGiveNoNegativeIndex) {
  grid->SetColCount(3);
  grid->SetRowCount(3);
  grid->SortSettings()->SetShow(true);
  grid->MouseActions()->SetRowSelect(true);
  grid->MouseActions()->SetColSelect(true);
  std::vector<int> seen;
  grid->OnClickCell = [&](TObject*, int row, int col) {
    seen.push_back(row);
    seen.push_back(col);
  };
  ClickAt(510, 290);
  SimulateMouseDown(grid, mbLeft, 5, Center(0, 1).Y);
  SimulateMouseMove(grid, 5, 400, {ssLeft});
  SimulateMouseMove(grid, 5, -40, {ssLeft});
  SimulateMouseUp(grid, mbLeft, 5, -40);
  SimulateDblClick(grid, 515, 5);
  for (int v : seen) EXPECT_GE(v, 0);
  const TGridRect sel = grid->Selection();
  EXPECT_GE(sel.Top, 1);
  EXPECT_GE(sel.Left, 1);
  for (int c = 0; c < grid->ColCount(); ++c) EXPECT_GT(grid->ColWidths(c), 0);
}

TEST_F(GridInput, FixedColumnClicksSelectRowsAndCtrlClickUnmarksAtRelease) {
  grid->MouseActions()->SetRowSelect(true);
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->SetCol(3);
  ClickCell(0, 2);
  // The mark shows the row; the cursor keeps its column for the keys.
  EXPECT_EQ(grid->Selection(), (TGridRect{3, 2, 3, 2}));
  EXPECT_TRUE(grid->IsRowSelected(2));
  ClickCell(2, 4, {ssCtrl});
  EXPECT_TRUE(grid->IsRowSelected(4));
  const TPoint p = Center(2, 4);
  SimulateMouseDown(grid, mbLeft, p.X, p.Y, {ssCtrl});
  EXPECT_TRUE(grid->IsRowSelected(4));
  SimulateMouseUp(grid, mbLeft, p.X, p.Y, {ssCtrl});
  EXPECT_FALSE(grid->IsRowSelected(4));
}

TEST_F(GridInput, APlainClickOnARowHeaderForgetsTheCtrlMarkedRows) {
  grid->MouseActions()->SetRowSelect(true);
  grid->MouseActions()->SetDisjunctRowSelect(true);
  auto clickHeader = [&](int row, TShiftState shift = {}) {
    const TPoint p = Center(0, row);
    SimulateMouseMove(grid, p.X, p.Y, shift);
    ClickAt(p.X, p.Y, shift);
  };
  auto marked = [&] {
    std::string s;
    for (int r = 1; r < grid->RowCount(); ++r)
      if (grid->IsRowSelected(r)) s += IntToStr(r);
    return s;
  };
  clickHeader(2, {ssCtrl});
  clickHeader(4, {ssCtrl});
  clickHeader(5, {ssCtrl});
  EXPECT_EQ(marked(), "245");
  clickHeader(7);
  EXPECT_EQ(marked(), "7");
  EXPECT_EQ(grid->Row(), 7);
  // Shift runs from the current row; a plain click again keeps one row.
  clickHeader(3, {ssShift});
  EXPECT_EQ(marked(), "34567");
  clickHeader(8);
  EXPECT_EQ(marked(), "8");
}

// ---------------------------------------------------------------- wheel, hints, timers

TEST_F(GridInput, AWheelStepRestsOnTheBaseCellOfASpanAndLeavesItDownwards) {
  grid->MouseActions()->SetWheelIncrement(1);
  grid->MergeCells(2, 3, 2, 3);  // columns 2..3, rows 3..5
  grid->SetCol(3);
  grid->SetRow(2);
  SimulateWheel(grid, -120);
  EXPECT_EQ(grid->Col() * 10 + grid->Row(), 23);
  SimulateWheel(grid, -120);
  EXPECT_EQ(grid->Row(), 6) << "down leaves the span";
  SimulateWheel(grid, 120);
  EXPECT_EQ(grid->Col() * 10 + grid->Row(), 23) << "up comes back to its base cell";
}

TEST_F(GridInput, WheelDeltasAddUpToWholeStepsAndCtrlZooms) {
  grid->MouseActions()->SetWheelIncrement(2);
  grid->SetRow(1);
  for (int i = 0; i < 3; ++i) SimulateWheel(grid, -30);
  EXPECT_EQ(grid->Row(), 1);
  SimulateWheel(grid, -30);
  EXPECT_EQ(grid->Row(), 3);
  SimulateWheel(grid, -120 * 5);
  EXPECT_EQ(grid->Row(), 8);
  SimulateWheel(grid, 120);
  EXPECT_EQ(grid->Row(), 6);
  const int width = grid->ColWidths(1);
  SimulateWheel(grid, -120, {ssCtrl});
  EXPECT_GT(grid->ColWidths(1), width);
  EXPECT_GT(grid->ZoomStep(), 0);
}

TEST_F(GridInput, ZoomStaysWithinTenStepsEitherWay) {
  const int width = grid->ColWidths(1);
  grid->ZoomBy(11);
  EXPECT_EQ(grid->ColWidths(1), width);
  for (int i = 0; i < 11; ++i) grid->ZoomBy(1);
  EXPECT_EQ(grid->ZoomStep(), 10);
  EXPECT_EQ(grid->ColWidths(1), width + 10);
}

TEST_F(GridInput, HintsShowALongCellsTextOnlyWhenItDoesNotFit) {
  grid->SetHintShowCells(true);
  grid->SetHintShowLargeText(true);
  grid->SetCells(2, 2, "A title far too long to be seen whole in this narrow column");
  auto hintAt = [&](int col, int row) {
    THintInfo info;
    info.HintControl = grid;
    info.CursorPos = Center(col, row);
    TMessage m;
    m.Msg = CM_HINTSHOW;
    m.LParam = reinterpret_cast<LPARAM>(&info);
    grid->WindowProc(m);
    return m.Result == 0 ? info.HintStr : AnsiString();
  };
  EXPECT_EQ(hintAt(2, 2), "A title far too long to be seen whole in this narrow column");
  EXPECT_EQ(hintAt(2, 3), "");
  EXPECT_EQ(grid->HintCell(), (TPoint{2, 3}));
}

TEST_F(GridInput, TheHoverTimerMovesTheCurrentCellWithoutTakingTheFocus) {
  grid->ScrollOptions().Hovering = true;
  next->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return next->Focused(); }));
  SimulateMouseMove(grid, Center(3, 5).X, Center(3, 5).Y);
  Mouse->SetCursorPos(grid->ClientToScreen(Center(3, 5)));
  TMessage m;
  m.Msg = WM_TIMER;
  m.WParam = TExStringGrid::kHoverTimerId;
  grid->WindowProc(m);
  EXPECT_EQ(grid->Col(), 3);
  EXPECT_EQ(grid->Row(), 5);
  EXPECT_TRUE(next->Focused());
}

TEST_F(GridInput, PanningFollowsOnlyItsAxisAndStopsWhenTheFocusGoes) {
  grid->ScrollOptions().IntelliPan = ipVertical;
  grid->SetCol(2);
  grid->SetRow(2);
  const TPoint origin = Center(2, 4);
  SimulateMouseDown(grid, mbMiddle, origin.X, origin.Y);
  ASSERT_TRUE(grid->Panning());
  Mouse->SetCursorPos(grid->ClientToScreen({origin.X + 60, origin.Y + 40}));
  TMessage tick;
  tick.Msg = WM_TIMER;
  tick.WParam = 112;
  grid->WindowProc(tick);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(grid->Row(), 3);
  next->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return !grid->Panning(); }));
  // Any further press ends a pan too.
  grid->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return grid->Focused(); }));
  SimulateMouseDown(grid, mbMiddle, origin.X, origin.Y);
  ASSERT_TRUE(grid->Panning());
  SimulateMouseDown(grid, mbLeft, origin.X, origin.Y);
  SimulateMouseUp(grid, mbLeft, origin.X, origin.Y);
  EXPECT_FALSE(grid->Panning());
}

TEST_F(GridInput, ThePanGlyphShowsAtTheOriginWhilePanningOnly) {
  grid->ScrollOptions().IntelliPan = ipBoth;
  // Below the last row: nothing but the grid's background there.
  const TPoint origin{200, 230};
  // A point inside the glyph's upward arrow.
  const int x = origin.X + kPanGlyphSize / 2 - 1, y = origin.Y + kPanGlyphSize / 2 - 10;
  TBitmap before;
  PaintControlTo(grid, before);
  SimulateMouseDown(grid, mbMiddle, origin.X, origin.Y);
  ASSERT_TRUE(grid->Panning());
  TBitmap panning;
  PaintControlTo(grid, panning);
  EXPECT_NE(panning.PixelColor(x, y), before.PixelColor(x, y));
  EXPECT_EQ(panning.PixelColor(x, y), 0u);  // black
  EXPECT_EQ(panning.PixelColor(origin.X + 40, origin.Y + 16), before.PixelColor(origin.X + 40, origin.Y + 16));
  SimulateMouseDown(grid, mbRight, origin.X, origin.Y);
  SimulateMouseUp(grid, mbRight, origin.X, origin.Y);
  ASSERT_FALSE(grid->Panning());
  TBitmap after;
  PaintControlTo(grid, after);
  EXPECT_EQ(after.PixelColor(x, y), before.PixelColor(x, y));
}

// ---------------------------------------------------------------- small operations

TEST_F(GridInput, SelectionTextQuotesCellsWithTabsQuotesAndLineBreaks) {
  grid->SetCells(1, 1, "a");
  grid->SetCells(2, 1, "b");
  grid->SetCells(1, 2, "c");
  grid->SetCells(2, 2, "d");
  grid->SetSelection({1, 1, 2, 2});
  EXPECT_EQ(grid->SelectionAsText(), "a\tb\r\nc\td");
  grid->SetCells(1, 1, "x\ty");
  grid->SetCells(2, 1, "say \"hi\"");
  grid->SetCells(1, 2, "two\r\nlines");
  EXPECT_EQ(grid->SelectionAsText(), "\"x\ty\"\t\"say \"\"hi\"\"\"\r\n\"two\r\nlines\"\td");
}

TEST_F(GridInput, AggregatesTakeOnlyNumbersAndTheAverageDividesByTheRows) {
  // Rating 4 holds "x": seven numbers over eight rows.
  EXPECT_NEAR(grid->ColumnAvg(4, 1, 8), (8.1 + 9.0 + 8.9 + 9.5 + 7.7 + 8.3 + 8.0) / 8, 1e-9);
  grid->SetCells(4, 1, "n/a");
  EXPECT_DOUBLE_EQ(grid->ColumnMin(4, 1, 8), 7.7);
  EXPECT_DOUBLE_EQ(grid->ColumnMax(4, 1, 8), 9.5);
  EXPECT_DOUBLE_EQ(grid->ColumnAvg(4, 5, 4), 0);
}

TEST_F(GridInput, PicturesFitByEachMode) {
  EXPECT_EQ(TExStringGrid::FitPictureSize(0, 40, 20, 10, 10), (TPoint{40, 20}));
  EXPECT_EQ(TExStringGrid::FitPictureSize(1, 40, 20, 10, 10), (TPoint{10, 10}));
  EXPECT_EQ(TExStringGrid::FitPictureSize(2, 40, 20, 20, 20), (TPoint{20, 10}));
  EXPECT_EQ(TExStringGrid::FitPictureSize(3, 4, 2, 20, 20), (TPoint{4, 2}));
  EXPECT_EQ(TExStringGrid::FitPictureSize(4, 40, 20, 20, 40), (TPoint{20, 10}));
  EXPECT_EQ(TExStringGrid::FitPictureSize(2, 0, 0, 20, 20), (TPoint{0, 0}));
}

TEST_F(GridInput, RowColoursCoverHiddenColumnsAndClNoneTakesThemAway) {
  grid->HideColumn(3);
  grid->SetRowColor(2, clRed);
  EXPECT_EQ(grid->FindCellProperties(3, 2)->BrushColor(), clRed);
  grid->SetRowColor(2, clNone);
  EXPECT_EQ(grid->FindCellProperties(3, 2)->BrushColor(), clNone);
}

// ---------------------------------------------------------------- drags

namespace {

struct DragHookScope {
  explicit DragHookScope(std::function<int(const TDragData&, int)> hook) { SetDragDropHook(std::move(hook)); }
  ~DragHookScope() { SetDragDropHook({}); }
};

}  // namespace

TEST_F(GridInput, ADragStartsOnlyPastThreePixelsAndAMoveOntoItsOwnRangeKeepsTheDroppedCells) {
  grid->DragDropSettings()->SetOleDropSource(true);
  grid->DragDropSettings()->SetOleDropTarget(true);
  grid->DragDropSettings()->SetOleAcceptText(true);
  grid->Navigation()->SetAllowClipboardAlways(true);
  int drags = 0;
  DragHookScope hook([&](const TDragData& data, int allowed) {
    ++drags;
    // Dropped one row down: the source and the dropped range overlap.
    TDropTarget* t = grid->DropTarget();
    const TPoint pt = Center(1, 3);
    int effect = DROPEFFECT_MOVE;
    t->DragEnter(data, {}, pt, effect);
    t->DragOver({}, pt, effect);
    effect = DROPEFFECT_MOVE;
    t->Drop(data, {}, pt, effect);
    return effect;
  });
  grid->SetSelection({1, 2, 2, 3});
  const TPoint p = Center(1, 2);
  SimulateMouseDown(grid, mbLeft, p.X, p.Y);
  SimulateMouseMove(grid, p.X + 3, p.Y, {ssLeft});
  EXPECT_EQ(drags, 0);
  SimulateMouseMove(grid, p.X + 4, p.Y + 1, {ssLeft});
  SimulateMouseUp(grid, mbLeft, p.X + 4, p.Y + 1);
  EXPECT_EQ(drags, 1);
  // Rows 2..3 went to rows 3..4; row 2 is emptied, the dropped rows stay whole.
  EXPECT_EQ(grid->Cells(1, 2), "");
  EXPECT_EQ(grid->Cells(1, 3), "올드보이"_k);
  EXPECT_EQ(grid->Cells(2, 3), "d2");
  EXPECT_EQ(grid->Cells(1, 4), "살인의 추억"_k);
  EXPECT_EQ(grid->Cells(2, 4), "d3");
}

TEST_F(GridInput, ARefusedDragSelectsTheRangeTheMouseSweepsInstead) {
  grid->DragDropSettings()->SetOleDropSource(true);
  int drags = 0, asked = 0, presses = 0;
  DragHookScope hook([&](const TDragData&, int) {
    ++drags;
    return DROPEFFECT_NONE;
  });
  grid->OnOleDrag = [&](TObject*, int, int, const AnsiString&, bool& allow) {
    ++asked;
    allow = false;
  };
  grid->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++presses; };
  grid->SetSelection({1, 2, 2, 3});
  const TPoint from = Center(1, 2), to = Center(3, 5);
  SimulateMouseDown(grid, mbLeft, from.X, from.Y);
  SimulateMouseMove(grid, from.X + 10, from.Y + 5, {ssLeft});
  SimulateMouseMove(grid, to.X, to.Y, {ssLeft});
  SimulateMouseUp(grid, mbLeft, to.X, to.Y);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(drags, 0);
  EXPECT_EQ(presses, 1);
  const TGridRect sel = grid->Selection();
  EXPECT_EQ(sel.Left, 1);
  EXPECT_EQ(sel.Top, 2);
  EXPECT_EQ(sel.Right, 3);
  EXPECT_EQ(sel.Bottom, 5);
  EXPECT_EQ(grid->Cells(1, 2), "올드보이"_k);  // nothing was moved or cleared
  EXPECT_EQ(grid->GridState(), gsNormal);
}

TEST_F(GridInput, TheFillGripRepeatsTheSelectionWithoutTheClipboardAndSkipsReadOnlyCells) {
  grid->SetSelectionRectangle(true);
  grid->SetSelectionResizer(true);
  Clipboard()->SetAsText("clipboard stays");
  grid->CellPropertiesAt(2, 4)->SetReadOnly(true);
  std::vector<TGridRect> resized;
  grid->OnSelectionResize = [&](TObject*, const TGridRect& from, const TGridRect& to) {
    resized.push_back(from);
    resized.push_back(to);
  };
  grid->SetSelection({2, 1, 2, 2});
  const TRect corner = grid->CellRect(2, 2);
  SimulateMouseMove(grid, corner.Right, corner.Bottom);
  EXPECT_EQ(grid->HitZone(), 5);
  SimulateMouseDown(grid, mbLeft, corner.Right, corner.Bottom);
  const TPoint to = Center(2, 5);
  SimulateMouseMove(grid, to.X, to.Y, {ssLeft});
  SimulateMouseUp(grid, mbLeft, to.X, to.Y);
  ASSERT_EQ(resized.size(), 2u);
  EXPECT_EQ(resized[1], (TGridRect{2, 1, 2, 5}));
  EXPECT_EQ(Column(2), "d1|d2|d1|d4|d1|d6|d7|d8|");
  EXPECT_EQ(Clipboard()->AsText(), "clipboard stays");
}

TEST_F(GridInput, EnteringAndLeavingAnAnchorFiresItsEventsAndShowsTheHand) {
  grid->SetColWidths(2, 200);
  grid->SetCells(2, 2, "<A href=\"https://example.org\">link</A> and text");
  std::vector<std::string> events;
  grid->OnAnchorEnter = [&](TObject*, int row, int col, const AnsiString& a) {
    events.push_back("enter " + std::to_string(col) + std::to_string(row) + " " + a);
  };
  grid->OnAnchorExit = [&](TObject*, int, int, const AnsiString& a) { events.push_back("exit " + a); };
  const TRect r = grid->CellRect(2, 2);
  SimulateMouseMove(grid, r.Left + 8, (r.Top + r.Bottom) / 2);
  SimulateMouseMove(grid, r.Left + 10, (r.Top + r.Bottom) / 2);
  SimulateMouseMove(grid, r.Right - 4, (r.Top + r.Bottom) / 2);
  EXPECT_EQ(events, (std::vector<std::string>{"enter 22 https://example.org", "exit https://example.org"}));
  EXPECT_EQ(grid->HoverAnchor(), 0);
}

TEST_F(GridInput, RowsMovedByMouseStayAboveTheFloatingFooterAndAVetoKeepsThem) {
  grid->SetOptions(grid->Options() + TGridOptions{goRowMoving});
  grid->FloatingFooter()->SetVisible(true);
  grid->SetCells(1, 8, "footer");
  bool allow = false;
  grid->OnRowMove = [&](TObject*, int, bool& a) { a = allow; };
  auto drag = [&](int fromRow, int toRow) {
    const TPoint from = Center(0, fromRow);
    const TPoint to = Center(0, toRow);
    SimulateMouseDown(grid, mbLeft, from.X, from.Y);
    SimulateMouseMove(grid, to.X, (from.Y + to.Y) / 2, {ssLeft});
    SimulateMouseMove(grid, to.X, to.Y, {ssLeft});
    SimulateMouseUp(grid, mbLeft, to.X, to.Y);
  };
  drag(2, 8);
  EXPECT_EQ(grid->Cells(1, 2), "올드보이"_k);
  allow = true;
  drag(2, 8);
  EXPECT_EQ(grid->Cells(1, 8), "footer");
  EXPECT_EQ(grid->Cells(1, 7), "올드보이"_k);
}

TEST_F(GridInput, TypingWithRangeSelectAndEditStartsTheEditOnlyWhereTheCellMayBeEdited) {
  grid->MouseActions()->SetRangeSelectAndEdit(true);
  grid->CellPropertiesAt(2, 4)->SetReadOnly(true);
  grid->SetCol(2);
  grid->SetRow(4);
  SimulateTyping(grid, "z");
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  EXPECT_FALSE(grid->Options().contains(goEditing));
  grid->SetRow(3);
  SimulateTyping(grid, "z");
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  EXPECT_EQ(grid->InplaceEditor()->GetText(), "z");
}

TEST_F(GridInput, ARightClickSelectsTheCellAndReportsIt) {
  grid->MouseActions()->SetSelectOnRigthClick(true);
  std::vector<int> seen;
  grid->OnRightClickCell = [&](TObject*, int row, int col) {
    seen.push_back(col);
    seen.push_back(row);
  };
  const TPoint p = Center(3, 6);
  SimulateMouseDown(grid, mbRight, p.X, p.Y);
  SimulateMouseUp(grid, mbRight, p.X, p.Y);
  EXPECT_EQ(grid->Col(), 3);
  EXPECT_EQ(grid->Row(), 6);
  EXPECT_EQ(seen, (std::vector<int>{3, 6}));
}

TEST_F(GridInput, AClickOnAMarkUpCheckControlFlipsItsValueWhereTheCellMayBeEdited) {
  grid->MouseActions()->SetRangeSelectAndEdit(true);
  grid->SetColWidths(2, 200);
  grid->SetCells(2, 2, "<CONTROL TYPE=\"CHECK\" ID=\"seen\" VALUE=\"FALSE\" WIDTH=\"1\"> seen");
  std::vector<std::string> clicks;
  grid->OnControlClick = [&](TObject*, int, int, const AnsiString& id, const AnsiString& type, const AnsiString& value) {
    clicks.push_back(id + " " + type + " " + value);
  };
  const TRect r = grid->CellRect(2, 2);
  int hitX = -1;
  for (int x = r.Left; x < r.Left + 40 && hitX < 0; ++x) {
    ClickAt(x, (r.Top + r.Bottom) / 2);
    if (!clicks.empty()) hitX = x;
  }
  ASSERT_GE(hitX, 0);
  EXPECT_EQ(clicks.back(), "seen CHECK TRUE");
  EXPECT_NE(grid->Cells(2, 2).find("VALUE=\"TRUE\""), std::string::npos);
  grid->CellPropertiesAt(2, 2)->SetReadOnly(true);
  ClickAt(hitX, (r.Top + r.Bottom) / 2);
  EXPECT_NE(grid->Cells(2, 2).find("VALUE=\"TRUE\""), std::string::npos);
}

TEST_F(GridInput, ColumnsSizeByMouseUnlessOnColumnSizeRefuses) {
  grid->SetOptions(grid->Options() + TGridOptions{goColSizing});
  grid->SortSettings()->SetShow(true);
  bool allow = false;
  grid->OnColumnSize = [&](TObject*, int, bool& a) { a = allow; };
  const int width = grid->ColWidths(2);
  const TRect r = grid->CellRect(2, 0);
  auto drag = [&] {
    SimulateMouseDown(grid, mbLeft, r.Right, (r.Top + r.Bottom) / 2);
    SimulateMouseMove(grid, r.Right + 30, (r.Top + r.Bottom) / 2, {ssLeft});
    SimulateMouseUp(grid, mbLeft, r.Right + 30, (r.Top + r.Bottom) / 2);
  };
  const std::string before = Column(2);
  drag();
  EXPECT_EQ(grid->ColWidths(2), width);
  allow = true;
  drag();
  EXPECT_NEAR(grid->ColWidths(2), width + 30, 2);
  // Neither gesture sorted.
  EXPECT_EQ(Column(2), before);
}

TEST_F(GridInput, DraggingDownTheFixedColumnExtendsTheRowSelection) {
  grid->MouseActions()->SetRowSelect(true);
  const TPoint from = Center(0, 2);
  const TPoint to = Center(0, 5);
  SimulateMouseMove(grid, from.X, from.Y);
  EXPECT_EQ(grid->HitZone(), 2);
  SimulateMouseDown(grid, mbLeft, from.X, from.Y);
  SimulateMouseMove(grid, to.X, to.Y, {ssLeft});
  SimulateMouseUp(grid, mbLeft, to.X, to.Y);
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 2, 4, 5}));
}

TEST_F(GridInput, ClipboardKeysAskFirstAndAVetoLeavesTheClipboard) {
  grid->Navigation()->SetAllowClipboardShortCuts(true);
  Clipboard()->SetAsText("before");
  bool allow = false;
  grid->OnClipboardCopy = [&](TObject*, bool& a) { a = allow; };
  grid->SetSelection({2, 1, 3, 1});
  SimulateKey(grid, 'C', {ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "before");
  allow = true;
  SimulateKey(grid, VK_INSERT, {ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "d1\t2006");
  // Their control characters reaching the grid while Ctrl is held are no key presses.
  std::string pressed;
  grid->OnKeyPress = [&](TObject*, char& key) { pressed += IntToStr(static_cast<unsigned char>(key)) + ","; };
  SimulateKeyDown(grid, VK_SHIFT, {ssCtrl, ssShift});  // Ctrl held, nothing typed
  for (char ch : {'\x03', '\x16', '\x18', '\x02'}) grid->Perform(WM_CHAR, static_cast<unsigned char>(ch), 0);
  SimulateKeyUp(grid, VK_SHIFT);
  EXPECT_EQ(pressed, "2,");
}

TEST_F(GridInput, TheWheelScrollsTheViewWithoutMovingTheCurrentCell) {
  grid->SetRowCount(60);
  grid->MouseActions()->SetWheelAction(waScroll);
  grid->MouseActions()->SetWheelIncrement(3);
  grid->SetRow(2);
  SimulateWheel(grid, -120);
  EXPECT_EQ(grid->TopRow(), 4);
  EXPECT_EQ(grid->Row(), 2);
  SimulateWheel(grid, 240);
  EXPECT_EQ(grid->TopRow(), 1);
}

TEST_F(GridInput, TheBlinkTimerFlipsThePhase) {
  grid->SetEnableBlink(true);
  grid->SetCells(2, 2, "<BLINK>new</BLINK>");
  const bool before = grid->BlinkPhase();
  TMessage m;
  m.Msg = WM_TIMER;
  m.WParam = TExStringGrid::kHoverTimerId;
  grid->WindowProc(m);
  EXPECT_NE(grid->BlinkPhase(), before);
}

TEST_F(GridInput, TheHoverTimerRunsOnlyWhileTheMouseIsOverTheGrid) {
  grid->ScrollOptions().Hovering = true;
  EXPECT_FALSE(grid->OwnTimerRunning());
  SimulateMouseMove(grid, Center(3, 5).X, Center(3, 5).Y);
  EXPECT_TRUE(grid->OwnTimerRunning());
  grid->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(grid->OwnTimerRunning());
}

TEST_F(GridInput, TheBlinkTimerRestsWhileNothingOnScreenBlinksAndWakesWhenABlinkingCellIsPainted) {
  grid->SetEnableBlink(true);
  TMessage tick;
  tick.Msg = WM_TIMER;
  tick.WParam = TExStringGrid::kHoverTimerId;
  grid->WindowProc(tick);
  EXPECT_FALSE(grid->OwnTimerRunning()) << "no cell blinks, yet the timer keeps firing";
  grid->SetCells(2, 2, "<BLINK>new</BLINK>");
  TBitmap frame(grid->Width(), grid->Height());
  PaintControlTo(grid, frame);
  EXPECT_TRUE(grid->OwnTimerRunning());
  const bool phase = grid->BlinkPhase();
  grid->WindowProc(tick);
  EXPECT_NE(grid->BlinkPhase(), phase);
  EXPECT_TRUE(grid->OwnTimerRunning()) << "the blinking cell is still on screen";
  // A cell that no longer blinks leaves the timer nothing to do.
  grid->SetCells(2, 2, "new");
  grid->WindowProc(tick);
  EXPECT_FALSE(grid->OwnTimerRunning());
}

TEST_F(GridInput, TheKeypadDecimalKeyStartsAnEditWithTheLocalesSeparator) {
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ThousandSeparator = '.';
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->SetExcelStyleDecimalSeparator(true);
  grid->SetCol(4);
  grid->SetRow(2);
  SimulateKey(grid, VK_DECIMAL, {}, ".", true);
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  SimulateTyping(grid->InplaceEditor(), "5");
  EXPECT_EQ(grid->InplaceEditor()->GetText(), ",5");
  SimulateKey(grid->InplaceEditor(), VK_ESCAPE);
  ASSERT_FALSE(grid->EditorMode());
  // The main full stop stays a full stop; without the switch the keypad's too.
  SimulateKey(grid, VK_OEM_PERIOD, {}, ".");
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  EXPECT_EQ(grid->InplaceEditor()->GetText(), ".");
  SimulateKey(grid->InplaceEditor(), VK_ESCAPE);
  grid->SetExcelStyleDecimalSeparator(false);
  SimulateKey(grid, VK_DECIMAL, {}, ".", true);
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  EXPECT_EQ(grid->InplaceEditor()->GetText(), ".");
}

namespace {
// A control inside the grid that answers its mnemonic.
struct MnemonicProbe : TEdit {
  using TEdit::TEdit;
  int seen = 0;
  void CMDialogChar(TMessage& m) override {
    ++seen;
    m.Result = 1;
  }
};
}  // namespace

TEST_F(GridInput, DialogCharactersReachControlsInTheGridOnlyWithAlt) {
  auto* probe = new MnemonicProbe(shown.form);
  probe->SetParent(grid);
  TMessage typed{CM_DIALOGCHAR, 'a', 0, 0};
  grid->WindowProc(typed);
  EXPECT_EQ(probe->seen, 0);
  EXPECT_EQ(typed.Result, 0);
  TMessage withAlt{CM_DIALOGCHAR, 'a', LPARAM(1) << 29, 0};
  grid->WindowProc(withAlt);
  EXPECT_EQ(probe->seen, 1);
}

TEST_F(GridInput, TabInsideTheEditorMovesOnToTheNextCell) {
  grid->SetOptions(grid->Options() + TGridOptions{goEditing, goTabs});
  grid->SetCol(2);
  grid->SetRow(3);
  SimulateKey(grid, VK_F2);
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  SimulateKey(grid->InplaceEditor(), VK_TAB);
  EXPECT_EQ(grid->Col(), 3);
  EXPECT_EQ(grid->Row(), 3);
}

TEST_F(GridInput, ArrowsAndEndStepOverHiddenRowsToTheLastShownRow) {
  grid->HideRows(3, 4);
  grid->Navigation()->SetHomeEndKey(heFirstLastRow);
  grid->SetRow(2);
  SimulateKey(grid, VK_DOWN);
  EXPECT_EQ(grid->Cells(1, grid->Row()), "기생충"_k);
  SimulateKey(grid, VK_END);
  EXPECT_EQ(grid->Row(), grid->RowCount() - 1);
  EXPECT_EQ(grid->Cells(1, grid->Row()), "시"_k);
}

TEST_F(GridInput, TheFixedColumnSizesByItsBorderButNeverBelowOnePixel) {
  grid->MouseActions()->SetSizeFixedCol(true);
  grid->SortSettings()->SetShow(true);
  std::vector<int> ended;
  grid->OnEndColumnSize = [&](TObject*, int col) { ended.push_back(col); };
  const int border = grid->ColWidths(0);
  const int y = Center(0, 3).Y;
  SimulateMouseDown(grid, mbLeft, border, y);
  SimulateMouseMove(grid, border + 25, y, {ssLeft});
  SimulateMouseUp(grid, mbLeft, border + 25, y);
  EXPECT_EQ(grid->ColWidths(0), border + 25);
  const int now = grid->ColWidths(0);
  SimulateMouseDown(grid, mbLeft, now, y);
  SimulateMouseMove(grid, -80, y, {ssLeft});
  SimulateMouseUp(grid, mbLeft, -80, y);
  EXPECT_EQ(grid->ColWidths(0), 1);
  EXPECT_EQ(ended, (std::vector<int>{0, 0}));
  EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridInput, WithAlwaysEditTheFocusOpensTheEditorButNotOnACheckBox) {
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->Navigation()->SetAlwaysEdit(true);
  grid->CreateCellGraphic(3, 2)->SetCellType(ctCheckBox);
  grid->SetCol(3);
  grid->SetRow(2);
  next->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return next->Focused(); }));
  grid->SetFocus();
  PumpFor(20);
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  grid->SetCol(2);
  next->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return next->Focused(); }));
  grid->SetFocus();
  EXPECT_TRUE(PumpUntil([&] { return grid->InplaceEditor() && grid->InplaceEditor()->Visible(); }));
}

TEST_F(GridInput, AnEditControlInMarkUpIsEditedInPlaceAndWrittenBackOnEnter) {
  grid->MouseActions()->SetRangeSelectAndEdit(true);
  grid->SetColWidths(2, 220);
  grid->SetRowHeights(3, 30);
  grid->SetCells(2, 3, "메모 <CONTROL TYPE=\"EDIT\" ID=\"note\" VALUE=\"old\" WIDTH=\"80\">"_k);
  std::vector<std::string> done;
  grid->OnControlEditDone = [&](TObject*, int row, int col, const AnsiString& id, const AnsiString& type,
                                const AnsiString& value) {
    done.push_back(std::to_string(col) + std::to_string(row) + " " + id + " " + type + " " + value);
  };
  grid->SetCol(2);
  grid->SetRow(3);
  SimulateKey(grid, VK_F2);
  ASSERT_TRUE(grid->HtmlControlEdit() && grid->HtmlControlEdit()->Visible());
  EXPECT_EQ(grid->HtmlControlEdit()->GetText(), "old");
  grid->HtmlControlEdit()->SetText("새 메모 \"quoted\""_k);
  SimulateKey(grid->HtmlControlEdit(), VK_RETURN);
  EXPECT_FALSE(grid->HtmlControlEdit()->Visible());
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0], "23 note EDIT " + std::string("새 메모 \"quoted\""_k));
  // The value reads back whole from the cell's mark-up.
  THtmlControl control = ParseControlTag(grid->Cells(2, 3).substr(grid->Cells(2, 3).find("<CONTROL")));
  EXPECT_EQ(control.Value, "새 메모 \"quoted\""_k);
  SimulateKey(grid, VK_F2);
  ASSERT_TRUE(grid->HtmlControlEdit()->Visible());
  grid->HtmlControlEdit()->SetText("dropped");
  SimulateKey(grid->HtmlControlEdit(), VK_ESCAPE);
  EXPECT_EQ(ParseControlTag(grid->Cells(2, 3).substr(grid->Cells(2, 3).find("<CONTROL"))).Value, "새 메모 \"quoted\""_k);
}

TEST_F(GridInput, AnchorHintsAndCommentsGiveTheirOwnHints) {
  grid->SetAnchorHint(true);
  grid->SetColWidths(2, 200);
  grid->SetCells(2, 2, "<A href=\"https://example.org/a\">link</A> text");
  grid->OnAnchorHint = [](TObject*, int, int, AnsiString& anchor) { anchor = "go to " + anchor; };
  auto hintAt = [&](TPoint p) {
    THintInfo info;
    info.HintControl = grid;
    info.CursorPos = p;
    TMessage m;
    m.Msg = CM_HINTSHOW;
    m.LParam = reinterpret_cast<LPARAM>(&info);
    grid->WindowProc(m);
    return m.Result == 0 ? info.HintStr : AnsiString();
  };
  const TRect r = grid->CellRect(2, 2);
  EXPECT_EQ(hintAt({r.Left + 8, (r.Top + r.Bottom) / 2}), "go to https://example.org/a");
  EXPECT_EQ(hintAt(Center(3, 5)), "");
}

TEST_F(GridInput, ControlsPlacedInCellsFollowScrollingAndSizing) {
  grid->SetRowCount(60);
  auto* edit = new TEdit(shown.form);
  edit->SetParent(grid);
  grid->CellControls()->Add(2, 6, edit);
  grid->RepositionCellControls();
  ASSERT_TRUE(edit->Visible());
  EXPECT_EQ(edit->Top(), grid->CellRect(2, 6).Top);
  grid->SetTopRow(20);
  EXPECT_TRUE(PumpUntil([&] { return !edit->Visible(); }));
  grid->SetTopRow(2);
  EXPECT_TRUE(PumpUntil([&] { return edit->Visible(); }));
  EXPECT_EQ(edit->Top(), grid->CellRect(2, 6).Top);
  grid->SetColWidths(1, grid->ColWidths(1) + 40);
  EXPECT_TRUE(PumpUntil([&] { return edit->Left() == grid->CellRect(2, 6).Left; }));
  grid->SetRowHeights(3, 50);
  EXPECT_TRUE(PumpUntil([&] { return edit->Top() == grid->CellRect(2, 6).Top; }));
}

TEST_F(GridInput, TheFooterPanelFollowsTheRowAndItsCellsAndNewLooksShowAtOnce) {
  grid->FloatingFooter()->SetVisible(true);
  grid->FloatingFooter()->SetFooterStyle(fsCustomPreview);
  TFooterPanel* panel = grid->FooterPanel();
  ASSERT_TRUE(PumpUntil([&] { return WindowShowing(panel); }));
  EXPECT_EQ(PaintsAfter(panel, [] {}), 0);
  EXPECT_GT(PaintsAfter(panel, [&] { SimulateKey(grid, VK_DOWN); }), 0);
  EXPECT_GT(PaintsAfter(panel, [&] { grid->ClearRows(grid->Row(), 1); }), 0);
  grid->FloatingFooter()->SetFooterStyle(fsFixedLastRow);
  EXPECT_GT(PaintsAfter(panel, [&] { grid->SetCells(3, grid->RowCount() - 1, "9"); }), 0);
  EXPECT_GT(PaintsAfter(grid, [&] { grid->RowIndicator()->SetSize(9, 9); }), 0);
  EXPECT_GT(PaintsAfter(grid, [&] { grid->ControlLook()->SetCommentColor(clBlue); }), 0);
}

TEST(PanGlyph, ArrowsPointOnlyAlongTheAxesThePanFollows) {
  TRecordingCanvas canvas;
  const TPoint origin{40, 60};
  auto arrows = [&](TIntelliPan mode) {
    canvas.Clear();
    DrawPanGlyph(canvas, origin, mode);
    return canvas.CallsOf(coPolygon);
  };
  const TRect area = PanGlyphRect(origin);
  const auto vertical = arrows(ipVertical);
  ASSERT_EQ(vertical.size(), 2u);
  for (const TCanvasCall& call : vertical) {
    ASSERT_EQ(call.Points.size(), 3u);
    for (const TPoint& p : call.Points) EXPECT_TRUE(PtInRect(area, p));
    EXPECT_EQ(call.Points[0].X, origin.X + kPanGlyphSize / 2 - 1);  // the tip is straight above or below
  }
  const auto horizontal = arrows(ipHorizontal);
  ASSERT_EQ(horizontal.size(), 2u);
  for (const TCanvasCall& call : horizontal) EXPECT_EQ(call.Points[0].Y, origin.Y + kPanGlyphSize / 2 - 1);
  EXPECT_EQ(arrows(ipBoth).size(), 4u);
  EXPECT_TRUE(arrows(ipNone).empty());
  EXPECT_TRUE(canvas.Calls().empty());
}
