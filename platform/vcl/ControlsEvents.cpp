// The one place where Qt events become window messages.
//
//   TranslateQtEvent
//     keys ........ WM_GETDLGCODE / CM_DIALOGKEY, WM_KEYDOWN, WM_CHAR per code
//                   page 949 byte, WM_KEYUP (key data with scan code and flags)
//     input method  committed text as WM_CHAR
//     mouse ....... WM_SETCURSOR + WM_MOUSEMOVE, buttons, double clicks,
//                   CM_MOUSEENTER / CM_MOUSELEAVE, WM_CONTEXTMENU
//     wheel ....... deltas gathered into whole notches of 120
//     focus ....... WM_SETFOCUS / WM_KILLFOCUS, then CM_EXIT and CM_ENTER
//     window ...... size and move from outside, close, activation, theme
//                   change, drag and drop
//
// A Qt event goes on to the widget only when its message reached the
// default handler (see TControl::DefaultHandler).
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QWheelEvent>

#include "platform/vcl/Controls_p.h"
#include "platform/vcl/DragDrop_p.h"
#include "platform/vcl/Forms.h"

void RecordKey(int vk, bool down);

namespace {

constexpr int HTCLIENT = 1;

struct KeyMapping {
  Word vk = 0;
  int scan = 0;
  bool extended = false;
};

// The virtual key, the PC scan code where it matters (the keypad, whose
// decimal key the grid tells from the main full stop by scan-code bit 0x40)
// and the extended-key flag.
KeyMapping MapKey(const QKeyEvent* e) {
  const int key = e->key();
  const bool keypad = e->modifiers() & Qt::KeypadModifier;
  KeyMapping k;
  if (keypad) {
    static const struct { int qt; Word vk; int scan; } kPad[] = {
        {Qt::Key_0, VK_NUMPAD0, 0x52}, {Qt::Key_1, VK_NUMPAD0 + 1, 0x4F}, {Qt::Key_2, VK_NUMPAD0 + 2, 0x50},
        {Qt::Key_3, VK_NUMPAD0 + 3, 0x51}, {Qt::Key_4, VK_NUMPAD0 + 4, 0x4B}, {Qt::Key_5, VK_NUMPAD0 + 5, 0x4C},
        {Qt::Key_6, VK_NUMPAD0 + 6, 0x4D}, {Qt::Key_7, VK_NUMPAD0 + 7, 0x47}, {Qt::Key_8, VK_NUMPAD0 + 8, 0x48},
        {Qt::Key_9, VK_NUMPAD0 + 9, 0x49}, {Qt::Key_Asterisk, VK_MULTIPLY, 0x37}, {Qt::Key_Plus, VK_ADD, 0x4E},
        {Qt::Key_Minus, VK_SUBTRACT, 0x4A}, {Qt::Key_Period, VK_DECIMAL, 0x53}, {Qt::Key_Comma, VK_DECIMAL, 0x53},
        {Qt::Key_Delete, VK_DECIMAL, 0x53}, {Qt::Key_Slash, VK_DIVIDE, 0x35},
        {Qt::Key_Insert, VK_NUMPAD0, 0x52}, {Qt::Key_End, VK_NUMPAD0 + 1, 0x4F}, {Qt::Key_Down, VK_NUMPAD0 + 2, 0x50},
        {Qt::Key_PageDown, VK_NUMPAD0 + 3, 0x51}, {Qt::Key_Left, VK_NUMPAD0 + 4, 0x4B}, {Qt::Key_Clear, VK_NUMPAD0 + 5, 0x4C},
        {Qt::Key_Right, VK_NUMPAD0 + 6, 0x4D}, {Qt::Key_Home, VK_NUMPAD0 + 7, 0x47}, {Qt::Key_Up, VK_NUMPAD0 + 8, 0x48},
        {Qt::Key_PageUp, VK_NUMPAD0 + 9, 0x49},
    };
    for (const auto& p : kPad) {
      if (p.qt == key) {
        k.vk = p.vk;
        k.scan = p.scan;
        k.extended = p.vk == VK_DIVIDE;
        // Without Num Lock the keypad digits are navigation keys.
        if (key == Qt::Key_Insert || key == Qt::Key_End || key == Qt::Key_Down || key == Qt::Key_PageDown ||
            key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_Up ||
            key == Qt::Key_PageUp || key == Qt::Key_Delete) {
          static const std::pair<int, Word> kNav[] = {
              {Qt::Key_Insert, VK_INSERT}, {Qt::Key_End, VK_END}, {Qt::Key_Down, VK_DOWN},
              {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_Left, VK_LEFT}, {Qt::Key_Right, VK_RIGHT},
              {Qt::Key_Home, VK_HOME}, {Qt::Key_Up, VK_UP}, {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_Delete, VK_DELETE}};
          for (auto [q, v] : kNav) if (q == key) k.vk = v;
        }
        return k;
      }
    }
    if (key == Qt::Key_Enter || key == Qt::Key_Return) return {VK_RETURN, 0x1C, true};
  }
  static const std::pair<int, Word> kKeys[] = {
      {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB},
      {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN}, {Qt::Key_Shift, VK_SHIFT},
      {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU}, {Qt::Key_Pause, VK_PAUSE},
      {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Space, VK_SPACE},
      {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_End, VK_END},
      {Qt::Key_Home, VK_HOME}, {Qt::Key_Left, VK_LEFT}, {Qt::Key_Up, VK_UP},
      {Qt::Key_Right, VK_RIGHT}, {Qt::Key_Down, VK_DOWN}, {Qt::Key_Insert, VK_INSERT},
      {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Help, VK_HELP}, {Qt::Key_Menu, VK_APPS},
      {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL}, {Qt::Key_Print, VK_SNAPSHOT},
      {Qt::Key_Clear, VK_CLEAR}, {Qt::Key_Hangul, VK_HANGUL}, {Qt::Key_Hangul_Hanja, VK_HANJA},
      {Qt::Key_Semicolon, VK_OEM_1}, {Qt::Key_Colon, VK_OEM_1}, {Qt::Key_Equal, VK_OEM_PLUS},
      {Qt::Key_Plus, VK_OEM_PLUS}, {Qt::Key_Comma, VK_OEM_COMMA}, {Qt::Key_Less, VK_OEM_COMMA},
      {Qt::Key_Minus, VK_OEM_MINUS}, {Qt::Key_Underscore, VK_OEM_MINUS}, {Qt::Key_Period, VK_OEM_PERIOD},
      {Qt::Key_Greater, VK_OEM_PERIOD}, {Qt::Key_Slash, VK_OEM_2}, {Qt::Key_Question, VK_OEM_2},
      {Qt::Key_QuoteLeft, VK_OEM_3}, {Qt::Key_AsciiTilde, VK_OEM_3}, {Qt::Key_BracketLeft, VK_OEM_4},
      {Qt::Key_BraceLeft, VK_OEM_4}, {Qt::Key_Backslash, VK_OEM_5}, {Qt::Key_Bar, VK_OEM_5},
      {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6}, {Qt::Key_Apostrophe, VK_OEM_7},
      {Qt::Key_QuoteDbl, VK_OEM_7},
      // Shifted digits on a US layout.
      {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'}, {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
      {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},
      {Qt::Key_Asterisk, '8'}, {Qt::Key_ParenLeft, '9'}, {Qt::Key_ParenRight, '0'},
  };
  for (auto [q, v] : kKeys) {
    if (q == key) {
      k.vk = v;
      break;
    }
  }
  if (!k.vk) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) k.vk = static_cast<Word>('0' + (key - Qt::Key_0));
    else if (key >= Qt::Key_A && key <= Qt::Key_Z) k.vk = static_cast<Word>('A' + (key - Qt::Key_A));
    else if (key >= Qt::Key_F1 && key <= Qt::Key_F24) k.vk = static_cast<Word>(VK_F1 + (key - Qt::Key_F1));
  }
  switch (k.vk) {
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME: case VK_LEFT: case VK_UP:
    case VK_RIGHT: case VK_DOWN: case VK_INSERT: case VK_DELETE:
      k.extended = true;
      break;
    case VK_OEM_PERIOD:
      k.scan = 0x34;
      break;
    default:
      break;
  }
  if (!k.scan && e->nativeScanCode() > 8) k.scan = static_cast<int>((e->nativeScanCode() - 8) & 0x7F);
  return k;
}

