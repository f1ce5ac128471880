// The order grouping puts movies in: the same as sorting on the grouped
// column first and grouping without a sort of its own, whatever the texts
// (Korean, mixed case, empty, numbers), the direction and the blanks
// setting; movies alike in every column compared keep the order they had.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "platform/rtl/Cp949.h"
#include "tools/CatalogueGen.h"

namespace {

using TRows = std::vector<std::vector<AnsiString>>;

TRows Snapshot(TExStringGrid& grid) {
  TRows rows;
  for (int r = 0; r < grid.RowCount(); ++r) {
    std::vector<AnsiString> row;
    for (int c = 0; c < grid.RealColCount(); ++c) row.push_back(grid.Cells(c, r));
    row.push_back(grid.IsNodeRow(r) ? "node " + IntToStr(grid.GetNodeSpan(r)) : AnsiString());
    row.push_back("height " + IntToStr(grid.RowHeights(r)));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string FirstDifference(const TRows& got, const TRows& want) {
  if (got.size() != want.size())
    return "row count " + std::to_string(got.size()) + " instead of " + std::to_string(want.size());
  for (std::size_t r = 0; r < got.size(); ++r)
    for (std::size_t c = 0; c < got[r].size() && c < want[r].size(); ++c)
      if (got[r][c] != want[r][c])
        return "row " + std::to_string(r) + " column " + std::to_string(c) + ": [" + Cp949ToUtf8(got[r][c]).substr(0, 40) +
               "] instead of [" + Cp949ToUtf8(want[r][c]).substr(0, 40) + "]";
  return "";
}

// A generated catalogue whose genre column holds texts that differ only in
// case, in a trailing blank or not at all (empty), and whose number columns
// hold no empty cell beside a 0: every two movies then have one order.
TRows Catalogue(int movies) {
  TRows rows = GenerateCatalogue(movies, 77);
  const std::vector<AnsiString> genres = {"SF", "sf", "Sf", "", "드라마"_k, "드라마 "_k, "액션"_k, "a", "B"};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::vector<AnsiString>& movie = rows[i];
    movie[kColGenre] = genres[(i * 2654435761u >> 8) % genres.size()];
    for (int c : {static_cast<int>(kColRunningTime), 10, 11})
      if (movie[static_cast<std::size_t>(c)].empty() || movie[static_cast<std::size_t>(c)] == "0")
        movie[static_cast<std::size_t>(c)] = "5";
  }
  return rows;
}

template <class Grid>
std::unique_ptr<Grid> GridOf(const TRows& movies) {
  auto grid = std::make_unique<Grid>(nullptr);
  FillCatalogueGrid(*grid, movies);
  grid->SetFixedRows(1);
  grid->SetFixedCols(1);
  // Rows carry their heights with them.
  for (int r = 1; r < grid->RowCount(); r += 7) grid->SetRowHeights(r, 30 + r % 5);
  return grid;
}

// Grouping as it is, against sorting on the column and then grouping the
// sorted movies without a sort.
template <class Grid>
void ExpectGroupingOrdersAsTheSort(const TRows& movies, int col, void (*setUp)(Grid&)) {
  auto grouped = GridOf<Grid>(movies);
  auto sorted = GridOf<Grid>(movies);
  setUp(*grouped);
  setUp(*sorted);
  grouped->GroupByColumn(col);
  sorted->SortSettings()->SetColumn(col);
  sorted->SortOnColumn();
  sorted->SortSettings()->SetAutoSortForGrouping(false);
  sorted->GroupByColumn(col);
  ASSERT_GT(grouped->NodeCount(), 1);
  EXPECT_EQ(FirstDifference(Snapshot(*grouped), Snapshot(*sorted)), "");
  grouped->Ungroup();
  sorted->Ungroup();
  EXPECT_EQ(FirstDifference(Snapshot(*grouped), Snapshot(*sorted)), "");
  EXPECT_EQ(grouped->UnsortedOrder(), sorted->UnsortedOrder());
}

TEST(GroupingOrder, GenresInKoreanMixedCaseAndEmptyGroupAsTheSortOrdersThem) {
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(Catalogue(3000), kColGenre, [](TExStringGrid&) {});
}

TEST(GroupingOrder, DescendingAndBlanksLastGroupAsTheSortOrdersThem) {
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(Catalogue(2000), kColGenre, [](TExStringGrid& g) {
    g.SortSettings()->SetDirection(sdDescending);
    g.SortSettings()->SetIgnoreBlanks(true);
    g.SortSettings()->SetBlankPos(blLast);
  });
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(Catalogue(2000), kColGenre, [](TExStringGrid& g) {
    g.SortSettings()->SetIgnoreBlanks(true);
  });
}

TEST(GroupingOrder, WithoutAutomaticFormatTextsOrderByTheirBytes) {
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(Catalogue(2000), kColGenre, [](TExStringGrid& g) {
    g.SortSettings()->SetAutoFormat(false);
    g.SortSettings()->SetDirection(sdDescending);
  });
}

TEST(GroupingOrder, ManyDistinctTextsAfterTheGroupedColumnOrderAsTheSortHasThem) {
  // Titles after the genre: too many for ranks, some alike, some empty.
  TRows movies = Catalogue(3000);
  for (std::size_t i = 0; i < movies.size(); ++i)
    movies[i][kColRunningTime] = i % 23 == 0 ? AnsiString() : movies[i][kColTitle].substr(0, 2 + i % 5);
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(movies, kColGenre, [](TExStringGrid&) {});
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(movies, kColGenre, [](TExStringGrid& g) {
    g.SortSettings()->SetDirection(sdDescending);
    g.SortSettings()->SetIgnoreBlanks(true);
  });
}

TEST(GroupingOrder, YearsGroupInNumberOrderWithEmptyYearsFirst) {
  // 1999 and 1999.0 are one number: their movies interleave by the next
  // columns, as the sort has them.
  TRows movies = Catalogue(2000);
  for (std::size_t i = 2; i < movies.size(); i += 5)
    if (!movies[i][kColYear].empty()) movies[i][kColYear] += ".0";
  for (std::size_t i = 1; i < movies.size(); i += 37) movies[i][kColYear] = "";
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(movies, kColYear, [](TExStringGrid&) {});
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(movies, kColYear, [](TExStringGrid& g) {
    g.SortSettings()->SetDirection(sdDescending);
  });
}

TEST(GroupingOrder, AColumnGridsNumberStyleGroupsAsItsSortOrdersThem) {
  TRows movies = Catalogue(1500);
  for (std::size_t i = 1; i < movies.size(); i += 11) movies[i][10] = "";  // beside the 0s
  ExpectGroupingOrdersAsTheSort<TExColumnGrid>(movies, 10, [](TExColumnGrid& g) {
    g.Columns()->Items(10)->SetSortStyle(ssNumeric);
    g.Columns()->Items(kColRunningTime)->SetSortStyle(ssNumeric);
  });
}

TEST(GroupingOrder, NumbersWithEmptyCellsBesideZeroGroupAsTheSortOrdersThem) {
  // "" against "0" and "0" against "" answer differently under the
  // automatic style: such a column is sorted as it always was.
  TRows movies = Catalogue(1500);
  for (std::size_t i = 1; i < movies.size(); i += 13) movies[i][10] = "";
  for (std::size_t i = 2; i < movies.size(); i += 17) movies[i][10] = "0";
  ExpectGroupingOrdersAsTheSort<TExStringGrid>(movies, 10, [](TExStringGrid&) {});
}

// Titles t1..tn in column 0, the group text in column 1, and the same text
// in every other column.
TRows AlikeMovies(const std::vector<AnsiString>& groups) {
  TRows rows = {{"h0", "h1", "h2", "h3"}};
  for (std::size_t i = 0; i < groups.size(); ++i) rows.push_back({"t" + IntToStr(static_cast<int>(i + 1)), groups[i], "x", "x"});
  return rows;
}

std::map<AnsiString, std::vector<AnsiString>> TitlesByGroup(TExStringGrid& grid) {
  std::map<AnsiString, std::vector<AnsiString>> titles;
  AnsiString group;
  for (int r = 1; r < grid.RowCount(); ++r) {
    if (grid.IsNodeRow(r)) {
      group = grid.Cells(1, r);
    } else {
      titles[group].push_back(grid.Cells(0, r));
    }
  }
  return titles;
}

TEST(GroupingOrder, MoviesAlikeInEveryColumnFromTheGroupedOneOnKeepTheirOrder) {
  std::vector<AnsiString> groups;
  for (int i = 0; i < 400; ++i) groups.push_back(i % 3 == 0 ? "b" : (i % 3 == 1 ? "a" : ""));
  for (TSortDirection direction : {sdAscending, sdDescending}) {
    TRows movies = AlikeMovies(groups);
    auto grid = std::make_unique<TExStringGrid>(nullptr);
    grid->SetColCount(4);
    grid->SetRowCount(static_cast<int>(movies.size()));
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < 4; ++c) grid->SetCells(c, r, movies[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
    grid->SetFixedRows(1);
    grid->SetFixedCols(1);
    grid->SortSettings()->SetDirection(direction);
    grid->GroupByColumn(1);
    ASSERT_EQ(grid->NodeCount(), 3);
    std::map<AnsiString, std::vector<AnsiString>> want;
    for (int i = 0; i < 400; ++i) want[groups[static_cast<std::size_t>(i)]].push_back("t" + IntToStr(i + 1));
    EXPECT_EQ(TitlesByGroup(*grid), want);
    // The groups themselves in sort order.
    std::vector<AnsiString> headers;
    for (int r = 1; r < grid->RowCount(); ++r)
      if (grid->IsNodeRow(r)) headers.push_back(grid->Cells(1, r));
    const std::vector<AnsiString> ascending = {"", "a", "b"};
    const std::vector<AnsiString> descending = {"b", "a", ""};
    EXPECT_EQ(headers, direction == sdAscending ? ascending : descending);
  }
}

}  // namespace
