// The glyph the grid shows at the point where panning with the middle button
// started: a round badge with arrows for the directions the pan may take.
#pragma once

#include "grid/ExGridOptions.h"
#include "platform/vcl/Graphics.h"

// The glyph's square, from its top-left corner.
inline constexpr int kPanGlyphSize = 32;

// The area the glyph covers when drawn at origin.
TRect PanGlyphRect(const TPoint& origin);

// Draws the glyph with its top-left corner at origin: up and down arrows for
// ipVertical, left and right for ipHorizontal, all four for ipBoth. Nothing
// for ipNone. The canvas's pen and brush come back as they went in.
void DrawPanGlyph(TCanvas& canvas, const TPoint& origin, TIntelliPan mode);
