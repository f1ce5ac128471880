// A picture of a control as it shows on screen, for looking at a window
// without a person in front of it (screenshots under a virtual display).
#pragma once

#include "platform/rtl/Types.h"
#include "platform/vcl/Controls.h"

// Renders the control and its children into a PNG file (the name is code
// page 949); false when the control has no window or the file cannot be
// written.
bool SaveWindowImage(TControl* control, const AnsiString& fileName);
