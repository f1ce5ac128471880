// Grid options and sizing as a user meets them: the defaults, stretching
// and fitting a 42-column catalogue, column widths that follow the window
// (also when it is minimised), mouse sizing of all columns at once, the
// grid growing with its form, styled and proportional scroll bars, and
// column widths kept in the INI file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "../vcl/VclTestSupport.h"
#include "grid/ExGrid.h"
#include "platform/rtl/IniFiles.h"
#include "platform/vcl/ScrollBarStyle.h"

namespace {

TExStringGrid* PutGrid(TForm* form, int cols, int rows, int width = 400, int height = 200) {
  auto* grid = new TExStringGrid(form);
  grid->SetParent(form);
  grid->SetColCount(cols);
  grid->SetRowCount(rows);
  grid->SetBounds(0, 0, width, height);
  return grid;
}

TEST(GridOptions, DefaultsAreThoseTheFormsExpect) {
  TExStringGrid grid(nullptr);
  const TNavigation* nav = grid.Navigation();
  EXPECT_FALSE(nav->AllowInsertRow());
  EXPECT_FALSE(nav->AllowDeleteRow());
  EXPECT_TRUE(nav->SkipFixedCells());
  EXPECT_EQ(nav->TabAdvanceDirection(), adLeftRight);
  EXPECT_EQ(nav->InsertPosition(), pInsertBefore);
  EXPECT_EQ(nav->HomeEndKey(), heFirstLastColumn);
  const TMouseActions* mouse = grid.MouseActions();
  EXPECT_FALSE(mouse->AllColumnSize());
  EXPECT_EQ(mouse->FixedRowsEdit(), fceNone);
  EXPECT_EQ(mouse->WheelAction(), waMoveSelection);
  EXPECT_EQ(mouse->WheelIncrement(), 0);
  TColumnSize* size = grid.ColumnSize();
  EXPECT_FALSE(size->Save());
  EXPECT_FALSE(size->Stretch());
  EXPECT_EQ(size->StretchColumn(), -1);
  EXPECT_EQ(size->Location(), clRegistry);
  EXPECT_EQ(grid.PrintSettings()->PageNumSep(), "/");
  EXPECT_EQ(grid.PrintSettings()->DateFormat(), "dd/mm/yyyy");
  EXPECT_TRUE(grid.PrintSettings()->Centered());
  EXPECT_TRUE(grid.HTMLSettings()->SaveColor());
  EXPECT_EQ(grid.HTMLSettings()->BorderSize(), 1);
  EXPECT_EQ(grid.HTMLSettings()->Width(), 100);
  EXPECT_EQ(grid.SizeLimits().MinColWidth, 10);
  EXPECT_EQ(grid.SizeLimits().CellMarginX, 2);
  EXPECT_EQ(grid.ScrollOptions().IntelliPan, ipVertical);
  EXPECT_EQ(grid.ScrollOptions().ScrollHints, shNone);
  EXPECT_FALSE(grid.SizeWithForm());
  EXPECT_FALSE(grid.ScrollProportional());
  EXPECT_EQ(grid.ScrollType(), ssNormal);
}

TEST(GridSizing, StretchFillsTheClientAndRefusesAColumnPastTheGrid) {
  ShownForm form;
  TExStringGrid* grid = PutGrid(form.form, 4, 5);
  for (int c = 0; c < 4; ++c) grid->SetColWidths(c, 50);
  grid->ColumnSize()->SetStretch(true);  // the last column
  const int client = grid->ClientWidth();
  EXPECT_EQ(grid->ColWidths(3), client - 150 - 1);
  grid->SetBounds(0, 0, 300, 200);
  EXPECT_EQ(grid->ColWidths(3), grid->ClientWidth() - 150 - 1);
  grid->ColumnSize()->SetStretchColumn(1);
  EXPECT_EQ(grid->ColWidths(1), grid->ClientWidth() - grid->ColWidths(0) - grid->ColWidths(2) - grid->ColWidths(3) - 1);
  EXPECT_THROW(grid->StretchToClient(4), EExGridError);
  try {
    grid->StretchToClient(9);
  } catch (const EExGridError& e) {
    EXPECT_EQ(e.Message(), "Stretch column index out of range");
  }
  // Minimised: the widths stay as they were.
  const int before = grid->ColWidths(1);
  grid->SetBounds(0, 0, 0, 0);
  EXPECT_EQ(grid->ColWidths(1), before);
  EXPECT_GE(grid->ColWidths(0), 1);
}

TEST(GridSizing, OtherColumnsWiderThanTheClientGiveTheDefaultWidthOnlyWhenScrolledLeft) {
  ShownForm form;
  TExStringGrid* grid = PutGrid(form.form, 6, 5, 300);
  grid->SetFixedCols(1);
  for (int c = 0; c < 6; ++c) grid->SetColWidths(c, 120);
  grid->ColumnSize()->SetStretch(true);
  EXPECT_EQ(grid->ColWidths(5), grid->DefaultColWidth());
  grid->ColumnSize()->SetStretch(false);
  grid->SetColWidths(5, 33);
  grid->SetLeftCol(3);
  grid->ColumnSize()->SetStretch(true);
  EXPECT_EQ(grid->ColWidths(5), 33);
}

TEST(GridSizing, ColumnsFollowTheGridWidthAndSurviveMinimising) {
  ShownForm form;
  TExStringGrid* grid = PutGrid(form.form, 3, 5, 400);
  grid->ColumnSize()->SetSynchWithGrid(true);
  grid->SetColWidths(0, 50);
  grid->SetColWidths(1, 100);
  grid->SetBounds(0, 0, 400, 200);
  const int client400 = grid->ClientWidth();
  grid->SetBounds(0, 0, 400 + (client400 * 3 / 2 - client400), 200);  // client 1.5 times as wide
  EXPECT_NEAR(grid->ColWidths(0), 75, 1);
  EXPECT_NEAR(grid->ColWidths(1), 150, 1);
  const int w0 = grid->ColWidths(0), w1 = grid->ColWidths(1);
  grid->SetBounds(0, 0, 0, 0);  // minimised
  EXPECT_EQ(grid->ColWidths(0), w0);
  EXPECT_EQ(grid->ColWidths(1), w1);
  grid->SetBounds(0, 0, 400 + (client400 * 3 / 2 - client400), 200);  // restored
  EXPECT_EQ(grid->ColWidths(0), w0);
  EXPECT_EQ(grid->ColWidths(1), w1);
}

TEST(GridSizing, SizingOneColumnByMouseScalesTheOthers) {
  ShownForm form;
  TExStringGrid* grid = PutGrid(form.form, 4, 5, 600);
  TGridOptions options = grid->Options();
  options.insert(goColSizing);
  grid->SetOptions(options);
  grid->SetFixedCols(0);
  grid->MouseActions()->SetAllColumnSize(true);
  grid->SetColWidths(0, 100);
  grid->SetColWidths(1, 80);
  grid->SetColWidths(2, 60);
  int ended = -1;
  grid->OnEndColumnSize = [&](TObject*, int col) { ended = col; };
  const int border = grid->ColWidths(0);  // the line right of column 0
  const int y = 5;                        // in the fixed row
  SimulateMouseDown(grid, mbLeft, border, y);
  SimulateMouseMove(grid, border + 50, y, TShiftState{ssLeft});
  SimulateMouseUp(grid, mbLeft, border + 50, y);
  EXPECT_EQ(grid->ColWidths(0), 150);
  EXPECT_EQ(grid->ColWidths(1), 120);
  EXPECT_EQ(grid->ColWidths(2), 90);
  EXPECT_EQ(ended, 0);
  // A width set in code afterwards scales nothing.
  grid->SetColWidths(0, 10);
  EXPECT_EQ(grid->ColWidths(1), 120);
}

TEST(GridSizing, FittingACatalogueOf42Columns) {
  ShownForm form;
  TExStringGrid* grid = PutGrid(form.form, 42, 30, 380);
  for (int c = 0; c < 42; ++c) {
    grid->SetCells(c, 0, "Header " + IntToStr(c));
    for (int r = 1; r < 30; ++r) grid->SetCells(c, r, c % 7 == 0 ? AnsiString("") : AnsiString(c * 2, 'W'));
  }
  grid->SetCells(5, 3, "<B>a much longer bold title, longer than any other</B>");
  grid->FitColumnsToContents(true, 0);
  for (int c = 0; c < 42; ++c) EXPECT_GE(grid->ColWidths(c), 10) << c;
  EXPECT_GT(grid->ColWidths(41), grid->ColWidths(1));  // longer texts, wider columns
  EXPECT_GT(grid->ColWidths(5), grid->ColWidths(6));   // the mark-up cell counts its drawn text
  // The only-grow switch keeps a column wider than its contents.
  grid->SetColWidths(2, 500);
  grid->SizeLimits().OnlyGrow = true;
  grid->FitColumnToContents(2);
  EXPECT_EQ(grid->ColWidths(2), 500);
  grid->SizeLimits().OnlyGrow = false;
  grid->SizeLimits().MaxColWidth = 40;
  grid->FitColumnToContents(41);
  EXPECT_EQ(grid->ColWidths(41), 40);
  // Padding adds to the fitted widths; stretching then fills the client.
  grid->SizeLimits().MaxColWidth = 0;
  grid->ColumnSize()->SetStretch(true);
  grid->FitColumnsToContents(false, 4);
  int total = 0;
  for (int c = 0; c < 42; ++c) total += grid->ColWidths(c);
  EXPECT_GE(total, grid->ClientWidth() - 1);
  // Rows: a cell of two lines needs a taller row.
  grid->SetCells(1, 4, "one\r\ntwo");
  grid->FitRowToContents(4);
  EXPECT_GT(grid->RowHeights(4), grid->RowHeights(5) - 1);
  EXPECT_EQ(grid->RowLineCount(4), 2);
  grid->FitRowToLines(6, 3, 2);
  EXPECT_GT(grid->RowHeights(6), grid->DefaultRowHeight() - 1);
  grid->FitRowToLines(6, 1000000000, 5);  // huge requests stay within what the grid file stores
  EXPECT_EQ(grid->RowHeights(6), kMaxCellExtent);
  grid->SetCells(3, 7, AnsiString(6000, 'W'));
  grid->FitColumnToContents(3);
  EXPECT_EQ(grid->ColWidths(3), kMaxCellExtent);
}

TEST(GridSizing, TheGridGrowsWithItsFormAndLetsGoOfIt) {
  auto* form = new TForm(nullptr);
  form->SetBounds(10, 10, 400, 300);
  form->Show();
  int previousCalls = 0;
  form->OnResize = [&](TObject*) { ++previousCalls; };
  auto* grid = PutGrid(form, 3, 3, 200, 100);
  grid->SetSizeWithForm(true);
  form->SetBounds(10, 10, 450, 330);
  PumpUntil([&] { return grid->Width() == 250; });
  EXPECT_EQ(grid->Width(), 250);
  EXPECT_EQ(grid->Height(), 130);
  EXPECT_GE(previousCalls, 1);
  // The grid goes first: the form keeps its own handler and no dangling link.
  delete grid;
  const int calls = previousCalls;
  form->SetBounds(10, 10, 500, 360);
  PumpUntil([&] { return previousCalls > calls; });
  EXPECT_GT(previousCalls, calls);
  delete form;

  // The form goes first, taking its grid with it.
  auto* other = new TForm(nullptr);
  other->Show();
  PutGrid(other, 2, 2)->SetSizeWithForm(true);
  delete other;
}

TEST(GridScrollBars, FlatAndProportionalBars) {
  ShownForm form;
  TExStringGrid* grid = PutGrid(form.form, 30, 40, 300, 150);
  grid->SetScrollType(ssFlat);
  EXPECT_EQ(ScrollBarLookOf(grid->Handle()), sblFlat);
  grid->SetScrollType(ssEncarta);
  EXPECT_EQ(ScrollBarLookOf(grid->Handle()), sblEncarta);
  grid->SetScrollType(ssNormal);
  EXPECT_EQ(ScrollBarLookOf(grid->Handle()), sblRegular);

  grid->SetScrollProportional(true);
  TScrollInfo info;
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(grid->Handle(), SB_HORZ, info));
  EXPECT_EQ(info.nMax, static_cast<int>(info.nPage) + 126);
  grid->SetLeftCol(10);
  info.fMask = SIF_ALL;
  GetScrollInfo(grid->Handle(), SB_HORZ, info);
  EXPECT_GT(info.nPos, 0);
  EXPECT_LE(info.nPos, 128);
  // Dragging the thumb to the end shows the last columns.
  ASSERT_TRUE(SimulateScroll(grid, SB_HORZ, SB_THUMBTRACK, 127));
  EXPECT_GT(grid->LeftCol(), 10);

