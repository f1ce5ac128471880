// Edit masks: reading the mask, laying text into its positions and back,
// the line edit's mask language, and TCustomMaskEdit.
#include "platform/vcl/Mask.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include <cctype>

#include "platform/rtl/Cp949.h"
#include "platform/vcl/Controls_p.h"
#include "platform/vcl/Mask_p.h"

namespace {

// The line edit's mask cannot hold a ";" (it ends the mask there): a literal
// ";" is shown as the Greek question mark, which looks the same, and read
// back as ";".
constexpr char16_t kSemicolonStandIn = 0x037E;

bool IsInputKind(char c) {
  switch (c) {
    case 'L': case 'l': case 'A': case 'a': case 'C': case 'c': case '0': case '9': case '#': return true;
    default: return false;
  }
}

bool Optional(char kind) { return kind == 'l' || kind == 'a' || kind == 'c' || kind == '9' || kind == '#'; }

// The line edit's character for each kind of position.
char16_t WidgetKind(char kind) {
  switch (kind) {
    case 'L': return u'A';
    case 'l': return u'a';
    case 'A': return u'N';
    case 'a': return u'n';
    case 'C': return u'X';
    case 'c': return u'x';
    case '0': return u'9';
    case '9': return u'0';
    default: return u'#';
  }
}

AnsiString Cased(const AnsiString& ch, int caseMode) {
  if (ch.size() != 1 || caseMode == 0) return ch;
  const int c = static_cast<unsigned char>(ch[0]);
  return AnsiString(1, static_cast<char>(caseMode > 0 ? std::toupper(c) : std::tolower(c)));
}

}  // namespace

std::vector<AnsiString> SplitChars(const AnsiString& text) {
  std::vector<AnsiString> out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    out.push_back(text.substr(i, n));
    i += n;
  }
  return out;
}

// ================================================================= TEditMask

TEditMask::TEditMask(const AnsiString& mask) {
  const std::vector<AnsiString> chars = SplitChars(mask);
  std::size_t i = 0;
  int caseMode = 0;
  auto literal = [&](const AnsiString& ch) { slots_.push_back(TSlot{0, 0, ch}); };
  for (; i < chars.size(); ++i) {
    const AnsiString& ch = chars[i];
    const char c = ch.size() == 1 ? ch[0] : 0;
    if (c == ';') break;
    if (c == '\\') {
      if (++i < chars.size()) literal(chars[i]);
      continue;
    }
    const bool nextIs = i + 1 < chars.size();
    if (c == '>' || c == '<') {
      const char pair = c == '>' ? '<' : '>';
      if (c == '<' && nextIs && chars[i + 1] == AnsiString(1, pair)) {
        caseMode = 0;
        ++i;
      } else {
        caseMode = c == '>' ? 1 : -1;
      }
      continue;
    }
    if (c == '!') continue;
    if (IsInputKind(c)) slots_.push_back(TSlot{c, caseMode, AnsiString()});
    else if (c == '/') literal(AnsiString(1, FormatSettings.DateSeparator));
    else if (c == ':') literal(AnsiString(1, FormatSettings.TimeSeparator));
    else if (c == '_') literal(" ");
    else literal(ch);
  }
  // The fields after the mask: save literals, then the blank character.
  AnsiString fields;
  for (++i; i < chars.size(); ++i) fields += chars[i];
  const std::size_t split = fields.find(';');
  const AnsiString save = fields.substr(0, split);
  if (!save.empty()) saveLiterals_ = save[0] != '0';
  if (split != AnsiString::npos && split + 1 < fields.size()) {
    const unsigned char b = static_cast<unsigned char>(fields[split + 1]);
    // Only a plain printable character can stand for an untyped position.
    if (b >= 32 && b < 127) blank_ = static_cast<char>(b);
  }
}

bool TEditMask::Fits(const TSlot& slot, const AnsiString& ch) {
  const QString q = ToQString(ch);
  if (slot.Kind == 0 || q.size() != 1) return false;
  const QChar c = q[0];
  switch (slot.Kind) {
    case 'L': case 'l': return c.isLetter();
    case 'A': case 'a': return c.isLetterOrNumber();
    case 'C': case 'c': return !c.isSpace();
    case '0': case '9': return c.isDigit();
    default: return c.isDigit() || c == u'+' || c == u'-';
  }
}

AnsiString TEditMask::EditTextOf(const AnsiString& text) const {
  const std::vector<AnsiString> chars = SplitChars(text);
  const AnsiString blank(1, blank_);
  std::size_t j = 0;
  AnsiString out;
  for (const TSlot& slot : slots_) {
    if (slot.Kind == 0) {
      if (j < chars.size() && chars[j] == slot.Literal) ++j;
      out += slot.Literal;
      continue;
    }
    if (j >= chars.size()) {
      out += blank;
      continue;
    }
    const AnsiString& ch = chars[j++];
    out += Fits(slot, ch) ? Cased(ch, slot.Case) : blank;
  }
  return out;
}

AnsiString TEditMask::TextOf(const AnsiString& editText) const {
  const std::vector<AnsiString> chars = SplitChars(editText);
  AnsiString out;
  bool typed = false;
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    const TSlot& slot = slots_[i];
    if (slot.Kind == 0) {
      if (saveLiterals_) out += slot.Literal;
      continue;
    }
    const AnsiString ch = i < chars.size() ? chars[i] : AnsiString(1, blank_);
    if (ch == AnsiString(1, blank_) || ch == " ") {
      out += ' ';
    } else {
      out += ch;
      typed = true;
    }
  }
  return typed ? out : AnsiString();
}

// ================================================================= the line edit's side

