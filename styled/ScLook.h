// The look of the styled controls, kept in one place: every styled control
// calls ScApplyLook from its constructor, so changing the program's face,
// size or colours is a change here and nowhere else.
#pragma once

#include "platform/vcl/Controls.h"

namespace ScLook {
// Korean Windows' dialog face; the platform draws it with the Nanum family.
inline constexpr const char* kFontName = "굴림";
inline constexpr int kFontSize = 9;
inline constexpr TColor kFaceColor = clBtnFace;
inline constexpr TColor kFieldColor = clWindow;
inline constexpr TColor kTextColor = clWindowText;
// Height of one-line fields and buttons at kFontSize.
inline constexpr int kFieldHeight = 21;
inline constexpr int kButtonHeight = 25;
}  // namespace ScLook

// Gives a control the styled face (font, colours).
void ScApplyLook(TControl* control);
// The same for a field that shows text on a white ground (edits, lists).
void ScApplyFieldLook(TControl* control);
