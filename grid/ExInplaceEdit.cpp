// TExInplaceEdit: the grid's text editor for the default editor types, with
// typing filters per type, a length limit, the keys that validate and
// leave, walking to the next cell, look-up completion, growth of the cell
// while typing and the clipboard events.
//
// Typed text arrives one code page 949 byte at a time (a Hangul syllable is
// a lead byte and a trail byte, whether typed or committed by an input
// method). The filters follow the pairs: a refused lead byte takes its trail
// byte with it, a trail byte is never case-mapped (it may be an ASCII
// letter), and the length limit takes a syllable whole or not at all.
#include <algorithm>

#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExGridSort.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Clipbrd.h"

namespace {

constexpr LPARAM kKeypadScanBit = LPARAM(1) << 22;

bool Holds(const AnsiString& text, char c) { return text.find(c) != AnsiString::npos; }

}  // namespace

char NumericKeyFilter(TEditorType type, char key, const AnsiString& text, int selStart, const AnsiString& selText,
                      bool& beep) {
  beep = false;
  const unsigned char c = static_cast<unsigned char>(key);
  if (c < 32) return key;  // Backspace, Tab, Enter, Escape and the clipboard keys
  const bool digit = c >= '0' && c <= '9';
  switch (type) {
    case edNumeric:
      if (digit) return key;
      if (key == '-' && !Holds(text, '-') && selStart == 0) return key;
      if (key == '-' && Holds(selText, '-') && selStart == 0) return key;
      beep = true;
      return 0;
    case edPositiveNumeric:
      if (digit) return key;
      beep = true;
      return 0;
    case edFloat: {
      if (digit) return key;
      const char decimal = FormatSettings.DecimalSeparator;
      if (key == decimal) return !Holds(text, decimal) || Holds(selText, decimal) ? key : 0;
      if (key == FormatSettings.ThousandSeparator) return 0;
      if (key == '-') {
        if ((selStart == 0 && !Holds(text, '-')) || Holds(selText, '-')) return key;
        beep = true;
        return 0;
      }
      return key == ',' || key == '.' ? key : 0;
    }
    default:
      return key;
  }
}

TExInplaceEdit::TExInplaceEdit(TComponent* owner) : TInplaceEdit(owner), grid_(OwnerGrid(owner)) {}

bool TExInplaceEdit::MultiLine() const {
  if (!grid_) return false;
  bool password = grid_->EditingType() == edPassword;
  if (!password) grid_->IsPasswordCell(grid_->RealColIndex(grid_->Col()), grid_->Row(), password);
  // Several lines where a line break is typed by Enter, or by Ctrl+Enter in
  // a grid that shows the lines of its cells (AllowCtrlEnter is on by
  // default: alone it keeps the one-line editor); a password never shows them.
  const TNavigation* nav = grid_->Navigation();
  return !password && (nav->LineFeedOnEnter() || (nav->AllowCtrlEnter() && grid_->Multilinecells()));
}

bool TExInplaceEdit::WordWrapped() const { return grid_ && grid_->WordWrap(); }

void TExInplaceEdit::UpdateContents() {
  // The window is made again when the edit needs the other kind of it.
  if (HandleAllocated() && IsMultiLineWidget() != MultiLine()) RecreateWnd();
  TInplaceEdit::UpdateContents();
  SetRightAligned(vAlign_);
  inTrail_ = dropTrail_ = false;
  mixedLead_.clear();
  if (!grid_) return;
  lengthLimit_ = grid_->GetEditLimit();
  wordWrap_ = grid_->WordWrap();
  bool password = false;
  grid_->IsPasswordCell(grid_->RealColIndex(grid_->Col()), grid_->Row(), password);
  password = password || grid_->EditingType() == edPassword;
  SetPasswordChar(password ? grid_->EditPasswordChar() : 0);
  TFont font;
  font.Assign(*grid_->Font());
  TBrush brush;
  brush.SetColor(grid_->Color());
  TColor gradientEnd = clNone;
  TAlignment hAlign = taLeftJustify;
  TVAlignment vAlign = vtaTop;
  TGridDrawState state;
  grid_->GetCellColors(grid_->Col(), grid_->Row(), &font, &brush, gradientEnd, hAlign, vAlign, true, false, false, state);
  SetColor(brush.Color());
  SetFont(&font);
  // The text stays where the cell showed it, in a row taller than one line too.
  SetVerticalAlignment(vAlign == vtaBottom ? DT_BOTTOM : vAlign == vtaCenter ? DT_VCENTER : DT_TOP);
}

