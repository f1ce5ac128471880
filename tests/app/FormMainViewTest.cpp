// Browsing a catalogue: details and posters, row colours, the column
// chooser, search and quick filters, sorting and grouping, and saving while
// the view is narrowed or grouped.
#include <gtest/gtest.h>

#include "platform/vcl/InputSimulation.h"
#include "platform/vcl/Jpeg.h"
#include "platform/vcl/ShellApi.h"
#include "tests/app/FormMainTestSupport.h"

namespace {

class ViewTest : public CatalogueWindowTest {
 protected:
  // Six movies: titles, directors, watched and lent states.
  TFormMain* WindowWithMovies() {
    return WindowWith({{"다"_k, "kim", Cat::WatchedYes, Cat::LentKept},
                       {"가"_k, "lee", Cat::WatchedNo, Cat::LentOut},
                       {"나"_k, "kim", Cat::WatchedYes, Cat::LentOut},
                       {"<B>Bold</B>", "park", "", ""},
                       {"=1+1", "lee", Cat::WatchedNo, Cat::LentKept},
                       {"라"_k, "kim", Cat::WatchedNo, Cat::LentKept}});
  }
  static std::vector<AnsiString> ShownTitles(TFormMain& w) {
    std::vector<AnsiString> titles;
    TGridColumnItem* title = w.movie_Grid->ColumnByName(Cat::Title);
    for (int r = 1; r < w.movie_Grid->RowCount(); ++r)
      if (!w.movie_Grid->IsNodeRow(r)) titles.push_back(title->Rows(r));
    return titles;
  }
  void Search(TFormMain& w, const AnsiString& column, const AnsiString& value) {
    w.ComboFind->SetItemIndex(w.ComboFind->Items()->IndexOf(column));
    w.ComboFindValue->SetText(value);
    w.FindButton->Click();
  }
  void Group(TFormMain& w, const AnsiString& item) {
    w.GroupCombo->SetItemIndex(w.GroupCombo->Items()->IndexOf(item));
    w.GroupComboChange(w.GroupCombo);
  }
  void Sort(TFormMain& w, const AnsiString& item) {
    w.SortCombo->SetItemIndex(w.SortCombo->Items()->IndexOf(item));
    w.SortComboChange(w.SortCombo);
  }
  static void Poster(const AnsiString& file) {
    TBitmap b;
    b.SetSize(20, 30);
    TJPEGImage jpeg;
    jpeg.Assign(&b);
    jpeg.SaveToFile(file);
  }
};

}  // namespace

TEST_F(ViewTest, DetailsShowTheMovieItsPostersWithWrapAroundAndItsFiles) {
  TFormMain* w = WindowWithMovies();
  TExColumnGrid& g = *w->movie_Grid;
  const AnsiString posters = app_.Path() + "Poster/";
  Poster(posters + "p1.jpg");
  Poster(posters + "p2.jpg");
  WriteTextFile(posters + "broken.jpg", "not a picture");
  SetCatalogueCell(g, Cat::Posters, 1, "p1.jpg,p2.jpg,missing.jpg");
  SetCatalogueCell(g, Cat::Score, 1, "9");
  SetCatalogueCell(g, Cat::FileName, 1, "a.avi|b.avi|c.avi");
  SetCatalogueCell(g, Cat::Channels, 1, "2|6");  // shorter than the file list
  SetCatalogueCell(g, Cat::Subtitle, 1, "a.smi|b.smi|c.smi|d.smi");  // longer
  w->ShowMovieDetails(1);
  EXPECT_EQ(w->View[0]->Text(), "다"_k);
  EXPECT_EQ(w->View[10]->Text(), "★★★★☆"_k);
  EXPECT_TRUE(w->BtnPosterNext->Visible());
  EXPECT_EQ(w->imgposter->Picture()->Width(), 20);
  w->BtnPosterNext->Click();
  w->BtnPosterNext->Click();  // missing.jpg: the stand-in
  EXPECT_EQ(w->imgposter->Tag(), 2);
  EXPECT_EQ(w->imgposter->Picture()->Width(), 200);
  w->BtnPosterNext->Click();  // past the last: the first again
  EXPECT_EQ(w->imgposter->Tag(), 0);
  w->BtnPosterPrev->Click();
  EXPECT_EQ(w->imgposter->Tag(), 2);
  EXPECT_EQ(w->FileGrid->RowCount(), 4);
  EXPECT_EQ(w->FileGrid->ColumnByName("채널"_k)->Rows(2), "6");
  EXPECT_EQ(w->FileGrid->ColumnByName("채널"_k)->Rows(3), "");
  EXPECT_EQ(w->FileGrid->ColumnByName("자막파일"_k)->Rows(3), "c.smi");
  EXPECT_EQ(w->View_36->Caption(), Cat::LentKept);
  EXPECT_EQ(w->View_20_2->Caption(), Cat::WatchedYes);

  SetCatalogueCell(g, Cat::Posters, 2, "broken.jpg");
  w->ShowMovieDetails(2);
  EXPECT_FALSE(w->BtnPosterNext->Visible());
  EXPECT_FALSE(w->BtnPosterPrev->Visible());
  EXPECT_EQ(w->imgposter->Picture()->Width(), 200);  // badImage.jpg
  EXPECT_EQ(w->View_36_2->Caption(), Cat::LentOut);
}

