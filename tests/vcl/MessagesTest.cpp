// Keys, characters, mouse, wheel, posted messages and window timers reach a
// control in the class library's order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VclTestSupport.h"

namespace {

// Records every step a message takes through the control.
class TRecorder : public TCustomControl {
 public:
  explicit TRecorder(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetBounds(10, 10, 100, 80);
  }
  std::vector<std::string> log;
  Word keyDownReplacement = 0xFFFF;  // 0xFFFF: keep the key
  bool eatCharInWMChar = false;
  std::vector<unsigned char> chars;
  std::vector<TMessage> other;

  void WndProc(TMessage& m) override {
    if (m.Msg == WM_KEYDOWN) log.push_back("WndProc");
    if (m.Msg == WM_TIMER || m.Msg == WM_USER + 1 || m.Msg == WM_MOUSEWHEEL) other.push_back(m);
    TCustomControl::WndProc(m);
  }

 protected:
  void WMKeyDown(TMessage& m) override {
    log.push_back("WMKeyDown");
    TCustomControl::WMKeyDown(m);
    log.push_back("WMKeyDown done");
  }
  void WMChar(TMessage& m) override {
    chars.push_back(static_cast<unsigned char>(m.WParam));
    log.push_back("WMChar");
    if (eatCharInWMChar) return;  // not calling the inherited handler consumes it
    TCustomControl::WMChar(m);
  }
  void KeyDown(Word& key, TShiftState shift) override {
    log.push_back("KeyDown");
    TCustomControl::KeyDown(key, shift);
  }
  void KeyPress(char& key) override {
    log.push_back("KeyPress");
    TCustomControl::KeyPress(key);
  }
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    log.push_back("MouseDown");
    TCustomControl::MouseDown(b, s, x, y);
  }
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
    log.push_back("MouseUp");
    TCustomControl::MouseUp(b, s, x, y);
  }
  void Click() override {
    log.push_back("Click");
    TCustomControl::Click();
  }
  void DblClick() override {
    log.push_back("DblClick");
    TCustomControl::DblClick();
  }
};

TEST(Messages, KeyDownTravelsWndProcHandlerDynamicMethodEventThenCharacter) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  rec->OnKeyDown = [&](TObject*, Word& key, TShiftState shift) {
    rec->log.push_back("OnKeyDown " + std::to_string(key) + (shift.contains(ssShift) ? " shift" : ""));
  };
  rec->OnKeyPress = [&](TObject*, char& key) { rec->log.push_back(std::string("OnKeyPress ") + key); };
  SimulateKey(rec, 'A', {ssShift});
  std::vector<std::string> expected = {"WndProc", "WMKeyDown", "KeyDown", "OnKeyDown 65 shift", "WMKeyDown done",
                                       "WMChar",  "KeyPress",  "OnKeyPress A"};
  EXPECT_EQ(rec->log, expected);
}

TEST(Messages, KeySetToZeroStopsEverythingAfterIt) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  rec->OnKeyDown = [&](TObject*, Word& key, TShiftState) { key = 0; };
  bool pressed = false;
  rec->OnKeyPress = [&](TObject*, char&) { pressed = true; };
  SimulateKey(rec, 'B');
  EXPECT_FALSE(pressed) << "a consumed key types no character";
  EXPECT_TRUE(rec->chars.empty());
}

TEST(Messages, FormKeyPreviewSeesTheKeyFirstAndCanConsumeIt) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  std::vector<std::string> order;
  form->SetKeyPreview(true);
  form->OnKeyDown = [&](TObject*, Word& key, TShiftState shift) {
    order.push_back("form");
    if (key == VK_F12 && shift.contains(ssCtrl)) key = 0;
  };
  rec->OnKeyDown = [&](TObject*, Word&, TShiftState) { order.push_back("control"); };
  SimulateKey(rec, VK_F5);
  SimulateKey(rec, VK_F12, {ssCtrl});
  EXPECT_EQ(order, (std::vector<std::string>{"form", "control", "form"}));
}

