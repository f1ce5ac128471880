// The movie the user chose is the movie that changes: record operations on
// rows below rows a search or a closed group hides, taking a movie back, and
// searches whose typed operators keep their meaning.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "app/FormFarm.h"
#include "app/MultiEditForm.h"
#include "app/PosterUtil.h"
#include "platform/vcl/InputSimulation.h"
#include "tests/app/FormMainTestSupport.h"

namespace {

// What an operation can change of a movie, in one comparable record.
struct TMovieState {
  AnsiString Watched, Lent, Borrower, Contact, Genre, Posters;
  bool operator==(const TMovieState&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TMovieState& s) {
  return out << "{" << s.Watched << "," << s.Lent << "," << s.Borrower << "," << s.Contact << "," << s.Genre << ","
             << s.Posters << "}";
}

enum class THiding { Search, ClosedGroup, SearchWhileGrouped };

// The poster tools' run the next poster operation makes: 1 rename after the
// title, 2 copy into the folder "Copies", both on "선택한목록".
int g_posterRun = 0;

class ChosenMovieTest : public CatalogueWindowTest {
 protected:
  void SetUp() override {
    CatalogueWindowTest::SetUp();
    TCustomForm::SetShowModalHook([this](TCustomForm& form) {
      if (auto* farm = dynamic_cast<TFormFarm*>(&form)) {
        farm->Scedit1->SetText("김철수"_k);
        farm->ScEdit2->SetText("010-9999");
        farm->ScDialogButtons1->OkButton()->Click();
      } else if (auto* multi = dynamic_cast<TMultiEditForm*>(&form)) {
        multi->ScComboBox4->SetText("드라마"_k);
        multi->ScButton1->Click();
        multi->ScButton2->Click();
      } else if (auto* tools = dynamic_cast<TPosterUtilForm*>(&form)) {
        if (g_posterRun == 1) {
          tools->ScRadioGroup1->SetItemIndex(0);
          tools->ScRadioGroup4->SetItemIndex(1);
          tools->ScButton3->Click();
        } else {
          tools->ScRadioGroup2->SetItemIndex(1);
          TDialogFakes::QueueFolder(app_.Path() + "Copies");
          tools->ScButtonEdit1->ButtonClick();
          tools->ScButton5->Click();
        }
      }
    });
  }
  void TearDown() override {
    TCustomForm::SetShowModalHook(nullptr);
    CatalogueWindowTest::TearDown();
  }

  // Two movies by Ahn above three by Park, every one lent out to someone.
  TFormMain* WindowWithLentMovies() {
    TFormMain* w = WindowWith({{"H1", "Ahn", "", Cat::LentOut},
                               {"H2", "Ahn", "", Cat::LentOut},
                               {"T1", "Park", "", Cat::LentOut},
                               {"T2", "Park", "", Cat::LentOut},
                               {"T3", "Park", "", Cat::LentOut}});
    ForceDirectories(app_.Path() + "Copies");
    for (int r = 1; r < w->movie_Grid->RowCount(); ++r) {
      SetCatalogueCell(*w->movie_Grid, Cat::Borrower, r, "홍길동"_k);
      SetCatalogueCell(*w->movie_Grid, Cat::Contact, r, "010-1234");
      const AnsiString title = CatalogueCell(*w->movie_Grid, Cat::Title, r);
      const AnsiString poster = "p" + title + ".jpg";
      SetCatalogueCell(*w->movie_Grid, Cat::Posters, r, poster);
      WriteTextFile(w->PosterDir + "/" + poster, poster);
      // What an earlier window renamed or copied is gone.
      DeleteFile(w->PosterDir + "/" + title + ".jpg");
      DeleteFile(app_.Path() + "Copies/" + poster);
    }
    return w;
  }

