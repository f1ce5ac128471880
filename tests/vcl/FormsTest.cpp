// Modal dialogs driven by the test hook, closing rules, key preview with
// default and cancel buttons, ProcessMessages repainting, hints.
#include <gtest/gtest.h>

#include "VclTestSupport.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"

namespace {

struct ModalHookGuard {
  explicit ModalHookGuard(std::function<void(TCustomForm&)> hook) { TCustomForm::SetShowModalHook(std::move(hook)); }
  ~ModalHookGuard() { TCustomForm::SetShowModalHook(nullptr); }
};

// A small lend dialog: two edits and OK / Cancel buttons.
class TLendDialog : public TForm {
 public:
  explicit TLendDialog(TComponent* owner) : TForm(owner) {
    SetCaption("빌려주기"_k);
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    borrower = new TEdit(this);
    borrower->SetParent(this);
    ok = new TButton(this);
    ok->SetParent(this);
    ok->SetCaption("확인"_k);
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    ok->SetTop(40);
    cancel = new TButton(this);
    cancel->SetParent(this);
    cancel->SetCaption("취소"_k);
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);
    cancel->SetTop(70);
  }
  TEdit* borrower;
  TButton* ok;
  TButton* cancel;
};

TEST(Forms, ModalDialogFilledAndClosedByTheHookReturnsItsResult) {
  AnsiString typed;
  ModalHookGuard hook([&](TCustomForm& form) {
    auto& dlg = dynamic_cast<TLendDialog&>(form);
    EXPECT_TRUE(WindowShowing(&dlg)) << "the dialog is on screen while the hook runs";
    SimulateTyping(dlg.borrower, "Kim");
    SimulateClick(dlg.ok, 5, 5);
  });
  TLendDialog dlg(nullptr);
  EXPECT_EQ(dlg.ShowModal(), mrOk);
  EXPECT_EQ(dlg.borrower->Text(), "Kim");
  EXPECT_FALSE(dlg.Visible()) << "a closed modal dialog is hidden";
  EXPECT_FALSE(dlg.Modal());
}

TEST(Forms, EnterClicksTheDefaultButtonAndEscapeTheCancelButton) {
  TLendDialog dlg(nullptr);
  {
    ModalHookGuard hook([](TCustomForm& form) {
      auto& d = dynamic_cast<TLendDialog&>(form);
      SimulateKey(d.borrower, VK_RETURN);
    });
    EXPECT_EQ(dlg.ShowModal(), mrOk);
  }
  {
    ModalHookGuard hook([](TCustomForm& form) {
      auto& d = dynamic_cast<TLendDialog&>(form);
      SimulateKey(d.borrower, VK_ESCAPE);
    });
    EXPECT_EQ(dlg.ShowModal(), mrCancel);
  }
}

TEST(Forms, HookThatLeavesTheDialogOpenEndsItAsCancelled) {
  ModalHookGuard hook([](TCustomForm&) {});
  TLendDialog dlg(nullptr);
  EXPECT_EQ(dlg.ShowModal(), mrCancel);
}

TEST(Forms, CloseOfAModalFormCancelsAndCloseEventsRun) {
  std::vector<std::string> events;
  ModalHookGuard hook([](TCustomForm& form) { form.Close(); });
  TLendDialog dlg(nullptr);
  dlg.OnCloseQuery = [&](TObject*, bool& canClose) { events.push_back("query"); };
  dlg.OnClose = [&](TObject*, TCloseAction& action) { events.push_back("close"); };
  EXPECT_EQ(dlg.ShowModal(), mrCancel);
  EXPECT_EQ(events, (std::vector<std::string>{"query", "close"}));
}

TEST(Forms, ShowingAVisibleFormModallyIsRefused) {
  ShownForm form;
  EXPECT_THROW(form->ShowModal(), EInvalidOperation);
}

TEST(Forms, CloseQueryVetoKeepsAModelessFormOpenAndCaFreeDeletesIt) {
  auto* form = new TForm(nullptr);
  form->Show();
  bool allow = false;
  form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = allow; };
  form->Close();
  EXPECT_TRUE(form->Visible());
  allow = true;
  form->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
  TControl* raw = form;
  form->Close();
  EXPECT_FALSE(form->Visible());
  auto isGone = [&] {
    for (int i = 0; i < Screen->FormCount(); ++i) {
      if (Screen->Forms(i) == raw) return false;
    }
    return true;
  };
  EXPECT_FALSE(isGone()) << "released after the current message, not at once";
  bool gone = PumpUntil(isGone);
  EXPECT_TRUE(gone) << "caFree releases the form";
}

TEST(Forms, WindowCloseButtonGoesThroughCloseQuery) {
  ShownForm form;
  int asked = 0;
  form->OnCloseQuery = [&](TObject*, bool& canClose) {
    ++asked;
    canClose = false;
  };
  SimulateCloseButton(form.form);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(form->Visible());
}

TEST(Forms, OnCreateFiresOnceAndOnShowOnEveryShow) {
  int created = 0, shown = 0;
  TForm form(nullptr);
  form.OnCreate = [&](TObject*) { ++created; };
  form.OnShow = [&](TObject*) { ++shown; };
  form.Show();
  form.Hide();
  form.Show();
  EXPECT_EQ(created, 1);
  EXPECT_EQ(shown, 2);
}

