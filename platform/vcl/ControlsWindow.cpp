// The Qt side of a control's window: TWindowHandle, the application object
// of Qt, posted messages, window timers, scroll bars, mouse capture, key
// state, window shapes, the hint window and painting.
//
// Sections:
//   Text and cursors ............ FromQString, QtCursor
//   TWindowHandle ............... events in, timers, posted messages, scroll bars
//   Painting .................... TPaintWidget, PaintControlOn
//   Window functions ............ SendMessage, PostMessage, SetTimer, scroll info
//   Capture and key state ....... SetCaptureControl, GetKeyState
//   THintWindow
#include <QApplication>
#include <QBitmap>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTimerEvent>

#include <algorithm>
#include <bitset>
#include <set>

#include "platform/vcl/Controls_p.h"
#include "platform/vcl/Forms.h"

// ============================================================ text and cursors

AnsiString FromQString(const QString& s) {
  return Utf16ToCp949(std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()),
                                          static_cast<std::size_t>(s.size())));
}

QCursor QtCursor(TCursor cursor) {
  switch (cursor) {
    case crNone: return QCursor(Qt::BlankCursor);
    case crCross: return QCursor(Qt::CrossCursor);
    case crIBeam: return QCursor(Qt::IBeamCursor);
    case crSizeNESW: return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS: return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE: return QCursor(Qt::SizeHorCursor);
    case crUpArrow: return QCursor(Qt::UpArrowCursor);
    case crHourGlass: case crSQLWait: return QCursor(Qt::WaitCursor);
    case crDrag: case crMultiDrag: return QCursor(Qt::DragCopyCursor);
    case crNoDrop: case crNo: return QCursor(Qt::ForbiddenCursor);
    case crHSplit: return QCursor(Qt::SplitHCursor);
    case crVSplit: return QCursor(Qt::SplitVCursor);
    case crAppStart: return QCursor(Qt::BusyCursor);
    case crHelp: return QCursor(Qt::WhatsThisCursor);
    case crHandPoint: return QCursor(Qt::PointingHandCursor);
    case crSizeAll: return QCursor(Qt::SizeAllCursor);
    default: break;
  }
  if (cursor > 0) {
    // The program's own cursor pictures, drawn by the graphics unit.
    static std::map<int, QCursor> cache;
    auto it = cache.find(cursor);
    if (it != cache.end()) return it->second;
    TBitmap image;
    TPoint hot;
    if (LoadCursorResource(cursor, image, hot)) {
      QCursor c(QPixmap::fromImage(BitmapImage(image)), hot.X, hot.Y);
      cache.emplace(cursor, c);
      return c;
    }
  }
  return QCursor(Qt::ArrowCursor);
}

void RunGuarded(const std::function<void()>& work) {
  try {
    work();
  } catch (...) {
    if (Application) Application->HandleException(nullptr);
  }
}

void NotifyParent(TWinControl* control, Word code) {
  RunGuarded([&] {
    if (!IsLiveControl(control)) return;
    LPARAM handle = reinterpret_cast<LPARAM>(control->WindowHandle());
    if (TWinControl* parent = control->Parent()) parent->Perform(WM_COMMAND, MAKEWPARAM(0, code), handle);
    else control->Perform(CN_COMMAND, MAKEWPARAM(0, code), handle);
  });
}

int ClientInset(const TControl* control) {
  auto* win = dynamic_cast<const TWinControl*>(control);
  if (!win || win->BorderStyle() != bsSingle || dynamic_cast<const TCustomForm*>(control)) return 0;
  QWidget* w = WidgetOf(control);
  // Qt's own widgets draw their frames themselves.
  if (w ? !dynamic_cast<TPaintWidget*>(w) : !dynamic_cast<const TCustomControl*>(control)) return 0;
  return 2;
}

void RaiseWindow(QWidget* w) {
  static const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
  if (!offscreen) w->raise();
}

// ============================================================ posted messages

namespace {

class TPostedMessageEvent : public QEvent {
 public:
  explicit TPostedMessageEvent(const TMessage& m) : QEvent(PostedMessageEventType()), message(m) {}
  TMessage message;
};

}  // namespace

