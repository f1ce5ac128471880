// The line edit's side of edit masks, shared by the masked edit and the
// grid's in-place editor.
#pragma once

#include <QLineEdit>

#include "platform/vcl/Mask.h"

// Puts the mask on the line edit, or takes any mask off when it is empty.
void ApplyWidgetMask(QLineEdit* edit, const TEditMask& mask);
// Shows an edit text (one character per position) in a masked line edit,
// position by position, so that untyped positions stay where they are.
void PlaceMaskedText(QLineEdit* edit, const TEditMask& mask, const AnsiString& editText);
// The edit text of a masked line edit: literals and blank characters included.
AnsiString MaskedEditText(const QLineEdit* edit);
