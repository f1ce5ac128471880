// Hidden columns and rows of the string grid: real and display indices kept
// apart, hide and show round trips that give back exactly the rows, columns,
// texts, widths, heights and properties, hidden rows following insertions
// and removals, the selection flags and the integer lists.
#include <gtest/gtest.h>

#include "grid/ExGrid.h"
#include "platform/vcl/PaintTo.h"

namespace {

class TCountedProps : public TCellProperties {
 public:
  static int alive;
  TCountedProps(TBaseGrid* grid, int col, int row) : TCellProperties(grid, col, row) { ++alive; }
  ~TCountedProps() override { --alive; }
};
int TCountedProps::alive = 0;

AnsiString Text(int c, int r) { return "r" + IntToStr(r) + "c" + IntToStr(c); }

struct HiddenFixture : ::testing::Test {
  std::unique_ptr<TExStringGrid> grid = std::make_unique<TExStringGrid>(nullptr);

  void Fill(int cols, int rows) {
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    for (int c = 0; c < cols; ++c) grid->SetColWidths(c, 30 + c);
    for (int r = 0; r < rows; ++r) {
      grid->SetRowHeights(r, 18 + r % 7);
      for (int c = 0; c < cols; ++c) grid->SetCells(c, r, Text(c, r));
    }
  }
  TCellProperties* Tag(int col, int row) {
    auto* props = new TCountedProps(grid.get(), col, row);
    grid->ReplaceCellProperties(col, row, props);
    return props;
  }
  // The texts of a display row, real columns in order.
  std::string RowTexts(int row) {
    std::string s;
    for (int c = 0; c < grid->RealColCount(); ++c) s += grid->Cells(c, row) + "|";
    return s;
  }
  std::string Everything() {
    std::string s = IntToStr(grid->ColCount()) + "x" + IntToStr(grid->RowCount()) + ";";
    for (int c = 0; c < grid->ColCount(); ++c) s += IntToStr(grid->ColWidths(c)) + ",";
    for (int r = 0; r < grid->RowCount(); ++r) s += IntToStr(grid->RowHeights(r)) + ",";
    for (int r = 0; r < grid->RowCount(); ++r) s += RowTexts(r);
    return s;
  }
  void SetUp() override { TCountedProps::alive = 0; }
  void TearDown() override {
    grid.reset();
    EXPECT_EQ(TCountedProps::alive, 0) << "property objects left after the grid went";
  }
};

// ------------------------------------------------------------- columns

TEST_F(HiddenFixture, HidingColumnTwoOfFiveMapsDisplayAroundItAndShowingRestoresItsWidth) {
  Fill(5, 4);
  grid->HideColumn(2);
  EXPECT_EQ(grid->ColCount(), 4);
  EXPECT_EQ(grid->HiddenColumnCount(), 1);
  EXPECT_TRUE(grid->IsColumnHidden(2));
  EXPECT_EQ(grid->RealColIndex(2), 3);
  EXPECT_EQ(grid->DisplColIndex(3), 2);
  // Display column 2 has the width real column 3 had.
  EXPECT_EQ(grid->ColWidths(2), 33);
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(grid->Cells(2, r), Text(2, r)) << "the hidden column keeps its cells";
    EXPECT_EQ(grid->Cells(4, r), Text(4, r)) << "the last real column stays reachable";
  }
  grid->ShowColumn(2);
  EXPECT_EQ(grid->ColCount(), 5);
  for (int c = 0; c < 5; ++c) EXPECT_EQ(grid->ColWidths(c), 30 + c);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 5; ++c) EXPECT_EQ(grid->Cells(c, r), Text(c, r));
}

