// The caret and selection of a combo box's edit field, in bytes of its
// code page 949 text (typing completion works on those).
#pragma once

#include "platform/vcl/StdCtrls.h"

// The caret as a byte position of the edit field's text (the start of the
// selection when there is one).
int ComboEditCaret(const TComboBox* combo);
// Selects bytes start .. start + length, the caret left at start.
void SelectComboText(TComboBox* combo, int start, int length);
// The byte position of the character boundary nearest to point (client
// coordinates of the combo box).
int ComboCharPosAt(const TComboBox* combo, TPoint point);
void SetComboCaret(TComboBox* combo, int pos);
