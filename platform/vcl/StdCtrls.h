// Standard controls, each a thin class over a Qt widget: edits, memo, combo
// box, list boxes, buttons, check and radio buttons, group box, label.
//
// Sections:
//   TControlItems ........ the Items of combo and list boxes (with Objects)
//   TCustomEdit / TEdit .. single-line edit
//   TMemo ................ multi-line edit with Lines
//   TComboBox
//   TListBox / TCheckListBox
//   TButton / TBitBtn / TSpeedButton
//   TCheckBox / TRadioButton / TGroupBox / TLabel
//
// Notifications travel as in the class library: the widget's signal becomes
// WM_COMMAND to the parent, which reflects it as CN_COMMAND to the control,
// whose handler fires the event (OnChange, OnClick, OnSelect, ...). Setting
// a value in code does not fire the user-input events, except where the
// class library does (Checked fires OnClick).
#pragma once

#include <memory>
#include <vector>

#include "platform/vcl/Controls.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
// Vertical placement of a label's text.
enum TLabelTextLayout { tlTop, tlCenter, tlBottom };

// ---------------------------------------------------------------- TControlItems

// The Items of a combo or list box: strings with Objects (not owned) and,
// for check lists, a state and an enabled flag per item. Changes go to the
// widget at once.
class TControlItems : public TStrings {
 public:
  struct Item {
    AnsiString text;
    TObject* object = nullptr;
    TCheckBoxState state = cbUnchecked;
    bool enabled = true;
  };
  class Listener {
   public:
    virtual ~Listener() = default;
    virtual void ItemsInserted(int index) = 0;
    virtual void ItemsDeleted(int index) = 0;  // -1: all
    virtual void ItemChanged(int index) = 0;
    // count items added at the end from first on, told at once.
    virtual void ItemsAppended(int first, int count) {
      for (int i = first; i < first + count; ++i) ItemsInserted(i);
    }
  };
  explicit TControlItems(Listener* listener) : listener_(listener) {}

  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const AnsiString& s) override;
  void InsertObject(int index, const AnsiString& s, TObject* object) override;
  const Item& At(int index) const;
  Item& At(int index);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool v);
  int Add(const AnsiString& s) override;
  int AddObject(const AnsiString& s, TObject* object) override;
  // Unsorted items are added in one step: a list box takes them in one
  // insertion rather than one per item.
  void AddStrings(const TStrings* strings) override;

 protected:
  AnsiString Get(int index) const override;
  int GetCount() const override { return static_cast<int>(items_.size()); }
  TObject* GetObject(int index) const override;
  void Put(int index, const AnsiString& s) override;
  void PutObject(int index, TObject* object) override;

 private:
  void Check(int index) const;
  int SortedPosition(const AnsiString& s) const;
  Listener* listener_;
  std::vector<Item> items_;
  bool sorted_ = false;
};

// ---------------------------------------------------------------- TCustomEdit

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* owner);

  const AnsiString& GetText() const override;
  void SetText(const AnsiString& s) override;
  // Bytes of code page 949 text; 0 = no limit. Longer input is refused.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int v);
  // 0: plain text; any other character hides what is typed.
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char c);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase c) { charCase_ = c; }
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }
  // The formatting rectangle (client coordinates) that the text is laid
  // out and scrolled in, as EM_SETRECTNP sets it: a control with children
  // over its client area keeps its text clear of them. Empty: the whole
  // client area.
  const TRect& EditRect() const { return editRect_; }
  void SetEditRect(const TRect& r);

  // Byte positions in the code page 949 text (0-based start).
  int SelStart() const;
  void SetSelStart(int v);
  int SelLength() const;
  void SetSelLength(int v);
  AnsiString SelText() const;
  // Replaces the selection (or inserts at the caret).
  virtual void SetSelText(const AnsiString& s);
  void SelectAll();
  void Clear() { SetText(""); }
  // Through WM_COPY / WM_CUT / WM_PASTE, so a control can intercept them.
  void CopyToClipboard() { Perform(WM_COPY, 0, 0); }
  void CutToClipboard() { Perform(WM_CUT, 0, 0); }
  void PasteFromClipboard() { Perform(WM_PASTE, 0, 0); }

  TNotifyEvent OnChange;

 protected:
  virtual void Change();
  TWindowHandle* CreateWindowHandle() override;
  void InitWindowHandle() override;
  void ApplyTextToWidget() override;
  void ApplyColorToWidget() override;
  void CNCommand(TMessage& m) override;
  void WMChar(TMessage& m) override;
  void WMKeyDown(TMessage& m) override;
  void WMCut(TMessage& m) override;
  void WMCopy(TMessage& m) override;
  void WMPaste(TMessage& m) override;
  void WMClear(TMessage& m) override;
  void KeyPress(char& key) override;
  // The text of the widget as code page 949 (the stored text without one).
  virtual AnsiString WidgetText() const;
  bool settingText_ = false;

 private:
  int maxLength_ = 0;
  char passwordChar_ = 0;
  bool readOnly_ = false;
  TAlignment alignment_ = taLeftJustify;
  TEditCharCase charCase_ = ecNormal;
  bool autoSelect_ = true;
  bool modified_ = false;
  int selStart_ = 0, selLength_ = 0;
  TRect editRect_{};
  void ApplyEditRect();
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

