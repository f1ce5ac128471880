// Forms, the application object and the screen.
//
// Sections:
//   Globals ........... Application, Screen, Mouse; the wake-up sink
//   TCustomForm ....... show, modal loop, close, activation, window flags
//   TScrollBox
//   TApplication ...... loop, ProcessMessages, exceptions, hints
//   TScreen
#include "platform/vcl/Forms.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QFileInfo>
#include <QFontDatabase>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <atomic>

#include "platform/vcl/Controls_p.h"
#include "platform/vcl/Dialogs.h"


// ======================================================================= globals

namespace {

// Receives the wake-up a worker thread posts when it queued a method for the
// main thread, and runs the queue.
class TWakeSink : public QObject {
 protected:
  bool event(QEvent* e) override {
    if (e->type() == WakeEventType()) {
      RunGuarded([] { CheckSynchronize(0); });
      return true;
    }
    return QObject::event(e);
  }
};

std::atomic<TWakeSink*> g_wakeSink{nullptr};
std::function<void(TCustomForm&)> g_showModalHook;

void EnsureWakeSink() {
  if (g_wakeSink.load()) return;
  EnsureQtApplication();
  auto* sink = new TWakeSink;
  g_wakeSink.store(sink);
  WakeMainThread = [] {
    if (TWakeSink* s = g_wakeSink.load()) QCoreApplication::postEvent(s, new QEvent(WakeEventType()));
  };
}

}  // namespace

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);
TMouse* Mouse = new TMouse;

TPoint TMouse::CursorPos() const {
  QPoint p = QCursor::pos();
  return {p.x(), p.y()};
}

void TMouse::SetCursorPos(const TPoint& p) { QCursor::setPos(p.X, p.Y); }

int TMouse::WheelScrollLines() const {
  EnsureQtApplication();
  return QApplication::wheelScrollLines();
}

TControl* TMouse::GetCaptureControlFromMouse() { return GetCaptureControl(); }

TCustomForm* GetParentForm(const TControl* control) {
  const TControl* c = control;
  while (c && c->Parent()) c = c->Parent();
  return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

// ======================================================================= TCustomForm

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner), canvas_(std::make_unique<TPainterCanvas>()) {
  // A form is a framed window that the user can size, move, minimise,
  // maximise and close, unless it says otherwise.
  TWinControl::SetBorderStyle(bsSizeable);
  SetVisible(false);
  SetBounds(0, 0, 320, 240);
  Screen->forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
  if (OnDestroy) {
    TNotifyEvent handler = OnDestroy;
    RunGuarded([&] { handler(this); });
  }
  if (modalLoop_) modalLoop_->quit();
  auto& forms = Screen->forms_;
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  if (Screen->activeForm_ == this) Screen->activeForm_ = nullptr;
  if (Application) Application->FormDestroyed(this);
  DestroyWindowHandle();
}

bool TCustomForm::IsLiveControlPublic(const TControl* c) { return IsLiveControl(c); }

void TCustomForm::DoCreate() {
  if (created_) return;
  created_ = true;
  if (OnCreate) OnCreate(this);
}

void TCustomForm::SetShowModalHook(std::function<void(TCustomForm&)> hook) { g_showModalHook = std::move(hook); }

TWindowHandle* TCustomForm::CreateWindowHandle() {
  auto* w = new TPaintWidget(this);
  w->setWindowFlags(Qt::Window);
  w->setFocusPolicy(Qt::NoFocus);
  return new TWindowHandle(this, w);
}

void TCustomForm::InitWindowHandle() {
  ApplyWindowFlags();
  TWinControl::InitWindowHandle();
}

void TCustomForm::WMPaint(TMessage& m) { Paint(); }

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::ApplyColorToWidget() {
  if (QWidget* w = WidgetOf(this)) w->update();
}

TRect TCustomForm::ClientRect() const { return TWinControl::ClientRect(); }

