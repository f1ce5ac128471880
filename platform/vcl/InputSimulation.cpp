// Real Qt input events for tests.
#include "platform/vcl/InputSimulation.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "platform/vcl/Clipbrd_p.h"
#include "platform/vcl/Controls_p.h"

namespace {

Qt::KeyboardModifiers Mods(TShiftState s, bool keypad = false) {
  Qt::KeyboardModifiers m;
  if (s.contains(ssShift)) m |= Qt::ShiftModifier;
  if (s.contains(ssCtrl)) m |= Qt::ControlModifier;
  if (s.contains(ssAlt)) m |= Qt::AltModifier;
  if (keypad) m |= Qt::KeypadModifier;
  return m;
}

Qt::MouseButton Button(TMouseButton b) {
  switch (b) {
    case mbRight: return Qt::RightButton;
    case mbMiddle: return Qt::MiddleButton;
    default: return Qt::LeftButton;
  }
}

int QtKeyOf(Word vk, bool keypad) {
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return vk;
  if (vk >= VK_F1 && vk <= VK_F12 + 12) return Qt::Key_F1 + (vk - VK_F1);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return Qt::Key_0 + (vk - VK_NUMPAD0);
  static const std::pair<Word, int> kKeys[] = {
      {VK_BACK, Qt::Key_Backspace}, {VK_TAB, Qt::Key_Tab}, {VK_RETURN, Qt::Key_Return},
      {VK_SHIFT, Qt::Key_Shift}, {VK_CONTROL, Qt::Key_Control}, {VK_MENU, Qt::Key_Alt},
      {VK_ESCAPE, Qt::Key_Escape}, {VK_SPACE, Qt::Key_Space}, {VK_PRIOR, Qt::Key_PageUp},
      {VK_NEXT, Qt::Key_PageDown}, {VK_END, Qt::Key_End}, {VK_HOME, Qt::Key_Home},
      {VK_LEFT, Qt::Key_Left}, {VK_UP, Qt::Key_Up}, {VK_RIGHT, Qt::Key_Right}, {VK_DOWN, Qt::Key_Down},
      {VK_INSERT, Qt::Key_Insert}, {VK_DELETE, Qt::Key_Delete}, {VK_DECIMAL, Qt::Key_Period},
      {VK_ADD, Qt::Key_Plus}, {VK_SUBTRACT, Qt::Key_Minus}, {VK_MULTIPLY, Qt::Key_Asterisk},
      {VK_DIVIDE, Qt::Key_Slash}, {VK_OEM_PERIOD, Qt::Key_Period}, {VK_OEM_COMMA, Qt::Key_Comma},
      {VK_OEM_MINUS, Qt::Key_Minus}, {VK_OEM_PLUS, Qt::Key_Equal}, {VK_APPS, Qt::Key_Menu},
      {VK_HANGUL, Qt::Key_Hangul}, {VK_HANJA, Qt::Key_Hangul_Hanja},
  };
  for (auto [v, q] : kKeys) {
    if (v == vk) return q;
  }
  return Qt::Key_unknown;
}

QString DefaultText(Word vk, TShiftState shift) {
  if (shift.contains(ssCtrl) && vk >= 'A' && vk <= 'Z') return QString(QChar(vk - 0x40));
  if (shift.contains(ssCtrl) || shift.contains(ssAlt)) return {};
  if (vk >= 'A' && vk <= 'Z') return QString(QChar(shift.contains(ssShift) ? vk : vk + 32));
  if (vk >= '0' && vk <= '9') return QString(QChar(vk));
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return QString(QChar('0' + vk - VK_NUMPAD0));
  switch (vk) {
    case VK_SPACE: return QStringLiteral(" ");
    case VK_RETURN: return QStringLiteral("\r");
    case VK_BACK: return QStringLiteral("\b");
    case VK_TAB: return QStringLiteral("\t");
    case VK_ESCAPE: return QString(QChar(0x1B));
    case VK_DECIMAL: case VK_OEM_PERIOD: return QStringLiteral(".");
    case VK_OEM_COMMA: return QStringLiteral(",");
    case VK_OEM_MINUS: case VK_SUBTRACT: return QStringLiteral("-");
    default: return {};
  }
}

QWidget* Target(TControl* control) {
  QWidget* w = WidgetNeeded(control);
  if (!w) {
    if (control->Parent()) control->Parent()->HandleNeeded();
    w = WidgetOf(control);
  }
  // Keys go where Qt would send them: the focus proxy of a compound widget.
  return w;
}

QWidget* KeyTarget(TControl* control) {
  QWidget* w = Target(control);
  if (w && w->focusProxy()) return w->focusProxy();
  return w;
}

}  // namespace

