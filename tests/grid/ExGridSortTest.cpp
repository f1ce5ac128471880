// Sorting the rows of a string grid: the order a user sees after a sort,
// ties, blanks, fixed and footer rows, property objects travelling with
// their rows, and the way back to the unsorted order on a 42-column
// catalogue.
#include <gtest/gtest.h>

#include <algorithm>

#include "tools/CatalogueGen.h"
#include "grid/CellGraphic.h"
#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "tests/rtl/RtlTestSupport.h"

namespace {

// A grid with a header row and one data row per given text in column 1;
// column 0 numbers the rows as they were filled.
template <class Grid = TExStringGrid>
std::unique_ptr<Grid> GridOf(const std::vector<AnsiString>& texts, int cols = 3) {
  auto grid = std::make_unique<Grid>(nullptr);
  grid->SetColCount(cols);
  grid->SetRowCount(static_cast<int>(texts.size()) + 1);
  for (int c = 0; c < cols; ++c) grid->SetCells(c, 0, "h" + IntToStr(c));
  for (std::size_t i = 0; i < texts.size(); ++i) {
    grid->SetCells(0, static_cast<int>(i) + 1, IntToStr(static_cast<int>(i)));
    grid->SetCells(1, static_cast<int>(i) + 1, texts[i]);
  }
  return grid;
}

std::vector<AnsiString> Column(TExStringGrid& grid, int col) {
  std::vector<AnsiString> out;
  for (int r = grid.FixedRows(); r < grid.RowCount(); ++r) out.push_back(grid.Cells(col, r));
  return out;
}

void SortBy(TExStringGrid& grid, int col, TSortDirection dir = sdAscending) {
  grid.SortSettings()->SetColumn(col);
  grid.SortSettings()->SetDirection(dir);
  grid.SortOnColumn();
}

TEST(GridSort, NumbersSortByValueWithTheBlankFirst) {
  auto grid = GridOf({"10", "9", ""});
  SortBy(*grid, 1);
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"", "9", "10"}));
  EXPECT_EQ(grid->RowCount(), 4) << "the scratch rows are gone";
  EXPECT_EQ(grid->Cells(1, 0), "h1") << "the header row stays";
  SortBy(*grid, 1, sdDescending);
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"10", "9", ""}));
}

TEST(GridSort, KoreanTitlesSortByTheirBytes) {
  const AnsiString a = "가을 동화"_k, b = "가을의 전설"_k, c = "나비"_k, d = "Zorro";
  auto grid = GridOf({c, b, d, a});
  SortBy(*grid, 1);
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{d, a, b, c}));
}

// Titles that share their first eight bytes or more, titles that are the
// start of others, bytes above 0x7F and a NUL inside a text: a keyed sort
// orders them exactly as comparing their bytes does, both ways.
TEST(GridSort, TitlesWithSharedBeginningsSortByAllTheirBytes) {
  const std::vector<AnsiString> pool = {
      "ABCDEFGH", "ABCDEFGHI", "ABCDEFGG", "ABCDEFGHA", "ABCDEFG", "ABCDEFGH\x01", std::string("ABC\0D", 5),
      std::string("ABC", 3), "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOQ", "가을 동화 1"_k, "가을 동화 2"_k,
      "가을 동화"_k, "가을의 전설"_k, "\xFF\xFE", "\xFF", "a", "Zorro", "zorro"};
  std::vector<AnsiString> texts;
  for (int i = 0; i < 300; ++i) texts.push_back(pool[static_cast<std::size_t>(i * 7 % 19)]);
  std::vector<AnsiString> expected = texts;
  std::stable_sort(expected.begin(), expected.end());
  auto grid = GridOf(texts);
  SortBy(*grid, 1);
  EXPECT_EQ(Column(*grid, 1), expected);
  SortBy(*grid, 1, sdDescending);
  std::reverse(expected.begin(), expected.end());
  EXPECT_EQ(Column(*grid, 1), expected);
}

