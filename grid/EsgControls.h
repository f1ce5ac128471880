// The stand-alone controls the grid's cell editors are made of: a spin edit
// (integer, float, date and time values) with its button pair and the
// auto-repeating arrow button, an edit with an embedded button and its
// unit-picking variant, a flat combo box and a flat speed button.
//
// Sections:
//   TExTimerSpeedButton .. arrow button that repeats its click while held
//   TEsgSpinButton ....... the up/down pair
//   TEsgSpinEdit ......... the spin edit: reading, writing, stepping, typing
//   TExSpeedButton ....... flat or styled push button
//   TEsgEditButton ....... holder of one TExSpeedButton
//   TEsgEditBtn .......... edit with a button; TEsgUnitEditBtn picks a unit
//   TESGCustomCombo ...... flat combo; TESGComboBox publishes it
//
// Text is code page 949: a lead byte that a character test refuses takes its
// trail byte with it, so no control is ever left holding half a syllable.
#pragma once

#include <memory>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Mask.h"
#include "platform/vcl/StdCtrls.h"

// ------------------------------------------------------------- TExTimerSpeedButton

enum TArrowDirection { adArrowLeft, adArrowRight, adArrowUp, adArrowDown };

class TExTimerSpeedButton : public TSpeedButton {
 public:
  explicit TExTimerSpeedButton(TComponent* owner) : TSpeedButton(owner) {}

  static constexpr unsigned kFirstRepeat = 400;  // ms before the first repeat
  static constexpr unsigned kNextRepeat = 100;   // ms between repeats

  bool Repeat() const { return repeat_; }
  void SetRepeat(bool v) { repeat_ = v; }
  TArrowDirection Arrow() const { return arrow_; }
  void SetArrow(TArrowDirection v) { arrow_ = v; Invalidate(); }
  bool Hot() const { return hot_; }
  bool Held() const { return held_; }
  // Visual-style drawing (set by the grid through the spin edit).
  bool IsWinXP() const { return isWinXP_; }
  void SetIsWinXP(bool v) { isWinXP_ = v; Invalidate(); }
  // Created on the first press; nullptr before.
  TTimer* RepeatTimer() const { return timer_; }
  void Click() override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  void TimerTick();
  bool repeat_ = false;
  TArrowDirection arrow_ = adArrowUp;
  bool hot_ = false;
  bool held_ = false;
  // The press has not clicked yet: the release over the button does.
  bool clickDue_ = false;
  bool isWinXP_ = false;
  TTimer* timer_ = nullptr;  // owned as a component
};

// ------------------------------------------------------------- TEsgSpinButton

enum TSpinDirection { spVertical, spHorizontal };

class TEsgSpinButton : public TWinControl {
 public:
  explicit TEsgSpinButton(TComponent* owner);

  TSpinDirection Direction() const { return direction_; }
  void SetDirection(TSpinDirection v);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* v) { focusControl_ = v; }
  TExTimerSpeedButton* UpButton() const { return up_; }
  TExTimerSpeedButton* DownButton() const { return down_; }
  TExTimerSpeedButton* FocusedButton() const { return focused_; }
  TBitmap* UpGlyph() const { return up_->Glyph(); }
  TBitmap* DownGlyph() const { return down_->Glyph(); }
  int UpNumGlyphs() const { return 1; }
  int DownNumGlyphs() const { return 1; }
  void SetFlat(bool v);
  void SetTransparent(bool v) { transparent_ = v; }
  void SetIsWinXP(bool v);
  void SetBounds(int left, int top, int width, int height) override;

  TNotifyEvent OnUpClick;
  TNotifyEvent OnDownClick;

 protected:
  void WMGetDlgCode(TMessage& m) override;
  void KeyDown(Word& key, TShiftState shift) override;

 private:
  void Layout();
  void Pressed(TExTimerSpeedButton* button);
  TExTimerSpeedButton* up_;
  TExTimerSpeedButton* down_;
  TExTimerSpeedButton* focused_;
  TWinControl* focusControl_ = nullptr;
  TSpinDirection direction_ = spVertical;
  bool transparent_ = false;
};

// ------------------------------------------------------------- TEsgSpinEdit

enum TEsgSpinType { sptNormal, sptFloat, sptDate, sptTime };
enum TEditAlign { eaLeft, eaRight, eaCenter };

class TEsgSpinEdit : public TCustomMaskEdit {
 public:
  explicit TEsgSpinEdit(TComponent* owner);

  TEsgSpinType SpinType() const { return spinType_; }
  // Re-reads the value of the new type from the text and writes it back.
  void SetSpinType(TEsgSpinType v);

  // ---- values, read from the text; what does not read falls back to the
  // lower bound of its type (an empty or "0" date text is now, an unreadable
  // time is midnight)
  int Value() const;
  void SetValue(Int64 v);
  double FloatValue() const;
  void SetFloatValue(double v);
  TDateTime DateValue() const;
  void SetDateValue(TDateTime v);
  TDateTime TimeValue() const;
  void SetTimeValue(TDateTime v);