void TCustomForm::ApplyWindowFlags() {
  QWidget* w = WidgetOf(this);
  if (!w) return;
  bool wasVisible = w->isVisible();
  Qt::WindowFlags flags;
  switch (BorderStyle()) {
    case bsNone: flags = Qt::Window | Qt::FramelessWindowHint; break;
    case bsDialog: flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    case bsToolWindow:
    case bsSizeToolWin: flags = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    default: {
      flags = Qt::Window | Qt::WindowTitleHint;
      if (borderIcons_.contains(biSystemMenu)) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
      if (borderIcons_.contains(biMinimize)) flags |= Qt::WindowMinimizeButtonHint;
      if (borderIcons_.contains(biMaximize) && BorderStyle() == bsSizeable) flags |= Qt::WindowMaximizeButtonHint;
      break;
    }
  }
  if (noActivate_) {
    flags = Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
    w->setAttribute(Qt::WA_ShowWithoutActivating, true);
  }
  if (formStyle_ == fsStayOnTop || noActivate_) flags |= Qt::WindowStaysOnTopHint;
  w->setWindowFlags(flags);
  bool fixed = BorderStyle() == bsSingle || BorderStyle() == bsDialog || BorderStyle() == bsToolWindow;
  if (fixed) w->setFixedSize(Width(), Height());
  else {
    w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    ApplySizeLimits();
  }
  if (alpha_ < 255) w->setWindowOpacity(alpha_ / 255.0);
  if (wasVisible) w->show();
}

void TCustomForm::SetBorderStyle(TBorderStyle style) {
  if (style == BorderStyle()) return;
  TWinControl::SetBorderStyle(style);
  ApplyWindowFlags();
}

void TCustomForm::SetFormStyle(TFormStyle style) {
  formStyle_ = style;
  ApplyWindowFlags();
}

void TCustomForm::SetBorderIcons(TBorderIcons icons) {
  borderIcons_ = icons;
  ApplyWindowFlags();
}

void TCustomForm::SetNoActivate(bool v) {
  noActivate_ = v;
  ApplyWindowFlags();
}

void TCustomForm::SetAlphaBlendValue(int alpha) {
  alpha_ = std::clamp(alpha, 0, 255);
  if (QWidget* w = WidgetOf(this)) w->setWindowOpacity(alpha_ / 255.0);
}

void TCustomForm::SetWindowState(TWindowState state) {
  windowState_ = state;
  QWidget* w = WidgetOf(this);
  if (!w || !w->isVisible()) return;
  if (state == wsMaximized) w->showMaximized();
  else if (state == wsMinimized) w->showMinimized();
  else w->showNormal();
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  activeControl_ = control;
  if (control && Visible() && control->CanFocus()) control->SetFocus();
}

bool TCustomForm::Active() const {
  QWidget* w = WidgetOf(this);
  return w && QApplication::activeWindow() == w;
}

void TCustomForm::FocusedControlChanged(TWinControl* control) { activeControl_ = control; }

void TCustomForm::CenterOnScreen() {
  SetBounds((ScreenWidth() - Width()) / 2, (ScreenHeight() - Height()) / 2, Width(), Height());
}

void TCustomForm::PlaceOnShow() {
  if (placed_) return;
  placed_ = true;
  TCustomForm* relative = nullptr;
  switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
      CenterOnScreen();
      return;
    case poMainFormCenter:
      relative = Application ? Application->MainForm() : nullptr;
      break;
    case poOwnerFormCenter:
      relative = dynamic_cast<TCustomForm*>(Owner());
      break;
    default:
      return;
  }
  if (!relative || relative == this) {
    CenterOnScreen();
    return;
  }
  SetBounds(relative->Left() + (relative->Width() - Width()) / 2,
            relative->Top() + (relative->Height() - Height()) / 2, Width(), Height());
}

void TCustomForm::SetVisible(bool visible) {
  if (visible == Visible()) {
    if (visible) {
      QWidget* w = WidgetOf(this);
      if (w && !w->isVisible()) w->show();
    }
    return;
  }
  if (visible) {
    DoCreate();
    HandleNeeded();
    PlaceOnShow();
    TControl::SetVisible(true);
    DoShow();
    if (!IsLiveControl(this) || !Visible()) return;
    QWidget* w = WidgetOf(this);
    if (!w) return;
    if (BorderStyle() == bsSingle || BorderStyle() == bsDialog) w->setFixedSize(Width(), Height());
    if (windowState_ == wsMaximized) w->showMaximized();
    else if (windowState_ == wsMinimized) w->showMinimized();
    else w->show();
    if (!noActivate_) {
      RaiseWindow(w);
      w->activateWindow();
      if (TWinControl* active = ActiveControl(); active && active->CanFocus()) active->SetFocus();
    }
  } else {
    TControl::SetVisible(false);
    DoHide();
    if (QWidget* w = WidgetOf(this)) w->hide();
    if (Screen->activeForm_ == this) Screen->activeForm_ = nullptr;
  }
}

