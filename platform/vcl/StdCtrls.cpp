// Standard controls over Qt widgets.
//
// Sections:
//   Helpers ........... byte positions, the byte-length validator
//   TControlItems
//   TCustomEdit, TMemo
//   TComboBox
//   TListBox, TCheckListBox
//   TButton, TBitBtn, TSpeedButton
//   TCheckBox, TRadioButton, TGroupBox, TLabel
#include "platform/vcl/StdCtrls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QValidator>

#include <algorithm>

#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Controls_p.h"
#include "platform/vcl/Forms.h"

// ======================================================================= helpers

namespace {

// Refuses input whose code page 949 form would be longer than the limit:
// the limits count bytes, and a Hangul syllable takes two.
class TByteLengthValidator : public QValidator {
 public:
  TByteLengthValidator(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}
  State validate(QString& input, int&) const override {
    return static_cast<int>(FromQString(input).size()) <= limit_ ? Acceptable : Invalid;
  }

 private:
  int limit_;
};

// A byte position of code page 949 text as a UTF-16 position, and back.
int Utf16Pos(const AnsiString& text, int bytePos) {
  bytePos = std::clamp(bytePos, 0, static_cast<int>(text.size()));
  return static_cast<int>(ToQString(std::string_view(text).substr(0, static_cast<std::size_t>(bytePos))).size());
}

int BytePos(const QString& text, int utf16Pos) {
  return static_cast<int>(FromQString(text.left(utf16Pos)).size());
}

// Cuts text to at most limit bytes without splitting a two-byte character.
AnsiString CutToBytes(const AnsiString& text, int limit) {
  if (limit <= 0 || static_cast<int>(text.size()) <= limit) return text;
  int i = 0;
  while (i < static_cast<int>(text.size())) {
    int n = IsLeadByte(static_cast<unsigned char>(text[static_cast<std::size_t>(i)])) ? 2 : 1;
    if (i + n > limit) break;
    i += n;
  }
  return text.substr(0, static_cast<std::size_t>(i));
}

AnsiString ToCrLf(const AnsiString& text) {
  AnsiString out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

AnsiString ToLf(const AnsiString& text) {
  AnsiString out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

// ======================================================================= TControlItems

void TControlItems::Check(int index) const {
  if (index < 0 || index >= GetCount()) Error("List index out of bounds (%d)", index);
}

const TControlItems::Item& TControlItems::At(int index) const {
  Check(index);
  return items_[static_cast<std::size_t>(index)];
}

TControlItems::Item& TControlItems::At(int index) {
  Check(index);
  return items_[static_cast<std::size_t>(index)];
}

AnsiString TControlItems::Get(int index) const { return At(index).text; }
TObject* TControlItems::GetObject(int index) const { return At(index).object; }

void TControlItems::Put(int index, const AnsiString& s) {
  At(index).text = s;
  if (listener_) listener_->ItemChanged(index);
}

void TControlItems::PutObject(int index, TObject* object) { At(index).object = object; }

void TControlItems::Clear() {
  items_.clear();
  if (listener_) listener_->ItemsDeleted(-1);
}

void TControlItems::Delete(int index) {
  Check(index);
  items_.erase(items_.begin() + index);
  if (listener_) listener_->ItemsDeleted(index);
}

void TControlItems::Insert(int index, const AnsiString& s) { InsertObject(index, s, nullptr); }

void TControlItems::InsertObject(int index, const AnsiString& s, TObject* object) {
  if (index < 0 || index > GetCount()) Error("List index out of bounds (%d)", index);
  items_.insert(items_.begin() + index, Item{s, object});
  if (listener_) listener_->ItemsInserted(index);
}

int TControlItems::SortedPosition(const AnsiString& s) const {
  int i = 0;
  while (i < GetCount() && AnsiCompareText(items_[static_cast<std::size_t>(i)].text, s) <= 0) ++i;
  return i;
}

int TControlItems::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TControlItems::AddObject(const AnsiString& s, TObject* object) {
  int index = sorted_ ? SortedPosition(s) : GetCount();
  InsertObject(index, s, object);
  return index;
}

void TControlItems::AddStrings(const TStrings* strings) {
  if (strings == nullptr) return;
  // Taken first, so that a list given itself adds each item once.
  std::vector<Item> added;
  added.reserve(static_cast<std::size_t>(strings->Count()));
  for (int i = 0; i < strings->Count(); ++i) added.push_back(Item{strings->Strings(i), strings->Objects(i)});
  if (sorted_) {
    for (const Item& item : added) AddObject(item.text, item.object);
    return;
  }
  const int first = GetCount();
  items_.insert(items_.end(), added.begin(), added.end());
  if (listener_ && !added.empty()) listener_->ItemsAppended(first, static_cast<int>(added.size()));
}

void TControlItems::SetSorted(bool v) {
  if (v == sorted_) return;
  sorted_ = v;
  if (!v) return;
  std::stable_sort(items_.begin(), items_.end(),
                   [](const Item& a, const Item& b) { return AnsiCompareText(a.text, b.text) < 0; });
  if (listener_) {
    listener_->ItemsDeleted(-1);
    for (int i = 0; i < GetCount(); ++i) listener_->ItemsInserted(i);
  }
}

// ======================================================================= TCustomEdit

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetColor(clWindow);
  SetBorderStyle(bsSingle);
  ControlStyle() = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
}

TWindowHandle* TCustomEdit::CreateWindowHandle() {
  auto* edit = new QLineEdit;
  edit->setFocusPolicy(Qt::StrongFocus);
  auto* h = new TWindowHandle(this, edit);
  QObject::connect(edit, &QLineEdit::textChanged, edit, [this](const QString& t) {
    if (settingText_) return;
    TextStore() = FromQString(t);
    NotifyParent(this, EN_CHANGE);
  });
  QObject::connect(edit, &QLineEdit::textEdited, edit, [this](const QString&) { modified_ = true; });
  return h;
}

void TCustomEdit::InitWindowHandle() {
  // Filling a new window with the stored text is no change of the text.
  settingText_ = true;
  TWinControl::InitWindowHandle();
  settingText_ = false;
}

void TCustomEdit::ApplyTextToWidget() {
  auto* edit = qobject_cast<QLineEdit*>(WidgetOf(this));
  if (!edit) return;
  edit->setMaxLength(32767);
  edit->setValidator(maxLength_ > 0 ? new TByteLengthValidator(maxLength_, edit) : nullptr);
  edit->setEchoMode(passwordChar_ ? QLineEdit::Password : QLineEdit::Normal);
  edit->setReadOnly(readOnly_);
  edit->setFrame(BorderStyle() != bsNone);
  Qt::Alignment a = alignment_ == taRightJustify ? Qt::AlignRight : alignment_ == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
  edit->setAlignment(a | Qt::AlignVCenter);
  QString q = ToQString(GetText());
  if (edit->text() != q) edit->setText(q);
  ApplyEditRect();
}

void TCustomEdit::SetEditRect(const TRect& r) {
  editRect_ = r;
  ApplyEditRect();
}

void TCustomEdit::ApplyEditRect() {
  auto* edit = qobject_cast<QLineEdit*>(WidgetOf(this));
  if (!edit) return;
  if (editRect_.IsEmpty()) {
    edit->setTextMargins(0, 0, 0, 0);
    return;
  }
  // The line edit keeps a pixel of its own on either side, as the edit
  // control's default rectangle does: the margins are what the rectangle
  // takes beyond that.
  const int right = ClientWidth() - editRect_.Right;
  edit->setTextMargins(std::max(editRect_.Left - 1, 0), 0, std::max(right - 1, 0), 0);
}

void TCustomEdit::ApplyColorToWidget() {
  QWidget* w = WidgetOf(this);
  if (!w) return;
  QPalette p = w->palette();
  p.setColor(QPalette::Base, ToQColor(Color()));
  p.setColor(QPalette::Text, ToQColor(Font()->Color()));
  w->setPalette(p);
}

AnsiString TCustomEdit::WidgetText() const {
  auto* edit = qobject_cast<QLineEdit*>(WidgetOf(this));
  return edit ? FromQString(edit->text()) : TControl::GetText();
}

const AnsiString& TCustomEdit::GetText() const { return TControl::GetText(); }

void TCustomEdit::SetText(const AnsiString& s) {
  if (s == GetText()) return;
  TextStore() = s;
  if (WidgetOf(this)) {
    ApplyTextToWidget();  // the widget reports the change (EN_CHANGE)
  }
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TCustomEdit::SetMaxLength(int v) {
  maxLength_ = std::max(v, 0);
  ApplyTextToWidget();
}

void TCustomEdit::SetPasswordChar(char c) {
  passwordChar_ = c;
  ApplyTextToWidget();
}

void TCustomEdit::SetReadOnly(bool v) {
  readOnly_ = v;
  ApplyTextToWidget();
}

void TCustomEdit::SetAlignment(TAlignment a) {
  alignment_ = a;
  ApplyTextToWidget();
}

int TCustomEdit::SelStart() const {
  if (auto* edit = qobject_cast<QLineEdit*>(WidgetOf(this))) {
    int pos = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    return BytePos(edit->text(), pos);
  }
  if (auto* memo = qobject_cast<QPlainTextEdit*>(WidgetOf(this))) {
    QTextCursor c = memo->textCursor();
    return static_cast<int>(ToCrLf(FromQString(memo->toPlainText().left(c.selectionStart()))).size());
  }
  return std::min(selStart_, static_cast<int>(GetText().size()));
}

int TCustomEdit::SelLength() const {
  if (auto* edit = qobject_cast<QLineEdit*>(WidgetOf(this))) {
    if (!edit->hasSelectedText()) return 0;
    return static_cast<int>(FromQString(edit->selectedText()).size());
  }
  if (auto* memo = qobject_cast<QPlainTextEdit*>(WidgetOf(this))) {
    QTextCursor c = memo->textCursor();
    QString sel = memo->toPlainText().mid(c.selectionStart(), c.selectionEnd() - c.selectionStart());
    return static_cast<int>(ToCrLf(FromQString(sel)).size());
  }
  return std::clamp(selLength_, 0, static_cast<int>(GetText().size()) - SelStart());
}

void TCustomEdit::SetSelStart(int v) {
  selStart_ = std::clamp(v, 0, static_cast<int>(GetText().size()));
  selLength_ = 0;
  if (auto* edit = qobject_cast<QLineEdit*>(WidgetOf(this))) edit->setCursorPosition(Utf16Pos(GetText(), selStart_));
  if (auto* memo = qobject_cast<QPlainTextEdit*>(WidgetOf(this))) {
    QTextCursor c = memo->textCursor();
    c.setPosition(Utf16Pos(ToLf(GetText().substr(0, static_cast<std::size_t>(selStart_))), selStart_));
    memo->setTextCursor(c);
  }
}

void TCustomEdit::SetSelLength(int v) {
  int start = SelStart();
  selStart_ = start;
  selLength_ = std::clamp(v, 0, static_cast<int>(GetText().size()) - start);
  if (auto* edit = qobject_cast<QLineEdit*>(WidgetOf(this))) {
    int from = Utf16Pos(GetText(), start);
    int to = Utf16Pos(GetText(), start + selLength_);
    edit->setSelection(from, to - from);
  }
  if (auto* memo = qobject_cast<QPlainTextEdit*>(WidgetOf(this))) {
    AnsiString lf = ToLf(GetText().substr(0, static_cast<std::size_t>(start)));
    AnsiString lfEnd = ToLf(GetText().substr(0, static_cast<std::size_t>(start + selLength_)));
    QTextCursor c = memo->textCursor();
    c.setPosition(static_cast<int>(ToQString(lf).size()));
    c.setPosition(static_cast<int>(ToQString(lfEnd).size()), QTextCursor::KeepAnchor);
    memo->setTextCursor(c);
  }
}

AnsiString TCustomEdit::SelText() const {
  int start = SelStart();
  return GetText().substr(static_cast<std::size_t>(start), static_cast<std::size_t>(SelLength()));
}

void TCustomEdit::SetSelText(const AnsiString& s) {
  int start = SelStart(), length = SelLength();
  AnsiString text = GetText();
  AnsiString insert = s;
  if (maxLength_ > 0) {
    int room = maxLength_ - (static_cast<int>(text.size()) - length);
    insert = CutToBytes(s, std::max(room, 0));
  }
  text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(length), insert);
  SetText(text);
  SetSelStart(start + static_cast<int>(insert.size()));
}

void TCustomEdit::SelectAll() {
  SetSelStart(0);
  SetSelLength(static_cast<int>(GetText().size()));
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::CNCommand(TMessage& m) {
  if (m.WParamHi() == EN_CHANGE) Change();
  else TWinControl::CNCommand(m);
}

void TCustomEdit::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (charCase_ == ecUpperCase && key >= 'a' && key <= 'z') key = static_cast<char>(key - 32);
  if (charCase_ == ecLowerCase && key >= 'A' && key <= 'Z') key = static_cast<char>(key + 32);
}

void TCustomEdit::WMChar(TMessage& m) {
  if (DoKeyPress(m)) return;
  switch (m.WParam) {
    case 0x03: Perform(WM_COPY, 0, 0); return;   // Ctrl+C
    case 0x16: Perform(WM_PASTE, 0, 0); return;  // Ctrl+V
    case 0x18: Perform(WM_CUT, 0, 0); return;    // Ctrl+X
    case 0x01: SelectAll(); return;              // Ctrl+A
    default: DefaultHandler(m); return;
  }
}

void TCustomEdit::WMKeyDown(TMessage& m) {
  if (DoKeyDown(m)) return;
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  if (m.WParam == VK_INSERT && shift && !ctrl) return void(Perform(WM_PASTE, 0, 0));
  if (m.WParam == VK_INSERT && ctrl && !shift) return void(Perform(WM_COPY, 0, 0));
  if (m.WParam == VK_DELETE && shift && !ctrl) return void(Perform(WM_CUT, 0, 0));
  DefaultHandler(m);
}

void TCustomEdit::WMCopy(TMessage& m) {
  // A password is never copied out.
  if (passwordChar_ == 0 && SelLength() > 0) Clipboard()->SetAsText(SelText());
}

void TCustomEdit::WMCut(TMessage& m) {
  if (readOnly_ || passwordChar_ != 0 || SelLength() == 0) return;
  Clipboard()->SetAsText(SelText());
  SetSelText("");
}

void TCustomEdit::WMPaste(TMessage& m) {
  if (readOnly_ || !Clipboard()->HasFormat(CF_TEXT)) return;
  AnsiString text = Clipboard()->AsText();
  // A single-line edit takes the first line of a pasted text.
  if (!dynamic_cast<TMemo*>(this)) {
    std::size_t br = text.find_first_of("\r\n");
    if (br != AnsiString::npos) text.resize(br);
  }
  SetSelText(text);
}

void TCustomEdit::WMClear(TMessage& m) {
  if (!readOnly_) SetSelText("");
}

// ======================================================================= TMemo

namespace {

// The lines of a memo, read from and written to its text.
class TMemoLines : public TStrings {
 public:
  explicit TMemoLines(TMemo* memo) : memo_(memo) {}
  void Clear() override { memo_->SetText(""); }
  void Delete(int index) override {
    auto lines = Lines();
    if (index < 0 || index >= static_cast<int>(lines.size())) Error("List index out of bounds (%d)", index);
    lines.erase(lines.begin() + index);
    Store(lines);
  }
  void Insert(int index, const AnsiString& s) override {
    auto lines = Lines();
    if (index < 0 || index > static_cast<int>(lines.size())) Error("List index out of bounds (%d)", index);
    lines.insert(lines.begin() + index, s);
    Store(lines);
  }

 protected:
  AnsiString Get(int index) const override {
    auto lines = Lines();
    if (index < 0 || index >= static_cast<int>(lines.size())) Error("List index out of bounds (%d)", index);
    return lines[static_cast<std::size_t>(index)];
  }
  int GetCount() const override { return static_cast<int>(Lines().size()); }
  void Put(int index, const AnsiString& s) override {
    auto lines = Lines();
    if (index < 0 || index >= static_cast<int>(lines.size())) Error("List index out of bounds (%d)", index);
    lines[static_cast<std::size_t>(index)] = s;
    Store(lines);
  }
  AnsiString GetTextStr() const override { return memo_->GetText().empty() ? AnsiString() : memo_->GetText() + (EndsWithBreak() ? "" : "\r\n"); }
  void SetTextStr(std::string_view text) override {
    AnsiString t = ToCrLf(AnsiString(text));
    if (t.size() >= 2 && t.compare(t.size() - 2, 2, "\r\n") == 0) t.resize(t.size() - 2);
    memo_->SetText(t);
  }

 private:
  bool EndsWithBreak() const {
    const AnsiString& t = memo_->GetText();
    return t.size() >= 2 && t.compare(t.size() - 2, 2, "\r\n") == 0;
  }
  std::vector<AnsiString> Lines() const {
    std::vector<AnsiString> lines;
    const AnsiString& t = memo_->GetText();
    if (t.empty()) return lines;
    std::size_t start = 0;
    while (true) {
      std::size_t br = t.find("\r\n", start);
      if (br == AnsiString::npos) {
        lines.push_back(t.substr(start));
        break;
      }
      lines.push_back(t.substr(start, br - start));
      start = br + 2;
      if (start == t.size()) break;  // a final break ends the last line
    }
    return lines;
  }
  void Store(const std::vector<AnsiString>& lines) {
    AnsiString t;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (i) t += "\r\n";
      t += lines[i];
    }
    memo_->SetText(t);
  }
  TMemo* memo_;
};

}  // namespace

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner), lines_(std::make_unique<TMemoLines>(this)) {
  SetBounds(0, 0, 185, 89);
  ControlStyle() = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks};
}