QEvent::Type PostedMessageEventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

QEvent::Type WakeEventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

// ============================================================ TWindowHandle

namespace {
std::set<const TWindowHandle*>& LiveHandles() {
  static std::set<const TWindowHandle*> live;
  return live;
}
}  // namespace

TWindowHandle::TWindowHandle(TControl* control, QWidget* widget, QWidget* container)
    : control_(control), widget_(widget), container_(container) {
  LiveHandles().insert(this);
  widget->setProperty("vidrenaHandle", QVariant::fromValue<void*>(this));
  widget->installEventFilter(this);
  widget->setAttribute(Qt::WA_Hover, false);
}

TWindowHandle::~TWindowHandle() {
  LiveHandles().erase(this);
  for (auto& [qtId, id] : timersByQtId_) killTimer(qtId);
  if (widget_) {
    widget_->removeEventFilter(this);
    delete widget_.data();
  }
}

void TWindowHandle::Detach() {
  LiveHandles().erase(this);
  for (auto& [qtId, id] : timersByQtId_) killTimer(qtId);
  timersByQtId_.clear();
  timersById_.clear();
  if (control_ && GetCaptureControl() == control_) SetCaptureControl(nullptr);
  control_ = nullptr;
  if (QWidget* w = widget_) {
    w->setProperty("vidrenaHandle", QVariant());
    // Its signals would reach a control that is gone.
    w->blockSignals(true);
    for (QObject* child : w->findChildren<QObject*>()) {
      child->blockSignals(true);
      child->removeEventFilter(this);
    }
    w->removeEventFilter(this);
    w->hide();
    w->deleteLater();
  }
  deleteLater();
}

void TWindowHandle::WatchWidget(QWidget* w) {
  w->installEventFilter(this);
  w->setMouseTracking(true);
}

void TWindowHandle::Post(const TMessage& m) {
  QCoreApplication::postEvent(this, new TPostedMessageEvent(m));
}

namespace {
bool g_lastKeyReachedWidget = true;
}  // namespace

bool GetLastKeyReachedWidget() { return g_lastKeyReachedWidget; }
void SetLastKeyReachedWidget(bool reached) { g_lastKeyReachedWidget = reached; }

namespace {
// The input event being handed to its widget after translation: the
// filters let it (and the copies Qt makes of it for parent widgets) pass.
thread_local const QEvent* g_passEvent = nullptr;
thread_local QEvent::Type g_passType = QEvent::None;

bool IsMouseInput(QEvent::Type t) {
  return t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease || t == QEvent::MouseButtonDblClick ||
         t == QEvent::MouseMove;
}
}  // namespace

void DeliverNatively(QObject* receiver, QEvent* event) {
  const QEvent* savedEvent = g_passEvent;
  QEvent::Type savedType = g_passType;
  g_passEvent = event;
  g_passType = event->type();
  QCoreApplication::sendEvent(receiver, event);
  g_passEvent = savedEvent;
  g_passType = savedType;
}

TNativeDeliveryPause::TNativeDeliveryPause() : event_(g_passEvent), type_(g_passType) {
  g_passEvent = nullptr;
  g_passType = QEvent::None;
}

TNativeDeliveryPause::~TNativeDeliveryPause() {
  g_passEvent = event_;
  g_passType = type_;
}

bool TWindowHandle::eventFilter(QObject* watched, QEvent* event) {
  if (resending || !control_) return false;
  const QEvent::Type type = event->type();
  if (g_passEvent && (event == g_passEvent || (IsMouseInput(type) && type == g_passType))) return false;
  bool consumed = false;
  RunGuarded([&] { consumed = TranslateQtEvent(this, watched, event); });
  if (type == QEvent::KeyPress) g_lastKeyReachedWidget = !consumed;
  if (!control_) consumed = true;  // the control went while its event ran
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      // Keys and mouse input belong to the window they were meant for: the
      // widget has them here (through its other filters too, such as a
      // scroll area's viewport filter), and one it leaves is not heard by
      // the parent windows as their own (Qt would hand it to each in turn).
      if (!consumed) DeliverNatively(watched, event);
      event->accept();
      return true;
    }
    default:
      return consumed;
  }
}