// ---------------------------------------------------------------- TMemo

class TMemo : public TCustomEdit {
 public:
  explicit TMemo(TComponent* owner);
  ~TMemo() override;
  // The lines of the text; changing them changes the memo.
  TStrings* Lines() const { return lines_.get(); }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  // Enter types a line break (else it goes to the default button).
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool v) { wantReturns_ = v; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool v) { wantTabs_ = v; }
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle s);
  // Lines are joined with "\r\n".
  const AnsiString& GetText() const override;
  void SetSelText(const AnsiString& s) override;

 protected:
  TWindowHandle* CreateWindowHandle() override;
  void ApplyTextToWidget() override;
  void WMGetDlgCode(TMessage& m) override;
  AnsiString WidgetText() const override;

 private:
  std::unique_ptr<TStrings> lines_;
  bool wordWrap_ = true;
  bool wantReturns_ = true;
  bool wantTabs_ = false;
  TScrollStyle scrollBars_ = ssNone;
};

// ---------------------------------------------------------------- TComboBox

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboBox : public TWinControl, private TControlItems::Listener {
 public:
  explicit TComboBox(TComponent* owner);
  ~TComboBox() override;

  TStrings* Items() const { return items_.get(); }
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle s);
  int ItemIndex() const;
  void SetItemIndex(int index);
  const AnsiString& GetText() const override;
  void SetText(const AnsiString& s) override;
  bool DroppedDown() const;
  void SetDroppedDown(bool v);
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int v);
  // 0: as wide as the box.
  int DropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(int v);
  int ItemHeight() const;
  void SetItemHeight(int v) { itemHeight_ = v; }
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int v);
  bool Sorted() const { return items_->Sorted(); }
  void SetSorted(bool v) { items_->SetSorted(v); }
  void Clear();
  void SelectAll();

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

 protected:
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  TWindowHandle* CreateWindowHandle() override;
  void CNCommand(TMessage& m) override;

 private:
  void ItemsInserted(int index) override;
  void ItemsAppended(int first, int count) override;
  void ItemsDeleted(int index) override;
  void ItemChanged(int index) override;
  std::unique_ptr<TControlItems> items_;
  TComboBoxStyle style_ = csDropDown;
  int itemIndex_ = -1;
  int dropDownCount_ = 8;
  int dropDownWidth_ = 0;
  int itemHeight_ = 16;
  int maxLength_ = 0;
  mutable AnsiString textCache_;
};

// ---------------------------------------------------------------- TListBox

class TListBox : public TWinControl, protected TControlItems::Listener {
 public:
  explicit TListBox(TComponent* owner);
  ~TListBox() override;

  TStrings* Items() const { return items_.get(); }
  int ItemIndex() const;
  void SetItemIndex(int index);
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool v);
  bool Selected(int index) const;
  void SetSelected(int index, bool v);
  int SelCount() const;
  bool Sorted() const { return items_->Sorted(); }
  void SetSorted(bool v) { items_->SetSorted(v); }
  int TopIndex() const;
  void SetTopIndex(int index);
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int v);
  // The item at a client point, or -1 (with existing false: the count when past the end).
  int ItemAtPos(TPoint pos, bool existing) const;
  TRect ItemRect(int index) const;
  void Clear();
  void ClearSelection();
  void SelectAll();
  // Every item laid out at the size of the first, so that showing a long
  // list of one-line texts does not measure each; an item wider than the
  // first is cut at the box's edge, as in a box without a scroll width.
  bool UniformItems() const { return uniformItems_; }
  void SetUniformItems(bool v);

 protected:
  TWindowHandle* CreateWindowHandle() override;
  // The items put in while the window was made are set up once it is the
  // control's (DecorateItem reaches it through the control).
  void InitWindowHandle() override;
  void CNCommand(TMessage& m) override;
  void ItemsInserted(int index) override;
  void ItemsDeleted(int index) override;
  void ItemChanged(int index) override;
  void ItemsAppended(int first, int count) override;
  // Sets up one Qt item from Items; TCheckListBox adds its check box.
  virtual void DecorateItem(int index);
  std::unique_ptr<TControlItems> items_;

 private:
  int itemIndex_ = -1;
  bool multiSelect_ = false;
  int itemHeight_ = 16;
  std::vector<bool> selected_;
  bool uniformItems_ = false;
};