TEST(Messages, CharacterChangedByKeyPressIsWhatTheControlSees) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  rec->OnKeyPress = [](TObject*, char& key) {
    if (key >= 'a' && key <= 'z') key = static_cast<char>(key - 32);
  };
  std::vector<char> seen;
  auto previous = rec->WindowProc;
  rec->WindowProc = [&, previous](TMessage& m) {
    previous(m);
    if (m.Msg == WM_CHAR) seen.push_back(static_cast<char>(m.WParam));
  };
  SimulateKey(rec, 'Q');
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], 'Q');
}

TEST(Messages, HandlerThatSkipsTheInheritedOneConsumesTheCharacter) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  rec->eatCharInWMChar = true;
  bool pressed = false;
  rec->OnKeyPress = [&](TObject*, char&) { pressed = true; };
  SimulateKey(rec, 'X');
  EXPECT_EQ(rec->chars, std::vector<unsigned char>{'x'});
  EXPECT_FALSE(pressed);
}

TEST(Messages, KeypadDecimalKeyCarriesScanCodeBit) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  std::vector<LPARAM> keyData;
  auto previous = rec->WindowProc;
  rec->WindowProc = [&, previous](TMessage& m) {
    if (m.Msg == WM_CHAR) keyData.push_back(m.LParam);
    previous(m);
  };
  SimulateKey(rec, VK_DECIMAL, {}, ".", true);
  SimulateKey(rec, VK_OEM_PERIOD);
  ASSERT_EQ(keyData.size(), 2u);
  EXPECT_NE(keyData[0] & KF_KEYPAD_DECIMAL_BIT, 0) << "keypad decimal key";
  EXPECT_EQ(keyData[1] & KF_KEYPAD_DECIMAL_BIT, 0) << "main full stop";
}

TEST(Messages, CommittedHangulArrivesAsCodePage949Characters) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  SimulateImeCommit(rec, "영화"_k);
  AnsiString expected = "영화"_k;
  ASSERT_EQ(rec->chars.size(), expected.size());
  EXPECT_EQ(std::string(rec->chars.begin(), rec->chars.end()), expected);
}

TEST(Messages, ClickComesBetweenMouseDownAndMouseUpAndDoubleClickFires) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  int clicks = 0;
  rec->OnClick = [&](TObject*) { ++clicks; };
  SimulateClick(rec, 5, 5);
  EXPECT_EQ(rec->log, (std::vector<std::string>{"MouseDown", "Click", "MouseUp"}));
  EXPECT_EQ(clicks, 1);
  rec->log.clear();
  SimulateDblClick(rec, 5, 5);
  EXPECT_EQ(rec->log.front(), "DblClick");
}

TEST(Messages, ReleaseOutsideTheControlIsNoClick) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  int clicks = 0;
  rec->OnClick = [&](TObject*) { ++clicks; };
  SimulateMouseDown(rec, mbLeft, 5, 5);
  SimulateMouseUp(rec, mbLeft, 500, 5);
  EXPECT_EQ(clicks, 0);
}

TEST(Messages, TouchpadWheelStepsAddUpToWholeNotches) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  std::vector<int> deltas;
  rec->OnMouseWheel = [&](TObject*, TShiftState shift, int delta, TPoint, bool& handled) {
    deltas.push_back(delta);
    handled = true;
  };
  for (int i = 0; i < 7; ++i) SimulateWheel(rec, -40);  // 280 in all: two notches, 40 left over
  EXPECT_EQ(deltas, (std::vector<int>{-120, -120}));
  SimulateWheel(rec, 360);  // -40 + 360 = 320: two notches up
  EXPECT_EQ(deltas.back(), 240);
}

TEST(Messages, WheelDownAndUpMethodsFollowTheSign) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  int down = 0, up = 0;
  rec->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& h) { ++down; h = true; };
  rec->OnMouseWheelUp = [&](TObject*, TShiftState, TPoint, bool& h) { ++up; h = true; };
  SimulateWheel(rec, -120);
  SimulateWheel(rec, 120);
  SimulateWheel(rec, 120);
  EXPECT_EQ(down, 1);
  EXPECT_EQ(up, 2);
}