TEST(GridSort, IgnoredBlanksEndLastInBothDirections) {
  for (TSortDirection dir : {sdAscending, sdDescending}) {
    auto grid = GridOf({"b", "", "a", "", "c"});
    grid->SortSettings()->SetIgnoreBlanks(true);
    grid->SortSettings()->SetBlankPos(blLast);
    SortBy(*grid, 1, dir);
    const std::vector<AnsiString> want = dir == sdAscending ? std::vector<AnsiString>{"a", "b", "c", "", ""}
                                                            : std::vector<AnsiString>{"c", "b", "a", "", ""};
    EXPECT_EQ(Column(*grid, 1), want) << (dir == sdAscending ? "ascending" : "descending");
  }
}

TEST(GridSort, TiesAreOrderedByTheColumnsToTheRight) {
  // Keyed, and read cell by cell where property objects stand in every column.
  auto make = [](bool withObjects) {
    auto grid = GridOf({"x", "y", "x", "x"}, 4);
    const char* third[] = {"2", "1", "1", "2"};
    const char* fourth[] = {"b", "z", "c", "a"};
    for (int r = 1; r <= 4; ++r) {
      grid->SetCells(2, r, third[r - 1]);
      grid->SetCells(3, r, fourth[r - 1]);
    }
    if (withObjects)
      for (int c = 1; c < 4; ++c) grid->CellPropertiesAt(c, 2);
    return grid;
  };
  for (bool withObjects : {false, true}) {
    auto grid = make(withObjects);
    SortBy(*grid, 1);
    // x/1/c, x/2/a, x/2/b, y/1/z
    EXPECT_EQ(Column(*grid, 0), (std::vector<AnsiString>{"2", "3", "0", "1"})) << withObjects;
    // The second to last column's ties are ordered by the last one.
    grid = make(withObjects);
    SortBy(*grid, 2);
    EXPECT_EQ(Column(*grid, 3), (std::vector<AnsiString>{"c", "z", "a", "b"})) << withObjects;
  }

  auto grid = make(false);
  grid->SortSettings()->SetFull(false);
  SortBy(*grid, 3);
  EXPECT_EQ(Column(*grid, 3), (std::vector<AnsiString>{"a", "b", "c", "z"}));
}

// Comparisons over a plain column read keys made once (texts, styles and
// numbers); a column holding property objects reads its cells on every
// comparison. Both must give the very same order, ties, blanks, numbers
// with separators, dates, Korean and mixed texts included.
TEST(GridSort, ColumnsReadOnceSortExactlyAsColumnsReadCellByCell) {
  const std::vector<AnsiString> genres = {"드라마"_k, "SF", "드라마"_k, "", "SF", "드라마"_k, "SF", "", "드라마"_k, "SF", "드라마"_k, "SF"};
  const std::vector<AnsiString> values = {"1,200", "95", "abc", "", "-3", "95", "12/03/2001", "7.5", "1,200", "x9", "0", "95"};
  auto make = [&](bool withObjects) {
    auto grid = GridOf(genres, 4);
    for (std::size_t i = 0; i < values.size(); ++i) {
      grid->SetCells(2, static_cast<int>(i) + 1, values[i]);
      grid->SetCells(3, static_cast<int>(i) + 1, "t" + IntToStr(static_cast<int>(11 - i)));
    }
    if (withObjects)
      for (int c = 1; c < 4; ++c) grid->CellPropertiesAt(c, 5);
    return grid;
  };
  for (bool ignoreBlanks : {false, true})
    for (TSortDirection dir : {sdAscending, sdDescending}) {
      auto keyed = make(false);
      auto cellByCell = make(true);
      for (auto* grid : {keyed.get(), cellByCell.get()}) {
        grid->SortSettings()->SetIgnoreBlanks(ignoreBlanks);
        SortBy(*grid, 1, dir);
      }
      EXPECT_EQ(Column(*keyed, 0), Column(*cellByCell, 0)) << ignoreBlanks << " " << dir;
      // The ties on column 1 are ordered by column 2's numbers.
      EXPECT_EQ(Column(*keyed, 2), Column(*cellByCell, 2));
    }
}

