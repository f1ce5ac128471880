// The in-place editor: TInplaceEdit over a Qt line edit, and the grid's side
// of its lifecycle.
//
// Lifecycle:
//   F2 / Enter / a typed character / a click on the current cell (goEditing)
//     -> ShowEditor: EditorMode on -> UpdateEdit
//          -> CanEditShow (virtual) -> CreateEditor once (virtual), parented to the grid
//          -> UpdateContents: GetEditMask, GetEditText, GetEditLimit (virtuals)
//          -> Move over CellRect (Col, Row), focus when the grid has it
//   typing -> Change -> UpdateText -> SetEditText (virtual) on every change
//   navigation keys in the editor -> the grid's KeyDown -> the cell moves, the
//     editor hides and shows again on the new cell (goAlwaysShowEditor)
//   Enter (without goAlwaysShowEditor), leaving the grid, a cell move, HideEditor
//     -> HideEdit: SetEditText once more, the editor hides
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <algorithm>

#include "platform/rtl/Cp949.h"
#include "platform/vcl/Controls_p.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/Mask_p.h"

// The Qt side reaches the editor's private parts through this.
struct TInplaceEditAccess {
  static void TextChanged(TInplaceEdit* e) { e->TextEditedByUser(); }
};

namespace {

// The editor's widget: a line edit, or a plain text edit for text of
// several lines. Positions and texts are those of the cell text, whose
// lines end in CR LF; the text edit holds a single LF per break.
class TEditWidget {
 public:
  explicit TEditWidget(const TInplaceEdit* e)
      : line_(qobject_cast<QLineEdit*>(WidgetOf(e))), plain_(qobject_cast<QPlainTextEdit*>(WidgetOf(e))) {}
  explicit operator bool() const { return line_ || plain_; }
  QWidget* Widget() const { return line_ ? static_cast<QWidget*>(line_) : plain_; }

  // A masked line shows its literals and untyped positions: positions count them.
  QString text() const {
    if (!line_) return ToCell(plain_->toPlainText());
    return line_->inputMask().isEmpty() || line_->echoMode() != QLineEdit::Normal ? line_->text() : line_->displayText();
  }
  void setText(const QString& t) {
    if (line_) line_->setText(t);
    else plain_->setPlainText(ToDoc(t));
  }
  bool hasSelectedText() const { return line_ ? line_->hasSelectedText() : plain_->textCursor().hasSelection(); }
  int selectionStart() const {
    return line_ ? line_->selectionStart() : CellPos(plain_->textCursor().selectionStart());
  }
  QString selectedText() const {
    if (line_) return line_->selectedText();
    const QTextCursor c = plain_->textCursor();
    return ToCell(plain_->toPlainText().mid(c.selectionStart(), c.selectionEnd() - c.selectionStart()));
  }
  int cursorPosition() const { return line_ ? line_->cursorPosition() : CellPos(plain_->textCursor().position()); }
  void setCursorPosition(int pos) {
    if (line_) return line_->setCursorPosition(pos);
    QTextCursor c = plain_->textCursor();
    c.setPosition(DocPos(pos));
    plain_->setTextCursor(c);
  }
  void setSelection(int start, int length) {
    if (line_) return line_->setSelection(start, length);
    QTextCursor c = plain_->textCursor();
    c.setPosition(DocPos(start));
    c.setPosition(DocPos(start + length), QTextCursor::KeepAnchor);
    plain_->setTextCursor(c);
  }
  void insert(const QString& t) {
    if (line_) line_->insert(t);
    else plain_->insertPlainText(ToDoc(t));
  }
  void selectAll() {
    if (line_) line_->selectAll();
    else plain_->selectAll();
  }
  void deselectToEnd() {
    if (line_) {
      line_->deselect();
      line_->end(false);
      return;
    }
    QTextCursor c = plain_->textCursor();
    c.movePosition(QTextCursor::End);
    plain_->setTextCursor(c);
  }
  void backspace() {
    if (line_) return line_->backspace();
    QTextCursor c = plain_->textCursor();
    c.deletePreviousChar();
    plain_->setTextCursor(c);
  }
  void setReadOnly(bool v) {
    if (line_) line_->setReadOnly(v);
    else plain_->setReadOnly(v);
  }
  void setPassword(bool v) {
    if (line_) line_->setEchoMode(v ? QLineEdit::Password : QLineEdit::Normal);
  }
  int cursorPositionAt(QPoint p) const {
    return line_ ? line_->cursorPositionAt(p) : CellPos(plain_->cursorForPosition(p).position());
  }
  // The caret's line: the first, the last.
  bool caretOnFirstLine() const { return !plain_ || plain_->textCursor().blockNumber() == 0; }
  bool caretOnLastLine() const {
    return !plain_ || plain_->textCursor().blockNumber() == plain_->document()->blockCount() - 1;
  }

