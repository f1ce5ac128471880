// In-place editing of the string grid: which editor a cell gets, how the
// control editors are placed, filled and read back, validation, and the
// leave keys of the control editors (call tree in ExGridEditors.h).
//
// Sections:
//   state ............. the editing state, the editor controls made on first use
//   CanEditShow ....... the type query, once per edit
//   OpenCellEditor .... place, fill, focus, type the pending character
//   ReadEditorValue ... write a changed value back, hide
//   closing ........... HideCellEditor, CancelCellEdit, LeaveEditorByKey
//   validation ........ ValidateCell, ValidateWideCell, SelectCell
//   edit text ......... GetEditText, SetEditText, typed characters on the grid
//   wrappers .......... the leave keys of each control editor
#include <algorithm>
#include <climits>
#include <cmath>

#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExGridSort.h"
#include "grid/ExHtml.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/ComboCaret.h"

bool IsDefaultEditorType(TEditorType type) {
  switch (type) {
    case edNormal: case edNumeric: case edPositiveNumeric: case edFloat: case edCapital:
    case edMixedCase: case edPassword: case edLowerCase: case edUpperCase:
      return true;
    default:
      return false;
  }
}

TExStringGrid* OwnerGrid(TComponent* owner) { return dynamic_cast<TExStringGrid*>(owner); }

namespace {

bool IsSpinType(TEditorType t) {
  return t == edSpinEdit || t == edFloatSpinEdit || t == edTimeSpinEdit || t == edDateSpinEdit;
}
bool IsDateType(TEditorType t) { return t == edDateEdit || t == edDateEditUpDown || t == edTimeEdit; }
bool IsUniType(TEditorType t) { return t == edUniEdit || t == edUniComboEdit || t == edUniComboList; }
bool IsEditBtnType(TEditorType t) { return t == edEditBtn || t == edNumericEditBtn || t == edFloatEditBtn; }

// What the runtime's Val takes from a text: the leading integer (sign and
// digits), 0 for none; a value past the int range stops at its end.
int LeadingInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  Int64 value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > Int64(INT_MAX) + 1) value = Int64(INT_MAX) + 1;
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<Int64>(value, INT_MIN, INT_MAX));
}

// A number and its unit: the leading run of digits, commas, minus signs and
// full stops is the number, everything after it the unit ("10 km2" is
// "10" and " km2"; letters only give no number).
void SplitUnit(const AnsiString& text, AnsiString& number, AnsiString& unit) {
  std::size_t i = 0;
  while (i < text.size() && ((text[i] >= '0' && text[i] <= '9') || text[i] == ',' || text[i] == '-' || text[i] == '.'))
    ++i;
  number = text.substr(0, i);
  unit = text.substr(i);
}

// Feeds a whole character through a control's own typing filter (its key
// press) and hands what passed to insert: the control types it as if the
// user had typed it there.
void TypePending(TWinControl* control, const AnsiString& chars, const std::function<void(const AnsiString&)>& insert) {
  if (chars.empty() || !control) return;
  AnsiString passed;
  for (char c : chars) {
    TMessage m{WM_CHAR, static_cast<unsigned char>(c), 0, 0};
    if (control->DoKeyPress(m)) continue;
    if (const char out = static_cast<char>(m.WParam & 0xFF)) passed.push_back(out);
  }
  if (!passed.empty()) insert(passed);
}

void ShowControl(TWinControl* control, TColor color) {
  control->SetColor(color);
  control->SetEnabled(true);
  control->SetVisible(true);
  control->BringToFront();
  if (control->CanFocus()) control->SetFocus();
}

}  // namespace

// ================================================================= state

void TExStringGrid::TEditStateDeleter::operator()(TGridEditState* state) const {
  state->dying = true;
  TControl* controls[] = {state->spin, state->combo, state->uniEdit, state->uniCombo, state->checkBox,
                          state->editBtn, state->unitEditBtn, state->datePicker, state->button, state->richEdit,
                          state->htmlControl.edit, state->htmlControl.combo};
  for (TControl* control : controls) delete control;
  delete state;
}

TGridEditState& TExStringGrid::EditState() {
  if (!editState_) editState_.reset(new TGridEditState);
  return *editState_;
}

TGridEditState* TExStringGrid::LiveEditState() {
  if (Destroying() || (editState_ && editState_->dying)) return nullptr;
  return &EditState();
}

bool TExStringGrid::Editing() const { return editState_ && editState_->editing; }
TEditorType TExStringGrid::EditingType() const { return editState_ ? editState_->editorType : edNormal; }
TWinControl* TExStringGrid::ActiveEditorControl() const { return editState_ ? editState_->activeEditor : nullptr; }
bool TExStringGrid::ControlEditorOpen() const {
  return editState_ && editState_->editing && !IsDefaultEditorType(editState_->editorType) &&
         editState_->activeEditor && editState_->activeEditor->Visible();
}
void TExStringGrid::NoteCaretClick(int x, int y) {
  TGridEditState& s = EditState();
  s.caretClickNoted = mouseActions_->CaretPositioning();
  s.caretClick = TPoint{x, y};
}

bool TExStringGrid::TakeCaretClick(const TControl* control, TPoint& point) {
  TGridEditState* s = LiveEditState();
  if (!s || !s->caretClickNoted || !control) return false;
  s->caretClickNoted = false;
  point = TPoint{s->caretClick.X - control->Left(), s->caretClick.Y - control->Top()};
  // A click that opened no editor is stale: the next editor, opened by a
  // key or over another cell, does not take it.
  return point.X >= 0 && point.Y >= 0 && point.X < control->Width() && point.Y < control->Height();
}

TExInplaceEdit* TExStringGrid::ExInplaceEditor() const { return dynamic_cast<TExInplaceEdit*>(InplaceEditor()); }
TEditLink* TExStringGrid::CurrentEditLink() const { return editState_ ? editState_->link : nullptr; }
TSizeWhileTyping* TExStringGrid::SizeWhileTyping() { return &EditState().sizeWhileTyping; }

void TExStringGrid::SetCurrentEditLink(TEditLink* link) {
  EditState().link = link;
  if (link) link->AttachGrid(this);
}

namespace {
template <class T>
T* MadeOnce(T*& slot, TExStringGrid* grid) {
  if (!slot) {
    slot = new T(grid);
    slot->SetVisible(false);
    slot->SetEnabled(false);
    slot->SetParent(grid);
  }
  return slot;
}
}  // namespace

TGridSpin* TExStringGrid::SpinEdit() { return MadeOnce(EditState().spin, this); }
TGridCombo* TExStringGrid::Combobox() { return MadeOnce(EditState().combo, this); }
TGridUniCombo* TExStringGrid::UniCombobox() { return MadeOnce(EditState().uniCombo, this); }
TGridUniEdit* TExStringGrid::UniEdit() { return MadeOnce(EditState().uniEdit, this); }
TGridCheckBox* TExStringGrid::CheckBoxEditor() { return MadeOnce(EditState().checkBox, this); }
TGridEditBtn* TExStringGrid::EditBtn() { return MadeOnce(EditState().editBtn, this); }
TGridUnitEditBtn* TExStringGrid::UnitEditBtn() { return MadeOnce(EditState().unitEditBtn, this); }
TGridDatePicker* TExStringGrid::DatePicker() { return MadeOnce(EditState().datePicker, this); }
TGridButton* TExStringGrid::ButtonEditor() { return MadeOnce(EditState().button, this); }
TExRichEdit* TExStringGrid::RichEdit() { return MadeOnce(EditState().richEdit, this); }
TGridTransEdit* TExStringGrid::FixedCellEditor() { return MadeOnce(EditState().fixedEdit, this); }