TEST_F(HiddenFixture, TheLastShownColumnAndColumnsOutsideTheGridStay) {
  Fill(1, 3);
  grid->HideColumn(0);
  EXPECT_EQ(grid->ColCount(), 1);
  EXPECT_EQ(grid->HiddenColumnCount(), 0);

  Fill(5, 3);
  grid->HideColumns(-7, 100);  // only four can go
  EXPECT_EQ(grid->ColCount(), 1);
  EXPECT_EQ(grid->HiddenColumnCount(), 4);
  EXPECT_EQ(grid->RealColIndex(0), 4);
  grid->HideColumn(4000);
  grid->ShowColumn(-1);
  EXPECT_EQ(grid->HiddenColumnCount(), 4);
  grid->ShowAllColumns();
  EXPECT_EQ(Everything().substr(0, 4), "5x3;");
  for (int c = 0; c < 5; ++c) EXPECT_EQ(grid->Cells(c, 2), Text(c, 2));
}

TEST_F(HiddenFixture, ColumnsFarPastFiveHundredTwelveHideAndShowLikeAnyOther) {
  Fill(700, 2);
  grid->HideColumns(600, 650);
  EXPECT_EQ(grid->ColCount(), 649);
  EXPECT_TRUE(grid->IsColumnHidden(640));
  EXPECT_EQ(grid->RealColIndex(600), 651);
  EXPECT_EQ(grid->DisplColIndex(699), 648);
  grid->ShowAllColumns();
  EXPECT_EQ(grid->ColCount(), 700);
  EXPECT_EQ(grid->ColWidths(640), 670);
  EXPECT_EQ(grid->Cells(699, 1), Text(699, 1));
}

TEST_F(HiddenFixture, CatalogueOfFortyTwoColumnsComesBackExactlyAfterHidingAndEditing) {
  Fill(42, 12);
  TCellProperties* onHidden = Tag(41, 5);
  const std::string before = Everything();
  grid->HideColumns(20, 25);
  grid->HideColumn(0);
  grid->HideColumn(41);
  EXPECT_EQ(grid->ColCount(), 34);
  EXPECT_EQ(grid->RealColCount(), 42);
  // Rows inserted and removed while columns are hidden move every real
  // column's cells with them.
  grid->InsertRows(3, 2);
  EXPECT_EQ(grid->Cells(41, 7), Text(41, 5));
  EXPECT_EQ(grid->FindCellProperties(41, 7), onHidden);
  grid->RemoveRows(3, 2);
  EXPECT_EQ(grid->FindCellProperties(41, 5), onHidden);
  grid->ShowAllColumns();
  EXPECT_EQ(Everything(), before);
  EXPECT_EQ(TCountedProps::alive, 1);
}

TEST_F(HiddenFixture, CatalogueWithHiddenRowsAndColumnsComesBackAfterEditsThatCancelOut) {
  Fill(42, 30);
  for (int r = 0; r < 30; r += 4) Tag(r % 42, r);
  const std::string before = Everything();
  grid->HideColumns(3, 9);
  TIntList filtered;
  for (int r = 1; r < 30; r += 3) filtered.Add(r);
  grid->HideRowList(&filtered);
  grid->HideRows(20, 25);  // some of them hidden already
  grid->HideColumn(40);
  const int shownRows = grid->RowCount();
  grid->InsertRows(5, 3);
  grid->RemoveRows(5, 3);
  grid->AddRow();
  grid->RemoveRows(grid->RowCount() - 1, 1);
  EXPECT_EQ(grid->RowCount(), shownRows);
  grid->ShowRows(0, 10);
  grid->ShowAllColumns();
  grid->ShowAllRows();
  EXPECT_EQ(Everything(), before);
  EXPECT_EQ(TCountedProps::alive, 8);
}

TEST_F(HiddenFixture, RowsAppendedAfterHiddenLastRowsComeAfterThem) {
  Fill(2, 5);
  grid->HideRow(4);
  grid->AddRow();
  EXPECT_TRUE(grid->IsRowHidden(4));
  grid->SetCells(0, 4, "new");
  grid->ShowAllRows();
  EXPECT_EQ(grid->Cells(0, 4), Text(0, 4));
  EXPECT_EQ(grid->Cells(0, 5), "new");
}

