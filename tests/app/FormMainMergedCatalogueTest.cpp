// A real collection is safe in the window: a 2,000-movie catalogue with
// merged cells and cell properties keeps every value of every movie through
// sorting, grouping, ungrouping and saving, and a catalogue opened and saved
// without a change is written back byte for byte apart from the grid's ID.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "tests/app/FormMainTestSupport.h"

namespace {

constexpr int kMovies = 2000;

std::string FileBytes(const AnsiString& file) {
  std::ifstream in(SysFileName(file), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The bytes without the value of the grid's ID, which names the window that
// wrote them.
std::string WithoutId(std::string bytes) {
  const std::string name = std::string("\x02", 1) + "ID";
  const std::size_t at = bytes.find(name);
  if (at == std::string::npos || at + name.size() >= bytes.size()) return bytes;
  const std::size_t value = at + name.size();
  const char tag = bytes[value];
  const std::size_t size = tag == 2 ? 1 : tag == 3 ? 2 : tag == 4 ? 4 : 0;
  bytes.erase(value, 1 + size);
  return bytes;
}

// A catalogue as a user's grows: every column filled, a plot shared by
// three movies (one merged cell down), a country shown once for two, a
// cast run over the rating (one merged cell across), colours on every
// column, node levels on cells outside the title column, and check boxes
// on a quarter of the watched states.
void WriteCollection(const AnsiString& file) {
  TExColumnGrid grid(nullptr);
  SetupCatalogueGrid(grid);
  grid.SetRowCount(kMovies + 1);
  const char* countries[] = {"한국", "미국", "프랑스", "일본", "영국"};
  const char* ratings[] = {"전체 관람가", "12세 관람가", "15세 관람가", "청소년 관람불가"};
  for (int r = 1; r <= kMovies; ++r) {
    for (int c = 0; c < kCatalogueColumnCount; ++c) {
      AnsiString text;
      switch (c) {
        case 0: text = "영화 "_k + IntToStr(10000 + (r * 7919) % kMovies); break;
        case 2: text = "감독 "_k + IntToStr(r % 37); break;
        case 3: text = Utf8ToCp949(countries[r % 5]); break;
        case 7: text = Utf8ToCp949(ratings[(r / 3) % 4]); break;
        case 20: text = r % 3 ? Cat::WatchedYes : Cat::WatchedNo; break;
        default:
          text = (c >= 21 && c <= 35) ? "a" + IntToStr(r) + "|b" + IntToStr(c) : "값"_k + IntToStr(c * 10000 + r);
      }
      grid.SetCells(c, r, text);
    }
  }
  for (int r = 1; r + 2 <= kMovies; r += 9) grid.MergeCells(14, r, 1, 3);
  for (int r = 4; r + 1 <= kMovies; r += 10) grid.MergeCells(3, r, 1, 2);
  for (int r = 5; r <= kMovies; r += 11) grid.MergeCells(6, r, 2, 1);
  for (int r = 2; r <= kMovies; r += 13)
    for (int c = 0; c < kCatalogueColumnCount; ++c) {
      TCellProperties* p = grid.CellPropertiesAt(c, r);
      p->SetBrushColor(0x00203040 + c);
      if (c > 0) p->SetNodeLevel((r + c) % 3);
    }
  for (int r = 1; r <= kMovies; r += 4) grid.CreateCellGraphic(20, r)->SetCellType(ctCheckBox);
  grid.SaveGridFile(file);
}

// Every movie's 42 values as the grid shows them, by title.
std::map<AnsiString, std::vector<AnsiString>> Movies(TExColumnGrid& grid) {
  std::map<AnsiString, std::vector<AnsiString>> movies;
  for (int r = grid.FixedRows(); r < grid.RowCount(); ++r) {
    if (grid.IsNodeRow(r)) continue;
    std::vector<AnsiString> values;
    for (const TCatalogueColumnDef& def : CatalogueColumns()) values.push_back(CatalogueCell(grid, *def.Header, r));
    movies[values.front()] = std::move(values);
  }
  return movies;
}

class MergedCatalogueTest : public CatalogueWindowTest {
 protected:
  void Choose(TScComboBox* combo, const AnsiString& item) {
    combo->SetItemIndex(combo->Items()->IndexOf(item));
    combo->OnChange(combo);
  }
  AnsiString File(const char* name) { return app_.Path() + "DB/" + name; }
};

}  // namespace

TEST_F(MergedCatalogueTest, OpenedAndSavedUnchangedItComesBackByteForByte) {
  WriteCollection(File("collection.VDM"));
  TFormMain* w = OpenWindow();
  ASSERT_TRUE(w->LoadDB(File("collection.VDM")));
  ASSERT_TRUE(w->SaveDB(File("copy.VDM")));
  const std::string original = FileBytes(File("collection.VDM"));
  const std::string saved = FileBytes(File("copy.VDM"));
  ASSERT_GT(original.size(), 100000u);
  EXPECT_TRUE(WithoutId(saved) == WithoutId(original)) << "the file changed beyond its ID";
}

TEST_F(MergedCatalogueTest, SortedGroupedUngroupedAndSavedEveryMovieKeepsEveryValue) {
  WriteCollection(File("collection.VDM"));
  TFormMain* w = OpenWindow();
  ASSERT_TRUE(w->LoadDB(File("collection.VDM")));
  TExColumnGrid& grid = *w->movie_Grid;
  const auto before = Movies(grid);
  ASSERT_EQ(before.size(), static_cast<std::size_t>(kMovies));
  // A plot shown once for three movies is each one's plot.
  EXPECT_EQ(CatalogueCell(grid, Cat::Synopsis, 3), CatalogueCell(grid, Cat::Synopsis, 1));

  Choose(w->SortCombo, "제목"_k);
  EXPECT_EQ(Movies(grid), before) << "sorted by title";
  // The plots out of sight in the column chooser move with their movies too.
  const int synopsis = w->ScCheckList1->Items()->IndexOf(Cat::Synopsis + " ");
  ASSERT_GE(synopsis, 0);
  w->ScCheckList1->SetChecked(synopsis, false);
  w->ScCheckList1Change(synopsis, cbUnchecked);
  Choose(w->SortCombo, "감독"_k);
  Choose(w->GroupCombo, "관람등급"_k);
  Choose(w->GroupCombo, "제작국가"_k);
  // Check boxes split no group: watched and not watched, nothing else.
  Choose(w->GroupCombo, Cat::Watched);
  int groups = 0;
  for (int r = 1; r < grid.RowCount(); ++r) groups += grid.IsNodeRow(r);
  EXPECT_EQ(groups, 2);
  Choose(w->GroupCombo, "따로따로"_k);
  w->ScCheckList1->SetChecked(synopsis, true);
  w->ScCheckList1Change(synopsis, cbChecked);
  EXPECT_EQ(Movies(grid), before) << "sorted, grouped twice and ungrouped";
  Choose(w->SortCombo, "평점"_k);
  Choose(w->GroupCombo, "영화장르"_k);
  ASSERT_TRUE(w->SaveDB(File("after.VDM"))) << "saved while grouped";

  TExColumnGrid back(nullptr);
  SetupCatalogueGrid(back);
  back.LoadGridFile(File("after.VDM"));
  const auto after = Movies(back);
  ASSERT_EQ(after.size(), before.size());
  int differing = 0;
  for (const auto& [title, values] : before) {
    auto it = after.find(title);
    if (it == after.end() || it->second != values) {
      if (++differing <= 3) ADD_FAILURE() << "movie " << title << " changed";
    }
  }
  EXPECT_EQ(differing, 0);
}
