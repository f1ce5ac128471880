// Forms, the application object and the screen.
//
// Sections:
//   TCustomForm / TForm ... top-level windows: Show, ShowModal, Close, key
//                           preview, position, border styles, pop-up and
//                           hint-style windows, the ShowModal test hook
//   TScrollBox ............ a scrolling container
//   TApplication .......... message loop, ProcessMessages, hints, the
//                           default exception handler, CheckSynchronize
//   TScreen ............... cursor override, active form, forms, metrics
//
// Modal loop:
//   ShowModal -> OnShow -> (test hook) -> event loop until ModalResult != 0
//     -> CloseQuery / OnClose (caNone keeps the window open) -> hide -> ModalResult
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/vcl/Controls.h"

enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSmallSet<TBorderIcon>;

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

// ---------------------------------------------------------------- TCustomForm

class TCustomForm : public TWinControl {
 public:
  explicit TCustomForm(TComponent* owner);
  // Fires OnDestroy first; a derived form cleans up its own members in its
  // own destructor (they are gone by the time OnDestroy runs).
  ~TCustomForm() override;

  void Show();
  void Hide();
  // Shows the window modally and returns its ModalResult. EInvalidOperation
  // "Cannot make a visible window modal" for a window already showing.
  virtual int ShowModal();
  // Modal: ModalResult becomes mrCancel. Otherwise CloseQuery, OnClose and
  // the action (the main form's close ends the application).
  void Close();
  // Deletes the form once the current message is done.
  void Release();
  virtual bool CloseQuery();

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result);
  bool Modal() const { return modal_; }

  TPosition Position() const { return position_; }
  void SetPosition(TPosition p) { position_ = p; }
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle style);
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState state);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons icons);
  void SetBorderStyle(TBorderStyle style) override;
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool v) { keyPreview_ = v; }
  TWinControl* ActiveControl() const { return IsLiveControlPublic(activeControl_) ? activeControl_ : nullptr; }
  void SetActiveControl(TWinControl* control);
  bool Active() const;
  // A window that never takes the activation (hint-style, topmost).
  bool NoActivate() const { return noActivate_; }
  void SetNoActivate(bool v);
  // 0..255; 255 is opaque.
  int AlphaBlendValue() const { return alpha_; }
  void SetAlphaBlendValue(int alpha);
  // Centres the window on the screen now.
  void CenterOnScreen();

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;

  // Fires OnCreate once; Application->CreateForm and the first Show call it.
  void DoCreate();
  // Called when a control of the form got the focus.
  void FocusedControlChanged(TWinControl* control);

  // While set, ShowModal shows the window and calls the hook instead of
  // waiting for the user: the hook fills the controls and ends the dialog
  // (a button with a ModalResult, SetModalResult or Close). A hook that
  // leaves ModalResult at 0 ends it with mrCancel. Pass nullptr to remove.
  static void SetShowModalHook(std::function<void(TCustomForm& form)> hook);

  void SetVisible(bool visible) override;
  TRect ClientRect() const override;

  static bool IsLiveControlPublic(const TControl* c);
  // Draws on the form while it paints (OnPaint).
  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  void Dispatch(TMessage& m) override;
  virtual void WMClose(TMessage& m);
  virtual void CMActivate(TMessage& m);
  virtual void CMDeactivate(TMessage& m);
  void CMDialogKey(TMessage& m) override;
  TWindowHandle* CreateWindowHandle() override;
  void InitWindowHandle() override;
  void ApplyWindowFlags();
  void ApplyColorToWidget() override;
  void WMPaint(TMessage& m) override;
  virtual void Paint();

 private:
  void PlaceOnShow();
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  bool created_ = false;
  bool placed_ = false;
  TPosition position_ = poDesigned;
  TFormStyle formStyle_ = fsNormal;
  TWindowState windowState_ = wsNormal;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  bool keyPreview_ = false;
  bool noActivate_ = false;
  int alpha_ = 255;
  TWinControl* activeControl_ = nullptr;
  class QEventLoop* modalLoop_ = nullptr;
  std::unique_ptr<TCanvas> canvas_;
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// ---------------------------------------------------------------- TScrollBox

// Children are placed on an area that scrolls when it is larger than the box.
class TScrollBox : public TWinControl {
 public:
  explicit TScrollBox(TComponent* owner);
  // Scrolls so that the control is in view.
  void ScrollInView(TControl* control);
  int HorzPosition() const;
  int VertPosition() const;
  void SetHorzPosition(int pos);
  void SetVertPosition(int pos);
  void Realign() override;

