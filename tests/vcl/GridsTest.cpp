// The string grid's cell store, its dimensions and its layout: what code
// that fills, reshapes and measures a grid relies on.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "VclTestSupport.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Grids.h"

namespace {

// Objects put into cells; the test owns them, the grid must never free them.
struct TTag : TObject {
  explicit TTag(int v) : value(v) {}
  int value;
};

std::vector<AnsiString> RowTexts(TStringGrid& g, int row) {
  std::vector<AnsiString> texts;
  for (int c = 0; c < g.ColCount(); ++c) texts.push_back(g.Cells(c, row));
  return texts;
}

std::vector<AnsiString> ColTexts(TStringGrid& g, int col) {
  std::vector<AnsiString> texts;
  for (int r = 0; r < g.RowCount(); ++r) texts.push_back(g.Cells(col, r));
  return texts;
}

TEST(GridStore, ReadsOutsideTheGridAreEmptyAndWritesThereAreIgnored) {
  TStringGrid g(nullptr);
  g.SetCells(1, 1, "in");
  g.SetCells(-1, 0, "x");
  g.SetCells(5, 0, "x");
  g.SetCells(0, 5, "x");
  g.SetCells(100000, 100000, "x");
  TTag tag(1);
  g.SetObjects(5, 5, &tag);
  g.SetObjects(-3, 2, &tag);
  EXPECT_EQ(g.Cells(1, 1), "in");
  EXPECT_EQ(g.Cells(-1, 0), "");
  EXPECT_EQ(g.Cells(5, 0), "");
  EXPECT_EQ(g.Cells(0, 5), "");
  EXPECT_EQ(g.Objects(5, 5), nullptr);
  EXPECT_EQ(g.Objects(-3, 2), nullptr);
  EXPECT_EQ(g.Rows(5), nullptr);
  EXPECT_EQ(g.Cols(-1), nullptr);
  // Growing the grid shows that nothing was stored out there.
  g.SetColCount(10);
  g.SetRowCount(10);
  EXPECT_EQ(g.Cells(5, 0), "");
  EXPECT_EQ(g.Cells(0, 5), "");
  EXPECT_EQ(g.Objects(5, 5), nullptr);
}

TEST(GridStore, KoreanTextAndObjectsRoundTripAndObjectsStayTheCallers) {
  auto tag = std::make_unique<TTag>(7);
  {
    TStringGrid g(nullptr);
    g.SetCells(2, 3, "영화 제목"_k);
    g.SetObjects(2, 3, tag.get());
    EXPECT_EQ(g.Cells(2, 3), "영화 제목"_k);
    EXPECT_EQ(g.Objects(2, 3), tag.get());
    g.SetObjects(2, 3, nullptr);
    EXPECT_EQ(g.Objects(2, 3), nullptr);
    g.SetObjects(2, 3, tag.get());
  }  // the grid goes; the object must survive it (a double free shows under the sanitizers)
  EXPECT_EQ(tag->value, 7);
}

TEST(GridStore, ShrinkingDropsTheCutLinesSoGrowingShowsEmptyCells) {
  TStringGrid g(nullptr);
  TTag tag(1);
  g.SetCells(4, 4, "last");
  g.SetObjects(4, 4, &tag);
  g.SetCells(1, 1, "kept");
  g.SetRowCount(3);
  g.SetColCount(3);
  g.SetRowCount(5);
  g.SetColCount(5);
  EXPECT_EQ(g.Cells(4, 4), "");
  EXPECT_EQ(g.Objects(4, 4), nullptr);
  EXPECT_EQ(g.Cells(1, 1), "kept");
}

TEST(GridStore, ARowHandedOutAndBackKeepsItsTextsObjectsAndHeight) {
  TStringGrid g(nullptr);
  g.SetColCount(4);
  g.SetRowCount(6);
  TTag tag(3);
  g.SetCells(0, 2, "영화"_k);
  g.SetCells(3, 2, std::string(200, 'x'));
  g.SetObjects(1, 2, &tag);
  g.SetRowHeights(2, 40);
  const char* longText = g.Cells(3, 2).data();

  TStringGrid::TRowCells cells = g.ExtractRow(2);
  EXPECT_EQ(cells.Height, 40);
  // The row is left empty; its height stays until a record comes in.
  EXPECT_EQ(RowTexts(g, 2), std::vector<AnsiString>(4));
  EXPECT_EQ(g.Objects(1, 2), nullptr);
  EXPECT_EQ(g.RowHeights(2), 40);

  // The grid cuts the row off and grows again: the record is the caller's
  // and goes into another row, with its height.
  g.SetRowCount(2);
  g.SetRowCount(6);
  g.InsertRowData(5, std::move(cells));
  EXPECT_EQ(g.Cells(0, 5), "영화"_k);
  EXPECT_EQ(g.Cells(3, 5), std::string(200, 'x'));
  EXPECT_EQ(g.Cells(3, 5).data(), longText);  // moved, not copied
  EXPECT_EQ(g.Objects(1, 5), &tag);
  EXPECT_EQ(g.RowHeights(5), 40);
  EXPECT_EQ(RowTexts(g, 2), std::vector<AnsiString>(4));

  // A record wider than the grid is cut to it: growing the grid later
  // shows empty cells, not the cut ones.
  TStringGrid::TRowCells wide;
  wide.Texts = {"a", "b", "c", "d", "e", "f"};
  TTag far(9);
  wide.Objects = {nullptr, nullptr, nullptr, nullptr, nullptr, &far};
  wide.Height = 20;
  g.InsertRowData(1, std::move(wide));
  EXPECT_EQ(RowTexts(g, 1), (std::vector<AnsiString>{"a", "b", "c", "d"}));
  g.SetColCount(6);
  EXPECT_EQ(g.Cells(4, 1), "");
  EXPECT_EQ(g.Objects(5, 1), nullptr);

  // Outside the grid: an empty record out, nothing in.
  TStringGrid::TRowCells outside = g.ExtractRow(6);
  EXPECT_TRUE(outside.Texts.empty());
  EXPECT_TRUE(outside.Objects.empty());
  outside.Texts = {"z"};
  g.InsertRowData(-1, std::move(outside));
  g.InsertRowData(6, TStringGrid::TRowCells{{"z"}, {}, 10});
  g.SetRowCount(8);
  EXPECT_EQ(g.Cells(0, 6), "");
}

TEST(GridStore, ColumnsReadInOnePassMatchTheirCellsAfterRowsMove) {
  TStringGrid g(nullptr);
  g.SetColCount(3);
  g.SetRowCount(60);
  for (int r = 0; r < 60; r += 2) g.SetCells(1, r, IntToStr(r) + std::string(r, 'k'));
  g.ExchangeRows(0, 59);
  g.MoveRow(10, 40);
  for (int r = 0; r < 60; r += 3) g.SetCells(2, r, "c" + IntToStr(r));
  // Columns 1 and 2 row by row, and the range cut to the grid's columns.
  std::vector<std::pair<int, AnsiString>> read;
  g.ReadColumnTexts(1, 5, [&](int col, const AnsiString& text) { read.emplace_back(col, text); });
  ASSERT_EQ(read.size(), 120u);
  for (int r = 0; r < 60; ++r) {
    EXPECT_EQ(read[static_cast<std::size_t>(2 * r)], std::make_pair(1, g.Cells(1, r))) << r;
    EXPECT_EQ(read[static_cast<std::size_t>(2 * r + 1)], std::make_pair(2, g.Cells(2, r))) << r;
  }
  std::vector<AnsiString> none;
  g.ReadColumnTexts(3, 1, [&](int, const AnsiString& text) { none.push_back(text); });
  g.ReadColumnTexts(-1, 1, [&](int, const AnsiString& text) { none.push_back(text); });
  g.ReadColumnTexts(1, 0, [&](int, const AnsiString& text) { none.push_back(text); });
  EXPECT_TRUE(none.empty());
}

TEST(GridStore, ABlockOfColumnsShiftsInEveryRowWithItsObjectsAndWidthsStay) {
  TStringGrid g(nullptr);
  g.SetColCount(2);
  g.SetRowCount(4);
  // Row 1 holds two cells only, shorter than the range; row 2 is never
  // written; row 3 has only an object in the block.
  g.SetCells(1, 1, "p");
  g.SetColCount(6);
  TTag tag(1), other(2);
  for (int c = 0; c < 6; ++c) g.SetCells(c, 0, AnsiString(1, static_cast<char>('a' + c)));
  g.SetCells(0, 0, "제목"_k + std::string(100, 'x'));
  g.SetObjects(4, 0, &tag);
  g.SetObjects(4, 3, &other);
  g.SetColWidths(4, 90);
  const char* longText = g.Cells(0, 0).data();

  // Columns 3..4 to the front: the cells in between move right.
  g.ShiftColumns(3, 2, 0);
  EXPECT_EQ(RowTexts(g, 0), (std::vector<AnsiString>{"d", "e", "제목"_k + std::string(100, 'x'), "b", "c", "f"}));
  EXPECT_EQ(g.Cells(2, 0).data(), longText);  // moved, not copied
  EXPECT_EQ(g.Objects(1, 0), &tag);
  EXPECT_EQ(g.Objects(4, 0), nullptr);
  EXPECT_EQ(RowTexts(g, 1), (std::vector<AnsiString>{"", "", "", "p", "", ""}));
  EXPECT_EQ(RowTexts(g, 2), std::vector<AnsiString>(6));
  EXPECT_EQ(g.Objects(1, 3), &other);
  EXPECT_EQ(g.ColWidths(4), 90);  // the store moves cells, not columns

  // And back to the end (the destination counts before the move): the
  // grid is as it was.
  g.ShiftColumns(0, 2, 5);
  EXPECT_EQ(RowTexts(g, 0), (std::vector<AnsiString>{"제목"_k + std::string(100, 'x'), "b", "c", "d", "e", "f"}));
  EXPECT_EQ(g.Objects(4, 0), &tag);
  EXPECT_EQ(RowTexts(g, 1), (std::vector<AnsiString>{"", "p", "", "", "", ""}));
  EXPECT_EQ(g.Objects(4, 3), &other);
  for (int c = 0; c < 6; ++c) EXPECT_EQ(g.Objects(c, 1), nullptr) << c;

  // A block to the very end, then a destination inside the block: nothing
  // else moves.
  g.ShiftColumns(0, 1, 6);
  EXPECT_EQ(RowTexts(g, 0), (std::vector<AnsiString>{"b", "c", "d", "e", "f", "제목"_k + std::string(100, 'x')}));
  g.ShiftColumns(1, 3, 3);
  g.ShiftColumns(1, 3, 4);
  g.ShiftColumns(1, 0, 0);
  EXPECT_EQ(RowTexts(g, 0), (std::vector<AnsiString>{"b", "c", "d", "e", "f", "제목"_k + std::string(100, 'x')}));

  // A block emptied where it lands, in one pass: texts dropped, object
  // slots let go (the test still owns the objects); in place too.
  g.SetObjects(0, 3, &other);
  g.ShiftColumns(0, 1, 4, true);
  EXPECT_EQ(RowTexts(g, 0), (std::vector<AnsiString>{"c", "d", "e", "", "f", "제목"_k + std::string(100, 'x')}));
  EXPECT_EQ(g.Objects(3, 3), nullptr);
  EXPECT_EQ(g.Objects(3, 0), nullptr);
  g.ShiftColumns(4, 2, 5, true);
  EXPECT_EQ(RowTexts(g, 0), (std::vector<AnsiString>{"c", "d", "e", "", "", ""}));
  EXPECT_EQ(other.value, 2);
  g.SetCells(0, 0, "b");

  // Outside the columns: refused, the cells untouched.
  EXPECT_THROW(g.ShiftColumns(5, 2, 0), EInvalidGridOperation);
  EXPECT_THROW(g.ShiftColumns(0, 1, 7), EInvalidGridOperation);
  EXPECT_THROW(g.ShiftColumns(-1, 1, 3), EInvalidGridOperation);
  EXPECT_EQ(g.Cells(0, 0), "b");

  // A moved column cut off by the column count is gone when the count
  // grows back, and a row handed out whole comes in column order.
  g.ShiftColumns(0, 1, 6);
  g.SetColCount(5);
  g.SetColCount(6);
  EXPECT_EQ(RowTexts(g, 0), (std::vector<AnsiString>{"d", "e", "", "", "", ""}));
  g.ShiftColumns(1, 1, 0);
  EXPECT_EQ(g.ExtractRow(0).Texts, (std::vector<AnsiString>{"e", "d", "", "", "", ""}));

  // Texts taken out of a column go to the taker; a column emptied or taken
  // and then written to, or holding an object, loses those too when it goes.
  for (int r = 1; r < 4; ++r) g.SetCells(1, r, AnsiString(1, static_cast<char>('r' + r)));
  std::vector<std::pair<int, AnsiString>> taken;
  g.TakeColumnTexts(1, [&](int row, AnsiString&& text) { taken.emplace_back(row, std::move(text)); });
  EXPECT_EQ(taken, (std::vector<std::pair<int, AnsiString>>{{1, "s"}, {2, "t"}, {3, "u"}}));
  EXPECT_EQ(g.Cells(1, 2), "");
  g.SetCells(1, 1, "x");
  g.ShiftColumns(1, 1, 6, true);
  g.SetColCount(5);
  g.SetColCount(6);
  for (int r = 1; r < 4; ++r) EXPECT_EQ(g.Cells(5, r), "") << r;
  g.SetObjects(2, 3, &other);
  g.TakeColumnTexts(2, [](int, AnsiString&&) {});
  g.ShiftColumns(2, 1, 6, true);
  g.SetColCount(5);
  g.SetColCount(6);
  EXPECT_EQ(g.Objects(5, 3), nullptr);
}

TEST(GridDimensions, CountsStayAtLeastOneAndFixedLinesStayBelowTheCount) {
  TStringGrid g(nullptr);
  EXPECT_EQ(g.ColCount(), 5);
  EXPECT_EQ(g.RowCount(), 5);
  EXPECT_EQ(g.FixedCols(), 1);
  EXPECT_EQ(g.FixedRows(), 1);
  EXPECT_EQ(g.DefaultColWidth(), 64);
  g.SetRowCount(0);
  EXPECT_EQ(g.RowCount(), 1);
  EXPECT_EQ(g.FixedRows(), 0);  // shrinking to the fixed rows lowers them
  g.SetColCount(-4);
  EXPECT_EQ(g.ColCount(), 1);
  EXPECT_EQ(g.FixedCols(), 0);
  g.SetRowCount(3);
  EXPECT_THROW(g.SetFixedRows(3), EInvalidGridOperation);
  EXPECT_THROW(g.SetFixedCols(1), EInvalidGridOperation);
  EXPECT_NO_THROW(g.SetFixedRows(2));
  EXPECT_EQ(g.FixedRows(), 2);
  EXPECT_EQ(g.Row(), 2);  // the current cell left the fixed area
  try {
    g.SetFixedRows(3);
  } catch (const EInvalidGridOperation& e) {
    EXPECT_STREQ(e.what(), "Fixed row count must be less than row count");
  }
}

TEST(GridDimensions, WidthsAndHeightsOutOfRangeReadTheDefaultAndAreNotStored) {
  TStringGrid g(nullptr);
  g.SetColWidths(2, 100);
  g.SetColWidths(9, 100);
  g.SetRowHeights(-1, 5);
  EXPECT_EQ(g.ColWidths(2), 100);
  EXPECT_EQ(g.ColWidths(9), 64);
  EXPECT_EQ(g.RowHeights(-1), 24);
  g.SetDefaultRowHeight(18);
  EXPECT_EQ(g.RowHeights(3), 18);
  g.SetRowCount(8);
  EXPECT_EQ(g.RowHeights(7), 18);  // new rows take the default
  EXPECT_EQ(g.ColWidths(2), 100);
}

TEST(GridLines, RowsAndColsAssignCopyTextsAndObjectPointers) {
  TStringGrid g(nullptr);
  TTag a(1), b(2);
  TStringList list;
  list.AddObject("one", &a);
  list.AddObject("둘"_k, &b);
  list.Add("three");
  g.Rows(2)->Assign(&list);
  EXPECT_EQ(RowTexts(g, 2), (std::vector<AnsiString>{"one", "둘"_k, "three", "", ""}));
  EXPECT_EQ(g.Objects(0, 2), &a);
  EXPECT_EQ(g.Objects(1, 2), &b);
  EXPECT_EQ(g.Rows(2)->Objects(1), &b);

  // A column takes as many items as it has rows; the rest are left out.
  TStringList longList;
  for (int i = 0; i < 9; ++i) longList.Add("c" + std::to_string(i));
  g.SetCols(4, &longList);
  EXPECT_EQ(ColTexts(g, 4), (std::vector<AnsiString>{"c0", "c1", "c2", "c3", "c4"}));

  // One line of the grid into another, objects with it.
  g.Rows(0)->Assign(g.Rows(2));
  EXPECT_EQ(g.Cells(1, 0), "둘"_k);
  EXPECT_EQ(g.Objects(1, 0), &b);

  // A grid line is a list of fixed length.
  EXPECT_EQ(g.Rows(1)->Count(), 5);
  EXPECT_EQ(g.Cols(1)->Count(), 5);
  EXPECT_THROW(g.Rows(1)->Insert(0, "x"), EInvalidGridOperation);
  EXPECT_THROW(g.Rows(1)->Delete(0), EInvalidGridOperation);
  EXPECT_EQ(g.Rows(3)->Add("first empty"), 0);
  g.Rows(2)->Clear();
  EXPECT_EQ(RowTexts(g, 2), (std::vector<AnsiString>(5, "")));
  EXPECT_EQ(g.Objects(0, 2), nullptr);

  // The list's own text view reads the cells.
  EXPECT_EQ(g.Rows(0)->CommaText(), "one,둘,three,,c2"_k);
}

TEST(GridLines, ALineListReadIntoAStringListGivesTextsAndObjects) {
  TStringGrid g(nullptr);
  TTag a(1);
  g.SetCells(1, 1, "x");
  g.SetObjects(1, 1, &a);
  TStringList copy;
  copy.Assign(g.Cols(1));
  ASSERT_EQ(copy.Count(), 5);
  EXPECT_EQ(copy.Strings(1), "x");
  EXPECT_EQ(copy.Objects(1), &a);
}

// A grid that records the moves it is told about.
class TMoveGrid : public TStringGrid {
 public:
  using TStringGrid::TStringGrid;
  std::vector<std::pair<int, int>> rowMoves, colMoves;