LPARAM KeyData(const KeyMapping& k, bool alt, bool repeat, bool up) {
  std::uint32_t d = 1u | (static_cast<std::uint32_t>(k.scan & 0xFF) << 16);
  if (k.extended) d |= 1u << 24;
  if (alt) d |= 1u << 29;
  if (repeat || up) d |= 1u << 30;
  if (up) d |= 1u << 31;
  return static_cast<LPARAM>(d);
}

// The code page 949 bytes a key event types; control characters for the
// keys that have them when Qt gave no text (synthetic events).
AnsiString KeyText(const QKeyEvent* e, Word vk) {
  QString text = e->text();
  if (!text.isEmpty()) {
    if (text.size() == 1 && text[0].unicode() < 0x20) return AnsiString(1, static_cast<char>(text[0].unicode()));
    return FromQString(text);
  }
  if (vk == VK_BACK || vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE) return AnsiString(1, static_cast<char>(vk));
  if ((e->modifiers() & Qt::ControlModifier) && vk >= 'A' && vk <= 'Z') return AnsiString(1, static_cast<char>(vk - 0x40));
  return {};
}

bool IsPaintWidget(TWindowHandle* h) { return dynamic_cast<TPaintWidget*>(h->Widget()) != nullptr; }

// Delivers characters; true when the widget must not see the original event.
// Changed characters go to the widget in a new event built by resend.
bool DeliverChars(TWindowHandle* h, TControl* control, const AnsiString& text, Cardinal msg, LPARAM keyData,
                  AnsiString& delivered, bool& alive) {
  bool changed = false;
  for (unsigned char byte : text) {
    TMessage m;
    m.Msg = msg;
    m.WParam = byte;
    m.LParam = keyData;
    bool reached = PerformReachesDefault(control, m);
    if (!IsLiveControl(control)) {
      alive = false;
      return true;
    }
    if (!reached) {
      changed = true;
      continue;
    }
    auto out = static_cast<unsigned char>(m.WParam & 0xFF);
    if (out == 0) {
      changed = true;
      continue;
    }
    if (out != byte) changed = true;
    delivered.push_back(static_cast<char>(out));
  }
  return changed;
}

