// The control tree: lazy windows, focus moving with OnExit before OnEnter,
// scroll bars, capture, fonts that follow the parent, children freed with
// their parent, worker threads reaching the loop.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "VclTestSupport.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

namespace {

TEST(Controls, WindowIsCreatedOnlyWhenNeeded) {
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->SetText("before the window");
  EXPECT_FALSE(form.HandleAllocated());
  EXPECT_FALSE(edit->HandleAllocated());
  form.Show();
  EXPECT_TRUE(edit->HandleAllocated()) << "showing the form makes its children's windows";
  EXPECT_EQ(edit->Text(), "before the window");
  auto* later = new TEdit(&form);
  later->SetParent(&form);
  EXPECT_TRUE(later->HandleAllocated()) << "a child added to a live window gets one at once";
}

TEST(Controls, FocusMovesWithOnExitBeforeOnEnter) {
  ShownForm form;
  auto* a = new TEdit(form.form);
  a->SetParent(form.form);
  auto* b = new TEdit(form.form);
  b->SetParent(form.form);
  b->SetTop(40);
  std::vector<std::string> log;
  a->OnEnter = [&](TObject*) { log.push_back("a enter"); };
  a->OnExit = [&](TObject*) { log.push_back("a exit"); };
  b->OnEnter = [&](TObject*) { log.push_back("b enter"); };
  a->SetFocus();
  EXPECT_TRUE(a->Focused());
  b->SetFocus();
  EXPECT_TRUE(b->Focused());
  EXPECT_FALSE(a->Focused());
  EXPECT_EQ(log, (std::vector<std::string>{"a enter", "a exit", "b enter"}));
  EXPECT_EQ(form->ActiveControl(), b);
}

TEST(Controls, HiddenOrDisabledControlCannotTakeTheFocus) {
  ShownForm form;
  auto* edit = new TEdit(form.form);
  edit->SetParent(form.form);
  edit->SetEnabled(false);
  EXPECT_FALSE(edit->CanFocus());
  EXPECT_THROW(edit->SetFocus(), EInvalidOperation);
  edit->SetEnabled(true);
  edit->Hide();
  EXPECT_FALSE(edit->CanFocus());
  EXPECT_FALSE(edit->Showing());
}

TEST(Controls, ChildrenAreFreedWithTheirParentAndLeaveTheirOwner) {
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* inner = new TButton(&form);
  inner->SetParent(panel);
  int before = form.ComponentCount();
  delete panel;  // frees the button too
  EXPECT_EQ(form.ComponentCount(), before - 2);
  EXPECT_EQ(form.ControlCount(), 0);
}

TEST(Controls, ParentFontFollowsUntilTheControlGetsItsOwn) {
  TForm form(nullptr);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  form.Font()->SetSize(14);
  EXPECT_EQ(label->Font()->Size(), 14);
  EXPECT_TRUE(label->ParentFont());
  label->Font()->SetStyle({fsBold});
  EXPECT_FALSE(label->ParentFont());
  form.Font()->SetSize(20);
  EXPECT_EQ(label->Font()->Size(), 14);
}

TEST(Controls, ScrollBarsShowByRangeAndClampThePosition) {
  ShownForm form;
  auto* box = new TCustomControl(form.form);
  box->SetParent(form.form);
  box->SetBounds(0, 0, 200, 100);
  HWND h = box->Handle();
  int fullWidth = box->ClientWidth();
  TScrollInfo info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = 99;
  info.nPage = 10;
  info.nPos = 500;
  EXPECT_EQ(SetScrollInfo(h, SB_VERT, info, true), 90) << "the last page starts at nMax - nPage + 1";
  EXPECT_TRUE(ScrollBarVisible(h, SB_VERT));
  EXPECT_LT(box->ClientWidth(), fullWidth) << "the bar takes room from the client area";
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 90);
  SetScrollPos(h, SB_VERT, -5, true);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 0);
  info.nMax = 5;  // everything fits on one page
  SetScrollInfo(h, SB_VERT, info, true);
  EXPECT_FALSE(ScrollBarVisible(h, SB_VERT));
  EXPECT_EQ(box->ClientWidth(), fullWidth);
  ShowScrollBar(h, SB_HORZ, true);
  EXPECT_TRUE(ScrollBarVisible(h, SB_HORZ));
}

