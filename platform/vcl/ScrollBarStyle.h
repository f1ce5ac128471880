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