bool TWindowHandle::event(QEvent* event) {
  if (event->type() == PostedMessageEventType()) {
    TMessage m = static_cast<TPostedMessageEvent*>(event)->message;
    TControl* control = control_;
    if (!control) return true;
    RunGuarded([&] { control->WindowProc(m); });
    return true;
  }
  return QObject::event(event);
}

void TWindowHandle::timerEvent(QTimerEvent* event) {
  auto it = timersByQtId_.find(event->timerId());
  if (it == timersByQtId_.end() || !control_) return;
  UINT id = it->second;
  TControl* control = control_;
  RunGuarded([&] { control->Perform(WM_TIMER, id, 0); });
}

UINT TWindowHandle::SetTimer(UINT id, UINT elapseMs) {
  KillTimer(id);
  int qtId = startTimer(static_cast<int>(std::max<UINT>(elapseMs, 1)));
  if (qtId == 0) return 0;
  timersByQtId_[qtId] = id;
  timersById_[id] = qtId;
  return id;
}

bool TWindowHandle::KillTimer(UINT id) {
  auto it = timersById_.find(id);
  if (it == timersById_.end()) return false;
  killTimer(it->second);
  timersByQtId_.erase(it->second);
  timersById_.erase(it);
  return true;
}

namespace {
bool BarNeeded(const TWindowHandle::ScrollBarState& s) {
  if (s.hiddenByUser) return false;
  if (s.shown) return true;
  if (s.info.nPage > 0) return s.info.nMax - s.info.nMin + 1 > static_cast<int>(s.info.nPage);
  return s.info.nMax > s.info.nMin;
}
int MaxScrollPos(const TScrollInfo& info) {
  int page = info.nPage > 0 ? static_cast<int>(info.nPage) - 1 : 0;
  return std::max(info.nMin, info.nMax - page);
}
}  // namespace

int TWindowHandle::ScrollBarWidth(int bar) const {
  const ScrollBarState& s = bars_[bar == SB_VERT ? 1 : 0];
  if (!s.bar || !s.bar->isVisibleTo(widget_)) return 0;
  return BarExtent(bar);
}

int TWindowHandle::BarExtent(int bar) const {
  if (barExtent_ > 0) return barExtent_;
  return GetSystemMetrics(bar == SB_VERT ? SM_CXVSCROLL : SM_CYHSCROLL);
}

void TWindowHandle::SetBarExtent(int extent) {
  extent = std::max(extent, 0);
  if (extent == barExtent_) return;
  const int before[2] = {ScrollBarWidth(SB_HORZ), ScrollBarWidth(SB_VERT)};
  barExtent_ = extent;
  UpdateScrollBars();
  // A bar that stays shown at a new width changes the client area all the same.
  if (control_ && (before[0] != ScrollBarWidth(SB_HORZ) || before[1] != ScrollBarWidth(SB_VERT))) {
    const TRect client = control_->ClientRect();
    control_->Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
  }
}