TEST_F(ViewTest, RowColoursForWatchedLentAndBothAndNoneWhenSwitchedOff) {
  TFormMain* w = WindowWithMovies();
  TExColumnGrid& g = *w->movie_Grid;
  const int director = CatalogueColumnIndex(g, Cat::Director);
  auto colours = [&](int row, int col) {
    TBrush brush;
    TFont font;
    brush.SetColor(clWindow);
    font.SetColor(clWindowText);
    g.GetCellColor(col, row, {}, &brush, &font);
    return brush.Color();
  };
  EXPECT_EQ(colours(1, director), w->IniSetup.WatchedBackColor);
  EXPECT_EQ(colours(2, director), w->IniSetup.LentBackColor);
  EXPECT_EQ(colours(3, director), w->IniSetup.LentBackColor);  // watched and lent
  EXPECT_EQ(colours(6, director), static_cast<TColor>(clWindow));
  EXPECT_EQ(colours(1, CatalogueColumnIndex(g, Cat::Title)), g.Columns()->Items(0)->Color());
  w->IniSetup.ColorRows = false;
  EXPECT_EQ(colours(1, director), static_cast<TColor>(clWindow));
}

TEST_F(ViewTest, TheChooserHidesAndShowsColumnsAndItsListSurvivesARestart) {
  TFormMain* w = WindowWithMovies();
  TExColumnGrid& g = *w->movie_Grid;
  const int genre = w->ScCheckList1->Items()->IndexOf(Cat::Genre + " ");
  ASSERT_GE(genre, 0);
  EXPECT_EQ(w->ScCheckList1->Items()->IndexOf(Cat::Title + " "), -1);
  EXPECT_EQ(w->ScCheckList1->Items()->IndexOf(Cat::Location + " "), -1);
  SimulateMouseDown(&g, mbRight, 40, 40, TShiftState{ssShift});
  SimulateMouseUp(&g, mbRight, 40, 40, TShiftState{ssShift});
  EXPECT_TRUE(w->ScPanel6->Visible());
  w->ScCheckList1->SetChecked(genre, false);
  w->ScCheckList1Change(genre, cbUnchecked);
  EXPECT_TRUE(g.IsColumnHidden(CatalogueColumnIndex(g, Cat::Genre)));
  w->ScCheckList1->SetChecked(genre, true);
  w->ScCheckList1Change(genre, cbChecked);
  EXPECT_FALSE(g.IsColumnHidden(CatalogueColumnIndex(g, Cat::Genre)));
  w->ScCheckList1->SetChecked(genre, false);
  w->ScCheckList1Change(genre, cbUnchecked);
  w->ScButton1->Click();
  EXPECT_FALSE(w->ScPanel6->Visible());
  // Closing writes the list, creating the folder when missing.
  std::filesystem::remove_all(SysFileName(app_.Path() + "Config"));
  w->DBModified = false;
  w->Close();
  EXPECT_TRUE(FileExists(app_.Path() + "Config/목록.View"_k));
  CloseWindow(w);
  TFormMain* again = OpenWindow();
  EXPECT_TRUE(again->movie_Grid->IsColumnHidden(CatalogueColumnIndex(*again->movie_Grid, Cat::Genre)));
  EXPECT_FALSE(again->ScCheckList1->Checked(genre));
}