 private:
  static QString ToDoc(QString t) {
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
  }
  static QString ToCell(QString t) { return t.replace(QLatin1Char('\n'), QStringLiteral("\r\n")); }
  // Positions in the document count one character per break, the cell's two.
  int CellPos(int docPos) const {
    const QString doc = plain_->toPlainText();
    return docPos + static_cast<int>(doc.left(docPos).count(QLatin1Char('\n')));
  }
  int DocPos(int cellPos) const {
    const QString cell = ToCell(plain_->toPlainText());
    cellPos = std::clamp(cellPos, 0, static_cast<int>(cell.size()));
    // A position inside a CR LF pair stands before the break.
    if (cellPos > 0 && cellPos < cell.size() && cell[cellPos - 1] == QLatin1Char('\r')) --cellPos;
    return cellPos - static_cast<int>(cell.left(cellPos).count(QStringLiteral("\r\n")));
  }
  QLineEdit* line_;
  QPlainTextEdit* plain_;
};

}  // namespace

namespace {

// Byte length of the code page 949 form of the first chars of a text.
int BytesOfPrefix(const QString& text, int chars) {
  chars = std::clamp(chars, 0, static_cast<int>(text.size()));
  return static_cast<int>(FromQString(text.left(chars)).size());
}

// The number of chars whose code page 949 form takes the first bytes.
int CharsOfBytes(const QString& text, int bytes) {
  int used = 0;
  for (int i = 0; i < text.size(); ++i) {
    if (used >= bytes) return i;
    used += static_cast<int>(FromQString(text.mid(i, 1)).size());
  }
  return static_cast<int>(text.size());
}

}  // namespace

// ================================================================= TInplaceEdit

TInplaceEdit::TInplaceEdit(TComponent* owner) : TWinControl(owner) {
  grid_ = dynamic_cast<TCustomGrid*>(owner);
  SetTabStop(false);
  SetVisible(false);
  SetColor(clWindow);
  ControlStyle() = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks};
}

TInplaceEdit::~TInplaceEdit() {
  if (grid_ && grid_->inplaceEdit_ == this) grid_->inplaceEdit_ = nullptr;
}