TMemo::~TMemo() { DestroyWindowHandle(); }

TWindowHandle* TMemo::CreateWindowHandle() {
  auto* memo = new QPlainTextEdit;
  memo->setFocusPolicy(Qt::StrongFocus);
  auto* h = new TWindowHandle(this, memo);
  h->WatchWidget(memo->viewport());
  QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [this, memo] {
    if (settingText_) return;
    TextStore() = ToCrLf(FromQString(memo->toPlainText()));
    SetModified(true);
    NotifyParent(this, EN_CHANGE);
  });
  return h;
}

AnsiString TMemo::WidgetText() const {
  auto* memo = qobject_cast<QPlainTextEdit*>(WidgetOf(this));
  return memo ? ToCrLf(FromQString(memo->toPlainText())) : TControl::GetText();
}

const AnsiString& TMemo::GetText() const { return TControl::GetText(); }

void TMemo::ApplyTextToWidget() {
  auto* memo = qobject_cast<QPlainTextEdit*>(WidgetOf(this));
  if (!memo) return;
  memo->setReadOnly(ReadOnly());
  memo->setLineWrapMode(wordWrap_ ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  memo->setTabChangesFocus(!wantTabs_);
  memo->setVerticalScrollBarPolicy(scrollBars_ == ssVertical || scrollBars_ == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                                        : Qt::ScrollBarAsNeeded);
  memo->setHorizontalScrollBarPolicy(scrollBars_ == ssHorizontal || scrollBars_ == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                                            : Qt::ScrollBarAsNeeded);
  QString q = ToQString(ToLf(GetText()));
  if (memo->toPlainText() != q) memo->setPlainText(q);
}

void TMemo::SetWordWrap(bool v) {
  wordWrap_ = v;
  ApplyTextToWidget();
}

void TMemo::SetScrollBars(TScrollStyle s) {
  scrollBars_ = s;
  ApplyTextToWidget();
}

void TMemo::SetSelText(const AnsiString& s) { TCustomEdit::SetSelText(ToCrLf(s)); }

void TMemo::WMGetDlgCode(TMessage& m) {
  TCustomEdit::WMGetDlgCode(m);
  m.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (wantReturns_) m.Result |= DLGC_WANTALLKEYS;
  if (wantTabs_) m.Result |= DLGC_WANTTAB;
}

// ======================================================================= TComboBox

namespace {

class TQtComboBox : public QComboBox {
 public:
  explicit TQtComboBox(TWinControl* owner) : owner_(owner) {}
  void showPopup() override {
    NotifyParent(owner_, CBN_DROPDOWN);
    QComboBox::showPopup();
  }
  void hidePopup() override {
    // Qt also asks a box to hide its list whenever the box itself hides; a
    // list that was not down does not close up.
    const bool wasDown = view() && view()->isVisible();
    QComboBox::hidePopup();
    if (wasDown) NotifyParent(owner_, CBN_CLOSEUP);
  }

 private:
  TWinControl* owner_;
};

}  // namespace

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner), items_(std::make_unique<TControlItems>(static_cast<TControlItems::Listener*>(this))) {
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
  SetColor(clWindow);
  ControlStyle() = TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight};
}