// Sorts on column 1, both ways, a grid made to sort by its columns' keys
// (make(false)) and one whose property objects make it read its cells
// (make(true)): both must end in one order.
template <class Make>
void ExpectKeyedSortAsCellByCell(const Make& make) {
  for (TSortDirection dir : {sdAscending, sdDescending}) {
    auto keyed = make(false);
    auto cellByCell = make(true);
    SortBy(*keyed, 1, dir);
    SortBy(*cellByCell, 1, dir);
    EXPECT_EQ(Column(*keyed, 0), Column(*cellByCell, 0)) << dir;
  }
}

TEST(GridSort, TextsThatStartWithANumberCompareByItWhetherKeyedOrReadCellByCell) {
  // "120 min" is no number, yet a numeric comparison reads the 120 it
  // starts with; a sort column's keys must answer the same.
  const std::vector<AnsiString> values = {"95", "120 min", "100", "90 min", "7", "300 x", "95", "15 min"};
  auto make = [&](bool withObjects) {
    auto grid = GridOf(values);
    if (withObjects) grid->CellPropertiesAt(1, 3);
    return grid;
  };
  ExpectKeyedSortAsCellByCell(make);
}

// Under every style that compares two texts, a column's keys order
// mixed-case texts as its cells do, whether the style is the column's own
// (its keys compared directly) or a handler's (asked at each comparison).
TEST(GridSort, EveryTextStyleOrdersMixedCaseTextsKeyedAsCellByCell) {
  const std::vector<AnsiString> texts = {"banana", "Cherry", "apple", "Banana", "<b>b</b>", "10", "", "B", "9", "cherry"};
  for (TSortStyle style : {ssAutomatic, ssAlphabetic, ssNumeric, ssDate, ssAlphaNoCase, ssAlphaCase, ssShortDateEU,
                           ssShortDateUS, ssFinancial, ssAnsiAlphaCase, ssAnsiAlphaNoCase, ssHTML, ssUnicode,
                           ssDateTime, ssTime}) {
    SCOPED_TRACE(static_cast<int>(style));
    ExpectKeyedSortAsCellByCell([&](bool withObjects) {
      auto grid = GridOf<TExColumnGrid>(texts);
      grid->Columns()->Items(1)->SetSortStyle(style);
      if (withObjects) grid->CellPropertiesAt(1, 3);
      return grid;
    });
    ExpectKeyedSortAsCellByCell([&](bool withObjects) {
      auto grid = GridOf(texts);
      grid->OnGetFormat = [style](TObject*, int, TSortStyle& s, AnsiString&, AnsiString&) { s = style; };
      if (withObjects) grid->CellPropertiesAt(1, 3);
      return grid;
    });
  }
  auto grid = GridOf<TExColumnGrid>({"banana", "Cherry", "apple", "Banana"});
  grid->Columns()->Items(1)->SetSortStyle(ssAlphaNoCase);
  SortBy(*grid, 1);
  std::vector<AnsiString> folded = Column(*grid, 1);
  for (AnsiString& text : folded) text = LowerCase(text);
  EXPECT_EQ(folded, (std::vector<AnsiString>{"apple", "banana", "banana", "cherry"}));
}

