// The cell editor controls: spin edit and its buttons, edit with button,
// unit edit, flat combo, speed buttons (declarations and the section index
// in EsgControls.h).
#include "grid/EsgControls.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/rtl/Cp949.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/ComboLook.h"

namespace {

// Bit 22 of a character's key data: scan-code bit 0x40, set for the numeric
// keypad's decimal key and not for the main full stop.
constexpr LPARAM kKeypadScanBit = LPARAM(1) << 22;

bool HoldsChar(const AnsiString& text, char c) { return text.find(c) != AnsiString::npos; }

int CountOf(std::string_view text, char c) { return static_cast<int>(std::count(text.begin(), text.end(), c)); }

}  // namespace

// ============================================================= TExTimerSpeedButton

void TExTimerSpeedButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  static constexpr unsigned kArrowState[] = {DFCS_SCROLLLEFT, DFCS_SCROLLRIGHT, DFCS_SCROLLUP, DFCS_SCROLLDOWN};
  unsigned state = kArrowState[arrow_];
  if (held_) state |= DFCS_PUSHED;
  if (Flat() && !hot_ && !isWinXP_) state |= DFCS_FLAT;
  if (!Enabled()) state |= DFCS_INACTIVE;
  DrawFrameControl(*c, r, DFC_SCROLL, state);
}

void TExTimerSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TSpeedButton::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Enabled()) return;
  held_ = true;
  clickDue_ = true;
  if (repeat_) {
    if (!timer_) {
      timer_ = new TTimer(this);
      timer_->SetEnabled(false);
      timer_->OnTimer = [this](TObject*) { TimerTick(); };
    }
    timer_->SetInterval(kFirstRepeat);
    timer_->SetEnabled(true);
  }
  if (Parent()) Parent()->Invalidate();
}

void TExTimerSpeedButton::Click() {
  clickDue_ = false;
  TSpeedButton::Click();
}

void TExTimerSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (timer_) timer_->SetEnabled(false);
  // Focus moved by the press may have taken the click state away: the
  // release over the button still clicks once.
  if (button == mbLeft && clickDue_ && held_ && PtInRect(ClientRect(), TPoint{x, y})) Click();
  clickDue_ = false;
  held_ = false;
  if (Parent()) Parent()->Invalidate();
  TSpeedButton::MouseUp(button, shift, x, y);
}

void TExTimerSpeedButton::TimerTick() {
  timer_->SetInterval(kNextRepeat);
  if (held_ && Enabled()) {
    Click();
    clickDue_ = true;  // the release still adds its own click
  }
  else timer_->SetEnabled(false);
}

void TExTimerSpeedButton::MouseEnter() {
  hot_ = true;
  Invalidate();
  TSpeedButton::MouseEnter();
}

void TExTimerSpeedButton::MouseLeave() {
  hot_ = false;
  Invalidate();
  TSpeedButton::MouseLeave();
}

// ============================================================= TEsgSpinButton

TEsgSpinButton::TEsgSpinButton(TComponent* owner) : TWinControl(owner) {
  ControlStyle() = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks};
  up_ = new TExTimerSpeedButton(this);
  up_->SetParent(this);
  up_->SetRepeat(true);
  up_->SetArrow(adArrowUp);
  up_->OnClick = [this](TObject*) { if (OnUpClick) OnUpClick(this); };
  up_->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { Pressed(up_); };
  down_ = new TExTimerSpeedButton(this);
  down_->SetParent(this);
  down_->SetRepeat(true);
  down_->SetArrow(adArrowDown);
  down_->OnClick = [this](TObject*) { if (OnDownClick) OnDownClick(this); };
  down_->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { Pressed(down_); };
  focused_ = up_;
  SetBounds(0, 0, 15, 25);
}

void TEsgSpinButton::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, direction_ == spVertical ? 15 : 20);
  TWinControl::SetBounds(left, top, width, height);
  Layout();
}