  // Hides the two movies by Ahn, which stand above the others.
  void Hide(TFormMain& w, THiding hiding) {
    if (hiding == THiding::SearchWhileGrouped) {
      // Grouped by the shelf (one group holds them all), then searched: the
      // movies found show under their group.
      w.GroupCombo->SetItemIndex(w.GroupCombo->Items()->IndexOf(Cat::Location));
      w.GroupComboChange(w.GroupCombo);
    }
    if (hiding != THiding::ClosedGroup) {
      w.ComboFind->SetItemIndex(w.ComboFind->Items()->IndexOf(Cat::Director));
      w.ComboFindValue->SetText("Park");
      w.FindButton->Click();
      EXPECT_EQ(w.MovieRow->Caption(), "전체 : 3 편"_k);
    } else {
      w.GroupCombo->SetItemIndex(w.GroupCombo->Items()->IndexOf(Cat::Director));
      w.GroupComboChange(w.GroupCombo);
      // Every group closed; the user opens Park's, below Ahn's.
      TExColumnGrid& g = *w.movie_Grid;
      for (int r = 1; r < g.RowCount(); ++r)
        if (g.IsNodeRow(r) && Contains(g.Cells(1, r), "Park")) {
          g.ExpandNode(g.RealRowIndex(r));
          break;
        }
    }
    ASSERT_EQ(DisplayRow(w, "H1"), -1) << "the movies above are out of view";
    ASSERT_GT(DisplayRow(w, "T1"), 0);
  }
  void ShowAll(TFormMain& w, THiding hiding) {
    if (hiding != THiding::ClosedGroup) w.FindButton->Click();
    if (hiding != THiding::Search) {
      w.GroupCombo->SetItemIndex(0);
      w.GroupComboChange(w.GroupCombo);
    }
    ASSERT_FALSE(w.GridGrouped);
    ASSERT_FALSE(w.movie_Grid->FilterActive());
  }

  static bool Contains(const AnsiString& text, const char* part) { return text.find(part) != AnsiString::npos; }

  // The shown row of the movie with this title, -1 when it is out of view.
  static int DisplayRow(TFormMain& w, const AnsiString& title) {
    TExColumnGrid& g = *w.movie_Grid;
    for (int r = g.FixedRows(); r < g.RowCount(); ++r)
      if (!g.IsNodeRow(r) && CatalogueCell(g, Cat::Title, r) == title) return r;
    return -1;
  }

  // A click on the movie's row, as the user picks it (Ctrl adds it to the
  // rows already marked).
  static void ClickMovie(TFormMain& w, const AnsiString& title, TShiftState shift = {}) {
    TExColumnGrid& g = *w.movie_Grid;
    const int row = DisplayRow(w, title);
    ASSERT_GT(row, 0) << title;
    const TRect cell = g.CellRect(g.FixedCols() + 1, row);
    ASSERT_GT(cell.Width(), 0);
    const int x = (cell.Left + cell.Right) / 2, y = (cell.Top + cell.Bottom) / 2;
    SimulateMouseDown(&g, mbLeft, x, y, shift);
    SimulateMouseUp(&g, mbLeft, x, y, shift);
  }

