// The catalogue window's tool windows see the whole catalogue, also while it
// is grouped and searched, and leave the view as it was.
#include <gtest/gtest.h>

#include "app/DBPlus.h"
#include "app/FormPut.h"
#include "app/FormState.h"
#include "tests/app/FormMainTestSupport.h"

namespace {

class ToolWindowTest : public CatalogueWindowTest {
 protected:
  void SetUp() override {
    CatalogueWindowTest::SetUp();
    TCustomForm::SetShowModalHook([this](TCustomForm& form) {
      if (auto* state = dynamic_cast<TFormState*>(&form)) {
        statisticsMovies = state->Statistics().Movies;
        statisticsUnwatched = state->Statistics().Unwatched;
      }
      // An export writes one movie per grid row after the header.
      if (dynamic_cast<TFormPut*>(&form))
        for (int r = 1; r < FormMain->movie_Grid->RowCount(); ++r)
          exported.push_back(CatalogueCell(*FormMain->movie_Grid, Cat::Title, r));
      ++shown;
    });
  }
  void TearDown() override {
    TCustomForm::SetShowModalHook(nullptr);
    CatalogueWindowTest::TearDown();
  }
  static void Group(TFormMain& w, const AnsiString& item) {
    w.GroupCombo->SetItemIndex(w.GroupCombo->Items()->IndexOf(item));
    w.GroupComboChange(w.GroupCombo);
  }
  static int NodeRows(TFormMain& w) {
    int nodes = 0;
    for (int r = 1; r < w.movie_Grid->RowCount(); ++r) nodes += w.movie_Grid->IsNodeRow(r) ? 1 : 0;
    return nodes;
  }

  std::vector<AnsiString> exported;
  int statisticsMovies = -1;
  int statisticsUnwatched = -1;
  int shown = 0;
};

TEST_F(ToolWindowTest, StatisticsAndExportOfAGroupedCatalogueCoverWhatItShowsAndTheGroupsComeBack) {
  AppFolderCopy folder;
  TFormMain* w = OpenWindow();
  AddMovie(*w, "하나"_k, "감독A"_k, "안본영화"_k);
  AddMovie(*w, "둘"_k, "감독B"_k, "본영화"_k);
  AddMovie(*w, "셋"_k, "감독A"_k, "안본영화"_k);
  Group(*w, "감독"_k);
  ASSERT_TRUE(w->GridGrouped);
  const int nodesBefore = NodeRows(*w);
  ASSERT_EQ(nodesBefore, 2);
  const int rowsBefore = w->movie_Grid->RowCount();
  // A movie of an open group shown in the pane.
  w->movie_Grid->ExpandNode(w->movie_Grid->RealRowIndex(1));
  w->movie_Grid->SetRow(2);
  w->ViewChanged();
  ASSERT_FALSE(w->View[0]->Text().empty());

  w->StateBtn->Click();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(statisticsMovies, 3);
  EXPECT_EQ(statisticsUnwatched, 2);
  EXPECT_TRUE(w->GridGrouped);
  EXPECT_EQ(NodeRows(*w), nodesBefore);
  EXPECT_EQ(w->movie_Grid->RowCount(), rowsBefore);
  // The list still names the grouping, and with the groups closed the pane
  // names no movie the grid no longer shows.
  EXPECT_EQ(w->GroupCombo->Text(), "감독"_k);
  EXPECT_EQ(w->View[0]->Text(), "");

  // Searched while grouped: the movies found show under their group, the
  // count and the tools take exactly those.
  w->ComboFind->SetItemIndex(w->ComboFind->Items()->IndexOf(Cat::Title));
  w->ComboFindValue->SetText("셋"_k);
  w->FindButton->Click();
  TExColumnGrid& g = *w->movie_Grid;
  ASSERT_EQ(g.RowCount(), 3);
  EXPECT_EQ(g.Cells(1, 1), "감독A"_k);
  EXPECT_EQ(CatalogueCell(g, Cat::Title, 2), "셋"_k);
  // Closed, the group still counts what the search found; opened again,
  // it shows only that.
  g.CollapseNode(g.RealRowIndex(1));
  w->ViewChanged();
  EXPECT_EQ(w->MovieRow->Caption(), "전체 : 1 편"_k);
  g.ExpandNode(g.RealRowIndex(1));
  EXPECT_EQ(g.RowCount(), 3);
  w->StateBtn->Click();
  EXPECT_EQ(statisticsMovies, 1);
  w->ScBitBtn16->Click();
  EXPECT_EQ(exported, std::vector<AnsiString>{"셋"_k});
  // Grouped again with the search on: the same.
  Group(*w, "시청여부"_k);
  EXPECT_EQ(g.RowCount(), 3);
  EXPECT_EQ(w->MovieRow->Caption(), "전체 : 1 편"_k);

  // The column grouped on searched, grouped first or searched first.
  w->FindButton->Click();
  for (bool groupedFirst : {true, false}) {
    if (groupedFirst) Group(*w, "감독"_k);
    w->ComboFind->SetItemIndex(w->ComboFind->Items()->IndexOf(Cat::Director));
    w->ComboFindValue->SetText("감독A"_k);
    w->FindButton->Click();
    if (!groupedFirst) Group(*w, "감독"_k);
    EXPECT_EQ(w->FindButton->Caption(), "검색취소"_k);
    g.ExpandNode(g.RealRowIndex(1));
    ASSERT_EQ(g.RowCount(), 4);  // the group 감독A and its two movies
    EXPECT_EQ(CatalogueCell(g, Cat::Title, 2) + CatalogueCell(g, Cat::Title, 3), "하나셋"_k);
    EXPECT_EQ(w->MovieRow->Caption(), "전체 : 2 편"_k);
    g.CollapseNode(g.RealRowIndex(1));  // closed, the group counts what the search found
    w->ViewChanged();
    EXPECT_EQ(w->MovieRow->Caption(), "전체 : 2 편"_k);
    w->StateBtn->Click();
    EXPECT_EQ(statisticsMovies, 2);
    w->FindButton->Click();
    Group(*w, "따로따로"_k);
  }
}

TEST_F(ToolWindowTest, EveryToolButtonOpensItsWindowAndAMergeThatMergedNothingChangesNothing) {
  AppFolderCopy folder;
  TFormMain* w = OpenWindow();
  AddMovie(*w, "하나"_k);
  w->DBModified = false;
  for (TScBitBtn* button : {w->ScBitBtn16, w->StateBtn, w->ScBitBtn26, w->ScBitBtn27}) button->Click();
  EXPECT_EQ(shown, 4);
  EXPECT_FALSE(w->DBModified) << "windows closed without an action leave the catalogue unmodified";
}

}  // namespace
