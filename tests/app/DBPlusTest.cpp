#include <gtest/gtest.h>

#include "app/DBPlus.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/InputSimulation.h"
#include "tests/app/ToolsTestSupport.h"

namespace {

class MergeTest : public ::testing::Test {
 protected:
  void SetUp() override { TDialogFakes::Enable(); }
  void TearDown() override { TDialogFakes::Disable(); }
  // Another catalogue with two movies, its 감독 column moved to the front
  // and 기타 moved left, saved as a file.
  AnsiString OtherCatalogueFile() {
    auto other = NewCatalogue();
    AddMovie(*other, {{&Cat::Title, "괴물"_k}, {&Cat::Director, "봉준호"_k}, {&Cat::Notes, "메모"_k}});
    AddMovie(*other, {{&Cat::Title, "Heat"}, {&Cat::Director, "Mann"}, {&Cat::Year, "1995"}});
    other->MoveColumn(CatalogueColumnIndex(*other, Cat::Director), 1);
    other->MoveColumn(CatalogueColumnIndex(*other, Cat::Notes), 3);
    const AnsiString file = folder_.Path() + "other.VDM";
    other->SaveGridFile(file);
    return file;
  }
  TempFolder folder_;
};

}  // namespace

TEST_F(MergeTest, SelectedMoviesGoIntoTheColumnsOfTheirHeaders) {
  auto main = NewCatalogue();
  // The open catalogue has its own moves: 제작연도 first after the title.
  main->MoveColumn(CatalogueColumnIndex(*main, Cat::Year), 1);
  AddMovie(*main, {{&Cat::Title, "기존"_k}});
  TDBPlusForm form(nullptr, main.get());
  EXPECT_FALSE(form.ScButton1->Enabled());
  TDialogFakes::QueueFileName(OtherCatalogueFile());
  form.ScButton3->Click();
  ASSERT_TRUE(form.ScButton1->Enabled());
  ASSERT_EQ(form.movie_Grid->RowCount(), 3);
  // The two grids hold 감독 and 제작연도 in different places.
  ASSERT_NE(CatalogueColumnIndex(*form.movie_Grid, Cat::Director), CatalogueColumnIndex(*main, Cat::Director));
  ASSERT_NE(CatalogueColumnIndex(*form.movie_Grid, Cat::Year), CatalogueColumnIndex(*main, Cat::Year));

  Word key = 'A';
  form.movie_GridKeyDown(form.movie_Grid, key, TShiftState{ssCtrl});
  EXPECT_EQ(form.movie_Grid->SelectedRowCount(), 2);
  TDialogFakes::QueueAnswer(mrYes);
  form.ScButton1->Click();

  ASSERT_EQ(main->RowCount(), 4);
  EXPECT_EQ(CatalogueCell(*main, Cat::Title, 2), "괴물"_k);
  EXPECT_EQ(CatalogueCell(*main, Cat::Director, 2), "봉준호"_k);
  EXPECT_EQ(CatalogueCell(*main, Cat::Notes, 2), "메모"_k);
  EXPECT_EQ(CatalogueCell(*main, Cat::Year, 2), "");
  EXPECT_EQ(CatalogueCell(*main, Cat::Director, 3), "Mann");
  EXPECT_EQ(CatalogueCell(*main, Cat::Year, 3), "1995");
  EXPECT_EQ(CatalogueCell(*main, Cat::Title, 1), "기존"_k);
  const auto& boxes = TDialogFakes::MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Text, "선택한 항목을 복사하시겠습니까.?"_k);
  EXPECT_EQ(boxes[1].Text, "2편의 영화목록을 복사 했습니다."_k);
  EXPECT_EQ(form.ScButton1->Tag(), 1);
  EXPECT_FALSE(form.ScButton1->Enabled());
  EXPECT_TRUE(form.ScButton2->Enabled());
}

TEST_F(MergeTest, IntoANewCatalogueAfterItsEmptyRowAndNothingSelectedCopiesNothing) {
  auto main = NewCatalogue();
  TDBPlusForm form(nullptr, main.get());
  TDialogFakes::QueueFileName(OtherCatalogueFile());
  form.ScButton3->Click();
  TDialogFakes::QueueAnswer(mrYes);
  form.ScButton1->Click();
  EXPECT_EQ(main->RowCount(), 2);
  EXPECT_EQ(TDialogFakes::MessageBoxes().back().Text, "0편의 영화목록을 복사 했습니다."_k);
  EXPECT_EQ(form.ScButton1->Tag(), 0);

  form.movie_Grid->SetRowSelected(2, true);
  EXPECT_EQ(MergeCatalogueRows(*form.movie_Grid, {2}, *main), 1);
  ASSERT_EQ(main->RowCount(), 3);
  EXPECT_EQ(CatalogueCell(*main, Cat::Title, 1), "");
  EXPECT_EQ(CatalogueCell(*main, Cat::Title, 2), "Heat");
}