  // ---- bounds; a pair of equal bounds does not clamp
  int MinValue() const { return minValue_; }
  void SetMinValue(int v) { minValue_ = v; }
  int MaxValue() const { return maxValue_; }
  void SetMaxValue(int v) { maxValue_ = v; }
  double MinFloatValue() const { return minFloat_; }
  void SetMinFloatValue(double v) { minFloat_ = v; }
  double MaxFloatValue() const { return maxFloat_; }
  void SetMaxFloatValue(double v) { maxFloat_ = v; }
  // Date bounds; for sptTime their times of day bound the time.
  TDateTime MinDateValue() const { return minDate_; }
  void SetMinDateValue(TDateTime v) { minDate_ = v; }
  TDateTime MaxDateValue() const { return maxDate_; }
  void SetMaxDateValue(TDateTime v) { maxDate_ = v; }

  int Increment() const { return increment_; }
  void SetIncrement(int v) { increment_ = v; }
  double IncrementFloat() const { return incrementFloat_; }
  void SetIncrementFloat(double v) { incrementFloat_ = v; }
  int Precision() const { return precision_; }
  void SetPrecision(int v);
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool v) { editorEnabled_ = v; }
  TSpinDirection Direction() const { return button_->Direction(); }
  void SetDirection(TSpinDirection v);
  TEditAlign EditAlign() const { return editAlign_; }
  void SetEditAlign(TEditAlign v);
  bool ReturnIsTab() const { return returnIsTab_; }
  void SetReturnIsTab(bool v) { returnIsTab_ = v; }
  bool ExcelStyleDecimalSeparator() const { return excelStyleDecimal_; }
  void SetExcelStyleDecimalSeparator(bool v) { excelStyleDecimal_ = v; }
  bool SpinFlat() const { return spinFlat_; }
  void SetSpinFlat(bool v);
  bool SpinTransparent() const { return spinTransparent_; }
  void SetSpinTransparent(bool v);
  // Not published: the grid draws the buttons in the visual style.
  void SetIsWinXP(bool v) { button_->SetIsWinXP(v); }
  TEsgSpinButton* Button() const { return button_; }
  void SetBounds(int left, int top, int width, int height) override;

  // The steps the buttons and the arrow keys run.
  virtual void UpClick(TObject* sender);
  virtual void DownClick(TObject* sender);
  // May the character (one byte of code page 949) be typed now?
  virtual bool IsValidChar(char key);

 protected:
  void WMKeyDown(TMessage& m) override;
  // The keypad's decimal key, then the character test (KeyPress).
  void WMChar(TMessage& m) override;
  void KeyPress(char& key) override;
  void WMCut(TMessage& m) override;
  void WMPaste(TMessage& m) override;
  void CMExit(TMessage& m) override;
  // AutoSelect selects the text, unless a click put the caret there.
  void DoEnter() override;

 private:
  void Step(int direction);
  void StepDate(int direction);
  void StepTime(int direction);
  // Rewrites the text in the form of the current type.
  void Reformat();
  // The bounds of sptTime: the times of day of the date bounds.
  TDateTime ClampTime(TDateTime t) const;
  TDateTime ClampDate(TDateTime d) const;

  TEsgSpinButton* button_;
  TEsgSpinType spinType_ = sptNormal;
  int minValue_ = 0;
  int maxValue_ = 100;
  double minFloat_ = 0;
  double maxFloat_ = 100;
  TDateTime minDate_ = 0;
  TDateTime maxDate_ = 0;
  int increment_ = 1;
  double incrementFloat_ = 0;
  int precision_ = 0;
  bool editorEnabled_ = true;
  TEditAlign editAlign_ = eaLeft;
  bool returnIsTab_ = false;
  bool excelStyleDecimal_ = false;
  bool spinFlat_ = false;
  bool spinTransparent_ = false;
  // A lead byte was refused: its trail byte goes too.
  bool dropTrail_ = false;
};

// ------------------------------------------------------------- TExSpeedButton

class TExSpeedButton : public TSpeedButton {
 public:
  explicit TExSpeedButton(TComponent* owner) : TSpeedButton(owner) {}
  bool IsWinXP() const { return isWinXP_; }
  void SetIsWinXP(bool v) { isWinXP_ = v; Invalidate(); }
  bool Hot() const { return hot_; }

 protected:
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  bool isWinXP_ = false;
  bool hot_ = false;
};

// ------------------------------------------------------------- TEsgEditButton

class TEsgEditButton : public TWinControl {
 public:
  explicit TEsgEditButton(TComponent* owner);
  TExSpeedButton* Button() const { return button_; }
  TBitmap* Glyph() const { return button_->Glyph(); }
  void SetGlyph(const TBitmap* v) { button_->SetGlyph(v); }
  const AnsiString& ButtonCaption() const { return button_->Caption(); }
  void SetButtonCaption(const AnsiString& v) { button_->SetCaption(v); }
  int NumGlyphs() const { return 1; }
  bool Flat() const { return button_->Flat(); }
  void SetFlat(bool v) { button_->SetFlat(v); }
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* v) { focusControl_ = v; }
  void SetBounds(int left, int top, int width, int height) override;
  TNotifyEvent OnClick;

 private:
  TExSpeedButton* button_;
  TWinControl* focusControl_ = nullptr;
};

