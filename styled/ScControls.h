// The styled controls the windows are built from: the standard controls of
// the platform with the program's look (ScLook.h) and the few members the
// windows rely on beyond the standard ones.
//
// Sections:
//   Edits ............. TScEdit, TScMemo, TScButtonEdit, TScDateTimeEdit
//   Lists ............. TScCustomComboBox / TScComboBox, TScCustomListBox / TScListBox
//   Buttons ........... TScButton, TScBitBtn, TScMenuButton, TScDialogButtons
//   Containers ........ TScPanel, TScGroupBox, TScPageControl / TScTabSheet
//   Choices ........... TScCheckBox, TScRadioGroup, TScColorEdit
//   Status ............ TScLabel, TScProgressBar, TScStatusBar, TScStatusPane, TScFieldStatus
//
// The check list is in ScCheckList.h, the form placement in ScFormState.h.
#pragma once

#include <functional>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"

// ---------------------------------------------------------------- edits

class TScEdit : public TEdit {
 public:
  explicit TScEdit(TComponent* owner);
  // Writing the text fires OnChange whenever it changes, window or not.
  void SetText(const AnsiString& s) override;
};

class TScMemo : public TMemo {
 public:
  explicit TScMemo(TComponent* owner);
};

// An edit with a small "..." button at its right end. The button is a
// stop of its own after the edit: Tab reaches it, Space or Enter presses it.
class TScButtonEdit : public TScEdit {
 public:
  explicit TScButtonEdit(TComponent* owner);
  TButton* Button() const { return button_; }
  // What the button does; ButtonClick presses it from code.
  TNotifyEvent OnButtonClick;
  void ButtonClick();

 private:
  TButton* button_;
};

// A date or time kept as the text the user or the program typed.
class TScDateTimeEdit : public TScEdit {
 public:
  explicit TScDateTimeEdit(TComponent* owner);
};

// ---------------------------------------------------------------- lists

class TScCustomComboBox : public TComboBox {
 public:
  explicit TScCustomComboBox(TComponent* owner);
  // Removes every item (the text of an editable box stays).
  void ClearItems();
};

class TScComboBox : public TScCustomComboBox {
 public:
  explicit TScComboBox(TComponent* owner) : TScCustomComboBox(owner) {}
};

class TScCustomListBox : public TListBox {
 public:
  explicit TScCustomListBox(TComponent* owner);
  // The item's text; empty for an index outside the list.
  AnsiString ItemCaption(int index) const;
  // Deletes the item and, when an item was selected and the list is not
  // empty, selects the one at the old selection index (the last one when
  // that is now past the end) and fires OnClick as a user's choice would.
  // An index outside the list does nothing.
  void DeleteItemKeepIndex(int index);
};

class TScListBox : public TScCustomListBox {
 public:
  explicit TScListBox(TComponent* owner) : TScCustomListBox(owner) {}
};

// ---------------------------------------------------------------- buttons

class TScButton : public TButton {
 public:
  explicit TScButton(TComponent* owner);
};

class TScBitBtn : public TBitBtn {
 public:
  explicit TScBitBtn(TComponent* owner);
};

class TScMenuButton : public TScButton {
 public:
  explicit TScMenuButton(TComponent* owner) : TScButton(owner) {}
};

// The "확인" and "취소" buttons of a dialog along its bottom edge, at its
// right end. Enter presses "확인", Escape "취소".
class TScDialogButtons : public TPanel {
 public:
  explicit TScDialogButtons(TComponent* owner);
  TScButton* OkButton() const { return ok_; }
  TScButton* CancelButton() const { return cancel_; }
  TNotifyEvent OnClickOk;
  TNotifyEvent OnClickCancel;

 protected:
  void Resize() override;

 private:
  void PlaceButtons();
  TScButton* ok_;
  TScButton* cancel_;
};

// ---------------------------------------------------------------- containers

class TScPanel : public TPanel {
 public:
  explicit TScPanel(TComponent* owner);
};

class TScGroupBox : public TGroupBox {
 public:
  explicit TScGroupBox(TComponent* owner);
};

class TScTabSheet : public TTabSheet {
 public:
  explicit TScTabSheet(TComponent* owner);
};

class TScPageControl : public TPageControl {
 public:
  explicit TScPageControl(TComponent* owner);
  // The windows switch pages through this one setter; an index outside the
  // pages is ignored.
  virtual void SetActivePageIndex(int index);
};

// ---------------------------------------------------------------- choices

class TScCheckBox : public TCheckBox {
 public:
  explicit TScCheckBox(TComponent* owner);
};

class TScRadioGroup : public TRadioGroup {
 public:
  explicit TScRadioGroup(TComponent* owner);
};

// A colour field: a swatch and the colour's name; a click (or Space) opens
// the colour dialog. OnChange fires when the user picks another colour.
class TScColorEdit : public TCustomControl {
 public:
  explicit TScColorEdit(TComponent* owner);
  TColor SelectedColor() const { return selectedColor_; }
  // Does not fire OnChange (only the user's choice does).
  void SetSelectedColor(TColor color);
  // Opens the colour dialog; true when a colour was chosen.
  bool PickColor();
  TNotifyEvent OnChange;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(Word& key, TShiftState shift) override;

 private:
  TColor selectedColor_ = clBlack;
};

// ---------------------------------------------------------------- status

class TScLabel : public TLabel {
 public:
  explicit TScLabel(TComponent* owner);
};

class TScProgressBar : public TProgressBar {
 public:
  explicit TScProgressBar(TComponent* owner);
  Word Percent() const { return percent_; }
  // Above 100 shows as full.
  void SetPercent(Word percent);

 private:
  Word percent_ = 0;
};

// The bar along a window's bottom edge that holds the panes.
class TScStatusBar : public TPanel {
 public:
  explicit TScStatusBar(TComponent* owner);
};

// One sunken text field of the status bar; its Caption is the text.
class TScStatusPane : public TPanel {
 public:
  explicit TScStatusPane(TComponent* owner);
};

class TScFieldStatus : public TScStatusPane {
 public:
  explicit TScFieldStatus(TComponent* owner) : TScStatusPane(owner) {}
};