void TEsgSpinButton::Layout() {
  if (!up_ || !down_) return;
  const int w = Width();
  const int h = Height();
  if (direction_ == spVertical) {
    up_->SetArrow(adArrowUp);
    down_->SetArrow(adArrowDown);
    up_->SetBounds(0, 0, w, h / 2);
    down_->SetBounds(0, h / 2, w, h - h / 2);
  } else {
    // Side by side: the right-hand button steps up.
    up_->SetArrow(adArrowRight);
    down_->SetArrow(adArrowLeft);
    down_->SetBounds(0, 0, w / 2, h);
    up_->SetBounds(w / 2, 0, w - w / 2, h);
  }
}

void TEsgSpinButton::SetDirection(TSpinDirection v) {
  if (v == direction_) return;
  direction_ = v;
  SetBounds(Left(), Top(), v == spVertical ? 15 : 20, Height());
}

void TEsgSpinButton::SetFlat(bool v) {
  up_->SetFlat(v);
  down_->SetFlat(v);
}

void TEsgSpinButton::SetIsWinXP(bool v) {
  up_->SetIsWinXP(v);
  down_->SetIsWinXP(v);
}

void TEsgSpinButton::Pressed(TExTimerSpeedButton* button) {
  focused_ = button;
  TWinControl* target = focusControl_ ? focusControl_ : this;
  if (!target->Focused() && target->CanFocus()) target->SetFocus();
  Invalidate();
}

void TEsgSpinButton::WMGetDlgCode(TMessage& m) { m.Result = DLGC_WANTARROWS; }

void TEsgSpinButton::KeyDown(Word& key, TShiftState shift) {
  switch (key) {
    case VK_SPACE: focused_->Click(); break;
    case VK_UP:
      focused_ = up_;
      up_->Click();
      break;
    case VK_DOWN:
      focused_ = down_;
      down_->Click();
      break;
    default: TWinControl::KeyDown(key, shift); return;
  }
  key = 0;
}

// ============================================================= TEsgSpinEdit

TEsgSpinEdit::TEsgSpinEdit(TComponent* owner) : TCustomMaskEdit(owner) {
  button_ = new TEsgSpinButton(this);
  button_->SetParent(this);
  button_->SetBounds(0, 0, 15, 17);
  button_->SetFocusControl(this);
  button_->OnUpClick = [this](TObject* sender) { UpClick(sender); };
  button_->OnDownClick = [this](TObject* sender) { DownClick(sender); };
  SetText("0");
  SetBounds(Left(), Top(), Width(), Height());
}

void TEsgSpinEdit::SetBounds(int left, int top, int width, int height) {
  TCustomMaskEdit::SetBounds(left, top, width, height);
  if (!button_) return;
  const int bw = button_->Width();
  const int edge = BorderStyle() == bsNone ? 0 : 1;
  button_->SetBounds(std::max(Width() - bw - edge, 0), edge, bw, std::max(Height() - 2 * edge, 1));
  // The text stays clear of the buttons.
  const int d = BorderStyle() == bsNone ? 1 : 0;
  SetEditRect(Rect(d, d, std::max(ClientWidth() - bw - 2 - d, d + 1), ClientHeight() + 1));
}

void TEsgSpinEdit::SetDirection(TSpinDirection v) {
  button_->SetDirection(v);
  SetBounds(Left(), Top(), Width(), Height());
}

void TEsgSpinEdit::SetSpinFlat(bool v) {
  spinFlat_ = v;
  button_->SetFlat(v);
}

void TEsgSpinEdit::SetSpinTransparent(bool v) {
  spinTransparent_ = v;
  button_->SetTransparent(v);
  SetBounds(Left(), Top(), Width(), Height());
}

void TEsgSpinEdit::SetEditAlign(TEditAlign v) {
  editAlign_ = v;
  SetAlignment(v == eaRight ? taRightJustify : v == eaCenter ? taCenter : taLeftJustify);
}

