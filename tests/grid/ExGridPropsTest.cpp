// The string grid's published looks and links: setters repaint once and
// not inside an update bracket, the height snaps to whole rows, the editor
// limit reaches the editor, linked components are forgotten when freed,
// the version text, and floats of hidden rows.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/InputSimulation.h"

namespace {

class TCountingGrid : public TExStringGrid {
 public:
  using TExStringGrid::TExStringGrid;
  int invalidations = 0;
  void Invalidate() override {
    ++invalidations;
    TExStringGrid::Invalidate();
  }
  // Repaints caused by fn alone.
  int RepaintsOf(const std::function<void()>& fn) {
    invalidations = 0;
    fn();
    return invalidations;
  }
  using TExStringGrid::BorderStyle;
};

bool PumpUntil(const std::function<bool()>& done) {
  const auto start = std::chrono::steady_clock::now();
  while (!done()) {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(2)) return false;
    Application->ProcessMessages();
  }
  return true;
}

// ---------------------------------------------------------------- repainting setters

TEST(ExGridLooks, EachChangeRepaintsOnceAndAnUnchangedValueNotAtAll) {
  TCountingGrid grid(nullptr);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetSelectionRectangle(true); }), 1);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetSelectionRectangle(true); }), 0);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetSelectionResizer(true); }), 1);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetShowSelection(false); }), 1);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetSelectionColor(0x123456); }), 1);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetSelectionTextColor(0xFFFFFF); }), 1);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetFlat(true); }), 1);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetVAlignment(vtaBottom); }), 1);
  EXPECT_EQ(grid.VAlignFlag(), static_cast<unsigned>(DT_BOTTOM));
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetVAlignment(vtaCenter); }), 1);
  EXPECT_EQ(grid.VAlignFlag(), static_cast<unsigned>(DT_VCENTER));
  grid.SetVAlignment(vtaTop);
  EXPECT_EQ(grid.VAlignFlag(), 0u);
  EXPECT_TRUE(grid.SelectionRectangle());
  EXPECT_TRUE(grid.SelectionResizer());
  EXPECT_TRUE(grid.Flat());
}

TEST(ExGridLooks, UrlColourAndFullUrlsRepaintOnlyWhileUrlsAreShown) {
  TCountingGrid grid(nullptr);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetURLColor(0x00FF00); }), 0);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetURLFull(true); }), 0);
  EXPECT_EQ(grid.URLColor(), 0x00FF00);
  EXPECT_TRUE(grid.URLFull());
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetURLShow(true); }), 1);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetURLColor(0x0000FF); }), 1);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetURLFull(false); }), 1);
}

TEST(ExGridLooks, FontsRepaintWhenChangedThroughTheGridOrTheirOwnObject) {
  TCountingGrid grid(nullptr);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.FixedFont()->SetSize(14); }), 1);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.ActiveCellFont()->SetColor(clRed); }), 1);
  TFont font;
  font.SetName("Arial");
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetFixedFont(font); }), 1);
  EXPECT_EQ(grid.FixedFont()->Name(), "Arial");
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetActiveCellFont(font); }), 1);
  EXPECT_EQ(grid.ActiveCellFont()->Name(), "Arial");
}

TEST(ExGridLooks, InsideAnUpdateBracketNothingRepaintsUntilTheBracketEndsOnce) {
  TCountingGrid grid(nullptr);
  grid.BeginUpdate();
  grid.BeginUpdate();
  const int inside = grid.RepaintsOf([&] {
    grid.SetSelectionRectangle(true);
    grid.SetURLShow(true);
    grid.SetURLColor(0x00FF00);
    grid.SetWordWrap(false);
    grid.SetVAlignment(vtaBottom);
    grid.FixedFont()->SetSize(13);
    grid.ActiveCellFont()->SetSize(13);
    grid.SetLook(glClassic);
    grid.SetFixedFooters(1);
    grid.SetFixedRightCols(1);
    grid.EndUpdate();
  });
  EXPECT_EQ(inside, 0);
  EXPECT_EQ(grid.RepaintsOf([&] { grid.EndUpdate(); }), 1);
  EXPECT_EQ(grid.UpdateCount(), 0);
  // The values were stored all the same.
  EXPECT_TRUE(grid.URLShow());
  EXPECT_FALSE(grid.WordWrap());
  EXPECT_EQ(grid.VAlignFlag(), static_cast<unsigned>(DT_BOTTOM));
}

TEST(ExGridLooks, AFlatLookSetWhileLoadingWaitsForTheFirstPaint) {
  TCountingGrid grid(nullptr);
  grid.BeginLoad();
  EXPECT_EQ(grid.RepaintsOf([&] { grid.SetFlat(true); }), 0);
  grid.EndLoad();
  EXPECT_TRUE(grid.Flat());
}