void TExStringGrid::ShowFixedCellEditor(int col, int row) {
  if (!InGrid(col, row)) return;
  HideEditor();
  const TPoint base = BaseCellOf(RealColIndex(col), row);
  const TRect r = MergedCellRect(DisplColIndex(base.X), base.Y);
  if (r.IsEmpty()) return;
  TGridTransEdit* e = FixedCellEditor();
  e->SetCol(base.X);
  e->SetRow(base.Y);
  e->SetFont(Font());
  e->SetBounds(r.Left, r.Top, std::max(r.Right - r.Left - 1, 1), std::max(r.Bottom - r.Top - 1, 1));
  e->SetText(GetCellText(base.X, base.Y));
  e->SetEnabled(true);
  e->SetVisible(true);
  e->BringToFront();
  if (e->CanFocus()) e->SetFocus();
  e->SelectAll();
}

bool TExStringGrid::FixedCellEditAsked(int col, int row, int x, int y, TGridFixedCellEdit how) {
  const bool inFixedRow = row < TBaseGrid::FixedRows() && mouseActions_->FixedRowsEdit() == how;
  const bool inFixedCol = col < TBaseGrid::FixedCols() && mouseActions_->FixedColsEdit() == how;
  if (!inFixedRow && !inFixedCol) return false;
  if (how == fceDblClick) return true;
  // Near a border the click is the start of a sizing, not an edit.
  const TRect r = CellRect(col, row);
  if (inFixedRow && Options().contains(goColSizing) && (x - r.Left < 4 || r.Right - x < 4)) return false;
  if (inFixedCol && Options().contains(goRowSizing) && (y - r.Top < 4 || r.Bottom - y < 4)) return false;
  return true;
}

bool TExStringGrid::IsControlCell(int col, int row) const {
  switch (GetCellType(col, row)) {
    case ctCheckBox: case ctDataCheckBox: case ctRadio: case ctButton: case ctVirtCheckBox:
      return true;
    default:
      return false;
  }
}

bool TExStringGrid::CurrentCellEditable() {
  if (Col() < 0 || Row() < 0 || Col() >= ColCount() || Row() >= RowCount()) return false;
  const TPoint base = BaseCellOf(RealColIndex(Col()), Row());
  if (IsControlCell(base.X, base.Y) || IsFixedCell(DisplColIndex(base.X), base.Y)) return false;
  bool canEdit = true;
  CanEditCell(base.X, base.Y, canEdit);
  return canEdit;
}

void TExStringGrid::RememberEditCell() {
  TGridEditState& s = EditState();
  const TPoint base = BaseCellOf(RealColIndex(Col()), Row());
  s.editCol = base.X;
  s.editRow = base.Y;
  s.editCellText = GetCellText(base.X, base.Y);
  s.editCellWide = ::IsUnicodeCell(s.editCellText) ? UnicodeCellToWide(s.editCellText) : WideString();
}

AnsiString TExStringGrid::CurrentCellText() {
  const TPoint base = BaseCellOf(RealColIndex(Col()), Row());
  return GetCellText(base.X, base.Y);
}

void TExStringGrid::SetCurrentCellText(const AnsiString& text) {
  const TPoint base = BaseCellOf(RealColIndex(Col()), Row());
  if (GetCellText(base.X, base.Y) != text) SetCellText(base.X, base.Y, text);
}

void TExStringGrid::DoEllipsClick(const AnsiString& text, AnsiString& result) {
  result = text;
  if (OnEllipsClick) OnEllipsClick(this, RealColIndex(Col()), Row(), result);
}

// ================================================================= CanEditShow

bool TExStringGrid::CanEditShow() {
  TGridEditState* s = LiveEditState();
  if (!s || s->validating) return false;
  // A control editor is open: the class library's editor stays hidden.
  if (s->editing && !IsDefaultEditorType(s->editorType)) return false;
  const bool r = TBaseGrid::CanEditShow();
  if (!r) return false;
  if (!s->editing) {
    // The can-edit query decides per cell (a read-only column gets no editor).
    if (!CurrentCellEditable()) return false;
    const TPoint base = BaseCellOf(RealColIndex(Col()), Row());
    s->startText = CurrentCellText();
    s->editorType = edNormal;
    GetCellEditor(base.X, base.Y, s->editorType);
    if (s->editorType == edNone) return false;
    s->editing = true;
    s->cancelled = false;
    RememberEditCell();
    if (!IsDefaultEditorType(s->editorType)) {
      OpenCellEditor(DisplColIndex(base.X), base.Y);
      return false;
    }
  }
  s->editorShown = true;
  return true;
}

// ================================================================= OpenCellEditor