TEST_F(HiddenFixture, ShrinkingTheGridFreesCellsOfHiddenColumnsThatDropOff) {
  Fill(6, 4);
  Tag(5, 1);
  Tag(3, 2);
  grid->HideColumn(1);
  grid->SetColCount(3);  // real columns 0..3 remain
  EXPECT_EQ(grid->RealColCount(), 4);
  EXPECT_EQ(TCountedProps::alive, 1);
  EXPECT_EQ(grid->Cells(3, 2), Text(3, 2));
  grid->SetColCount(4);
  EXPECT_EQ(grid->Cells(4, 2), "") << "a column that grows back is empty";
}

TEST_F(HiddenFixture, CuttingTheGridDropsHiddenColumnsPastTheNewEnd) {
  Fill(6, 3);
  Tag(5, 1);
  grid->HideColumn(1);
  grid->HideColumn(5);
  grid->SetColCount(2);  // shown real 0 and 2 remain, hidden 1 with them
  EXPECT_EQ(grid->HiddenColumnCount(), 1);
  EXPECT_EQ(grid->RealColCount(), 3);
  EXPECT_FALSE(grid->IsColumnHidden(5));
  EXPECT_EQ(TCountedProps::alive, 0);
  EXPECT_EQ(grid->Cells(1, 2), Text(1, 2));
  EXPECT_EQ(grid->RealColIndex(1), 2);
  grid->ShowAllColumns();
  EXPECT_EQ(grid->ColCount(), 3);
  EXPECT_EQ(grid->Cells(2, 2), Text(2, 2));
}

TEST_F(HiddenFixture, InsertingAndRemovingColumnsMovesTheHiddenFlags) {
  Fill(6, 2);
  grid->HideColumn(3);
  grid->HideColumn(5);
  grid->InsertColumns(1, 2);
  EXPECT_FALSE(grid->IsColumnHidden(3));
  EXPECT_TRUE(grid->IsColumnHidden(5));
  EXPECT_TRUE(grid->IsColumnHidden(7));
  EXPECT_EQ(grid->RealColCount(), 8);
  for (int r = 0; r < 2; ++r) {
    EXPECT_EQ(grid->Cells(0, r), Text(0, r));
    EXPECT_EQ(grid->Cells(1, r), "");
    EXPECT_EQ(grid->Cells(2, r), "");
    for (int c = 1; c < 6; ++c) EXPECT_EQ(grid->Cells(c + 2, r), Text(c, r)) << c;
  }
  grid->ShowColumn(7);
  grid->RemoveColumns(5, 1);
  EXPECT_EQ(grid->HiddenColumnCount(), 0);
  EXPECT_EQ(grid->ColCount(), 7);
}

TEST_F(HiddenFixture, MergedCellsPastHiddenColumnsAreDrawnOverTheirOwnColumns) {
  Fill(7, 7);
  grid->SetBounds(0, 0, 400, 200);
  grid->MergeCells(4, 1, 1, 3);  // one poster for three rows
  grid->CellPropertiesAt(4, 1)->SetBrushColor(0x0000FF);
  grid->MergeCells(0, 5, 3, 1);  // across the columns about to hide
  grid->HideColumns(1, 2);
  // Real column 4 shows as display column 2, and so does its span.
  TRect own;
  UnionRect(own, grid->CellRect(2, 1), grid->CellRect(2, 3));
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(grid->MergedCellRect(2, r), own) << r;
  EXPECT_EQ(grid->MergedCellRect(0, 5), grid->CellRect(0, 5)) << "hidden columns take no room";
  TBitmap shot;
  PaintControlTo(grid.get(), shot);
  const TRect moved = grid->CellRect(4, 2);
  EXPECT_EQ(shot.PixelColor((own.Left + own.Right) / 2, (own.Top + own.Bottom) / 2), 0x0000FFu);
  EXPECT_NE(shot.PixelColor((moved.Left + moved.Right) / 2, (moved.Top + moved.Bottom) / 2), 0x0000FFu)
      << "drawn over another movie's cell";
}