TEST_F(ViewTest, SearchWithAndWithoutOperatorsKoreanTextAndCancel) {
  TFormMain* w = WindowWithMovies();
  EXPECT_EQ(TFormMain::ConditionText("ab"), "*AB*");
  EXPECT_EQ(TFormMain::ConditionText("a*"), "A*");
  EXPECT_EQ(TFormMain::ConditionText(">3"), ">3");
  EXPECT_EQ(TFormMain::ConditionText("한국"_k), "*한국*"_k);

  Search(*w, Cat::Director, "KI");
  EXPECT_EQ(ShownTitles(*w), (std::vector<AnsiString>{"다"_k, "나"_k, "라"_k}));
  EXPECT_EQ(w->FindButton->Caption(), "검색취소"_k);
  EXPECT_EQ(w->movie_Grid->ColumnByName(Cat::Director)->Filter()->Count(), 1);
  w->FindButton->Click();
  EXPECT_EQ(ShownTitles(*w).size(), 6u);
  EXPECT_EQ(w->FindButton->Caption(), "검색"_k);

  Search(*w, Cat::Title, "/B");  // mark-up text is plain text: its tags are searched too
  EXPECT_EQ(ShownTitles(*w), std::vector<AnsiString>{"<B>Bold</B>"});
  w->FindButton->Click();
  Search(*w, Cat::Title, "\\=1");  // a leading "=" asks for the whole cell; escaped, it is looked for
  EXPECT_EQ(ShownTitles(*w), std::vector<AnsiString>{"=1+1"});
  w->FindButton->Click();
  Search(*w, Cat::Title, "가"_k);
  EXPECT_EQ(ShownTitles(*w), std::vector<AnsiString>{"가"_k});
  w->FindButton->Click();
  w->ComboFindValue->SetText("");
  w->FindButton->Click();  // nothing to search for: nothing happens
  EXPECT_EQ(w->FindButton->Caption(), "검색"_k);
}

TEST_F(ViewTest, QuickFiltersAndTheViewPageButtons) {
  TFormMain* w = WindowWithMovies();
  w->ComboFind->SetItemIndex(4);  // 빌려준것만
  w->ComboFindChange(w->ComboFind);
  EXPECT_EQ(ShownTitles(*w), (std::vector<AnsiString>{"가"_k, "나"_k}));
  w->ScBitBtn30->Click();  // 보관중인영화만: switches the previous filter off first
  EXPECT_EQ(ShownTitles(*w), (std::vector<AnsiString>{"다"_k, "<B>Bold</B>", "=1+1", "라"_k}));
  w->ScBitBtn31->Click();  // 본영화만: the movies marked watched, as the pane and the colours have it
  EXPECT_EQ(ShownTitles(*w), (std::vector<AnsiString>{"다"_k, "나"_k}));
  EXPECT_EQ(w->ComboFind->Text(), Cat::Watched);
  w->ScBitBtn32->Click();  // 안본영화만: all the others, an empty state included
  EXPECT_EQ(ShownTitles(*w), (std::vector<AnsiString>{"가"_k, "<B>Bold</B>", "=1+1", "라"_k}));
  EXPECT_FALSE(w->menupanel->Visible());
  EXPECT_FALSE(w->DBModified);  // narrowing the view changes no movie
}