  static std::map<AnsiString, TMovieState> States(TFormMain& w) {
    std::map<AnsiString, TMovieState> states;
    TExColumnGrid& g = *w.movie_Grid;
    for (int r = 1; r < g.RowCount(); ++r) {
      auto cell = [&](const AnsiString& header) { return CatalogueCell(g, header, r); };
      states[cell(Cat::Title)] = {cell(Cat::Watched), cell(Cat::Lent), cell(Cat::Borrower), cell(Cat::Contact),
                                  cell(Cat::Genre), cell(Cat::Posters)};
      // The poster a movie names is on the disk under that name.
      const AnsiString poster = w.PosterPath(cell(Cat::Posters));
      EXPECT_EQ(ReadTextFile(poster), "p" + cell(Cat::Title) + ".jpg") << cell(Cat::Title);
    }
    return states;
  }
};

// One record operation: the button that starts it (its question answered
// Yes) and what it does to a chosen movie.
struct TRecordOperation {
  const char* Name;
  std::vector<const char*> Chosen;
  TButton* (*Button)(TFormMain&);
  bool Deletes;
  std::function<void(TMovieState&)> Change;
};

std::vector<TRecordOperation> Operations() {
  using S = TMovieState;
  using W = TFormMain;
  return {
      {"mark watched", {"T2"}, [](W& w) -> TButton* { return w.ScButton8; }, false,
       [](S& s) { s.Watched = Cat::WatchedYes; }},
      {"lend", {"T2"}, [](W& w) -> TButton* { return w.ScButton10; }, false,
       [](S& s) { s = {s.Watched, Cat::LentOut, "김철수"_k, "010-9999", s.Genre, s.Posters}; }},
      {"take back", {"T2"}, [](W& w) -> TButton* { return w.ScButton9; }, false,
       [](S& s) { s = {s.Watched, Cat::LentKept, "", "", s.Genre, s.Posters}; }},
      {"delete", {"T2"}, [](W& w) -> TButton* { return w.BtnMovieDel; }, true, [](S&) {}},
      {"batch edit", {"T2", "T3"}, [](W& w) -> TButton* { return w.ScBitBtn24; }, false,
       [](S& s) { s.Genre = "드라마"_k; }},
      {"rename posters of the selected", {"T2", "T3"},
       [](W& w) -> TButton* {
         g_posterRun = 1;
         return w.ScBitBtn26;
       },
       false, [](S& s) { s.Posters = s.Posters == "pT2.jpg" ? "T2.jpg" : "T3.jpg"; }},
      {"copy posters of the selected", {"T2"},
       [](W& w) -> TButton* {
         g_posterRun = 2;
         return w.ScBitBtn26;
       },
       false, [](S& s) { s.Posters = IncludeTrailingPathDelimiter(AppDir()) + "Copies/pT2.jpg"; }},
  };
}

void ExpectOnlyTheChosenChanged(const TRecordOperation& op, const std::map<AnsiString, TMovieState>& before,
                                const std::map<AnsiString, TMovieState>& after, const char* hiding) {
  for (const auto& [title, state] : before) {
    const bool chosen = std::find(op.Chosen.begin(), op.Chosen.end(), title) != op.Chosen.end();
    std::optional<TMovieState> expected = state;
    if (chosen && op.Deletes) expected.reset();
    if (chosen && expected) op.Change(*expected);
    const auto found = after.find(title);
    if (!expected) {
      EXPECT_EQ(found, after.end()) << op.Name << " under " << hiding << ": " << title << " stays";
    } else if (found == after.end()) {
      ADD_FAILURE() << op.Name << " under " << hiding << ": " << title << " is gone";
    } else {
      EXPECT_EQ(found->second, *expected) << op.Name << " under " << hiding << ": " << title;
    }
  }
}

}  // namespace

TEST_F(ChosenMovieTest, EachOperationOnARowBelowHiddenRowsChangesThatMovieAndNoOther) {
  for (THiding hiding : {THiding::Search, THiding::ClosedGroup, THiding::SearchWhileGrouped}) {
    const char* hidingName = hiding == THiding::Search        ? "a search"
                             : hiding == THiding::ClosedGroup ? "a closed group"
                                                              : "a search while grouped";
    for (const TRecordOperation& op : Operations()) {
      TFormMain* w = WindowWithLentMovies();
      const auto before = States(*w);
      Hide(*w, hiding);
      ClickMovie(*w, op.Chosen.front());
      for (std::size_t i = 1; i < op.Chosen.size(); ++i) ClickMovie(*w, op.Chosen[i], TShiftState{ssCtrl});
      TDialogFakes::QueueAnswer(mrYes);
      op.Button(*w)->Click();
      TDialogFakes::Clear();  // the batch edit asks nothing: its answer goes unused
      ShowAll(*w, hiding);
      ExpectOnlyTheChosenChanged(op, before, States(*w), hidingName);
      EXPECT_TRUE(w->DBModified) << op.Name << " under " << hidingName;
      CloseWindow(w);
    }
  }
}

TEST_F(ChosenMovieTest, MarksMadeBeforeASearchAreTheOnesTheOperationTakes) {
  // The user marks two movies, then narrows the view to them and others:
  // the marks stay on the movies, not on the shown row numbers.
  TFormMain* w = WindowWithLentMovies();
  ClickMovie(*w, "T1");
  ClickMovie(*w, "T3", TShiftState{ssCtrl});
  Hide(*w, THiding::Search);
  TDialogFakes::QueueAnswer(mrYes);
  w->ScButton8->Click();
  ShowAll(*w, THiding::Search);
  const auto states = States(*w);
  for (const char* title : {"H1", "H2", "T2"}) EXPECT_EQ(states.at(title).Watched, "") << title;
  for (const char* title : {"T1", "T3"}) EXPECT_EQ(states.at(title).Watched, Cat::WatchedYes) << title;

  // A, Ctrl+C, Ctrl+A again: one row stays marked, which is no selection of
  // several, so the operation takes the current movie, A.
  TFormMain* again = WindowWithLentMovies();
  ClickMovie(*again, "H1");
  ClickMovie(*again, "T2", TShiftState{ssCtrl});
  ClickMovie(*again, "H1", TShiftState{ssCtrl});
  TDialogFakes::QueueAnswer(mrYes);
  again->ScButton8->Click();
  EXPECT_EQ(States(*again).at("H1").Watched, Cat::WatchedYes);
  EXPECT_EQ(States(*again).at("T2").Watched, "");
}

TEST_F(ChosenMovieTest, TakingBackClearsBorrowerContactAndTheLentMarkOfEverySelectedMovie) {
  TFormMain* w = WindowWithLentMovies();
  ClickMovie(*w, "H2");
  ClickMovie(*w, "T1", TShiftState{ssCtrl});
  TDialogFakes::QueueAnswer(mrYes);
  w->ScButton9->Click();
  EXPECT_EQ(BoxTexts().back(), "선택한 영화를 보관중으로 바꾸시겠습니까?"_k);
  const auto states = States(*w);
  for (const char* title : {"H2", "T1"})
    EXPECT_EQ(states.at(title), (TMovieState{"", Cat::LentKept, "", "", "", "p" + AnsiString(title) + ".jpg"})) << title;
  EXPECT_EQ(states.at("H1"), (TMovieState{"", Cat::LentOut, "홍길동"_k, "010-1234", "", "pH1.jpg"}));

  // Saved and loaded, the contact stays cleared.
  const AnsiString file = app_.Path() + "DB/back.VDM";
  ASSERT_TRUE(w->SaveDB(file));
  TFormMain* again = OpenWindow();
  ASSERT_TRUE(again->LoadDB(file));
  EXPECT_EQ(States(*again).at("T1").Contact, "");
  EXPECT_EQ(States(*again).at("T2").Contact, "010-1234");
}

// ---------------------------------------------------------------- typed conditions

namespace {

class TypedConditionTest : public CatalogueWindowTest {
 protected:
  TFormMain* WindowWithDirectors() {
    return WindowWith({{"1", "kim", "", ""},
                       {"2", "kimberly", "", ""},
                       {"3", "Kim Ki-duk", "", ""},
                       {"4", "lee", "", ""},
                       {"5", "ahn kim", "", ""},
                       {"6", "", "", ""},
                       {"7", "c:\\a\\b", "", ""}});
  }
  // The titles of the movies a search of the director column shows.
  std::vector<AnsiString> Found(TFormMain& w, const AnsiString& value) {
    if (w.FindButton->Caption() == "검색취소"_k) w.FindButton->Click();
    w.ComboFind->SetItemIndex(w.ComboFind->Items()->IndexOf(Cat::Director));
    w.ComboFindValue->SetText(value);
    w.FindButton->Click();
    std::vector<AnsiString> titles;
    for (int r = 1; r < w.movie_Grid->RowCount(); ++r) titles.push_back(CatalogueCell(*w.movie_Grid, Cat::Title, r));
    return titles;
  }
};

}  // namespace

TEST_F(TypedConditionTest, OperatorsMeanWhatTheFilterLanguageSaysWrappedOrNot) {
  TFormMain* w = WindowWithDirectors();
  using V = std::vector<AnsiString>;
  struct {
    const char* typed;
    V shown;
  } const cases[] = {
      {"!kim", V{"2", "3", "4", "5", "6", "7"}},  // not exactly kim: kimberly stays
      {"kim", V{"1", "2", "3", "5"}},             // anywhere in the cell
      {"=kim", V{"1"}},                           // the whole cell
      {" = KIM", V{"1"}},
      {"kim*", V{"1", "2", "3"}},                 // a star: as typed, so at the start
      {"kim|lee", V{"1", "2", "3", "4", "5"}},    // either, each anywhere
      {"lee | kim", V{"1", "2", "3", "4", "5"}},
      {"berly^lee", V{"2", "4"}},
      {"=kim|lee", V{"1", "4"}},                  // either, each the whole cell
      {"k?m", V{"1", "2", "3", "5"}},             // one character of any kind
      {"ki-", V{"3"}},
      {"kim&!kimberly", V{"1"}},                  // "&" and "!": as typed, so exactly kim
      {">l", V{"4"}},
      {"a\\", V{"7"}},                            // a backslash to look for
  };
  for (const auto& c : cases) EXPECT_EQ(Found(*w, c.typed), c.shown) << "typed: " << c.typed;
}

TEST_F(TypedConditionTest, AValuePickedFromTheColumnsFilterListMeansTheSame) {
  TFormMain* w = WindowWithDirectors();
  const int director = CatalogueColumnIndex(*w->movie_Grid, Cat::Director);
  w->movie_GridFilterSelect(director, "!kim");
  std::vector<AnsiString> titles;
  for (int r = 1; r < w->movie_Grid->RowCount(); ++r) titles.push_back(CatalogueCell(*w->movie_Grid, Cat::Title, r));
  EXPECT_EQ(titles, (std::vector<AnsiString>{"2", "3", "4", "5", "6", "7"}));
  EXPECT_EQ(w->ComboFindValue->Text(), "!kim");
}
