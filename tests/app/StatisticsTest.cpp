#include <gtest/gtest.h>

#include "app/FormState.h"
#include "platform/vcl/Forms.h"
#include "tests/app/ToolsTestSupport.h"

namespace {

using Values = TValueCounts;

// Four movies whose totals were worked out by hand: ties, empty and
// unreadable cells, per-file lists with two files, 1500 minutes in all.
std::unique_ptr<TExColumnGrid> HandMadeCatalogue() {
  auto g = NewCatalogue();
  AddMovie(*g, {{&Cat::Title, "가"_k}, {&Cat::RunningTime, "100"}, {&Cat::Year, "1999"}, {&Cat::Score, "8.5"},
                {&Cat::Rating, "15세"_k}, {&Cat::Country, "한국"_k}, {&Cat::Genre, "액션, 드라마"_k},
                {&Cat::Language, "한국어|영어"_k}, {&Cat::Quality, "DVD"}, {&Cat::VideoFormat, "XviD|XviD"},
                {&Cat::FileName, "a.avi|b.avi"}, {&Cat::FileSize, "700|350.5"}, {&Cat::ReleaseDate, "1999-05-01"},
                {&Cat::DateAdded, "2024-01-02"}, {&Cat::Watched, Cat::WatchedNo}});
  AddMovie(*g, {{&Cat::Title, "Alien"}, {&Cat::RunningTime, "1000"}, {&Cat::Year, "1979"}, {&Cat::Score, "9.5"},
                {&Cat::Rating, "15세"_k}, {&Cat::Country, "미국"_k}, {&Cat::Genre, "SF"}, {&Cat::Language, "영어"_k},
                {&Cat::VideoFormat, "DivX"}, {&Cat::FileName, "c.avi"}, {&Cat::FileSize, "abc"},
                {&Cat::ReleaseDate, "언젠가"_k}, {&Cat::DateAdded, "2024-03-04"}, {&Cat::Watched, Cat::WatchedYes}});
  AddMovie(*g, {{&Cat::Title, "Heat"}, {&Cat::Year, "1995"}, {&Cat::Score, "9.5"}, {&Cat::Country, "미국"_k},
                {&Cat::Genre, "로맨틱 코미디"_k}, {&Cat::ReleaseDate, "1995-12-15"}, {&Cat::DateAdded, "2023-07-07"},
                {&Cat::Watched, Cat::WatchedNo}});
  AddMovie(*g, {{&Cat::Title, "세븐"_k}, {&Cat::RunningTime, "400"}, {&Cat::Year, "abc"}, {&Cat::Score, "3"},
                {&Cat::Rating, "15세"_k}, {&Cat::Country, "미국"_k}, {&Cat::Genre, "드라마,액션"_k},
                {&Cat::Language, "한국어"_k}, {&Cat::VideoFormat, "XviD"}, {&Cat::FileName, "d.avi"},
                {&Cat::FileSize, "149.5"}, {&Cat::Watched, Cat::WatchedNo}});
  return g;
}

}  // namespace

TEST(Statistics, TotalsAndExtremesOfAHandMadeCatalogue) {
  auto g = HandMadeCatalogue();
  const TCatalogueStatistics s = ComputeStatistics(*g, true);
  EXPECT_EQ(s.Movies, 4);
  EXPECT_EQ(s.Files, 4);          // two, one, none, one
  EXPECT_DOUBLE_EQ(s.SizeMb, 1200);  // "abc" is no size
  EXPECT_EQ(s.Dated, 2);
  EXPECT_EQ(s.Unwatched, 3);
  EXPECT_EQ(s.Minutes, 1500);
  EXPECT_EQ(s.ShortestTitle, "가"_k);
  EXPECT_EQ(s.LongestTitle, "Alien");
  EXPECT_EQ(s.ShortestTime.Title, "가"_k);
  EXPECT_EQ(s.LongestTime.Value, 1000);
  EXPECT_EQ(s.OldestYear.Title, "Alien");
  EXPECT_EQ(s.NewestYear.Value, 1999);
  EXPECT_EQ(s.LowestScore.Title, "세븐"_k);
  // Two movies share the highest score: the first one is named.
  EXPECT_EQ(s.HighestScore.Title, "Alien");
  EXPECT_DOUBLE_EQ(s.HighestScore.Value, 9.5);
}