  // Nothing to scroll: no division by nothing, the bar keeps the grid's scale.
  grid->SetColCount(1);
  grid->SetFixedCols(0);
  grid->SetColWidths(0, 20);
  grid->UpdateScrollBarLooks();
  grid->SetScrollProportional(false);
  EXPECT_FALSE(grid->ScrollProportional());
}

TEST(GridColumnWidths, SavedToTheIniFileAndCheckedWhenRead) {
  const AnsiString dir = AnsiString(::testing::TempDir()) + "vidrena_sizing";
  ForceDirectories(dir);
  const AnsiString oldAppDir = AppDir();
  SetAppDir(dir);
  DeleteFile(dir + "/widths.ini");
  {
    ShownForm form;
    TExStringGrid* grid = PutGrid(form.form, 4, 3);
    grid->ColumnSize()->SetKey("widths.ini");
    grid->ColumnSize()->SetSection("Catalogue");
    grid->ColumnSize()->SetSave(true);
    grid->SetColWidths(1, 77);
    grid->SetColWidths(2, 33);
    EXPECT_EQ(grid->ColumnSizeFile(), dir + "/widths.ini");
  }  // the grid writes its widths as it goes
  {
    TIniFile ini(dir + "/widths.ini");
    EXPECT_EQ(ini.ReadInteger("Catalogue", "Col1", 0), 77);
    ini.WriteString("Catalogue", "Col0", "-5");
    ini.WriteString("Catalogue", "Col3", "99999999");
  }
  {
    ShownForm form;
    auto* grid = new TExStringGrid(form.form);
    grid->ColumnSize()->SetKey("widths.ini");
    grid->ColumnSize()->SetSection("Catalogue");
    grid->ColumnSize()->SetSave(true);
    grid->SetColCount(4);
    const int defaultWidth = grid->ColWidths(0);
    grid->SetParent(form.form);  // the window reads them
    EXPECT_EQ(grid->ColWidths(1), 77);
    EXPECT_EQ(grid->ColWidths(2), 33);
    EXPECT_EQ(grid->ColWidths(0), defaultWidth);  // negative: refused
    EXPECT_EQ(grid->ColWidths(3), defaultWidth);  // huge: refused
    grid->ColumnSize()->SetSection("");           // nothing written without a section
    grid->SetColWidths(1, 5);
  }
  TIniFile ini(dir + "/widths.ini");
  EXPECT_EQ(ini.ReadInteger("Catalogue", "Col1", 0), 77);
  SetAppDir(oldAppDir);
}