TEST_F(ViewTest, TheSortToggleReversesARepeatedColumnOnlyAfterAnOddNumberOfChoices) {
  TFormMain* w = WindowWithMovies();
  Sort(*w, Cat::Title);  // the first choice of the title counts as a repeat of column 0: ascending
  const std::vector<AnsiString> ascending = ShownTitles(*w);
  EXPECT_EQ(ascending.front(), "<B>Bold</B>");
  Sort(*w, Cat::Title);  // one choice before: descending
  EXPECT_EQ(ShownTitles(*w).front(), "라"_k);
  Sort(*w, Cat::Director);  // another column: ascending, toggle flips anyway
  EXPECT_EQ(CatalogueCell(*w->movie_Grid, Cat::Director, 1), "kim");
  Sort(*w, Cat::Director);  // three choices before: descending
  EXPECT_EQ(CatalogueCell(*w->movie_Grid, Cat::Director, 1), "park");
}

TEST_F(ViewTest, GroupRegroupAndUngroupWithASearchEndWithTheOriginalRowsAndColumns) {
  TFormMain* w = WindowWithMovies();
  TExColumnGrid& g = *w->movie_Grid;
  const std::vector<AnsiString> before = ShownTitles(*w);
  w->UpdateMovieCount();
  Search(*w, Cat::Director, "kim");
  Group(*w, Cat::Watched);
  EXPECT_TRUE(g.FilterActive());
  EXPECT_TRUE(w->GridGrouped);
  EXPECT_EQ(w->GroupCombo->Items()->Strings(0), "따로따로"_k);
  EXPECT_GT(g.NodeCount(), 0);
  EXPECT_EQ(w->ScProgressBar1->Position(), 0);  // the work is done: the bar empties
  // Sorting waits while grouped, from the list and from the header.
  const int rowsGrouped = g.RowCount();
  Sort(*w, Cat::Title);
  bool doSort = true;
  w->movie_GridCanSort(&g, 1, doSort);
  EXPECT_FALSE(doSort);
  EXPECT_EQ(g.RowCount(), rowsGrouped);
  // A group node row leaves the pane as it was.
  const AnsiString shown = w->View[0]->Text();
  for (int r = 1; r < g.RowCount(); ++r)
    if (g.IsNodeRow(r)) w->ShowMovieDetails(r);
  EXPECT_EQ(w->View[0]->Text(), shown);

  Group(*w, Cat::Director);  // regroup by another column
  EXPECT_TRUE(w->GridGrouped);
  EXPECT_TRUE(g.FilterActive());
  w->GroupCombo->SetItemIndex(0);
  w->GroupComboChange(w->GroupCombo);  // 따로따로
  EXPECT_FALSE(w->GridGrouped);
  EXPECT_EQ(w->GroupCombo->Items()->Strings(0), "같은종류로"_k);
  EXPECT_EQ(g.RealColCount(), kCatalogueColumnCount);
  EXPECT_EQ(g.FixedCols(), 1);
  EXPECT_EQ(g.Cells(0, 0), Cat::Title);
  // The search is still on, by name, on the director column.
  EXPECT_EQ(ShownTitles(*w).size(), 3u);
  EXPECT_EQ(w->MovieRow->Caption(), "전체 : 3 편"_k);  // the movies the search shows
  w->FindButton->Click();
  EXPECT_EQ(w->MovieRow->Caption(), "전체 : 6 편"_k);
  std::vector<AnsiString> after = ShownTitles(*w), sortedBefore = before;
  std::sort(after.begin(), after.end());
  std::sort(sortedBefore.begin(), sortedBefore.end());
  EXPECT_EQ(after, sortedBefore);
}

TEST_F(ViewTest, SavingWhileGroupedAndSearchedWritesTheRealCatalogueAndKeepsTheView) {
  TFormMain* w = WindowWithMovies();
  const AnsiString file = app_.Path() + "DB/g.VDM";
  Search(*w, Cat::Director, "kim");
  Group(*w, Cat::Watched);
  const int groupedRows = w->movie_Grid->RowCount();
  TDialogFakes::QueueFileName(file);
  ASSERT_TRUE(w->SaveDB("NewDB"));
  EXPECT_TRUE(w->GridGrouped);
  EXPECT_TRUE(w->movie_Grid->FilterActive());
  EXPECT_EQ(w->movie_Grid->RowCount(), groupedRows);

  TFormMain* fresh = OpenWindow();
  ASSERT_TRUE(fresh->LoadDB(file));
  EXPECT_EQ(fresh->movie_Grid->RealColCount(), kCatalogueColumnCount);
  EXPECT_EQ(fresh->movie_Grid->Cells(0, 0), Cat::Title);
  std::vector<AnsiString> titles = Titles(*fresh);
  std::sort(titles.begin(), titles.end());
  EXPECT_EQ(titles, (std::vector<AnsiString>{"<B>Bold</B>", "=1+1", "가"_k, "나"_k, "다"_k, "라"_k}));
  EXPECT_EQ(fresh->movie_Grid->NodeCount(), 0);
}

