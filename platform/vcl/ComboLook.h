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

// The frame of the grid's flat combo, painted over the toolkit's look after
// every paint of the combo: highlighted, a sunken edge, a frame in the
// button face and one in InnerColor; otherwise two frames in OuterColor (the
// parent's) and one in InnerColor. The drop button, ButtonWidth wide, 2
// pixels inside the right edge, gets an etched or a raised edge (none when
// ButtonFramed is off, for the simple style).
struct TFlatComboFrame {
  bool Highlighted = false;
  bool Etched = false;
  bool ButtonFramed = true;
  int ButtonWidth = 20;
  TColor OuterColor = clBtnFace;
  TColor InnerColor = clWindow;
};
// frame nullptr gives the combo the toolkit's own look back. False while the
// combo box has no window.
bool SetFlatComboFrame(TComboBox* combo, const TFlatComboFrame* frame);