void TCustomForm::Show() {
  SetVisible(true);
  if (QWidget* w = WidgetOf(this); w && !noActivate_) RaiseWindow(w);
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::SetModalResult(TModalResult result) {
  modalResult_ = result;
  if (modal_ && result != mrNone && modalLoop_) modalLoop_->quit();
}

int TCustomForm::ShowModal() {
  if (Visible() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  if (!Enabled()) throw EInvalidOperation("Cannot make a disabled window modal");
  Application->Initialize();
  Application->CancelHint();
  HandleNeeded();
  QWidget* w = WidgetOf(this);
  w->setWindowModality(Qt::ApplicationModal);
  modal_ = true;
  modalResult_ = mrNone;
  struct ModalEnd {
    TCustomForm* form;
    ~ModalEnd() {
      if (!IsLiveControl(form)) return;
      form->modal_ = false;
      form->modalLoop_ = nullptr;
      if (QWidget* w = WidgetOf(form)) w->setWindowModality(Qt::NonModal);
    }
  } end{this};
  Show();
  std::function<void(TCustomForm&)> hook = g_showModalHook;
  // Opened by a native button's click, the window's own clicks are
  // translated as any others (a picture's click, a grid's).
  TNativeDeliveryPause pause;
  for (;;) {
    if (hook) {
      hook(*this);
      hook = nullptr;
      if (!IsLiveControl(this)) return mrCancel;
      if (modalResult_ == mrNone) modalResult_ = mrCancel;
    } else {
      while (modalResult_ == mrNone && !Application->Terminated()) {
        QEventLoop loop;
        modalLoop_ = &loop;
        loop.exec();
        modalLoop_ = nullptr;
        if (!IsLiveControl(this)) return mrCancel;
        CheckSynchronize(0);
      }
      if (modalResult_ == mrNone) modalResult_ = mrCancel;  // the application is ending
    }
    // Closing a modal window asks CloseQuery and OnClose; caNone keeps it open.
    TCloseAction action = caHide;
    if (!CloseQuery()) action = caNone;
    else DoClose(action);
    if (!IsLiveControl(this)) return mrCancel;
    if (action == caNone && !Application->Terminated() && !g_showModalHook) {
      modalResult_ = mrNone;
      continue;
    }
    TModalResult result = modalResult_;
    Hide();
    if (action == caFree) Release();
    return result;
  }
}

void TCustomForm::Close() {
  if (modal_) {
    if (modalResult_ == mrNone) SetModalResult(mrCancel);
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (!IsLiveControl(this) || action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Hide();
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
  }
}

void TCustomForm::Release() {
  Hide();
  TCustomForm* self = this;
  EnsureQtApplication();
  QTimer::singleShot(0, qApp, [self] {
    if (IsLiveControl(self)) delete self;
  });
}

void TCustomForm::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE: WMClose(m); break;
    case CM_ACTIVATE: CMActivate(m); break;
    case CM_DEACTIVATE: CMDeactivate(m); break;
    default: TWinControl::Dispatch(m); break;
  }
}

void TCustomForm::WMClose(TMessage& m) { Close(); }

void TCustomForm::CMActivate(TMessage& m) {
  if (Screen->activeForm_ != this) {
    Screen->activeForm_ = this;
    if (Screen->OnActiveFormChange) Screen->OnActiveFormChange(Screen);
  }
  if (OnActivate) OnActivate(this);
}

void TCustomForm::CMDeactivate(TMessage& m) {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::CMDialogKey(TMessage& m) {
  // Enter and Escape go to the default and cancel buttons.
  Broadcast(m);
}

// ======================================================================= TScrollBox

namespace {
class TScrollArea : public QScrollArea {
 public:
  using QScrollArea::QScrollArea;
};
}  // namespace

TScrollBox::TScrollBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 41);
  SetBorderStyle(bsSingle);
  ControlStyle() << csAcceptsControls;
}