TComboBox::~TComboBox() {
  DestroyWindowHandle();
}

TWindowHandle* TComboBox::CreateWindowHandle() {
  auto* combo = new TQtComboBox(this);
  combo->setFocusPolicy(Qt::StrongFocus);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setEditable(style_ != csDropDownList);
  for (int i = 0; i < items_->Count(); ++i) combo->addItem(ToQString(items_->Strings(i)));
  combo->setMaxVisibleItems(dropDownCount_);
  auto* h = new TWindowHandle(this, combo);
  combo->setCurrentIndex(itemIndex_);
  if (QLineEdit* edit = combo->lineEdit()) {
    h->WatchWidget(edit);
    edit->setText(ToQString(TControl::GetText()));
    if (maxLength_ > 0) edit->setValidator(new TByteLengthValidator(maxLength_, edit));
    QObject::connect(edit, &QLineEdit::textEdited, edit, [this](const QString&) { NotifyParent(this, CBN_EDITCHANGE); });
  }
  QObject::connect(combo, qOverload<int>(&QComboBox::activated), combo, [this](int) { NotifyParent(this, CBN_SELCHANGE); });
  if (dropDownWidth_ > 0) combo->view()->setMinimumWidth(dropDownWidth_);
  return h;
}

void TComboBox::SetStyle(TComboBoxStyle s) {
  if (s == style_) return;
  style_ = s;
  RecreateWnd();
}