// ---- values

int TEsgSpinEdit::Value() const {
  int v = 0;
  return TryStrToInt(Trim(GetText()), v) ? v : minValue_;
}

void TEsgSpinEdit::SetValue(Int64 v) {
  if (minValue_ != maxValue_) v = std::clamp<Int64>(v, std::min(minValue_, maxValue_), std::max(minValue_, maxValue_));
  v = std::clamp<Int64>(v, INT_MIN, INT_MAX);
  SetText(IntToStr(v));
  if (!editorEnabled_) SelectAll();
}

double TEsgSpinEdit::FloatValue() const {
  double v = 0;
  // An unreadable text falls back to the integer bound, as it always has.
  return TryStrToFloat(Trim(GetText()), v) && std::isfinite(v) ? v : static_cast<double>(minValue_);
}

void TEsgSpinEdit::SetFloatValue(double v) {
  if (!std::isfinite(v)) v = minFloat_;
  if (minFloat_ != maxFloat_) v = std::clamp(v, std::min(minFloat_, maxFloat_), std::max(minFloat_, maxFloat_));
  SetText(precision_ != 0 ? FloatToStrF(v, ffFixed, 15, precision_) : FloatToStr(v));
}

TDateTime TEsgSpinEdit::DateValue() const {
  const AnsiString text = Trim(GetText());
  if (text.empty() || text == "0") return Now();
  TDateTime d = 0;
  return TryStrToDate(text, d) ? d : minDate_;
}

TDateTime TEsgSpinEdit::ClampDate(TDateTime d) const {
  if (minDate_ != maxDate_) d = std::clamp(d, std::min(minDate_, maxDate_), std::max(minDate_, maxDate_));
  return d;
}

void TEsgSpinEdit::SetDateValue(TDateTime v) {
  v = ClampDate(v);
  const int caret = SelStart();
  SetText(DateToStr(v));
  SetSelStart(std::min(caret, static_cast<int>(GetText().size())));
}

TDateTime TEsgSpinEdit::TimeValue() const {
  TDateTime t = 0;
  return TryStrToTime(Trim(GetText()), t) ? t : 0;
}

TDateTime TEsgSpinEdit::ClampTime(TDateTime t) const {
  t = Frac(t);
  if (minDate_ == maxDate_) return t;
  const TDateTime lo = Frac(std::min(minDate_, maxDate_));
  const TDateTime hi = Frac(std::max(minDate_, maxDate_));
  return lo <= hi ? std::clamp(t, lo, hi) : t;
}

void TEsgSpinEdit::SetTimeValue(TDateTime v) {
  const int caret = SelStart();
  SetText(TimeToStr(ClampTime(v)));
  SetSelStart(std::min(caret, static_cast<int>(GetText().size())));
}

void TEsgSpinEdit::Reformat() {
  switch (spinType_) {
    case sptNormal: SetValue(Value()); break;
    case sptFloat: SetFloatValue(FloatValue()); break;
    case sptDate: SetDateValue(DateValue()); break;
    case sptTime: SetTimeValue(TimeValue()); break;
  }
}

void TEsgSpinEdit::SetSpinType(TEsgSpinType v) {
  spinType_ = v;
  Reformat();
}

void TEsgSpinEdit::SetPrecision(int v) {
  precision_ = std::max(v, 0);
  if (spinType_ == sptFloat) Reformat();
}

// ---- steps

void TEsgSpinEdit::UpClick(TObject*) { Step(1); }
void TEsgSpinEdit::DownClick(TObject*) { Step(-1); }

void TEsgSpinEdit::Step(int direction) {
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  switch (spinType_) {
    // Int64 arithmetic: a step past the int range stops at its end.
    case sptNormal: SetValue(static_cast<Int64>(Value()) + static_cast<Int64>(increment_) * direction); break;
    case sptFloat: SetFloatValue(FloatValue() + incrementFloat_ * direction); break;
    case sptDate: StepDate(direction); break;
    case sptTime: StepTime(direction); break;
  }
}

