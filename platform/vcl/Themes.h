// The visual-styles binding over Qt's style and palette: whether themed
// parts are drawn, the theme's name, and the parts the grid family draws
// (header items, push, radio and check buttons, progress bar and chunk, the
// combo box button) in their numbered states.
//
// Linux has no colour schemes of the kind the grid adapts to: the scheme
// name is always empty, so the grid keeps its designed colours.
#pragma once

#include "platform/vcl/Graphics.h"

enum TThemePart { tpHeaderItem, tpPushButton, tpRadioButton, tpCheckBox, tpProgressBar, tpProgressChunk, tpComboButton };

// True when the application's style can draw themed parts.
bool IsThemeActive();
// The style's name ("fusion", ...).
AnsiString CurrentThemeName();
// The colour scheme of the theme; empty where the platform has none.
AnsiString CurrentColorSchemeName();
// States: header 1 normal, 2 hot, 3 pressed; push button 1 normal, 3
// pressed, 4 disabled; radio and check 1 off, 4 off disabled, 5 on, 8 on
// disabled. Drawn over what is there.
void DrawThemePart(TCanvas& canvas, TThemePart part, int state, const TRect& rect);
