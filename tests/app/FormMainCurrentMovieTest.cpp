// The window shows the movie it acts on: after a search, a click, a delete,
// the wheel, a resize, a quick filter and grouping, the detail pane, the
// current row, the buttons' target and the count in the status bar all
// name the same movie; long texts show in hints.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/vcl/Forms.h"
#include "platform/vcl/InputSimulation.h"
#include "tests/app/FormMainTestSupport.h"

namespace {

class CurrentMovieTest : public CatalogueWindowTest {
 protected:
  // Eight movies, opened from a file as a user has them.
  TFormMain* OpenedWindow() {
    TFormMain* w = WindowWith({{"다"_k, "kim", Cat::WatchedYes, Cat::LentKept},
                               {"가"_k, "lee", Cat::WatchedNo, Cat::LentOut},
                               {"나"_k, "kim", Cat::WatchedYes, Cat::LentOut},
                               {"빈칸"_k, "park", "", ""},
                               {"마"_k, "lee", Cat::WatchedNo, Cat::LentKept},
                               {"라"_k, "kim", "본영화 아님"_k, Cat::LentKept},
                               {"바"_k, "choi", Cat::WatchedYes, ""},
                               {"사"_k, "choi", Cat::WatchedNo, ""}});
    const AnsiString file = app_.Path() + "DB/eight.VDM";
    EXPECT_TRUE(w->SaveDB(file));
    EXPECT_TRUE(w->LoadDB(file));
    return w;
  }
  static AnsiString Title(TFormMain& w, int row) { return CatalogueCell(*w.movie_Grid, Cat::Title, row); }
  // What the user reads and what the buttons would act on, all at once.
  static void ExpectOneMovie(TFormMain& w, const AnsiString& title) {
    TExColumnGrid& g = *w.movie_Grid;
    const int row = g.Row();
    ASSERT_GE(row, g.FixedRows());
    ASSERT_LT(row, g.RowCount());
    EXPECT_EQ(Title(w, row), title) << "current row";
    EXPECT_EQ(w.View[0]->Text(), title) << "detail pane";
    EXPECT_EQ(w.View[2]->Text(), CatalogueCell(g, Cat::Director, row));
    EXPECT_TRUE(w.BtnMovieEdit->Enabled());
    const std::vector<int> targets = w.OperationRows();
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(Title(w, targets.front()), title) << "the buttons' target";
  }
  static void ExpectEmptyPane(TFormMain& w) {
    for (int n = 0; n < 42; ++n)
      if (w.View[n]) EXPECT_EQ(w.View[n]->Text(), "") << "field " << n;
    EXPECT_FALSE(w.BtnMovieEdit->Enabled());
  }
  static AnsiString Count(int n) { return "전체 : "_k + IntToStr(n) + " 편"_k; }
  static void Search(TFormMain& w, const AnsiString& column, const AnsiString& value) {
    w.ComboFind->SetItemIndex(w.ComboFind->Items()->IndexOf(column));
    w.ComboFindValue->SetText(value);
    w.FindButton->Click();
  }
  // The user clicks into the search box, types and presses Enter.
  static void TypeAndEnter(TFormMain& w, const AnsiString& text) {
    w.ComboFindValue->SetFocus();
    w.ComboFindValue->SetText(text);
    SimulateKey(w.ComboFindValue, VK_RETURN);
  }
  static std::vector<AnsiString> Shown(TFormMain& w) {
    std::vector<AnsiString> titles;
    for (int r = 1; r < w.movie_Grid->RowCount(); ++r)
      if (!w.movie_Grid->IsNodeRow(r)) titles.push_back(Title(w, r));
    return titles;
  }
  // The mouse rests over the cell until the hint shows; "" when none does.
  static AnsiString HintOver(TExColumnGrid& g, int col, int row) {
    const TPoint at = g.ClientToScreen(CellCenter(g, col, row));
    Mouse->SetCursorPos(at);
    Application->ActivateHint(at);
    THintWindow* hint = Application->HintWindow();
    const AnsiString text = hint && hint->IsShowing() ? hint->Caption() : AnsiString();
    Application->CancelHint();
    return text;
  }
  static TPoint CellCenter(TExColumnGrid& g, int col, int row) {
    const TRect r = g.CellRect(col, row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
};

}  // namespace

TEST_F(CurrentMovieTest, TheCountNamesMoviesNotRows) {
  TFormMain* w = OpenWindow();
  EXPECT_EQ(w->MovieRow->Caption(), Count(0)) << "the empty row of a new catalogue is no movie";
  w = OpenedWindow();
  EXPECT_EQ(w->MovieRow->Caption(), Count(8));
  Search(*w, "감독"_k, "kim");
  EXPECT_EQ(w->MovieRow->Caption(), Count(3)) << "what the search shows";
  w->FindButton->Click();  // 검색취소
  EXPECT_EQ(w->MovieRow->Caption(), Count(8));
  w->GroupCombo->SetItemIndex(w->GroupCombo->Items()->IndexOf("감독"_k));
  w->GroupComboChange(w->GroupCombo);
  EXPECT_EQ(w->MovieRow->Caption(), Count(8)) << "group rows are no movies, closed groups hold movies";
  w->btnNEWDB->Click();
  EXPECT_EQ(w->MovieRow->Caption(), Count(0));
}

TEST_F(CurrentMovieTest, ASearchAndAClickOnTheOnlyResultShowAndTargetThatMovie) {
  TFormMain* w = OpenedWindow();
  TExColumnGrid& g = *w->movie_Grid;
  g.SetRow(6);  // 라, which the search hides
  ExpectOneMovie(*w, "라"_k);
  Search(*w, "감독"_k, "choi");
  EXPECT_EQ(Shown(*w), (std::vector<AnsiString>{"바"_k, "사"_k}));
  ExpectOneMovie(*w, Title(*w, g.Row()));
  w->ComboFind->SetItemIndex(0);
  TypeAndEnter(*w, "사"_k);  // over the first search
  ASSERT_EQ(Shown(*w), std::vector<AnsiString>{"사"_k});
  const TPoint title = CellCenter(g, 0, 1);
  SimulateClick(&g, title.X, title.Y);
  ExpectOneMovie(*w, "사"_k);
  EXPECT_EQ(w->MovieRow->Caption(), Count(1));
}

TEST_F(CurrentMovieTest, ClickingATitleSelectsItsMovie) {
  TFormMain* w = OpenedWindow();
  TExColumnGrid& g = *w->movie_Grid;
  ExpectOneMovie(*w, "다"_k);
  const TPoint title = CellCenter(g, 0, 4);
  SimulateClick(&g, title.X, title.Y);
  ExpectOneMovie(*w, "빈칸"_k);
}

TEST_F(CurrentMovieTest, DeletingTheLastShownMovieLeavesAnEmptyPaneNotTheCaptions) {
  TFormMain* w = OpenedWindow();
  Search(*w, "제목"_k, "바"_k);
  ExpectOneMovie(*w, "바"_k);
  TDialogFakes::QueueAnswer(mrYes);
  w->BtnMovieDel->Click();
  EXPECT_EQ(Shown(*w), std::vector<AnsiString>{});
  ExpectEmptyPane(*w);
  EXPECT_NE(w->View[0]->Text(), Cat::Title);
  EXPECT_EQ(w->MovieRow->Caption(), Count(0));
  w->FindButton->Click();
  EXPECT_EQ(w->MovieRow->Caption(), Count(7));
  ExpectOneMovie(*w, Title(*w, w->movie_Grid->Row()));
}

TEST_F(CurrentMovieTest, AfterDeletingMarkedMoviesTheOneAfterTheFirstOfThemIsCurrent) {
  TFormMain* w = OpenedWindow();
  TExColumnGrid& g = *w->movie_Grid;
  g.SetRow(8);
  for (int r : {2, 3, 6}) g.SetRowSelected(g.RealRowIndex(r), true);  // 가, 나, 라
  TDialogFakes::QueueAnswer(mrYes);
  w->BtnMovieDel->Click();
  EXPECT_EQ(Shown(*w), (std::vector<AnsiString>{"다"_k, "빈칸"_k, "마"_k, "바"_k, "사"_k}));
  ExpectOneMovie(*w, "빈칸"_k);
  TDialogFakes::QueueAnswer(mrNo);
  w->BtnMovieDel->Click();
  EXPECT_EQ(BoxTexts().back(), "영화 : 빈칸을(를) 삭제하시겠습니까?"_k);
}

TEST_F(CurrentMovieTest, TheWheelAndAResizeKeepThePaneOnTheCurrentMovie) {
  TFormMain* w = OpenedWindow();
  TExColumnGrid& g = *w->movie_Grid;
  const TPoint cell = CellCenter(g, 2, 1);
  SimulateClick(&g, cell.X, cell.Y);
  ASSERT_TRUE(g.IsCellShownSelected(2, 1));
  SimulateWheel(&g, -WHEEL_DELTA);
  ASSERT_GT(g.Row(), 1);
  ExpectOneMovie(*w, Title(*w, g.Row()));
  // The highlight went with the current row.
  EXPECT_FALSE(g.IsCellShownSelected(2, 1));
  EXPECT_TRUE(g.IsCellShownSelected(2, g.Row()));
  w->SetBounds(0, 0, 900, 300);
  w->SetBounds(0, 0, 1180, 760);
  ExpectOneMovie(*w, Title(*w, g.Row()));
}

TEST_F(CurrentMovieTest, WatchedQuickFiltersFollowTheRuleOfThePaneAndTheColours) {
  TFormMain* w = OpenedWindow();
  w->ScBitBtn31->Click();  // 본영화만
  EXPECT_EQ(Shown(*w), (std::vector<AnsiString>{"다"_k, "나"_k, "바"_k}));
  ExpectOneMovie(*w, Title(*w, w->movie_Grid->Row()));
  EXPECT_EQ(w->View_20->Caption(), Cat::WatchedYes);
  EXPECT_EQ(w->MovieRow->Caption(), Count(3));
  w->ScBitBtn32->Click();  // 안본영화만: the empty and the odd state included
  EXPECT_EQ(Shown(*w), (std::vector<AnsiString>{"가"_k, "빈칸"_k, "마"_k, "라"_k, "사"_k}));
  for (int r = 1; r < w->movie_Grid->RowCount(); ++r) {
    w->movie_Grid->SetRow(r);
    EXPECT_EQ(w->View_20->Caption(), Cat::WatchedNo) << Title(*w, r);
  }
}

TEST_F(CurrentMovieTest, EnterSearchesForWhatIsTypedAlsoWhileASearchIsOn) {
  TFormMain* w = OpenedWindow();
  w->ComboFind->SetItemIndex(0);
  TypeAndEnter(*w, "가"_k);
  EXPECT_EQ(Shown(*w), std::vector<AnsiString>{"가"_k});
  TypeAndEnter(*w, "마"_k);
  EXPECT_EQ(Shown(*w), std::vector<AnsiString>{"마"_k});
  ExpectOneMovie(*w, "마"_k);
  // An empty box ends the search.
  TypeAndEnter(*w, "");
  EXPECT_EQ(Shown(*w).size(), 8u);
}

TEST_F(CurrentMovieTest, GroupingAndUngroupingKeepThePaneAndTheSortListTruthful) {
  TFormMain* w = OpenedWindow();
  TExColumnGrid& g = *w->movie_Grid;
  w->SortCombo->SetItemIndex(w->SortCombo->Items()->IndexOf("제목"_k));
  w->SortComboChange(w->SortCombo);
  EXPECT_EQ(Shown(*w).front(), "가"_k);
  ExpectOneMovie(*w, Title(*w, g.Row()));
  w->GroupCombo->SetItemIndex(w->GroupCombo->Items()->IndexOf("감독"_k));
  w->GroupComboChange(w->GroupCombo);
  // Closed groups: the current row is a group row, no movie to show, edit or delete.
  ASSERT_TRUE(g.IsNodeRow(g.Row()));
  ExpectEmptyPane(*w);
  EXPECT_FALSE(w->BtnMovieDel->Enabled());
  // Searched, a group row stays exactly when one of its movies does: choi's
  // found 바 deleted, choi's group goes from view with the search, and
  // comes back with 사 alone; park's only movie takes its group along.
  Search(*w, "제목"_k, "바|빈칸"_k);
  ASSERT_EQ(Shown(*w), (std::vector<AnsiString>{"바"_k, "빈칸"_k}));
  g.SetRow(2);
  TDialogFakes::QueueAnswer(mrYes);
  w->BtnMovieDel->Click();
  EXPECT_EQ(g.RowCount(), 3);
  EXPECT_EQ(w->MovieRow->Caption(), Count(1));
  w->FindButton->Click();
  EXPECT_EQ(g.GetNodeSpan(1), 2);
  g.SetRow(g.RowCount() - 1);
  TDialogFakes::QueueAnswer(mrYes);
  w->BtnMovieDel->Click();
  EXPECT_EQ(g.NodeCount(), 3);
  EXPECT_EQ(Shown(*w).size(), 6u);
  w->GroupCombo->SetItemIndex(0);  // 따로따로
  w->GroupComboChange(w->GroupCombo);
  ExpectOneMovie(*w, Title(*w, g.Row()));
  // The rows stand in the director order now: the sort list does not claim
  // the title order.
  const std::vector<AnsiString> shown = Shown(*w);
  ASSERT_FALSE(std::is_sorted(shown.begin(), shown.end()));
  EXPECT_EQ(w->SortCombo->ItemIndex(), 0) << "the placeholder 정렬방법";
}

TEST_F(CurrentMovieTest, ATextTooLongForItsCellShowsInAHint) {
  TFormMain* w = OpenedWindow();
  TExColumnGrid& g = *w->movie_Grid;
  const AnsiString longText = "아주 아주 긴 감독 이름이 칸보다 길게 이어집니다 그리고 더 이어집니다"_k;
  SetCatalogueCell(g, Cat::Director, 2, longText);
  const int col = g.DisplColIndex(CatalogueColumnIndex(g, Cat::Director));
  EXPECT_EQ(HintOver(g, col, 2), longText);
  EXPECT_EQ(HintOver(g, col, 3), "") << "a text that fits shows no hint";
  // The file table of the pane too.
  g.SetRow(1);
  w->infopage->SetActivePageIndex(1);
  Application->ProcessMessages();
  TExColumnGrid& files = *w->FileGrid;
  ASSERT_TRUE(files.Showing());
  EXPECT_EQ(files.LeftCol(), 0) << "the file name column is in view";
  files.SetCells(0, 1, longText + longText);
  EXPECT_EQ(HintOver(files, 0, 1), longText + longText);
}

TEST_F(CurrentMovieTest, AHeaderClickSortsATitleClickKeepsTheColumnAndACancelledSearchKeepsTheMovie) {
  TFormMain* w = OpenedWindow();
  TExColumnGrid& g = *w->movie_Grid;
  // A press and release on the 감독 header, the mouse still by a pixel.
  const int director = g.DisplColIndex(CatalogueColumnIndex(g, Cat::Director));
  const TPoint header = CellCenter(g, director, 0);
  SimulateMouseDown(&g, mbLeft, header.X, header.Y);
  SimulateMouseMove(&g, header.X + 1, header.Y, TShiftState{ssLeft});
  SimulateMouseUp(&g, mbLeft, header.X + 1, header.Y);
  EXPECT_EQ(g.DisplColIndex(CatalogueColumnIndex(g, Cat::Director)), director) << "no column moved";
  EXPECT_EQ(CatalogueCell(g, Cat::Director, 1), "choi");
  EXPECT_EQ(CatalogueCell(g, Cat::Director, 8), "park");

  // The cursor in the third column; a click on a title picks that movie,
  // and Down goes to the next movie in the same column.
  const TPoint cell = CellCenter(g, 3, 2), title = CellCenter(g, 0, 4);
  SimulateClick(&g, cell.X, cell.Y);
  const int left = g.LeftCol();
  SimulateClick(&g, title.X, title.Y);
  SimulateKey(&g, VK_DOWN);
  EXPECT_EQ(g.Col(), 3);
  EXPECT_EQ(g.LeftCol(), left);
  ExpectOneMovie(*w, Title(*w, 5));

  // The second movie a search found stays current when the search ends;
  // the bar that showed the search going is empty again.
  Search(*w, "감독"_k, "kim");
  EXPECT_EQ(w->ScProgressBar1->Position(), 0);
  const TPoint second = CellCenter(g, 2, 2);
  SimulateClick(&g, second.X, second.Y);
  const AnsiString chosen = Title(*w, 2);
  w->FindButton->Click();  // 검색취소
  ExpectOneMovie(*w, chosen);
  EXPECT_NE(g.Row(), 2) << "another row than in the search";
}