namespace {

QString WidgetMaskOf(const TEditMask& mask) {
  static const QString kSpecial = QStringLiteral("AaNnXx9D0dHhBb#><!;[]{}\\");
  QString out;
  int caseMode = 0;
  for (const TEditMask::TSlot& slot : mask.Slots()) {
    if (slot.Kind == 0) {
      const QString lit = ToQString(slot.Literal);
      if (lit == QStringLiteral(";")) {
        out += QChar(kSemicolonStandIn);
      } else {
        if (lit.size() == 1 && kSpecial.contains(lit[0])) out += u'\\';
        out += lit;
      }
      continue;
    }
    if (slot.Case != caseMode) {
      out += slot.Case > 0 ? u'>' : slot.Case < 0 ? u'<' : u'!';
      caseMode = slot.Case;
    }
    out += QChar(WidgetKind(slot.Kind));
  }
  out += u';';
  out += QChar(static_cast<char16_t>(mask.BlankChar()));
  return out;
}

}  // namespace

void ApplyWidgetMask(QLineEdit* edit, const TEditMask& mask) {
  if (!edit) return;
  const QString widgetMask = mask.Empty() ? QString() : WidgetMaskOf(mask);
  if (edit->inputMask() != widgetMask) edit->setInputMask(widgetMask);
}

void PlaceMaskedText(QLineEdit* edit, const TEditMask& mask, const AnsiString& editText) {
  if (!edit) return;
  const bool readOnly = edit->isReadOnly();
  edit->setReadOnly(false);
  edit->setText(QString());
  const std::vector<AnsiString> chars = SplitChars(editText);
  const std::vector<TEditMask::TSlot>& places = mask.Slots();
  for (std::size_t i = 0; i < places.size() && i < chars.size(); ++i) {
    if (places[i].Kind == 0 || !TEditMask::Fits(places[i], chars[i])) continue;
    edit->setSelection(static_cast<int>(i), 1);
    edit->insert(ToQString(chars[i]));
  }
  edit->setCursorPosition(0);
  edit->setReadOnly(readOnly);
}

AnsiString MaskedEditText(const QLineEdit* edit) {
  if (!edit) return AnsiString();
  QString shown = edit->echoMode() == QLineEdit::Normal ? edit->displayText() : edit->text();
  shown.replace(QChar(kSemicolonStandIn), u';');
  return FromQString(shown);
}

// ================================================================= TCustomMaskEdit

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

TWindowHandle* TCustomMaskEdit::CreateWindowHandle() {
  TWindowHandle* h = TCustomEdit::CreateWindowHandle();
  if (auto* edit = qobject_cast<QLineEdit*>(h->Widget())) {
    // Typed text is kept, so that a window made again shows it.
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this, edit](const QString&) {
      if (IsMasked() && !edit->inputMask().isEmpty()) editText_ = MaskedEditText(edit);
    });
  }
  return h;
}

void TCustomMaskEdit::SetEditMask(const AnsiString& mask) {
  const AnsiString text = GetText();
  maskText_ = mask;
  mask_ = TEditMask(mask);
  editText_ = mask_.Empty() ? AnsiString() : mask_.EditTextOf(text);
  auto* edit = qobject_cast<QLineEdit*>(WidgetOf(this));
  if (!edit) {
    if (mask_.Empty()) TextStore() = text;
    return;
  }
  if (mask_.Empty()) {
    {
      QSignalBlocker block(edit);
      ApplyWidgetMask(edit, mask_);
    }
    TextStore().clear();
    TCustomEdit::SetText(text);
    return;
  }
  PlaceEditText(editText_);
}

AnsiString TCustomMaskEdit::EditText() const {
  if (!IsMasked()) return TCustomEdit::GetText();
  if (auto* edit = qobject_cast<QLineEdit*>(WidgetOf(this))) return MaskedEditText(edit);
  return editText_;
}

void TCustomMaskEdit::SetEditText(const AnsiString& s) {
  if (!IsMasked()) return TCustomEdit::SetText(s);
  // An edit text of one character per position keeps its blanks where they are.
  PlaceEditText(SplitChars(s).size() == mask_.Slots().size() ? s : mask_.EditTextOf(s));
}

const AnsiString& TCustomMaskEdit::GetText() const {
  if (!IsMasked()) return TCustomEdit::GetText();
  textCache_ = mask_.TextOf(EditText());
  return textCache_;
}

void TCustomMaskEdit::SetText(const AnsiString& s) {
  if (!IsMasked()) return TCustomEdit::SetText(s);
  PlaceEditText(mask_.EditTextOf(s));
}

void TCustomMaskEdit::PlaceEditText(const AnsiString& editText) {
  const AnsiString before = GetText();
  editText_ = editText;
  if (auto* edit = qobject_cast<QLineEdit*>(WidgetOf(this))) {
    QSignalBlocker block(edit);
    ApplyWidgetMask(edit, mask_);
    PlaceMaskedText(edit, mask_, editText);
  }
  TextStore() = GetText();
  if (GetText() != before) {
    if (!settingText_) Change();
    Perform(CM_TEXTCHANGED, 0, 0);
  }
}

void TCustomMaskEdit::ApplyTextToWidget() {
  auto* edit = qobject_cast<QLineEdit*>(WidgetOf(this));
  if (!IsMasked() || !edit) return TCustomEdit::ApplyTextToWidget();
  // A window not yet masked holds nothing of the edit text.
  const AnsiString editText = edit->inputMask().isEmpty() ? editText_ : MaskedEditText(edit);
  {
    // The plain edit's settings; its text is laid in again below.
    QSignalBlocker block(edit);
    edit->setInputMask(QString());
    TCustomEdit::ApplyTextToWidget();
    ApplyWidgetMask(edit, mask_);
    PlaceMaskedText(edit, mask_, editText);
  }
  editText_ = editText;
}
