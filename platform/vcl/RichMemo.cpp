#include "platform/vcl/RichMemo.h"

#include <QTextCursor>
#include <QTextEdit>

#include "platform/rtl/Cp949.h"
#include "platform/vcl/Controls_p.h"
#include "platform/vcl/RichText.h"
#include "platform/vcl/RichText_p.h"

namespace {

AnsiString CrLfOf(const QString& text) {
  AnsiString out;
  for (char c : FromQString(text)) {
    if (c == '\n') out += "\r\n";
    else out += c;
  }
  return out;
}

QTextEdit* EditOf(const TControl* c) { return qobject_cast<QTextEdit*>(WidgetOf(c)); }

}  // namespace

TWindowHandle* TRichMemo::CreateWindowHandle() {
  auto* edit = new QTextEdit;
  edit->setFocusPolicy(Qt::StrongFocus);
  // Pasted text comes in plain: the cell keeps only what the subset holds.
  edit->setAcceptRichText(false);
  edit->setFrameShape(QFrame::NoFrame);
  auto* h = new TWindowHandle(this, edit);
  h->WatchWidget(edit->viewport());
  QObject::connect(edit, &QTextEdit::textChanged, edit, [this, edit] {
    if (settingText_) return;
    TextStore() = CrLfOf(edit->toPlainText());
    SetModified(true);
    NotifyParent(this, EN_CHANGE);
  });
  // One notice per change of caret or selection, whichever signal saw it.
  auto selectionMoved = [this, edit] {
    const QTextCursor cursor = edit->textCursor();
    if (cursor.anchor() == lastAnchor_ && cursor.position() == lastPosition_) return;
    lastAnchor_ = cursor.anchor();
    lastPosition_ = cursor.position();
    SelectionChange();
  };
  QObject::connect(edit, &QTextEdit::cursorPositionChanged, edit, selectionMoved);
  QObject::connect(edit, &QTextEdit::selectionChanged, edit, selectionMoved);
  return h;
}

void TRichMemo::SelectionChange() {
  if (OnSelectionChange) OnSelectionChange(this);
}

void TRichMemo::ApplyTextToWidget() {
  QTextEdit* edit = EditOf(this);
  if (!edit) return;
  edit->setReadOnly(ReadOnly());
  edit->setLineWrapMode(WordWrap() ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  edit->setTabChangesFocus(!WantTabs());
  settingText_ = true;
  if (hasPending_) {
    hasPending_ = false;
    LoadRichTextInto(*edit->document(), pendingRtf_, *Font());
  } else if (CrLfOf(edit->toPlainText()) != GetText()) {
    QString q = ToQString(GetText());
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    edit->setPlainText(q);
  }
  settingText_ = false;
}

AnsiString TRichMemo::WidgetText() const {
  QTextEdit* edit = EditOf(this);
  return edit ? CrLfOf(edit->toPlainText()) : TControl::GetText();
}

void TRichMemo::LoadRichText(std::string_view rtf) {
  // The plain text is the control's Text; the window shows the formatting.
  pendingRtf_ = AnsiString(rtf);
  hasPending_ = true;
  SetText(RichTextToPlainText(rtf));
  if (hasPending_ && EditOf(this)) ApplyTextToWidget();
}

AnsiString TRichMemo::RichText() const {
  if (QTextEdit* edit = EditOf(this)) return RichTextOfDocument(*edit->document(), *Font());
  if (hasPending_) return pendingRtf_;
  return AnsiString();
}

void TRichMemo::SelectAllText() {
  if (QTextEdit* edit = EditOf(this)) edit->selectAll();
}