TWindowHandle* TScrollBox::CreateWindowHandle() {
  auto* area = new TScrollArea;
  auto* inner = new QWidget;
  area->setWidget(inner);
  area->setWidgetResizable(false);
  area->setFrameShape(BorderStyle() == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
  auto* h = new TWindowHandle(this, area, inner);
  return h;
}

void TScrollBox::Realign() {
  TWinControl::Realign();
  UpdateScrollArea();
}

void TScrollBox::InitWindowHandle() {
  TWinControl::InitWindowHandle();
  UpdateScrollArea();
}

void TScrollBox::ChildBoundsChanged(TControl* child) { UpdateScrollArea(); }

void TScrollBox::WMMouseWheel(TMessage& m) {
  TShiftState shift = ShiftFromKeys(GET_KEYSTATE_WPARAM(m.WParam));
  int delta = GET_WHEEL_DELTA_WPARAM(m.WParam);
  if (DoMouseWheel(shift, delta, PointFromLParam(m.LParam))) {
    m.Result = 1;
    return;
  }
  auto* area = qobject_cast<QScrollArea*>(WidgetOf(this));
  if (!area) return DefaultHandler(m);
  QScrollBar* bar = area->verticalScrollBar();
  int before = bar->value();
  bar->setValue(before - delta / WHEEL_DELTA * Mouse->WheelScrollLines() * bar->singleStep());
  if (bar->value() == before) DefaultHandler(m);  // at the end: the parents may scroll
  else m.Result = 1;
}

void TScrollBox::UpdateScrollArea() {
  QWidget* inner = ContainerOf(this);
  if (!inner) return;
  int w = 0, hgt = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    w = std::max(w, c->Left() + c->Width());
    hgt = std::max(hgt, c->Top() + c->Height());
  }
  // The area fills what the box shows of it, less the room a scroll bar
  // takes along the other side: one that is needed for the height must not
  // bring a second one for the width.
  auto* area = qobject_cast<QScrollArea*>(WidgetOf(this));
  int viewW = ClientWidth() - 4, viewH = ClientHeight() - 4;
  if (area) {
    const QSize view = area->maximumViewportSize();
    const int bar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
    viewW = view.width();
    viewH = view.height();
    const bool tall = hgt > viewH;
    const bool wide = w > viewW - (tall ? bar : 0);
    if (tall || (wide && hgt > viewH - bar)) viewW -= bar;
    if (wide) viewH -= bar;
  }
  inner->resize(std::max(w, viewW), std::max(hgt, viewH));
}

void TScrollBox::ScrollInView(TControl* control) {
  auto* area = qobject_cast<QScrollArea*>(WidgetOf(this));
  QWidget* cw = WidgetOf(control);
  if (area && cw) area->ensureWidgetVisible(cw);
}

int TScrollBox::HorzPosition() const {
  auto* area = qobject_cast<QScrollArea*>(WidgetOf(this));
  return area ? area->horizontalScrollBar()->value() : 0;
}

int TScrollBox::VertPosition() const {
  auto* area = qobject_cast<QScrollArea*>(WidgetOf(this));
  return area ? area->verticalScrollBar()->value() : 0;
}

void TScrollBox::SetHorzPosition(int pos) {
  if (auto* area = qobject_cast<QScrollArea*>(WidgetOf(this))) area->horizontalScrollBar()->setValue(pos);
}

void TScrollBox::SetVertPosition(int pos) {
  if (auto* area = qobject_cast<QScrollArea*>(WidgetOf(this))) area->verticalScrollBar()->setValue(pos);
}

// ======================================================================= TApplication

struct TApplication::Timers {
  QTimer show;
  QTimer hide;
};

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() = default;

void TApplication::Initialize() {
  EnsureQtApplication();
  QApplication::setQuitOnLastWindowClosed(false);
  EnsureWakeSink();
}

void TApplication::Initialize(int argc, char** argv) {
  // Qt keeps referring to them: they must outlive the application.
  static int savedArgc;
  savedArgc = argc;
  EnsureQtApplication(&savedArgc, argv);
  Initialize();
}

