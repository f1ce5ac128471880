// The grid's filter: which rows a set of filter items keeps, how their
// results chain, what the progress event reports, and that switching the
// filter off brings every row back at its place, also when other rows were
// hidden before the filter came on.
#include <gtest/gtest.h>

#include <vector>

#include "grid/ExGrid.h"
#include "platform/rtl/Cp949.h"
#include "tests/grid/TransferTestSupport.h"

namespace {

struct FilterGrid : ::testing::Test {
  std::unique_ptr<TExStringGrid> grid = std::make_unique<TExStringGrid>(nullptr);
  // Row 0 is the header; rows 1..n hold "name", "kind", "price".
  void SetUp() override {
    const std::vector<std::vector<AnsiString>> rows = {
        {"apple", "fruit", "3"},      {"Apricot", "fruit", "12"}, {"carrot", "vegetable", "2"},
        {"banana", "fruit", "9.5"},   {"leek", "vegetable", "10"}, {"사과"_k, "과일"_k, "1,200"},
        {"cherry", "fruit", "10.5"},  {"", "", ""},
    };
    grid->SetColCount(3);
    grid->SetRowCount(static_cast<int>(rows.size()) + 1);
    grid->SetFixedRows(1);
    grid->SetCells(0, 0, "name");
    grid->SetCells(1, 0, "kind");
    grid->SetCells(2, 0, "price");
    for (std::size_t r = 0; r < rows.size(); ++r)
      for (int c = 0; c < 3; ++c) grid->SetCells(c, static_cast<int>(r) + 1, rows[r][static_cast<std::size_t>(c)]);
  }
  std::vector<AnsiString> Names() {
    std::vector<AnsiString> names;
    for (int r = grid->FixedRows(); r < grid->RowCount(); ++r) names.push_back(grid->Cells(0, r));
    return names;
  }
  TFilterData* AddItem(int col, const AnsiString& condition, TFilterOperation op = foSHORT) {
    TFilterData* item = grid->Filter()->Add();
    item->SetColumn(static_cast<SmallInt>(col));
    item->SetCondition(condition);
    item->SetOperation(op);
    return item;
  }
  std::vector<std::vector<AnsiString>> AllCells() {
    std::vector<std::vector<AnsiString>> cells;
    for (int r = 0; r < grid->RowCount(); ++r) {
      std::vector<AnsiString> row;
      for (int c = 0; c < grid->RealColCount(); ++c) row.push_back(grid->Cells(c, r));
      cells.push_back(row);
    }
    return cells;
  }
};

TEST_F(FilterGrid, ASearchKeepsTheMatchingRowsAndSwitchingOffBringsAllBack) {
  const auto before = AllCells();
  AddItem(1, "fruit");
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"apple", "Apricot", "banana", "cherry"}));
  EXPECT_EQ(grid->HiddenRowCount(), 4);
  EXPECT_EQ(grid->Cells(0, 0), "name") << "the header row is never tested";
  grid->SetFilterActive(false);
  EXPECT_EQ(grid->HiddenRowCount(), 0);
  EXPECT_EQ(AllCells(), before);
}

TEST_F(FilterGrid, NumberAndNegationConditionsOnTheirColumns) {
  AddItem(2, ">=10");
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"Apricot", "leek", "사과"_k, "cherry"}));
  grid->SetFilterActive(false);
  grid->Filter()->Clear();
  AddItem(1, "!fruit");
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"carrot", "leek", "사과"_k, ""}));
}

TEST_F(FilterGrid, ItemsChainByTheirOperations) {
  // A failing foSHORT item ends the test even when a later "or" item would pass.
  AddItem(1, "vegetable");
  AddItem(0, "apple", foOR);
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"carrot", "leek"}));
  grid->SetFilterActive(false);

  grid->Filter()->Items(0)->SetOperation(foNONE);
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"apple", "carrot", "leek"}));
  grid->SetFilterActive(false);

  // fruit xor price below 10
  grid->Filter()->Clear();
  AddItem(1, "fruit", foNONE);
  AddItem(2, "<10", foXOR);
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"Apricot", "carrot", "cherry", ""}));
  grid->SetFilterActive(false);

  grid->Filter()->Clear();
  AddItem(1, "fruit", foNONE);
  AddItem(0, "*rr*", foAND);
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"cherry"}));
}

// The catalogue's search upper-cases the movie's text: single-byte letters
// only. A syllable whose trail byte is an ASCII letter ("\x81\x61") stays
// as it is, and the lower-case letters after it are raised.
TEST_F(FilterGrid, SearchingUpperCaseLeavesTwoByteCharactersAlone) {
  grid->SetCells(0, 8, "\x81\x61" "abc");
  grid->SetFilterCaseUp(true);
  AddItem(0, "\x81\x61" "ABC");
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"\x81\x61" "abc"}));
  grid->SetFilterActive(false);
  grid->Filter()->Items(0)->SetCondition("*\x81\x41*");
  grid->SetFilterActive(true);
  EXPECT_EQ(grid->RowCount(), 1) << "the trail byte was taken for a letter";
  grid->SetFilterActive(false);
  EXPECT_EQ(grid->Cells(0, 8), "\x81\x61" "abc") << "the cell itself keeps its case";
}

