#include "styled/ScControls.h"

#include <algorithm>

#include "platform/rtl/Cp949.h"
#include "platform/vcl/Dialogs.h"
#include "styled/ScLook.h"

// ---------------------------------------------------------------- edits

TScEdit::TScEdit(TComponent* owner) : TEdit(owner) {
  ScApplyFieldLook(this);
  SetHeight(ScLook::kFieldHeight);
}

void TScEdit::SetText(const AnsiString& s) {
  if (s == GetText()) return;
  // With a window the widget reports the change itself; before the window
  // exists the windows still count on OnChange (a score edit filled before
  // the form is shown recomputes its stars).
  bool widgetReports = HandleAllocated();
  TEdit::SetText(s);
  if (!widgetReports) Change();
}

TScMemo::TScMemo(TComponent* owner) : TMemo(owner) {
  ScApplyFieldLook(this);
  SetScrollBars(ssVertical);
}

TScButtonEdit::TScButtonEdit(TComponent* owner) : TScEdit(owner) {
  button_ = new TButton(this);
  button_->SetParent(this);
  button_->SetCaption("...");
  button_->SetWidth(ScLook::kFieldHeight - 4);
  button_->SetAlign(alRight);
  button_->SetCursor(crArrow);
  button_->SetTabStop(true);
  button_->OnClick = [this](TObject*) {
    if (OnButtonClick) OnButtonClick(this);
  };
}

void TScButtonEdit::ButtonClick() { button_->Click(); }

TScDateTimeEdit::TScDateTimeEdit(TComponent* owner) : TScEdit(owner) {}

// ---------------------------------------------------------------- lists

TScCustomComboBox::TScCustomComboBox(TComponent* owner) : TComboBox(owner) {
  ScApplyFieldLook(this);
  SetHeight(ScLook::kFieldHeight);
}

void TScCustomComboBox::ClearItems() { Items()->Clear(); }

TScCustomListBox::TScCustomListBox(TComponent* owner) : TListBox(owner) { ScApplyFieldLook(this); }

AnsiString TScCustomListBox::ItemCaption(int index) const {
  if (index < 0 || index >= Items()->Count()) return AnsiString();
  return Items()->Strings(index);
}

void TScCustomListBox::DeleteItemKeepIndex(int index) {
  if (index < 0 || index >= Items()->Count()) return;
  int selected = ItemIndex();
  Items()->Delete(index);
  int count = Items()->Count();
  if (count == 0 || selected < 0) return;
  SetItemIndex(std::min(selected, count - 1));
  Click();
}

// ---------------------------------------------------------------- buttons

TScButton::TScButton(TComponent* owner) : TButton(owner) {
  ScApplyLook(this);
  SetHeight(ScLook::kButtonHeight);
}

TScBitBtn::TScBitBtn(TComponent* owner) : TBitBtn(owner) {
  ScApplyLook(this);
  SetHeight(ScLook::kButtonHeight);
}

namespace {
constexpr int kDialogButtonWidth = 80;
constexpr int kDialogButtonGap = 6;
constexpr int kDialogButtonMargin = 8;
}  // namespace

TScDialogButtons::TScDialogButtons(TComponent* owner) : TPanel(owner) {
  ScApplyLook(this);
  SetBevelOuter(bvNone);
  SetHeight(ScLook::kButtonHeight + 2 * kDialogButtonMargin);
  ok_ = new TScButton(this);
  ok_->SetParent(this);
  ok_->SetCaption("확인"_k);
  ok_->SetDefault(true);
  ok_->OnClick = [this](TObject*) {
    if (OnClickOk) OnClickOk(this);
  };
  cancel_ = new TScButton(this);
  cancel_->SetParent(this);
  cancel_->SetCaption("취소"_k);
  cancel_->SetCancel(true);
  cancel_->OnClick = [this](TObject*) {
    if (OnClickCancel) OnClickCancel(this);
  };
  PlaceButtons();
}

void TScDialogButtons::Resize() {
  TPanel::Resize();
  PlaceButtons();
}

void TScDialogButtons::PlaceButtons() {
  int top = (Height() - ScLook::kButtonHeight) / 2;
  int cancelLeft = Width() - kDialogButtonMargin - kDialogButtonWidth;
  cancel_->SetBounds(cancelLeft, top, kDialogButtonWidth, ScLook::kButtonHeight);
  ok_->SetBounds(cancelLeft - kDialogButtonGap - kDialogButtonWidth, top, kDialogButtonWidth, ScLook::kButtonHeight);
}