TEST_F(ViewTest, NewAndOpenLeaveNothingOfThePreviousViewBehind) {
  TFormMain* w = WindowWithMovies();
  Search(*w, Cat::Director, "kim");
  Sort(*w, Cat::Title);
  Group(*w, Cat::Watched);
  w->movie_Grid->SetRowSelected(1, true);
  w->DBModified = false;
  w->btnNEWDB->Click();
  EXPECT_FALSE(w->GridGrouped);
  EXPECT_FALSE(w->movie_Grid->FilterActive());
  EXPECT_EQ(w->FindButton->Caption(), "검색"_k);
  EXPECT_FALSE(w->SortToggle);
  EXPECT_EQ(w->SortCombo->ItemIndex(), 0);
  EXPECT_EQ(w->GroupCombo->ItemIndex(), 0);
  EXPECT_EQ(w->movie_Grid->SelectedRowCount(), 0);
  EXPECT_EQ(w->movie_Grid->RealColCount(), kCatalogueColumnCount);
  EXPECT_EQ(Titles(*w), std::vector<AnsiString>{""});
}

TEST_F(ViewTest, LinksOpenWebAddressesOnly) {
  TFormMain* w = WindowWithMovies();
  TShellFake::Enable();
  for (const char* address : {"javascript:alert(1)", "file:///etc/passwd", "http://example.com/x"}) {
    SetCatalogueCell(*w->movie_Grid, Cat::HomePage, 1, address);
    w->ShowMovieDetails(1);
    w->ScBitBtn1->Click();
  }
  const std::vector<AnsiString> opened = TShellFake::OpenedAddresses();
  TShellFake::Disable();
  EXPECT_EQ(opened, std::vector<AnsiString>{"http://example.com/x"});
}

TEST_F(ViewTest, KeysOfTheWindowAndTheGrid) {
  TFormMain* w = WindowWithMovies();
  SimulateKey(w->movie_Grid, 'A', TShiftState{ssCtrl});
  EXPECT_EQ(w->movie_Grid->SelectedRowCount(), 6);
  SimulateKey(w->movie_Grid, VK_F10);
  EXPECT_TRUE(w->menupanel->Visible());
  w->ScBitBtn38->Click();
  EXPECT_FALSE(w->menupanel->Visible());
  w->ComboFind->SetItemIndex(0);
  w->ComboFindValue->SetText("라"_k);
  SimulateKey(w->ComboFindValue, VK_RETURN);  // Enter searches
  EXPECT_EQ(ShownTitles(*w), std::vector<AnsiString>{"라"_k});
  w->FindButton->Click();
  AddMovie(*w, "새것"_k);
  TDialogFakes::QueueFileName(app_.Path() + "DB/keys.VDM");
  SimulateKey(w->movie_Grid, 'S', TShiftState{ssCtrl});
  EXPECT_EQ(w->CurrentDBFile, app_.Path() + "DB/keys.VDM");

  // Grouped, Shift+Down from a group's first movie across the next group's
  // row: the operations take the four movies, never the group row.
  TFormMain* grouped = WindowWithMovies();
  Group(*grouped, Cat::Director);
  grouped->movie_Grid->ExpandAllNodes();
  grouped->movie_Grid->SetRow(2);
  for (int i = 0; i < 4; ++i) SimulateKey(grouped->movie_Grid, VK_DOWN, TShiftState{ssShift});
  EXPECT_EQ(grouped->OperationRows(), (std::vector<int>{2, 3, 4, 6}));
}