TEST(Statistics, DistributionsShowTheMostFrequentValuesFirst) {
  auto g = HandMadeCatalogue();
  const TCatalogueStatistics split = ComputeStatistics(*g, true);
  EXPECT_EQ(split.Distributions[1], (Values{{"15세"_k, 3}, {"", 1}}));                // an empty cell counts
  EXPECT_EQ(split.Distributions[3], (Values{{"미국"_k, 3}, {"한국"_k, 1}}));           // though 한국 came first
  EXPECT_EQ(split.Distributions[4],
            (Values{{"액션"_k, 2}, {"드라마"_k, 2}, {"SF", 1}, {"로맨틱 코미디"_k, 1}}));  // commas split, blanks do not
  EXPECT_EQ(split.Distributions[5], (Values{{"한국어"_k, 2}, {"영어"_k, 2}}));         // an empty list counts nothing
  EXPECT_EQ(split.Distributions[8], (Values{{"XviD", 3}, {"DivX", 1}}));              // both files of a movie
  EXPECT_EQ(split.Distributions[10], (Values{{"2024", 2}, {"2023", 1}}));             // only readable dates
  EXPECT_EQ(split.Distributions[2].size(), 4u);
  EXPECT_EQ(StateBarPercent(3, 4), 75);

  const TCatalogueStatistics whole = ComputeStatistics(*g, false);
  EXPECT_EQ(whole.Distributions[4],
            (Values{{"액션, 드라마"_k, 1}, {"SF", 1}, {"로맨틱 코미디"_k, 1}, {"드라마,액션"_k, 1}}));
}

TEST(Statistics, CountsCompareAsNumbersAndBarsAreCapped) {
  auto g = NewCatalogue();
  // Nine of B first, then ten of A: as text "9" would sort before "10".
  for (int i = 0; i < 19; ++i)
    AddMovie(*g, {{&Cat::Title, "M" + IntToStr(i)}, {&Cat::Country, i < 9 ? "B" : "A"}});
  SetCatalogueCell(*g, Cat::VideoFormat, 1, "XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD|XviD");
  const TCatalogueStatistics s = ComputeStatistics(*g, true);
  EXPECT_EQ(s.Distributions[3], (Values{{"A", 10}, {"B", 9}}));
  EXPECT_EQ(s.Distributions[8], (Values{{"XviD", 21}}));
  EXPECT_EQ(StateBarPercent(21, 19), 100);
}

TEST(Statistics, MinutesAsDaysHoursAndMinutes) {
  EXPECT_EQ(MinutesToText(1500), "( 1 일 1 시간 0 분 )"_k);
  EXPECT_EQ(MinutesToText(0), "( 0 일 0 시간 0 분 )"_k);
  EXPECT_EQ(MinutesToText(2 * 1440 + 59), "( 2 일 0 시간 59 분 )"_k);
}

TEST(Statistics, ExtremesBeyondTheUsualRangesAreStillFound) {
  auto g = NewCatalogue();
  AddMovie(*g, {{&Cat::Title, "Long"}, {&Cat::RunningTime, "1200"}, {&Cat::Year, "10000"}, {&Cat::Score, "10"}});
  const TCatalogueStatistics s = ComputeStatistics(*g, true);
  EXPECT_EQ(s.ShortestTime.Title, "Long");
  EXPECT_EQ(s.OldestYear.Title, "Long");
  EXPECT_EQ(s.LowestScore.Title, "Long");
  EXPECT_DOUBLE_EQ(s.LowestScore.Value, 10);
}

