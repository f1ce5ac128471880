// Merged cells torn apart by lines that move or go: every row keeps the text
// the merged cell showed for it, on screen and in the file; and a file's
// properties come back from a save as they were loaded.
#include <gtest/gtest.h>

#include <functional>

#include "grid/ExGrid.h"
#include "grid/GridFile.h"
#include "tests/grid/GridFileTestSupport.h"

namespace {

// Six movies as a file brings them: column 0 the title, column 1 a sort
// key, column 2 a plot shared by rows 2-4 (one merged cell), columns 3-4 a
// language and a reel note, row 5's language shown once across both.
std::unique_ptr<TExStringGrid> MergedCatalogue() {
  auto g = std::make_unique<TExStringGrid>(nullptr);
  g->SetColCount(5);
  g->SetRowCount(7);
  g->SetFixedRows(1);
  const char* keys[] = {"", "f", "b", "e", "a", "d", "c"};
  for (int r = 1; r < 7; ++r) {
    g->SetCells(0, r, "movie" + IntToStr(r));
    g->SetCells(1, r, keys[r]);
    g->SetCells(3, r, "lang" + IntToStr(r));
    if (r != 5) g->SetCells(4, r, "reel" + IntToStr(r));
  }
  g->SetCells(2, 1, "own plot");
  g->MergeCells(2, 2, 1, 3);
  g->SetCells(2, 2, "shared plot");
  g->SetCells(2, 6, "last plot");
  g->MergeCells(3, 5, 2, 1);
  return g;
}

// Each movie's values by its title, as the grid shows them.
std::map<AnsiString, std::vector<AnsiString>> ShownByTitle(TExStringGrid& g) {
  std::map<AnsiString, std::vector<AnsiString>> movies;
  for (int r = g.FixedRows(); r < g.RowCount(); ++r) {
    std::vector<AnsiString>& values = movies[g.Cells(0, r)];
    for (int c = 1; c < g.ColCount(); ++c) values.push_back(g.Cells(c, r));
  }
  return movies;
}

TEST(GridSpanTear, RowsTakenOutOfAMergedCellKeepItsText) {
  const std::vector<std::pair<const char*, std::function<void(TExStringGrid&)>>> changes = {
      {"sorted by the key", [](TExStringGrid& g) {
         g.SortSettings()->SetColumn(1);
         g.SortOnColumn();
       }},
      {"sorted by index list", [](TExStringGrid& g) {
         g.SortIndexes()->AddIndex(1, false);
         g.SortByIndexList();
       }},
      {"bubble sorted", [](TExStringGrid& g) { g.BubbleSortColumn(1); }},
      {"row moved out", [](TExStringGrid& g) { g.MoveRow(3, 6); }},
      {"row moved in", [](TExStringGrid& g) { g.MoveRow(1, 3); }},
      {"row inserted inside", [](TExStringGrid& g) {
         g.InsertRows(3, 1);
         g.RemoveRows(3, 1);
       }},
      {"grouped and ungrouped", [](TExStringGrid& g) {
         g.GroupByColumn(1);
         g.Ungroup();
       }},
  };
  for (const auto& [what, change] : changes) {
    SCOPED_TRACE(what);
    auto grid = MergedCatalogue();
    const auto before = ShownByTitle(*grid);
    ASSERT_EQ(before.at("movie4")[1], "shared plot");
    change(*grid);
    EXPECT_EQ(ShownByTitle(*grid), before);
    // And the file holds what the screen showed.
    TExStringGrid back(nullptr);
    LoadFromBytes(back, SaveToBytes(*grid));
    EXPECT_EQ(ShownByTitle(back), before);
  }
}

TEST(GridSpanTear, TheMoviesLeftWhenTheFirstOfAMergedCellGoesKeepItsText) {
  auto grid = MergedCatalogue();
  grid->RemoveRows(2, 1);  // the base row of the shared plot
  EXPECT_EQ(grid->Cells(2, 2), "shared plot");
  EXPECT_EQ(grid->Cells(2, 3), "shared plot");
  EXPECT_EQ(grid->Cells(2, 4), "") << "the movie after the merged cell keeps its own empty plot";
  auto other = MergedCatalogue();
  other->DeleteRow(2);
  EXPECT_EQ(other->Cells(2, 2), "shared plot");
}

TEST(GridSpanTear, AColumnTakenOutOfAWideMergedCellKeepsItsText) {
  auto grid = MergedCatalogue();
  grid->MoveColumn(4, 1);  // the reel column leaves the language's span
  EXPECT_EQ(grid->Cells(1, 5), "lang5");
  EXPECT_EQ(grid->Cells(4, 5), "lang5");
  auto removed = MergedCatalogue();
  removed->RemoveColumns(3, 1);  // the span's base column goes
  EXPECT_EQ(removed->Cells(3, 5), "lang5");
}

TEST(GridSpanTear, AnExplicitSplitLeavesTheCoveredCellsAsTheyWere) {
  // Only a tear fills the covered cells: a user's own split shows the
  // cells' own texts again, as it always did.
  auto grid = MergedCatalogue();
  grid->SplitCells(2, 2);
  EXPECT_EQ(grid->Cells(2, 2), "shared plot");
  EXPECT_EQ(grid->Cells(2, 3), "");
}

// A file as another writer makes it: cells outside column 0 carry node
// levels in their properties.
std::string FileWithLevelsOnEveryColumn() {
  TGridStreamWriter writer;
  writer.WriteProps({4, 3, "64,64,64,64", "24,24,24", true, 0});
  TGridFileCellExtra extra;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) {
      extra.Properties = {};
      extra.Properties.OwnerCol = c;
      extra.Properties.OwnerRow = r;
      extra.Properties.BrushColor = 0x00102030 + c;
      extra.Properties.NodeLevel = c == 0 ? 0 : (r + c) % 3;
      writer.WriteCell(c, r, "t" + IntToStr(c) + IntToStr(r), &extra);
    }
  return writer.Bytes();
}

TEST(GridSpanTear, AFileOpenedAndSavedUnchangedKeepsTheLevelsOfEveryCell) {
  const std::string file = FileWithLevelsOnEveryColumn();
  TExStringGrid grid(nullptr);
  LoadFromBytes(grid, file);
  EXPECT_EQ(SaveToBytes(grid), file);
  // Rows moved: the levels travel with their cells.
  grid.MoveRow(1, 2);
  TExStringGrid back(nullptr);
  LoadFromBytes(back, SaveToBytes(grid));
  ASSERT_NE(back.FindCellProperties(2, 2), nullptr);
  EXPECT_EQ(back.FindCellProperties(2, 2)->NodeLevel(), (1 + 2) % 3);
  EXPECT_EQ(back.FindCellProperties(2, 1)->NodeLevel(), (2 + 2) % 3);
}

}  // namespace