TWindowHandle* TInplaceEdit::CreateWindowHandle() {
  TInplaceEdit* self = this;
  if (MultiLine() && !passwordChar_) {
    auto* edit = new QPlainTextEdit();
    edit->setFrameShape(QFrame::NoFrame);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setLineWrapMode(WordWrapped() ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->document()->setDocumentMargin(1);
    auto* handle = new TWindowHandle(this, edit);
    QObject::connect(edit, &QPlainTextEdit::textChanged, handle, [self] { TInplaceEditAccess::TextChanged(self); });
    return handle;
  }
  auto* edit = new QLineEdit();
  edit->setFrame(false);
  edit->setFocusPolicy(Qt::ClickFocus);
  edit->setTextMargins(1, 0, 1, 0);
  auto* handle = new TWindowHandle(this, edit);
  QObject::connect(edit, &QLineEdit::textChanged, handle,
                   [self](const QString&) { TInplaceEditAccess::TextChanged(self); });
  return handle;
}

bool TInplaceEdit::IsMultiLineWidget() const { return qobject_cast<QPlainTextEdit*>(WidgetOf(this)) != nullptr; }

bool TInplaceEdit::CaretOnFirstLine() const { return TEditWidget(this).caretOnFirstLine(); }

bool TInplaceEdit::CaretOnLastLine() const { return TEditWidget(this).caretOnLastLine(); }

void TInplaceEdit::SetRightAligned(bool v) {
  rightAligned_ = v;
  ApplyAlignment();
}

void TInplaceEdit::SetVerticalAlignment(unsigned flag) {
  verticalAlignment_ = flag;
  ApplyAlignment();
}

void TInplaceEdit::ApplyAlignment() {
  if (auto* line = qobject_cast<QLineEdit*>(WidgetOf(this))) {
    const Qt::Alignment vertical = verticalAlignment_ == DT_BOTTOM ? Qt::AlignBottom
                                   : verticalAlignment_ == DT_TOP  ? Qt::AlignTop
                                                                   : Qt::AlignVCenter;
    line->setAlignment((rightAligned_ ? Qt::AlignRight : Qt::AlignLeft) | vertical);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(WidgetOf(this))) {
    QTextOption option = plain->document()->defaultTextOption();
    option.setAlignment(rightAligned_ ? Qt::AlignRight : Qt::AlignLeft);
    plain->document()->setDefaultTextOption(option);
  }
}

void TInplaceEdit::InitWindowHandle() {
  TWinControl::InitWindowHandle();
  if (TEditWidget edit(this); edit) {
    QSignalBlocker block(edit.Widget());
    edit.setText(ToQString(text_));
    edit.setReadOnly(readOnly_);
    edit.setPassword(passwordChar_ != 0);
  }
  if (auto* line = qobject_cast<QLineEdit*>(WidgetOf(this)); line && Masked()) {
    QSignalBlocker block(line);
    ApplyWidgetMask(line, mask_);
    PlaceMaskedText(line, mask_, mask_.EditTextOf(text_));
  }
  ApplyAlignment();
}

bool TInplaceEdit::Masked() const { return !mask_.Empty() && qobject_cast<QLineEdit*>(WidgetOf(this)) != nullptr; }

void TInplaceEdit::SetEditMask(const AnsiString& mask) {
  if (mask == editMask_) return;
  editMask_ = mask;
  mask_ = TEditMask(mask);
  auto* line = qobject_cast<QLineEdit*>(WidgetOf(this));
  if (!line) return;
  QSignalBlocker block(line);
  ApplyWidgetMask(line, mask_);
  if (Masked()) PlaceMaskedText(line, mask_, mask_.EditTextOf(text_));
  else line->setText(ToQString(text_));
}

void TInplaceEdit::ApplyTextToWidget() {
  // The line edit holds the text itself; SetText puts it there.
}

const AnsiString& TInplaceEdit::GetText() const {
  // A masked text is what was set or typed: a visit that types nothing gives
  // back the cell's text as it was, whatever the mask makes of it.
  if (Masked()) return text_;
  if (TEditWidget edit(this); edit) text_ = FromQString(edit.text());
  return text_;
}

void TInplaceEdit::SetText(const AnsiString& s) {
  if (auto* line = qobject_cast<QLineEdit*>(WidgetOf(this)); line && Masked()) {
    QSignalBlocker block(line);
    PlaceMaskedText(line, mask_, mask_.EditTextOf(s));
  } else if (TEditWidget edit(this); edit) {
    QSignalBlocker block(edit.Widget());
    edit.setText(ToQString(s));
  }
  const bool changed = s != text_;
  text_ = s;
  if (changed) Change();
}

int TInplaceEdit::SelStart() const {
  TEditWidget edit(this);
  if (!edit) return static_cast<int>(text_.size());
  const int chars = edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
  return BytesOfPrefix(edit.text(), chars);
}

void TInplaceEdit::SetSelStart(int start) {
  if (TEditWidget edit(this); edit) {
    edit.setCursorPosition(CharsOfBytes(edit.text(), std::max(start, 0)));
  }
}

int TInplaceEdit::SelLength() const {
  TEditWidget edit(this);
  if (!edit || !edit.hasSelectedText()) return 0;
  return static_cast<int>(FromQString(edit.selectedText()).size());
}

void TInplaceEdit::SetSelLength(int length) {
  TEditWidget edit(this);
  if (!edit) return;
  const int startChars = edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
  const int startBytes = BytesOfPrefix(edit.text(), startChars);
  const int endChars = CharsOfBytes(edit.text(), startBytes + std::max(length, 0));
  edit.setSelection(startChars, endChars - startChars);
}

AnsiString TInplaceEdit::SelText() const {
  TEditWidget edit(this);
  return edit ? FromQString(edit.selectedText()) : AnsiString();
}

void TInplaceEdit::SetSelText(const AnsiString& s) {
  if (TEditWidget edit(this); edit) edit.insert(ToQString(s));
  else SetText(text_ + s);
}

void TInplaceEdit::SelectAll() {
  if (TEditWidget edit(this); edit) edit.selectAll();
}

void TInplaceEdit::Deselect() {
  if (auto* line = qobject_cast<QLineEdit*>(WidgetOf(this)); line && Masked()) {
    // The end of a masked text is behind its last typed position, not behind
    // the blanks still to be typed.
    const std::vector<AnsiString> chars = SplitChars(MaskedEditText(line));
    const AnsiString blank(1, mask_.BlankChar());
    int end = 0;
    for (std::size_t i = 0; i < chars.size() && i < mask_.Slots().size(); ++i)
      if (mask_.Slots()[i].Kind != 0 && chars[i] != blank) end = static_cast<int>(i) + 1;
    line->deselect();
    line->setCursorPosition(end);
    return;
  }
  if (TEditWidget edit(this); edit) edit.deselectToEnd();
}

int TInplaceEdit::CharPosAt(TPoint point) const {
  TEditWidget edit(this);
  if (!edit) return static_cast<int>(text_.size());
  return BytesOfPrefix(edit.text(), edit.cursorPositionAt(QPoint(point.X, point.Y)));
}

void TInplaceEdit::SetMaxLength(int length) { maxLength_ = length; }

void TInplaceEdit::SetReadOnly(bool v) {
  readOnly_ = v;
  if (TEditWidget edit(this); edit) edit.setReadOnly(v);
}

void TInplaceEdit::SetPasswordChar(char c) {
  passwordChar_ = c;
  // Only a line edit hides what is typed: a password never stays in a
  // widget of several lines.
  if (c && IsMultiLineWidget()) {
    GetText();
    RecreateWnd();
  }
  if (TEditWidget edit(this); edit) edit.setPassword(c != 0);
}

void TInplaceEdit::TextEditedByUser() {
  TEditWidget edit(this);
  if (!edit) return;
  if (Masked()) {
    // The mask bounds the text; it is taken as the mask reads it.
    AnsiString now = mask_.TextOf(MaskedEditText(qobject_cast<QLineEdit*>(edit.Widget())));
    if (now == text_) return;
    text_ = std::move(now);
    modified_ = true;
    Change();
    return;
  }
  AnsiString now = FromQString(edit.text());
  // The limit counts bytes, as the edit control of the code page does: a
  // change that would pass it is refused.
  if (maxLength_ > 0 && static_cast<int>(now.size()) > maxLength_ && now.size() > text_.size()) {
    QSignalBlocker block(edit.Widget());
    const int cursor = std::min(edit.cursorPosition(), static_cast<int>(ToQString(text_).size()));
    edit.setText(ToQString(text_));
    edit.setCursorPosition(cursor);
    MessageBeep(0);
    return;
  }
  if (now == text_) return;
  text_ = std::move(now);
  modified_ = true;
  Change();
}

void TInplaceEdit::Change() {
  if (OnChange) OnChange(this);
  if (grid_ && !settingText_) grid_->UpdateText();
}

void TInplaceEdit::TypeChar(char ch) {
  TEditWidget edit(this);
  const unsigned char c = static_cast<unsigned char>(ch);
  if (c == 8) {
    pendingLead_ = 0;
    if (edit) edit.backspace();
    return;
  }
  if (!pendingLead_ && IsLeadByte(c)) {
    pendingLead_ = ch;
    return;
  }
  AnsiString typed;
  if (pendingLead_) typed.push_back(pendingLead_);
  typed.push_back(ch);
  pendingLead_ = 0;
  if (edit) edit.insert(ToQString(typed));
  else SetText(text_ + typed);
}

void TInplaceEdit::UpdateContents() {
  if (!grid_) return;
  settingText_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{settingText_};
  SetText(AnsiString());
  SetEditMask(grid_->GetEditMask(grid_->Col(), grid_->Row()));
  SetText(grid_->GetEditText(grid_->Col(), grid_->Row()));
  SetMaxLength(grid_->GetEditLimit());
  modified_ = false;
}

void TInplaceEdit::BoundsChanged() {}

bool TInplaceEdit::EditCanModify() { return grid_ ? grid_->CanEditModify() : true; }

void TInplaceEdit::Move(const TRect& loc) {
  if (loc.Width() <= 0 || loc.Height() <= 0) {
    Hide();
    return;
  }
  HandleNeeded();
  SetBounds(loc.Left, loc.Top, loc.Width(), loc.Height());
  if (!TControl::Visible()) SetVisible(true);
  BringToFront();
  BoundsChanged();
  if (grid_ && grid_->Focused() && CanFocus()) SetFocus();
}

bool TInplaceEdit::PosEqual(const TRect& rect) const { return BoundsRect() == rect; }

void TInplaceEdit::UpdateLoc(const TRect& loc) { Move(loc); }

void TInplaceEdit::Hide() {
  if (!TControl::Visible()) return;
  const bool hadFocus = HandleAllocated() && Focused();
  SetVisible(false);
  if (hadFocus && grid_ && grid_->CanFocus()) grid_->SetFocus();
}

void TInplaceEdit::Invalidate() { TWinControl::Invalidate(); }

void TInplaceEdit::SetFocus() {
  if (CanFocus()) TWinControl::SetFocus();
}

void TInplaceEdit::KeyDown(Word& key, TShiftState shift) {
  if (!grid_) {
    TWinControl::KeyDown(key, shift);
    return;
  }
  auto sendToParent = [&] {
    grid_->KeyDown(key, shift);
    key = 0;
  };
  auto parentEvent = [&] {
    if (grid_->OnKeyDown) grid_->OnKeyDown(grid_, key, shift);
  };
  TEditWidget edit(this);
  const int length = edit ? static_cast<int>(edit.text().size()) : 0;
  int selStart = 0, selEnd = 0;
  if (edit) {
    if (edit.hasSelectedText()) {
      selStart = edit.selectionStart();
      selEnd = selStart + static_cast<int>(edit.selectedText().size());
    } else {
      selStart = selEnd = edit.cursorPosition();
    }
  }
  // The caret at an end (or everything selected) lets the arrows leave the cell.
  const bool rightSide = (selStart == 0 || selEnd == selStart) && selEnd == length;
  const bool leftSide = selStart == 0 && (selEnd == 0 || selEnd == length);
  const bool forward = grid_->Options().contains(goAlwaysShowEditor);
  const bool ctrl = shift.contains(ssCtrl);
  switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
      sendToParent();
      break;
    case VK_INSERT:
      if (shift.empty()) sendToParent();
      else if (shift == TShiftState{ssShift} && !grid_->CanEditModify()) key = 0;
      break;
    case VK_LEFT:
    case VK_HOME:
      if (forward && (ctrl || leftSide)) sendToParent();
      break;
    case VK_RIGHT:
    case VK_END:
      if (forward && (ctrl || rightSide)) sendToParent();
      break;
    case VK_F2:
      parentEvent();
      if (key == VK_F2) {
        Deselect();
        return;
      }
      break;
    case VK_TAB:
      if (!shift.contains(ssAlt)) sendToParent();
      break;
    case VK_DELETE:
      if (ctrl) sendToParent();
      else if (!grid_->CanEditModify()) key = 0;
      break;
    default:
      break;
  }
  if (key != 0) {
    parentEvent();
    TWinControl::KeyDown(key, shift);
  }
}