TEST(Statistics, WindowShowsCaptionsBarsAndDetails) {
  auto g = HandMadeCatalogue();
  TFormState form(nullptr, g.get());
  form.SplitStatistics = true;
  form.Show();
  const std::pair<TScPanel*, AnsiString> captions[] = {
      {form.MaxMovie, "4 편"_k},
      {form.MaxFile, "4 개"_k},
      {form.MaxFileSize, "1200 Mb (약 CD : 2 장)"_k},
      {form.MovieNo, "3 편"_k},
      {form.Datemovie, "2 편"_k},
      {form.HapMovieTime, "1500 분 ( 1 일 1 시간 0 분 )"_k},
      {form.ShotMovieName, "가"_k},
      {form.LongMovieName, "Alien"},
      {form.MaxPointMovie, "Alien (9.5 점)"_k},
      {form.MinPointMovie, "세븐 (3 점)"_k},
      {form.OldMovieName, "Alien (1979 년)"_k},
      {form.NewMovieName, "가 (1999 년)"_k},
      {form.ShotTimeMovie, "가 (100 분)"_k},
      {form.LongTimeMovie, "Alien (1000 분)"_k},
  };
  for (const auto& [panel, text] : captions) EXPECT_EQ(panel->Caption(), text) << panel->Name();
  EXPECT_EQ(form.ScProgressBar1->Percent(), 80);  // the last row of five
  EXPECT_FALSE(form.ProgressPanel->Visible());
  EXPECT_TRUE(form.ResultPanel->Visible());

  // 제작국가: 미국 in three movies of four, 한국 in one; the rest empty.
  EXPECT_EQ(form.Names[3][0]->Caption(), "미국"_k);
  EXPECT_EQ(form.Bars[3][0]->Percent(), 75);
  EXPECT_EQ(form.Names[3][1]->Caption(), "한국"_k);
  EXPECT_EQ(form.Bars[3][1]->Percent(), 25);
  EXPECT_EQ(form.Names[3][2]->Caption(), "");
  EXPECT_EQ(form.Bars[3][2]->Percent(), 0);
  EXPECT_EQ(form.Bars[8][0]->Percent(), 75);  // XviD: three files in two movies
  EXPECT_EQ(form.Names[3][0]->Name(), "MovieFrom_0");
  EXPECT_EQ(form.Bars[10][4]->Name(), "MovieDateInt_4");

  // The details of a box in the right-hand column open leftwards under it.
  form.DetailLabels[3]->Click();
  TScGroupBox* box = form.Boxes[3];
  ASSERT_TRUE(form.TempGrid->Visible());
  EXPECT_EQ(form.TempGrid->RowCount(), 2);
  EXPECT_EQ(form.TempGrid->Cells(0, 0), "미국"_k);
  EXPECT_EQ(form.TempGrid->Cells(1, 0), "3");
  EXPECT_EQ(form.TempGrid->Top(), box->Top() + 15);
  EXPECT_EQ(form.TempGrid->Left() + form.TempGrid->Width(), box->Left() + box->Width());
  EXPECT_EQ(form.TempGrid->Height(), form.TempGrid->DefaultRowHeight() * 2 + 10);
  form.DetailLabels[0]->Click();
  EXPECT_EQ(form.TempGrid->Left(), form.Boxes[0]->Left());
  form.TempGridClick(form.TempGrid);
  EXPECT_FALSE(form.TempGrid->Visible());
  // Only read: the catalogue is as it was.
  EXPECT_EQ(g->RowCount(), 5);
  EXPECT_EQ(CatalogueCell(*g, Cat::Genre, 1), "액션, 드라마"_k);
}

TEST(Statistics, TheDetailsListShowsWholeCountsBesideItsScrollBar) {
  auto g = NewCatalogue();
  for (int i = 0; i < 213; ++i) AddMovie(*g, {{&Cat::Title, "M" + IntToStr(i)}, {&Cat::Year, "2000"}});
  for (int year = 1990; year < 2000; ++year) AddMovie(*g, {{&Cat::Title, "Y"}, {&Cat::Year, IntToStr(year)}});
  TFormState form(nullptr, g.get());
  form.Show();
  form.DetailLabels[2]->Click();  // 제작연도
  TExColumnGrid& list = *form.TempGrid;
  ASSERT_LT(list.ClientHeight(), list.RowCount() * list.DefaultRowHeight()) << "the list scrolls";
  EXPECT_LE(list.CellRect(1, 0).Left + list.ColWidths(1), list.ClientWidth());
  EXPECT_GT(list.ColWidths(1), list.Canvas()->TextWidth("213") + 4);
}