// A catalogue-sized grid whose sort column has few values, so that ties
// run on through several columns: the columns ties reach often get their
// keys part way through the sort, several in one pass, the one they reach
// rarely is read from its cells. The order must be that of a grid whose
// every column is read cell by cell.
TEST(GridSort, KeysMadePartWayThroughALargeSortGiveTheCellByCellOrder) {
  const std::vector<AnsiString> kinds = {"드라마"_k, "SF", "공포"_k, ""};
  auto make = [&](bool withObjects) {
    auto grid = std::make_unique<TExStringGrid>(nullptr);
    grid->SetColCount(7);
    grid->SetRowCount(3001);
    for (int r = 1; r <= 3000; ++r) {
      const unsigned h = static_cast<unsigned>(r) * 2654435761u;
      grid->SetCells(0, r, IntToStr(r));
      grid->SetCells(1, r, kinds[h % 4]);
      grid->SetCells(2, r, IntToStr(static_cast<int>(h >> 8) % 7));
      grid->SetCells(3, r, (h >> 12) % 5 == 0 ? AnsiString() : IntToStr(static_cast<int>(h >> 12) % 3) + ".5");
      grid->SetCells(4, r, (h >> 16) % 2 ? "x" + IntToStr(static_cast<int>(h >> 17) % 400)
                                         : "12/" + IntToStr(10 + static_cast<int>(h >> 17) % 18) + "/" +
                                               IntToStr(1980 + static_cast<int>(h >> 22) % 40));
      grid->SetCells(5, r, "http://movie" + IntToStr(static_cast<int>(h >> 20) % 3000) + ".example/");
      grid->SetCells(6, r, IntToStr(3000 - r));
    }
    if (withObjects)
      for (int c = 1; c < 7; ++c) grid->CellPropertiesAt(c, 7);
    return grid;
  };
  ExpectKeyedSortAsCellByCell(make);
}

// A format handler may answer differently from one comparison to the
// next, so a sort with one asks it every time: here it reads the running
// times as numbers once their unit is dropped.
TEST(GridSort, FormatHandlerTurnsTextsWithAUnitIntoNumbers) {
  auto grid = GridOf({"120분"_k, "95분"_k, "1,000분"_k, "8분"_k});
  int asked = 0;
  grid->OnGetFormat = [&](TObject*, int col, TSortStyle& style, AnsiString&, AnsiString& suffix) {
    ++asked;
    if (col != 1) return;
    style = ssNumeric;
    suffix = "분"_k;
  };
  SortBy(*grid, 1);
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"8분"_k, "95분"_k, "120분"_k, "1,000분"_k}));
  EXPECT_GT(asked, 4) << "asked for each comparison, not once";
  grid->OnGetFormat = nullptr;
  SortBy(*grid, 1);
  // Without the handler they are texts, compared byte by byte.
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"1,000분"_k, "120분"_k, "8분"_k, "95분"_k}));
}

TEST(GridSort, EqualRowsAreNotSwappedByTheColumnSort) {
  // Nothing to gain from moving rows that compare equal: a grid sorted
  // already sorts without a single swap, and equal keys keep their order.
  auto grid = GridOf({"1", "2", "2", "3", "3", "3"});
  grid->SortSettings()->SetFull(false);
  SortBy(*grid, 1);
  EXPECT_EQ(grid->SwapCount(), 0);
  EXPECT_EQ(Column(*grid, 0), (std::vector<AnsiString>{"0", "1", "2", "3", "4", "5"}));
}

TEST(GridSort, FixedColumnKeepsItsTextsWithNormalCellsOnly) {
  auto grid = GridOf({"c", "a", "b"});
  grid->SetFixedCols(1);
  grid->SortSettings()->SetNormalCellsOnly(true);
  SortBy(*grid, 1);
  EXPECT_EQ(Column(*grid, 0), (std::vector<AnsiString>{"0", "1", "2"}));
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"a", "b", "c"}));
}

TEST(GridSort, SingleColumnMovesOnlyTheSortColumnAndComesBack) {
  auto grid = GridOf({"c", "a", "b"});
  grid->SortSettings()->SetSingleColumn(true);
  SortBy(*grid, 1);
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"a", "b", "c"}));
  EXPECT_EQ(Column(*grid, 0), (std::vector<AnsiString>{"0", "1", "2"})) << "the other columns stay";
  grid->RestoreUnsortedOrder();
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"c", "a", "b"}));
  EXPECT_EQ(Column(*grid, 0), (std::vector<AnsiString>{"0", "1", "2"}));
}