void TWindowHandle::UpdateScrollBars() {
  // Only self-drawn windows get bars of their own; Qt's lists have theirs.
  if (!widget_ || !control_ || !dynamic_cast<TPaintWidget*>(widget_.data())) return;
  bool before[2] = {ScrollBarWidth(SB_HORZ) > 0, ScrollBarWidth(SB_VERT) > 0};
  bool need[2] = {BarNeeded(bars_[0]), BarNeeded(bars_[1])};
  int w = widget_->width(), h = widget_->height();
  int vw = BarExtent(SB_VERT), hh = BarExtent(SB_HORZ);
  const int inset = ClientInset(control_);
  TBarsPlacement placement{{need[0], need[1]}, w, h, vw, hh, inset};
  auto barValue = [&](int i) { return bars_[i].bar ? bars_[i].bar->value() : 0; };
  for (int i = 0; i < 2; ++i) {
    const TScrollInfo& info = bars_[i].info;
    placement.range[i] = {info.nMin, info.nMax, MaxScrollPos(info), static_cast<int>(info.nPage), info.nPos,
                          barValue(i)};
  }
  // Placed by the same and still standing where placed: nothing to do.
  if (barsPlacedBy_ == placement && before[0] == need[0] && before[1] == need[1]) return;
  for (int i = 0; i < 2; ++i) {
    ScrollBarState& s = bars_[i];
    if (need[i] && !s.bar) {
      s.bar = new QScrollBar(i == 1 ? Qt::Vertical : Qt::Horizontal, widget_);
      s.bar->setFocusPolicy(Qt::NoFocus);
      s.bar->setProperty("vidrenaScrollBar", true);
      int which = i == 1 ? SB_VERT : SB_HORZ;
      connect(s.bar, &QScrollBar::actionTriggered, this, [this, which](int action) { OnScrollAction(which, action); });
      connect(s.bar, &QScrollBar::sliderReleased, this, [this, which] { OnScrollAction(which, -1); });
    }
    if (!s.bar) continue;
    QSignalBlocker block(s.bar);
    s.bar->setRange(s.info.nMin, MaxScrollPos(s.info));
    s.bar->setPageStep(std::max<int>(static_cast<int>(s.info.nPage), 1));
    s.bar->setValue(s.info.nPos);
    s.bar->setEnabled(s.info.nMax > s.info.nMin);
    int b = inset;
    if (i == 1) s.bar->setGeometry(w - b - vw, b, vw, h - 2 * b - (need[0] ? hh : 0));
    else s.bar->setGeometry(b, h - b - hh, w - 2 * b - (need[1] ? vw : 0), hh);
    s.bar->setVisible(need[i]);
  }
  for (int i = 0; i < 2; ++i) placement.range[i].value = barValue(i);
  barsPlacedBy_ = placement;
  if (before[0] != need[0] || before[1] != need[1]) {
    // The client area changed: the control hears it as a size change.
    TRect client = control_->ClientRect();
    control_->Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
  }
}

void TWindowHandle::OnScrollAction(int which, int action) {
  ScrollBarState& s = Bar(which);
  if (!s.bar || !control_) return;
  Word code;
  int pos = 0;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
    case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
    case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
    case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
    case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
    case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
    case QAbstractSlider::SliderMove:
      code = SB_THUMBTRACK;
      pos = s.bar->sliderPosition();
      s.info.nTrackPos = pos;
      break;
    case -1:
      code = SB_THUMBPOSITION;
      pos = s.bar->sliderPosition();
      break;
    default: return;
  }
  Cardinal msg = which == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
  QPointer<QScrollBar> bar = s.bar;
  TControl* control = control_;
  RunGuarded([&] {
    control->Perform(msg, MAKEWPARAM(code, pos), 0);
    if (code == SB_THUMBPOSITION) control->Perform(msg, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
  });
  // As with the system's bars, the window decides where the thumb goes.
  if (bar && code != SB_THUMBTRACK) bar->setSliderPosition(s.info.nPos);
}

// ============================================================ painting

void TPaintWidget::paintEvent(QPaintEvent* event) {
  if (ControlOfWidget(this) != control_) return;  // the control has gone
  QPainter painter(this);
  // The canvas's clip rectangle then tells a control what needs painting:
  // a grid draws only the cells in it.
  painter.setClipRegion(event->region());
  TControl* control = control_;
  RunGuarded([&] { PaintControlOn(control, painter, event->rect()); });
}

namespace {
TPainterCanvas* PaintCanvasOf(TControl* control) {
  if (auto* c = dynamic_cast<TCustomControl*>(control)) return static_cast<TPainterCanvas*>(c->Canvas());
  if (auto* g = dynamic_cast<TGraphicControl*>(control)) return static_cast<TPainterCanvas*>(g->Canvas());
  if (auto* f = dynamic_cast<TCustomForm*>(control)) return static_cast<TPainterCanvas*>(f->Canvas());
  return nullptr;
}
}  // namespace