int TComboBox::ItemIndex() const {
  // An editable box whose text no longer names the selected item has none.
  if (itemIndex_ >= 0 && style_ != csDropDownList && GetText() != items_->Strings(itemIndex_)) return -1;
  return itemIndex_;
}

void TComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= items_->Count()) index = -1;
  itemIndex_ = index;
  TextStore() = index >= 0 ? items_->Strings(index) : AnsiString();
  if (auto* combo = qobject_cast<QComboBox*>(WidgetOf(this))) {
    combo->setCurrentIndex(index);
    if (index < 0 && combo->lineEdit()) combo->lineEdit()->clear();
  }
}

const AnsiString& TComboBox::GetText() const {
  if (auto* combo = qobject_cast<QComboBox*>(WidgetOf(this))) {
    textCache_ = FromQString(combo->currentText());
    return textCache_;
  }
  return TControl::GetText();
}

void TComboBox::SetText(const AnsiString& s) {
  if (style_ == csDropDownList) {
    SetItemIndex(items_->IndexOf(s));
    return;
  }
  TextStore() = s;
  itemIndex_ = items_->IndexOf(s);
  if (auto* combo = qobject_cast<QComboBox*>(WidgetOf(this))) {
    if (itemIndex_ >= 0) combo->setCurrentIndex(itemIndex_);
    combo->setEditText(ToQString(s));
  }
}

bool TComboBox::DroppedDown() const {
  auto* combo = qobject_cast<QComboBox*>(WidgetOf(this));
  return combo && combo->view()->isVisible();
}

void TComboBox::SetDroppedDown(bool v) {
  auto* combo = qobject_cast<QComboBox*>(WidgetNeeded(this));
  if (!combo) return;
  if (v) combo->showPopup(); else combo->hidePopup();
}

void TComboBox::SetDropDownCount(int v) {
  dropDownCount_ = std::max(v, 1);
  if (auto* combo = qobject_cast<QComboBox*>(WidgetOf(this))) combo->setMaxVisibleItems(dropDownCount_);
}

void TComboBox::SetDropDownWidth(int v) {
  dropDownWidth_ = v;
  if (auto* combo = qobject_cast<QComboBox*>(WidgetOf(this))) combo->view()->setMinimumWidth(v);
}

int TComboBox::ItemHeight() const { return itemHeight_; }

void TComboBox::SetMaxLength(int v) {
  maxLength_ = std::max(v, 0);
  auto* combo = qobject_cast<QComboBox*>(WidgetOf(this));
  if (combo && combo->lineEdit()) combo->lineEdit()->setValidator(maxLength_ > 0 ? new TByteLengthValidator(maxLength_, combo->lineEdit()) : nullptr);
}

void TComboBox::Clear() {
  items_->Clear();
  SetItemIndex(-1);
  TextStore().clear();
}

void TComboBox::SelectAll() {
  auto* combo = qobject_cast<QComboBox*>(WidgetOf(this));
  if (combo && combo->lineEdit()) combo->lineEdit()->selectAll();
}

void TComboBox::ItemsInserted(int index) {
  if (itemIndex_ >= index) ++itemIndex_;
  if (auto* combo = qobject_cast<QComboBox*>(WidgetOf(this))) {
    QString edit = combo->currentText();
    combo->insertItem(index, ToQString(items_->Strings(index)));
    // Qt selects the first item put into an empty box; the class library does not.
    combo->setCurrentIndex(itemIndex_);
    if (combo->isEditable()) combo->setEditText(edit);
  }
}