TEST(Forms, ScreenCentrePositionPlacesTheFormInTheMiddle) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 100);
  form.SetPosition(poScreenCenter);
  form.Show();
  EXPECT_EQ(form.Left(), (Screen->Width() - 200) / 2);
  EXPECT_EQ(form.Top(), (Screen->Height() - 100) / 2);
}

// Counts its paints.
class TPaintCounter : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int paints = 0;

 protected:
  void Paint() override {
    ++paints;
    Canvas()->Brush()->SetColor(clWhite);
    Canvas()->FillRect(ClientRect());
  }
};

TEST(Forms, ProcessMessagesDuringALongLoopRepaints) {
  ShownForm form;
  auto* counter = new TPaintCounter(form.form);
  counter->SetParent(form.form);
  counter->SetBounds(0, 0, 50, 50);
  Application->ProcessMessages();
  int before = counter->paints;
  for (int step = 0; step < 5; ++step) {
    counter->Invalidate();
    Application->ProcessMessages(true);
  }
  EXPECT_GE(counter->paints, before + 5) << "every invalidated step was painted";
}

TEST(Forms, RedrawSwitchedOffPaintsNothingUntilSwitchedOn) {
  ShownForm form;
  auto* counter = new TPaintCounter(form.form);
  counter->SetParent(form.form);
  counter->SetBounds(0, 0, 50, 50);
  Application->ProcessMessages();
  counter->Perform(WM_SETREDRAW, 0, 0);
  int before = counter->paints;
  counter->Invalidate();
  counter->Update();
  Application->ProcessMessages();
  EXPECT_EQ(counter->paints, before);
  counter->Perform(WM_SETREDRAW, 1, 0);
  counter->Repaint();
  Application->ProcessMessages();
  EXPECT_GT(counter->paints, before);
}

TEST(Forms, AlignedChildrenShareTheClientAreaInOrder) {
  ShownForm form;
  form->SetBounds(0, 0, 400, 300);
  auto* top = new TPanel(form.form);
  top->SetParent(form.form);
  top->SetHeight(40);
  top->SetAlign(alTop);
  auto* bottom = new TPanel(form.form);
  bottom->SetParent(form.form);
  bottom->SetHeight(20);
  bottom->SetAlign(alBottom);
  auto* left = new TPanel(form.form);
  left->SetParent(form.form);
  left->SetWidth(100);
  left->SetAlign(alLeft);
  auto* client = new TPanel(form.form);
  client->SetParent(form.form);
  client->SetAlign(alClient);
  int cw = form->ClientWidth(), ch = form->ClientHeight();
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, cw, 40));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, ch - 20, cw, ch));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 40, 100, ch - 20));
  EXPECT_EQ(client->BoundsRect(), Rect(100, 40, cw, ch - 20));
  form->SetBounds(0, 0, 500, 400);
  EXPECT_EQ(client->Width(), form->ClientWidth() - 100) << "the client control follows the form";
}

TEST(Forms, RightAnchoredControlKeepsItsDistanceWhenTheFormGrows) {
  ShownForm form;
  form->SetBounds(0, 0, 400, 300);
  auto* button = new TButton(form.form);
  button->SetParent(form.form);
  button->SetBounds(300, 10, 75, 25);
  button->SetAnchors({akTop, akRight});
  int gap = form->ClientWidth() - button->Left() - button->Width();
  form->SetBounds(0, 0, 600, 300);
  EXPECT_EQ(form->ClientWidth() - button->Left() - button->Width(), gap);
  EXPECT_EQ(button->Width(), 75);
}

TEST(Forms, HintOfTheControlUnderTheMouseReachesOnHint) {
  ShownForm form;
  auto* button = new TButton(form.form);
  button->SetParent(form.form);
  button->SetHint("저장|카탈로그를 저장합니다"_k);
  AnsiString seen;
  Application->OnHint = [&](TObject*) { seen = Application->Hint(); };
  SimulateMouseMove(button, 3, 3);
  EXPECT_EQ(seen, "카탈로그를 저장합니다"_k) << "the long part of the hint";
  SimulateMouseLeave(button);
  EXPECT_EQ(Application->Hint(), "");
  Application->OnHint = nullptr;
}

TEST(Forms, HintShowMessageMayChangeTheTextOrRefuse) {
  class THinted : public TCustomControl {
   public:
    using TCustomControl::TCustomControl;
    AnsiString next = "cell";
   protected:
    void CMHintShow(TMessage& m) override {
      auto* info = reinterpret_cast<THintInfo*>(m.LParam);
      if (next.empty()) m.Result = 1;
      else info->HintStr = next;
    }
  };
  ShownForm form;
  auto* c = new THinted(form.form);
  c->SetParent(form.form);
  c->SetBounds(0, 0, 50, 50);
  c->SetHint("plain");
  c->SetShowHint(true);
  Application->ActivateHint(c->ClientToScreen({5, 5}));
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_TRUE(Application->HintWindow()->IsShowing());
  EXPECT_EQ(Application->HintWindow()->Caption(), "cell");
  Application->CancelHint();
  c->next = "";
  Application->ActivateHint(c->ClientToScreen({5, 5}));
  EXPECT_FALSE(Application->HintWindow()->IsShowing());
}

}  // namespace