TEST(Statistics, AnEmptyCatalogueIsOneMovieWithEmptyValues) {
  auto g = NewCatalogue();
  const TCatalogueStatistics s = ComputeStatistics(*g, true);
  EXPECT_EQ(s.Movies, 1);
  EXPECT_EQ(s.Files, 0);
  EXPECT_EQ(s.Distributions[0], (Values{{"", 1}}));
  EXPECT_TRUE(s.Distributions[5].empty());
  EXPECT_FALSE(s.HighestScore.Found);
  TFormState form(nullptr, g.get());
  form.Show();
  EXPECT_EQ(form.MaxMovie->Caption(), "1 편"_k);
  EXPECT_EQ(form.MaxPointMovie->Caption(), "");
  EXPECT_EQ(form.Bars[0][0]->Percent(), 100);
}

TEST(Statistics, AGroupedCatalogueCountsItsMoviesNotItsGroupRows) {
  auto g = HandMadeCatalogue();
  g->GroupByColumn(CatalogueColumnIndex(*g, Cat::Country));
  ASSERT_GT(g->RowCount(), 5);  // two group rows among the movies
  const TCatalogueStatistics s = ComputeStatistics(*g, true);
  EXPECT_EQ(s.Movies, 4);
  EXPECT_EQ(s.Minutes, 1500);
  EXPECT_EQ(s.Distributions[1], (Values{{"15세"_k, 3}, {"", 1}}));
}

TEST(Statistics, EverySplitDistributionCutsItsItemsTheSameWay) {
  auto g = NewCatalogue();
  // Items stand between "|" (per file) or commas (genres); blanks inside an
  // item belong to it, quotes around it do not, and empty items count nothing.
  AddMovie(*g, {{&Cat::Title, "A"}, {&Cat::Genre, "\"Sci Fi\", 로맨틱 코미디"_k}, {&Cat::VideoFormat, "DivX 5"},
                {&Cat::AudioFormat, "\"AC3 5.1\"|MP3"}, {&Cat::Language, " 한국어 | 영어 "_k}});
  AddMovie(*g, {{&Cat::Title, "B"}, {&Cat::Genre, " Sci Fi "}, {&Cat::VideoFormat, "\"DivX 5\"|XviD"},
                {&Cat::AudioFormat, "AC3 5.1||"}, {&Cat::Language, "영어"_k}});
  AddMovie(*g, {{&Cat::Title, "C"}, {&Cat::Genre, ""}, {&Cat::VideoFormat, "|"},
                {&Cat::AudioFormat, "\"say \"\"hi\"\"|x\""}, {&Cat::Language, "  "}});
  AddMovie(*g, {{&Cat::Title, "D"}, {&Cat::Genre, ", ,"}, {&Cat::VideoFormat, ""},
                {&Cat::AudioFormat, "\"MP3\" stereo"}});
  SetCatalogueCell(*g, Cat::FileName, 1, "\"My Movie.avi\"|b.avi");
  SetCatalogueCell(*g, Cat::FileName, 2, "My Movie 2.avi");
  SetCatalogueCell(*g, Cat::FileName, 3, "||");
  SetCatalogueCell(*g, Cat::FileSize, 1, "700| 350");
  SetCatalogueCell(*g, Cat::FileSize, 2, "\"100\"");
  const TCatalogueStatistics s = ComputeStatistics(*g, true);
  // Files and sizes by the same rule.
  EXPECT_EQ(s.Files, 3);
  EXPECT_DOUBLE_EQ(s.SizeMb, 1150);
  EXPECT_EQ(s.Distributions[4], (Values{{"Sci Fi", 2}, {"로맨틱 코미디"_k, 1}}));
  EXPECT_EQ(s.Distributions[5], (Values{{"영어"_k, 2}, {"한국어"_k, 1}}));
  EXPECT_EQ(s.Distributions[8], (Values{{"DivX 5", 2}, {"XviD", 1}}));
  // A quoted item keeps the delimiter and doubled quotes inside it as text,
  // and what follows its closing quote.
  EXPECT_EQ(s.Distributions[9],
            (Values{{"AC3 5.1", 2}, {"MP3", 1}, {"say \"hi\"|x", 1}, {"MP3 stereo", 1}}));

  // Unsplit, the genre cell counts whole, an empty one too.
  const TCatalogueStatistics whole = ComputeStatistics(*g, false);
  EXPECT_EQ(whole.Distributions[4], (Values{{"\"Sci Fi\", 로맨틱 코미디"_k, 1}, {" Sci Fi ", 1}, {"", 1}, {", ,", 1}}));
  EXPECT_EQ(whole.Distributions[8], s.Distributions[8]);
  // A quoted item after a blank is one item too, read without its quotes.
  auto quoted = NewCatalogue();
  AddMovie(*quoted, {{&Cat::Title, "E"}, {&Cat::Genre, "드라마, \"로맨스, 코미디\""_k}});
  EXPECT_EQ(ComputeStatistics(*quoted, true).Distributions[4], (Values{{"드라마"_k, 1}, {"로맨스, 코미디"_k, 1}}));

  // The bars show the items as counted.
  TFormState form(nullptr, g.get());
  form.SplitStatistics = true;
  form.Show();
  EXPECT_EQ(form.Names[4][0]->Caption(), "Sci Fi");
  EXPECT_EQ(form.Bars[4][0]->Percent(), 50);
  EXPECT_EQ(form.Names[8][0]->Caption(), "DivX 5");
}