bool SimulateKeyDown(TWinControl* control, Word vk, TShiftState shift, const AnsiString& text, bool keypad) {
  QWidget* w = KeyTarget(control);
  if (!w) return false;
  QString t = text == "\x01" ? DefaultText(vk, shift) : ToQString(text);
  QKeyEvent e(QEvent::KeyPress, QtKeyOf(vk, keypad), Mods(shift, keypad), t);
  SetLastKeyReachedWidget(true);
  QCoreApplication::sendEvent(w, &e);
  return GetLastKeyReachedWidget();
}

void SimulateKeyUp(TWinControl* control, Word vk, TShiftState shift) {
  QWidget* w = KeyTarget(control);
  if (!w) return;
  QKeyEvent e(QEvent::KeyRelease, QtKeyOf(vk, false), Mods(shift));
  QCoreApplication::sendEvent(w, &e);
}

bool SimulateKey(TWinControl* control, Word vk, TShiftState shift, const AnsiString& text, bool keypad) {
  bool reached = SimulateKeyDown(control, vk, shift, text, keypad);
  if (IsLiveControl(control)) SimulateKeyUp(control, vk, shift);
  return reached;
}

void SimulateTyping(TWinControl* control, const AnsiString& text) {
  for (std::size_t i = 0; i < text.size() && IsLiveControl(control); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t n = (IsLeadByte(c) && i + 1 < text.size()) ? 2 : 1;
    AnsiString one = text.substr(i, n);
    Word vk = 0;
    if (c >= 'a' && c <= 'z') vk = static_cast<Word>(c - 32);
    else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) vk = c;
    else if (c == ' ') vk = VK_SPACE;
    SimulateKey(control, vk, (c >= 'A' && c <= 'Z') ? TShiftState{ssShift} : TShiftState{}, one);
    i += n - 1;
  }
}

void SimulateImeCommit(TWinControl* control, const AnsiString& text) {
  QWidget* w = KeyTarget(control);
  if (!w) return;
  QInputMethodEvent e;
  e.setCommitString(ToQString(text));
  QCoreApplication::sendEvent(w, &e);
}

void SimulateImeCommitW(TWinControl* control, std::u16string_view text) {
  QWidget* w = KeyTarget(control);
  if (!w) return;
  QInputMethodEvent e;
  e.setCommitString(QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size())));
  QCoreApplication::sendEvent(w, &e);
}

namespace {
void SendMouse(TControl* control, QEvent::Type type, TMouseButton button, int x, int y, TShiftState shift,
               bool buttonDown) {
  QWidget* w = Target(control);
  if (!w) return;
  const int inset = ClientInset(control);  // client coordinates start inside a drawn frame
  x += inset;
  y += inset;
  // The mouse goes to the innermost widget under it (a list's viewport),
  // as the desktop delivers it.
  if (QWidget* inner = w->childAt(x, y); inner && !ControlOfWidget(inner)) {
    QPoint p = inner->mapFrom(w, QPoint(x, y));
    w = inner;
    x = p.x();
    y = p.y();
  }
  QPointF local(x, y);
  Qt::MouseButton b = type == QEvent::MouseMove ? Qt::NoButton : Button(button);
  Qt::MouseButtons held;
  if (buttonDown) held |= Button(button);
  if (shift.contains(ssLeft)) held |= Qt::LeftButton;
  if (shift.contains(ssRight)) held |= Qt::RightButton;
  QMouseEvent e(type, local, w->mapToGlobal(local), b, held, Mods(shift));
  QCoreApplication::sendEvent(w, &e);
}
}  // namespace

void SimulateMouseDown(TControl* c, TMouseButton b, int x, int y, TShiftState s) {
  SendMouse(c, QEvent::MouseButtonPress, b, x, y, s, true);
}
void SimulateMouseUp(TControl* c, TMouseButton b, int x, int y, TShiftState s) {
  SendMouse(c, QEvent::MouseButtonRelease, b, x, y, s, false);
}
void SimulateMouseMove(TControl* c, int x, int y, TShiftState s) {
  SendMouse(c, QEvent::MouseMove, mbLeft, x, y, s, false);
}
void SimulateDblClick(TControl* c, int x, int y) {
  SendMouse(c, QEvent::MouseButtonDblClick, mbLeft, x, y, {}, true);
  if (IsLiveControl(c)) SendMouse(c, QEvent::MouseButtonRelease, mbLeft, x, y, {}, false);
}
void SimulateClick(TControl* c, int x, int y) {
  SimulateMouseDown(c, mbLeft, x, y);
  if (IsLiveControl(c)) SimulateMouseUp(c, mbLeft, x, y);
}

void SimulateMouseLeave(TControl* c) {
  QWidget* w = Target(c);
  if (!w) return;
  QEvent e(QEvent::Leave);
  QCoreApplication::sendEvent(w, &e);
}

