// The looks of a window's own scroll bars: regular, flat, or flat with
// raised arrows ("Encarta"), with a background colour. Drawn by the
// toolkit's style sheets on the bars the window layer makes.
#pragma once

#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"

enum TScrollBarLook { sblRegular, sblFlat, sblEncarta };

// Applies to both bars of the window, those shown now and those to come;
// color clNone keeps the desktop's colours. False for a null handle.
bool SetScrollBarLook(HWND wnd, TScrollBarLook look, TColor color);
TScrollBarLook ScrollBarLookOf(HWND wnd);

// The width of the window's vertical bar and the height of its horizontal
// one, in pixels; 0 gives the desktop's. False for a null handle.
bool SetScrollBarWidth(HWND wnd, int width);
// The width (SB_VERT) or height (SB_HORZ) a bar of the window takes when
// shown; the desktop's for a null handle.
int ScrollBarExtent(HWND wnd, int bar);
