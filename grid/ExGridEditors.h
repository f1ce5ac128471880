// The cell editors of the string grid: one grid-aware wrapper per editor
// control, the default text editor TExInplaceEdit, the edit link through
// which an application plugs in its own control, and the editing state the
// grid keeps.
//
// Sections:
//   TSizeWhileTyping ...... the editor's cell grows with the typed text
//   wrappers .............. TGridEditorControl (what they share), TGridSpin,
//                           TGridCombo, TGridUniCombo, TGridUniEdit,
//                           TGridCheckBox, TGridEditBtn, TGridUnitEditBtn,
//                           TGridDatePicker, TGridButton, TExRichEdit;
//                           TGridTransEdit (an edit the application places)
//   TExInplaceEdit ........ typing filters, leave keys, look-up, clipboard (ExInplaceEdit.cpp)
//   TEditLink ............. the protocol of edCustom cells (ExEditLink.cpp)
//   TGridEditState ........ the grid's editing state (ExGridEdit.cpp)
//
// Call tree of an edit (ExGridEdit.cpp):
//   ShowEditor / a typed character (WMChar: the whole character is pending)
//     -> CanEditShow: the type query once per edit
//          default types -> the class library shows TExInplaceEdit
//          other types   -> OpenCellEditor: place, fill, focus, type pending
//   leave key in a control editor -> LeaveSequence: write if changed,
//     ValidateCell -> LeaveEditorByKey -> HideCellEditor -> the grid's key
//   a press on the grid (or the focus it takes first) -> the same
//     validation; refused, the editor keeps the focus and the press is void
//   HideCellEditor -> HideEditor, ReadEditorValue (writes only a changed
//     value), SelectCell(current) -> ValidateCell -> OnCellValidate
//
// Every editor remembers what it showed when it opened; closing one that
// the user did not change writes nothing back, so visiting a cell never
// rewrites it (a date cell that did not parse stays as it was, a combo
// list does not put its first item over a value it does not list).
#pragma once

#include <functional>

#include "grid/EsgControls.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/RichMemo.h"
#include "grid/UniControls.h"

class TExStringGrid;
class TEditLink;

// ------------------------------------------------------------- TSizeWhileTyping

class TSizeWhileTyping : public TPersistent {
 public:
  bool Height() const { return height_; }
  void SetHeight(bool v) { height_ = v; }
  bool Width() const { return width_; }
  void SetWidth(bool v) { width_ = v; }

 private:
  bool height_ = false;
  bool width_ = false;
};

// ------------------------------------------------------------- wrappers

// The grid an editor belongs to: its owner, which must be a string grid.
TExStringGrid* OwnerGrid(TComponent* owner);
// Enter and Escape always reach a control editor, Tab when the grid keeps
// it, the arrows when the editor asks for them.
void WantEditorKeys(TExStringGrid* grid, TMessage& m, bool arrows);
// A control editor lost the focus: the edit it holds ends (to the grid,
// after the value passed validation).
void EditorLostFocus(TExStringGrid* grid, TWinControl* editor);

// What every control editor shares: its grid, the special keys it wants and
// the end of the edit when it loses the focus.
template <class TBase>
class TGridEditorControl : public TBase {
 public:
  explicit TGridEditorControl(TComponent* owner) : TBase(owner), grid_(OwnerGrid(owner)) {}

 protected:
  void CMWantSpecialKey(TMessage& m) override { WantEditorKeys(grid_, m, wantsArrows_); }
  void DoExit() override {
    TBase::DoExit();
    EditorLostFocus(grid_, this);
  }
  TExStringGrid* grid_;
  bool wantsArrows_ = false;
};

class TGridSpin : public TGridEditorControl<TEsgSpinEdit> {
 public:
  explicit TGridSpin(TComponent* owner);
  void UpClick(TObject* sender) override;
  void DownClick(TObject* sender) override;

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void WMKeyDown(TMessage& m) override;

 private:
  void FireSpin(bool up);
};

class TGridCombo : public TGridEditorControl<TESGComboBox> {
 public:
  explicit TGridCombo(TComponent* owner);
  // One wheel notch: towards the user the next item, away the previous
  // one; stops at either end of the list.
  void WheelStep(int wheelDelta);

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void DoEnter() override;
  void DoExit() override;
  // Fires the grid's OnComboCloseUp for the cell being edited.
  void CloseUp() override;
  // Typing completes the text from the items, then the grid's LookupItems.
  void Change() override;

 private:
  bool lookupOn_ = true;
  bool completing_ = false;
};