void TExStringGrid::OpenCellEditor(int col, int row) {
  TGridEditState& s = EditState();
  s.editorShown = s.closeNotify = s.editingDone = true;
  s.editing = true;
  s.cancelled = false;
  const TRect r = EditorCellRect(col, row);
  s.placedCol = RealColIndex(col);
  s.placedRow = row;
  s.placedRect = r;
  const int w = std::max(r.Right - r.Left - 1, 1);
  const int h = std::max(r.Bottom - r.Top - 1, 1);
  const int realCol = RealColIndex(col);
  const AnsiString text = GetEditText(col, row);

  TFont font;
  font.Assign(*Font());
  TBrush brush;
  brush.SetColor(Color());
  TColor gradientEnd = clNone;
  TAlignment hAlign = taLeftJustify;
  TVAlignment vAlign = vtaTop;
  TGridDrawState state;
  GetCellColors(col, row, &font, &brush, gradientEnd, hAlign, vAlign, true, false, false, state);
  const TColor color = brush.Color();
  s.activeEditor = nullptr;
  const AnsiString pending = s.pending;
  auto typeInto = [&](TCustomEdit* edit) {
    TypePending(edit, pending, [edit](const AnsiString& typed) {
      edit->SelectAll();
      edit->SetSelText(typed);
    });
  };

  const TEditorType type = s.editorType;
  if (IsSpinType(type)) {
    TGridSpin* e = SpinEdit();
    e->SetBounds(r.Left, r.Top, w, h);
    e->SetExcelStyleDecimalSeparator(excelStyleDecimal_);
    e->SetFont(&font);
    switch (type) {
      case edSpinEdit:
        e->SetSpinType(sptNormal);
        e->SetValue(LeadingInteger(text));
        break;
      case edFloatSpinEdit: {
        e->SetSpinType(sptFloat);
        double v = 0;
        // A text that does not read as a number starts at the lower bound.
        if (!TryStrToFloat(CleanNumberText(text), v) || !std::isfinite(v)) v = e->MinFloatValue();
        e->SetFloatValue(v);
        break;
      }
      case edTimeSpinEdit:
        e->SetSpinType(sptTime);
        e->SetText(text);
        break;
      default: {
        TDateTime d = 0;
        if (Trim(text).empty() || !TryStrToDate(Trim(text), d)) d = Now();
        e->SetSpinType(sptDate);
        e->SetDateValue(d);
        break;
      }
    }
    ShowControl(e, color);
    typeInto(e);
    s.activeEditor = e;
  } else if (type == edComboEdit || type == edComboList) {
    TGridCombo* c = Combobox();
    c->SetEnabled(true);
    c->SetDroppedDown(false);
    c->SetStyle(type == edComboEdit ? csDropDown : csDropDownList);
    c->SetBounds(r.Left, r.Top, w, h);
    if (type == edComboList) {
      // A text that is not among the items opens on the first item; an
      // empty list opens on none.
      int index = c->Items()->IndexOf(text);
      if (index < 0 && c->Items()->Count() > 0) index = 0;
      c->SetItemIndex(index);
    } else {
      c->SetText(text);
    }
    c->SetFont(&font);
    const bool soft = Look() == glSoft || Look() == glGradient || Look() == glXP || Look() == glListView;
    c->SetFlat(soft);
    c->SetEtched(soft);
    if (navigation_->AutoComboDropSize()) {
      int dropWidth = c->Width();
      const bool longList = c->Items()->Count() > c->DropDownCount();
      for (int i = 0; i < c->Items()->Count(); ++i) {
        const int textWidth = Canvas()->TextWidth(c->Items()->Strings(i));
        if (longList) {
          if (textWidth > dropWidth - 25) dropWidth = textWidth + 25;  // room for the scroll bar
        } else if (textWidth > dropWidth - 5) {
          dropWidth = textWidth + 8;
        }
      }
      c->SetDropDownWidth(dropWidth);
    }
    ShowControl(c, color);
    if (MouseActions()->DirectComboDrop()) c->SetDroppedDown(true);
    if (type == edComboEdit) TypePending(c, pending, [c](const AnsiString& typed) { c->SetText(typed); });
    s.activeEditor = c;
  } else if (type == edUniComboEdit || type == edUniComboList) {
    TGridUniCombo* c = UniCombobox();
    c->SetDroppedDown(false);
    c->SetEnabled(true);
    c->SetStyle(type == edUniComboEdit ? csDropDown : csDropDownList);
    c->SetBounds(r.Left, r.Top, w, h);
    const WideString wide = GetWideCell(realCol, row);
    if (type == edUniComboList) {
      int index = -1;
      for (int i = 0; i < c->Items()->Count() && index < 0; ++i)
        if (c->Items()->Get(i) == wide) index = i;
      if (index < 0 && c->Items()->Count() > 0) index = 0;
      c->SetItemIndex(index);
    } else {
      c->SetWideText(wide);
    }
    c->SetFont(Font());
    ShowControl(c, color);
    if (MouseActions()->DirectComboDrop()) c->SetDroppedDown(true);
    s.activeEditor = c;
  } else if (type == edUniEdit) {
    TGridUniEdit* e = UniEdit();
    constexpr int kTextOffset = 2;
    e->SetBorderStyle(bsNone);
    e->SetBounds(r.Left + 2 + kTextOffset, r.Top + 2 + kTextOffset, std::max(w - 2 - 2 * kTextOffset, 1),
                 std::max(h - 2 - 2 * kTextOffset, 1));
    e->SetFont(Font());
    e->SetWideText(GetWideCell(realCol, row));
    ShowControl(e, color);
    TypePending(e, pending, [e](const AnsiString& typed) { e->SetWideText(Cp949ToUtf16(typed)); });
    s.activeEditor = e;
  } else if (IsEditBtnType(type)) {
    TGridEditBtn* e = EditBtn();
    e->SetBounds(r.Left, r.Top, w, h);
    e->SetText(text);
    e->SetMaxLength(GetEditLimit());
    e->SetFont(&font);
    ShowControl(e, color);
    typeInto(e);
    s.activeEditor = e;
  } else if (type == edUnitEditBtn) {
    TGridUnitEditBtn* e = UnitEditBtn();
    e->SetBounds(r.Left, r.Top, w, h);
    e->SetMaxLength(GetEditLimit());
    AnsiString number, unit;
    SplitUnit(text, number, unit);
    e->SetUnitID(unit);
    e->SetText(number);
    e->SetFont(&font);
    ShowControl(e, color);
    typeInto(e);
    s.activeEditor = e;
  } else if (type == edCheckBox) {
    TGridCheckBox* e = CheckBoxEditor();
    e->SetBounds(r.Left, r.Top, w, h);
    e->SetCaption(text);
    e->SetState(cbUnchecked);
    ShowControl(e, color);
    s.activeEditor = e;
  } else if (type == edDateEdit || type == edDateEditUpDown || type == edTimeEdit) {
    TGridDatePicker* e = DatePicker();
    TDateTime value = 0;
    const AnsiString trimmed = Trim(text);
    if (type == edTimeEdit) {
      if (trimmed.empty() || !TryStrToTime(trimmed, value)) value = Now();
      e->SetKind(dtkTime);
    } else {
      if (trimmed.empty() || !TryStrToDate(trimmed, value)) value = Now();
      e->SetKind(dtkDate);
      e->SetDateMode(type == edDateEditUpDown ? dmUpDown : dmComboBox);
    }
    e->SetChecked(true);
    e->SetDateTime(value);
    e->SetBounds(r.Left, r.Top, w, e->Height() > h ? h : e->Height());
    ShowControl(e, color);
    if (type != edTimeEdit && MouseActions()->DirectDateDrop()) e->DropCalendar();
    s.activeEditor = e;
  } else if (type == edButton) {
    TGridButton* e = ButtonEditor();
    e->SetBounds(r.Left - 1, r.Top - 1, w + 2, h + 2);
    e->SetCaption(text);
    ShowControl(e, color);
    s.activeEditor = e;
  } else if (type == edRichEdit) {
    TExRichEdit* e = RichEdit();
    e->SetBorderStyle(bsNone);
    e->SetBounds(r.Left, r.Top, w, h);
    e->SetLoading(true);
    e->SetFont(&font);
    e->LoadRichText(text);
    ShowControl(e, color);
    if (navigation_->EditSelectAll()) e->SelectAllText();
    typeInto(e);
    e->SetLoading(false);
    s.activeEditor = e;
  } else if (type == edCustom && s.link) {
    TEditLink* link = s.link;
    s.openLink = link;
    link->BeginEdit(this, realCol, row);
    TRect place = r;
    if (link->EditStyle() == esPopup) {
      if (link->AutoPopupWidth()) link->SetPopupWidth(r.Right - r.Left);
      TForm* popup = link->PopupFormNeeded();
      const TPoint at = ClientToScreen(TPoint{r.Left, r.Top});
      popup->SetBounds(at.X, at.Y, link->PopupWidth(), link->PopupHeight());
      popup->Show();
      link->CreateEditor(popup);
      place = Rect(0, 0, link->PopupWidth(), link->PopupHeight());
    } else {
      link->CreateEditor(this);
    }
    link->SetRect(place);
    link->SetVisible(true);
    link->SetCellProps(color, &font);
    link->SetProperties();
    if (OnGetEditorProp) OnGetEditorProp(this, realCol, row, link);
    link->SetEditorValue(text);
    link->SetFocus(true);
    TWinControl* control = link->GetEditControl();
    if (auto* edit = dynamic_cast<TCustomEdit*>(control)) typeInto(edit);
    s.activeEditor = control;
  }
  s.pending.clear();
  if (!s.activeEditor) {
    // Nothing could be opened (a custom cell without a link): no edit.
    s.editing = false;
    s.editorShown = false;
  }
  SnapshotEditor();
  // The cell gets its outline while the control is over it.
  if (s.activeEditor) RepaintMergedCell(col, row);
}

TRect TExStringGrid::EditorCellRect(int col, int row) {
  TRect r = MergedCellRect(col, row);
  if (UseRightToLeftAlignment()) {
    const TRect t = CellRect(LeftCol(), TopRow());
    const int width = r.Width();
    r.Left = t.Left - (r.Right - t.Right);
    r.Right = r.Left + width;
  }
  return r;
}

