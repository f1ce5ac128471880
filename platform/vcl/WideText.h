// Wide (UTF-16) text of edit and combo box windows: every character the
// window holds, also those code page 949 lacks, which the 8-bit Text of the
// class library replaces.
#pragma once

#include <string_view>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/StdCtrls.h"

// The text of the control's window; false (text untouched) while the
// control has no window or is neither an edit nor a combo box.
bool GetWindowWideText(const TWinControl* control, WideString& text);
// Sets the window's text when it differs; the control's text-changed
// notification follows as for typing. False while there is no window.
bool SetWindowWideText(TWinControl* control, std::u16string_view text);
// The shown text of item index of a combo box's list; false without a
// window or outside the list.
bool GetComboItemWideText(const TComboBox* combo, int index, WideString& text);
bool SetComboItemWideText(TComboBox* combo, int index, std::u16string_view text);