void TInplaceEdit::KeyPress(char& key) {
  if (!grid_) {
    TWinControl::KeyPress(key);
    return;
  }
  grid_->KeyPress(key);
  const unsigned char c = static_cast<unsigned char>(key);
  if (c >= 32 && !grid_->CanEditAcceptKey(key)) {
    key = 0;
    MessageBeep(0);
  }
  switch (key) {
    case '\t':
    case 27:
      key = 0;
      break;
    case '\r': {
      TEditWidget edit(this);
      if (edit && edit.hasSelectedText() && edit.selectedText().size() == edit.text().size()) {
        Deselect();
      } else {
        SelectAll();
      }
      key = 0;
      break;
    }
    default:
      if ((key == 8 || key == 22 || key == 24 || static_cast<unsigned char>(key) >= 32) &&
          !grid_->CanEditModify()) {
        key = 0;
      }
      break;
  }
  if (key != 0) TWinControl::KeyPress(key);
}

void TInplaceEdit::KeyUp(Word& key, TShiftState shift) {
  if (grid_) grid_->KeyUp(key, shift);
  if (key != 0) TWinControl::KeyUp(key, shift);
}

void TInplaceEdit::DblClick() {
  if (grid_) grid_->DblClick();
}

bool TInplaceEdit::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (grid_) return grid_->DoMouseWheel(shift, wheelDelta, mousePos);
  return TWinControl::DoMouseWheel(shift, wheelDelta, mousePos);
}