bool TranslateKeyPress(TWindowHandle* h, QObject* watched, QKeyEvent* e) {
  auto* control = dynamic_cast<TWinControl*>(h->Control());
  if (!control) return false;
  RecordModifiers(e->modifiers(), QApplication::mouseButtons());
  KeyMapping k = MapKey(e);
  if (k.vk) RecordKey(k.vk, true);
  const bool alt = e->modifiers() & Qt::AltModifier;
  LPARAM keyData = KeyData(k, alt, e->isAutoRepeat(), false);

  // A window that wants Tab keeps the focus: Qt must not move it on.
  bool keepTab = false;
  if (k.vk == VK_TAB || k.vk == VK_RETURN || k.vk == VK_ESCAPE) {
    LRESULT code = control->Perform(WM_GETDLGCODE, k.vk, 0);
    bool wanted = (code & DLGC_WANTALLKEYS) || (k.vk == VK_TAB && (code & DLGC_WANTTAB)) ||
                  control->Perform(CM_WANTSPECIALKEY, k.vk, keyData) != 0;
    if (!IsLiveControl(control)) return true;
    if (!wanted) {
      if (k.vk == VK_TAB) return false;  // focus moves to the next control, natively
      TCustomForm* form = GetParentForm(control);
      if (form && form->Perform(CM_DIALOGKEY, k.vk, keyData) != 0) return true;
      if (!IsLiveControl(control)) return true;
    } else {
      keepTab = k.vk == VK_TAB && IsPaintWidget(h);
    }
  }

  TMessage down{alt ? WM_SYSKEYDOWN : WM_KEYDOWN, k.vk, keyData, 0};
  bool reached = k.vk ? PerformReachesDefault(control, down) : true;
  if (!IsLiveControl(control)) return true;
  if (!reached) return true;  // a key set to 0 stops here, and types nothing

  AnsiString text = KeyText(e, k.vk);
  if (text.empty()) return keepTab;
  AnsiString delivered;
  bool alive = true;
  bool changed = DeliverChars(h, control, text, alt ? WM_SYSCHAR : WM_CHAR, keyData, delivered, alive);
  if (!alive || keepTab) return true;
  if (!changed) return false;
  if (!delivered.empty()) {
    QKeyEvent replaced(e->type(), e->key(), e->modifiers(), ToQString(delivered), e->isAutoRepeat(),
                       static_cast<quint16>(e->count()));
    DeliverNatively(watched, &replaced);
  }
  return true;
}

bool TranslateKeyRelease(TWindowHandle* h, QKeyEvent* e) {
  auto* control = dynamic_cast<TWinControl*>(h->Control());
  if (!control || e->isAutoRepeat()) return false;
  RecordModifiers(e->modifiers(), QApplication::mouseButtons());
  KeyMapping k = MapKey(e);
  if (!k.vk) return false;
  RecordKey(k.vk, false);
  const bool alt = e->modifiers() & Qt::AltModifier;
  TMessage up{alt ? WM_SYSKEYUP : WM_KEYUP, k.vk, KeyData(k, alt, false, true), 0};
  return !PerformReachesDefault(control, up);
}