class TGridUniCombo : public TGridEditorControl<TESGUniComboBox> {
 public:
  explicit TGridUniCombo(TComponent* owner) : TGridEditorControl(owner) {}
  void WheelStep(int wheelDelta);

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void CNCommand(TMessage& m) override;
};

class TGridUniEdit : public TGridEditorControl<TEsgUniEdit> {
 public:
  explicit TGridUniEdit(TComponent* owner);

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
};

class TGridCheckBox : public TGridEditorControl<TCheckBox> {
 public:
  explicit TGridCheckBox(TComponent* owner) : TGridEditorControl(owner) {}

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
};

class TGridEditBtn : public TGridEditorControl<TEsgEditBtn> {
 public:
  explicit TGridEditBtn(TComponent* owner);
  void ClickButton() override;

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
};

class TGridUnitEditBtn : public TGridEditorControl<TEsgUnitEditBtn> {
 public:
  explicit TGridUnitEditBtn(TComponent* owner);

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
};

class TGridDatePicker : public TGridEditorControl<TDateTimePicker> {
 public:
  explicit TGridDatePicker(TComponent* owner) : TGridEditorControl(owner) {}

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void DoExit() override;
};

class TGridButton : public TGridEditorControl<TButton> {
 public:
  explicit TGridButton(TComponent* owner);
  void Click() override;

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
};

// The rich-text editor: the cell's rich text shown formatted and written
// back in the same subset.
class TExRichEdit : public TGridEditorControl<TRichMemo> {
 public:
  explicit TExRichEdit(TComponent* owner) : TGridEditorControl(owner) {}
  bool Loading() const { return loading_; }
  void SetLoading(bool v) { loading_ = v; }

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void DoExit() override;
  // Tells the grid (OnRichEditSelectionChange).
  void SelectionChange() override;

 private:
  bool loading_ = false;
};

// An edit over a cell that the application shows itself, and the grid's
// editor of fixed cells; it stores its text into its cell when it loses the
// focus and the text is valid. Enter gives the focus back to the grid (and
// so stores), Escape closes it without storing.
class TGridTransEdit : public TCustomEdit {
 public:
  explicit TGridTransEdit(TComponent* owner);
  int Col() const { return col_; }
  void SetCol(int v) { col_ = v; }
  int Row() const { return row_; }
  void SetRow(int v) { row_ = v; }

 protected:
  void KeyPress(char& key) override;
  void DoExit() override;

 private:
  TExStringGrid* grid_;
  int col_ = 0;
  int row_ = 0;
};

// Editors of the form controls inside a mark-up cell (ExGridControlEdit.cpp):
// an edit for EDIT, PASSWORD and MASK controls, a combo for COMBO controls.
// Enter ends the control's edit; Escape ends it with the value it had; Tab
// ends it and moves to the next control of the cell (or, with
// Navigation.AdvanceAuto, to the next cell). Leaving it ends it too.
template <class TBase>
class THtmlControlEditor : public TBase {
 public:
  explicit THtmlControlEditor(TComponent* owner) : TBase(owner), grid_(OwnerGrid(owner)) {}

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoExit() override;
  void CMWantSpecialKey(TMessage& m) override;
  // Escape: the control shows the value it opened with again.
  virtual void RestoreStartValue() = 0;
  TExStringGrid* grid_;
};

// MASK controls take their input through the edit mask of the control's PROP.
class TControlEdit : public THtmlControlEditor<TCustomMaskEdit> {
 public:
  using THtmlControlEditor::THtmlControlEditor;

 protected:
  void RestoreStartValue() override;
};

class TControlCombo : public THtmlControlEditor<TComboBox> {
 public:
  using THtmlControlEditor::THtmlControlEditor;

 protected:
  void RestoreStartValue() override;
};

// The form control being edited: its cell (real column), id, type and the
// value it had when its editor opened.
struct THtmlControlEditState {
  bool active = false;
  int col = -1;
  int row = -1;
  AnsiString id;
  AnsiString type;
  AnsiString startValue;
  AnsiString shownValue;  // the edit's text when it opened (a mask may show less)
  TControlEdit* edit = nullptr;
  TControlCombo* combo = nullptr;
};

// ------------------------------------------------------------- TExInplaceEdit

class TExInplaceEdit : public TInplaceEdit {
 public:
  explicit TExInplaceEdit(TComponent* owner);