// ------------------------------------------------------------- rows

TEST_F(HiddenFixture, HidingRowsThreeAndFourMapsRowsAroundThemAndShowingRestoresThem) {
  Fill(3, 10);
  TCellProperties* props = Tag(1, 4);
  const std::string before = Everything();
  grid->HideRows(3, 4);
  EXPECT_EQ(grid->RowCount(), 8);
  EXPECT_TRUE(grid->IsRowHidden(3));
  EXPECT_TRUE(grid->IsRowHidden(4));
  EXPECT_FALSE(grid->IsRowHidden(5));
  EXPECT_EQ(grid->RealRowIndex(3), 5);
  EXPECT_EQ(grid->DisplRowIndex(5), 3);
  EXPECT_EQ(grid->RealRowIndex(-1), -1);
  EXPECT_EQ(grid->Cells(0, 3), Text(0, 5));
  EXPECT_EQ(grid->AllCells(2, 4), Text(2, 4));
  EXPECT_EQ(grid->HiddenRowItem(1)->Height(), 18 + 4);
  grid->ShowAllRows();
  EXPECT_EQ(grid->HiddenRowCount(), 0);
  EXPECT_EQ(Everything(), before);
  EXPECT_EQ(grid->FindCellProperties(1, 4), props);
}

TEST_F(HiddenFixture, HideRowListPacksTheOtherRowsInOrderAlsoWhenRowsAreHiddenAlready) {
  Fill(2, 7);
  TIntList list;
  list.Add(5);
  list.Add(2);
  grid->HideRowList(&list);
  ASSERT_EQ(grid->RowCount(), 5);
  const int expected[] = {0, 1, 3, 4, 6};
  for (int r = 0; r < 5; ++r) EXPECT_EQ(grid->Cells(0, r), Text(0, expected[r]));

  // Display rows 1 and 3 are real rows 1 and 4 now.
  TIntList more;
  more.Add(3);
  more.Add(1);
  more.Add(1);
  more.Add(99);
  grid->HideRowList(&more);
  ASSERT_EQ(grid->RowCount(), 3);
  EXPECT_EQ(grid->HiddenRowCount(), 4);
  for (int real : {1, 2, 4, 5}) EXPECT_TRUE(grid->IsRowHidden(real)) << real;
  EXPECT_EQ(grid->Cells(0, 1), Text(0, 3));
  grid->ShowAllRows();
  for (int r = 0; r < 7; ++r) EXPECT_EQ(grid->Cells(1, r), Text(1, r));
}

// A search over a large catalogue hides most movies and shows them again:
// their synopses travel into the hidden-row records and back without being
// copied, through every path that hides and shows, hidden columns included.
TEST_F(HiddenFixture, HiddenRowsTakeTheirTextsAlongAndGiveThemBackUncopied) {
  Fill(5, 8);
  grid->HideColumn(3);
  const AnsiString synopsis(300, 'k');
  grid->SetCells(1, 2, synopsis);
  grid->SetCells(3, 5, synopsis + "h");  // a hidden column's cell
  const char* shownBuffer = grid->RawCells(1, 2).data();
  const char* hiddenColBuffer = grid->RawCells(3, 5).data();

  TIntList rows;
  rows.Add(2);
  rows.Add(5);
  grid->HideRowList(&rows);
  ASSERT_EQ(grid->AllCells(1, 2), synopsis);
  EXPECT_EQ(grid->HiddenRowItem(0)->CellText(1).data(), shownBuffer);
  EXPECT_EQ(grid->HiddenRowItem(1)->CellText(3).data(), hiddenColBuffer);
  grid->ShowRows(2, 2);
  EXPECT_EQ(grid->RawCells(1, 2).data(), shownBuffer);
  grid->ShowAllRows();
  ASSERT_EQ(grid->RawCells(3, 5), synopsis + "h");
  EXPECT_EQ(grid->RawCells(3, 5).data(), hiddenColBuffer);

  // The cells the hidden rows left behind read empty; all else is as it was.
  grid->ShowAllColumns();
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 5; ++c)
      if (!((c == 1 && r == 2) || (c == 3 && r == 5))) {
        EXPECT_EQ(grid->Cells(c, r), Text(c, r)) << c << "," << r;
      }
}

