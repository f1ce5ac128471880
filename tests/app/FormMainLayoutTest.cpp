// The catalogue window at the sizes a user gives it: the smallest it allows,
// a laptop's and a desktop's screen. Its bars keep every control whole and
// apart, and the controls that open something answer the first click.
#include <gtest/gtest.h>

#include "platform/vcl/InputSimulation.h"
#include "platform/vcl/Menus.h"
#include "tests/app/FormMainTestSupport.h"

namespace {

class LayoutTest : public CatalogueWindowTest {
 protected:
  void TearDown() override {
    TPopupMenu::SetPopupHook(nullptr);
    CatalogueWindowTest::TearDown();
  }

  // A control's rectangle in the window's client coordinates.
  static TRect InWindow(TFormMain& w, TControl* c) {
    const TPoint origin = c->ClientToScreen(TPoint(0, 0));
    const TPoint window = w.ClientToScreen(TPoint(0, 0));
    return Bounds(origin.X - window.X, origin.Y - window.Y, c->Width(), c->Height());
  }
  static bool Overlap(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
  }
  static bool Inside(const TRect& inner, const TRect& outer) {
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
           inner.Bottom <= outer.Bottom;
  }

  // Every visible control of a bar lies inside the bar and the window, and
  // no two of them overlap.
  static void ExpectBarFits(TFormMain& w, TWinControl* bar, const char* name) {
    SCOPED_TRACE(name);
    const TRect client = Bounds(0, 0, w.ClientWidth(), w.ClientHeight());
    const TRect barRect = InWindow(w, bar);
    EXPECT_TRUE(Inside(barRect, client));
    std::vector<std::pair<TControl*, TRect>> shown;
    for (int i = 0; i < bar->ControlCount(); ++i) {
      TControl* c = bar->Controls(i);
      if (!c->Visible() || c->Width() <= 0) continue;
      const TRect r = InWindow(w, c);
      EXPECT_TRUE(Inside(r, barRect)) << Cp949ToUtf8(c->Name()) << " " << r.Left << "," << r.Top << " " << r.Width()
                                      << "x" << r.Height();
      for (const auto& [other, otherRect] : shown)
        EXPECT_FALSE(Overlap(r, otherRect)) << Cp949ToUtf8(c->Name()) << " overlaps " << Cp949ToUtf8(other->Name())
                                            << " at " << r.Left << " / " << otherRect.Left;
      shown.emplace_back(c, r);
    }
  }

  static void ExpectLayoutFits(TFormMain& w) {
    ExpectBarFits(w, w.ScPanel2, "button bar");
    ExpectBarFits(w, w.bbpanel, "state panels");
    ExpectBarFits(w, w.ScPanel3, "search bar");
    ExpectBarFits(w, w.StatusPanel, "status bar");
    const TRect client = Bounds(0, 0, w.ClientWidth(), w.ClientHeight());
    EXPECT_TRUE(Inside(InWindow(w, w.infopage), client));
    EXPECT_TRUE(Inside(InWindow(w, w.movie_Grid), client));
    EXPECT_GT(w.movie_Grid->Height(), 5 * w.movie_Grid->DefaultRowHeight());
    // The menu panel opens upwards from the button bar, whole.
    w.ScBitBtn38->Click();
    EXPECT_TRUE(Inside(InWindow(w, w.menupanel), client));
    EXPECT_LE(InWindow(w, w.menupanel).Bottom, InWindow(w, w.ScPanel2).Top);
    w.ScBitBtn38->Click();
  }

  static void Resize(TFormMain& w, int width, int height) {
    w.SetBounds(0, 0, width, height);
    Application->ProcessMessages();
  }
};

}  // namespace

TEST_F(LayoutTest, AtItsSmallestSizeEveryControlOfTheBarsFitsApartAndInsideTheWindow) {
  TFormMain* w = WindowWith({{"영화"_k, "감독"_k, Cat::WatchedYes, Cat::LentOut}});
  Resize(*w, 200, 150);
  ASSERT_GT(w->Constraints()->MinWidth(), 0);
  EXPECT_EQ(w->Width(), w->Constraints()->MinWidth());
  EXPECT_EQ(w->Height(), w->Constraints()->MinHeight());
  ExpectLayoutFits(*w);
  // The current movie's shelf, watched and lent state all still show.
  EXPECT_TRUE(w->View_17_2->Visible());
  EXPECT_GE(w->View_17_2->Width(), 96);
  EXPECT_TRUE(w->View_20_2->Visible());
  EXPECT_TRUE(w->View_36_2->Visible());
}