  bool VAlign() const { return vAlign_; }
  void SetVAlign(bool v) { vAlign_ = v; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v) { wordWrap_ = v; }
  // Bytes; 0 or below: no limit. A character that does not fit whole is refused.
  int LengthLimit() const { return lengthLimit_; }
  void SetLengthLimit(int v) { lengthLimit_ = v; }
  TExStringGrid* ExGrid() const { return grid_; }

 protected:
  void UpdateContents() override;
  // Several lines when a line break can be typed (LineFeedOnEnter, or
  // AllowCtrlEnter with Multilinecells), never for a password; wrapped as
  // the grid wraps.
  bool MultiLine() const override;
  bool WordWrapped() const override;
  // Over the whole merged area of the cell, its right and bottom lines left free.
  void BoundsChanged() override;
  void Change() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void KeyUp(Word& key, TShiftState shift) override;
  void DblClick() override;
  void DoEnter() override;
  void DoExit() override;
  void WMChar(TMessage& m) override;
  void WMCopy(TMessage& m) override;
  void WMCut(TMessage& m) override;
  void WMPaste(TMessage& m) override;
  void CMWantSpecialKey(TMessage& m) override;
  void CMVisibleChanged(TMessage& m) override;

 public:
  // Validates the text; invalid keeps the editor with the cell's text.
  bool ValidateForLeave();

 private:
  // The typing filter for one byte; 0 drops it.
  char FilterChar(char key);
  void TypingLookup();
  void GrowWithText();
  bool CursorWalk(bool forward);

  TExStringGrid* grid_;
  bool vAlign_ = false;
  bool wordWrap_ = false;
  int lengthLimit_ = 0;
  bool lookupOn_ = true;
  // The byte before was a lead byte: this one completes a syllable.
  bool inTrail_ = false;
  // The lead byte was refused: its trail byte is refused with it.
  bool dropTrail_ = false;
  AnsiString mixedLead_;
  // Enter typed a line break: its character does not follow it.
  bool dropReturn_ = false;
};

// The text editor types that keep a typed line break.
bool KeepsLineBreaks(TEditorType type);

// ------------------------------------------------------------- TEditLink

enum TEditStyle { esInplace, esPopup };

class TEditLink : public TComponent {
 public:
  explicit TEditLink(TComponent* owner);
  ~TEditLink() override;

  TEditStyle EditStyle() const { return editStyle_; }
  void SetEditStyle(TEditStyle v) { editStyle_ = v; }
  int PopupWidth() const { return popupWidth_; }
  void SetPopupWidth(int v) { popupWidth_ = v; }
  int PopupHeight() const { return popupHeight_; }
  void SetPopupHeight(int v) { popupHeight_ = v; }
  bool AutoPopupWidth() const { return autoPopupWidth_; }
  void SetAutoPopupWidth(bool v) { autoPopupWidth_ = v; }
  bool WantKeyLeftRight() const { return wantLeftRight_; }
  void SetWantKeyLeftRight(bool v) { wantLeftRight_ = v; }
  bool WantKeyUpDown() const { return wantUpDown_; }
  void SetWantKeyUpDown(bool v) { wantUpDown_ = v; }
  bool WantKeyHomeEnd() const { return wantHomeEnd_; }
  void SetWantKeyHomeEnd(bool v) { wantHomeEnd_ = v; }
  bool WantKeyPriorNext() const { return wantPriorNext_; }
  void SetWantKeyPriorNext(bool v) { wantPriorNext_ = v; }
  bool WantKeyReturn() const { return wantReturn_; }
  void SetWantKeyReturn(bool v) { wantReturn_ = v; }
  bool WantKeyEscape() const { return wantEscape_; }
  void SetWantKeyEscape(bool v) { wantEscape_ = v; }

  TExStringGrid* Grid() const { return grid_; }
  int EditCol() const { return editCol_; }
  int EditRow() const { return editRow_; }
  TForm* PopupForm() const { return popupForm_; }
  bool Busy() const { return busy_; }

  // ---- the protocol; all but EditKeyDown and the focus do nothing here
  virtual void EditKeyDown(TObject* sender, Word& key, TShiftState shift);
  virtual TWinControl* GetEditControl() { return nullptr; }
  virtual void CreateEditor(TWinControl* parent) {}
  virtual void DestroyEditor() {}
  virtual void SetFocus(bool value);
  virtual void SetRect(TRect r);
  virtual void SetVisible(bool value);
  virtual void SetProperties() {}
  virtual void SetCellProps(TColor color, TFont* font) {}
  virtual AnsiString GetEditorValue() { return AnsiString(); }
  virtual void SetEditorValue(const AnsiString& s) {}