TEST_F(FilterGrid, CaseFoldingPrefixAndSuffix) {
  TFilterData* item = AddItem(0, "AP*");
  item->SetCaseSensitive(false);
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"apple", "Apricot"}));
  grid->SetFilterActive(false);

  // The text is upper-cased before the prefix goes: a lower-case prefix no longer fits.
  grid->SetFilterCaseUp(true);
  item->SetCaseSensitive(true);
  item->SetCondition("PLE");
  item->SetPrefix("ap");
  grid->SetFilterActive(true);
  EXPECT_EQ(grid->RowCount(), 1) << "only the header row is left";
  grid->SetFilterActive(false);
  item->SetPrefix("AP");
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"apple"}));
  grid->SetFilterActive(false);

  // A suffix goes when the text ends with it, even if it occurs earlier too.
  grid->SetFilterCaseUp(false);
  grid->SetCells(0, 8, "rarar");
  item->SetPrefix("");
  item->SetSuffix("ar");
  item->SetCondition("rar");
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"rarar"}));
}

TEST_F(FilterGrid, ProgressRisesToOneHundredAndIsToldOnceMoreAfterHiding) {
  std::vector<int> reported;
  grid->OnFilterProgress = [&](TObject*, SmallInt p) { reported.push_back(p); };
  AddItem(1, "fruit");
  grid->SetFilterActive(true);
  ASSERT_GE(reported.size(), 2u);
  EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
  EXPECT_EQ(reported[reported.size() - 2], 100);
  EXPECT_EQ(reported.back(), 100);
  EXPECT_EQ(reported.front(), 13) << "1 of 8 rows";
}

TEST_F(FilterGrid, FilteringWhileRowsAreHiddenKeepsRealIndicesAndShowsAllInPlace) {
  const auto before = AllCells();
  grid->HideRows(2, 3);  // Apricot, carrot
  grid->HideRow(6);      // 사과
  AddItem(1, "fruit");
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"apple", "banana", "cherry"}));
  // Each row in view sits at its real index: 1 apple, 4 banana, 7 cherry.
  EXPECT_EQ(grid->RealRowIndex(1), 1);
  EXPECT_EQ(grid->RealRowIndex(2), 4);
  EXPECT_EQ(grid->RealRowIndex(3), 7);
  EXPECT_TRUE(grid->IsRowHidden(5));
  EXPECT_TRUE(grid->IsRowHidden(8));
  grid->SetFilterActive(false);
  EXPECT_EQ(grid->HiddenRowCount(), 0);
  EXPECT_EQ(AllCells(), before);
}

TEST_F(FilterGrid, ChangesWhileActiveWaitForTheNextSwitch) {
  AddItem(1, "fruit");
  grid->SetFilterActive(true);
  grid->Filter()->Items(0)->SetCondition("vegetable");
  grid->SetFilterActive(true);  // no change: nothing happens
  EXPECT_EQ(Names().size(), 4u);
  grid->SetFilterActive(false);
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"carrot", "leek"}));
}

TEST_F(FilterGrid, AnItemOnAColumnOutsideTheGridReadsAnEmptyTextAndAllRowsMayFail) {
  AddItem(99, "");
  AddItem(-5, "", foAND);
  grid->SetFilterActive(true);
  EXPECT_EQ(Names().size(), 8u);
  grid->SetFilterActive(false);
  grid->Filter()->Items(0)->SetCondition("?*");
  grid->SetFilterActive(true);
  EXPECT_EQ(grid->RowCount(), 1) << "only the header row is left";
  // With no row below it the header cannot stay fixed; switching the
  // filter off makes it fixed again.
  grid->SetFilterActive(false);
  EXPECT_EQ(grid->RowCount(), 9);
  EXPECT_EQ(grid->FixedRows(), 1);
}

TEST_F(FilterGrid, ALoadOrAnImportOverAFilterThatHidEveryRowKeepsTheHeaderRowFixed) {
  transfer_test::TempDir dir;
  const AnsiString gridFile = (dir.path / "all.grd").string();
  const AnsiString csvFile = dir.Write("all.csv", "name,kind\nplum,fruit\n");
  grid->SaveGridFile(gridFile);
  AddItem(0, "nothing is called so");
  for (int pass = 0; pass < 2; ++pass) {
    grid->SetFilterActive(true);
    ASSERT_EQ(grid->RowCount(), 1) << pass;
    if (pass == 0) grid->LoadGridFile(gridFile);
    else grid->ImportTextFile(csvFile, false);
    EXPECT_EQ(grid->FixedRows(), 1) << pass;
  }
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"plum"}));
}

TEST_F(FilterGrid, FooterRowsAreNeverFiltered) {
  grid->SetFixedFooters(1);
  AddItem(1, "vegetable");
  grid->SetFilterActive(true);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"carrot", "leek", ""}));
  grid->SetFilterActive(false);
  EXPECT_EQ(grid->RowCount(), 9);
}

}  // namespace
