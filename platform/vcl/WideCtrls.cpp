#include "platform/vcl/WideCtrls.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

#include "platform/vcl/Controls_p.h"

namespace {

QString FromWide(const WideString& w) {
  return QString::fromUtf16(w.data(), static_cast<qsizetype>(w.size()));
}

WideString ToWide(const QString& s) {
  return WideString(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size()));
}

}  // namespace

WideString TWideEdit::WideText() const {
  if (auto* edit = qobject_cast<QLineEdit*>(WidgetOf(this))) return ToWide(edit->text());
  return stored_;
}

void TWideEdit::SetWideText(const WideString& text) {
  stored_ = text;
  SetText(Utf16ToCp949(text));
  if (auto* edit = qobject_cast<QLineEdit*>(WidgetOf(this))) {
    if (edit->text() != FromWide(text)) edit->setText(FromWide(text));
  }
}

WideString TWideComboBox::WideText() const {
  if (auto* combo = qobject_cast<QComboBox*>(WidgetOf(this))) return ToWide(combo->currentText());
  return stored_;
}

void TWideComboBox::SetWideText(const WideString& text) {
  stored_ = text;
  const int index = WideIndexOf(text);
  if (index >= 0 || Style() == csDropDownList) {
    SetItemIndex(index);
  } else {
    SetText(Utf16ToCp949(text));
  }
  auto* combo = qobject_cast<QComboBox*>(WidgetNeeded(this));
  if (!combo) return;
  // A window made from the code page 949 items gets their UTF-16 texts back.
  for (int i = 0; i < static_cast<int>(wideItems_.size()) && i < combo->count(); ++i)
    combo->setItemText(i, FromWide(wideItems_[static_cast<std::size_t>(i)]));
  if (combo->isEditable()) combo->setEditText(FromWide(text));
}

void TWideComboBox::SetWideItems(const std::vector<WideString>& items) {
  wideItems_ = items;
  Items()->Clear();
  for (const WideString& w : items) Items()->Add(Utf16ToCp949(w));
  if (auto* combo = qobject_cast<QComboBox*>(WidgetOf(this))) {
    for (int i = 0; i < static_cast<int>(items.size()) && i < combo->count(); ++i)
      combo->setItemText(i, FromWide(items[static_cast<std::size_t>(i)]));
  }
}

int TWideComboBox::WideIndexOf(const WideString& text) const {
  for (std::size_t i = 0; i < wideItems_.size(); ++i)
    if (wideItems_[i] == text) return static_cast<int>(i);
  return -1;
}

int ComboEditCaret(const TComboBox* combo) {
  auto* box = qobject_cast<QComboBox*>(WidgetOf(combo));
  if (!box || !box->lineEdit()) return static_cast<int>(combo->Text().size());
  const QLineEdit* edit = box->lineEdit();
  const int chars = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
  return static_cast<int>(FromQString(edit->text().left(chars)).size());
}

void SelectComboText(TComboBox* combo, int start, int length) {
  auto* box = qobject_cast<QComboBox*>(WidgetOf(combo));
  if (!box || !box->lineEdit()) return;
  QLineEdit* edit = box->lineEdit();
  const AnsiString text = FromQString(edit->text());
  auto chars = [&](int bytes) {
    return static_cast<int>(ToQString(text.substr(0, static_cast<std::size_t>(std::clamp(bytes, 0, static_cast<int>(text.size()))))).size());
  };
  const int from = chars(start);
  const int to = chars(start + length);
  // The caret stays at the start of the selection, as typing goes on there.
  edit->setSelection(to, from - to);
}