TEST(Messages, PostedMessageArrivesThroughTheLoopAndSendIsImmediate) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  ASSERT_TRUE(PostMessage(rec->Handle(), WM_USER + 1, 7, 9));
  EXPECT_TRUE(rec->other.empty()) << "posted, not sent";
  ASSERT_TRUE(PumpUntil([&] { return !rec->other.empty(); }));
  EXPECT_EQ(rec->other[0].WParam, 7u);
  EXPECT_EQ(rec->other[0].LParam, 9);
  SendMessage(rec->Handle(), WM_USER + 1, 1, 2);
  EXPECT_EQ(rec->other.size(), 2u);
}

TEST(Messages, MessagePostedToAWindowThatIsGoneIsDropped) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  HWND h = rec->Handle();
  PostMessage(h, WM_USER + 1, 0, 0);
  delete rec;
  Application->ProcessMessages();  // must not reach the freed control
  EXPECT_FALSE(PostMessage(h, WM_USER + 1, 0, 0));
  EXPECT_EQ(FindControl(h), nullptr);
}

TEST(Messages, WindowTimerTicksWithItsIdUntilKilled) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  ASSERT_EQ(SetTimer(rec->Handle(), 5, 10), 5u);
  ASSERT_TRUE(PumpUntil([&] { return rec->other.size() >= 2; }));
  for (const TMessage& m : rec->other) {
    EXPECT_EQ(m.Msg, WM_TIMER);
    EXPECT_EQ(m.WParam, 5u);
  }
  EXPECT_TRUE(KillTimer(rec->Handle(), 5));
  Application->ProcessMessages();
  std::size_t count = rec->other.size();
  Application->ProcessMessages();
  EXPECT_EQ(rec->other.size(), count);
  EXPECT_FALSE(KillTimer(rec->Handle(), 5)) << "already gone";
}

TEST(Messages, ExceptionInAHandlerIsShownAndTheProgramGoesOn) {
  TDialogFakesGuard guard;
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  rec->OnKeyDown = [](TObject*, Word&, TShiftState) { throw EConvertError("'abc' is not a valid integer value"); };
  SimulateKey(rec, 'A');
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 1u);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Text, "'abc' is not a valid integer value.");
  rec->OnKeyDown = [](TObject*, Word&, TShiftState) { Abort(); };
  SimulateKey(rec, 'A');
  EXPECT_EQ(TDialogFakes::MessageBoxes().size(), 1u) << "EAbort is silent";
}

TEST(Messages, KeyStateFollowsTheLastInputEvent) {
  ShownForm form;
  auto* rec = new TRecorder(form.form);
  rec->SetParent(form.form);
  bool ctrlDuringKey = false;
  rec->OnKeyDown = [&](TObject*, Word&, TShiftState) { ctrlDuringKey = GetKeyState(VK_CONTROL) < 0; };
  SimulateKey(rec, 'C', {ssCtrl});
  EXPECT_TRUE(ctrlDuringKey);
  SimulateKey(rec, 'C');
  EXPECT_FALSE(ctrlDuringKey);
}

}  // namespace

namespace {

// Wants Tab, as a grid that tabs between its cells does.
class TTabTaker : public TRecorder {
 public:
  using TRecorder::TRecorder;

 protected:
  void WMGetDlgCode(TMessage& m) override { m.Result = DLGC_WANTARROWS | DLGC_WANTTAB; }
};

TEST(Messages, TabStaysWithAWindowThatWantsItAndMovesTheFocusOtherwise) {
  ShownForm form;
  auto* taker = new TTabTaker(form.form);
  taker->SetParent(form.form);
  auto* other = new TRecorder(form.form);
  other->SetParent(form.form);
  other->SetTop(100);
  taker->SetFocus();
  SimulateKey(taker, VK_TAB);
  EXPECT_TRUE(taker->Focused()) << "Tab stayed";
  EXPECT_EQ(taker->chars, std::vector<unsigned char>{'\t'});
  EXPECT_NE(std::find(taker->log.begin(), taker->log.end(), "KeyDown"), taker->log.end());
  other->SetFocus();
  SimulateKey(other, VK_TAB);
  EXPECT_FALSE(other->Focused()) << "a window that does not want Tab lets the focus move on";
  EXPECT_TRUE(other->log.empty()) << "and never hears the key";
}

}  // namespace