TEST_F(HiddenFixture, HidingEveryRowIsRefused) {
  Fill(2, 3);
  grid->HideRows(0, 2);
  EXPECT_EQ(grid->RowCount(), 3);
  EXPECT_EQ(grid->HiddenRowCount(), 0);
}

TEST_F(HiddenFixture, HiddenRowsMoveWithRowsInsertedAndRemovedAboveThem) {
  Fill(3, 10);
  grid->HideRow(5);
  grid->HideRow(8);
  grid->InsertRows(2, 2);  // above both
  EXPECT_TRUE(grid->IsRowHidden(7));
  EXPECT_TRUE(grid->IsRowHidden(10));
  grid->InsertRows(7, 1);  // display 7 is real 8: below the first, above the second
  EXPECT_TRUE(grid->IsRowHidden(7));
  EXPECT_TRUE(grid->IsRowHidden(11));
  grid->RemoveRows(0, 3);  // real rows 0..2
  EXPECT_TRUE(grid->IsRowHidden(4));
  EXPECT_TRUE(grid->IsRowHidden(8));
  // Removing display rows 3 and 4 removes real rows 3 and 5, around hidden 4.
  grid->RemoveRowsAdjusted(3, 2);
  EXPECT_TRUE(grid->IsRowHidden(3));
  EXPECT_TRUE(grid->IsRowHidden(6));
  grid->ShowAllRows();
  EXPECT_EQ(grid->Cells(0, 3), Text(0, 5));
  EXPECT_EQ(grid->Cells(0, 6), Text(0, 8));
}

TEST_F(HiddenFixture, ShowRowsPutsEachHiddenRowOfAMixedRangeAtItsPlace) {
  Fill(2, 10);
  grid->HideRow(2);
  grid->HideRows(5, 6);
  grid->HideRow(8);
  grid->ShowRows(1, 6);
  EXPECT_EQ(grid->HiddenRowCount(), 1);
  EXPECT_TRUE(grid->IsRowHidden(8));
  for (int r = 0; r < 8; ++r) EXPECT_EQ(grid->Cells(0, r), Text(0, r));
  EXPECT_EQ(grid->RowHeights(6), 18 + 6);
  grid->ShowRow(8);
  EXPECT_EQ(grid->Cells(1, 8), Text(1, 8));
}

TEST_F(HiddenFixture, HiddenRowsKeepTheirPropertiesAndFreeThemWhenDropped) {
  Fill(3, 6);
  Tag(0, 2);
  Tag(2, 2);
  grid->HideRows(2, 3);
  EXPECT_EQ(TCountedProps::alive, 2);
  grid->ResetHiddenState();
  EXPECT_EQ(TCountedProps::alive, 0);
  EXPECT_EQ(grid->HiddenRowCount(), 0);
  EXPECT_EQ(grid->RowCount(), 4);
  Tag(1, 1);
  grid->HideRow(1);  // the grid's destructor frees what a hidden row holds
}

TEST_F(HiddenFixture, AllFloatsReadsHiddenRows) {
  Fill(2, 5);
  grid->SetCells(1, 3, "2.5");
  grid->HideRow(3);
  EXPECT_DOUBLE_EQ(grid->AllFloats(1, 3), 2.5);
  grid->SetCells(1, 3, "7");  // display row 3 is real row 4
  EXPECT_DOUBLE_EQ(grid->AllFloats(1, 4), 7);
}