void TExStringGrid::PlaceEditorOnCell() {
  if (!ControlEditorOpen()) return;
  TGridEditState* s = LiveEditState();
  if (!s || s->placedCol < 0 || s->placedRow < 0) return;
  const int col = DisplColIndex(s->placedCol);
  if (IsColumnHidden(s->placedCol) || col >= ColCount() || s->placedRow >= RowCount()) return;
  const TRect from = s->placedRect;
  const TRect to = EditorCellRect(col, s->placedRow);
  if (to == from) return;
  s->placedRect = to;
  if (s->editorType == edCustom) {
    // A popup stays where it opened; an editor in the cell takes the link's own placing.
    if (s->openLink && s->openLink->EditStyle() != esPopup) s->openLink->SetRect(to);
    return;
  }
  // Each editor keeps the offsets from its cell that its opening gave it.
  TWinControl* e = s->activeEditor;
  e->SetBounds(e->Left() + to.Left - from.Left, e->Top() + to.Top - from.Top,
               std::max(e->Width() + to.Width() - from.Width(), 1),
               std::max(e->Height() + to.Height() - from.Height(), 1));
}

// ================================================================= values of the control editors

AnsiString TExStringGrid::EditorValueText() {
  TGridEditState& s = EditState();
  const TEditorType type = s.editorType;
  switch (type) {
    case edSpinEdit: case edTimeSpinEdit: return s.spin ? s.spin->Text() : AnsiString();
    case edFloatSpinEdit: return s.spin ? Format(floatFormat_, {s.spin->FloatValue()}) : AnsiString();
    case edDateSpinEdit: return s.spin ? DateToStr(s.spin->DateValue()) : AnsiString();
    case edComboEdit: case edComboList: return s.combo ? s.combo->Text() : AnsiString();
    case edEditBtn: case edNumericEditBtn: case edFloatEditBtn: return s.editBtn ? s.editBtn->Text() : AnsiString();
    case edUnitEditBtn: return s.unitEditBtn ? s.unitEditBtn->Text() + s.unitEditBtn->UnitID() : AnsiString();
    case edDateEdit: case edDateEditUpDown:
      if (!s.datePicker || !s.datePicker->Checked()) return AnsiString();
      return DateToStr(s.datePicker->Date());
    case edTimeEdit: {
      if (!s.datePicker) return AnsiString();
      // The picker's own format, when it has one, writes the time.
      const AnsiString saved = FormatSettings.LongTimeFormat;
      if (!s.datePicker->Format().empty()) FormatSettings.LongTimeFormat = s.datePicker->Format();
      AnsiString out = TimeToStr(s.datePicker->Time());
      FormatSettings.LongTimeFormat = saved;
      return out;
    }
    case edRichEdit: return s.richEdit ? s.richEdit->RichText() : AnsiString();
    case edCustom: return s.openLink ? s.openLink->GetEditorValue() : AnsiString();
    case edUniEdit: return s.uniEdit ? WideToUnicodeCell(s.uniEdit->WideText()) : AnsiString();
    case edUniComboEdit: case edUniComboList:
      return s.uniCombo ? WideToUnicodeCell(s.uniCombo->WideText()) : AnsiString();
    default: return AnsiString();
  }
}

void TExStringGrid::SetEditorValueText(const AnsiString& text) {
  TGridEditState& s = EditState();
  switch (s.editorType) {
    case edSpinEdit: case edFloatSpinEdit: case edTimeSpinEdit: case edDateSpinEdit:
      if (s.spin) s.spin->SetText(text);
      break;
    case edComboEdit: case edComboList:
      if (s.combo) {
        if (s.combo->Style() == csDropDownList && s.combo->Items()->IndexOf(text) < 0) break;
        s.combo->SetText(text);
      }
      break;
    case edEditBtn: case edNumericEditBtn: case edFloatEditBtn:
      if (s.editBtn) s.editBtn->SetText(text);
      break;
    case edUnitEditBtn:
      if (s.unitEditBtn) {
        AnsiString number, unit;
        SplitUnit(text, number, unit);
        s.unitEditBtn->SetText(number);
        s.unitEditBtn->SetUnitID(unit);
      }
      break;
    case edDateEdit: case edDateEditUpDown: case edTimeEdit:
      if (s.datePicker) {
        TDateTime value = 0;
        const bool time = s.editorType == edTimeEdit;
        if (time ? TryStrToTime(Trim(text), value) : TryStrToDate(Trim(text), value)) s.datePicker->SetDateTime(value);
      }
      break;
    case edRichEdit:
      if (s.richEdit) s.richEdit->LoadRichText(text);
      break;
    case edCustom:
      if (s.openLink) s.openLink->SetEditorValue(text);
      break;
    case edUniEdit:
      if (s.uniEdit) s.uniEdit->SetWideText(UnicodeCellToWide(text));
      break;
    case edUniComboEdit: case edUniComboList:
      if (s.uniCombo) s.uniCombo->SetWideText(UnicodeCellToWide(text));
      break;
    default: break;
  }
}

void TExStringGrid::SnapshotEditor() {
  TGridEditState& s = EditState();
  if (IsDateType(s.editorType) && s.datePicker) {
    s.openedDate = s.datePicker->DateTime();
    s.openedChecked = s.datePicker->Checked();
  }
  s.openedText = EditorValueText();
}

bool TExStringGrid::EditorChanged() {
  TGridEditState& s = EditState();
  if (s.cancelled) return false;
  switch (s.editorType) {
    case edCheckBox: case edButton: case edDataCheckBox: case edNone: return false;
    case edDateEdit: case edDateEditUpDown: case edTimeEdit:
      return s.datePicker && (s.datePicker->DateTime() != s.openedDate || s.datePicker->Checked() != s.openedChecked);
    default: return EditorValueText() != s.openedText;
  }
}

// ================================================================= ReadEditorValue

void TExStringGrid::HideEditorControls() {
  TGridEditState& s = EditState();
  TWinControl* controls[] = {s.spin, s.combo, s.uniEdit, s.uniCombo, s.checkBox,
                             s.editBtn, s.unitEditBtn, s.datePicker, s.button, s.richEdit};
  for (TWinControl* control : controls) {
    if (!control || !control->Visible()) continue;
    if (auto* combo = dynamic_cast<TComboBox*>(control)) combo->SetDroppedDown(false);
    control->SetVisible(false);
    control->SetEnabled(false);
  }
}

void TExStringGrid::ReadEditorValue(int col, int row) {
  TGridEditState& s = EditState();
  s.closeNotify = false;
  s.pending.clear();
  const int realCol = RealColIndex(col);
  const TEditorType type = s.editorType;
  if (!IsDefaultEditorType(type) && s.editing && EditorChanged()) {
    const AnsiString value = EditorValueText();
    if (IsUniType(type)) SetWideCell(realCol, row, UnicodeCellToWide(value));
    else SetCellTextFromEditor(realCol, row, value);
  }
  s.editing = false;
  if (type == edCustom && s.openLink) {
    TEditLink* link = s.openLink;
    s.openLink = nullptr;
    if (link->EditStyle() != esPopup) link->SetVisible(false);
    link->EndEdit();
    if (link->EditStyle() == esPopup) {
      link->DestroyEditor();
      if (link->PopupForm()) link->PopupForm()->Hide();
    }
  }
  HideEditorControls();
  const bool hadControl = s.activeEditor != nullptr;
  s.activeEditor = nullptr;
  if (hadControl && col >= 0 && row >= 0 && col < ColCount() && row < RowCount()) RepaintMergedCell(col, row);
  if (type != edNormal && s.editingDone) {
    s.editingDone = false;
    if (OnEditingDone) OnEditingDone(this);
  }
  s.editingDone = false;
}

// ================================================================= closing