TEST_F(LayoutTest, ALaptopAndADesktopScreenFitTheWindowAsWell) {
  TFormMain* w = WindowWith({{"영화"_k, "감독"_k, Cat::WatchedYes, Cat::LentOut}});
  for (const auto& [width, height] : {std::pair{1280, 800}, std::pair{1920, 1080}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    Resize(*w, width, height);
    EXPECT_EQ(w->Width(), width);
    ExpectLayoutFits(*w);
    // The state panels sit at the right edge, 13 pixels in.
    EXPECT_EQ(InWindow(*w, w->bbpanel).Right, w->ClientWidth() - 13);
  }
}

TEST_F(LayoutTest, TheFirstClickOnAMenuPageButtonShowsItsPage) {
  TFormMain* w = OpenWindow();
  w->ScBitBtn38->Click();
  ASSERT_TRUE(WindowShowing(w->menupanel));
  // The file page is the one chosen already: its first click must show it.
  SimulateClick(w->ScBitBtn5, 10, 10);
  EXPECT_EQ(w->menuPage->ActivePageIndex(), 0);
  EXPECT_TRUE(WindowShowing(w->btnNEWDB));
  EXPECT_TRUE(WindowShowing(w->ScBitBtn16));
  SimulateClick(w->ScBitBtn8, 10, 10);
  EXPECT_EQ(w->menuPage->ActivePageIndex(), 3);
  EXPECT_TRUE(WindowShowing(w->ScBitBtn30));
  EXPECT_FALSE(WindowShowing(w->btnNEWDB));
  SimulateClick(w->ScBitBtn5, 10, 10);
  EXPECT_TRUE(WindowShowing(w->btnNEWDB));
}

TEST_F(LayoutTest, ShiftWithARightClickOpensTheChooserAloneAndAPlainOneTheMenuAlone) {
  TFormMain* w = WindowWith({{"영화"_k, "감독"_k, "", ""}, {"둘째"_k, "감독"_k, "", ""}});
  int popups = 0;
  TPopupMenu::SetPopupHook([&](TPopupMenu&, int, int) { ++popups; });
  TExColumnGrid& g = *w->movie_Grid;
  const TRect cell = g.CellRect(2, 1);
  const int x = cell.Left + 5, y = cell.Top + 5;
  SimulateMouseDown(&g, mbRight, x, y, TShiftState{ssShift, ssRight});
  SimulateContextMenu(&g, x, y);
  SimulateMouseUp(&g, mbRight, x, y, TShiftState{ssShift});
  EXPECT_TRUE(w->ScPanel6->Visible());
  EXPECT_EQ(popups, 0);

  w->ScButton1->Click();
  EXPECT_FALSE(w->ScPanel6->Visible());
  SimulateMouseDown(&g, mbRight, x, y, TShiftState{ssRight});
  SimulateContextMenu(&g, x, y);
  SimulateMouseUp(&g, mbRight, x, y);
  EXPECT_FALSE(w->ScPanel6->Visible());
  EXPECT_EQ(popups, 1);
}

TEST_F(LayoutTest, TheFilterMarkLeavesTheHeaderWhenTheSearchIsCancelledAndItsValuesComeBack) {
  TFormMain* w = WindowWith({{"하늘"_k, "김"_k, "", ""}, {"바다"_k, "이"_k, "", ""}});
  TExColumnGrid& g = *w->movie_Grid;
  const int title = CatalogueColumnIndex(g, Cat::Title);
  const int director = CatalogueColumnIndex(g, Cat::Director);
  auto search = [&](const AnsiString& column, const AnsiString& value) {
    w->ComboFind->SetItemIndex(w->ComboFind->Items()->IndexOf(column));
    w->ComboFindValue->SetText(value);
    w->FindButton->Click();
  };
  search(Cat::Title, "하늘"_k);
  EXPECT_EQ(Titles(*w), std::vector<AnsiString>{"하늘"_k});
  EXPECT_TRUE(g.HasColumnFilter(title));
  w->FindButton->Click();  // 검색취소
  EXPECT_EQ(w->FindButton->Caption(), "검색"_k);
  EXPECT_FALSE(g.HasColumnFilter(title));
  for (int c = 0; c < g.ColCount(); ++c) EXPECT_FALSE(g.HasColumnFilter(c)) << c;

  // A search of another column marks that column only.
  search(Cat::Director, "이"_k);
  EXPECT_TRUE(g.HasColumnFilter(director));
  EXPECT_FALSE(g.HasColumnFilter(title));
  w->FindButton->Click();
  // The title searched again offers its earlier value before the new one.
  search(Cat::Title, "바다"_k);
  TStrings& offered = *g.Columns()->Items(title)->Filter();
  ASSERT_EQ(offered.Count(), 2);
  EXPECT_EQ(offered.Strings(0), "하늘"_k);
  EXPECT_EQ(offered.Strings(1), "바다"_k);
  EXPECT_FALSE(g.HasColumnFilter(director));
  // Picking the earlier value from the drop-down searches it, the mark stays.
  w->movie_GridFilterSelect(title, "하늘"_k);
  EXPECT_TRUE(g.HasColumnFilter(title));
  EXPECT_EQ(Titles(*w), std::vector<AnsiString>{"하늘"_k});
}

TEST_F(LayoutTest, ADateAYearAndTheLongestRatingShowWholeInTheirColumns) {
  TFormMain* w = OpenWindow();
  TExColumnGrid& g = *w->movie_Grid;
  const struct {
    const AnsiString* Column;
    const char* Text;
  } usual[] = {
      {&Cat::ReleaseDate, "1954-12-28"}, {&Cat::DateAdded, "2026-12-07"}, {&Cat::Year, "1954"},
      {&Cat::Rating, "청소년관람불가"},  {&Cat::Rating, "12세관람가"},     {&Cat::Watched, "안본영화"},
  };
  TBitmap scratch;
  scratch.SetSize(10, 10);
  for (const auto& u : usual) {
    TGridColumnItem* item = g.ColumnByName(*u.Column);
    ASSERT_NE(item, nullptr);
    scratch.Canvas()->Font()->Assign(*item->Font());
    // The text's room: the column less a grid line and the margins.
    const int room = g.ColWidths(g.DisplColIndex(item->Index())) - g.GridLineWidth() - 2 * g.TextOffsetX();
    EXPECT_LE(scratch.Canvas()->TextWidth(Utf8ToCp949(u.Text)), room) << u.Text;
    // Still a text to read, not a squeezed one.
    EXPECT_GE(scratch.Canvas()->TextHeight(Utf8ToCp949(u.Text)), 10) << u.Text;
  }
}
