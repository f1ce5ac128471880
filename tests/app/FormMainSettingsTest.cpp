// The settings dialog from the catalogue window, the large poster view and
// the menu panel's mouse-leave rule.
#include <gtest/gtest.h>

#include "app/FormPoster.h"
#include "app/FormSetup.h"
#include "platform/vcl/InputSimulation.h"
#include "tests/app/FormMainTestSupport.h"

namespace {

class SettingsFromWindowTest : public CatalogueWindowTest {
 protected:
  void TearDown() override {
    TCustomForm::SetShowModalHook(nullptr);
    CatalogueWindowTest::TearDown();
  }
};

}  // namespace

TEST_F(SettingsFromWindowTest, ColumnsCheckedInTheDialogShowAtOnceAndUncheckedOnesHide) {
  WriteTextFile(app_.Path() + "Config/목록.View"_k, "&0 1 감독  \r\n&1 1 출연  \r\n"_k);
  TFormMain* w = OpenWindow();
  TExColumnGrid& g = *w->movie_Grid;
  ASSERT_TRUE(g.IsColumnHidden(CatalogueColumnIndex(g, Cat::Director)));
  TCustomForm::SetShowModalHook([](TCustomForm& form) {
    auto* setup = dynamic_cast<TFormSetup*>(&form);
    ASSERT_NE(setup, nullptr);
    TScCheckList* list = setup->ViewList;
    const int director = list->Items()->IndexOf("감독 "_k), cast = list->Items()->IndexOf("출연 "_k);
    ASSERT_GE(director, 0);
    ASSERT_GE(cast, 0);
    list->SetChecked(director, true);
    list->SetChecked(cast, false);
    setup->Modified = true;
    setup->ColumnsChanged = true;
    setup->SaveSettings();
    form.SetModalResult(mrOk);
  });
  SimulateKey(w->movie_Grid, VK_F12, TShiftState{ssCtrl});
  EXPECT_FALSE(g.IsColumnHidden(CatalogueColumnIndex(g, Cat::Director)));
  EXPECT_TRUE(g.IsColumnHidden(CatalogueColumnIndex(g, Cat::Cast)));
}

TEST_F(SettingsFromWindowTest, ACorruptSettingsFileStillStartsTheProgramWithDefaults) {
  WriteTextFile(app_.Path() + "Vidrena.ini", "\x01\x02garbage\r\n[목록색상\r\n시청바탕==\r\n[일반]\r\n포스터이름변경=x\r\n"_k);
  TFormMain* w = OpenWindow();
  EXPECT_EQ(w->IniSetup.WatchedBackColor, 0x0097CE93u);
  EXPECT_EQ(w->IniSetup.PosterRenameMode, 2);
  EXPECT_EQ(w->Caption(), "Vidrena - NewDB");
}

TEST(PosterView, HalvesOnlyPicturesLargerThanTheWindowWhenAsked) {
  EXPECT_TRUE(PosterViewHalves(true, 1300, 500, 1180, 760));
  EXPECT_TRUE(PosterViewHalves(true, 500, 900, 1180, 760));
  EXPECT_FALSE(PosterViewHalves(true, 500, 700, 1180, 760));
  EXPECT_FALSE(PosterViewHalves(false, 1300, 900, 1180, 760));
  TFormPoster view(nullptr);
  TPicture picture;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(301, 201);
  picture.SetGraphic(bitmap.get());
  view.SetPicture(&picture, true);
  EXPECT_EQ(view.ClientWidth(), 150);
  EXPECT_EQ(view.ClientHeight(), 100);
}

TEST_F(SettingsFromWindowTest, TheMenuPanelHidesWhenTheMouseLeavesAwayFromIt) {
  TFormMain* w = OpenWindow();
  w->ShowMenuPanel(true);
  const TPoint origin = w->ClientToScreen(TPoint{0, 0});
  // Below the panel's top and left of its right edge: it stays.
  w->MenuPanelMouseLeave(TPoint{origin.X + 10, origin.Y + w->menupanel->Top() + 5});
  EXPECT_TRUE(w->menupanel->Visible());
  w->MenuPanelMouseLeave(TPoint{origin.X + w->menupanel->Width() + 50, origin.Y + w->menupanel->Top() + 5});
  EXPECT_FALSE(w->menupanel->Visible());
  w->ShowMenuPanel(true);
  w->ScBitBtn8->Click();
  EXPECT_EQ(w->menuPage->ActivePageIndex(), 3);
  w->btnNEWDB->Click();  // every action hides the panel first
  EXPECT_FALSE(w->menupanel->Visible());
}

TEST_F(SettingsFromWindowTest, APlacementOffEveryScreenIsMovedOntoTheScreen) {
  WriteTextFile(app_.Path() + "Vidrena.ini",
                "[FormMainFormState]\r\nLeft=-5000\r\nTop=9000\r\nWidth=900\r\nHeight=600\r\n");
  TFormMain* w = OpenWindow();
  const TRect screen = Screen->WorkAreaRect();
  EXPECT_GE(w->Left(), screen.Left - w->Width() + 100);
  EXPECT_LT(w->Left(), screen.Right);
  EXPECT_GE(w->Top(), screen.Top);
  EXPECT_LT(w->Top(), screen.Bottom);
}

TEST_F(SettingsFromWindowTest, WhileALongStepRunsUserActionsAreRefused) {
  TFormMain* w = OpenWindow();
  AddMovie(*w, "바쁜 중"_k);
  {
    TFormMain::TBusyScope busy(*w);
    w->btnNEWDB->Click();
    w->GroupCombo->SetItemIndex(1);
    w->GroupComboChange(w->GroupCombo);
    bool canClose = true;
    w->FormCloseQuery(w, canClose);
    EXPECT_FALSE(canClose);
  }
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_FALSE(w->GridGrouped);
  EXPECT_EQ(Titles(*w), std::vector<AnsiString>{"바쁜 중"_k});
}

TEST_F(SettingsFromWindowTest, HintsGoToTheStatusBarWhileTheWindowLives) {
  TFormMain* w = OpenWindow();
  Application->SetHint("도움말"_k);
  EXPECT_EQ(w->PanelHelp->Caption(), "도움말"_k);
  CloseWindow(w);
  Application->SetHint("창이 없을 때"_k);  // no window to call back any more
  EXPECT_FALSE(static_cast<bool>(Application->OnHint));
  Application->SetHint("");
}