TEST(GridSort, FooterRowsStayAtTheBottom) {
  auto grid = GridOf({"c", "a", "b", "total"});
  grid->SetFixedFooters(1);
  SortBy(*grid, 1, sdDescending);
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"c", "b", "a", "total"}));
  grid->RestoreUnsortedOrder();
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"c", "a", "b", "total"}));
}

TEST(GridSort, PropertyObjectsMoveWithTheirRowsAndAreFreedOnce) {
  auto grid = GridOf({"c", "a", "b"});
  TCellProperties* props = grid->CellPropertiesAt(2, 1);  // row "c"
  props->SetFontSize(17);
  grid->SetRowHeights(1, 40);
  SortBy(*grid, 1);
  EXPECT_EQ(grid->FindCellProperties(2, 3), props);
  EXPECT_FALSE(grid->HasCellProperties(2, 1));
  EXPECT_EQ(grid->RowHeights(3), 40) << "the row height travels with the row";
  EXPECT_EQ(grid->RowHeights(1), grid->DefaultRowHeight());
  // The pivot copy shared the object; the grid still owns it exactly once
  // (the sanitizer build would report a double free when the grid goes).
}

TEST(GridSort, DisplayTextSortsAndScratchRowsNeverReachTheEvent) {
  auto grid = GridOf({"1", "2", "3"});
  int askedPastEnd = 0;
  grid->OnGetDisplText = [&](TObject*, int col, int row, AnsiString& text) {
    if (row >= 4) ++askedPastEnd;
    if (col == 1 && text == "1") text = "9";
  };
  SortBy(*grid, 1);
  grid->OnGetDisplText = nullptr;
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"2", "3", "1"}));
  EXPECT_EQ(askedPastEnd, 0);
}

TEST(GridSort, StyleQueryChoosesCheckBoxesAndCustomOrder) {
  auto grid = GridOf({"bb", "a", "ccc"});
  TSortStyle columnStyle = ssCustom;
  grid->OnGetFormat = [&](TObject*, int col, TSortStyle& style, AnsiString&, AnsiString&) {
    if (col == 1) style = columnStyle;
  };
  grid->OnCustomCompare = [](TObject*, const AnsiString& a, const AnsiString& b, int& res) {
    res = a.size() < b.size() ? 1 : (a.size() > b.size() ? -1 : 0);  // longest first
  };
  SortBy(*grid, 1);
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"ccc", "bb", "a"}));

  // Check boxes: set after cleared in ascending order.
  for (int r = 1; r <= 3; ++r) {
    TCellGraphic* box = grid->CreateCellGraphic(1, r);
    box->SetCellType(ctCheckBox);
    box->SetCellBoolean(grid->Cells(1, r) == "bb");
  }
  columnStyle = ssCheckBox;
  SortBy(*grid, 1, sdDescending);
  EXPECT_EQ(grid->Cells(1, 1), "bb");
  SortBy(*grid, 1);
  EXPECT_EQ(grid->Cells(1, 3), "bb");
  // The automatic style finds the check boxes by itself.
  columnStyle = ssAutomatic;
  SortBy(*grid, 1, sdDescending);
  EXPECT_EQ(grid->Cells(1, 1), "bb");
}

TEST(GridSort, IndexedSortNeedsEntriesAndUsesEachDirection) {
  auto grid = GridOf({"x", "y", "x", "y"});
  const char* third[] = {"1", "1", "2", "2"};
  for (int r = 1; r <= 4; ++r) grid->SetCells(2, r, third[r - 1]);
  try {
    grid->SortByIndexList();
    FAIL() << "an empty index list must be refused";
  } catch (const EExGridError& e) {
    EXPECT_STREQ(e.what(), "No indexes specified for indexed sort");
  }
  EXPECT_EQ(Column(*grid, 0), (std::vector<AnsiString>{"0", "1", "2", "3"})) << "nothing moved";

  grid->SortIndexes()->AddIndex(1, false);  // descending
  grid->SortIndexes()->AddIndex(2, true);
  grid->SortByIndexList();
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"y", "y", "x", "x"}));
  EXPECT_EQ(Column(*grid, 2), (std::vector<AnsiString>{"1", "2", "1", "2"}));
}

