// Painting a control into a bitmap as it would paint on the screen: for
// pictures of a window's contents (tests, previews, benchmarks).
#pragma once

#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"

// The bitmap takes the control's size and its painted client area.
void PaintControlTo(TControl* control, TBitmap& bitmap);
