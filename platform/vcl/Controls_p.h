// Private to platform/vcl: the Qt side of a control's window.
//
// TWindowHandle is what an HWND points to. It owns the control's Qt widget
// (and through Qt the widgets inside it), watches its events and hands each
// one to TranslateQtEvent, the one place where Qt events become messages. It
// also carries the window's timers, scroll bars and posted messages.
#pragma once

#include <QColor>
#include <QCursor>
#include <QEvent>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QScrollBar>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/vcl/Canvas_p.h"
#include "platform/vcl/Controls.h"

class QPainter;

AnsiString FromQString(const QString& s);
// The Qt cursor of a cursor number, the program's own cursor pictures included.
QCursor QtCursor(TCursor cursor);

// Runs work and gives any exception to the application's handler: nothing
// may be thrown through Qt's event dispatch.
void RunGuarded(const std::function<void()>& work);

class TWindowHandle : public QObject {
 public:
  // widget is the outer widget, container the one children go in (the same
  // unless the control wraps a scroll area, a tab page, ...).
  TWindowHandle(TControl* control, QWidget* widget, QWidget* container = nullptr);
  ~TWindowHandle() override;
  // Lets go of the control and takes the window off screen; the Qt objects
  // go once the event loop is back (a control may be freed inside one of its
  // own events, which Qt is still delivering).
  void Detach();

  TControl* Control() const { return control_; }
  QWidget* Widget() const { return widget_; }
  QWidget* Container() const { return container_ ? container_.data() : widget_.data(); }
  void SetContainer(QWidget* w) { container_ = w; }
  // Extra widgets whose events count as the control's own (the line edit of
  // an editable combo box, the viewport of a list).
  void WatchWidget(QWidget* w);

  // Messages the control posted to itself come back through the event loop.
  void Post(const TMessage& m);

  UINT SetTimer(UINT id, UINT elapseMs);
  bool KillTimer(UINT id);

  struct ScrollBarState {
    TScrollInfo info;
    bool shown = false;      // ShowScrollBar(true) forces it
    bool hiddenByUser = false;
    QPointer<QScrollBar> bar;
  };
  ScrollBarState& Bar(int bar) { return bars_[bar == SB_VERT ? 1 : 0]; }
  // Shows or hides the Qt scroll bars by their ranges and places them.
  void UpdateScrollBars();
  int ScrollBarWidth(int bar) const;
  // The vertical bar's width and the horizontal bar's height; 0 or less
  // goes back to the desktop's.
  int BarExtent(int bar) const;
  void SetBarExtent(int extent);

  // Set while a synthetic key event is re-sent to the widget (after a
  // handler changed the character); its translation is skipped.
  bool resending = false;
  // Wheel deltas below one notch wait here until a whole notch is reached.
  int wheelAccumY = 0;
  int wheelAccumX = 0;
  // The key-down that produced the character about to come (Qt delivers
  // both in one event): a consumed key-down suppresses its character.
  bool deliverChar = true;
  bool mouseInside = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void OnScrollAction(int bar, int action);
  TControl* control_;
  QPointer<QWidget> widget_;
  QPointer<QWidget> container_;
  std::map<int, UINT> timersByQtId_;
  std::map<UINT, int> timersById_;
  ScrollBarState bars_[2];
  int barExtent_ = 0;
  // What the bars were last placed by: a grid sets its ranges at every
  // change of its rows, mostly to what they were.
  struct TBarsPlacement {
    bool need[2] = {};
    int width = 0, height = 0, barWidth = 0, barHeight = 0, inset = 0;
    struct TRange {
      int min = 0, max = 0, maxPos = 0, page = 0, pos = 0;
      int value = 0;  // where the bar stands (a wheel or a drag moves it)
      bool operator==(const TRange&) const = default;
    } range[2];
    bool operator==(const TBarsPlacement&) const = default;
  };
  std::optional<TBarsPlacement> barsPlacedBy_;
};

// The event type that carries a posted message.
QEvent::Type PostedMessageEventType();
QEvent::Type WakeEventType();

// Hands an input event to its widget past the translation (the event was
// translated already, or is a replacement for one).
void DeliverNatively(QObject* receiver, QEvent* event);
// A modal loop run from inside a native delivery (a dialog opened by a
// native button's click) translates its own input again: the event being
// delivered is forgotten while the scope lasts.
class TNativeDeliveryPause {
 public:
  TNativeDeliveryPause();
  ~TNativeDeliveryPause();
  TNativeDeliveryPause(const TNativeDeliveryPause&) = delete;
  TNativeDeliveryPause& operator=(const TNativeDeliveryPause&) = delete;

 private:
  const QEvent* event_;
  QEvent::Type type_;
};

// The translation: true when the event was consumed (the widget must not
// see it).
bool TranslateQtEvent(TWindowHandle* handle, QObject* watched, QEvent* event);

// The control whose window this widget is (not its inner widgets), or nullptr.
TControl* ControlOfWidget(const QWidget* widget);
bool IsLiveControl(const TControl* control);
// Runs the message through WindowProc; true when it reached DefaultHandler.
bool PerformReachesDefault(TControl* control, TMessage& m);
// The control that lost the focus and waits for CM_EXIT until the focus
// lands in another control of the program.
TWinControl*& PendingExitControl();

// The widget of a control, or nullptr when it has no window yet.
QWidget* WidgetOf(const TControl* control);
// Creates the window if needed and returns its widget.
QWidget* WidgetNeeded(TControl* control);
// The widget children of this control are placed in.
QWidget* ContainerOf(TControl* control);

// A plain widget for custom-drawn controls: paints through WM_PAINT.
class TPaintWidget : public QWidget {
 public:
  explicit TPaintWidget(TControl* control) : control_(control) {}
 protected:
  void paintEvent(class QPaintEvent* event) override;
 private:
  TControl* control_;
};

// Paints a control that draws itself (TCustomControl, TGraphicControl):
// WM_ERASEBKGND, then WM_PAINT with Canvas bound to painter.
void PaintControlOn(TControl* control, QPainter& painter, const QRect& area);

// A notification of a child control (BN_CLICKED, EN_CHANGE, CBN_SELCHANGE,
// ...): WM_COMMAND to its parent, which reflects it back as CN_COMMAND, as
// notifications have always travelled. Exceptions go to the application.
void NotifyParent(TWinControl* control, Word code);

// The width of the sunken frame a self-drawn window with BorderStyle
// bsSingle has around its client area (0 for the others): client
// coordinates start inside it.
int ClientInset(const TControl* control);

// Brings a window to the front (the offscreen test screen has no stacking).
void RaiseWindow(QWidget* w);

// Reaches the parts of TControl that only the window side may touch.
struct TControlAccess {
  static TColor Background(const TControl* c) { return c->BackgroundColor(); }
  // Takes bounds the window got from outside (the user sized or moved it).
  static void StoreBounds(TControl* c, int left, int top, int width, int height) {
    c->left_ = left;
    c->top_ = top;
    c->width_ = width;
    c->height_ = height;
  }
};

// Whether the last key press a window saw went on to its widget (false:
// a handler consumed it). For input simulation.
bool GetLastKeyReachedWidget();
void SetLastKeyReachedWidget(bool reached);

// The key state GetKeyState reports, kept from the last input event.
void RecordModifiers(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
TShiftState ShiftFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
WPARAM MouseKeysFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