void TEsgSpinEdit::StepDate(int direction) {
  // The caret's place among the date separators picks what steps, by
  // whether the short date format writes the month before the day: month
  // first steps month, day, year; day first steps day, month, year. A
  // year-month-day format therefore steps the month in its first field.
  const AnsiString format = UpperCase(FormatSettings.ShortDateFormat);
  const std::size_t firstM = format.find('M'), firstD = format.find('D');
  const bool monthFirst = firstM != AnsiString::npos && (firstD == AnsiString::npos || firstM < firstD);
  const AnsiString text = GetText();
  const int caret = std::clamp(SelStart(), 0, static_cast<int>(text.size()));
  const int separators = CountOf(std::string_view(text).substr(0, static_cast<std::size_t>(caret)),
                                 FormatSettings.DateSeparator);
  const TDateTime current = DateValue();
  TDateTime next = current;
  if (separators >= 2) next = IncMonth(current, 12 * direction);
  else if ((separators == 0) == monthFirst) next = IncMonth(current, direction);
  else next = current + direction;
  SetDateValue(next);
}

void TEsgSpinEdit::StepTime(int direction) {
  const AnsiString text = GetText();
  const int caret = std::clamp(SelStart(), 0, static_cast<int>(text.size()));
  const int index = CountOf(std::string_view(text).substr(0, static_cast<std::size_t>(caret)), FormatSettings.TimeSeparator);
  const double unit = index == 0 ? 1.0 / 24 : index == 1 ? 1.0 / 1440 : 1.0 / 86400;
  // Round to whole seconds so that repeated steps never drift.
  double t = TimeValue() + unit * direction;
  t = std::round(t * 86400.0) / 86400.0;
  t -= std::floor(t);  // the time of day wraps round midnight
  SetTimeValue(t);
}

// ---- keys and characters

void TEsgSpinEdit::WMKeyDown(TMessage& m) {
  switch (m.WParam) {
    case VK_UP:
    case VK_PRIOR: UpClick(this); return;
    case VK_DOWN:
    case VK_NEXT: DownClick(this); return;
    case VK_DELETE:
      if (!editorEnabled_) return;
      break;
    case VK_RETURN:
      if (returnIsTab_) m.WParam = VK_TAB;
      break;
    default: break;
  }
  TCustomMaskEdit::WMKeyDown(m);
}

void TEsgSpinEdit::WMChar(TMessage& m) {
  const char key = static_cast<char>(m.WParam & 0xFF);
  if (excelStyleDecimal_ && key == '.' && (m.LParam & kKeypadScanBit))
    m.WParam = static_cast<unsigned char>(FormatSettings.DecimalSeparator);
  TCustomMaskEdit::WMChar(m);
}

void TEsgSpinEdit::KeyPress(char& key) {
  TCustomMaskEdit::KeyPress(key);
  if (key == 0) return;
  if (dropTrail_) {
    dropTrail_ = false;
    key = 0;
    return;
  }
  if (!IsValidChar(key)) {
    dropTrail_ = IsLeadByte(static_cast<unsigned char>(key));
    MessageBeep(0);
    key = 0;
  }
}

