// Finer points of input: Alt keys, repeats, mouse enter and leave, the
// right button, wheel turns nobody handles, timers restarted by id.
#include <gtest/gtest.h>

#include "VclTestSupport.h"
#include "platform/vcl/StdCtrls.h"

namespace {

TCustomControl* Box(TForm* form, int top = 0) {
  auto* c = new TCustomControl(form);
  c->SetParent(form);
  c->SetBounds(0, top, 80, 40);
  return c;
}

TEST(MessagesInput, AltKeysComeAsSystemKeysWithAltInTheShiftState) {
  ShownForm form;
  auto* box = Box(form.form);
  std::vector<Cardinal> msgs;
  auto previous = box->WindowProc;
  box->WindowProc = [&, previous](TMessage& m) {
    if (m.Msg == WM_SYSKEYDOWN || m.Msg == WM_KEYDOWN) msgs.push_back(m.Msg);
    previous(m);
  };
  bool alt = false;
  box->OnKeyDown = [&](TObject*, Word&, TShiftState s) { alt = s.contains(ssAlt); };
  SimulateKey(box, 'F', {ssAlt});
  EXPECT_EQ(msgs, std::vector<Cardinal>{WM_SYSKEYDOWN});
  EXPECT_TRUE(alt);
}

TEST(MessagesInput, KeyUpPassesTheFormPreviewFirst) {
  ShownForm form;
  auto* box = Box(form.form);
  form->SetKeyPreview(true);
  std::vector<std::string> order;
  form->OnKeyUp = [&](TObject*, Word& key, TShiftState) { order.push_back("form"); };
  box->OnKeyUp = [&](TObject*, Word& key, TShiftState) { order.push_back("box"); };
  SimulateKey(box, VK_F3);
  EXPECT_EQ(order, (std::vector<std::string>{"form", "box"}));
}

TEST(MessagesInput, MouseEnterMoveAndLeaveInOrderWithClientCoordinates) {
  ShownForm form;
  auto* box = Box(form.form, 30);
  std::vector<std::string> log;
  box->OnMouseEnter = [&](TObject*) { log.push_back("enter"); };
  box->OnMouseMove = [&](TObject*, TShiftState, int x, int y) {
    log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  };
  box->OnMouseLeave = [&](TObject*) { log.push_back("leave"); };
  SimulateMouseMove(box, 7, 9);
  SimulateMouseMove(box, 8, 9);
  SimulateMouseLeave(box);
  EXPECT_EQ(log, (std::vector<std::string>{"enter", "move 7,9", "move 8,9", "leave"}));
}

TEST(MessagesInput, RightButtonIsNoClickButReachesMouseDownWithItsButton) {
  ShownForm form;
  auto* box = Box(form.form);
  int clicks = 0;
  TMouseButton pressed = mbLeft;
  box->OnClick = [&](TObject*) { ++clicks; };
  box->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int, int) { pressed = b; };
  SimulateMouseDown(box, mbRight, 3, 3);
  SimulateMouseUp(box, mbRight, 3, 3);
  EXPECT_EQ(pressed, mbRight);
  EXPECT_EQ(clicks, 0);
}

TEST(MessagesInput, ClickOnAControlIsNotAlsoAClickOnItsParent) {
  ShownForm form;
  auto* box = Box(form.form);
  int formDowns = 0, boxDowns = 0;
  form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++formDowns; };
  box->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++boxDowns; };
  SimulateClick(box, 3, 3);
  EXPECT_EQ(boxDowns, 1);
  EXPECT_EQ(formDowns, 0);
}

TEST(MessagesInput, WheelNobodyHandlesGoesOnToTheParent) {
  ShownForm form;
  auto* box = Box(form.form);
  int formTurns = 0;
  form->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
    ++formTurns;
    handled = true;
  };
  SimulateWheel(box, 120);
  EXPECT_EQ(formTurns, 1);
  box->OnMouseWheel = [](TObject*, TShiftState, int, TPoint, bool& handled) { handled = true; };
  SimulateWheel(box, 120);
  EXPECT_EQ(formTurns, 1) << "handled by the control, the parent hears nothing";
}

TEST(MessagesInput, CtrlWheelCarriesCtrlInTheShiftState) {
  ShownForm form;
  auto* box = Box(form.form);
  bool ctrl = false;
  int delta = 0;
  box->OnMouseWheel = [&](TObject*, TShiftState s, int d, TPoint, bool& handled) {
    ctrl = s.contains(ssCtrl);
    delta = d;
    handled = true;
  };
  SimulateWheel(box, -240, {ssCtrl});
  EXPECT_TRUE(ctrl);
  EXPECT_EQ(delta, -240);
}

TEST(MessagesInput, SettingATimerIdAgainRestartsItInsteadOfAddingOne) {
  ShownForm form;
  auto* box = Box(form.form);
  int ticks = 0;
  auto previous = box->WindowProc;
  box->WindowProc = [&, previous](TMessage& m) {
    if (m.Msg == WM_TIMER && m.WParam == 9) ++ticks;
    previous(m);
  };
  SetTimer(box->Handle(), 9, 100000);
  SetTimer(box->Handle(), 9, 1);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
  KillTimer(box->Handle(), 9);
  int now = ticks;
  Application->ProcessMessages();
  EXPECT_EQ(ticks, now) << "one id, one timer: killing it stops all ticks";
}

TEST(MessagesInput, PostedMessagesArriveInTheOrderTheyWerePosted) {
  ShownForm form;
  auto* box = Box(form.form);
  std::vector<WPARAM> seen;
  auto previous = box->WindowProc;
  box->WindowProc = [&, previous](TMessage& m) {
    if (m.Msg == WM_APP) seen.push_back(m.WParam);
    previous(m);
  };
  for (WPARAM i = 0; i < 5; ++i) PostMessage(box->Handle(), WM_APP, i, 0);
  ASSERT_TRUE(PumpUntil([&] { return seen.size() == 5; }));
  EXPECT_EQ(seen, (std::vector<WPARAM>{0, 1, 2, 3, 4}));
}

TEST(MessagesInput, CtrlASelectsAllOfAnEdit) {
  ShownForm form;
  auto* edit = new TEdit(form.form);
  edit->SetParent(form.form);
  edit->SetText("영화 제목"_k);
  edit->SetSelStart(0);
  SimulateKey(edit, 'A', {ssCtrl});
  EXPECT_EQ(edit->SelText(), "영화 제목"_k);
}

TEST(MessagesInput, DisabledControlHearsNoMouse) {
  ShownForm form;
  auto* box = Box(form.form);
  box->SetEnabled(false);
  int downs = 0;
  box->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  SimulateClick(box, 3, 3);
  EXPECT_EQ(downs, 0);
}

}  // namespace
