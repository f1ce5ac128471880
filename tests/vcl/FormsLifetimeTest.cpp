// Windows that go away while their own messages run, errors in timers and
// posted messages, and the hint that shows after the pause.
#include <gtest/gtest.h>

#include "VclTestSupport.h"
#include "platform/vcl/StdCtrls.h"

namespace {

TEST(FormsLifetime, FormReleasedFromItsOwnButtonGoesAfterTheClick) {
  auto* form = new TForm(nullptr);
  auto* close = new TButton(form);
  close->SetParent(form);
  close->OnClick = [form](TObject*) { form->Release(); };
  form->Show();
  bool destroyed = false;
  form->OnDestroy = [&](TObject*) { destroyed = true; };
  SimulateClick(close, 5, 5);
  EXPECT_FALSE(destroyed) << "not while its button is still in its click";
  EXPECT_TRUE(PumpUntil([&] { return destroyed; }));
}

TEST(FormsLifetime, ControlFreedByAnotherControlsHandlerLeavesNoWindowBehind) {
  ShownForm form;
  auto* edit = new TEdit(form.form);
  edit->SetParent(form.form);
  auto* remove = new TButton(form.form);
  remove->SetParent(form.form);
  remove->SetTop(40);
  remove->OnClick = [&](TObject*) { delete edit; };
  SetTimer(edit->Handle(), 3, 1);
  SimulateClick(remove, 4, 4);
  Application->ProcessMessages();
  EXPECT_EQ(form->ControlCount(), 1);
}

TEST(FormsLifetime, ErrorInATimerOrAPostedMessageIsShownAndTheLoopGoesOn) {
  TDialogFakesGuard fakes;
  ShownForm form;
  class TFailing : public TCustomControl {
   public:
    using TCustomControl::TCustomControl;
    int ticks = 0;
   protected:
    void WMTimer(TMessage& m) override {
      ++ticks;
      KillTimer(Handle(), 1);
      throw EConvertError("'x.y' is not a valid floating point value");
    }
    void Dispatch(TMessage& m) override {
      if (m.Msg == WM_USER) throw EInvalidOperation("posted failure");
      TCustomControl::Dispatch(m);
    }
  };
  auto* c = new TFailing(form.form);
  c->SetParent(form.form);
  SetTimer(c->Handle(), 1, 1);
  PostMessage(c->Handle(), WM_USER, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return TDialogFakes::MessageBoxes().size() >= 2; }));
  EXPECT_EQ(c->ticks, 1);
  std::vector<AnsiString> texts;
  for (const auto& box : TDialogFakes::MessageBoxes()) texts.push_back(box.Text);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "'x.y' is not a valid floating point value."), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "posted failure."), texts.end());
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Flags & 0xF0, MB_ICONSTOP);
}

TEST(FormsLifetime, OnExceptionReplacesTheErrorBox) {
  TDialogFakesGuard fakes;
  AnsiString caught;
  Application->OnException = [&](TObject*, const Exception& e) { caught = e.Message(); };
  try {
    throw EInOutError("disk full");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  Application->OnException = nullptr;
  EXPECT_EQ(caught, "disk full");
  EXPECT_TRUE(TDialogFakes::MessageBoxes().empty());
}

TEST(FormsLifetime, MessageEndingInPunctuationGetsNoExtraFullStop) {
  TDialogFakesGuard fakes;
  Application->ShowException(Exception("done."));
  Application->ShowException(Exception("(see log)"));
  Application->ShowException(Exception(""));
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 3u);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Text, "done.");
  EXPECT_EQ(TDialogFakes::MessageBoxes()[1].Text, "(see log)");
  EXPECT_EQ(TDialogFakes::MessageBoxes()[2].Text, "");
}

TEST(FormsLifetime, HintShowsAfterThePauseAndHidesOnClick) {
  ShownForm form;
  auto* button = new TButton(form.form);
  button->SetParent(form.form);
  button->SetHint("DB 복구"_k);
  button->SetShowHint(true);
  int pause = Application->HintPause();
  Application->SetHintPause(1);
  SimulateMouseMove(button, 4, 4);
  EXPECT_TRUE(PumpUntil([] { return Application->HintWindow() && Application->HintWindow()->IsShowing(); }));
  EXPECT_EQ(Application->HintWindow()->Caption(), "DB 복구"_k);
  SimulateMouseDown(button, mbLeft, 4, 4);
  SimulateMouseUp(button, mbLeft, 4, 4);
  EXPECT_FALSE(Application->HintWindow()->IsShowing());
  Application->SetHintPause(pause);
  SimulateMouseLeave(button);
}

TEST(FormsLifetime, MainFormCentrePlacesADialogOverTheMainForm) {
  TForm dialog(nullptr);
  dialog.SetBounds(0, 0, 100, 50);
  dialog.SetPosition(poOwnerFormCenter);
  dialog.Show();
  EXPECT_EQ(dialog.Left(), (Screen->Width() - 100) / 2) << "without an owner form: the screen";
}

}  // namespace