 protected:
  TWindowHandle* CreateWindowHandle() override;
  void InitWindowHandle() override;
  void ChildBoundsChanged(TControl* child) override;
  // Scrolls by the desktop's lines per notch.
  void WMMouseWheel(TMessage& m) override;

 private:
  // Sizes the scrolled area to hold every child.
  void UpdateScrollArea();
};

// ---------------------------------------------------------------- TApplication

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  void Initialize();
  // Passes the command line to Qt (platform options such as -platform).
  void Initialize(int argc, char** argv);
  // Creates a form owned by the application; the first one becomes MainForm.
  template <class T>
  void CreateForm(T*& reference) {
    reference = new T(this);
    FormCreated(reference);
  }
  // Shows the main form and runs the message loop until Terminate.
  void Run();
  // Handles the pending events (painting included) and the methods worker
  // threads queued, then returns. With excludeUserInput, keys and mouse
  // clicks wait (a long task that repaints its progress stays uninterrupted).
  void ProcessMessages(bool excludeUserInput = false);
  // Waits for one event and handles it.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Call from a catch block: EAbort is silent; OnException gets the
  // exception when assigned, else ShowException shows it; the program goes on.
  void HandleException(TObject* sender);
  // The message in an error box, with a full stop added as the class library does.
  void ShowException(const Exception& e);
  // Through the message-box layer of Dialogs (fakeable): IDOK, IDYES, ...
  int MessageBox(const AnsiString& text, const AnsiString& caption, int flags);

  TCustomForm* MainForm() const { return mainForm_; }
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& t) { title_ = t; }
  AnsiString ExeName() const;
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool v) { showMainForm_ = v; }
  bool Active() const;

  // ---- hints
  const AnsiString& Hint() const { return hint_; }
  // Fires OnHint when the text changes.
  void SetHint(const AnsiString& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  int HintPause() const { return hintPause_; }
  void SetHintPause(int ms) { hintPause_ = ms; }
  int HintShortPause() const { return hintShortPause_; }
  void SetHintShortPause(int ms) { hintShortPause_ = ms; }
  int HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(int ms) { hintHidePause_ = ms; }
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor c) { hintColor_ = c; }
  // Hides the hint window and forgets the pending one.
  void CancelHint();
  // Shows the hint of the control under the mouse at once.
  void ActivateHint(const TPoint& cursorPos);
  // The hint window on screen (nullptr before the first hint).
  THintWindow* HintWindow() const { return hintWindow_; }
  // Every mouse message passes here (TControl::WndProc).
  void HintMouseMessage(TControl* control, const TMessage& m);

  TNotifyEvent OnHint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  // Runs in Run's loop each time the events queued so far have been handled;
  // a handler that sets done to false is called again without waiting for
  // an event.
  std::function<void(TObject* sender, bool& done)> OnIdle;
  std::function<void(TObject* sender, const Exception& e)> OnException;

  void FormCreated(TCustomForm* form);
  void FormDestroyed(TCustomForm* form);

 private:
  void EnsureLoopReady();
  void ShowHintNow();
  // One idle pass: the queued thread calls, then OnIdle; the handler's Done.
  bool Idle();
  bool terminated_ = false;
  bool idling_ = false;
  bool running_ = false;
  bool showMainForm_ = true;
  bool handlingException_ = false;
  TCustomForm* mainForm_ = nullptr;
  AnsiString title_ = "Vidrena";
  AnsiString hint_;
  bool showHint_ = true;
  int hintPause_ = 500;
  int hintShortPause_ = 50;
  int hintHidePause_ = 2500;
  TColor hintColor_ = clInfoBk;
  THintWindow* hintWindow_ = nullptr;
  TControl* hintControl_ = nullptr;
  TRect hintCursorRect_;
  bool hintShowing_ = false;
  struct Timers;
  std::unique_ptr<Timers> timers_;
};

// ---------------------------------------------------------------- TScreen

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* owner);
  // crDefault: each control shows its own; anything else covers the whole
  // program (an hourglass during a long task).
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  TCustomForm* ActiveForm() const;
  TWinControl* ActiveControl() const;
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int index) const { return forms_.at(static_cast<std::size_t>(index)); }
  int Width() const;
  int Height() const;
  TRect WorkAreaRect() const;
  int PixelsPerInch() const;
  TFont* HintFont() const { return hintFont_.get(); }
  // The font families installed, sorted.
  std::vector<AnsiString> Fonts() const;

  TNotifyEvent OnActiveFormChange;

 private:
  friend class TCustomForm;
  TCursor cursor_ = crDefault;
  TCustomForm* activeForm_ = nullptr;
  std::vector<TCustomForm*> forms_;
  std::unique_ptr<TFont> hintFont_;
};

extern TApplication* Application;
extern TScreen* Screen;
