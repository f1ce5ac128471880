// The screens of the desktop and a window's place on them, for code that
// keeps a window where the user left it.
#pragma once

#include <vector>

#include "platform/rtl/Types.h"
#include "platform/vcl/Forms.h"

// The work area (the screen less task bars and docks) of every screen, the
// primary one first; virtual-desktop coordinates.
std::vector<TRect> MonitorWorkAreas();

// The state the desktop shows the form in: the user may have maximised it
// through its title bar, which the form's own WindowState does not follow.
// wsNormal for a form without a window.
TWindowState ShownWindowState(const TCustomForm* form);
// The bounds the form has when neither maximised nor minimised (its current
// bounds while it is normal).
TRect NormalWindowBounds(const TCustomForm* form);