void TInplaceEdit::WMGetDlgCode(TMessage& m) {
  m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (grid_ && grid_->Options().contains(goTabs)) m.Result |= DLGC_WANTTAB;
}

void TInplaceEdit::WMKillFocus(TMessage& m) { TWinControl::WMKillFocus(m); }

void TInplaceEdit::DoExit() {
  TWinControl::DoExit();
  // Leaving the editor for another control leaves the grid: the grid hears
  // its exit (hiding the editor) as it would had it held the focus itself.
  if (grid_ && TWinControl::FocusedControl() != grid_) {
    grid_->focusInEditor_ = false;
    grid_->Perform(CM_EXIT, 0, 0);
  }
}

void TInplaceEdit::WndProc(TMessage& message) { TWinControl::WndProc(message); }

// ================================================================= the grid's side

bool TCustomGrid::CanEditShow() {
  return options_.contains(goEditing) && !options_.contains(goRowSelect) && editorMode_ &&
         HandleAllocated() && (options_.contains(goAlwaysShowEditor) || IsActiveControl());
}

bool TCustomGrid::CanEditModify() { return canEditModify_; }
bool TCustomGrid::CanEditAcceptKey(char key) { return true; }
AnsiString TCustomGrid::GetEditText(int col, int row) { return AnsiString(); }
void TCustomGrid::SetEditText(int col, int row, const AnsiString& value) {}
int TCustomGrid::GetEditLimit() { return 0; }
AnsiString TCustomGrid::GetEditMask(int col, int row) { return AnsiString(); }

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

