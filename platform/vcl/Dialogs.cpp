// Message boxes, input boxes and common dialogs over Qt, and their fakes.
//
// Sections:
//   Fakes ............. queues and records
//   Text .............. "\r" line breaks, Korean captions and buttons
//   Message boxes
//   Input
//   Common dialogs
#include "platform/vcl/Dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

#include "platform/vcl/Controls_p.h"
#include "platform/vcl/Forms.h"

// ======================================================================= fakes

namespace {

struct FakeState {
  bool enabled = false;
  std::deque<int> answers;
  std::vector<TMessageBoxRecord> boxes;
  std::deque<std::optional<std::vector<AnsiString>>> files;
  std::vector<TFileDialogRecord> fileDialogs;
  std::deque<std::optional<TColor>> colors;
  std::deque<std::optional<AnsiString>> folders;
  std::deque<std::optional<AnsiString>> inputs;
  std::vector<AnsiString> prompts;
  std::function<void(const TMessageBoxRecord&)> boxHook;
};

FakeState& Fakes() {
  static FakeState state;
  return state;
}

template <class T>
std::optional<T> TakeFront(std::deque<std::optional<T>>& queue) {
  if (queue.empty()) return std::nullopt;
  std::optional<T> v = std::move(queue.front());
  queue.pop_front();
  return v;
}

}  // namespace

void TDialogFakes::Enable() { Fakes().enabled = true; }

void TDialogFakes::Disable() {
  Clear();
  Fakes().enabled = false;
}

bool TDialogFakes::Enabled() { return Fakes().enabled; }

void TDialogFakes::QueueAnswer(int answer) { Fakes().answers.push_back(answer); }

const std::vector<TMessageBoxRecord>& TDialogFakes::MessageBoxes() { return Fakes().boxes; }

void TDialogFakes::SetMessageBoxHook(std::function<void(const TMessageBoxRecord&)> hook) {
  Fakes().boxHook = std::move(hook);
}

void TDialogFakes::QueueFileNames(std::optional<std::vector<AnsiString>> names) {
  Fakes().files.push_back(std::move(names));
}

const std::vector<TFileDialogRecord>& TDialogFakes::FileDialogs() { return Fakes().fileDialogs; }

void TDialogFakes::QueueColor(std::optional<TColor> color) { Fakes().colors.push_back(color); }
void TDialogFakes::QueueFolder(std::optional<AnsiString> folder) { Fakes().folders.push_back(std::move(folder)); }
void TDialogFakes::QueueInput(std::optional<AnsiString> text) { Fakes().inputs.push_back(std::move(text)); }
const std::vector<AnsiString>& TDialogFakes::Prompts() { return Fakes().prompts; }

void TDialogFakes::Clear() {
  bool enabled = Fakes().enabled;
  Fakes() = FakeState{};
  Fakes().enabled = enabled;
}

// ======================================================================= text