void TApplication::FormCreated(TCustomForm* form) {
  if (!mainForm_) mainForm_ = form;
  form->DoCreate();
}

void TApplication::FormDestroyed(TCustomForm* form) {
  if (mainForm_ != form) return;
  mainForm_ = nullptr;
  // Without its main window the program has nothing left to run.
  if (running_) Terminate();
}

AnsiString TApplication::ExeName() const {
  EnsureQtApplication();
  return FromSysFileName(QCoreApplication::applicationFilePath().toStdString());
}

bool TApplication::Active() const { return QApplication::activeWindow() != nullptr; }

void TApplication::EnsureLoopReady() {
  EnsureQtApplication();
  EnsureWakeSink();
  if (!timers_) {
    timers_ = std::make_unique<Timers>();
    timers_->show.setSingleShot(true);
    timers_->hide.setSingleShot(true);
    QObject::connect(&timers_->show, &QTimer::timeout, [this] { RunGuarded([this] { ShowHintNow(); }); });
    QObject::connect(&timers_->hide, &QTimer::timeout, [this] { RunGuarded([this] { CancelHint(); }); });
  }
}

void TApplication::Run() {
  EnsureLoopReady();
  running_ = true;
  if (mainForm_ && showMainForm_) mainForm_->Show();
  // Idle work runs each time the loop has handled what was queued and is
  // about to wait, once per batch of events: a program at rest sleeps. A
  // handler that leaves Done false asks for another pass without waiting,
  // which the zero-interval shot below gives it (its firing is the event
  // that lets the loop come round again).
  QTimer again;
  again.setSingleShot(true);
  again.setInterval(0);
  const QMetaObject::Connection idleConnection = QObject::connect(
      QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [this, &again] {
        // Idle work that itself waits for events (a modal window) must not
        // start a second pass inside the first.
        if (idling_) return;
        idling_ = true;
        bool done = true;
        RunGuarded([this, &done] { done = Idle(); });
        idling_ = false;
        if (!done) again.start();
      });
  while (!terminated_) {
    if (!mainForm_) break;
    QApplication::exec();
  }
  QObject::disconnect(idleConnection);
  running_ = false;
}

bool TApplication::Idle() {
  CheckSynchronize(0);
  bool done = true;
  if (OnIdle) OnIdle(this, done);
  return done;
}

void TApplication::ProcessMessages(bool excludeUserInput) {
  EnsureLoopReady();
  QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents;
  if (excludeUserInput) flags |= QEventLoop::ExcludeUserInputEvents;
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(flags);
  CheckSynchronize(0);
}

void TApplication::HandleMessage() {
  EnsureLoopReady();
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  CheckSynchronize(0);
}

void TApplication::Terminate() {
  terminated_ = true;
  if (QCoreApplication::instance()) QCoreApplication::quit();
}

void TApplication::HandleException(TObject* sender) {
  // An error inside the error handler itself must not recurse.
  if (handlingException_) return;
  handlingException_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{handlingException_};
  try {
    throw;
  } catch (const EAbort&) {
    return;
  } catch (const Exception& e) {
    try {
      if (OnException) OnException(sender, e); else ShowException(e);
    } catch (...) {
    }
  } catch (const std::exception& e) {
    Exception wrapped(e.what());
    try {
      if (OnException) OnException(sender, wrapped); else ShowException(wrapped);
    } catch (...) {
    }
  } catch (...) {
    Exception wrapped("Unknown exception");
    try {
      if (OnException) OnException(sender, wrapped); else ShowException(wrapped);
    } catch (...) {
    }
  }
}