bool TEsgSpinEdit::IsValidChar(char key) {
  const unsigned char c = static_cast<unsigned char>(key);
  if (c == 8) return true;
  if (c < 32) return c != '\r';
  if (!editorEnabled_) return false;
  const AnsiString text = GetText();
  const AnsiString selected = SelText();
  const bool digit = c >= '0' && c <= '9';
  if (digit) {
    if (spinType_ == sptFloat && precision_ >= 1 && selected.empty()) {
      const std::size_t dot = text.find(FormatSettings.DecimalSeparator);
      if (dot != AnsiString::npos && static_cast<std::size_t>(SelStart()) > dot &&
          static_cast<int>(text.size() - dot - 1) >= precision_)
        return false;
    }
    return true;
  }
  switch (spinType_) {
    case sptNormal:
    case sptFloat:
      if (key == '-') {
        if (HoldsChar(text, '-') && !HoldsChar(selected, '-')) return false;
        return SelStart() == 0;
      }
      if (spinType_ == sptFloat && key == FormatSettings.DecimalSeparator)
        return !HoldsChar(text, key) || HoldsChar(selected, key);
      return false;
    // The separators of a date or a time are separators here, whatever
    // else the same character means elsewhere ("-" in "yyyy-mm-dd").
    case sptDate:
      return key == FormatSettings.DateSeparator && CountOf(text, key) - CountOf(selected, key) < 2;
    case sptTime:
      return key == FormatSettings.TimeSeparator && CountOf(text, key) - CountOf(selected, key) < 2;
  }
  return false;
}

void TEsgSpinEdit::DoEnter() {
  TCustomMaskEdit::DoEnter();
  const bool clicked = GetKeyState(VK_LBUTTON) < 0;
  if (AutoSelect() && !(clicked && editorEnabled_)) SelectAll();
}

void TEsgSpinEdit::WMCut(TMessage& m) {
  if (editorEnabled_ && !ReadOnly()) TCustomMaskEdit::WMCut(m);
}

void TEsgSpinEdit::WMPaste(TMessage& m) {
  if (editorEnabled_ && !ReadOnly()) TCustomMaskEdit::WMPaste(m);
}

void TEsgSpinEdit::CMExit(TMessage& m) {
  // Leaving clamps the value, and rewrites the text only when that changed it.
  switch (spinType_) {
    case sptNormal: {
      const int v = Value();
      if (minValue_ != maxValue_ && (v < std::min(minValue_, maxValue_) || v > std::max(minValue_, maxValue_)))
        SetValue(v);
      break;
    }
    case sptFloat: {
      const double v = FloatValue();
      if (minFloat_ != maxFloat_ && (v < std::min(minFloat_, maxFloat_) || v > std::max(minFloat_, maxFloat_)))
        SetFloatValue(v);
      break;
    }
    case sptDate: {
      const AnsiString text = Trim(GetText());
      TDateTime d = 0;
      if (TryStrToDate(text, d) && ClampDate(d) != d) SetDateValue(d);
      break;
    }
    case sptTime: {
      TDateTime t = 0;
      if (TryStrToTime(Trim(GetText()), t) && ClampTime(t) != Frac(t)) SetTimeValue(t);
      break;
    }
  }
  TCustomMaskEdit::CMExit(m);
}

// ============================================================= TExSpeedButton

void TExSpeedButton::MouseEnter() {
  hot_ = true;
  Invalidate();
  TSpeedButton::MouseEnter();
}

void TExSpeedButton::MouseLeave() {
  hot_ = false;
  Invalidate();
  TSpeedButton::MouseLeave();
}

// ============================================================= TEsgEditButton

TEsgEditButton::TEsgEditButton(TComponent* owner) : TWinControl(owner) {
  button_ = new TExSpeedButton(this);
  button_->SetParent(this);
  button_->OnClick = [this](TObject*) {
    if (focusControl_ && !focusControl_->Focused() && focusControl_->CanFocus()) focusControl_->SetFocus();
    if (OnClick) OnClick(this);
  };
  SetBounds(0, 0, 20, 25);
}

void TEsgEditButton::SetBounds(int left, int top, int width, int height) {
  TWinControl::SetBounds(left, top, width, height);
  if (button_) button_->SetBounds(0, 0, Width(), Height());
}

// ============================================================= TEsgEditBtn

