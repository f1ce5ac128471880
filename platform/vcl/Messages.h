// Window messages: the TMessage record, the WM_/CM_/CN_ numbers, virtual key
// codes and the small packing helpers that message handlers use.
//
// Every input and notification a control receives arrives as a TMessage
// (translated from Qt in one place, ControlsEvents.cpp) and runs through
// TWinControl::WndProc -> the message's virtual handler -> the dynamic method
// -> the event, so code written for the class library reads the same here.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT = unsigned int;

// A window handle. Opaque outside platform/vcl; FindControl maps it back.
class TWindowHandle;
using HWND = TWindowHandle*;

struct TMessage {
  Cardinal Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;

  Word WParamLo() const { return static_cast<Word>(WParam & 0xFFFF); }
  Word WParamHi() const { return static_cast<Word>((WParam >> 16) & 0xFFFF); }
  Word LParamLo() const { return static_cast<Word>(LParam & 0xFFFF); }
  Word LParamHi() const { return static_cast<Word>((static_cast<std::uintptr_t>(LParam) >> 16) & 0xFFFF); }
};

// ------------------------------------------------------------ packing helpers

inline constexpr Word LOWORD(std::uintptr_t v) { return static_cast<Word>(v & 0xFFFF); }
inline constexpr Word HIWORD(std::uintptr_t v) { return static_cast<Word>((v >> 16) & 0xFFFF); }
inline constexpr LPARAM MAKELPARAM(int lo, int hi) {
  return static_cast<LPARAM>(static_cast<std::uint32_t>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}
inline constexpr WPARAM MAKEWPARAM(int lo, int hi) {
  return static_cast<WPARAM>(static_cast<std::uint32_t>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}
// Mouse coordinates are signed 16-bit: a captured mouse left of a window is negative.
inline constexpr int GET_X_LPARAM(LPARAM l) { return static_cast<SmallInt>(LOWORD(static_cast<std::uintptr_t>(l))); }
inline constexpr int GET_Y_LPARAM(LPARAM l) { return static_cast<SmallInt>(HIWORD(static_cast<std::uintptr_t>(l))); }
inline constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM w) { return static_cast<SmallInt>(HIWORD(w)); }
inline constexpr int GET_KEYSTATE_WPARAM(WPARAM w) { return LOWORD(w); }
inline TPoint PointFromLParam(LPARAM l) { return {GET_X_LPARAM(l), GET_Y_LPARAM(l)}; }
inline LPARAM PointToLParam(TPoint p) { return MAKELPARAM(p.X, p.Y); }

inline constexpr int WHEEL_DELTA = 120;

// ------------------------------------------------------------ window messages

inline constexpr Cardinal WM_NULL = 0x0000;
inline constexpr Cardinal WM_CREATE = 0x0001;
inline constexpr Cardinal WM_DESTROY = 0x0002;
inline constexpr Cardinal WM_MOVE = 0x0003;
inline constexpr Cardinal WM_SIZE = 0x0005;
inline constexpr Cardinal WM_ACTIVATE = 0x0006;
inline constexpr Cardinal WM_SETFOCUS = 0x0007;
inline constexpr Cardinal WM_KILLFOCUS = 0x0008;
inline constexpr Cardinal WM_ENABLE = 0x000A;
inline constexpr Cardinal WM_SETREDRAW = 0x000B;
inline constexpr Cardinal WM_SETTEXT = 0x000C;
inline constexpr Cardinal WM_GETTEXT = 0x000D;
inline constexpr Cardinal WM_GETTEXTLENGTH = 0x000E;
inline constexpr Cardinal WM_PAINT = 0x000F;
inline constexpr Cardinal WM_CLOSE = 0x0010;
inline constexpr Cardinal WM_ERASEBKGND = 0x0014;
inline constexpr Cardinal WM_SHOWWINDOW = 0x0018;
inline constexpr Cardinal WM_ACTIVATEAPP = 0x001C;
inline constexpr Cardinal WM_CANCELMODE = 0x001F;
inline constexpr Cardinal WM_SETCURSOR = 0x0020;
inline constexpr Cardinal WM_CONTEXTMENU = 0x007B;
inline constexpr Cardinal WM_NCPAINT = 0x0085;
inline constexpr Cardinal WM_GETDLGCODE = 0x0087;
inline constexpr Cardinal WM_KEYDOWN = 0x0100;
inline constexpr Cardinal WM_KEYUP = 0x0101;
inline constexpr Cardinal WM_CHAR = 0x0102;
inline constexpr Cardinal WM_SYSKEYDOWN = 0x0104;
inline constexpr Cardinal WM_SYSKEYUP = 0x0105;
inline constexpr Cardinal WM_SYSCHAR = 0x0106;
inline constexpr Cardinal WM_COMMAND = 0x0111;
inline constexpr Cardinal WM_SYSCOMMAND = 0x0112;
inline constexpr Cardinal WM_TIMER = 0x0113;
inline constexpr Cardinal WM_HSCROLL = 0x0114;
inline constexpr Cardinal WM_VSCROLL = 0x0115;
inline constexpr Cardinal WM_MOUSEFIRST = 0x0200;
inline constexpr Cardinal WM_MOUSEMOVE = 0x0200;
inline constexpr Cardinal WM_LBUTTONDOWN = 0x0201;
inline constexpr Cardinal WM_LBUTTONUP = 0x0202;
inline constexpr Cardinal WM_LBUTTONDBLCLK = 0x0203;
inline constexpr Cardinal WM_RBUTTONDOWN = 0x0204;
inline constexpr Cardinal WM_RBUTTONUP = 0x0205;
inline constexpr Cardinal WM_RBUTTONDBLCLK = 0x0206;
inline constexpr Cardinal WM_MBUTTONDOWN = 0x0207;
inline constexpr Cardinal WM_MBUTTONUP = 0x0208;
inline constexpr Cardinal WM_MBUTTONDBLCLK = 0x0209;
inline constexpr Cardinal WM_MOUSEWHEEL = 0x020A;
inline constexpr Cardinal WM_MOUSEHWHEEL = 0x020E;
inline constexpr Cardinal WM_MOUSELAST = 0x020E;
inline constexpr Cardinal WM_CAPTURECHANGED = 0x0215;
inline constexpr Cardinal WM_DROPFILES = 0x0233;
inline constexpr Cardinal WM_IME_CHAR = 0x0286;
inline constexpr Cardinal WM_MOUSELEAVE = 0x02A3;
inline constexpr Cardinal WM_CUT = 0x0300;
inline constexpr Cardinal WM_COPY = 0x0301;
inline constexpr Cardinal WM_PASTE = 0x0302;
inline constexpr Cardinal WM_CLEAR = 0x0303;
inline constexpr Cardinal WM_THEMECHANGED = 0x031A;
inline constexpr Cardinal WM_USER = 0x0400;
inline constexpr Cardinal WM_APP = 0x8000;

// ------------------------------------------------- the class library's own

inline constexpr Cardinal CM_BASE = 0xB000;
inline constexpr Cardinal CM_ACTIVATE = CM_BASE + 0;
inline constexpr Cardinal CM_DEACTIVATE = CM_BASE + 1;
inline constexpr Cardinal CM_GOTFOCUS = CM_BASE + 2;
inline constexpr Cardinal CM_LOSTFOCUS = CM_BASE + 3;
inline constexpr Cardinal CM_CANCELMODE = CM_BASE + 4;
inline constexpr Cardinal CM_DIALOGKEY = CM_BASE + 5;
inline constexpr Cardinal CM_DIALOGCHAR = CM_BASE + 6;
inline constexpr Cardinal CM_FOCUSCHANGED = CM_BASE + 7;
inline constexpr Cardinal CM_PARENTFONTCHANGED = CM_BASE + 8;
inline constexpr Cardinal CM_PARENTCOLORCHANGED = CM_BASE + 9;
inline constexpr Cardinal CM_VISIBLECHANGED = CM_BASE + 11;
inline constexpr Cardinal CM_ENABLEDCHANGED = CM_BASE + 12;
inline constexpr Cardinal CM_COLORCHANGED = CM_BASE + 13;
inline constexpr Cardinal CM_FONTCHANGED = CM_BASE + 14;
inline constexpr Cardinal CM_CURSORCHANGED = CM_BASE + 15;
inline constexpr Cardinal CM_TEXTCHANGED = CM_BASE + 18;
inline constexpr Cardinal CM_MOUSEENTER = CM_BASE + 19;
inline constexpr Cardinal CM_MOUSELEAVE = CM_BASE + 20;
inline constexpr Cardinal CM_SHOWINGCHANGED = CM_BASE + 25;
inline constexpr Cardinal CM_ENTER = CM_BASE + 26;
inline constexpr Cardinal CM_EXIT = CM_BASE + 27;
inline constexpr Cardinal CM_WANTSPECIALKEY = CM_BASE + 30;
inline constexpr Cardinal CM_RELEASE = CM_BASE + 33;
inline constexpr Cardinal CM_SHOWHINTCHANGED = CM_BASE + 34;
inline constexpr Cardinal CM_CHILDKEY = CM_BASE + 46;
inline constexpr Cardinal CM_HINTSHOW = CM_BASE + 48;
inline constexpr Cardinal CM_BIDIMODECHANGED = CM_BASE + 60;

// Notifications the parent reflects back to the child control that sent them.
inline constexpr Cardinal CN_BASE = 0xBC00;
inline constexpr Cardinal CN_COMMAND = CN_BASE + WM_COMMAND;
inline constexpr Cardinal CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
inline constexpr Cardinal CN_CHAR = CN_BASE + WM_CHAR;

// WM_COMMAND notification codes (high word of WParam).
inline constexpr Word BN_CLICKED = 0;
inline constexpr Word EN_CHANGE = 0x0300;
inline constexpr Word CBN_SELCHANGE = 1;
inline constexpr Word CBN_DBLCLK = 2;
inline constexpr Word CBN_SETFOCUS = 3;
inline constexpr Word CBN_KILLFOCUS = 4;
inline constexpr Word CBN_EDITCHANGE = 5;
inline constexpr Word CBN_DROPDOWN = 7;
inline constexpr Word CBN_CLOSEUP = 8;
inline constexpr Word LBN_SELCHANGE = 1;
inline constexpr Word LBN_DBLCLK = 2;

// WM_GETDLGCODE answers.
inline constexpr LRESULT DLGC_WANTARROWS = 0x0001;
inline constexpr LRESULT DLGC_WANTTAB = 0x0002;
inline constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
inline constexpr LRESULT DLGC_WANTCHARS = 0x0080;

// WM_SIZE kinds.
inline constexpr WPARAM SIZE_RESTORED = 0;
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SIZE_MAXIMIZED = 2;

// Scroll-bar codes (low word of WParam of WM_HSCROLL / WM_VSCROLL).
inline constexpr Word SB_LINEUP = 0;
inline constexpr Word SB_LINELEFT = 0;
inline constexpr Word SB_LINEDOWN = 1;
inline constexpr Word SB_LINERIGHT = 1;
inline constexpr Word SB_PAGEUP = 2;
inline constexpr Word SB_PAGELEFT = 2;
inline constexpr Word SB_PAGEDOWN = 3;
inline constexpr Word SB_PAGERIGHT = 3;
inline constexpr Word SB_THUMBPOSITION = 4;
inline constexpr Word SB_THUMBTRACK = 5;
inline constexpr Word SB_TOP = 6;
inline constexpr Word SB_BOTTOM = 7;
inline constexpr Word SB_ENDSCROLL = 8;
// Which bar.
inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_BOTH = 3;

// ------------------------------------------------------------ mouse key flags

inline constexpr Word MK_LBUTTON = 0x0001;
inline constexpr Word MK_RBUTTON = 0x0002;
inline constexpr Word MK_SHIFT = 0x0004;
inline constexpr Word MK_CONTROL = 0x0008;
inline constexpr Word MK_MBUTTON = 0x0010;

// ------------------------------------------------------------ virtual keys

inline constexpr Word VK_LBUTTON = 0x01;
inline constexpr Word VK_RBUTTON = 0x02;
inline constexpr Word VK_CANCEL = 0x03;
inline constexpr Word VK_MBUTTON = 0x04;
inline constexpr Word VK_BACK = 0x08;
inline constexpr Word VK_TAB = 0x09;
inline constexpr Word VK_CLEAR = 0x0C;
inline constexpr Word VK_RETURN = 0x0D;
inline constexpr Word VK_SHIFT = 0x10;
inline constexpr Word VK_CONTROL = 0x11;
inline constexpr Word VK_MENU = 0x12;
inline constexpr Word VK_PAUSE = 0x13;
inline constexpr Word VK_CAPITAL = 0x14;
inline constexpr Word VK_HANGUL = 0x15;
inline constexpr Word VK_HANJA = 0x19;
inline constexpr Word VK_ESCAPE = 0x1B;
inline constexpr Word VK_SPACE = 0x20;
inline constexpr Word VK_PRIOR = 0x21;
inline constexpr Word VK_NEXT = 0x22;
inline constexpr Word VK_END = 0x23;
inline constexpr Word VK_HOME = 0x24;
inline constexpr Word VK_LEFT = 0x25;
inline constexpr Word VK_UP = 0x26;
inline constexpr Word VK_RIGHT = 0x27;
inline constexpr Word VK_DOWN = 0x28;
inline constexpr Word VK_SNAPSHOT = 0x2C;
inline constexpr Word VK_INSERT = 0x2D;
inline constexpr Word VK_DELETE = 0x2E;
inline constexpr Word VK_HELP = 0x2F;
// '0'..'9' and 'A'..'Z' are their ASCII codes.
inline constexpr Word VK_LWIN = 0x5B;
inline constexpr Word VK_RWIN = 0x5C;
inline constexpr Word VK_APPS = 0x5D;
inline constexpr Word VK_NUMPAD0 = 0x60;
inline constexpr Word VK_NUMPAD9 = 0x69;
inline constexpr Word VK_MULTIPLY = 0x6A;
inline constexpr Word VK_ADD = 0x6B;
inline constexpr Word VK_SEPARATOR = 0x6C;
inline constexpr Word VK_SUBTRACT = 0x6D;
inline constexpr Word VK_DECIMAL = 0x6E;
inline constexpr Word VK_DIVIDE = 0x6F;
inline constexpr Word VK_F1 = 0x70;
inline constexpr Word VK_F2 = 0x71;
inline constexpr Word VK_F3 = 0x72;
inline constexpr Word VK_F4 = 0x73;
inline constexpr Word VK_F5 = 0x74;
inline constexpr Word VK_F6 = 0x75;
inline constexpr Word VK_F7 = 0x76;
inline constexpr Word VK_F8 = 0x77;
inline constexpr Word VK_F9 = 0x78;
inline constexpr Word VK_F10 = 0x79;
inline constexpr Word VK_F11 = 0x7A;
inline constexpr Word VK_F12 = 0x7B;
inline constexpr Word VK_NUMLOCK = 0x90;
inline constexpr Word VK_SCROLL = 0x91;
inline constexpr Word VK_OEM_1 = 0xBA;       // ;:
inline constexpr Word VK_OEM_PLUS = 0xBB;    // =+
inline constexpr Word VK_OEM_COMMA = 0xBC;   // ,<
inline constexpr Word VK_OEM_MINUS = 0xBD;   // -_
inline constexpr Word VK_OEM_PERIOD = 0xBE;  // .>
inline constexpr Word VK_OEM_2 = 0xBF;       // /?
inline constexpr Word VK_OEM_3 = 0xC0;       // `~
inline constexpr Word VK_OEM_4 = 0xDB;       // [{
inline constexpr Word VK_OEM_5 = 0xDC;       // \|
inline constexpr Word VK_OEM_6 = 0xDD;       // ]}
inline constexpr Word VK_OEM_7 = 0xDE;       // '"

// Key data (LParam of key and character messages): repeat count in bits 0-15,
// scan code in bits 16-23 (the keypad's keys carry their PC scan codes, so the
// keypad's decimal key, 0x53, has scan-code bit 0x40 = LParam bit 22 set),
// extended key bit 24, Alt held bit 29, key up bit 31.
inline constexpr LPARAM KF_KEYPAD_DECIMAL_BIT = LPARAM(1) << 22;
inline constexpr int ScanCodeOf(LPARAM keyData) { return static_cast<int>((keyData >> 16) & 0xFF); }

// ----------------------------------------------------------------- keyboard

// The state of a key as the last input event left it: bit 0x8000 set while down.
SmallInt GetKeyState(int virtKey);
SmallInt GetAsyncKeyState(int virtKey);

// ---------------------------------------------------------- sending messages

// Perform on the control behind the handle; 0 for a handle that is gone.
LRESULT SendMessage(HWND wnd, Cardinal msg, WPARAM wParam, LPARAM lParam);
// Queued through the event loop; a message to a control destroyed before
// delivery is dropped. False for a null handle.
bool PostMessage(HWND wnd, Cardinal msg, WPARAM wParam, LPARAM lParam);
