// Editing the form controls of a mark-up cell: EDIT, PASSWORD and MASK
// controls in an edit, COMBO controls in a combo, each placed over the
// control where the cell draws it. The edited value goes into the control's
// VALUE attribute of the cell's text; a value left unchanged writes nothing.
#include <algorithm>

#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExHtml.h"

namespace {

bool EditsAsText(const AnsiString& type) { return type == "EDIT" || type == "PASSWORD" || type == "MASK"; }

THtmlControl FindControl(std::string_view text, std::string_view id) {
  // Each "<CONTROL ...>" tag in turn; the one with this id.
  std::size_t at = 0;
  while (true) {
    std::size_t open = AnsiString::npos;
    for (std::size_t i = at; i + 8 <= text.size(); ++i) {
      if (text[i] == '<' && std::equal(text.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                       text.begin() + static_cast<std::ptrdiff_t>(i) + 8, "CONTROL",
                                       [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; })) {
        open = i;
        break;
      }
    }
    if (open == AnsiString::npos) return {};
    // The tag ends at the first ">" outside a quoted value.
    char quote = 0;
    std::size_t close = open + 8;
    for (; close < text.size(); ++close) {
      const char c = text[close];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        break;
      }
    }
    const THtmlControl control = ParseControlTag(text.substr(open, close - open + 1));
    if (control.Id == id) return control;
    if (close >= text.size()) return {};
    at = close + 1;
  }
}

}  // namespace

// ================================================================= the grid's side

namespace {
// Made on first use, hidden, over the grid; deleted with the editing state.
template <class T>
T* ControlEditorNeeded(T*& slot, TExStringGrid* grid) {
  if (!slot) {
    slot = new T(grid);
    slot->SetVisible(false);
    slot->SetParent(grid);
  }
  return slot;
}
}  // namespace

TControlEdit* TExStringGrid::HtmlControlEdit() { return ControlEditorNeeded(EditState().htmlControl.edit, this); }

TControlCombo* TExStringGrid::HtmlControlCombo() { return ControlEditorNeeded(EditState().htmlControl.combo, this); }

bool TExStringGrid::ControlEditorActive() const { return editState_ && editState_->htmlControl.active; }

TRect TExStringGrid::HtmlControlRect(int col, int row, const AnsiString& id) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount() || id.empty()) return TRect{};
  const int realCol = RealColIndex(col);
  const AnsiString text = GetCellText(realCol, row);
  if (!HasControlTags(text)) return TRect{};
  // Laid out as the cell paints it: its font, its text offsets.
  TCanvas* canvas = Canvas();
  TColor gradientEnd = clNone;
  TAlignment hAlign = taLeftJustify;
  TVAlignment vAlign = vtaTop;
  TGridDrawState state;
  GetCellColors(col, row, canvas->Font(), canvas->Brush(), gradientEnd, hAlign, vAlign, true, false, false, state);
  TRect r = MergedCellRect(col, row);
  r.Left += textOffsetX_ - 1;
  r.Right -= textOffsetX_;
  r.Top += textOffsetY_;
  THtmlDrawArgs args;
  args.HitTest = true;
  args.X = -1;
  args.Y = -1;
  args.ControlId = id;
  args.Images = gridImages_;
  args.Container = pictureContainer_;
  args.PictureCache = PictureCache();
  args.WordWrap = !enhTextSize_;
  THtmlDrawResult result;
  if (!DrawHtml(*canvas, text, r, args, result) || result.ControlId != id) return TRect{};
  return result.ControlRect;
}

bool TExStringGrid::StartControlEditor(int col, int row, const AnsiString& id) {
  if (ControlEditorActive()) EndControlEditor();
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return false;
  const int realCol = RealColIndex(col);
  const THtmlControl control = FindControl(GetCellText(realCol, row), id);
  if (id.empty() || control.Id != id || !(EditsAsText(control.Type) || control.Type == "COMBO")) return false;
  const TRect place = HtmlControlRect(col, row, id);
  if (place.Width() <= 0 || place.Height() <= 0) return false;
  THtmlControlEditState& h = EditState().htmlControl;
  h.col = realCol;
  h.row = row;
  h.id = id;
  h.type = control.Type;
  h.startValue = control.Value;
  if (EditsAsText(control.Type)) {
    TControlEdit* edit = HtmlControlEdit();
    edit->SetBounds(place.Left + 1, place.Top + 4, std::max(1, place.Width() - 4), std::max(1, place.Height() - 4));
    edit->SetPasswordChar(control.Type == "PASSWORD" ? '*' : 0);
    edit->SetFont(Font());
    edit->SetEditMask(control.Type == "MASK" ? control.Prop : AnsiString());
    edit->SetText(control.Value);
    h.shownValue = edit->GetText();
    h.active = true;
    edit->SetVisible(true);
    edit->BringToFront();
    if (CanFocus()) edit->SetFocus();
    edit->SelectAll();
    return true;
  }
  TControlCombo* combo = HtmlControlCombo();
  combo->Items()->Clear();
  bool editable = true;
  if (OnControlComboList) OnControlComboList(this, row, realCol, id, control.Value, combo->Items(), editable);
  combo->SetStyle(editable ? csDropDown : csDropDownList);
  combo->SetDropDownCount(8);
  combo->SetBounds(place.Left, place.Top, place.Width(), place.Height());
  combo->SetFont(Font());
  const int index = combo->Items()->IndexOf(control.Value);
  combo->SetItemIndex(index);
  if (editable) combo->SetText(control.Value);
  h.active = true;
  combo->SetVisible(true);
  combo->BringToFront();
  if (CanFocus()) combo->SetFocus();
  combo->SetDroppedDown(true);
  return true;
}