void SimulateThemeChange(TControl* c) {
  QWidget* w = Target(c);
  if (!w) return;
  QEvent e(QEvent::ThemeChange);
  QCoreApplication::sendEvent(w, &e);
}

void SimulateWheel(TControl* c, int delta, TShiftState s) {
  QWidget* w = Target(c);
  if (!w) return;
  QPointF local(2, 2);
  QWheelEvent e(local, w->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton, Mods(s), Qt::NoScrollPhase,
                false);
  QCoreApplication::sendEvent(w, &e);
}

void SimulateCloseButton(TWinControl* form) {
  QWidget* w = Target(form);
  if (!w) return;
  QCloseEvent e;
  QCoreApplication::sendEvent(w, &e);
}

void SimulateContextMenu(TControl* c, int x, int y) {
  QWidget* w = Target(c);
  if (!w) return;
  const int inset = ClientInset(c);
  QPoint p(x + inset, y + inset);
  QContextMenuEvent e(QContextMenuEvent::Mouse, p, w->mapToGlobal(p));
  QCoreApplication::sendEvent(w, &e);
}

int SimulateDrag(TWinControl* control, TDragPhase phase, const TDragData& data, TPoint pt, TShiftState shift,
                 int allowedEffects) {
  QWidget* w = Target(control);
  if (!w) return DROPEFFECT_NONE;
  QMimeData mime;
  TClipboard::TContent content(data.Formats.begin(), data.Formats.end());
  if (data.HasText) content[CF_TEXT] = data.Text;
  if (!data.Files.empty()) content[CF_HDROP] = JoinFileNames(data.Files);
  FillMimeData(mime, content);
  Qt::DropActions actions;
  if (allowedEffects & DROPEFFECT_COPY) actions |= Qt::CopyAction;
  if (allowedEffects & DROPEFFECT_MOVE) actions |= Qt::MoveAction;
  if (allowedEffects & DROPEFFECT_LINK) actions |= Qt::LinkAction;
  const int inset = ClientInset(control);
  QPoint p(pt.X + inset, pt.Y + inset);
  auto effectOf = [](const QDropEvent& e) {
    if (!e.isAccepted()) return DROPEFFECT_NONE;
    switch (e.dropAction()) {
      case Qt::CopyAction: return DROPEFFECT_COPY;
      case Qt::MoveAction: return DROPEFFECT_MOVE;
      case Qt::LinkAction: return DROPEFFECT_LINK;
      default: return DROPEFFECT_NONE;
    }
  };
  switch (phase) {
    case dpEnter: {
      QDragEnterEvent e(p, actions, &mime, Qt::NoButton, Mods(shift));
      e.setAccepted(false);
      QCoreApplication::sendEvent(w, &e);
      return effectOf(e);
    }
    case dpOver: {
      QDragMoveEvent e(p, actions, &mime, Qt::NoButton, Mods(shift));
      e.setAccepted(false);
      QCoreApplication::sendEvent(w, &e);
      return effectOf(e);
    }
    case dpLeave: {
      QDragLeaveEvent e;
      QCoreApplication::sendEvent(w, &e);
      return DROPEFFECT_NONE;
    }
    case dpDrop: {
      QDropEvent e(QPointF(p), actions, &mime, Qt::NoButton, Mods(shift));
      e.setAccepted(false);
      QCoreApplication::sendEvent(w, &e);
      return effectOf(e);
    }
  }
  return DROPEFFECT_NONE;
}

bool SimulateScroll(TWinControl* control, int bar, Word code, int pos) {
  QWidget* w = WidgetOf(control);
  if (!w) return false;
  for (QScrollBar* sb : w->findChildren<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (!sb->property("vidrenaScrollBar").toBool() || !sb->isVisibleTo(w)) continue;
    if ((sb->orientation() == Qt::Vertical) != (bar == SB_VERT)) continue;
    switch (code) {
      case SB_LINEDOWN: sb->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
      case SB_LINEUP: sb->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
      case SB_PAGEDOWN: sb->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
      case SB_PAGEUP: sb->triggerAction(QAbstractSlider::SliderPageStepSub); break;
      case SB_TOP: sb->triggerAction(QAbstractSlider::SliderToMinimum); break;
      case SB_BOTTOM: sb->triggerAction(QAbstractSlider::SliderToMaximum); break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        sb->setSliderDown(true);
        sb->setSliderPosition(pos);
        sb->setSliderDown(false);
        break;
      default: return false;
    }
    return true;
  }
  return false;
}

bool WindowShowing(TControl* control) {
  QWidget* w = WidgetOf(control);
  return w && w->isVisible();
}