// ---------------------------------------------------------------- containers

TScPanel::TScPanel(TComponent* owner) : TPanel(owner) { ScApplyLook(this); }

TScGroupBox::TScGroupBox(TComponent* owner) : TGroupBox(owner) { ScApplyLook(this); }

TScTabSheet::TScTabSheet(TComponent* owner) : TTabSheet(owner) { ScApplyLook(this); }

TScPageControl::TScPageControl(TComponent* owner) : TPageControl(owner) { ScApplyLook(this); }

void TScPageControl::SetActivePageIndex(int index) {
  if (index < 0 || index >= PageCount()) return;
  TPageControl::SetActivePageIndex(index);
}

// ---------------------------------------------------------------- choices

TScCheckBox::TScCheckBox(TComponent* owner) : TCheckBox(owner) { ScApplyLook(this); }

TScRadioGroup::TScRadioGroup(TComponent* owner) : TRadioGroup(owner) { ScApplyLook(this); }

TScColorEdit::TScColorEdit(TComponent* owner) : TCustomControl(owner) {
  ScApplyFieldLook(this);
  SetBounds(0, 0, 120, ScLook::kFieldHeight);
  SetTabStop(true);
  SetCursor(crHandPoint);
}

void TScColorEdit::SetSelectedColor(TColor color) {
  if (color == selectedColor_) return;
  selectedColor_ = color;
  Invalidate();
}

bool TScColorEdit::PickColor() {
  TColorDialog dialog(nullptr);
  dialog.Color = ColorToRGB(selectedColor_);
  if (!dialog.Execute()) return false;
  if (dialog.Color != selectedColor_) {
    SetSelectedColor(dialog.Color);
    if (OnChange) OnChange(this);
  }
  return true;
}

void TScColorEdit::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(Enabled() ? ScLook::kFieldColor : ScLook::kFaceColor);
  c->FillRect(r);
  TRect frame = r;
  DrawEdge(*c, frame, EDGE_SUNKEN, BF_RECT);
  // The swatch, framed so that a white or face-coloured choice still shows.
  int inner = 4;
  int swatchWidth = std::min(22, std::max(r.Width() / 4, 8));
  TRect swatch = Rect(inner, inner, inner + swatchWidth, r.Height() - inner);
  c->Brush()->SetColor(selectedColor_);
  c->FillRect(swatch);
  c->Brush()->SetColor(Enabled() ? clBlack : clGrayText);
  c->FrameRect(swatch);
  c->SetFont(*Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  c->SetBkMode(TRANSPARENT);
  TRect text = Rect(swatch.Right + 5, 2, r.Width() - 2, r.Height() - 2);
  AnsiString name = ColorToString(selectedColor_);
  c->DrawText(name, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  if (Focused()) {
    TRect focus = Rect(2, 2, r.Width() - 2, r.Height() - 2);
    c->DrawFocusRect(focus);
  }
}

void TScColorEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Enabled()) return;
  if (CanFocus()) SetFocus();
  PickColor();
}

void TScColorEdit::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_SPACE || key == VK_RETURN || (key == VK_DOWN && shift.contains(ssAlt))) {
    key = 0;
    PickColor();
  }
}

// ---------------------------------------------------------------- status

TScLabel::TScLabel(TComponent* owner) : TLabel(owner) {
  ScApplyLook(this);
  SetTransparent(true);
}

TScProgressBar::TScProgressBar(TComponent* owner) : TProgressBar(owner) {
  ScApplyLook(this);
  SetMin(0);
  SetMax(100);
  SetSmooth(true);
}

void TScProgressBar::SetPercent(Word percent) {
  percent_ = std::min<Word>(percent, 100);
  SetPosition(percent_);
}

TScStatusBar::TScStatusBar(TComponent* owner) : TPanel(owner) {
  ScApplyLook(this);
  SetBevelOuter(bvNone);
  SetHeight(ScLook::kFieldHeight + 2);
  SetAlign(alBottom);
}

TScStatusPane::TScStatusPane(TComponent* owner) : TPanel(owner) {
  ScApplyLook(this);
  SetBevelOuter(bvLowered);
  SetBorderWidth(3);  // the text does not touch the sunken edge
  SetAlignment(taLeftJustify);
  SetBounds(0, 0, 120, ScLook::kFieldHeight);
  SetAlign(alLeft);
}