TEST(GridSort, SortRowMustBeAFixedRow) {
  auto grid = GridOf({"a", "b"});
  grid->SortSettings()->SetRow(0);
  try {
    grid->SortSettings()->SetRow(1);
    FAIL() << "row 1 holds data";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Sort row should be smaller than number of fixed rows");
  }
  EXPECT_EQ(grid->SortSettings()->Row(), 0) << "the old value stays";
  EXPECT_THROW(grid->SortSettings()->SetRow(-1), Exception);
  grid->SetFixedRows(2);
  grid->SortSettings()->SetRow(1);
  EXPECT_EQ(grid->SortSettings()->Row(), 1);
}

TEST(GridSort, HeaderClicksCycleAscendingDescendingUnsorted) {
  auto grid = GridOf({"b", "c", "a"});
  grid->SortSettings()->SetShow(true);
  grid->SortSettings()->SetUndoSort(true);
  int clicked = -2;
  grid->OnClickSort = [&](TObject*, int col) { clicked = col; };
  grid->HeaderClickSort(1, false);
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"a", "b", "c"}));
  EXPECT_EQ(clicked, 1);
  grid->HeaderClickSort(1, false);
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"c", "b", "a"}));
  grid->HeaderClickSort(1, false);
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"b", "c", "a"}));
  EXPECT_EQ(grid->SortSettings()->Column(), -1);
  EXPECT_EQ(clicked, -1);

  bool vetoed = false;
  grid->OnCanSort = [&](TObject*, int, bool& doSort) {
    doSort = false;
    vetoed = true;
  };
  grid->HeaderClickSort(1, false);
  EXPECT_TRUE(vetoed);
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"b", "c", "a"}));
}

TEST(GridSort, HeaderClicksWithShiftBuildTheIndexList) {
  auto grid = GridOf({"x", "y", "x"});
  grid->SortSettings()->SetShow(true);
  grid->SortSettings()->SetIndexShow(true);
  grid->HeaderClickSort(1, false);
  grid->HeaderClickSort(0, true);
  ASSERT_EQ(grid->SortIndexes()->Count(), 2);
  EXPECT_EQ(Column(*grid, 0), (std::vector<AnsiString>{"0", "2", "1"}));
  grid->HeaderClickSort(0, true);  // toggles column 0 to descending
  EXPECT_EQ(Column(*grid, 0), (std::vector<AnsiString>{"2", "0", "1"}));
  grid->HeaderClickSort(1, false);  // another column alone: the list starts again
  EXPECT_EQ(grid->SortIndexes()->Count(), 1);
}

TEST(GridSort, BubbleSortEndsEvenWhenTheComparisonContradictsItself) {
  // "10" judged first compares as a number ("abc" reads 0: 10 is larger);
  // "abc" judged first compares as text ("a" after "1": larger again).
  auto grid = GridOf({"10", "abc", "5", "abc", "10"});
  grid->BubbleSortColumn(1);
  EXPECT_EQ(grid->RowCount(), 6);
  auto plain = GridOf({"c", "a", "b", "a"});
  plain->BubbleSortColumn(1);
  EXPECT_EQ(Column(*plain, 1), (std::vector<AnsiString>{"a", "a", "b", "c"}));
}