void PaintControlOn(TControl* control, QPainter& painter, const QRect& area) {
  if (auto* win = dynamic_cast<TWinControl*>(control); win && !win->RedrawEnabled()) return;
  TPainterCanvas* canvas = PaintCanvasOf(control);
  if (canvas) canvas->SetPainter(&painter);
  struct Unbind {
    TPainterCanvas* canvas;
    ~Unbind() { if (canvas) canvas->SetPainter(nullptr); }
  } unbind{canvas};
  // The client area first, in client coordinates; then the frame around it.
  const int inset = ClientInset(control);
  painter.save();
  if (inset > 0) {
    painter.translate(inset, inset);
    painter.setClipRect(QRect(0, 0, control->Width() - 2 * inset, control->Height() - 2 * inset),
                        painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  TMessage erase;
  erase.Msg = WM_ERASEBKGND;
  if (PerformReachesDefault(control, erase) && erase.Result == 0) {
    TColor bg = TControlAccess::Background(control);
    if (bg != clNone) painter.fillRect(area.translated(-inset, -inset), ToQColor(bg));
  }
  if (!IsLiveControl(control)) return;
  control->Perform(WM_PAINT, 0, 0);
  painter.restore();
  if (inset > 0 && IsLiveControl(control)) {
    TMessage nc;
    nc.Msg = WM_NCPAINT;
    if (PerformReachesDefault(control, nc) && canvas) {
      TRect r = Rect(0, 0, control->Width(), control->Height());
      DrawEdge(*canvas, r, EDGE_SUNKEN, 0x000F /* BF_RECT */);
    }
  }
}

// ============================================================ window lookup

QWidget* WidgetOf(const TControl* control) {
  if (!control || !control->WindowHandle()) return nullptr;
  return control->WindowHandle()->Widget();
}

QWidget* WidgetNeeded(TControl* control) {
  if (auto* win = dynamic_cast<TWinControl*>(control)) win->HandleNeeded();
  return WidgetOf(control);
}

QWidget* ContainerOf(TControl* control) {
  if (!control || !control->WindowHandle()) return nullptr;
  return control->WindowHandle()->Container();
}

TControl* ControlOfWidget(const QWidget* widget) {
  if (!widget) return nullptr;
  QVariant v = widget->property("vidrenaHandle");
  if (!v.isValid()) return nullptr;
  auto* handle = static_cast<TWindowHandle*>(v.value<void*>());
  if (!handle || handle->Widget() != widget) return nullptr;
  return handle->Control();
}

TWinControl* FindControl(HWND handle) {
  if (!handle) return nullptr;
  // A handle value may be stale (a message posted to a window since gone):
  // only handles of live windows count.
  if (!LiveHandles().count(handle)) return nullptr;
  return dynamic_cast<TWinControl*>(handle->Control());
}

// ============================================================ window functions

LRESULT SendMessage(HWND wnd, Cardinal msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* c = FindControl(wnd);
  return c ? c->Perform(msg, wParam, lParam) : 0;
}

bool PostMessage(HWND wnd, Cardinal msg, WPARAM wParam, LPARAM lParam) {
  if (!FindControl(wnd)) return false;
  TMessage m;
  m.Msg = msg;
  m.WParam = wParam;
  m.LParam = lParam;
  wnd->Post(m);
  return true;
}

UINT SetTimer(HWND wnd, UINT id, UINT elapseMs) {
  if (!FindControl(wnd)) return 0;
  return wnd->SetTimer(id, elapseMs);
}

bool KillTimer(HWND wnd, UINT id) {
  if (!FindControl(wnd)) return false;
  return wnd->KillTimer(id);
}

int SetScrollInfo(HWND wnd, int bar, const TScrollInfo& info, bool redraw) {
  if (!wnd) return 0;
  TScrollInfo& s = wnd->Bar(bar).info;
  if (info.fMask & SIF_RANGE) {
    s.nMin = info.nMin;
    s.nMax = std::max(info.nMin, info.nMax);
  }
  if (info.fMask & SIF_PAGE) s.nPage = std::min<UINT>(info.nPage, static_cast<UINT>(s.nMax - s.nMin + 1));
  if (info.fMask & SIF_POS) s.nPos = info.nPos;
  s.nPos = std::clamp(s.nPos, s.nMin, MaxScrollPos(s));
  wnd->Bar(bar).shown = (info.fMask & SIF_DISABLENOSCROLL) != 0;
  wnd->Bar(bar).hiddenByUser = false;
  wnd->UpdateScrollBars();
  return s.nPos;
}

bool GetScrollInfo(HWND wnd, int bar, TScrollInfo& info) {
  if (!wnd) return false;
  const TScrollInfo& s = wnd->Bar(bar).info;
  UINT mask = info.fMask;
  if (mask & SIF_RANGE) { info.nMin = s.nMin; info.nMax = s.nMax; }
  if (mask & SIF_PAGE) info.nPage = s.nPage;
  if (mask & SIF_POS) info.nPos = s.nPos;
  if (mask & SIF_TRACKPOS) info.nTrackPos = s.nTrackPos;
  return true;
}

int SetScrollPos(HWND wnd, int bar, int pos, bool redraw) {
  if (!wnd) return 0;
  int old = wnd->Bar(bar).info.nPos;
  TScrollInfo info;
  info.fMask = SIF_POS;
  info.nPos = pos;
  TScrollInfo& s = wnd->Bar(bar).info;
  s.nPos = std::clamp(pos, s.nMin, MaxScrollPos(s));
  wnd->UpdateScrollBars();
  return old;
}

int GetScrollPos(HWND wnd, int bar) { return wnd ? wnd->Bar(bar).info.nPos : 0; }

bool SetScrollRange(HWND wnd, int bar, int minPos, int maxPos, bool redraw) {
  if (!wnd) return false;
  TScrollInfo& s = wnd->Bar(bar).info;
  s.nMin = minPos;
  s.nMax = std::max(minPos, maxPos);
  s.nPos = std::clamp(s.nPos, s.nMin, MaxScrollPos(s));
  wnd->Bar(bar).hiddenByUser = false;
  wnd->UpdateScrollBars();
  return true;
}

bool GetScrollRange(HWND wnd, int bar, int& minPos, int& maxPos) {
  if (!wnd) return false;
  minPos = wnd->Bar(bar).info.nMin;
  maxPos = wnd->Bar(bar).info.nMax;
  return true;
}

bool ShowScrollBar(HWND wnd, int bar, bool show) {
  if (!wnd) return false;
  auto apply = [&](int b) {
    wnd->Bar(b).shown = show;
    wnd->Bar(b).hiddenByUser = !show;
  };
  if (bar == SB_BOTH) { apply(SB_HORZ); apply(SB_VERT); } else apply(bar);
  wnd->UpdateScrollBars();
  return true;
}

bool ScrollBarVisible(HWND wnd, int bar) { return wnd && wnd->ScrollBarWidth(bar) > 0; }

void SetWindowRgn(HWND wnd, const TRegion* region, bool redraw) {
  if (!wnd || !wnd->Widget()) return;
  if (region && !region->Empty()) wnd->Widget()->setMask(ToQRegion(*region));
  else wnd->Widget()->clearMask();
}

void SetWindowRegion(TControl* control, const TRegion* region) {
  if (!WidgetNeeded(control)) return;
  SetWindowRgn(control->WindowHandle(), region, true);
}

TControl* FindDragTarget(const TPoint& screenPos, bool allowDisabled) {
  for (QWidget* w = QApplication::widgetAt(screenPos.X, screenPos.Y); w; w = w->parentWidget()) {
    if (TControl* c = ControlOfWidget(w)) {
      if (allowDisabled || c->Enabled()) return c;
    }
  }
  return nullptr;
}

void MessageBeep(UINT type) {
  if (QCoreApplication::instance() && !qEnvironmentVariableIsSet("VIDRENA_SILENT")) QApplication::beep();
}

// ============================================================ capture and key state

namespace {
TControl* g_capture = nullptr;
QPointer<QWidget> g_grabbing;
std::bitset<256> g_keysDown;
Qt::KeyboardModifiers g_modifiers;
Qt::MouseButtons g_buttons;
}  // namespace

TControl* GetCaptureControl() { return IsLiveControl(g_capture) ? g_capture : nullptr; }

void SetCaptureControl(TControl* control) {
  TControl* old = GetCaptureControl();
  if (old == control) return;
  g_capture = control;
  if (g_grabbing) {
    g_grabbing->releaseMouse();
    g_grabbing = nullptr;
  }
  if (control) {
    QWidget* w = WidgetOf(control);
    // While a button is down Qt already sends every mouse event to the
    // pressed window; an explicit grab is needed only otherwise.
    if (w && w->isVisible() && g_buttons == Qt::NoButton) {
      w->grabMouse();
      g_grabbing = w;
    }
  }
  if (old) old->Perform(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(control ? control->WindowHandle() : nullptr));
}

void ReleaseCapture() { SetCaptureControl(nullptr); }

void RecordModifiers(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
  g_modifiers = mods;
  g_buttons = buttons;
}

void RecordKey(int vk, bool down) {
  if (vk > 0 && vk < 256) g_keysDown[static_cast<std::size_t>(vk)] = down;
}

SmallInt GetKeyState(int virtKey) {
  bool down = false;
  switch (virtKey) {
    case VK_SHIFT: down = g_modifiers & Qt::ShiftModifier; break;
    case VK_CONTROL: down = g_modifiers & Qt::ControlModifier; break;
    case VK_MENU: down = g_modifiers & Qt::AltModifier; break;
    case VK_LBUTTON: down = g_buttons & Qt::LeftButton; break;
    case VK_RBUTTON: down = g_buttons & Qt::RightButton; break;
    case VK_MBUTTON: down = g_buttons & Qt::MiddleButton; break;
    default:
      if (virtKey > 0 && virtKey < 256) down = g_keysDown[static_cast<std::size_t>(virtKey)];
      break;
  }
  return down ? static_cast<SmallInt>(0x8000) : 0;
}

SmallInt GetAsyncKeyState(int virtKey) { return GetKeyState(virtKey); }

TShiftState ShiftFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
  TShiftState s;
  if (mods & Qt::ShiftModifier) s << ssShift;
  if (mods & Qt::ControlModifier) s << ssCtrl;
  if (mods & Qt::AltModifier) s << ssAlt;
  if (buttons & Qt::LeftButton) s << ssLeft;
  if (buttons & Qt::RightButton) s << ssRight;
  if (buttons & Qt::MiddleButton) s << ssMiddle;
  return s;
}

WPARAM MouseKeysFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
  WPARAM k = 0;
  if (mods & Qt::ShiftModifier) k |= MK_SHIFT;
  if (mods & Qt::ControlModifier) k |= MK_CONTROL;
  if (buttons & Qt::LeftButton) k |= MK_LBUTTON;
  if (buttons & Qt::RightButton) k |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) k |= MK_MBUTTON;
  return k;
}

