// Private to platform/vcl: drag-and-drop events of a window go to its drop
// target (DragDrop.cpp).
#pragma once

class QEvent;
class TControl;

// True when the event was handled for a registered drop target.
bool TranslateDropEvent(TControl* control, QEvent* event);
// Called when a control goes: its registration ends with it.
void ForgetDropTarget(const TControl* control);
