#include "styled/ScLook.h"

#include "platform/rtl/Cp949.h"

void ScApplyLook(TControl* control) {
  TFont font;
  font.SetName(Utf8ToCp949(ScLook::kFontName));
  font.SetSize(ScLook::kFontSize);
  font.SetColor(ScLook::kTextColor);
  control->SetFont(&font);
}

void ScApplyFieldLook(TControl* control) {
  ScApplyLook(control);
  control->SetColor(ScLook::kFieldColor);
}