// ============================================================ THintWindow

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  SetColor(clInfoBk);
  Font()->SetColor(clInfoText);
  SetVisible(false);
}

TWindowHandle* THintWindow::CreateWindowHandle() {
  auto* w = new TPaintWidget(this);
  w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                    Qt::WindowDoesNotAcceptFocus);
  w->setAttribute(Qt::WA_ShowWithoutActivating);
  w->setFocusPolicy(Qt::NoFocus);
  return new TWindowHandle(this, w);
}

TRect THintWindow::CalcHintRect(int maxWidth, const AnsiString& hint) {
  TRect r = Rect(0, 0, maxWidth > 0 ? maxWidth : 300, 0);
  Canvas()->SetFont(*Font());
  DrawText(*Canvas(), hint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(const TRect& rect, const AnsiString& hint) {
  SetCaption(hint);
  HandleNeeded();
  SetBoundsRect(rect);
  SetVisible(true);
  if (QWidget* w = WidgetOf(this)) {
    w->show();
    RaiseWindow(w);
  }
  Invalidate();
}

void THintWindow::ReleaseHandle() {
  SetVisible(false);
  if (QWidget* w = WidgetOf(this)) w->hide();
}

bool THintWindow::IsShowing() const {
  QWidget* w = WidgetOf(this);
  return w && w->isVisible();
}

void THintWindow::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  c->Brush()->SetColor(clBlack);
  c->FrameRect(r);
  c->SetFont(*Font());
  c->SetBkMode(TRANSPARENT);
  TRect textRect = r;
  InflateRect(textRect, -2, -1);
  textRect.Left += 1;
  DrawText(*c, Caption(), textRect, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}