bool TranslateInputMethod(TWindowHandle* h, QObject* watched, QInputMethodEvent* e) {
  auto* control = dynamic_cast<TWinControl*>(h->Control());
  if (!control || e->commitString().isEmpty()) return false;
  AnsiString text = FromQString(e->commitString());
  AnsiString delivered;
  bool alive = true;
  bool changed = DeliverChars(h, control, text, WM_CHAR, 1, delivered, alive);
  if (!alive) return true;
  if (!changed) return false;
  QInputMethodEvent replaced(e->preeditString(), e->attributes());
  replaced.setCommitString(ToQString(delivered), e->replacementStart(), e->replacementLength());
  DeliverNatively(watched, &replaced);
  return true;
}

// Client coordinates of the control (inside a frame it draws itself).
QPoint PosInWidget(TWindowHandle* h, QObject* watched, QPointF pos) {
  QPoint p = pos.toPoint();
  auto* from = qobject_cast<QWidget*>(watched);
  if (from && from != h->Widget()) p = from->mapTo(h->Widget(), p);
  int inset = ClientInset(h->Control());
  return p - QPoint(inset, inset);
}

void EnsureEntered(TWindowHandle* h, TControl* control) {
  if (h->mouseInside) return;
  h->mouseInside = true;
  control->Perform(CM_MOUSEENTER, 0, 0);
}

bool TranslateMouse(TWindowHandle* h, QObject* watched, QMouseEvent* e) {
  TControl* control = h->Control();
  RecordModifiers(e->modifiers(), e->buttons());
  QPoint p = PosInWidget(h, watched, e->position());
  WPARAM keys = MouseKeysFromQt(e->modifiers(), e->buttons());
  LPARAM pos = MAKELPARAM(p.x(), p.y());
  Cardinal msg = 0;
  int base = 0;
  switch (e->button()) {
    case Qt::LeftButton: base = WM_LBUTTONDOWN; break;
    case Qt::RightButton: base = WM_RBUTTONDOWN; break;
    case Qt::MiddleButton: base = WM_MBUTTONDOWN; break;
    default: break;
  }
  switch (e->type()) {
    case QEvent::MouseButtonPress:
      if (!base) return false;
      msg = base;
      break;
    case QEvent::MouseButtonRelease:
      if (!base) return false;
      msg = base + 1;
      break;
    case QEvent::MouseButtonDblClick:
      if (!base) return false;
      msg = base + 2;
      break;
    case QEvent::MouseMove: {
      EnsureEntered(h, control);
      if (!IsLiveControl(control)) return true;
      control->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
      if (!IsLiveControl(control)) return true;
      msg = WM_MOUSEMOVE;
      break;
    }
    default:
      return false;
  }
  if (msg != WM_MOUSEMOVE) EnsureEntered(h, control);
  if (!IsLiveControl(control)) return true;
  TMessage m{msg, keys, pos, 0};
  bool reached = PerformReachesDefault(control, m);
  return !reached || !IsLiveControl(control);
}

bool TranslateWheel(TWindowHandle* h, QWheelEvent* e) {
  TControl* control = h->Control();
  RecordModifiers(e->modifiers(), e->buttons());
  const bool own = IsPaintWidget(h);
  QPoint delta = e->angleDelta();
  bool vertical = delta.y() != 0;
  int& acc = vertical ? h->wheelAccumY : h->wheelAccumX;
  acc += vertical ? delta.y() : delta.x();
  // Touchpads send a fraction of a notch at a time: the control hears of
  // whole notches only, as the wheel messages have always counted them.
  int notches = acc / WHEEL_DELTA;
  if (notches == 0) return own;
  int sent = notches * WHEEL_DELTA;
  acc -= sent;
  QPoint global = e->globalPosition().toPoint();
  TMessage m{vertical ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL,
             MAKEWPARAM(static_cast<int>(MouseKeysFromQt(e->modifiers(), e->buttons())), sent),
             MAKELPARAM(global.x(), global.y()), 0};
  bool reached = PerformReachesDefault(control, m);
  if (!reached || !IsLiveControl(control)) return true;
  if (!own) return false;  // a list or an edit scrolls by itself
  // A turn nobody took goes on to the parent windows, as the system passes
  // an unhandled wheel message on.
  for (TWinControl* parent = control->Parent(); parent; parent = parent->Parent()) {
    TMessage pm = m;
    pm.Result = 0;
    if (!PerformReachesDefault(parent, pm) || !IsLiveControl(parent)) break;
  }
  return true;
}

