// Real input for tests: each call builds the Qt event the desktop would send
// and gives it to the control's window, so it takes the same path as a
// user's key or click (translation, messages, the native widget).
#pragma once

#include "platform/vcl/Controls.h"
#include "platform/vcl/DragDrop.h"

// Key down (and up) of a virtual key. text is what the key types (code page
// 949); left empty, letters, digits, space and the control keys type their
// usual character. keypad marks a key of the numeric keypad. Returns whether
// the widget got the key (false: a handler consumed it).
bool SimulateKeyDown(TWinControl* control, Word vk, TShiftState shift = {}, const AnsiString& text = "\x01",
                     bool keypad = false);
void SimulateKeyUp(TWinControl* control, Word vk, TShiftState shift = {});
bool SimulateKey(TWinControl* control, Word vk, TShiftState shift = {}, const AnsiString& text = "\x01",
                 bool keypad = false);
// Types text character by character (two-byte characters as one key each).
void SimulateTyping(TWinControl* control, const AnsiString& text);
// Text an input method commits (Hangul composed elsewhere).
void SimulateImeCommit(TWinControl* control, const AnsiString& text);
// The same with wide text, which may hold characters code page 949 lacks.
void SimulateImeCommitW(TWinControl* control, std::u16string_view text);

// Client coordinates of the control.
void SimulateMouseDown(TControl* control, TMouseButton button, int x, int y, TShiftState shift = {});
void SimulateMouseUp(TControl* control, TMouseButton button, int x, int y, TShiftState shift = {});
void SimulateMouseMove(TControl* control, int x, int y, TShiftState shift = {});
void SimulateDblClick(TControl* control, int x, int y);
void SimulateClick(TControl* control, int x, int y);
void SimulateMouseLeave(TControl* control);
// The desktop switching its theme or colour palette, as the window hears it.
void SimulateThemeChange(TControl* control);
// angleDelta in eighths of a degree: 120 is one notch away from the user.
void SimulateWheel(TControl* control, int delta, TShiftState shift = {});
// The window's close button.
void SimulateCloseButton(TWinControl* form);
// A context-menu request at a client point (right click or the menu key).
void SimulateContextMenu(TControl* control, int x, int y);

// The user working one of the window's own scroll bars (SB_VERT / SB_HORZ)
// with SB_LINEUP .. SB_BOTTOM, or dragging its thumb to pos (SB_THUMBTRACK,
// then SB_THUMBPOSITION on release). False when the bar is not showing.
bool SimulateScroll(TWinControl* control, int bar, Word code, int pos = 0);

enum TDragPhase { dpEnter, dpOver, dpLeave, dpDrop };
// One step of a drag from another program over the control; returns the
// effect the target took (DROPEFFECT_NONE when it refused).
int SimulateDrag(TWinControl* control, TDragPhase phase, const TDragData& data, TPoint pt, TShiftState shift,
                 int allowedEffects);

// Whether the control's window is on screen (the offscreen one in tests).
bool WindowShowing(TControl* control);