// ------------------------------------------------------------- TEsgEditBtn

class TEsgEditBtn : public TCustomEdit {
 public:
  explicit TEsgEditBtn(TComponent* owner);

  int ButtonWidth() const { return buttonWidth_; }
  void SetButtonWidth(int v);
  const AnsiString& ButtonCaption() const { return button_->ButtonCaption(); }
  void SetButtonCaption(const AnsiString& v) { button_->SetButtonCaption(v); }
  TBitmap* Glyph() const { return button_->Glyph(); }
  void SetGlyph(const TBitmap* v) { button_->SetGlyph(v); }
  bool RightAlign() const { return rightAlign_; }
  void SetRightAlign(bool v);
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool v) { editorEnabled_ = v; }
  bool IsWinXP() const { return isWinXP_; }
  void SetIsWinXP(bool v);
  TEsgEditButton* EditButton() const { return button_; }
  void SetBounds(int left, int top, int width, int height) override;
  // The button's action: fires OnClickBtn.
  virtual void ClickButton();

  TNotifyEvent OnClickBtn;

 protected:
  // Pixels kept free between the text and the button.
  virtual int UnitSpaceWidth() const { return 0; }
  virtual void PlaceButton();
  void WMKeyDown(TMessage& m) override;
  void KeyPress(char& key) override;
  void WMCut(TMessage& m) override;
  void WMPaste(TMessage& m) override;
  void DoEnter() override;

 private:
  TEsgEditButton* button_;
  int buttonWidth_ = 18;
  bool rightAlign_ = false;
  bool editorEnabled_ = true;
  bool isWinXP_ = false;
};

// ------------------------------------------------------------- TEsgUnitEditBtn

class TEsgUnitEditBtn : public TEsgEditBtn {
 public:
  explicit TEsgUnitEditBtn(TComponent* owner);
  ~TEsgUnitEditBtn() override;

  TStringList* Units() const { return units_.get(); }
  void SetUnits(const TStrings* v) { units_->Assign(v); }
  const AnsiString& UnitID() const { return unitID_; }
  void SetUnitID(const AnsiString& v);
  int UnitSpace() const { return unitSpace_; }
  void SetUnitSpace(int v);
  // Opens the menu of units; choosing item n takes Units[n - 1].
  void ClickButton() override;

 protected:
  int UnitSpaceWidth() const override { return unitSpace_; }
  void PlaceButton() override;

 private:
  void ChooseUnit(int index);
  std::unique_ptr<TStringList> units_ = std::make_unique<TStringList>();
  AnsiString unitID_;
  int unitSpace_ = 20;
  TLabel* unitLabel_;
  TPopupMenu* menu_ = nullptr;  // owned as a component, built on each click
};

// ------------------------------------------------------------- TESGCustomCombo

// The colours a disabled flat combo put aside to show its parent's colour.
struct TFlatComboColors {
  TColor Color = clWindow;
  bool ParentColor = false;
  bool Kept = false;
};
// Disabling shows the parent's colour; enabling brings back the combo's own.
void FlatComboEnabling(TComboBox& combo, bool enabled, TFlatComboColors& saved);

class TESGCustomCombo : public TComboBox {
 public:
  explicit TESGCustomCombo(TComponent* owner);

  // Flat: the combo's frame is painted by the combo itself: highlighted
  // (with FocusBorder, while the mouse is over it or it has the focus) a
  // sunken edge, else frames in the parent's colour; the drop button
  // ButtonWidth wide with an etched (Etched) or a raised edge.
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  bool Etched() const { return etched_; }
  void SetEtched(bool v);
  // Only 14 to 32 are taken.
  int ButtonWidth() const { return buttonWidth_; }
  void SetButtonWidth(int v);
  bool FocusBorder() const { return focusBorder_; }
  void SetFocusBorder(bool v);
  bool AutoFocus() const { return autoFocus_; }
  void SetAutoFocus(bool v) { autoFocus_ = v; }
  int DropWidth() const { return dropWidth_; }
  void SetDropWidth(int v);
  AnsiString Version() const { return "1.2.0.0"; }
  void SetVersion(const AnsiString&) {}
  bool MouseInControl() const { return mouseInControl_; }
  // Disabling shows the parent's colour; enabling restores the own one.
  void SetEnabled(bool enabled) override;

 protected:
  void MouseEnter() override;
  void MouseLeave() override;
  void InitWindowHandle() override;
  void DoEnter() override;
  void DoExit() override;

 private:
  void ApplyLook();
  bool flat_ = true;
  bool etched_ = false;
  int buttonWidth_;
  bool focusBorder_ = false;
  bool autoFocus_ = false;
  int dropWidth_ = 0;
  bool mouseInControl_ = false;
  TFlatComboColors saved_;
};

class TESGComboBox : public TESGCustomCombo {
 public:
  using TESGCustomCombo::TESGCustomCombo;
};
