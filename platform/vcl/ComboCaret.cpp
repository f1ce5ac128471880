#include "platform/vcl/ComboCaret.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

#include "platform/vcl/Controls_p.h"

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

int ComboCharPosAt(const TComboBox* combo, TPoint point) {
  auto* box = qobject_cast<QComboBox*>(WidgetOf(combo));
  if (!box || !box->lineEdit()) return static_cast<int>(combo->Text().size());
  QLineEdit* edit = box->lineEdit();
  const QPoint inEdit = edit->mapFrom(box, QPoint(point.X, point.Y));
  return static_cast<int>(FromQString(edit->text().left(edit->cursorPositionAt(inEdit))).size());
}

void SetComboCaret(TComboBox* combo, int pos) { SelectComboText(combo, pos, 0); }
