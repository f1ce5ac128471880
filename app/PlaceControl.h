// A control of a window built in code, placed in one call: created with its
// owner, named (an empty name leaves it unnamed), put on its parent at its
// bounds.
#pragma once

#include "platform/vcl/Controls.h"

template <class T>
T* PlaceControl(TComponent* owner, TWinControl* parent, const AnsiString& name, int left, int top, int width,
                int height) {
  auto* control = new T(owner);
  if (!name.empty()) control->SetName(name);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  return control;
}