TEST(Statistics, AmongEqualExtremesTheFirstMovieIsNamed) {
  // Each extreme is reached by two movies; the earlier row is named, in
  // whichever order the catalogue holds them.
  struct TMovie {
    const char* Title;
    const char* Minutes;
    const char* Year;
    const char* Score;
  };
  const TMovie movies[] = {{"Alpha", "90", "1990", "5"},
                           {"Bravo", "150", "2010", "9"},
                           {"Chuck", "90", "1990", "5.0"},
                           {"Delta", "150", "2010", "9.0"}};
  for (bool reversed : {false, true}) {
    SCOPED_TRACE(reversed ? "last added first" : "as added");
    auto g = NewCatalogue();
    for (int i = 0; i < 4; ++i) {
      const TMovie& m = movies[reversed ? 3 - i : i];
      AddMovie(*g, {{&Cat::Title, m.Title}, {&Cat::RunningTime, m.Minutes}, {&Cat::Year, m.Year},
                    {&Cat::Score, m.Score}});
    }
    const AnsiString low = reversed ? "Chuck" : "Alpha";
    const AnsiString high = reversed ? "Delta" : "Bravo";
    // Four titles of five letters: the first is both the shortest and the longest.
    const AnsiString first = reversed ? "Delta" : "Alpha";
    const TCatalogueStatistics s = ComputeStatistics(*g, true);
    EXPECT_EQ(s.ShortestTime.Title, low);
    EXPECT_EQ(s.LongestTime.Title, high);
    EXPECT_EQ(s.OldestYear.Title, low);
    EXPECT_EQ(s.NewestYear.Title, high);
    EXPECT_EQ(s.LowestScore.Title, low);
    EXPECT_EQ(s.HighestScore.Title, high);
    EXPECT_EQ(s.ShortestTitle, first);
    EXPECT_EQ(s.LongestTitle, first);

    TFormState form(nullptr, g.get());
    form.Show();
    EXPECT_EQ(form.ShotTimeMovie->Caption(), low + " (90 분)"_k);
    EXPECT_EQ(form.LongTimeMovie->Caption(), high + " (150 분)"_k);
    EXPECT_EQ(form.OldMovieName->Caption(), low + " (1990 년)"_k);
    EXPECT_EQ(form.NewMovieName->Caption(), high + " (2010 년)"_k);
    EXPECT_EQ(form.MinPointMovie->Caption(), low + " (5 점)"_k);
    EXPECT_EQ(form.MaxPointMovie->Caption(), high + " (9 점)"_k);
    EXPECT_EQ(form.ShotMovieName->Caption(), first);
    EXPECT_EQ(form.LongMovieName->Caption(), first);
  }
}