TEST(ExGridLooks, ScrollBarSettingsAreKept) {
  TExStringGrid grid(nullptr);
  EXPECT_EQ(grid.ScrollType(), ssNormal);
  EXPECT_EQ(grid.ScrollColor(), clNone);
  EXPECT_EQ(grid.ScrollWidth(), GetSystemMetrics(SM_CXVSCROLL));
  grid.SetScrollType(ssEncarta);
  grid.SetScrollColor(clRed);
  grid.SetScrollWidth(9);
  EXPECT_EQ(grid.ScrollType(), ssEncarta);
  EXPECT_EQ(grid.ScrollColor(), clRed);
  EXPECT_EQ(grid.ScrollWidth(), 9);
}

// ---------------------------------------------------------------- integral height

TEST(ExGridIntegralHeight, TheHeightSnapsToWholeRowsInsideTheBorder) {
  TCountingGrid grid(nullptr);
  grid.SetColCount(2);
  grid.SetRowCount(20);
  ASSERT_EQ(grid.BorderStyle(), bsSingle);
  ASSERT_EQ(grid.DefaultRowHeight(), 21);
  grid.SetBounds(0, 0, 300, 100);
  EXPECT_EQ(grid.Height(), 100);  // off: the height is taken as asked

  grid.SetIntegralHeight(true);
  // 100 less one border width leaves 98: four rows of 21, then both borders.
  EXPECT_EQ(grid.Height(), 4 * 21 + 2 * 2);
  grid.SetBounds(0, 0, 300, 200);
  EXPECT_EQ(grid.Height(), 9 * 21 + 4);
  // Snapping is stable: the snapped height stays as it is.
  grid.SetBounds(0, 0, 300, grid.Height());
  EXPECT_EQ(grid.Height(), 9 * 21 + 4);

  grid.SetBorderStyle(bsNone);
  grid.SetBounds(0, 0, 300, 100);
  EXPECT_EQ(grid.Height(), 4 * 21);
}

TEST(ExGridIntegralHeight, AHorizontalScrollBarIsAddedWhenColumnsDoNotFit) {
  TExStringGrid grid(nullptr);
  grid.SetBorderStyle(bsNone);
  grid.SetColCount(2);
  grid.SetRowCount(20);
  grid.SetIntegralHeight(true);
  grid.SetBounds(0, 0, 300, 100);
  EXPECT_EQ(grid.Height(), 4 * 21);

  // More columns than the width shows: the bar's height is kept below the rows.
  grid.SetColCount(30);
  const int bar = GetSystemMetrics(SM_CYHSCROLL);
  const int rows = 84 - bar;
  EXPECT_EQ(grid.Height(), bar + (rows - rows % 21));
}

TEST(ExGridIntegralHeight, NoSnappingInsideAnUpdateBracketOrWithoutRowHeight) {
  TExStringGrid grid(nullptr);
  grid.SetColCount(2);
  grid.SetIntegralHeight(true);
  grid.BeginUpdate();
  grid.SetBounds(0, 0, 300, 100);
  EXPECT_EQ(grid.Height(), 100);
  grid.EndUpdate();
  grid.SetDefaultRowHeight(0);
  grid.SetBounds(0, 0, 300, 97);
  EXPECT_EQ(grid.Height(), 97);
}

// ---------------------------------------------------------------- editing

TEST(ExGridEditing, TheEditLimitReachesTheEditorAndCutsTyping) {
  TForm* form = new TForm(nullptr);
  form->SetBounds(10, 10, 400, 300);
  auto* grid = new TExStringGrid(form);
  grid->SetParent(form);
  grid->SetBounds(0, 0, 380, 280);
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->SetMaxEditLength(3);
  form->Show();
  grid->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return grid->Focused(); }));
  grid->SetCol(1);
  grid->SetRow(1);
  grid->ShowEditor();
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  EXPECT_EQ(grid->InplaceEditor()->MaxLength(), 3);
  ASSERT_TRUE(PumpUntil([&] { return grid->InplaceEditor()->Focused(); }));
  SimulateTyping(grid->InplaceEditor(), "abcdef");
  EXPECT_EQ(grid->Cells(1, 1), "abc");

  // A limit set while the editor is open applies at once.
  grid->SetMaxEditLength(10);
  EXPECT_EQ(grid->InplaceEditor()->MaxLength(), 10);
  grid->SetMaxEditLength(-5);
  EXPECT_EQ(grid->MaxEditLength(), 0);
  delete form;
}

TEST(ExGridEditing, LookupItemsAreCopiedAndANilListLeavesThem) {
  TExStringGrid grid(nullptr);
  TStringList items;
  items.Add("Alien");
  items.Add("Amadeus");
  grid.SetLookupItems(&items);
  items.Clear();
  ASSERT_EQ(grid.LookupItems()->Count(), 2);
  EXPECT_EQ(grid.LookupItems()->Strings(1), "Amadeus");
  grid.SetLookupItems(nullptr);
  EXPECT_EQ(grid.LookupItems()->Count(), 2);
}