void TExStringGrid::CloseCellEditor() {
  TGridEditState& s = EditState();
  if (s.closing) return;
  s.closing = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{s.closing};
  const bool hadFocus = s.activeEditor && s.activeEditor->HandleAllocated() &&
                        (s.activeEditor->Focused() || TWinControl::FocusedControl() == nullptr);
  HideEditor();
  ReadEditorValue(DisplColIndex(s.editCol >= 0 ? s.editCol : RealColIndex(Col())), s.editRow >= 0 ? s.editRow : Row());
  s.editing = false;
  if (hadFocus && CanFocus()) SetFocus();
}

void TExStringGrid::HideCellEditor() {
  TGridEditState* s = LiveEditState();
  if (!s || !s->editing || s->closing) return;
  CloseCellEditor();
  SelectCell(Col(), Row());
}

void TExStringGrid::CancelCellEdit() {
  TGridEditState& s = EditState();
  // Only an edit in progress has a start text to go back to.
  if (!s.editing) return;
  const TPoint base = BaseCellOf(RealColIndex(Col()), Row());
  if (GetCellText(base.X, base.Y) != s.startText) SetCellText(base.X, base.Y, s.startText);
  RepaintCell(base.X, base.Y);
}

void TExStringGrid::LeaveEditorByKey(Word key, TShiftState shift) {
  TGridEditState& s = EditState();
  s.leavingByKey = true;
  HideCellEditor();
  const bool alwaysEdit = navigation_->AlwaysEdit();
  navigation_->SetAlwaysEdit(false);
  if (CanFocus() && !Focused()) SetFocus();
  if (key == VK_TAB || key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) {
    Word k = key;
    KeyDown(k, shift);
  } else if (key == VK_RETURN) {
    AdvanceCell(Col(), Row(), false, true, false, false);
  }
  navigation_->SetAlwaysEdit(alwaysEdit);
  s.leavingByKey = false;
}

bool TExStringGrid::EditorLeaveKey(Word& key, TShiftState shift) {
  TGridEditState* s = LiveEditState();
  if (!s || !s->editing) return false;
  if (key == VK_ESCAPE) {
    // The control shows the cell's text again and nothing is written back.
    SetEditorValueText(CurrentCellText());
    s->cancelled = true;
    LeaveEditorByKey(key, shift);
    key = 0;
    return true;
  }
  // The date picker validates too: a refused date keeps the user in the
  // cell, as a refused value of every other editor does.
  const bool validates = key == VK_TAB || key == VK_RETURN || key == VK_UP || key == VK_DOWN;
  if (validates && !ValidateOpenEditor()) {
    key = 0;
    return true;
  }
  if (key == VK_TAB && Options().contains(goTabs)) {
    HideCellEditor();
    if (CanFocus()) SetFocus();
    Word tab = VK_TAB;
    KeyDown(tab, shift);
  } else {
    LeaveEditorByKey(key, shift);
  }
  key = 0;
  return true;
}

bool TExStringGrid::ValidateOpenEditor() {
  TGridEditState* s = LiveEditState();
  if (!s || !s->editing || s->closing || s->validating) return true;
  if (IsDefaultEditorType(s->editorType)) {
    TExInplaceEdit* edit = ExInplaceEditor();
    return !edit || !edit->Visible() || edit->ValidateForLeave();
  }
  const bool wide = IsUniType(s->editorType);
  if (EditorChanged()) {
    const AnsiString value = EditorValueText();
    if (wide) SetWideCell(RealColIndex(Col()), Row(), UnicodeCellToWide(value));
    else SetCurrentCellText(value);
  }
  const bool valid = wide ? ValidateWideCell(GetWideCell(RealColIndex(Col()), Row())) : ValidateCell(CurrentCellText());
  // The control shows the cell's (possibly corrected) text; unchanged it
  // writes nothing more.
  SetEditorValueText(CurrentCellText());
  SnapshotEditor();
  if (!valid) {
    s->editorShown = true;
    if (auto* edit = dynamic_cast<TCustomEdit*>(s->activeEditor))
      edit->SetSelStart(static_cast<int>(edit->Text().size()));
  }
  return valid;
}

bool TExStringGrid::LeaveEditForPress(int col, int row) {
  TGridEditState* s = LiveEditState();
  if (!s) return true;
  if (s->pressRefused) {
    s->pressRefused = false;
    return false;
  }
  if (!s->editing || s->closing || s->validating) return true;
  // A press on the edit cell beside a smaller editor stays in the edit.
  if (InGrid(col, row) && BaseCellOf(RealColIndex(col), row) == TPoint{s->editCol, s->editRow}) return true;
  if (!ValidateOpenEditor()) {
    // The user stays in the cell, typing into the editor.
    TWinControl* editor = IsDefaultEditorType(s->editorType) ? InplaceEditor() : s->activeEditor;
    if (editor && editor->Visible() && editor->CanFocus() && !editor->Focused()) editor->SetFocus();
    return false;
  }
  HideCellEditor();
  return true;
}

void TExStringGrid::ControlEditorLostFocus(TWinControl* editor) {
  TGridEditState& s = EditState();
  // A press on the grid gives it the focus before the press arrives: the
  // value is validated here, and a refused one keeps the editor, focused,
  // on its cell. The press itself then does nothing.
  if (TWinControl::FocusedControl() == this && !ValidateOpenEditor()) {
    if (editor->Visible() && editor->CanFocus()) editor->SetFocus();
    s.pressRefused = true;
    if (!HandleAllocated() || !PostMessage(Handle(), kForgetRefusedPress, 0, 0)) s.pressRefused = false;
    return;
  }
  HideCellEditor();
}

// ================================================================= validation

TGridEditState* TExStringGrid::ValidationDue() {
  TGridEditState* s = LiveEditState();
  if (!s || !s->editorShown || s->validating) return nullptr;
  s->editorShown = false;
  if (s->editCol < 0 || s->editRow < 0 || s->editCol >= RealColCount() || s->editRow >= RowCount()) return nullptr;
  s->validating = true;
  return s;
}

void TExStringGrid::ReturnToEditCell(TGridEditState& s) {
  if (Col() != DisplColIndex(s.editCol)) SetCol(DisplColIndex(s.editCol));
  if (Row() != s.editRow) SetRow(s.editRow);
  s.validating = false;
  s.editorShown = true;
}

void TExStringGrid::ValidationDone(TGridEditState& s) {
  s.editCellText = GetCellText(s.editCol, s.editRow);
  s.editCellWide = ::IsUnicodeCell(s.editCellText) ? UnicodeCellToWide(s.editCellText) : WideString();
  s.validating = false;
}

bool TExStringGrid::ValidateCell(const AnsiString& text) {
  TGridEditState* s = ValidationDue();
  if (!s) return true;
  const int col = s->editCol;
  const int row = s->editRow;
  bool valid = true;
  AnsiString value = text;
  if (text != s->editCellText || s->forceValidate) {
    const bool advance = navigation_->AdvanceOnEnter();
    navigation_->SetAdvanceOnEnter(false);
    if (cellChecker_ && cellChecker_->AutoCorrect()) value = cellChecker_->Correct(value);
    if (OnCellValidate) OnCellValidate(this, col, row, value, valid);
    navigation_->SetAdvanceOnEnter(advance);
    // The checker sees what the handler let through, and may still amend it.
    if (valid && cellChecker_ && cellChecker_->AutoCheck()) value = cellChecker_->Check(value);
    if (valid) {
      if (UndoRedo()) UndoRedo()->AddChange(col, row, s->editCellText, value);
      CellsChanged(Rect(col, row, col, row));
    }
  }
  if (!valid) {
    HideEditor();
    // The handler's own value, or the text the cell had when the edit began.
    const AnsiString keep = value != text ? value : s->editCellText;
    if (GetCellText(col, row) != keep) SetCellText(col, row, keep);
    ReturnToEditCell(*s);
    if (!IsControlCell(col, row) && IsDefaultEditorType(s->editorType)) ShowEditor();
  } else if (GetCellText(col, row) != value) {
    SetCellText(col, row, value);
  }
  ValidationDone(*s);
  return valid;
}