void TApplication::ShowException(const Exception& e) {
  AnsiString message = e.Message();
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  MessageBox(message, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, int flags) {
  CancelHint();
  return ShowMessageBox(text, caption, flags);
}

// ---- hints

void TApplication::SetHint(const AnsiString& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  if (OnHint) OnHint(this);
}

void TApplication::SetShowHint(bool v) {
  showHint_ = v;
  if (!v) CancelHint();
}

void TApplication::CancelHint() {
  if (timers_) {
    timers_->show.stop();
    timers_->hide.stop();
  }
  if (hintWindow_ && hintShowing_) hintWindow_->ReleaseHandle();
  hintShowing_ = false;
}

void TApplication::HintMouseMessage(TControl* control, const TMessage& m) {
  if (m.Msg == CM_MOUSELEAVE) {
    if (control == hintControl_) {
      CancelHint();
      hintControl_ = nullptr;
      SetHint("");
    }
    return;
  }
  if (m.Msg != WM_MOUSEMOVE) {
    CancelHint();  // a click ends the hint
    return;
  }
  EnsureLoopReady();
  TPoint pos = PointFromLParam(m.LParam);
  if (control != hintControl_) {
    CancelHint();
    hintControl_ = control;
    SetHint(GetLongHint(control->Hint()));
    if (showHint_ && control->EffectiveShowHint() && !control->Hint().empty()) {
      timers_->show.start(hintPause_);
    }
    return;
  }
  if (hintShowing_ && !PtInRect(hintCursorRect_, pos)) {
    CancelHint();
    timers_->show.start(hintShortPause_);
  }
}

void TApplication::ActivateHint(const TPoint& cursorPos) {
  EnsureLoopReady();
  TControl* target = FindDragTarget(cursorPos, false);
  if (!target) return;
  hintControl_ = target;
  ShowHintNow();
}

void TApplication::ShowHintNow() {
  TControl* control = hintControl_;
  if (!IsLiveControl(control)) {
    hintControl_ = nullptr;
    return;
  }
  TPoint screen = Mouse->CursorPos();
  THintInfo info;
  info.HintControl = control;
  info.CursorPos = control->ScreenToClient(screen);
  info.CursorRect = control->ClientRect();
  info.HintPos = {screen.X, screen.Y + 20};
  info.HintMaxWidth = ScreenWidth();
  info.HintColor = hintColor_;
  info.HintStr = GetShortHint(control->Hint());
  TMessage m;
  m.Msg = CM_HINTSHOW;
  m.LParam = reinterpret_cast<LPARAM>(&info);
  control->WindowProc(m);
  if (m.Result != 0 || info.HintStr.empty() || !IsLiveControl(control)) return;
  if (!hintWindow_) hintWindow_ = new THintWindow(this);
  hintWindow_->SetColor(info.HintColor);
  TRect r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr);
  OffsetRect(r, info.HintPos.X, info.HintPos.Y);
  hintWindow_->ActivateHint(r, info.HintStr);
  hintShowing_ = true;
  hintCursorRect_ = info.CursorRect;
  timers_->hide.start(info.HideTimeout > 0 ? info.HideTimeout : hintHidePause_);
  if (info.ReshowTimeout > 0) timers_->show.start(info.ReshowTimeout);
}

// ======================================================================= TScreen

TScreen::TScreen(TComponent* owner) : TComponent(owner), hintFont_(std::make_unique<TFont>()) {}

void TScreen::SetCursor(TCursor cursor) {
  if (cursor == cursor_) return;
  EnsureQtApplication();
  if (cursor_ != crDefault) QApplication::restoreOverrideCursor();
  cursor_ = cursor;
  if (cursor != crDefault) QApplication::setOverrideCursor(QtCursor(cursor));
}

TCustomForm* TScreen::ActiveForm() const {
  if (activeForm_ && IsLiveControl(activeForm_)) return activeForm_;
  if (QCoreApplication::instance()) {
    if (TControl* c = ControlOfWidget(QApplication::activeWindow())) return dynamic_cast<TCustomForm*>(c);
  }
  return nullptr;
}

TWinControl* TScreen::ActiveControl() const { return TWinControl::FocusedControl(); }

int TScreen::Width() const { return ScreenWidth(); }
int TScreen::Height() const { return ScreenHeight(); }

TRect TScreen::WorkAreaRect() const {
  EnsureQtApplication();
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    QRect r = s->availableGeometry();
    return Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
  }
  return Rect(0, 0, Width(), Height());
}

int TScreen::PixelsPerInch() const { return ScreenPixelsPerInch(); }

std::vector<AnsiString> TScreen::Fonts() const {
  EnsureQtApplication();
  std::vector<AnsiString> out;
  for (const QString& f : QFontDatabase::families()) out.push_back(FromQString(f));
  std::sort(out.begin(), out.end(), [](const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) < 0; });
  return out;
}