TEST(GridSort, SortWithinGroupsKeepsEachGroupUnderItsNode) {
  auto grid = GridOf({"G1", "c", "a", "b", "G2", "z", "y"});
  auto node = [&](int row, int span) {
    TCellGraphic* graphic = grid->CreateCellGraphic(0, row);
    graphic->SetCellType(ctNode);
    graphic->SetCellIndex(span);
  };
  node(1, 4);
  node(5, 0);  // span 0: up to the end
  grid->SortSettings()->SetColumn(1);
  grid->SortWithinGroups();
  EXPECT_EQ(Column(*grid, 1), (std::vector<AnsiString>{"G1", "a", "b", "c", "G2", "y", "z"}));
  EXPECT_EQ(grid->GetCellType(0, 1), ctNode);
  EXPECT_EQ(grid->GetCellType(0, 5), ctNode);

  // A span that claims more rows than there are stops at the last row.
  auto small = GridOf({"G", "b", "a"});
  TCellGraphic* graphic = small->CreateCellGraphic(0, 1);
  graphic->SetCellType(ctNode);
  graphic->SetCellIndex(50);
  small->SetRowCount(small->RowCount() + 1);
  small->SetCells(1, 4, "footer");
  small->SetFixedFooters(1);
  small->SortSettings()->SetColumn(1);
  small->SortWithinGroups();
  EXPECT_EQ(Column(*small, 1), (std::vector<AnsiString>{"G", "a", "b", "footer"}));
}

// ------------------------------------------------------------- catalogue round trips

struct CatalogueSort : ::testing::Test {
  std::unique_ptr<TExStringGrid> grid = std::make_unique<TExStringGrid>(nullptr);
  std::vector<std::vector<AnsiString>> rows = GenerateCatalogue(300);
  void SetUp() override {
    FillCatalogueGrid(*grid, rows);
    grid->SetFixedCols(0);
  }
  // Every real cell of every row equals the generated catalogue.
  void ExpectOriginalOrder(const char* when) {
    ASSERT_EQ(grid->RowCount(), static_cast<int>(rows.size()) + 1) << when;
    for (std::size_t r = 0; r < rows.size(); ++r)
      for (int c = 0; c < kCatalogueColumns; ++c)
        ASSERT_EQ(grid->Cells(c, static_cast<int>(r) + 1), rows[r][static_cast<std::size_t>(c)])
            << when << ": row " << r + 1 << " column " << c;
  }
  // Every row, shown in full, is one generated movie: no cell was left
  // behind or taken along by another row (found by its home page or folder).
  void ExpectRowsIntact(const char* when) {
    for (int r = 1; r < grid->RowCount(); ++r) {
      int movie = -1;
      for (int col : {12, 34}) {
        const AnsiString key = grid->Cells(col, r);
        const std::size_t at = key.rfind("movie");
        if (at != AnsiString::npos && TryStrToInt(key.substr(at + 5, key.find_first_not_of("0123456789", at + 5) - at - 5), movie)) break;
      }
      ASSERT_GE(movie, 0) << when << ": row " << r << " has neither key";
      for (int c = 0; c < kCatalogueColumns; ++c)
        ASSERT_EQ(grid->Cells(c, r), rows[static_cast<std::size_t>(movie)][static_cast<std::size_t>(c)])
            << when << ": row " << r << " column " << c;
    }
  }
  void ExpectSorted(int col, TSortDirection dir) {
    for (int r = 2; r < grid->RowCount(); ++r) {
      const int cmp = CompareTextsByStyle(ssAutomatic, grid->Cells(col, r - 1), grid->Cells(col, r));
      // Under the automatic style, neighbours never stand against the direction
      // when both are of the same kind.
      if (NumberTextKind(grid->Cells(col, r - 1)) < 2 && NumberTextKind(grid->Cells(col, r)) < 2) {
        ASSERT_NE(cmp, SortSign(dir)) << "rows " << r - 1 << " and " << r;
      }
    }
  }
};