// A whole list (a value list of many thousand lines) goes into the box in
// one step: item by item, the box would put back its text after each.
void TComboBox::ItemsAppended(int first, int count) {
  if (itemIndex_ >= first) itemIndex_ += count;
  if (auto* combo = qobject_cast<QComboBox*>(WidgetOf(this))) {
    QString edit = combo->currentText();
    QStringList texts;
    texts.reserve(count);
    for (int i = first; i < first + count; ++i) texts.append(ToQString(items_->Strings(i)));
    combo->insertItems(first, texts);
    combo->setCurrentIndex(itemIndex_);
    if (combo->isEditable()) combo->setEditText(edit);
  }
}

void TComboBox::ItemsDeleted(int index) {
  if (index < 0 || index == itemIndex_) itemIndex_ = -1;
  else if (itemIndex_ > index) --itemIndex_;
  if (auto* combo = qobject_cast<QComboBox*>(WidgetOf(this))) {
    QString edit = combo->currentText();
    if (index < 0) combo->clear(); else combo->removeItem(index);
    combo->setCurrentIndex(itemIndex_);
    if (combo->isEditable()) combo->setEditText(edit);
  }
}

void TComboBox::ItemChanged(int index) {
  if (auto* combo = qobject_cast<QComboBox*>(WidgetOf(this))) combo->setItemText(index, ToQString(items_->Strings(index)));
}

void TComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TComboBox::Select() {
  if (OnSelect) OnSelect(this); else Change();
}

void TComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TComboBox::CNCommand(TMessage& m) {
  switch (m.WParamHi()) {
    case CBN_SELCHANGE:
      if (auto* combo = qobject_cast<QComboBox*>(WidgetOf(this))) itemIndex_ = combo->currentIndex();
      TextStore() = GetText();
      Click();
      if (IsLiveControl(this)) Select();
      break;
    case CBN_EDITCHANGE:
      TextStore() = GetText();
      Change();
      break;
    case CBN_DROPDOWN: DropDown(); break;
    case CBN_CLOSEUP: CloseUp(); break;
    default: TWinControl::CNCommand(m); break;
  }
}

// ======================================================================= TListBox

namespace {

// The style draws no focus on the items of a list; the system's list box
// frames the current item (or, with none, the first item's place) in a
// dotted rectangle while it has the focus, so that Tab shows where it went.
class TQtListWidget : public QListWidget {
 protected:
  void paintEvent(QPaintEvent* e) override {
    QListWidget::paintEvent(e);
    if (!hasFocus()) return;
    QRect r = currentItem() ? visualItemRect(currentItem()) : QRect();
    if (!r.isValid()) r = QRect(0, 0, viewport()->width(), fontMetrics().height() + 2);
    QPainter p(viewport());
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(Qt::white);
    pen.setWidth(0);
    pen.setDashPattern({1, 1});
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
  }
};

}  // namespace

TListBox::TListBox(TComponent* owner) : TWinControl(owner), items_(std::make_unique<TControlItems>(static_cast<TControlItems::Listener*>(this))) {
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetColor(clWindow);
  ControlStyle() = TControlStyle{csSetCaption, csDoubleClicks};
}

TListBox::~TListBox() { DestroyWindowHandle(); }