void TExInplaceEdit::BoundsChanged() {
  TInplaceEdit::BoundsChanged();
  if (!grid_) return;
  // The edit's kind may be known only now (its contents were loaded before
  // the editor type was asked).
  if (HandleAllocated() && IsMultiLineWidget() != MultiLine()) {
    GetText();
    RecreateWnd();
  }
  const TRect r = grid_->MergedCellRect(grid_->Col(), grid_->Row());
  if (r.Width() <= 1 || r.Height() <= 1) return;
  SetBounds(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
}

void TExInplaceEdit::Change() {
  TInplaceEdit::Change();
  if (grid_ && grid_->OnEditChange && grid_->Editing())
    grid_->OnEditChange(grid_, grid_->RealColIndex(grid_->Col()), grid_->Row(), GetText());
}

// ---------------------------------------------------------------- typed characters

void TExInplaceEdit::WMChar(TMessage& m) {
  const unsigned char c = static_cast<unsigned char>(m.WParam & 0xFF);
  if (dropReturn_ && (c == '\r' || c == '\n')) {
    dropReturn_ = false;
    return;
  }
  if (grid_ && grid_->ExcelStyleDecimalSeparator() && c == '.' && (m.LParam & kKeypadScanBit))
    m.WParam = static_cast<unsigned char>(FormatSettings.DecimalSeparator);
  // The clipboard keys go through the clipboard messages and their events.
  switch (c) {
    case 0x03: Perform(WM_COPY, 0, 0); return;
    case 0x16: Perform(WM_PASTE, 0, 0); return;
    case 0x18: Perform(WM_CUT, 0, 0); return;
    default: break;
  }
  TInplaceEdit::WMChar(m);
}

bool KeepsLineBreaks(TEditorType type) {
  return type == edNormal || type == edCapital || type == edMixedCase || type == edLowerCase || type == edUpperCase;
}

char TExInplaceEdit::FilterChar(char key) {
  const unsigned char c = static_cast<unsigned char>(key);
  const bool lead = IsLeadByte(c);
  if (lengthLimit_ > 0 && c >= 32) {
    const int room = lengthLimit_ - (static_cast<int>(GetText().size()) - SelLength());
    if (room < (lead ? 2 : 1)) return 0;
  }
  const TEditorType type = grid_ ? grid_->EditingType() : edNormal;
  switch (type) {
    case edNumeric:
    case edPositiveNumeric:
    case edFloat: {
      bool beep = false;
      const char out = NumericKeyFilter(type, key, GetText(), SelStart(), SelText(), beep);
      if (beep) MessageBeep(0);
      return out;
    }
    case edCapital:
    case edUpperCase:
      return key >= 'a' && key <= 'z' ? static_cast<char>(key - 32) : key;
    case edLowerCase:
      return key >= 'A' && key <= 'Z' ? static_cast<char>(key + 32) : key;
    default:
      return key;
  }
}

void TExInplaceEdit::KeyPress(char& key) {
  if (!grid_) {
    TInplaceEdit::KeyPress(key);
    return;
  }
  if (dropTrail_) {
    dropTrail_ = false;
    key = 0;
    return;
  }
  const unsigned char c = static_cast<unsigned char>(key);
  if (c >= 32) lookupOn_ = true;  // typing, also from an input method, completes again
  if (inTrail_) {
    // The second byte of a syllable: never filtered or mapped on its own.
    inTrail_ = false;
    if (!mixedLead_.empty()) {
      AnsiString whole = mixedLead_ + key;
      mixedLead_.clear();
      const int caret = SelStart();
      SetSelText(whole);
      SetText(CapitalizeWords(GetText()));
      SetSelStart(caret + static_cast<int>(whole.size()));
      key = 0;
      return;
    }
    TInplaceEdit::KeyPress(key);
    return;
  }
  const char out = FilterChar(key);
  if (out == 0) {
    dropTrail_ = IsLeadByte(c);
    key = 0;
    return;
  }
  key = out;
  if (grid_->EditingType() == edMixedCase && c >= 32) {
    if (IsLeadByte(c)) {
      mixedLead_.assign(1, key);
      inTrail_ = true;
      key = 0;
      return;
    }
    const int caret = SelStart();
    SetSelText(AnsiString(1, key));
    SetText(CapitalizeWords(GetText()));
    SetSelStart(caret + 1);
    key = 0;
    return;
  }
  if (IsLeadByte(c)) inTrail_ = true;
  TInplaceEdit::KeyPress(key);
}

// ---------------------------------------------------------------- keys

bool TExInplaceEdit::ValidateForLeave() {
  if (!grid_) return true;
  const bool valid = grid_->ValidateCell(GetText());
  const AnsiString cellText = grid_->CurrentCellText();
  if (GetText() != cellText) SetText(cellText);
  if (!valid) {
    if (grid_->Navigation()->EditSelectAll()) SelectAll();
    else SetSelStart(static_cast<int>(GetText().size()));
  }
  return valid;
}

bool TExInplaceEdit::CursorWalk(bool forward) {
  if (!ValidateForLeave()) return true;
  int col = grid_->Col();
  int row = grid_->Row();
  // Left to right through the row, on into the next (or previous) row,
  // whatever the advance direction.
  if (forward) {
    if (++col >= grid_->ColCount()) {
      col = grid_->FixedCols();
      if (++row >= grid_->RowCount()) return true;
    }
  } else if (--col < grid_->FixedCols()) {
    col = grid_->ColCount() - 1;
    if (--row < grid_->FixedRows()) return true;
  }
  const TPoint base = grid_->BaseCellOf(grid_->RealColIndex(col), row);
  const bool control = grid_->IsControlCell(base.X, base.Y);
  grid_->HideCellEditor();
  grid_->SetCol(col);
  grid_->SetRow(row);
  if (!control && grid_->Col() == col && grid_->Row() == row) grid_->ShowEditor();
  return true;
}

void TExInplaceEdit::KeyDown(Word& key, TShiftState shift) {
  if (!grid_ || !grid_->Editing()) {
    TInplaceEdit::KeyDown(key, shift);
    return;
  }
  const bool ctrl = shift.contains(ssCtrl);
  const bool plain = !ctrl && !shift.contains(ssShift);
  lookupOn_ = key != VK_BACK && key != VK_DELETE;
  dropReturn_ = false;
  if (IsMultiLineWidget()) {
    // Inside a text of several lines the arrows move between its lines.
    if ((key == VK_UP && !CaretOnFirstLine()) || (key == VK_DOWN && !CaretOnLastLine())) return;
    const bool lineBreak = grid_->Navigation()->LineFeedOnEnter() || (ctrl && grid_->Navigation()->AllowCtrlEnter());

    if (key == VK_RETURN && lineBreak && !shift.contains(ssShift) &&
        KeepsLineBreaks(grid_->EditingType())) {
      SetSelText("\r\n");
      dropReturn_ = true;  // its character is not typed again
      key = 0;
      return;
    }
  }
  switch (key) {
    case VK_ESCAPE:
      SetText(grid_->EditState().startText);
      grid_->HideCellEditor();
      key = 0;
      return;
    case VK_TAB:
      if (!grid_->Options().contains(goTabs)) break;
      if (!ValidateForLeave()) {
        key = 0;
        return;
      }
      grid_->HideCellEditor();
      if (grid_->CanFocus()) grid_->SetFocus();
      {
        Word tab = VK_TAB;
        grid_->KeyDown(tab, shift);
      }
      key = 0;
      return;
    case VK_UP:
    case VK_DOWN:
      // One line of text: the caret is always on the first and the last line.
      if (!ValidateForLeave()) {
        key = 0;
        return;
      }
      break;
    case VK_RETURN:
      if (!grid_->Navigation()->LineFeedOnEnter() && !ctrl && !ValidateForLeave()) {
        key = 0;
        return;
      }
      break;
    case VK_HOME:
    case VK_END:
      if (plain) {
        SetSelStart(key == VK_HOME ? 0 : static_cast<int>(GetText().size()));
        key = 0;
        return;
      }
      break;
    case VK_LEFT:
    case VK_RIGHT:
      if (grid_->Navigation()->CursorWalkEditor() && SelLength() == 0) {
        const bool atStart = SelStart() == 0;
        const bool atEnd = SelStart() >= static_cast<int>(GetText().size());
        if ((key == VK_LEFT && atStart) || (key == VK_RIGHT && atEnd)) {
          CursorWalk(key == VK_RIGHT);
          key = 0;
          return;
        }
      }
      break;
    case VK_INSERT:
      if (shift.contains(ssShift) && !ctrl) {
        Perform(WM_PASTE, 0, 0);
        key = 0;
        return;
      }
      if (ctrl && !shift.contains(ssShift)) {
        Perform(WM_COPY, 0, 0);
        key = 0;
        return;
      }
      break;
    case VK_DELETE:
      if (shift.contains(ssShift) && !ctrl) {
        Perform(WM_CUT, 0, 0);
        key = 0;
        return;
      }
      break;
    default:
      break;
  }
  TInplaceEdit::KeyDown(key, shift);
}

void TExInplaceEdit::KeyUp(Word& key, TShiftState shift) {
  if (grid_ && grid_->Editing() && key != VK_LEFT && key != VK_RIGHT) {
    TypingLookup();
    GrowWithText();
  }
  TInplaceEdit::KeyUp(key, shift);
}

void TExInplaceEdit::TypingLookup() {
  if (!lookupOn_ || SelLength() > 0 || !grid_->Lookup() || grid_->LookupItems()->Count() == 0) return;
  const AnsiString text = GetText();
  const int caret = std::clamp(SelStart(), 0, static_cast<int>(text.size()));
  if (caret == 0) return;
  const AnsiString typed = text.substr(0, static_cast<std::size_t>(caret));
  const bool caseSensitive = grid_->LookupCaseSensitive();
  const AnsiString prefix = caseSensitive ? typed : UpperCase(typed);
  TStrings* items = grid_->LookupItems();
  for (int i = 0; i < items->Count(); ++i) {
    const AnsiString item = items->Strings(i);
    if (item.size() <= typed.size()) continue;
    const AnsiString head = item.substr(0, typed.size());
    if ((caseSensitive ? head : UpperCase(head)) != prefix) continue;
    // A head that ends inside a syllable is no match of whole characters.
    if (ByteType(item, caret) == mbLeadByte) continue;
    SetText(typed + item.substr(typed.size()));
    SetSelStart(caret);
    SetSelLength(static_cast<int>(item.size()) - caret);
    return;
  }
}

void TExInplaceEdit::GrowWithText() {
  TSizeWhileTyping* sizing = grid_->SizeWhileTyping();
  if (!sizing->Width() && !sizing->Height()) return;
  TCanvas* canvas = grid_->Canvas();
  canvas->SetFont(*Font());
  const int col = grid_->Col();
  const int row = grid_->Row();
  const int textWidth = canvas->TextWidth(GetText()) + 8;
  // Never past what the grid file stores: a grid sized so must open again.
  const int width = std::min(textWidth, kMaxCellExtent);
  if (sizing->Width() && width > grid_->ColWidths(col)) {
    grid_->SetColWidths(col, width);
    SetWidth(width - 1);
  }
  if (sizing->Height() && grid_->WordWrap()) {
    const int width = std::max(grid_->ColWidths(col) - 4, 1);
    const int lines = std::max(1, (textWidth - 8 + width - 1) / width);
    const int needed = static_cast<int>(std::min<Int64>(Int64{lines} * canvas->TextHeight("Hg") + 4, kMaxCellExtent));
    if (needed > grid_->RowHeights(row)) {
      grid_->SetRowHeights(row, needed);
      SetHeight(needed - 1);
      if (grid_->OnEndRowSize) grid_->OnEndRowSize(grid_, row);
    }
  }
}

// ---------------------------------------------------------------- focus and mouse

void TExInplaceEdit::DblClick() {
  if (grid_ && grid_->OnDblClickCell) grid_->OnDblClickCell(grid_, grid_->Row(), grid_->RealColIndex(grid_->Col()));
  TInplaceEdit::DblClick();
}

void TExInplaceEdit::DoEnter() {
  TInplaceEdit::DoEnter();
  if (!grid_) return;
  TPoint at;
  if (grid_->TakeCaretClick(this, at)) {
    SetSelStart(CharPosAt(at));
  } else if (!EditMask().empty() && grid_->Navigation()->ImproveMaskSel()) {
    // The first position selected: typing starts the mask over.
    SetSelStart(0);
    SetSelLength(1);
  } else if (!grid_->Navigation()->EditSelectAll()) {
    Deselect();
  }
}

void TExInplaceEdit::DoExit() {
  TGridEditState* s = grid_ ? grid_->LiveEditState() : nullptr;
  if (s && !s->closing) {
    s->pending.clear();
    const AnsiString text = GetText();
    if (grid_->LookupHistory() && !text.empty() && grid_->LookupItems()->IndexOf(text) < 0)
      grid_->LookupItems()->Add(text);
    if (TWinControl::FocusedControl() != grid_) {
      if (s->editing) {
        grid_->ValidateCell(text);
        const AnsiString cellText = grid_->CurrentCellText();
        if (GetText() != cellText) SetText(cellText);
        grid_->HideCellEditor();
      }
    } else if (s->editing) {
      if (grid_->OnEditingDone) grid_->OnEditingDone(grid_);
    }
  }
  TInplaceEdit::DoExit();
}

void TExInplaceEdit::CMVisibleChanged(TMessage& m) {
  TInplaceEdit::CMVisibleChanged(m);
  // Hidden by the class library on its own (Enter, a cell move): the edit ends.
  TGridEditState* s = grid_ ? grid_->LiveEditState() : nullptr;
  if (s && !Visible() && s->editing && IsDefaultEditorType(s->editorType) && !s->closing) s->editing = false;
}

void TExInplaceEdit::CMWantSpecialKey(TMessage& m) {
  const Word key = static_cast<Word>(m.WParam);
  if (key == VK_RETURN || key == VK_ESCAPE || (key == VK_TAB && grid_ && grid_->Options().contains(goTabs))) m.Result = 1;
  else TInplaceEdit::CMWantSpecialKey(m);
}

// ---------------------------------------------------------------- clipboard

void TExInplaceEdit::WMCopy(TMessage& m) {
  bool allow = true;
  if (grid_ && grid_->OnClipboardCopy) grid_->OnClipboardCopy(this, allow);
  if (allow && PasswordChar() == 0 && SelLength() > 0) Clipboard()->SetAsText(SelText());
}

void TExInplaceEdit::WMCut(TMessage& m) {
  bool allow = true;
  if (grid_ && grid_->OnClipboardCut) grid_->OnClipboardCut(this, allow);
  if (!allow || ReadOnly() || PasswordChar() != 0 || SelLength() == 0) return;
  Clipboard()->SetAsText(SelText());
  SetSelText("");
}

void TExInplaceEdit::WMPaste(TMessage& m) {
  if (ReadOnly() || !Clipboard()->HasFormat(CF_TEXT)) return;
  AnsiString value = Clipboard()->AsText();
  const std::size_t lineBreak = value.find_first_of("\r\n");
  if (lineBreak != AnsiString::npos) value.resize(lineBreak);
  bool allow = true;
  if (grid_ && grid_->OnClipboardBeforePasteCell)
    grid_->OnClipboardBeforePasteCell(this, grid_->RealColIndex(grid_->Col()), grid_->Row(), value, allow);
  if (!allow) return;
  const AnsiString text = GetText();
  const int start = std::clamp(SelStart(), 0, static_cast<int>(text.size()));
  const int length = std::clamp(SelLength(), 0, static_cast<int>(text.size()) - start);
  AnsiString result = text;
  result.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(length), value);
  // A paste that would pass the limit changes nothing.
  if (lengthLimit_ > 0 && static_cast<int>(result.size()) > lengthLimit_) return;
  if (grid_ && grid_->OnClipboardPaste) grid_->OnClipboardPaste(this, allow);
  if (!allow) return;
  switch (grid_ ? grid_->EditingType() : edNormal) {
    case edNumeric:
    case edPositiveNumeric:
      if (NumberTextKind(result) != 0) return;
      break;
    case edFloat:
      if (NumberTextKind(result) >= 2) return;
      break;
    case edMixedCase: result = CapitalizeWords(result); break;
    case edLowerCase: result = LowerCase(result); break;
    case edUpperCase: result = UpperCase(result); break;
    default: break;
  }
  SetText(result);
  SetSelStart(start + static_cast<int>(value.size()));
}