TEST_F(MergeTest, ANoAnswerOrAFileThatIsNoCatalogueChangesNothing) {
  auto main = NewCatalogue();
  TDBPlusForm form(nullptr, main.get());
  const AnsiString junk = folder_.Path() + "junk.VDM";
  WriteTextFile(junk, "not a catalogue at all");
  TDialogFakes::QueueFileName(junk);
  form.ScButton3->Click();
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 1u);  // the loader's error
  EXPECT_FALSE(form.ScButton1->Enabled());

  TDialogFakes::QueueFileName(OtherCatalogueFile());
  form.ScButton3->Click();
  form.movie_Grid->SelectRows(1, 2);
  TDialogFakes::QueueAnswer(mrNo);
  form.ScButton1->Click();
  EXPECT_EQ(main->RowCount(), 2);
  EXPECT_TRUE(form.ScButton1->Enabled());
}

TEST_F(MergeTest, RowsWithNothingUnderACatalogueHeaderAddNoEmptyMovies) {
  auto main = NewCatalogue();
  AddMovie(*main, {{&Cat::Title, "기존"_k}});
  // A grid file of another kind: its headers name no catalogue column.
  TExColumnGrid other(nullptr);
  other.SetColCount(3);
  other.SetRowCount(3);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) other.SetCells(c, r, "x" + IntToStr(c) + IntToStr(r));
  EXPECT_EQ(MergeCatalogueRows(other, {1, 2}, *main), 0);
  EXPECT_EQ(main->RowCount(), 2);

  // A catalogue with an empty row between two movies.
  auto source = NewCatalogue();
  AddMovie(*source, {{&Cat::Title, "Heat"}});
  AddMovie(*source, {{&Cat::Director, "봉준호"_k}});
  source->InsertRows(2, 1);
  ASSERT_EQ(source->RowCount(), 4);
  EXPECT_EQ(MergeCatalogueRows(*source, {1, 2, 3}, *main), 2);
  ASSERT_EQ(main->RowCount(), 4);
  EXPECT_EQ(CatalogueCell(*main, Cat::Title, 2), "Heat");
  EXPECT_EQ(CatalogueCell(*main, Cat::Director, 3), "봉준호"_k);
}

// The other file's movies are picked with the mouse as in any list: a click
// on a title picks that movie alone, Ctrl+click adds or takes one away,
// Shift+click picks the run from the last picked one.
TEST_F(MergeTest, MoviesArePickedByClickCtrlClickAndShiftClickOnTheirTitles) {
  auto other = NewCatalogue();
  for (const char* title : {"A", "B", "C", "D", "E", "F"}) AddMovie(*other, {{&Cat::Title, title}});
  const AnsiString file = folder_.Path() + "six.VDM";
  other->SaveGridFile(file);
  auto main = NewCatalogue();
  TDBPlusForm form(nullptr, main.get());
  form.Show();
  TDialogFakes::QueueFileName(file);
  form.ScButton3->Click();
  TExColumnGrid& g = *form.movie_Grid;
  ASSERT_EQ(g.RowCount(), 7);
  auto click = [&](int col, int row, TShiftState shift = {}) {
    const TRect r = g.CellRect(col, row);
    const int x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
    SimulateMouseMove(&g, x, y, shift);
    SimulateMouseDown(&g, mbLeft, x, y, shift);
    SimulateMouseUp(&g, mbLeft, x, y, shift);
  };
  auto picked = [&] {
    AnsiString s;
    for (int r = 1; r < g.RowCount(); ++r)
      if (g.IsRowSelected(r)) s += g.Cells(0, r);
    return s;
  };
  click(0, 2);
  EXPECT_EQ(picked(), "B");
  click(0, 4, {ssCtrl});
  click(0, 6, {ssCtrl});
  EXPECT_EQ(picked(), "BDF");
  click(0, 4, {ssCtrl});
  EXPECT_EQ(picked(), "BF");
  // A plain click forgets every earlier pick.
  click(0, 3);
  EXPECT_EQ(picked(), "C");
  click(0, 5, {ssShift});
  EXPECT_EQ(picked(), "CDE");
  // Clicks on a movie's other cells pick the same way.
  click(2, 1);
  EXPECT_EQ(picked(), "A");
  click(2, 6, {ssCtrl});
  EXPECT_EQ(picked(), "AF");

  TDialogFakes::QueueAnswer(mrYes);
  form.ScButton1->Click();
  EXPECT_EQ(TDialogFakes::MessageBoxes().back().Text, "2편의 영화목록을 복사 했습니다."_k);
  ASSERT_EQ(main->RowCount(), 4);
  EXPECT_EQ(CatalogueCell(*main, Cat::Title, 2), "A");
  EXPECT_EQ(CatalogueCell(*main, Cat::Title, 3), "F");
}