bool TExStringGrid::ValidateWideCell(const WideString& text) {
  TGridEditState* s = ValidationDue();
  if (!s) return true;
  const int col = s->editCol;
  const int row = s->editRow;
  bool valid = true;
  WideString value = text;
  if (text != s->editCellWide || s->forceValidate) {
    if (OnCellValidateWide) OnCellValidateWide(this, col, row, value, valid);
    if (valid) CellsChanged(Rect(col, row, col, row));
  }
  const WideString keep = valid ? value : value != text ? value : s->editCellWide;
  if (GetWideCell(col, row) != keep) SetWideCell(col, row, keep);
  if (!valid) ReturnToEditCell(*s);
  ValidationDone(*s);
  return valid;
}

bool TExStringGrid::MoveAllowed(int col, int row) {
  const int oldCol = Col();
  const int oldRow = Row();
  if (col == oldCol && row == oldRow) return true;
  bool allow = true;
  if (row != oldRow && OnRowChanging) OnRowChanging(this, oldRow, row, allow);
  if (allow && col != oldCol && OnColChanging) OnColChanging(this, oldCol, col, allow);
  // The advance asks OnCellChanging itself, from the cell it started on;
  // its own steps, and its way back after a veto, are not asked again.
  if (allow && !advanceMoving_ && OnCellChanging) OnCellChanging(this, oldRow, oldCol, row, col, allow);
  return allow;
}