TEsgEditBtn::TEsgEditBtn(TComponent* owner) : TCustomEdit(owner) {
  button_ = new TEsgEditButton(this);
  button_->SetParent(this);
  button_->SetBounds(0, 0, 18, 18);
  button_->SetFocusControl(this);
  button_->OnClick = [this](TObject*) { ClickButton(); };
  SetText("0");
  PlaceButton();
}

void TEsgEditBtn::SetBounds(int left, int top, int width, int height) {
  TCustomEdit::SetBounds(left, top, width, height);
  if (button_) PlaceButton();
}

void TEsgEditBtn::PlaceButton() {
  const int edge = BorderStyle() == bsNone ? 0 : 1;
  button_->SetBounds(std::max(Width() - buttonWidth_ - edge, 0), edge, buttonWidth_, std::max(Height() - 2 * edge, 1));
  // The text stays clear of the button and of the unit strip beside it.
  const int margin = BorderStyle() == bsSingle ? 1 : 2;
  SetEditRect(Rect(margin, margin, std::max(ClientWidth() - buttonWidth_ - 3 - UnitSpaceWidth(), margin + 1),
                   ClientHeight() + 1));
}

void TEsgEditBtn::SetButtonWidth(int v) {
  buttonWidth_ = std::max(v, 0);
  PlaceButton();
}

void TEsgEditBtn::SetRightAlign(bool v) {
  rightAlign_ = v;
  SetAlignment(v ? taRightJustify : taLeftJustify);
}

void TEsgEditBtn::SetIsWinXP(bool v) {
  isWinXP_ = v;
  button_->Button()->SetIsWinXP(v);
}

void TEsgEditBtn::ClickButton() {
  if (OnClickBtn) OnClickBtn(this);
}

void TEsgEditBtn::WMKeyDown(TMessage& m) {
  if (m.WParam == VK_F4) {
    ClickButton();
    return;
  }
  if (m.WParam == VK_DELETE && !editorEnabled_) return;
  TCustomEdit::WMKeyDown(m);
}

void TEsgEditBtn::KeyPress(char& key) {
  TCustomEdit::KeyPress(key);
  const unsigned char c = static_cast<unsigned char>(key);
  // Without the editor only the button changes the text.
  if (!editorEnabled_ && (c >= 32 || c == 8 || c == 0x16 || c == 0x18)) key = 0;
}