TWindowHandle* TListBox::CreateWindowHandle() {
  auto* list = new TQtListWidget;
  list->setFocusPolicy(Qt::StrongFocus);
  list->setSelectionMode(multiSelect_ ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
  list->setUniformItemSizes(uniformItems_);
  auto* h = new TWindowHandle(this, list);
  h->WatchWidget(list->viewport());
  for (int i = 0; i < items_->Count(); ++i) list->addItem(ToQString(items_->Strings(i)));
  if (itemIndex_ >= 0) list->setCurrentRow(itemIndex_);
  for (std::size_t i = 0; i < selected_.size() && static_cast<int>(i) < list->count(); ++i) {
    if (selected_[i]) list->item(static_cast<int>(i))->setSelected(true);
  }
  QObject::connect(list, &QListWidget::itemSelectionChanged, list, [this] { NotifyParent(this, LBN_SELCHANGE); });
  return h;
}

void TListBox::InitWindowHandle() {
  TWinControl::InitWindowHandle();
  for (int i = 0; i < items_->Count(); ++i) DecorateItem(i);
}

void TListBox::DecorateItem(int index) {}

int TListBox::ItemIndex() const {
  if (auto* list = qobject_cast<QListWidget*>(WidgetOf(this))) return list->currentRow();
  return itemIndex_;
}

void TListBox::SetItemIndex(int index) {
  if (index < -1 || index >= items_->Count()) index = -1;
  itemIndex_ = index;
  if (auto* list = qobject_cast<QListWidget*>(WidgetOf(this))) {
    QSignalBlocker block(list);
    if (index < 0) {
      list->setCurrentRow(-1);
      list->clearSelection();
    } else {
      list->setCurrentRow(index, multiSelect_ ? QItemSelectionModel::Current : QItemSelectionModel::ClearAndSelect);
    }
  }
}

void TListBox::SetMultiSelect(bool v) {
  multiSelect_ = v;
  if (auto* list = qobject_cast<QListWidget*>(WidgetOf(this)))
    list->setSelectionMode(v ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

bool TListBox::Selected(int index) const {
  if (index < 0 || index >= items_->Count()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  if (auto* list = qobject_cast<QListWidget*>(WidgetOf(this))) return list->item(index)->isSelected();
  if (!multiSelect_) return index == itemIndex_;
  return static_cast<std::size_t>(index) < selected_.size() && selected_[static_cast<std::size_t>(index)];
}

void TListBox::SetSelected(int index, bool v) {
  if (index < 0 || index >= items_->Count()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  if (!multiSelect_) {
    if (v) SetItemIndex(index); else if (index == ItemIndex()) SetItemIndex(-1);
    return;
  }
  if (selected_.size() < static_cast<std::size_t>(items_->Count())) selected_.resize(static_cast<std::size_t>(items_->Count()));
  selected_[static_cast<std::size_t>(index)] = v;
  if (auto* list = qobject_cast<QListWidget*>(WidgetOf(this))) {
    QSignalBlocker block(list);
    list->item(index)->setSelected(v);
  }
}

int TListBox::SelCount() const {
  if (!multiSelect_) return -1;
  int n = 0;
  for (int i = 0; i < items_->Count(); ++i) n += Selected(i) ? 1 : 0;
  return n;
}

int TListBox::TopIndex() const {
  auto* list = qobject_cast<QListWidget*>(WidgetOf(this));
  if (!list) return 0;
  QListWidgetItem* item = list->itemAt(2, 2);
  return item ? list->row(item) : 0;
}

void TListBox::SetTopIndex(int index) {
  auto* list = qobject_cast<QListWidget*>(WidgetOf(this));
  if (list && index >= 0 && index < list->count()) list->scrollToItem(list->item(index), QAbstractItemView::PositionAtTop);
}

void TListBox::SetItemHeight(int v) { itemHeight_ = std::max(v, 1); }

void TListBox::SetUniformItems(bool v) {
  uniformItems_ = v;
  if (auto* list = qobject_cast<QListWidget*>(WidgetOf(this))) list->setUniformItemSizes(v);
}

int TListBox::ItemAtPos(TPoint pos, bool existing) const {
  if (auto* list = qobject_cast<QListWidget*>(WidgetOf(this))) {
    QPoint vp = list->viewport()->mapFrom(list, QPoint(pos.X, pos.Y));
    QListWidgetItem* item = list->itemAt(vp);
    if (item) return list->row(item);
    return existing ? -1 : list->count();
  }
  int index = pos.Y / itemHeight_;
  if (index < items_->Count()) return index;
  return existing ? -1 : items_->Count();
}

TRect TListBox::ItemRect(int index) const {
  if (auto* list = qobject_cast<QListWidget*>(WidgetOf(this))) {
    if (index >= 0 && index < list->count()) {
      QRect r = list->visualItemRect(list->item(index));
      QPoint tl = list->viewport()->mapTo(list, r.topLeft());
      return Bounds(tl.x(), tl.y(), r.width(), r.height());
    }
  }
  return Bounds(0, index * itemHeight_, ClientWidth(), itemHeight_);
}

void TListBox::Clear() { items_->Clear(); }

void TListBox::ClearSelection() {
  for (int i = 0; i < items_->Count(); ++i) {
    if (multiSelect_) SetSelected(i, false);
  }
  if (!multiSelect_) SetItemIndex(-1);
}

void TListBox::SelectAll() {
  if (!multiSelect_) return;
  for (int i = 0; i < items_->Count(); ++i) SetSelected(i, true);
}

void TListBox::ItemsInserted(int index) {
  if (itemIndex_ >= index) ++itemIndex_;
  if (static_cast<std::size_t>(index) <= selected_.size()) selected_.insert(selected_.begin() + index, false);
  if (auto* list = qobject_cast<QListWidget*>(WidgetOf(this))) {
    QSignalBlocker block(list);
    list->insertItem(index, ToQString(items_->Strings(index)));
    DecorateItem(index);
  }
}

void TListBox::ItemsAppended(int first, int count) {
  if (static_cast<std::size_t>(first) <= selected_.size())
    selected_.insert(selected_.begin() + first, static_cast<std::size_t>(count), false);
  if (auto* list = qobject_cast<QListWidget*>(WidgetOf(this))) {
    QSignalBlocker block(list);
    QStringList texts;
    texts.reserve(count);
    for (int i = first; i < first + count; ++i) texts.append(ToQString(items_->Strings(i)));
    list->insertItems(first, texts);
    for (int i = first; i < first + count; ++i) DecorateItem(i);
  }
}

void TListBox::ItemsDeleted(int index) {
  if (index < 0) {
    itemIndex_ = -1;
    selected_.clear();
  } else {
    if (index == itemIndex_) itemIndex_ = -1;
    else if (itemIndex_ > index) --itemIndex_;
    if (static_cast<std::size_t>(index) < selected_.size()) selected_.erase(selected_.begin() + index);
  }
  if (auto* list = qobject_cast<QListWidget*>(WidgetOf(this))) {
    QSignalBlocker block(list);
    if (index < 0) list->clear(); else delete list->takeItem(index);
    // A deleted selected item leaves no selection (Qt would move to the next).
    if (itemIndex_ < 0 && !multiSelect_) {
      list->setCurrentItem(nullptr);
      list->clearSelection();
    }
  }
}

void TListBox::ItemChanged(int index) {
  if (auto* list = qobject_cast<QListWidget*>(WidgetOf(this))) {
    QSignalBlocker block(list);
    list->item(index)->setText(ToQString(items_->Strings(index)));
  }
}

void TListBox::CNCommand(TMessage& m) {
  if (m.WParamHi() == LBN_SELCHANGE) {
    itemIndex_ = ItemIndex();
    Click();
  } else {
    TWinControl::CNCommand(m);
  }
}

// ======================================================================= TCheckListBox

TCheckListBox::TCheckListBox(TComponent* owner) : TListBox(owner) {}

TWindowHandle* TCheckListBox::CreateWindowHandle() {
  TWindowHandle* h = TListBox::CreateWindowHandle();
  auto* list = qobject_cast<QListWidget*>(h->Widget());
  QObject::connect(list, &QListWidget::itemChanged, list, [this, list](QListWidgetItem* item) {
    if (decorating_) return;
    int row = list->row(item);
    if (row < 0 || row >= items_->Count()) return;
    TCheckBoxState s = item->checkState() == Qt::Checked ? cbChecked
                       : item->checkState() == Qt::PartiallyChecked ? cbGrayed : cbUnchecked;
    if (s == items_->At(row).state) return;
    items_->At(row).state = s;
    RunGuarded([this] { ClickCheck(); });
  });
  return h;
}

void TCheckListBox::DecorateItem(int index) {
  auto* list = qobject_cast<QListWidget*>(WidgetOf(this));
  if (!list || index < 0 || index >= list->count() || index >= items_->Count()) return;
  decorating_ = true;
  QListWidgetItem* item = list->item(index);
  const TControlItems::Item& data = items_->At(index);
  Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
  if (data.enabled) flags |= Qt::ItemIsEnabled;
  if (allowGrayed_) flags |= Qt::ItemIsUserTristate;
  item->setFlags(flags);
  item->setCheckState(data.state == cbChecked ? Qt::Checked : data.state == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
  decorating_ = false;
}

TCheckBoxState TCheckListBox::State(int index) const { return items_->At(index).state; }

void TCheckListBox::SetState(int index, TCheckBoxState state) {
  items_->At(index).state = state;
  DecorateItem(index);
}

bool TCheckListBox::ItemEnabled(int index) const { return items_->At(index).enabled; }

void TCheckListBox::SetItemEnabled(int index, bool v) {
  items_->At(index).enabled = v;
  DecorateItem(index);
}

void TCheckListBox::ClickCheck() {
  if (OnClickCheck) OnClickCheck(this);
}

// ======================================================================= TButton

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
  ControlStyle() = TControlStyle{csSetCaption, csDoubleClicks};
}

TWindowHandle* TButton::CreateWindowHandle() {
  auto* button = new QPushButton;
  button->setFocusPolicy(Qt::StrongFocus);
  button->setAutoDefault(false);
  button->setDefault(default_);
  auto* h = new TWindowHandle(this, button);
  QObject::connect(button, &QPushButton::clicked, button, [this] { NotifyParent(this, BN_CLICKED); });
  return h;
}

void TButton::ApplyTextToWidget() {
  if (auto* b = qobject_cast<QPushButton*>(WidgetOf(this))) b->setText(ToQString(GetText()));
}

void TButton::SetDefault(bool v) {
  default_ = v;
  if (auto* b = qobject_cast<QPushButton*>(WidgetOf(this))) b->setDefault(v);
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  TWinControl::Click();
}

void TButton::CNCommand(TMessage& m) {
  if (m.WParamHi() == BN_CLICKED) Click();
  else TWinControl::CNCommand(m);
}

void TButton::CMDialogKey(TMessage& m) {
  bool noShift = GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
  TWinControl* focused = TWinControl::FocusedControl();
  // Enter goes to the focused button, else to the default one.
  bool active = Focused() || (default_ && !dynamic_cast<TButton*>(focused));
  if (noShift && ((m.WParam == VK_RETURN && active) || (m.WParam == VK_ESCAPE && cancel_)) && CanFocus()) {
    Click();
    m.Result = 1;
    return;
  }
  TWinControl::CMDialogKey(m);
}

// ======================================================================= TBitBtn

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), glyph_(std::make_unique<TBitmap>()) {}

TBitBtn::~TBitBtn() { DestroyWindowHandle(); }

TWindowHandle* TBitBtn::CreateWindowHandle() { return TButton::CreateWindowHandle(); }

void TBitBtn::InitWindowHandle() {
  TButton::InitWindowHandle();
  ApplyGlyph();
}

void TBitBtn::ApplyGlyph() {
  auto* b = qobject_cast<QPushButton*>(WidgetOf(this));
  if (!b) return;
  if (glyph_->Empty()) {
    b->setIcon(QIcon());
    return;
  }
  QImage image = BitmapImage(*glyph_).convertToFormat(QImage::Format_ARGB32);
  // The bottom-left pixel's colour is the transparent one, as on glyphs.
  QRgb key = image.pixel(0, image.height() - 1);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) == key) image.setPixel(x, y, 0);
    }
  }
  b->setIcon(QIcon(QPixmap::fromImage(image)));
  b->setIconSize(image.size());
  b->setLayoutDirection(layout_ == blGlyphRight ? Qt::RightToLeft : Qt::LeftToRight);
}