TEST(Controls, MouseIsCapturedBetweenPressAndRelease) {
  ShownForm form;
  auto* box = new TCustomControl(form.form);
  box->SetParent(form.form);
  box->SetBounds(0, 0, 50, 50);
  TControl* during = nullptr;
  box->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { during = GetCaptureControl(); };
  SimulateMouseDown(box, mbLeft, 5, 5);
  EXPECT_EQ(during, box);
  SimulateMouseUp(box, mbLeft, 5, 5);
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST(Controls, ClientAndScreenCoordinatesRoundTrip) {
  ShownForm form;
  auto* panel = new TPanel(form.form);
  panel->SetParent(form.form);
  panel->SetBounds(30, 40, 100, 100);
  TPoint screen = panel->ClientToScreen({5, 6});
  EXPECT_EQ(panel->ScreenToClient(screen), (TPoint{5, 6}));
  EXPECT_EQ(form->ScreenToClient(screen), (TPoint{35, 46}));
}

TEST(Controls, ScreenCursorCoversTheProgramAndComesBack) {
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  Screen->SetCursor(crDefault);
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST(Controls, TabOrderReordersTheWindows) {
  TForm form(nullptr);
  auto* a = new TEdit(&form);
  a->SetParent(&form);
  auto* b = new TEdit(&form);
  b->SetParent(&form);
  EXPECT_EQ(a->TabOrder(), 0);
  b->SetTabOrder(0);
  EXPECT_EQ(b->TabOrder(), 0);
  EXPECT_EQ(a->TabOrder(), 1);
}

TEST(Controls, WorkerThreadQueueRunsOnTheNextTurnOfTheLoop) {
  Application->Initialize();
  std::atomic<bool> ran{false};
  std::thread worker([&] { TThread::Queue(nullptr, [&] { ran = true; }); });
  worker.join();
  EXPECT_TRUE(PumpUntil([&] { return ran.load(); }));
}

TEST(Controls, DeactivatingAPopupFormFiresOnDeactivate) {
  TForm popup(nullptr);
  popup.SetBorderStyle(bsNone);
  popup.SetFormStyle(fsStayOnTop);
  int deactivated = 0;
  popup.OnDeactivate = [&](TObject*) {
    ++deactivated;
    popup.Hide();
  };
  popup.Show();
  popup.Perform(CM_DEACTIVATE, 0, 0);
  EXPECT_EQ(deactivated, 1);
  EXPECT_FALSE(popup.Visible());
}

TEST(Controls, HintStyleWindowNeverTakesTheActivationAndTakesAShape) {
  ShownForm main;
  TForm tip(nullptr);
  tip.SetNoActivate(true);
  tip.SetBounds(0, 0, 80, 40);
  TRegion round = TRegion::FromRoundRect(Rect(0, 0, 80, 40), 10, 10);
  SetWindowRegion(&tip, &round);
  tip.Show();
  EXPECT_TRUE(WindowShowing(&tip));
  EXPECT_FALSE(tip.Active());
}

}  // namespace

namespace {

// Scrolls by its own rule: lines of 1, pages of 10, the thumb where dragged.
class TScroller : public TCustomControl {
 public:
  explicit TScroller(TComponent* owner) : TCustomControl(owner) {}
  std::vector<int> codes;

 protected:
  void WMVScroll(TMessage& m) override {
    codes.push_back(m.WParamLo());
    int pos = GetScrollPos(Handle(), SB_VERT);
    switch (m.WParamLo()) {
      case SB_LINEDOWN: pos += 1; break;
      case SB_PAGEDOWN: pos += 10; break;
      case SB_THUMBPOSITION: pos = static_cast<SmallInt>(m.WParamHi()); break;
      default: return;
    }
    SetScrollPos(Handle(), SB_VERT, pos, true);
  }
};

TEST(Controls, ScrollBarActionsArriveAsScrollMessagesAndTheWindowSetsThePosition) {
  ShownForm form;
  auto* box = new TScroller(form.form);
  box->SetParent(form.form);
  box->SetBounds(0, 0, 200, 100);
  TScrollInfo info;
  info.fMask = SIF_RANGE | SIF_PAGE;
  info.nMax = 99;
  info.nPage = 10;
  SetScrollInfo(box->Handle(), SB_VERT, info, true);
  ASSERT_TRUE(SimulateScroll(box, SB_VERT, SB_LINEDOWN));
  ASSERT_TRUE(SimulateScroll(box, SB_VERT, SB_PAGEDOWN));
  EXPECT_EQ(GetScrollPos(box->Handle(), SB_VERT), 11);
  ASSERT_TRUE(SimulateScroll(box, SB_VERT, SB_THUMBTRACK, 40));
  EXPECT_EQ(GetScrollPos(box->Handle(), SB_VERT), 40);
  EXPECT_EQ(box->codes, (std::vector<int>{SB_LINEDOWN, SB_PAGEDOWN, SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL}));
  EXPECT_FALSE(SimulateScroll(box, SB_HORZ, SB_LINEDOWN)) << "no horizontal bar";
}

TEST(Controls, ActivatedFormIsTheScreensActiveForm) {
  ShownForm form;
  form->Perform(CM_ACTIVATE, 0, 0);
  EXPECT_EQ(Screen->ActiveForm(), form.form);
}

}  // namespace

namespace {

TEST(Controls, ScrollBoxScrollsToAControlBeyondItsEdge) {
  ShownForm form;
  auto* box = new TScrollBox(form.form);
  box->SetParent(form.form);
  box->SetBounds(0, 0, 150, 100);
  auto* far = new TButton(form.form);
  far->SetParent(box);
  far->SetBounds(10, 400, 75, 25);
  Application->ProcessMessages();
  EXPECT_EQ(box->VertPosition(), 0);
  box->ScrollInView(far);
  EXPECT_GT(box->VertPosition(), 0);
  box->SetVertPosition(0);
  EXPECT_EQ(box->VertPosition(), 0);
}

TEST(Controls, AScrollBoxTooLowForItsChildrenScrollsOnlyUpAndDown) {
  ShownForm form;
  auto* box = new TScrollBox(form.form);
  box->SetParent(form.form);
  box->SetBorderStyle(bsNone);
  box->SetBounds(0, 0, 200, 100);
  // As wide as the box less a scroll bar: the vertical one must not bring
  // a horizontal one with it.
  auto* field = new TButton(form.form);
  field->SetParent(box);
  field->SetBounds(0, 0, 170, 400);
  Application->ProcessMessages();
  box->SetHorzPosition(50);
  EXPECT_EQ(box->HorzPosition(), 0) << "nothing to scroll sideways";
  box->SetVertPosition(50);
  EXPECT_EQ(box->VertPosition(), 50);
}

TEST(Controls, RadioMenuItemsOfAGroupExcludeEachOtherAndDeletedItemsLeaveTheMenu) {
  TPopupMenu menu(nullptr);
  auto* a = NewItem(nullptr, "본영화"_k, nullptr);
  auto* b = NewItem(nullptr, "안본영화"_k, nullptr);
  for (TMenuItem* i : {a, b}) {
    i->SetRadioItem(true);
    i->SetGroupIndex(1);
    menu.Items()->Add(i);
  }
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  delete a;
  EXPECT_EQ(menu.Items()->Count(), 1);
  EXPECT_EQ(menu.Items()->Items(0), b);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->SetEnabled(false);
  b->Click();
  EXPECT_EQ(clicks, 0) << "a disabled item does nothing";
}

}  // namespace

namespace {

TEST(Controls, WheelOverAChildOfAScrollBoxScrollsTheBox) {
  ShownForm form;
  auto* box = new TScrollBox(form.form);
  box->SetParent(form.form);
  box->SetBounds(0, 0, 150, 100);
  auto* child = new TCustomControl(form.form);
  child->SetParent(box);
  child->SetBounds(0, 0, 100, 600);
  Application->ProcessMessages();
  SimulateWheel(child, -120);
  EXPECT_GT(box->VertPosition(), 0);
  int down = box->VertPosition();
  SimulateWheel(child, 120);
  EXPECT_LT(box->VertPosition(), down);
}

}  // namespace

namespace {

class TFramed : public TCustomControl {
 public:
  explicit TFramed(TComponent* owner) : TCustomControl(owner) { SetBorderStyle(bsSingle); }
  TPoint lastDown{-1, -1};

 protected:
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override { lastDown = {x, y}; }
};

TEST(Controls, FramedWindowKeepsItsClientAreaInsideTheFrame) {
  ShownForm form;
  auto* framed = new TFramed(form.form);
  framed->SetParent(form.form);
  framed->SetBounds(20, 20, 100, 60);
  EXPECT_EQ(framed->ClientRect(), Rect(0, 0, 96, 56));
  SimulateMouseDown(framed, mbLeft, 0, 0);
  SimulateMouseUp(framed, mbLeft, 0, 0);
  EXPECT_EQ(framed->lastDown, (TPoint{0, 0})) << "client (0, 0) is the first pixel inside the frame";
  EXPECT_EQ(framed->ClientToScreen({0, 0}).X, form->ClientToScreen({22, 22}).X);
  auto* child = new TPanel(form.form);
  child->SetParent(framed);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), Rect(0, 0, 96, 56));
  EXPECT_EQ(child->ClientToScreen({0, 0}), framed->ClientToScreen({0, 0}));
}

}  // namespace