void TEsgEditBtn::DoEnter() {
  TCustomEdit::DoEnter();
  if (AutoSelect() && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
}

void TEsgEditBtn::WMCut(TMessage& m) {
  if (editorEnabled_ && !ReadOnly()) TCustomEdit::WMCut(m);
}

void TEsgEditBtn::WMPaste(TMessage& m) {
  if (editorEnabled_ && !ReadOnly()) TCustomEdit::WMPaste(m);
}

// ============================================================= TEsgUnitEditBtn

TEsgUnitEditBtn::TEsgUnitEditBtn(TComponent* owner) : TEsgEditBtn(owner) {
  unitLabel_ = new TLabel(this);
  unitLabel_->SetParent(this);
  unitLabel_->SetTransparent(true);
  unitLabel_->SetAutoSize(false);
  SetRightAlign(true);
  PlaceButton();
}

TEsgUnitEditBtn::~TEsgUnitEditBtn() = default;

void TEsgUnitEditBtn::PlaceButton() {
  TEsgEditBtn::PlaceButton();
  if (!unitLabel_) return;
  const int right = EditButton()->Left();
  unitLabel_->SetBounds(std::max(right - unitSpace_, 0), 2, unitSpace_, std::max(Height() - 2, 1));
}

void TEsgUnitEditBtn::SetUnitID(const AnsiString& v) {
  unitID_ = v;
  unitLabel_->SetCaption(v);
  Invalidate();
}

void TEsgUnitEditBtn::SetUnitSpace(int v) {
  unitSpace_ = std::max(v, 0);
  PlaceButton();
}

void TEsgUnitEditBtn::ClickButton() {
  if (!menu_) menu_ = new TPopupMenu(this);
  menu_->Items()->Clear();
  for (int i = 0; i < units_->Count(); ++i)
    menu_->Items()->Add(NewItem(menu_, units_->Strings(i), [this, i](TObject*) { ChooseUnit(i); }));
  const TPoint at = ClientToScreen(TPoint{Width() - 15, Height() - 15});
  menu_->Popup(at.X, at.Y);
}

void TEsgUnitEditBtn::ChooseUnit(int index) {
  if (index >= 0 && index < units_->Count()) SetUnitID(units_->Strings(index));
}

// ============================================================= TESGCustomCombo

TESGCustomCombo::TESGCustomCombo(TComponent* owner) : TComboBox(owner) {
  buttonWidth_ = GetSystemMetrics(SM_CXVSCROLL) + 4;
}

void TESGCustomCombo::ApplyLook() {
  if (!HandleAllocated()) return;
  if (!flat_) {
    SetFlatComboFrame(this, nullptr);
    return;
  }
  TFlatComboFrame frame;
  frame.Highlighted = focusBorder_ && !HasState(csDesigning) && (mouseInControl_ || Focused());
  frame.Etched = etched_;
  frame.ButtonFramed = Style() != csSimple;
  frame.ButtonWidth = buttonWidth_;
  frame.OuterColor = Parent() ? Parent()->Color() : clBtnFace;
  frame.InnerColor = Color();
  SetFlatComboFrame(this, &frame);
}

void TESGCustomCombo::InitWindowHandle() {
  TComboBox::InitWindowHandle();
  ApplyLook();
}

void TESGCustomCombo::DoEnter() {
  TComboBox::DoEnter();
  ApplyLook();
}

void TESGCustomCombo::DoExit() {
  TComboBox::DoExit();
  ApplyLook();
}

void TESGCustomCombo::SetFlat(bool v) {
  if (flat_ == v) return;
  flat_ = v;
  ApplyLook();
}

void TESGCustomCombo::SetEtched(bool v) {
  if (etched_ == v) return;
  etched_ = v;
  ApplyLook();
}

void TESGCustomCombo::SetFocusBorder(bool v) {
  if (focusBorder_ == v) return;
  focusBorder_ = v;
  ApplyLook();
}

void TESGCustomCombo::SetButtonWidth(int v) {
  if (v < 14 || v > 32 || v == buttonWidth_) return;
  buttonWidth_ = v;
  ApplyLook();
}

void TESGCustomCombo::SetDropWidth(int v) {
  dropWidth_ = v;
  if (v > 0) SetDropDownWidth(v);
}

void FlatComboEnabling(TComboBox& combo, bool enabled, TFlatComboColors& saved) {
  if (enabled == combo.Enabled()) return;
  if (!enabled) {
    saved.Color = combo.Color();
    saved.ParentColor = combo.ParentColor();
    saved.Kept = true;
    if (combo.Parent()) combo.SetColor(combo.Parent()->Color());
  } else if (saved.Kept) {
    // Only what disabling put aside comes back: a combo that was flat-less
    // when it was disabled keeps the colour it has.
    saved.Kept = false;
    combo.SetColor(saved.Color);
    combo.SetParentColor(saved.ParentColor);
  }
}

void TESGCustomCombo::SetEnabled(bool enabled) {
  if (flat_ || saved_.Kept) FlatComboEnabling(*this, enabled, saved_);
  TComboBox::SetEnabled(enabled);
}

void TESGCustomCombo::MouseEnter() {
  mouseInControl_ = true;
  if (autoFocus_ && !Focused() && CanFocus()) SetFocus();
  ApplyLook();
  TComboBox::MouseEnter();
}

void TESGCustomCombo::MouseLeave() {
  mouseInControl_ = false;
  ApplyLook();
  TComboBox::MouseLeave();
}
