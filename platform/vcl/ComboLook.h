// The flat look of a combo box: no 3-D border, a button of a given width
// that shows its edge only while the control is hot (mouse inside or focus),
// raised or etched. Drawn by the toolkit's style sheets.
#pragma once

#include "platform/vcl/StdCtrls.h"

struct TComboLook {
  bool Flat = true;
  bool Etched = false;
  bool Hot = false;          // the mouse is inside or the control has the focus
  bool FocusBorder = false;  // a sunken edge while hot
  int ButtonWidth = 20;
};

// False while the combo box has no window.
bool SetComboLook(TComboBox* combo, const TComboLook& look);