void TCustomGrid::UpdateText() {
  if (inplaceEdit_ && inplaceCol_ != -1 && inplaceRow_ != -1) {
    ++editUpdate_;
    struct Done {
      int& count;
      ~Done() { --count; }
    } done{editUpdate_};
    SetEditText(inplaceCol_, inplaceRow_, inplaceEdit_->GetText());
  }
}

void TCustomGrid::HideEdit() {
  if (!inplaceEdit_) return;
  struct Hide {
    TCustomGrid* grid;
    ~Hide() {
      grid->inplaceCol_ = -1;
      grid->inplaceRow_ = -1;
      if (grid->inplaceEdit_) grid->inplaceEdit_->Hide();
    }
  } hide{this};
  UpdateText();
}

void TCustomGrid::UpdateEdit() {
  if (!CanEditShow()) return;
  auto loadEditor = [&] {
    inplaceCol_ = current_.X;
    inplaceRow_ = current_.Y;
    inplaceEdit_->UpdateContents();
    canEditModify_ = inplaceEdit_->MaxLength() != -1;
    inplaceEdit_->SelectAll();
  };
  if (!inplaceEdit_) {
    inplaceEdit_ = CreateEditor();
    inplaceEdit_->SetGrid(this);
    inplaceEdit_->SetParent(this);
    inplaceEdit_->SetFont(Font());
    loadEditor();
  } else if (current_.X != inplaceCol_ || current_.Y != inplaceRow_) {
    HideEdit();
    loadEditor();
  }
  if (CanEditShow()) inplaceEdit_->Move(CellRect(current_.X, current_.Y));
}

void TCustomGrid::InvalidateEditor() {
  inplaceCol_ = -1;
  inplaceRow_ = -1;
  UpdateEdit();
}

void TCustomGrid::ShowEditor() {
  editorMode_ = true;
  UpdateEdit();
}

void TCustomGrid::HideEditor() {
  editorMode_ = false;
  HideEdit();
}

void TCustomGrid::SetEditorMode(bool value) {
  if (!value) {
    HideEditor();
  } else {
    ShowEditor();
    if (inplaceEdit_) inplaceEdit_->Deselect();
  }
}

void TCustomGrid::ShowEditorChar(char ch) {
  ShowEditor();
  if (!inplaceEdit_ || !inplaceEdit_->TControl::Visible()) return;
  // The character goes through the editor's own key handling, as if typed there.
  TMessage m{WM_CHAR, static_cast<unsigned char>(ch), 0, 0};
  if (PerformReachesDefault(inplaceEdit_, m)) inplaceEdit_->TypeChar(static_cast<char>(m.WParam & 0xFF));
}
