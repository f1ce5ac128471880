// A window's placement kept between runs in "<form name>FormState", and a
// placement that lies off every screen brought back onto one.
#include <gtest/gtest.h>

#include "platform/rtl/IniFiles.h"
#include "platform/vcl/Monitors.h"
#include "styled/ScFormState.h"
#include "tests/app/AppTestSupport.h"
#include "tests/vcl/VclTestSupport.h"

namespace {

struct StatefulForm {
  TForm* form;
  TScFormState* state;
  explicit StatefulForm(const AnsiString& iniName) : form(new TForm(nullptr)) {
    form->SetName("FormMain");
    form->SetBounds(50, 60, 400, 300);
    auto* ini = new TScRegIniFile(form);
    ini->SetFileName(iniName);
    state = new TScFormState(form);
    state->SetRegIniFile(ini);
  }
  ~StatefulForm() { delete form; }
};

// One run of the program: the window shown, placed by the user, then closed.
void RunOnce(const AnsiString& ini, TWindowState state) {
  StatefulForm run(ini);
  run.form->Show();
  run.form->SetBounds(120, 90, 520, 410);
  run.form->SetWindowState(state);
  Application->ProcessMessages();
  run.form->Close();
}

TEST(ScFormState, APlacementIsSavedOnCloseAndRestoredAtTheNextStart) {
  TempFolder dir;
  const AnsiString ini = dir.Path() + "Vidrena.ini";
  RunOnce(ini, wsNormal);
  TIniFile file(ini);
  EXPECT_EQ(file.ReadInteger("FormMainFormState", "Left", -1), 120);
  EXPECT_EQ(file.ReadInteger("FormMainFormState", "Width", -1), 520);
  {
    StatefulForm second(ini);
    second.form->Show();
    EXPECT_EQ(second.form->Left(), 120);
    EXPECT_EQ(second.form->Top(), 90);
    EXPECT_EQ(second.form->Width(), 520);
    EXPECT_EQ(second.form->Height(), 410);
  }
}

TEST(ScFormState, AMaximisedWindowComesBackMaximisedOverItsNormalPlace) {
  TempFolder dir;
  const AnsiString ini = dir.Path() + "Vidrena.ini";
  RunOnce(ini, wsMaximized);
  TIniFile file(ini);
  EXPECT_EQ(file.ReadInteger("FormMainFormState", "WindowState", -1), 2);
  EXPECT_EQ(file.ReadInteger("FormMainFormState", "Width", -1), 520);
  StatefulForm second(ini);
  second.form->Show();
  Application->ProcessMessages();
  EXPECT_EQ(ShownWindowState(second.form), wsMaximized);
  EXPECT_EQ(NormalWindowBounds(second.form).Width(), 520);
}

TEST(ScFormState, APlacementOffEveryScreenComesBackOntoTheScreen) {
  TempFolder dir;
  const AnsiString ini = dir.Path() + "Vidrena.ini";
  {
    TIniFile file(ini);
    file.WriteInteger("FormMainFormState", "Left", 9000);
    file.WriteInteger("FormMainFormState", "Top", -5000);
    file.WriteInteger("FormMainFormState", "Width", 500);
    file.WriteInteger("FormMainFormState", "Height", 400);
  }
  StatefulForm form(ini);
  form.form->Show();
  TRect area = MonitorWorkAreas().front();
  EXPECT_GE(form.form->Left(), area.Left);
  EXPECT_LE(form.form->Left() + form.form->Width(), area.Right);
  EXPECT_GE(form.form->Top(), area.Top);
  EXPECT_EQ(form.form->Width(), 500);
  // Bounds no screen has, whose sums pass the largest integer: on the screen too.
  {
    TIniFile file(ini);
    for (const char* key : {"Left", "Top", "Width", "Height"}) file.WriteInteger("FormMainFormState", key, 2000000000);
  }
  StatefulForm far(ini);
  far.form->Show();
  EXPECT_GE(far.form->Left(), area.Left);
  EXPECT_LE(far.form->Left() + far.form->Width(), area.Right);
  EXPECT_LE(far.form->Top() + far.form->Height(), area.Bottom);
}

TEST(ScFormState, FittingKeepsReachablePlacementsAndMovesLostOnes) {
  const std::vector<TRect> screens = {Rect(0, 0, 1920, 1040), Rect(1920, 0, 3200, 1024)};
  struct Case {
    TRect bounds;
    TRect expected;
  } cases[] = {
      // on the first screen, on the second, partly past the right edge: kept
      {Rect(100, 100, 900, 700), Rect(100, 100, 900, 700)},
      {Rect(2000, 50, 2800, 650), Rect(2000, 50, 2800, 650)},
      {Rect(3000, 50, 3800, 650), Rect(3000, 50, 3800, 650)},
      // a screen that was unplugged (right of both): onto the second screen
      {Rect(4000, 100, 4800, 700), Rect(2400, 100, 3200, 700)},
      // title bar above the top: down to the top
      {Rect(100, -300, 900, 300), Rect(100, 0, 900, 600)},
      // larger than any screen and far away: shrunk to the nearest one
      {Rect(-9000, -9000, -5000, -5000), Rect(0, 0, 1920, 1040)},
  };
  for (const Case& c : cases) {
    TRect got = ScFitOnScreens(c.bounds, screens);
    EXPECT_EQ(got, c.expected) << c.bounds.Left << "," << c.bounds.Top;
  }
}

TEST(ScFormState, WithoutAnIniFileNothingIsWrittenAndTheFormKeepsItsPlace) {
  auto* form = new TForm(nullptr);
  form->SetName("FormSetup");
  form->SetBounds(30, 40, 300, 200);
  auto* state = new TScFormState(form);
  EXPECT_EQ(state->SectionName(), "FormSetupFormState");
  form->Show();
  EXPECT_EQ(form->Left(), 30);
  form->Hide();
  delete form;
}

}  // namespace