TEST(GridSizing, AutoSizeFitsTheColumns) {
  ShownForm form;
  TExStringGrid* grid = PutGrid(form.form, 3, 3);
  grid->SetCells(1, 1, AnsiString(60, 'W'));
  grid->SetColWidths(1, 20);
  grid->SetAutoSize(true);
  EXPECT_GT(grid->ColWidths(1), 100);
}

}  // namespace

namespace {

TEST(GridScrollBars, DraggingTheThumbShowsTheLineAndSynchMovesTheView) {
  ShownForm form;
  TExStringGrid* grid = PutGrid(form.form, 40, 5, 300, 150);
  grid->ScrollOptions().ScrollHints = shHorizontal;
  std::vector<int> hinted;
  grid->OnScrollHint = [&](TObject*, int col, AnsiString& hint) {
    hinted.push_back(col);
    hint = "열 "_k + hint;
  };
  ASSERT_TRUE(SimulateScroll(grid, SB_HORZ, SB_THUMBTRACK, 12));
  ASSERT_FALSE(hinted.empty());
  EXPECT_EQ(hinted.front(), grid->FixedCols() + 12);
  EXPECT_EQ(grid->LeftCol(), grid->FixedCols() + 12);  // the release moved the view there
  grid->ScrollOptions().ScrollHints = shVertical;  // the horizontal bar shows none now
  hinted.clear();
  grid->ScrollOptions().ScrollSynch = true;
  ASSERT_TRUE(SimulateScroll(grid, SB_HORZ, SB_THUMBTRACK, 3));
  EXPECT_TRUE(hinted.empty());
  EXPECT_EQ(grid->LeftCol(), grid->FixedCols() + 3);
}

}  // namespace

namespace {

TEST(GridSizing, ResizingWithAStretchColumnTheGridLostRaisesNothing) {
  ShownForm form;
  TExStringGrid* grid = PutGrid(form.form, 5, 3);
  grid->ColumnSize()->SetStretchColumn(4);
  grid->ColumnSize()->SetStretch(true);
  grid->SetColCount(3);  // column 4 is gone
  EXPECT_NO_THROW(grid->SetBounds(0, 0, 350, 200));
  EXPECT_NO_THROW(grid->SetColWidths(0, 40));
  EXPECT_THROW(grid->ColumnSize()->SetStretchColumn(3), EExGridError);  // set in code: refused loudly
}

}  // namespace