TEST_F(HiddenFixture, WithAllShownSeesEveryRealCellAndHidesExactlyTheSameAfterwards) {
  Fill(6, 8);
  grid->HideColumn(2);
  grid->HideRows(4, 5);
  grid->HideRow(7);
  const std::string hidden = Everything();
  std::string seen;
  grid->WithAllShown([&] {
    EXPECT_EQ(grid->ColCount(), 6);
    EXPECT_EQ(grid->RowCount(), 8);
    for (int r = 0; r < 8; ++r) seen += grid->Cells(2, r) + ",";
  });
  EXPECT_EQ(seen, "r0c2,r1c2,r2c2,r3c2,r4c2,r5c2,r6c2,r7c2,");
  EXPECT_EQ(Everything(), hidden);
  EXPECT_THROW(grid->WithAllShown([] { throw EWriteError("disk full"); }), EWriteError);
  EXPECT_EQ(Everything(), hidden);
  EXPECT_TRUE(grid->IsRowHidden(7));
  EXPECT_TRUE(grid->IsColumnHidden(2));
}

TEST_F(HiddenFixture, CellControlsFollowTheirRowsAndHideWithThem) {
  Fill(4, 8);
  grid->SetBounds(0, 0, 600, 400);  // every cell in view
  TControl control(nullptr);
  grid->CellControls()->Add(2, 5, &control);
  grid->RepositionCellControls();
  EXPECT_TRUE(control.Visible());
  EXPECT_EQ(control.Top(), grid->CellRect(2, 5).Top);
  grid->InsertRows(1, 2);
  EXPECT_EQ(grid->CellControls()->Items(0).Row, 7);
  EXPECT_EQ(control.Top(), grid->CellRect(2, 7).Top);
  grid->RemoveRows(0, 1);
  EXPECT_EQ(grid->CellControls()->Items(0).Row, 6);
  grid->HideRow(6);
  EXPECT_FALSE(control.Visible());
  grid->ShowAllRows();
  EXPECT_TRUE(control.Visible());
  grid->HideRow(3);  // above it: the control moves up on the screen
  EXPECT_TRUE(control.Visible());
  EXPECT_EQ(control.Top(), grid->CellRect(2, 5).Top);
  grid->HideColumn(2);
  EXPECT_FALSE(control.Visible());
  grid->CellControls()->Clear();
}

// ------------------------------------------------------------- selection flags

TEST_F(HiddenFixture, SelectionFlagsCheckTheirIndexAndGrowOnDemand) {
  Fill(4, 6);
  grid->HideRow(2);
  try {
    grid->IsRowSelected(-1);
    FAIL() << "no exception";
  } catch (const EExGridError& e) {
    EXPECT_STREQ(e.what(), "Invalid row accessed");
  }
  EXPECT_FALSE(grid->IsRowSelected(grid->RowCount() + grid->HiddenRowCount() - 1));
  EXPECT_THROW(grid->IsRowSelected(6), EExGridError);
  try {
    grid->SetColSelected(4, true);
    FAIL() << "no exception";
  } catch (const EExGridError& e) {
    EXPECT_STREQ(e.what(), "Invalid column accessed");
  }
  grid->SetRowSelected(1, true);
  grid->SetRowSelected(3, true);
  grid->SetColSelected(2, true);
  EXPECT_EQ(grid->SelectedRowCount(), 2);
  EXPECT_TRUE(grid->IsColSelected(2));
  grid->ClearRowSelect();
  grid->ClearColSelect();
  EXPECT_EQ(grid->SelectedRowCount(), 0);
  EXPECT_FALSE(grid->IsColSelected(2));
}

TEST_F(HiddenFixture, RemoveSelectedRowsRemovesTheFlaggedRowsOnly) {
  Fill(3, 8);
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->SetRowSelected(2, true);
  grid->SetRowSelected(3, true);
  grid->SetRowSelected(6, true);
  grid->RemoveSelectedRows();
  ASSERT_EQ(grid->RowCount(), 5);
  const int expected[] = {0, 1, 4, 5, 7};
  for (int r = 0; r < 5; ++r) EXPECT_EQ(grid->Cells(0, r), Text(0, expected[r]));
  EXPECT_EQ(grid->SelectedRowCount(), 0);
}