// ---------------------------------------------------------------- linked components

TEST(ExGridLinks, AFreedCheckerOrImageListIsForgottenByTheGrid) {
  TCountingGrid grid(nullptr);
  auto* checker = new TExStringGridCheck(nullptr);
  auto* images = new TCustomImageList(nullptr);
  grid.SetCellChecker(checker);
  grid.SetGridImages(images);
  EXPECT_EQ(grid.CellChecker(), checker);
  EXPECT_EQ(grid.GridImages(), images);

  delete checker;
  EXPECT_EQ(grid.CellChecker(), nullptr);
  EXPECT_EQ(grid.RepaintsOf([&] { delete images; }), 1);
  EXPECT_EQ(grid.GridImages(), nullptr);
}

TEST(ExGridLinks, ReplacedOrOutlivedComponentsDoNotReachBackIntoTheGrid) {
  auto* first = new TExStringGridCheck(nullptr);
  auto* second = new TExStringGridCheck(nullptr);
  {
    TExStringGrid grid(nullptr);
    grid.SetCellChecker(first);
    grid.SetCellChecker(second);
    delete first;  // no longer linked: the grid keeps the second one
    EXPECT_EQ(grid.CellChecker(), second);
  }
  // The grid went first; freeing the checker must not notify it.
  delete second;

  // A checker owned by the grid goes with it.
  auto* grid = new TExStringGrid(nullptr);
  grid->SetCellChecker(new TExStringGridCheck(grid));
  delete grid;
}

// ---------------------------------------------------------------- version

TEST(ExGridVersion, TheVersionReadsFourPartsAndADateAndCannotBeWritten) {
  TExStringGrid grid(nullptr);
  EXPECT_EQ(grid.Version(), "2.8.8.3 May, 2005");
  grid.SetVersion("9.9.9.9");
  EXPECT_EQ(grid.Version(), "2.8.8.3 May, 2005");
  EXPECT_EQ(grid.GetVersionNr(), 0x02080803u);

  // The column grid has its own number and date.
  TExColumnGrid columnGrid(nullptr);
  EXPECT_EQ(columnGrid.Version(), "2.8.8.1 April, 2005");
  const TExStringGrid& asStringGrid = columnGrid;
  EXPECT_EQ(asStringGrid.GetVersionNr(), 0x02080801u);
}

// ---------------------------------------------------------------- floats of hidden rows

TEST(ExGridHiddenFloats, FloatsOfAHiddenRowComeFromItsKeptTexts) {
  TExStringGrid grid(nullptr);
  grid.SetColCount(3);
  grid.SetRowCount(6);
  grid.SetCells(1, 1, "1,234.50");
  grid.SetCells(1, 2, "(12.5)");
  grid.SetCells(1, 3, "-");
  grid.SetCells(1, 4, "1.2.3");
  grid.SetCells(1, 5, "7");
  grid.HideRows(2, 4);
  ASSERT_TRUE(grid.IsRowHidden(2));
  ASSERT_EQ(grid.RowCount(), 3);

  EXPECT_DOUBLE_EQ(grid.AllFloats(1, 1), 1234.5);
  EXPECT_DOUBLE_EQ(grid.AllFloats(1, 2), -12.5);
  EXPECT_DOUBLE_EQ(grid.AllFloats(1, 3), 0);
  // Real row 5 is shown as display row 2.
  EXPECT_DOUBLE_EQ(grid.AllFloats(1, 5), 7);
  try {
    grid.AllFloats(1, 4);
    ADD_FAILURE() << "a text that is no number must raise";
  } catch (const EExGridError& e) {
    EXPECT_STREQ(e.what(), "Cell does not contain a float value");
  }
  // Reading changed nothing: the rows come back with their texts.
  grid.ShowAllRows();
  EXPECT_EQ(grid.Cells(1, 2), "(12.5)");
  EXPECT_EQ(grid.Cells(1, 4), "1.2.3");
}

// ---------------------------------------------------------------- selection with only fixed rows

TEST(ExGridFixedRowAlways, ASelectionHiddenWhileOnlyTheFixedRowWasLeftComesBackWithRows) {
  TExStringGrid grid(nullptr);
  grid.SetFixedRowAlways(true);
  grid.SetColCount(3);
  grid.SetRowCount(1);
  grid.HideSelection();
  ASSERT_TRUE(grid.SelectionHidden());
  grid.SetRowCount(4);
  EXPECT_FALSE(grid.SelectionHidden());
  // On a data row, not on the header the empty grid had left.
  EXPECT_EQ(grid.FixedRows(), 1);
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.Selection().Top, 1);
}

}  // namespace