bool TExStringGrid::SelectCell(int col, int row) {
  TGridEditState* s = LiveEditState();
  if (!s || col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return TBaseGrid::SelectCell(col, row);
  if (!MoveAllowed(col, row)) return false;
  // An open editor closes on a move, writing a changed value back.
  if (s->editing && !s->closing) CloseCellEditor();
  if (s->editorShown && !s->validating) {
    const bool inplaceFocused = InplaceEditor() && InplaceEditor()->Visible() && InplaceEditor()->HandleAllocated() &&
                                InplaceEditor()->Focused();
    if (!inplaceFocused) {
      const TPoint base = BaseCellOf(RealColIndex(Col()), Row());
      const bool valid = ::IsUnicodeCell(GetCellText(base.X, base.Y)) ? ValidateWideCell(GetWideCell(base.X, base.Y))
                                                                       : ValidateCell(CurrentCellText());
      if (!valid) return false;
    }
  }
  s->startText.clear();
  if (!s->editorShown && !s->validating && (Col() != col || Row() != row)) {
    // The new cell's text is what its validation compares with.
    const TPoint base = BaseCellOf(RealColIndex(col), row);
    s->editCol = base.X;
    s->editRow = base.Y;
    s->editCellText = GetCellText(base.X, base.Y);
    s->editCellWide = ::IsUnicodeCell(s->editCellText) ? UnicodeCellToWide(s->editCellText) : WideString();
  }
  const bool allowed = TBaseGrid::SelectCell(col, row);
  // The footer's previews show the current row.
  if (allowed && row != Row()) RepaintFloatingFooter();
  return allowed;
}

// ================================================================= edit text

TInplaceEdit* TExStringGrid::CreateEditor() { return new TExInplaceEdit(this); }

AnsiString TExStringGrid::GetEditText(int col, int row) {
  const TPoint base = BaseCellOf(RealColIndex(col), row);
  AnsiString text = GetCellText(base.X, base.Y);
  // The user edits what the cell shows unless tags are to be edited too.
  if (!editWithTags_ && CellTextKind(text) == 1) text = HtmlToPlainText(text);
  if (OnGetEditText) OnGetEditText(this, col, row, text);
  return text;
}

void TExStringGrid::SetEditText(int col, int row, const AnsiString& value) {
  // The display column maps to the real one; an unchanged text is not
  // written again.
  const TPoint base = BaseCellOf(RealColIndex(col), row);
  if (GetCellText(base.X, base.Y) != value) SetCellText(base.X, base.Y, value);
  TDrawGrid::SetEditText(col, row, value);
}

void TExStringGrid::WMChar(TMessage& m) {
  TGridEditState* s = LiveEditState();
  const unsigned char ch = static_cast<unsigned char>(m.WParam & 0xFF);
  // With RangeSelectAndEdit a typed character on a cell that may be edited
  // turns editing on and starts the edit with it.
  if (s && !s->editing && !Options().contains(goEditing) && mouseActions_->RangeSelectAndEdit() &&
      (ch == 8 || ch >= 32) && InGrid(Col(), Row()) && !IsControlCell(RealColIndex(Col()), Row()) &&
      MayEditCell(Col(), Row()))
    SetOptions(Options() + TGridOptions{goEditing});
  if (!s || !Options().contains(goEditing) || !(ch == 8 || ch >= 32) || s->editing) {
    if (s) s->gridLead = 0;
    TBaseGrid::WMChar(m);
    return;
  }
  if (!s->gridLead && !CurrentCellEditable()) {
    // Typing on a cell that cannot be edited is the grid's look-up typing,
    // as in a grid without editing (a read-only column of an editable grid).
    SetOptions(Options() - TGridOptions{goEditing});
    TBaseGrid::WMChar(m);
    SetOptions(Options() + TGridOptions{goEditing});
    return;
  }
  // The application hears of the character first (OnKeyPress) and may
  // change or drop it; a lead byte changed or dropped takes its trail byte
  // with it.
  if (s->dropGridTrail) {
    s->dropGridTrail = false;
    return;
  }
  if (DoKeyPress(m)) {
    s->dropGridTrail = !s->gridLead && IsLeadByte(ch);
    s->gridLead = 0;
    return;
  }
  const unsigned char typed = static_cast<unsigned char>(m.WParam & 0xFF);
  if (!s->gridLead && IsLeadByte(ch) && typed != ch) {
    s->dropGridTrail = true;
    if (IsLeadByte(typed)) return;
  }
  // A Hangul syllable arrives as two characters: the edit starts with both.
  if (!s->gridLead && IsLeadByte(typed)) {
    s->gridLead = static_cast<char>(typed);
    return;
  }
  AnsiString whole;
  if (s->gridLead) whole.push_back(s->gridLead);
  whole.push_back(static_cast<char>(typed));
  s->gridLead = 0;
  s->pending = whole;
  ShowEditor();
  if (s->editing && IsDefaultEditorType(s->editorType) && InplaceEditor() && InplaceEditor()->Visible()) {
    // The text editor hands its keys to the grid's key press: this
    // character was heard there already.
    s->pendingHeard = true;
    for (char c : whole) ShowEditorChar(c);
    s->pendingHeard = false;
  }
  s->pending.clear();
}

// ================================================================= wrappers

void WantEditorKeys(TExStringGrid* grid, TMessage& m, bool arrows) {
  const Word key = static_cast<Word>(m.WParam);
  if (key == VK_RETURN || key == VK_ESCAPE || (key == VK_TAB && grid && grid->Options().contains(goTabs)) ||
      (arrows && (key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT)))
    m.Result = 1;
}

void EditorLostFocus(TExStringGrid* grid, TWinControl* editor) {
  if (grid && grid->Editing() && !grid->EditState().closing && grid->ActiveEditorControl() == editor)
    grid->ControlEditorLostFocus(editor);
}

namespace {

bool GridAlive(TExStringGrid* grid) { return grid && grid->Editing() && !grid->EditState().closing; }

// The leave keys of the combo editors: with the list showing (or a list
// style) the arrows across, with an edit field the keys that move lines.
bool ComboLeaveKey(Word key, TShiftState shift, bool list) {
  if (key == VK_DOWN && shift.contains(ssAlt)) return false;  // drops the list
  if (key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE) return true;
  if (list) return key == VK_LEFT || key == VK_RIGHT;
  return key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_UP || key == VK_DOWN;
}

// One wheel notch over a combo list: towards the user (a negative delta)
// the next item, away the previous one, stopping at either end. The new
// index, or -1 when nothing moved.
int WheelIndex(const TComboBox& combo, int wheelDelta) {
  const int count = combo.Items()->Count();
  if (count == 0 || wheelDelta == 0) return -1;
  const int index = combo.ItemIndex();
  const int next = wheelDelta < 0 ? std::min(index + 1, count - 1) : std::max(index - 1, 0);
  return next == index ? -1 : next;
}

void FireComboChange(TExStringGrid* grid, const TComboBox& combo, bool withObject) {
  if (!grid || !grid->Editing()) return;
  const int col = grid->RealColIndex(grid->Col());
  const int index = combo.ItemIndex();
  const AnsiString item = index >= 0 ? combo.Items()->Strings(index) : combo.Text();
  if (grid->OnComboChange) grid->OnComboChange(grid, col, grid->Row(), index, item);
  if (withObject && grid->OnComboObjectChange)
    grid->OnComboObjectChange(grid, col, grid->Row(), index, item, index >= 0 ? combo.Items()->Objects(index) : nullptr);
}

// The leave keys of the edits with a button: without Ctrl.
bool EditBtnLeaveKey(Word key, TShiftState shift) {
  return !shift.contains(ssCtrl) && (key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_PRIOR ||
                                     key == VK_NEXT || key == VK_UP || key == VK_DOWN);
}

}  // namespace

// ---- spin

TGridSpin::TGridSpin(TComponent* owner) : TGridEditorControl(owner) {
  SetBorderStyle(bsNone);
  SetMinValue(0);
  SetMaxValue(100);
  SetIncrement(1);
}

void TGridSpin::FireSpin(bool up) {
  if (!grid_) return;
  const int col = grid_->RealColIndex(grid_->Col());
  const int row = grid_->Row();
  switch (SpinType()) {
    case sptNormal: if (grid_->OnSpinClick) grid_->OnSpinClick(grid_, col, row, Value(), up); break;
    case sptFloat: if (grid_->OnFloatSpinClick) grid_->OnFloatSpinClick(grid_, col, row, FloatValue(), up); break;
    case sptDate: if (grid_->OnDateSpinClick) grid_->OnDateSpinClick(grid_, col, row, DateValue(), up); break;
    case sptTime: if (grid_->OnTimeSpinClick) grid_->OnTimeSpinClick(grid_, col, row, TimeValue(), up); break;
  }
}

void TGridSpin::UpClick(TObject* sender) {
  TEsgSpinEdit::UpClick(sender);
  FireSpin(true);
}

void TGridSpin::DownClick(TObject* sender) {
  TEsgSpinEdit::DownClick(sender);
  FireSpin(false);
}

void TGridSpin::WMKeyDown(TMessage& m) {
  const Word key = static_cast<Word>(m.WParam);
  if (key == VK_HOME || key == VK_END) {
    const bool home = key == VK_HOME;
    if (SpinType() == sptNormal) SetValue(home ? MaxValue() : MinValue());
    else if (SpinType() == sptFloat) SetFloatValue(home ? MaxFloatValue() : MinFloatValue());
    if (grid_ && grid_->OnSpinClick) grid_->OnSpinClick(grid_, grid_->RealColIndex(grid_->Col()), grid_->Row(), Value(), home);
    return;
  }
  TEsgSpinEdit::WMKeyDown(m);
}

void TGridSpin::KeyDown(Word& key, TShiftState shift) {
  TEsgSpinEdit::KeyDown(key, shift);
  if ((key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE) && GridAlive(grid_)) grid_->EditorLeaveKey(key, shift);
}

// ---- combo

TGridCombo::TGridCombo(TComponent* owner) : TGridEditorControl(owner) {
  SetButtonWidth(16);
  OnChange = [this](TObject*) { FireComboChange(grid_, *this, true); };
}

void TGridCombo::WheelStep(int wheelDelta) {
  const int index = WheelIndex(*this, wheelDelta);
  if (index < 0) return;
  SetItemIndex(index);
  if (OnChange) OnChange(this);
}

bool TGridCombo::DoMouseWheel(TShiftState, int wheelDelta, TPoint) {
  WheelStep(wheelDelta);
  return true;
}

void TGridCombo::Change() {
  TESGComboBox::Change();
  if (completing_ || !lookupOn_ || !grid_ || !grid_->Editing() || !grid_->Lookup() || Style() != csDropDown) return;
  const AnsiString text = Text();
  const int caret = std::clamp(ComboEditCaret(this), 0, static_cast<int>(text.size()));
  if (caret == 0 || caret != static_cast<int>(text.size())) return;
  const bool caseSensitive = grid_->LookupCaseSensitive();
  const AnsiString prefix = caseSensitive ? text : UpperCase(text);
  auto matches = [&](const AnsiString& item) {
    if (item.size() <= text.size() || ByteType(item, caret) == mbLeadByte) return false;
    const AnsiString head = item.substr(0, text.size());
    return (caseSensitive ? head : UpperCase(head)) == prefix;
  };
  AnsiString found;
  for (int i = 0; found.empty() && i < Items()->Count(); ++i)
    if (matches(Items()->Strings(i))) found = Items()->Strings(i);
  for (int i = 0; found.empty() && i < grid_->LookupItems()->Count(); ++i)
    if (matches(grid_->LookupItems()->Strings(i))) found = grid_->LookupItems()->Strings(i);
  if (found.empty()) return;
  completing_ = true;
  SetText(text + found.substr(text.size()));
  SelectComboText(this, caret, static_cast<int>(found.size()) - caret);
  completing_ = false;
}

void TGridCombo::KeyDown(Word& key, TShiftState shift) {
  lookupOn_ = key != VK_BACK && key != VK_DELETE;
  TESGComboBox::KeyDown(key, shift);
  if (!GridAlive(grid_) || key == 0) return;
  if (key == VK_ESCAPE) {
    // Back to the item of the cell's text.
    const int index = Items()->IndexOf(grid_->CurrentCellText());
    if (index >= 0) SetItemIndex(index);
  }
  if (ComboLeaveKey(key, shift, Style() == csDropDownList || DroppedDown())) grid_->EditorLeaveKey(key, shift);
}

void TGridCombo::DoEnter() {
  TGridEditorControl::DoEnter();
  TPoint at;
  if (GridAlive(grid_) && Style() != csDropDownList && grid_->TakeCaretClick(this, at))
    SetComboCaret(this, ComboCharPosAt(this, at));
}

void TGridCombo::CloseUp() {
  TGridEditorControl::CloseUp();
  if (GridAlive(grid_) && grid_->Editing() && grid_->ActiveEditorControl() == this && grid_->OnComboCloseUp)
    grid_->OnComboCloseUp(grid_, grid_->Row(), grid_->RealColIndex(grid_->Col()));
}

void TGridCombo::DoExit() {
  if (GridAlive(grid_) && grid_->ActiveEditorControl() == this && grid_->LookupHistory() && !Text().empty() &&
      Items()->IndexOf(Text()) < 0)
    Items()->Add(Text());
  TGridEditorControl::DoExit();
}

// ---- transparent edit

TGridTransEdit::TGridTransEdit(TComponent* owner) : TCustomEdit(owner), grid_(OwnerGrid(owner)) {
  SetBorderStyle(bsNone);
  SetVisible(false);
}

void TGridTransEdit::KeyPress(char& key) {
  TCustomEdit::KeyPress(key);
  if (key == 27 && grid_) {
    key = 0;
    SetVisible(false);
    if (grid_->CanFocus()) grid_->SetFocus();
    return;
  }
  if (key == '\r') {
    key = 0;
    if (grid_ && grid_->CanFocus()) grid_->SetFocus();
  }
}

void TGridTransEdit::DoExit() {
  TCustomEdit::DoExit();
  if (!grid_ || !Visible()) return;
  AnsiString value = Text();
  bool valid = true;
  if (grid_->OnCellValidate) grid_->OnCellValidate(grid_, col_, row_, value, valid);
  if (!valid) {
    // Back to the cell, and the edit keeps the focus.
    grid_->SetCol(grid_->DisplColIndex(col_));
    grid_->SetRow(row_);
    if (CanFocus()) SetFocus();
    return;
  }
  if (grid_->OnEditingDone) grid_->OnEditingDone(grid_);
  if (grid_->GetCellText(col_, row_) != value) grid_->SetCellTextFromEditor(col_, row_, value);
  SetVisible(false);
}

// ---- Unicode combo

void TGridUniCombo::WheelStep(int wheelDelta) {
  const int index = WheelIndex(*this, wheelDelta);
  if (index < 0) return;
  SetItemIndex(index);
  FireComboChange(grid_, *this, true);
}

bool TGridUniCombo::DoMouseWheel(TShiftState, int wheelDelta, TPoint) {
  WheelStep(wheelDelta);
  return true;
}

void TGridUniCombo::CNCommand(TMessage& m) {
  TESGUniComboBox::CNCommand(m);
  if (m.WParamHi() == CBN_SELCHANGE) FireComboChange(grid_, *this, false);
}

void TGridUniCombo::KeyDown(Word& key, TShiftState shift) {
  TESGUniComboBox::KeyDown(key, shift);
  if (GridAlive(grid_) && key != 0 && ComboLeaveKey(key, shift, Style() == csDropDownList || DroppedDown()))
    grid_->EditorLeaveKey(key, shift);
}

// ---- Unicode edit

TGridUniEdit::TGridUniEdit(TComponent* owner) : TGridEditorControl(owner) { SetBorderStyle(bsNone); }

void TGridUniEdit::KeyDown(Word& key, TShiftState shift) {
  TEsgUniEdit::KeyDown(key, shift);
  if ((key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_UP || key == VK_DOWN) && GridAlive(grid_))
    grid_->EditorLeaveKey(key, shift);
}

// ---- check box

void TGridCheckBox::KeyDown(Word& key, TShiftState shift) {
  TCheckBox::KeyDown(key, shift);
  if (!GridAlive(grid_)) return;
  switch (key) {
    case VK_ESCAPE:
      SetCaption(grid_->CurrentCellText());
      [[fallthrough]];
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_LEFT: case VK_RIGHT:
      grid_->HideCellEditor();
      if (grid_->CanFocus()) grid_->SetFocus();
      key = 0;
      break;
    case VK_RETURN: case VK_UP: case VK_DOWN:
      grid_->LeaveEditorByKey(key, shift);
      key = 0;
      break;
    default: break;
  }
}

// ---- edit with button

TGridEditBtn::TGridEditBtn(TComponent* owner) : TGridEditorControl(owner) {
  SetButtonCaption("...");
  SetBorderStyle(bsNone);
}

void TGridEditBtn::ClickButton() {
  TEsgEditBtn::ClickButton();
  if (!grid_) return;
  AnsiString result;
  grid_->DoEllipsClick(Text(), result);
  SetText(result);
  SelectAll();
}

void TGridEditBtn::KeyPress(char& key) {
  TEsgEditBtn::KeyPress(key);
  if (key == 0 || !grid_) return;
  const TEditorType type = grid_->EditingType();
  if (type != edNumericEditBtn && type != edFloatEditBtn) return;
  bool beep = false;
  key = NumericKeyFilter(type == edNumericEditBtn ? edNumeric : edFloat, key, Text(), SelStart(), SelText(), beep);
  if (beep) MessageBeep(0);
}

void TGridEditBtn::KeyDown(Word& key, TShiftState shift) {
  TEsgEditBtn::KeyDown(key, shift);
  if (EditBtnLeaveKey(key, shift) && GridAlive(grid_)) grid_->EditorLeaveKey(key, shift);
}

// ---- edit with unit button

TGridUnitEditBtn::TGridUnitEditBtn(TComponent* owner) : TGridEditorControl(owner) {
  SetButtonCaption("...");
  SetBorderStyle(bsNone);
}

void TGridUnitEditBtn::KeyDown(Word& key, TShiftState shift) {
  TEsgUnitEditBtn::KeyDown(key, shift);
  if (EditBtnLeaveKey(key, shift) && GridAlive(grid_)) grid_->EditorLeaveKey(key, shift);
}

// ---- date and time picker

void TGridDatePicker::KeyDown(Word& key, TShiftState shift) {
  TDateTimePicker::KeyDown(key, shift);
  if (!GridAlive(grid_) || CalendarDropped()) return;
  if (key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_PRIOR || key == VK_NEXT || key == VK_END)
    grid_->EditorLeaveKey(key, shift);
}

void TGridDatePicker::DoExit() {
  // The calendar drop-down takes the focus for a moment: that is no leave.
  if (CalendarDropped()) TDateTimePicker::DoExit();
  else TGridEditorControl::DoExit();
}

// ---- button

TGridButton::TGridButton(TComponent* owner) : TGridEditorControl(owner) { wantsArrows_ = true; }

void TGridButton::Click() {
  TButton::Click();
  if (!grid_ || !grid_->Editing()) return;
  AnsiString result;
  grid_->DoEllipsClick(Caption(), result);
  SetCaption(result);
}

void TGridButton::KeyDown(Word& key, TShiftState shift) {
  TButton::KeyDown(key, shift);
  if (!GridAlive(grid_)) return;
  switch (key) {
    case VK_SPACE:
      Click();
      if (grid_->CanFocus()) grid_->SetFocus();
      key = 0;
      break;
    case VK_ESCAPE:
      grid_->CancelCellEdit();
      grid_->HideCellEditor();
      if (grid_->CanFocus()) grid_->SetFocus();
      key = 0;
      break;
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
      grid_->LeaveEditorByKey(key, shift);
      key = 0;
      break;
    default: break;
  }
}

// ---- rich text

void TExRichEdit::SelectionChange() {
  TGridEditorControl::SelectionChange();
  if (GridAlive(grid_) && grid_->OnRichEditSelectionChange) grid_->OnRichEditSelectionChange(grid_);
}

void TExRichEdit::KeyDown(Word& key, TShiftState shift) {
  TRichMemo::KeyDown(key, shift);
  if (!GridAlive(grid_)) return;
  const bool upDownLeave = !grid_->WordWrap() && !grid_->Multilinecells();
  if (key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || (upDownLeave && (key == VK_UP || key == VK_DOWN)))
    grid_->EditorLeaveKey(key, shift);
}

void TExRichEdit::DoExit() {
  TRichMemo::DoExit();
  if (!GridAlive(grid_) || grid_->ActiveEditorControl() != this) return;
  // Only a focus that goes to the grid ends the edit (not one that went to
  // a popup link's form for a moment).
  TGridEditState& s = grid_->EditState();
  if (s.popupClosed) {
    s.popupClosed = false;
    return;
  }
  if (TWinControl::FocusedControl() == grid_) grid_->ControlEditorLostFocus(this);
}