 protected:
  void RowMoved(int fromIndex, int toIndex) override {
    rowMoves.emplace_back(fromIndex, toIndex);
    TStringGrid::RowMoved(fromIndex, toIndex);
  }
  void ColumnMoved(int fromIndex, int toIndex) override {
    colMoves.emplace_back(fromIndex, toIndex);
    TStringGrid::ColumnMoved(fromIndex, toIndex);
  }
};

TEST(GridMoves, RowsMoveWithTheirTextsObjectsAndHeights) {
  TMoveGrid g(nullptr);
  g.SetRowCount(6);
  TTag tags[6] = {TTag(0), TTag(1), TTag(2), TTag(3), TTag(4), TTag(5)};
  for (int r = 0; r < 6; ++r) {
    g.SetCells(0, r, "r" + std::to_string(r));
    g.SetObjects(1, r, &tags[r]);
    g.SetRowHeights(r, 20 + r);
  }
  int moved = 0;
  g.OnRowMoved = [&](TObject*, int from, int to) { moved = from * 10 + to; };
  g.MoveRow(1, 4);
  EXPECT_EQ(ColTexts(g, 0), (std::vector<AnsiString>{"r0", "r2", "r3", "r4", "r1", "r5"}));
  EXPECT_EQ(g.Objects(1, 4), &tags[1]);
  EXPECT_EQ(g.RowHeights(4), 21);
  EXPECT_EQ(moved, 14);
  g.MoveRow(4, 1);
  EXPECT_EQ(ColTexts(g, 0), (std::vector<AnsiString>{"r0", "r1", "r2", "r3", "r4", "r5"}));

  g.DeleteRow(2);
  EXPECT_EQ(g.RowCount(), 5);
  EXPECT_EQ(ColTexts(g, 0), (std::vector<AnsiString>{"r0", "r1", "r3", "r4", "r5"}));
  EXPECT_EQ(g.Objects(1, 2), &tags[3]);
  EXPECT_EQ(g.RowHeights(2), 23);
  // The deleted row is gone for good: a new last row is empty.
  g.SetRowCount(6);
  EXPECT_EQ(g.Cells(0, 5), "");
  EXPECT_EQ(g.Objects(1, 5), nullptr);

  EXPECT_THROW(g.MoveRow(0, 6), EInvalidGridOperation);
  EXPECT_THROW(g.DeleteRow(-1), EInvalidGridOperation);
}

TEST(GridMoves, ABlockOfRowsMovesInOnePassAndTheCurrentRowFollowsIt) {
  TMoveGrid g(nullptr);
  g.SetRowCount(8);
  for (int r = 0; r < 8; ++r) g.SetCells(0, r, std::to_string(r));
  g.SetRow(6);
  // Rows 5..7 to the place of row 1, as an insertion of three rows does.
  g.MoveRowBlock(5, 3, 1);
  EXPECT_EQ(ColTexts(g, 0), (std::vector<AnsiString>{"0", "5", "6", "7", "1", "2", "3", "4"}));
  EXPECT_EQ(g.Row(), 2);
  EXPECT_TRUE(g.rowMoves.empty());  // the bulk form tells no single moves
  // And back down.
  g.MoveRowBlock(1, 3, 8);
  EXPECT_EQ(ColTexts(g, 0), (std::vector<AnsiString>{"0", "1", "2", "3", "4", "5", "6", "7"}));
  EXPECT_EQ(g.Row(), 6);
  EXPECT_THROW(g.MoveRowBlock(6, 3, 0), EInvalidGridOperation);
}

TEST(GridMoves, ColumnsMoveWithTextsObjectsAndWidthsAndSwapsLeaveTheRest) {
  TMoveGrid g(nullptr);
  TTag tag(9);
  for (int c = 0; c < 5; ++c) g.SetCells(c, 1, "c" + std::to_string(c));
  g.SetObjects(0, 2, &tag);
  g.SetColWidths(0, 30);
  g.MoveColumn(0, 3);
  EXPECT_EQ(RowTexts(g, 1), (std::vector<AnsiString>{"c1", "c2", "c3", "c0", "c4"}));
  EXPECT_EQ(g.Objects(3, 2), &tag);
  EXPECT_EQ(g.ColWidths(3), 30);
  ASSERT_EQ(g.colMoves.size(), 1u);
  g.DeleteColumn(0);
  EXPECT_EQ(RowTexts(g, 1), (std::vector<AnsiString>{"c2", "c3", "c0", "c4"}));

  g.ExchangeCols(0, 3);
  EXPECT_EQ(RowTexts(g, 1), (std::vector<AnsiString>{"c4", "c3", "c0", "c2"}));
  g.SetCells(0, 3, "x");
  g.ExchangeRows(1, 3);
  EXPECT_EQ(g.Cells(0, 1), "x");
  EXPECT_EQ(g.Cells(0, 3), "c4");
}

// ----------------------------------------------------------------- layout

struct ShownGrid {
  ShownForm form;
  TStringGrid* grid;
  ShownGrid() {
    grid = new TStringGrid(form.form);
    grid->SetParent(form.form);
    grid->SetBorderStyle(bsNone);
    grid->SetBounds(0, 0, 330, 125);  // five columns of 64 + lines, five rows of 24 + lines
  }
  TStringGrid* operator->() { return grid; }
};

TEST(GridLayout, CellRectsAndMouseCellsAgree) {
  ShownGrid g;
  // Columns are 64 wide and rows 24 high, each followed by a line of 1.
  EXPECT_EQ(g->CellRect(0, 0), (TRect{0, 0, 64, 24}));
  EXPECT_EQ(g->CellRect(1, 1), (TRect{65, 25, 129, 49}));
  EXPECT_EQ(g->CellRect(4, 4), (TRect{260, 100, 324, 124}));
  int col = 0, row = 0;
  g->MouseToCell(70, 30, col, row);
  EXPECT_EQ(col, 1);
  EXPECT_EQ(row, 1);
  g->MouseToCell(64, 24, col, row);  // on the lines: the cell before them
  EXPECT_EQ(col, 0);
  EXPECT_EQ(row, 0);
  g->MouseToCell(329, 10, col, row);  // beyond the last column
  EXPECT_EQ(col, -1);
  EXPECT_EQ(row, -1);
  EXPECT_EQ(g->VisibleColCount(), 4);
  EXPECT_EQ(g->VisibleRowCount(), 4);
  EXPECT_EQ(g->GridWidth(), 325);
}

TEST(GridLayout, ScrolledOutCellsHaveNoRectangleAndFixedOnesStay) {
  ShownGrid g;
  g->SetRowCount(50);
  g->SetTopRow(10);
  EXPECT_EQ(g->TopRow(), 10);
  EXPECT_EQ(g->CellRect(1, 5), TRect{});
  EXPECT_EQ(g->CellRect(1, 10).Top, 25);
  EXPECT_EQ(g->CellRect(1, 0), (TRect{65, 0, 129, 24}));
  int col, row;
  g->MouseToCell(70, 30, col, row);
  EXPECT_EQ(row, 10);
  // A top row below the fixed rows or past the end is brought into range.
  g->SetTopRow(0);
  EXPECT_EQ(g->TopRow(), 1);
  g->SetTopRow(500);
  EXPECT_EQ(g->TopRow(), 49);
}

TEST(GridLayout, SettingTheCurrentCellScrollsItIntoView) {
  ShownGrid g;
  g->SetRowCount(100);
  g->SetRow(60);
  EXPECT_EQ(g->Row(), 60);
  EXPECT_GE(60, g->TopRow());
  EXPECT_LT(60, g->TopRow() + g->VisibleRowCount());
  EXPECT_GT(g->CellRect(1, 60).Height(), 0);
  EXPECT_THROW(g->SetRow(100), EInvalidGridOperation);
  EXPECT_EQ(g->Row(), 60);
}

TEST(GridLayout, TheVerticalScrollBarFollowsTheGrid) {
  ShownGrid g;
  HWND h = g->Handle();
  EXPECT_FALSE(ScrollBarVisible(h, SB_VERT));
  int topChanges = 0;
  g->OnTopLeftChanged = [&](TObject*) { ++topChanges; };
  g->SetRowCount(100);
  EXPECT_TRUE(ScrollBarVisible(h, SB_VERT));
  g->SetTopRow(40);
  TScrollInfo si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(h, SB_VERT, si));
  EXPECT_EQ(si.nPos, 39);
  g->Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
  EXPECT_EQ(g->TopRow(), 41);
  g->Perform(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
  EXPECT_EQ(g->TopRow(), 1);
  g->Perform(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  EXPECT_EQ(g->TopRow() + g->VisibleRowCount() - 1, 99);  // the last row shows in full
  EXPECT_GE(topChanges, 4);
  g->SetRowCount(3);
  EXPECT_FALSE(ScrollBarVisible(h, SB_VERT));
  EXPECT_EQ(g->TopRow(), 1);
}

TEST(GridLayout, TheHorizontalBarScrollsColumnsAndTheThumbTracksOnlyWhenAsked) {
  ShownGrid g;
  HWND h = g->Handle();
  g->SetColCount(40);
  EXPECT_TRUE(ScrollBarVisible(h, SB_HORZ));
  g->Perform(WM_HSCROLL, MAKEWPARAM(SB_PAGERIGHT, 0), 0);
  EXPECT_EQ(g->LeftCol(), 1 + g->VisibleColCount() - 1);
  // Dragging the thumb moves the columns only with goThumbTracking; the
  // release always does.
  g->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 20), 0);
  EXPECT_NE(g->LeftCol(), 21);
  g->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 20), 0);
  EXPECT_EQ(g->LeftCol(), 21);
  g->SetOptions(g->Options() + TGridOptions{goThumbTracking});
  g->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5), 0);
  EXPECT_EQ(g->LeftCol(), 6);
  // The bar never scrolls past the last column shown in full.
  g->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1000), 0);
  EXPECT_EQ(g->LeftCol() + g->VisibleColCount() - 1, 39);
  g->SetScrollBars(ssNone);
  EXPECT_FALSE(ScrollBarVisible(h, SB_HORZ));
  EXPECT_FALSE(ScrollBarVisible(h, SB_VERT));
}

}  // namespace