void TExStringGrid::EndControlEditor() {
  TGridEditState* s = LiveEditState();
  if (!s || !s->htmlControl.active) return;
  THtmlControlEditState& h = s->htmlControl;
  h.active = false;  // before anything that moves the focus ends it again
  const bool asText = EditsAsText(h.type);
  TWinControl* editor = asText ? static_cast<TWinControl*>(h.edit) : static_cast<TWinControl*>(h.combo);
  AnsiString value = h.startValue;
  // An edit left as it opened keeps the value, even one its mask did not show whole.
  if (asText && h.edit && h.edit->GetText() != h.shownValue) value = h.edit->GetText();
  if (!asText && h.combo) {
    h.combo->SetDroppedDown(false);
    value = h.combo->Text();
  }
  if (editor) editor->SetVisible(false);
  if (h.col < 0 || h.row < 0 || h.col >= RealColCount() || h.row >= RowCount()) return;
  if (value != h.startValue) {
    AnsiString text = GetCellText(h.col, h.row);
    if (SetControlValue(text, h.id, value)) SetCellText(h.col, h.row, text);
  }
  if (OnControlEditDone) OnControlEditDone(this, h.row, h.col, h.id, h.type, value);
}

void TExStringGrid::ControlEditorTab() {
  THtmlControlEditState& h = EditState().htmlControl;
  const int col = DisplColIndex(h.col);
  const int row = h.row;
  const AnsiString id = h.id;
  EndControlEditor();
  if (CanFocus()) SetFocus();
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
  if (navigation_->AdvanceAuto()) {
    AdvanceCell(col, row, false, true, false, true);
    return;
  }
  FocusNextCellControl(col, row, id);
}

void TExStringGrid::FocusNextCellControl(int col, int row, const AnsiString& id) {
  if (col >= 0 && row >= 0 && col < ColCount() && row < RowCount()) {
    const AnsiString next = NextControlId(GetCellText(RealColIndex(col), row), id);
    if (!next.empty() && StartControlEditor(col, row, next)) return;
  }
  if (CanFocus()) SetFocus();
}

// ================================================================= the editors

template <class TBase>
void THtmlControlEditor<TBase>::CMWantSpecialKey(TMessage& m) {
  // Enter, Escape and Tab reach the editor: they end the control's edit.
  const Word key = static_cast<Word>(m.WParam);
  if (key == VK_RETURN || key == VK_TAB || key == VK_ESCAPE) m.Result = 1;
}

template <class TBase>
void THtmlControlEditor<TBase>::KeyDown(Word& key, TShiftState shift) {
  TBase::KeyDown(key, shift);
  if (!grid_ || !grid_->ControlEditorActive()) return;
  if (key == VK_ESCAPE) RestoreStartValue();
  if (key == VK_RETURN || key == VK_ESCAPE) {
    key = 0;
    grid_->EndControlEditor();
    if (grid_->CanFocus()) grid_->SetFocus();
  } else if (key == VK_TAB) {
    key = 0;
    grid_->ControlEditorTab();
  }
}

template <class TBase>
void THtmlControlEditor<TBase>::KeyPress(char& key) {
  // The keys that end the edit type nothing.
  if (key == '\r' || key == '\n' || key == '\t' || key == 27) key = 0;
  TBase::KeyPress(key);
}

template <class TBase>
void THtmlControlEditor<TBase>::DoExit() {
  TBase::DoExit();
  if (!grid_ || !grid_->ControlEditorActive()) return;
  const THtmlControlEditState& h = grid_->EditState().htmlControl;
  if (h.edit == static_cast<TWinControl*>(this) || h.combo == static_cast<TWinControl*>(this)) grid_->EndControlEditor();
}

template class THtmlControlEditor<TCustomMaskEdit>;
template class THtmlControlEditor<TComboBox>;

void TControlEdit::RestoreStartValue() {
  SetText(grid_->EditState().htmlControl.startValue);
}

void TControlCombo::RestoreStartValue() {
  const AnsiString start = grid_->EditState().htmlControl.startValue;
  SetItemIndex(Items()->IndexOf(start));
  if (Style() != csDropDownList) SetText(start);
}