void TBitBtn::SetGlyph(const TBitmap* glyph) {
  if (glyph) glyph_->Assign(*glyph);
  else glyph_ = std::make_unique<TBitmap>();
  ApplyGlyph();
}

void TBitBtn::SetLayout(TButtonLayout l) {
  layout_ = l;
  ApplyGlyph();
}

void TBitBtn::SetKind(TBitBtnKind kind) {
  kind_ = kind;
  static const AnsiString kCaptions[] = {"", "확인"_k, "취소"_k, "도움말"_k, "예"_k, "아니요"_k, "닫기"_k,
                                         "중단"_k, "다시 시도"_k, "무시"_k, "모두"_k};
  static const TModalResult kResults[] = {mrNone, mrOk, mrCancel, mrNone, mrYes, mrNo, mrNone, mrAbort, mrRetry, mrIgnore, mrAll};
  if (kind == bkCustom) return;
  SetCaption(kCaptions[kind]);
  SetModalResult(kResults[kind]);
  if (kind == bkOK || kind == bkYes) SetDefault(true);
  if (kind == bkCancel || kind == bkNo) SetCancel(true);
}

// ======================================================================= TSpeedButton

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), glyph_(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 23, 22);
  ControlStyle() = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks};
}

TSpeedButton::~TSpeedButton() { DestroyWindowHandle(); }

void TSpeedButton::SetGlyph(const TBitmap* glyph) {
  if (glyph) glyph_->Assign(*glyph);
  else glyph_ = std::make_unique<TBitmap>();
  Invalidate();
}

void TSpeedButton::SetDown(bool v) {
  if (groupIndex_ == 0) v = false;
  if (v == down_) return;
  if (!v && !allowAllUp_) {
    // In a group without AllowAllUp one button always stays down.
    bool otherDown = false;
    if (Parent()) {
      for (int i = 0; i < Parent()->ControlCount(); ++i) {
        auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
        if (b && b != this && b->groupIndex_ == groupIndex_ && b->down_) otherDown = true;
      }
    }
    if (!otherDown) return;
  }
  down_ = v;
  if (v && Parent()) {
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
      auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
      if (b && b != this && b->groupIndex_ == groupIndex_ && b->down_) {
        b->down_ = false;
        b->Invalidate();
      }
    }
  }
  Invalidate();
}

void TSpeedButton::Click() {
  if (groupIndex_ > 0) {
    if (down_ && allowAllUp_) {
      down_ = false;
      Invalidate();
    } else {
      SetDown(true);
    }
  }
  TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && Enabled()) {
    pressed_ = true;
    Invalidate();
  }
  TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  pressed_ = false;
  Invalidate();
  TGraphicControl::MouseUp(button, shift, x, y);
}

void TSpeedButton::MouseEnter() {
  hot_ = true;
  if (flat_) Invalidate();
  TGraphicControl::MouseEnter();
}

void TSpeedButton::MouseLeave() {
  hot_ = false;
  if (flat_) Invalidate();
  TGraphicControl::MouseLeave();
}

void TSpeedButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  bool sunken = down_ || pressed_;
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  if (!flat_ || hot_ || sunken) {
    TRect edge = r;
    DrawEdge(*c, edge, sunken ? EDGE_SUNKEN : EDGE_RAISED, 0x000F /* BF_RECT */);
  }
  int shift = sunken ? 1 : 0;
  int textLeft = 0;
  if (!glyph_->Empty()) {
    int gx = (r.Width() - glyph_->Width()) / 2 + shift;
    if (!Caption().empty()) gx = 4 + shift;
    int gy = (r.Height() - glyph_->Height()) / 2 + shift;
    c->Draw(gx, gy, *glyph_);
    textLeft = gx + glyph_->Width() + 2;
  }
  if (!Caption().empty()) {
    c->SetFont(*Font());
    if (!Enabled()) c->Font()->SetColor(clGrayText);
    c->SetBkMode(TRANSPARENT);
    TRect tr = r;
    tr.Left = std::max(tr.Left, textLeft);
    OffsetRect(tr, shift, shift);
    DrawText(*c, Caption(), tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

// ======================================================================= TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
  ControlStyle() = TControlStyle{csSetCaption, csDoubleClicks};
}

TWindowHandle* TCheckBox::CreateWindowHandle() {
  auto* box = new QCheckBox;
  box->setFocusPolicy(Qt::StrongFocus);
  box->setTristate(allowGrayed_);
  box->setCheckState(state_ == cbChecked ? Qt::Checked : state_ == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
  auto* h = new TWindowHandle(this, box);
  QObject::connect(box, &QCheckBox::clicked, box, [this] { NotifyParent(this, BN_CLICKED); });
  return h;
}

void TCheckBox::ApplyTextToWidget() {
  if (auto* b = qobject_cast<QCheckBox*>(WidgetOf(this))) b->setText(ToQString(GetText()));
}

void TCheckBox::SetAllowGrayed(bool v) {
  allowGrayed_ = v;
  if (auto* b = qobject_cast<QCheckBox*>(WidgetOf(this))) b->setTristate(v);
}

void TCheckBox::SetState(TCheckBoxState s) {
  if (s == cbGrayed && !allowGrayed_) s = cbChecked;
  if (s == state_) return;
  state_ = s;
  if (auto* b = qobject_cast<QCheckBox*>(WidgetOf(this))) {
    QSignalBlocker block(b);
    b->setCheckState(s == cbChecked ? Qt::Checked : s == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
  }
  Click();
}

void TCheckBox::CNCommand(TMessage& m) {
  if (m.WParamHi() != BN_CLICKED) return TWinControl::CNCommand(m);
  auto* b = qobject_cast<QCheckBox*>(WidgetOf(this));
  if (!b) return;
  Qt::CheckState qs = b->checkState();
  state_ = qs == Qt::Checked ? cbChecked : qs == Qt::PartiallyChecked ? cbGrayed : cbUnchecked;
  Click();
}

// ======================================================================= TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 113, 17);
  ControlStyle() = TControlStyle{csSetCaption, csDoubleClicks};
}

TWindowHandle* TRadioButton::CreateWindowHandle() {
  auto* b = new QRadioButton;
  b->setFocusPolicy(Qt::StrongFocus);
  b->setChecked(checked_);
  auto* h = new TWindowHandle(this, b);
  QObject::connect(b, &QRadioButton::clicked, b, [this] { NotifyParent(this, BN_CLICKED); });
  return h;
}

void TRadioButton::ApplyTextToWidget() {
  if (auto* b = qobject_cast<QRadioButton*>(WidgetOf(this))) b->setText(ToQString(GetText()));
}

void TRadioButton::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  if (v && Parent()) {
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
      auto* other = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
      if (other && other != this && other->checked_) {
        other->checked_ = false;
        if (auto* ob = qobject_cast<QRadioButton*>(WidgetOf(other))) {
          QSignalBlocker block(ob);
          ob->setAutoExclusive(false);
          ob->setChecked(false);
          ob->setAutoExclusive(true);
        }
      }
    }
  }
  if (auto* b = qobject_cast<QRadioButton*>(WidgetOf(this))) {
    QSignalBlocker block(b);
    b->setAutoExclusive(false);
    b->setChecked(v);
    b->setAutoExclusive(true);
  }
  if (v) Click();
}

void TRadioButton::CNCommand(TMessage& m) {
  if (m.WParamHi() != BN_CLICKED) return TWinControl::CNCommand(m);
  if (checked_) return;
  auto* b = qobject_cast<QRadioButton*>(WidgetOf(this));
  if (b && !b->isChecked()) return;
  checked_ = false;
  SetChecked(true);
}

// ======================================================================= TGroupBox

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 105);
  ControlStyle() << csAcceptsControls;
}

TWindowHandle* TGroupBox::CreateWindowHandle() {
  auto* box = new QGroupBox;
  box->setFocusPolicy(Qt::NoFocus);
  return new TWindowHandle(this, box);
}

void TGroupBox::ApplyTextToWidget() {
  if (auto* b = qobject_cast<QGroupBox*>(WidgetOf(this))) b->setTitle(ToQString(GetText()));
}

void TGroupBox::AdjustClientRect(TRect& rect) const {
  const TFontHandle& f = FontHandle(*Font());
  rect.Top += f.Height;
  InflateRect(rect, -2, -2);
}

// ======================================================================= TLabel

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 65, 17);
  ControlStyle() = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csReplicatable, csDoubleClicks};
  SetParentColor(true);
}

unsigned TLabel::DrawFlags() const {
  unsigned flags = DT_EXPANDTABS;
  if (wordWrap_) flags |= DT_WORDBREAK;
  if (!showAccelChar_) flags |= DT_NOPREFIX;
  if (alignment_ == taRightJustify) flags |= DT_RIGHT;
  else if (alignment_ == taCenter) flags |= DT_CENTER;
  return flags;
}

void TLabel::SetAutoSize(bool v) {
  autoSize_ = v;
  AdjustBounds();
}

void TLabel::SetWordWrap(bool v) {
  wordWrap_ = v;
  AdjustBounds();
  Invalidate();
}

void TLabel::AdjustBounds() {
  if (!autoSize_) return;
  TCanvas* c = Canvas();
  c->SetFont(*Font());
  TRect r = Rect(0, 0, wordWrap_ ? Width() : 0, 0);
  AnsiString text = Caption().empty() ? AnsiString(" ") : Caption();
  DrawText(*c, text, r, DrawFlags() | DT_CALCRECT);
  int left = Left();
  if (alignment_ == taRightJustify && !wordWrap_) left = Left() + Width() - r.Width();
  SetBounds(left, Top(), r.Width(), r.Height());
}

void TLabel::CMTextChanged(TMessage& m) {
  TGraphicControl::CMTextChanged(m);
  AdjustBounds();
}

void TLabel::CMFontChanged(TMessage& m) {
  TGraphicControl::CMFontChanged(m);
  AdjustBounds();
}

void TLabel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->SetFont(*Font());
  c->SetBkMode(TRANSPARENT);
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  if (layout_ != tlTop) {
    TRect calc = r;
    DrawText(*c, Caption(), calc, DrawFlags() | DT_CALCRECT);
    int offset = layout_ == tlCenter ? (r.Height() - calc.Height()) / 2 : r.Height() - calc.Height();
    r.Top += offset;
  }
  DrawText(*c, Caption(), r, DrawFlags());
}
