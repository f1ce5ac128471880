#include "app/Catalogue.h"

#include <gtest/gtest.h>

using Elements = std::vector<AnsiString>;

TEST(CatalogueLists, PerFileListsQuoteWhatWouldSplitAndReadBack) {
  struct Case {
    Elements elements;
    AnsiString text;
  };
  const Case cases[] = {
      {{"a.avi", "b.avi"}, "a.avi|b.avi"},
      {{""}, "\"\""},
      {{}, ""},
      {{"My Movie.avi", "x"}, "\"My Movie.avi\"|x"},
      {{"a|b", "say \"hi\""}, "\"a|b\"|\"say \"\"hi\"\"\""},
      {{"영화 1.avi"_k, "둘.avi"_k}, "\"영화 1.avi\"|둘.avi"_k},
      {{"", "2"}, "|2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JoinFileList(c.elements), c.text);
    EXPECT_EQ(SplitFileList(c.text), c.elements) << c.text;
  }
  // Lists as catalogues hold them: only "|" separates, blanks around an
  // element go, quotes keep what they hold.
  const Case read[] = {
      {{"DivX 5", "DivX 5", "XviD"}, "DivX 5|DivX 5|XviD"},
      {{"a", "b", ""}, " a | b |"},
      {{" a ", "b"}, "\" a \" |b"},
      {{"a b", ""}, "\"a\" b|"},
      {{"", ""}, "|"},
      {{"2채널"_k}, "  2채널 "_k},
  };
  for (const Case& c : read) EXPECT_EQ(SplitFileList(c.text), c.elements) << c.text;
}

TEST(CatalogueLists, PosterListIsCommaText) {
  EXPECT_EQ(JoinPosterList({"a.jpg", "b c.jpg"}), "a.jpg,\"b c.jpg\"");
  EXPECT_EQ(SplitPosterList("a.jpg,\"/x/b c.jpg\""), (Elements{"a.jpg", "/x/b c.jpg"}));
  EXPECT_EQ(SplitPosterList("my poster.jpg, b.jpg"), (Elements{"my poster.jpg", "b.jpg"}));
}

TEST(CatalogueGrid, FortyTwoNamedColumnsOnlyTheFolderEditable) {
  TExColumnGrid grid(nullptr);
  SetupCatalogueGrid(grid);
  ASSERT_EQ(grid.ColCount(), kCatalogueColumnCount);
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.FixedRows(), 1);
  EXPECT_EQ(grid.FixedCols(), 1);
  EXPECT_EQ(grid.ColWidths(0), 226);
  for (const TCatalogueColumnDef& def : CatalogueColumns()) {
    TGridColumnItem* item = grid.ColumnByName(*def.Header);
    ASSERT_NE(item, nullptr) << *def.Header;
    EXPECT_EQ(grid.Cells(item->Index(), 0), *def.Header);
    EXPECT_EQ(item->ReadOnly(), *def.Header != Cat::Folder);
  }
  EXPECT_EQ(grid.ColWidths(CatalogueColumnIndex(grid, Cat::HomePage)), 91);
  EXPECT_EQ(CatalogueColumnIndex(grid, "없는열"_k), -1);
  EXPECT_FALSE(SetCatalogueCell(grid, "없는열"_k, 1, "x"));
  EXPECT_EQ(CatalogueCell(grid, "없는열"_k, 1), "");
  EXPECT_EQ(FileColumnPairs().size(), static_cast<std::size_t>(kFileColumnCount));

  // A year merged over a series of three: the middle movie's own year
  // changes that movie alone; writing the year it shows keeps the span.
  grid.SetRowCount(4);
  const int year = CatalogueColumnIndex(grid, Cat::Year);
  grid.SetCells(year, 1, "1954");
  grid.MergeCells(year, 1, 1, 3);
  ASSERT_TRUE(SetCatalogueCell(grid, Cat::Year, 2, "1954"));
  EXPECT_TRUE(grid.IsYMergedCell(year, 3));
  ASSERT_TRUE(SetCatalogueCell(grid, Cat::Year, 2, "1999"));
  EXPECT_EQ(CatalogueCell(grid, Cat::Year, 1), "1954");
  EXPECT_EQ(CatalogueCell(grid, Cat::Year, 2), "1999");
  EXPECT_EQ(CatalogueCell(grid, Cat::Year, 3), "1954");
}

TEST(CatalogueGrid, HeadersAndTheActiveCellTakeTheColoursOfTheDesktopsScheme) {
  TExColumnGrid grid(nullptr);
  SetupCatalogueGrid(grid);
  EXPECT_TRUE(grid.AutoThemeAdapt());
  // A Linux desktop has none of the three known schemes: the neutral row.
  EXPECT_EQ(grid.FixedGradientFrom(), 0xFFFFFFu);
  EXPECT_EQ(grid.FixedGradientTo(), static_cast<TColor>(clBtnFace));
  EXPECT_EQ(grid.ActiveCellColor(), 0xFFFFFFu);
  EXPECT_EQ(grid.ActiveCellColorTo(), 0xFFD9B3u);
  // Titles are picked by a click on the fixed column.
  EXPECT_TRUE(grid.MouseActions()->RowSelect());
  EXPECT_TRUE(grid.MouseActions()->DisjunctRowSelect());
}