class TCheckListBox : public TListBox {
 public:
  explicit TCheckListBox(TComponent* owner);
  bool Checked(int index) const { return State(index) == cbChecked; }
  void SetChecked(int index, bool v) { SetState(index, v ? cbChecked : cbUnchecked); }
  TCheckBoxState State(int index) const;
  void SetState(int index, TCheckBoxState state);
  bool ItemEnabled(int index) const;
  void SetItemEnabled(int index, bool v);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool v) { allowGrayed_ = v; }
  // Fired when the user changes a check box (click or Space).
  TNotifyEvent OnClickCheck;

 protected:
  void DecorateItem(int index) override;
  TWindowHandle* CreateWindowHandle() override;
  virtual void ClickCheck();

 private:
  bool allowGrayed_ = false;
  bool decorating_ = false;
};

// ---------------------------------------------------------------- buttons

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  // Sets the form's ModalResult to this button's, then fires OnClick.
  void Click() override;
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult r) { modalResult_ = r; }
  // Enter in the form clicks the default button, Escape the cancel button.
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }

 protected:
  TWindowHandle* CreateWindowHandle() override;
  void ApplyTextToWidget() override;
  void CNCommand(TMessage& m) override;
  void CMDialogKey(TMessage& m) override;

 private:
  TModalResult modalResult_ = mrNone;
  bool default_ = false;
  bool cancel_ = false;
};

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TBitBtn : public TButton {
 public:
  explicit TBitBtn(TComponent* owner);
  ~TBitBtn() override;
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(const TBitmap* glyph);
  TBitBtnKind Kind() const { return kind_; }
  // bkOK, bkCancel, ... set ModalResult (and Default / Cancel) as the class library does.
  void SetKind(TBitBtnKind kind);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout l);

 protected:
  TWindowHandle* CreateWindowHandle() override;
  void InitWindowHandle() override;
  void ApplyGlyph();

 private:
  std::unique_ptr<TBitmap> glyph_;
  TBitBtnKind kind_ = bkCustom;
  TButtonLayout layout_ = blGlyphLeft;
};

// A flat button drawn by itself that never takes the focus. Buttons with
// the same GroupIndex (> 0) and parent work like radio buttons.
class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v) { groupIndex_ = v; }
  bool Down() const { return down_; }
  void SetDown(bool v);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool v) { allowAllUp_ = v; }
  bool Flat() const { return flat_; }
  void SetFlat(bool v) { flat_ = v; Invalidate(); }
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(const TBitmap* glyph);
  void Click() override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  int groupIndex_ = 0;
  bool down_ = false;
  bool allowAllUp_ = false;
  bool flat_ = false;
  bool pressed_ = false;
  bool hot_ = false;
  std::unique_ptr<TBitmap> glyph_;
};

// ---------------------------------------------------------------- check, radio, group, label

class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* owner);
  bool Checked() const { return state_ == cbChecked; }
  // A change fires OnClick, as the class library does.
  void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState s);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool v);

 protected:
  TWindowHandle* CreateWindowHandle() override;
  void ApplyTextToWidget() override;
  void CNCommand(TMessage& m) override;

 private:
  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
};

class TRadioButton : public TWinControl {
 public:
  explicit TRadioButton(TComponent* owner);
  bool Checked() const { return checked_; }
  // Checking one unchecks the other radio buttons of the same parent and
  // fires OnClick.
  void SetChecked(bool v);

 protected:
  TWindowHandle* CreateWindowHandle() override;
  void ApplyTextToWidget() override;
  void CNCommand(TMessage& m) override;

 private:
  bool checked_ = false;
};

class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* owner);
  void AdjustClientRect(TRect& rect) const override;

 protected:
  TWindowHandle* CreateWindowHandle() override;
  void ApplyTextToWidget() override;
};

class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* owner);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a) { alignment_ = a; Invalidate(); }
  TLabelTextLayout Layout() const { return layout_; }
  void SetLayout(TLabelTextLayout l) { layout_ = l; Invalidate(); }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v) { transparent_ = v; Invalidate(); }
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool v) { showAccelChar_ = v; Invalidate(); }
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* c) { focusControl_ = c; }
  // Sizes the label to its text when AutoSize is on.
  void AdjustBounds();

 protected:
  void Paint() override;
  void CMTextChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  TColor BackgroundColor() const override { return transparent_ ? clNone : Color(); }

 private:
  unsigned DrawFlags() const;
  bool autoSize_ = true;
  TAlignment alignment_ = taLeftJustify;
  TLabelTextLayout layout_ = tlTop;
  bool wordWrap_ = false;
  bool transparent_ = false;
  bool showAccelChar_ = true;
  TWinControl* focusControl_ = nullptr;
};