TEST_F(CatalogueSort, SortsByTitleAndRunningTimeAndComesBackExactly) {
  TCellProperties* props = grid->CellPropertiesAt(kColFileSize, 7);
  SortBy(*grid, kColTitle);
  for (int r = 2; r < grid->RowCount(); ++r)
    ASSERT_LE(grid->Cells(kColTitle, r - 1).compare(grid->Cells(kColTitle, r)), 0) << r;
  SortBy(*grid, kColRunningTime, sdDescending);
  ExpectSorted(kColRunningTime, sdDescending);
  grid->SortIndexes()->AddIndex(kColGenre, true);
  grid->SortIndexes()->AddIndex(kColYear, false);
  grid->SortByIndexList();
  for (int r = 2; r < grid->RowCount(); ++r) {
    const int genre = grid->Cells(kColGenre, r - 1).compare(grid->Cells(kColGenre, r));
    ASSERT_LE(genre, 0) << r;
    if (genre == 0) {
      ASSERT_GE(grid->Ints(kColYear, r - 1), grid->Ints(kColYear, r)) << r;
    }
  }
  grid->RestoreUnsortedOrder();
  ExpectOriginalOrder("after restoring");
  EXPECT_EQ(grid->FindCellProperties(kColFileSize, 7), props);
  EXPECT_EQ(grid->Cells(0, 0), "제목"_k);
}

TEST_F(CatalogueSort, RestoreWithAFooterRowLeavesItInPlace) {
  grid->SetRowCount(grid->RowCount() + 1);
  const int footer = grid->RowCount() - 1;
  grid->SetCells(kColTitle, footer, "합계"_k);
  grid->SetFixedFooters(1);
  SortBy(*grid, kColRunningTime);
  EXPECT_EQ(grid->Cells(kColTitle, footer), "합계"_k);
  grid->RestoreUnsortedOrder();
  EXPECT_EQ(grid->Cells(kColTitle, footer), "합계"_k);
  grid->SetFixedFooters(0);
  grid->SetRowCount(footer);
  ExpectOriginalOrder("after restoring with a footer");
}

TEST_F(CatalogueSort, RestoreAfterRowsWereAddedChangesNothing) {
  SortBy(*grid, kColTitle);
  std::vector<AnsiString> sorted = Column(*grid, kColTitle);
  grid->InsertRows(5, 1);
  grid->SetCells(kColTitle, 5, "new");
  grid->RestoreUnsortedOrder();
  sorted.insert(sorted.begin() + 4, "new");
  EXPECT_EQ(Column(*grid, kColTitle), sorted);
  // From here the order counts from this state.
  SortBy(*grid, kColYear);
  grid->RestoreUnsortedOrder();
  EXPECT_EQ(Column(*grid, kColTitle), sorted);
}

TEST_F(CatalogueSort, HiddenColumnsTravelWithTheirRows) {
  grid->HideColumns(30, 35);
  ASSERT_EQ(grid->HiddenColumnCount(), 6);
  SortBy(*grid, kColTitle, sdDescending);
  SortBy(*grid, kColRunningTime);
  for (int r = 2; r < grid->RowCount(); ++r)
    ASSERT_LE(grid->Ints(kColRunningTime, r - 1), grid->Ints(kColRunningTime, r)) << r;
  grid->ShowAllColumns();
  ExpectRowsIntact("sorted, hidden columns shown again");
  grid->HideColumns(30, 35);
  grid->RestoreUnsortedOrder();
  grid->ShowAllColumns();
  ExpectOriginalOrder("after showing the hidden columns");
}

TEST_F(CatalogueSort, SortColumnIsADisplayColumnWhileColumnsAreHidden) {
  grid->HideColumns(1, 3);  // the running time is display column 6 now
  SortBy(*grid, kColRunningTime - 3);
  for (int r = 2; r < grid->RowCount(); ++r)
    ASSERT_LE(grid->Ints(kColRunningTime, r - 1), grid->Ints(kColRunningTime, r)) << r;
  grid->RestoreUnsortedOrder();
  grid->ShowAllColumns();
  ExpectOriginalOrder("after showing the hidden columns");
}

}  // namespace
