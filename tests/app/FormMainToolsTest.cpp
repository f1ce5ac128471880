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

  int statisticsMovies = -1;
  int statisticsUnwatched = -1;
  int shown = 0;
};

TEST_F(ToolWindowTest, StatisticsOfAGroupedCatalogueCountEveryMovieAndTheGroupsComeBack) {
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

  w->StateBtn->Click();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(statisticsMovies, 3);
  EXPECT_EQ(statisticsUnwatched, 2);
  EXPECT_TRUE(w->GridGrouped);
  EXPECT_EQ(NodeRows(*w), nodesBefore);
  EXPECT_EQ(w->movie_Grid->RowCount(), rowsBefore);
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