namespace {

// "\r\n" and a lone "\r" both break the line.
QString DialogText(const AnsiString& text) {
  QString s = ToQString(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

const AnsiString& KoreanText(int which) {
  static const AnsiString kTexts[] = {"확인"_k, "취소"_k, "예"_k, "아니요"_k, "중단"_k, "다시 시도"_k, "무시"_k,
                                      "경고"_k, "오류"_k, "정보"_k};
  return kTexts[which];
}
enum { kOk, kCancel, kYes, kNo, kAbort, kRetry, kIgnore, kWarning, kError, kInformation };

std::vector<int> ButtonsOf(int flags) {
  switch (flags & 0xF) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

// What Escape (or closing the box) answers.
int EscapeAnswer(const std::vector<int>& buttons) {
  for (int b : {IDCANCEL, IDNO, IDIGNORE, IDOK}) {
    if (std::find(buttons.begin(), buttons.end(), b) != buttons.end()) return b;
  }
  return buttons.front();
}

const AnsiString& ButtonText(int id) {
  switch (id) {
    case IDCANCEL: return KoreanText(kCancel);
    case IDYES: return KoreanText(kYes);
    case IDNO: return KoreanText(kNo);
    case IDABORT: return KoreanText(kAbort);
    case IDRETRY: return KoreanText(kRetry);
    case IDIGNORE: return KoreanText(kIgnore);
    default: return KoreanText(kOk);
  }
}

int RealMessageBox(const AnsiString& text, const AnsiString& caption, int flags, const std::vector<int>& buttons) {
  EnsureQtApplication();
  QMessageBox box;
  box.setWindowTitle(ToQString(caption));
  box.setText(DialogText(text));
  switch (flags & 0xF0) {
    case MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  std::vector<std::pair<QPushButton*, int>> made;
  int defaultIndex = (flags & 0xF00) >> 8;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    QPushButton* b = box.addButton(ToQString(ButtonText(buttons[i])), QMessageBox::ActionRole);
    made.emplace_back(b, buttons[i]);
    if (static_cast<int>(i) == defaultIndex) box.setDefaultButton(b);
  }
  int escape = EscapeAnswer(buttons);
  for (auto& [b, id] : made) {
    if (id == escape) box.setEscapeButton(b);
  }
  box.exec();
  for (auto& [b, id] : made) {
    if (box.clickedButton() == b) return id;
  }
  return escape;
}

}  // namespace

// ======================================================================= message boxes

int ShowMessageBox(const AnsiString& text, const AnsiString& caption, int flags) {
  std::vector<int> buttons = ButtonsOf(flags);
  FakeState& fakes = Fakes();
  if (fakes.enabled) {
    int answer = EscapeAnswer(buttons);
    if (buttons.size() > 1 && !fakes.answers.empty()) {
      answer = fakes.answers.front();
      fakes.answers.pop_front();
    }
    fakes.boxes.push_back({text, caption, flags, answer});
    if (fakes.boxHook) {
      // A copy: the hook may show another box, which grows the record list.
      const TMessageBoxRecord shown = fakes.boxes.back();
      fakes.boxHook(shown);
    }
    return answer;
  }
  return RealMessageBox(text, caption, flags, buttons);
}

int MessageDlg(const AnsiString& message, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) {
  int flags = 0;
  AnsiString caption;
  switch (type) {
    case mtWarning: flags |= MB_ICONWARNING; caption = KoreanText(kWarning); break;
    case mtError: flags |= MB_ICONERROR; caption = KoreanText(kError); break;
    case mtInformation: flags |= MB_ICONINFORMATION; caption = KoreanText(kInformation); break;
    case mtConfirmation: flags |= MB_ICONQUESTION; caption = KoreanText(kOk); break;
    default: caption = Application ? Application->Title() : AnsiString(); break;
  }
  if (buttons.contains(mbYes) && buttons.contains(mbNo)) flags |= buttons.contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
  else if (buttons.contains(mbAbort)) flags |= MB_ABORTRETRYIGNORE;
  else if (buttons.contains(mbRetry)) flags |= MB_RETRYCANCEL;
  else if (buttons.contains(mbOK) && buttons.contains(mbCancel)) flags |= MB_OKCANCEL;
  else flags |= MB_OK;
  // The ID values and the modal results are the same numbers.
  return ShowMessageBox(message, caption, flags);
}

void ShowMessage(const AnsiString& message) {
  ShowMessageBox(message, Application ? Application->Title() : AnsiString(), MB_OK | MB_ICONINFORMATION);
}

// ======================================================================= input

bool InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value) {
  FakeState& fakes = Fakes();
  if (fakes.enabled) {
    fakes.prompts.push_back(prompt);
    std::optional<AnsiString> answer = TakeFront(fakes.inputs);
    if (!answer) return false;
    value = *answer;
    return true;
  }
  EnsureQtApplication();
  QInputDialog dialog;
  dialog.setWindowTitle(ToQString(caption));
  dialog.setLabelText(DialogText(prompt));
  dialog.setTextValue(ToQString(value));
  // The box is as wide as its prompt, and a short prompt under a long
  // caption would leave the frame too narrow for the caption to read
  // whole: the text field takes the width of the caption in a bold title
  // font and of the frame's buttons beside it (the box's layout sizes the
  // box from its fields).
  QFont titleFont = dialog.font();
  titleFont.setBold(true);
  constexpr int kTitleButtonsWidth = 120;
  const int margins = 2 * dialog.style()->pixelMetric(QStyle::PM_LayoutLeftMargin);
  if (auto* edit = dialog.findChild<QLineEdit*>())
    edit->setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(dialog.windowTitle()) + kTitleButtonsWidth - margins);
  if (dialog.exec() != QDialog::Accepted) return false;
  value = FromQString(dialog.textValue());
  return true;
}

AnsiString InputBox(const AnsiString& caption, const AnsiString& prompt, const AnsiString& defaultValue) {
  AnsiString value = defaultValue;
  if (!InputQuery(caption, prompt, value)) return defaultValue;
  return value;
}

// ======================================================================= common dialogs

namespace {

// "desc|*.a;*.b|desc2|*.c" as Qt's "desc (*.a *.b);;desc2 (*.c)".
QStringList QtFilters(const AnsiString& filter) {
  QStringList parts = ToQString(filter).split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return out;
}

QString QtPath(const AnsiString& path) { return QString::fromUtf8(SysFileName(path).c_str()); }
AnsiString FromQtPath(const QString& path) { return FromSysFileName(path.toUtf8().toStdString()); }

}  // namespace

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

AnsiString TOpenDialog::WithDefaultExt(const AnsiString& name) const {
  if (DefaultExt.empty() || !ExtractFileExt(name).empty()) return name;
  AnsiString ext = DefaultExt;
  if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
  return name + "." + ext;
}

bool TOpenDialog::Execute() {
  FakeState& fakes = Fakes();
  if (fakes.enabled) {
    fakes.fileDialogs.push_back({Title, Filter, InitialDir, FileName, IsSave()});
    std::optional<std::vector<AnsiString>> answer = TakeFront(fakes.files);
    if (!answer || answer->empty()) return false;
    Files.clear();
    for (const AnsiString& f : *answer) Files.push_back(IsSave() ? WithDefaultExt(f) : f);
    FileName = Files.front();
    return true;
  }
  EnsureQtApplication();
  QFileDialog dialog(nullptr, ToQString(Title));
  dialog.setAcceptMode(IsSave() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (IsSave()) dialog.setFileMode(QFileDialog::AnyFile);
  else dialog.setFileMode(Options.contains(ofAllowMultiSelect) ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  if (IsSave() && !Options.contains(ofOverwritePrompt)) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  QStringList filters = QtFilters(Filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    int index = std::clamp(FilterIndex - 1, 0, static_cast<int>(filters.size()) - 1);
    dialog.selectNameFilter(filters[index]);
  }
  if (!InitialDir.empty()) dialog.setDirectory(QtPath(InitialDir));
  if (!FileName.empty()) dialog.selectFile(QtPath(FileName));
  if (!DefaultExt.empty()) dialog.setDefaultSuffix(ToQString(DefaultExt));
  if (dialog.exec() != QDialog::Accepted) return false;
  QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  Files.clear();
  for (const QString& f : chosen) Files.push_back(IsSave() ? WithDefaultExt(FromQtPath(f)) : FromQtPath(f));
  FileName = Files.front();
  FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  return true;
}

bool TColorDialog::Execute() {
  FakeState& fakes = Fakes();
  if (fakes.enabled) {
    std::optional<TColor> answer = TakeFront(fakes.colors);
    if (!answer) return false;
    Color = *answer;
    return true;
  }
  EnsureQtApplication();
  QColor chosen = QColorDialog::getColor(ToQColor(Color));
  if (!chosen.isValid()) return false;
  Color = FromQColor(chosen);
  return true;
}

bool SelectDirectory(const AnsiString& caption, const AnsiString& prompt, AnsiString& directory) {
  FakeState& fakes = Fakes();
  if (fakes.enabled) {
    fakes.prompts.push_back(prompt);
    std::optional<AnsiString> answer = TakeFront(fakes.folders);
    if (!answer) return false;
    directory = ExcludeTrailingPathDelimiter(*answer);
    return true;
  }
  EnsureQtApplication();
  QString title = ToQString(caption);
  if (!prompt.empty()) title += QStringLiteral(" - ") + DialogText(prompt);
  QString chosen = QFileDialog::getExistingDirectory(nullptr, title, QtPath(directory));
  if (chosen.isEmpty()) return false;
  directory = ExcludeTrailingPathDelimiter(FromQtPath(chosen));
  return true;
}
