#include "platform/vcl/WideText.h"

#include <QComboBox>
#include <QLineEdit>
#include <QString>

#include "platform/vcl/Controls_p.h"

namespace {
QString ToQ(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}
WideString FromQ(const QString& text) {
  return WideString(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}
}  // namespace

bool GetWindowWideText(const TWinControl* control, WideString& text) {
  QWidget* w = WidgetOf(control);
  if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    text = FromQ(edit->text());
    return true;
  }
  if (auto* combo = qobject_cast<QComboBox*>(w)) {
    text = FromQ(combo->currentText());
    return true;
  }
  return false;
}

bool SetWindowWideText(TWinControl* control, std::u16string_view text) {
  QWidget* w = WidgetOf(control);
  const QString q = ToQ(text);
  if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    if (edit->text() != q) edit->setText(q);
    return true;
  }
  if (auto* combo = qobject_cast<QComboBox*>(w)) {
    if (combo->isEditable()) {
      if (combo->currentText() != q) combo->setEditText(q);
    } else {
      combo->setCurrentIndex(combo->findText(q, Qt::MatchExactly));
    }
    return true;
  }
  return false;
}

bool GetComboItemWideText(const TComboBox* combo, int index, WideString& text) {
  auto* box = qobject_cast<QComboBox*>(WidgetOf(combo));
  if (!box || index < 0 || index >= box->count()) return false;
  text = FromQ(box->itemText(index));
  return true;
}

bool SetComboItemWideText(TComboBox* combo, int index, std::u16string_view text) {
  auto* box = qobject_cast<QComboBox*>(WidgetOf(combo));
  if (!box || index < 0 || index >= box->count()) return false;
  box->setItemText(index, ToQ(text));
  return true;
}