TEST_F(HiddenFixture, RemoveSelectedRowsWithoutDisjunctSelectionTakesTheSelectedRange) {
  Fill(3, 8);
  TGridRect sel;
  sel.Left = 1;
  sel.Right = 2;
  sel.Top = 3;
  sel.Bottom = 4;
  grid->SetSelection(sel);
  grid->RemoveSelectedRows();
  ASSERT_EQ(grid->RowCount(), 6);
  EXPECT_EQ(grid->Cells(0, 3), Text(0, 5));
}

TEST_F(HiddenFixture, PersistentRowFlagsStayWithTheirRealRows) {
  Fill(2, 8);
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->MouseActions()->SetRowSelectPersistent(true);
  grid->HideRow(2);
  grid->SelectRows(4, 1);  // display row 4 is real row 5
  EXPECT_TRUE(grid->IsRowSelected(5));
  grid->RemoveSelectedRows();
  EXPECT_EQ(grid->RowCount(), 6);
  EXPECT_TRUE(grid->IsRowHidden(2));
  grid->ShowAllRows();
  const int expected[] = {0, 1, 2, 3, 4, 6, 7};
  for (int r = 0; r < 7; ++r) EXPECT_EQ(grid->Cells(1, r), Text(1, expected[r]));
}

TEST_F(HiddenFixture, HiddenSelectionComesBackOrFallsToTheFirstCell) {
  Fill(4, 6);
  TGridRect sel;
  sel.Left = 2;
  sel.Right = 3;
  sel.Top = 4;
  sel.Bottom = 5;
  grid->SetSelection(sel);
  grid->HideSelection();
  EXPECT_TRUE(grid->SelectionHidden());
  grid->RestoreSelection();
  EXPECT_EQ(grid->Selection().Top, 4);
  EXPECT_EQ(grid->Selection().Left, 2);
  grid->HideSelection();
  grid->SetRowCount(3);
  grid->RestoreSelection();
  EXPECT_EQ(grid->Selection().Top, 1);
  EXPECT_EQ(grid->Selection().Left, 1);
}

// ------------------------------------------------------------- integer lists

TEST(IntLists, TextRoundTripAndChangeEvents) {
  TIntList list(3, 4);
  int changes = 0;
  list.OnChange = [&](TObject*, int col, int row) {
    EXPECT_EQ(col, 3);
    EXPECT_EQ(row, 4);
    ++changes;
  };
  list.Add(3);
  list.Add(10);
  list.Add(-1);
  EXPECT_EQ(list.ToText(), "3,10,-1");
  list.Insert(0, 7);  // silent
  EXPECT_EQ(changes, 3);
  TIntList copy;
  copy.FromText(list.ToText());
  EXPECT_EQ(copy.ToText(), "7,3,10,-1");
  EXPECT_THROW(copy.FromText("1,x,3"), EConvertError);
  EXPECT_EQ(copy.ToText(), "7,3,10,-1") << "a bad text leaves the list as it was";
  EXPECT_THROW(copy.Items(4), EListError);
  copy.FromText("");
  EXPECT_EQ(copy.Count(), 0);
}

TEST(IntLists, SortIndexListKeepsTheDirectionInBitThirtyOne) {
  TSortIndexList list;
  int changes = 0;
  list.OnChange = [&](TObject*, int, int) { ++changes; };
  list.AddIndex(2, true);
  list.AddIndex(4, false);
  EXPECT_EQ(static_cast<unsigned>(list.Items(1)), 0x80000004u);
  EXPECT_EQ(list.FindIndex(4), 1);
  EXPECT_EQ(list.FindIndex(9), -1);
  list.ToggleDirection(4);
  EXPECT_EQ(list.Items(1), 4);
  list.SetDirection(0, false);
  EXPECT_FALSE(TSortIndexList::IsAscending(list.Items(0)));
  EXPECT_EQ(TSortIndexList::ColumnOf(list.Items(0)), 2);
  list.ToggleDirection(9);
  EXPECT_EQ(changes, 4);
}

}  // namespace