bool TranslateFocus(TWindowHandle* h, QFocusEvent* e) {
  auto* control = dynamic_cast<TWinControl*>(h->Control());
  if (!control) return false;
  if (e->type() == QEvent::FocusIn) {
    TMessage m{WM_SETFOCUS, 0, 0, 0};
    PerformReachesDefault(control, m);
    if (!IsLiveControl(control)) return false;
    TWinControl*& pending = PendingExitControl();
    if (pending == control) {
      pending = nullptr;  // the focus came back to where it was
      return false;
    }
    if (pending) {
      TWinControl* leaving = pending;
      pending = nullptr;
      leaving->Perform(CM_EXIT, 0, 0);
      if (!IsLiveControl(control)) return false;
    }
    control->Perform(CM_ENTER, 0, 0);
    return false;
  }
  TMessage m{WM_KILLFOCUS, 0, 0, 0};
  PerformReachesDefault(control, m);
  if (!IsLiveControl(control)) return false;
  // A menu opening or another program's window taking over is no exit: the
  // focus comes back to the same control.
  if (e->reason() != Qt::PopupFocusReason && e->reason() != Qt::ActiveWindowFocusReason) {
    PendingExitControl() = control;
  }
  return false;
}

}  // namespace

bool TranslateQtEvent(TWindowHandle* h, QObject* watched, QEvent* event) {
  TControl* control = h->Control();
  if (!control || !h->Widget()) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
      return TranslateKeyPress(h, watched, static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
      return TranslateKeyRelease(h, static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod:
      return TranslateInputMethod(h, watched, static_cast<QInputMethodEvent*>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      if (!control->Enabled()) return false;
      return TranslateMouse(h, watched, static_cast<QMouseEvent*>(event));
    case QEvent::Wheel:
      return TranslateWheel(h, static_cast<QWheelEvent*>(event));
    case QEvent::Enter:
      if (watched == h->Widget()) EnsureEntered(h, control);
      return false;
    case QEvent::Leave:
      if (watched == h->Widget() && h->mouseInside) {
        h->mouseInside = false;
        control->Perform(CM_MOUSELEAVE, 0, 0);
      }
      return false;
    case QEvent::ContextMenu: {
      auto* e = static_cast<QContextMenuEvent*>(event);
      QPoint g = e->globalPos();
      TMessage m{WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), MAKELPARAM(g.x(), g.y()), 0};
      return !PerformReachesDefault(control, m);
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut:
      // Focus of a compound widget's inner editor counts as the control's.
      return TranslateFocus(h, static_cast<QFocusEvent*>(event));
    case QEvent::Resize: {
      if (watched != h->Widget()) return false;
      h->UpdateScrollBars();
      QSize s = static_cast<QResizeEvent*>(event)->size();
      if (s.width() != control->Width() || s.height() != control->Height()) {
        // The user sized the window: the control takes the size it got.
        TControlAccess::StoreBounds(control, control->Left(), control->Top(), s.width(), s.height());
        control->Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(s.width(), s.height()));
      }
      return false;
    }
    case QEvent::Move: {
      if (watched != h->Widget() || !h->Widget()->isWindow()) return false;
      QPoint p = h->Widget()->pos();
      if (p.x() != control->Left() || p.y() != control->Top()) {
        TControlAccess::StoreBounds(control, p.x(), p.y(), control->Width(), control->Height());
        control->Perform(WM_MOVE, 0, MAKELPARAM(p.x(), p.y()));
      }
      return false;
    }
    case QEvent::Close:
      if (watched != h->Widget()) return false;
      event->ignore();
      control->Perform(WM_CLOSE, 0, 0);
      return true;
    case QEvent::WindowActivate:
      if (watched == h->Widget()) control->Perform(CM_ACTIVATE, 0, 0);
      return false;
    case QEvent::WindowDeactivate:
      if (watched == h->Widget()) control->Perform(CM_DEACTIVATE, 0, 0);
      return false;
    case QEvent::ThemeChange:
    case QEvent::StyleChange:
      if (watched == h->Widget()) control->Perform(WM_THEMECHANGED, 0, 0);
      return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
      return TranslateDropEvent(control, event);
    default:
      return false;
  }
}

