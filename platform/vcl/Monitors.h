// The screens of the desktop, for code that keeps a window on one of them.
#pragma once

#include <vector>

#include "platform/rtl/Types.h"

// The work area (the screen less task bars and docks) of every screen, the
// primary one first; virtual-desktop coordinates.
std::vector<TRect> MonitorWorkAreas();