  // The grid that uses the link; each forgets the other when it goes.
  void AttachGrid(TExStringGrid* grid);
  // Called by the grid when an edit starts on (real column, row), and when
  // it ends: the control is hidden and its key hook removed.
  void BeginEdit(TExStringGrid* grid, int col, int row);
  void EndEdit();
  // The popup form, made on the first popup edit and kept.
  TForm* PopupFormNeeded();
  // The popup form lost the activation.
  void PopupDeactivated();

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void InstallHook(TWinControl* control);
  void RemoveHook();
  TEditStyle editStyle_ = esInplace;
  int popupWidth_ = 0;
  int popupHeight_ = 0;
  bool autoPopupWidth_ = false;
  bool wantLeftRight_ = false;
  bool wantUpDown_ = false;
  bool wantHomeEnd_ = false;
  bool wantPriorNext_ = false;
  bool wantReturn_ = false;
  bool wantEscape_ = false;
  TExStringGrid* grid_ = nullptr;
  int editCol_ = -1;
  int editRow_ = -1;
  TForm* popupForm_ = nullptr;  // owned as a component
  bool busy_ = false;
  // The control whose window procedure the hook replaced, and the saved one.
  TWinControl* hooked_ = nullptr;
  std::function<void(TMessage&)> savedProc_;
};

// ------------------------------------------------------------- TGridEditState

// What the grid keeps while and between edits. The editor controls are
// made on first use, owned by the grid and parented to it.
struct TGridEditState {
  TEditorType editorType = edNormal;
  bool editing = false;        // an edit is in progress
  bool editorShown = false;    // validation is due when the edit ends
  bool validating = false;
  bool editingDone = false;    // OnEditingDone is due when the control editor closes
  bool closeNotify = false;
  bool leavingByKey = false;
  bool cancelled = false;      // Escape: the control's value is not written back
  bool forceValidate = false;
  bool switchedEditingOff = false;  // the grid took goEditing away itself
  bool dying = false;
  bool closing = false;        // the editor is being closed: its focus loss is no leave
  TWinControl* activeEditor = nullptr;
  // The cell (real column) the control editor was placed on, and its rectangle then.
  int placedCol = -1;
  int placedRow = -1;
  TRect placedRect{};
  TSizeWhileTyping sizeWhileTyping;
  AnsiString startText;        // the cell's text when the edit began (Escape)
  // The edit cell (real column) and its text, for validation.
  int editCol = -1;
  int editRow = -1;
  AnsiString editCellText;
  WideString editCellWide;
  // A character typed on the grid that started the edit: a whole character
  // (a Hangul syllable is two bytes); gridLead holds a lead byte waiting for
  // its trail byte.
  AnsiString pending;
  char gridLead = 0;
  bool dropGridTrail = false;  // OnKeyPress dropped a lead byte: its trail byte goes too
  bool pendingHeard = false;   // the pending character passed OnKeyPress already
  // What the control editor showed after it was filled: closing it with
  // the same value writes nothing.
  AnsiString openedText;
  WideString openedWide;
  TDateTime openedDate = 0;
  bool openedChecked = true;
  TEditLink* link = nullptr;
  TEditLink* openLink = nullptr;  // the link of the edit in progress
  // A click that opens an editor puts its caret under the mouse (grid
  // client coordinates), once.
  bool caretClickNoted = false;
  TPoint caretClick{0, 0};
  THtmlControlEditState htmlControl;
  bool popupClosed = false;
  // A control editor kept the focus from the grid for a refused value: the
  // press that took it does nothing. Forgotten when the events of that
  // press are over.
  bool pressRefused = false;

  TGridSpin* spin = nullptr;
  TGridCombo* combo = nullptr;
  TGridUniEdit* uniEdit = nullptr;
  TGridUniCombo* uniCombo = nullptr;
  TGridCheckBox* checkBox = nullptr;
  TGridEditBtn* editBtn = nullptr;
  TGridUnitEditBtn* unitEditBtn = nullptr;
  TGridDatePicker* datePicker = nullptr;
  TGridButton* button = nullptr;
  TExRichEdit* richEdit = nullptr;
  TGridTransEdit* fixedEdit = nullptr;
};

// The types the class library's text editor edits.
bool IsDefaultEditorType(TEditorType type);

// The typing filter of the numeric editor types for one byte of typed text
// (edNumeric, edPositiveNumeric, edFloat and the button editors like
// them): the byte to type, or 0 to drop it; beep tells whether to beep.
char NumericKeyFilter(TEditorType type, char key, const AnsiString& text, int selStart,
                      const AnsiString& selText, bool& beep);
