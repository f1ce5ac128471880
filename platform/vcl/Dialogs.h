// Message boxes, input boxes and the common dialogs (open, save, colour,
// folder), each with a test fake.
//
// Sections:
//   Message boxes ...... MessageDlg, ShowMessage, ShowMessageBox (MB_ flags)
//   Input .............. InputQuery, InputBox
//   Common dialogs ..... TOpenDialog, TSaveDialog, TColorDialog, SelectDirectory
//   Fakes .............. TDialogFakes: queued answers, recorded texts
//
// Texts are code page 949; "\r" (alone or before "\n") is a line break.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/vcl/Controls.h"

// ---------------------------------------------------------------- message boxes

inline constexpr int MB_OK = 0x0;
inline constexpr int MB_OKCANCEL = 0x1;
inline constexpr int MB_ABORTRETRYIGNORE = 0x2;
inline constexpr int MB_YESNOCANCEL = 0x3;
inline constexpr int MB_YESNO = 0x4;
inline constexpr int MB_RETRYCANCEL = 0x5;
inline constexpr int MB_ICONHAND = 0x10;
inline constexpr int MB_ICONSTOP = 0x10;
inline constexpr int MB_ICONERROR = 0x10;
inline constexpr int MB_ICONQUESTION = 0x20;
inline constexpr int MB_ICONEXCLAMATION = 0x30;
inline constexpr int MB_ICONWARNING = 0x30;
inline constexpr int MB_ICONASTERISK = 0x40;
inline constexpr int MB_ICONINFORMATION = 0x40;
inline constexpr int MB_DEFBUTTON1 = 0x000;
inline constexpr int MB_DEFBUTTON2 = 0x100;
inline constexpr int MB_DEFBUTTON3 = 0x200;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSmallSet<TMsgDlgBtn>;
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbOKOnly{mbOK};

// A message box with MB_ flags; returns IDOK, IDYES, IDNO, IDCANCEL, ...
int ShowMessageBox(const AnsiString& text, const AnsiString& caption, int flags);
// A box captioned by its type ("경고", "오류", "정보", "확인"); returns mrYes, mrNo, ...
int MessageDlg(const AnsiString& message, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);
// An information box with OK, captioned with the application's title.
void ShowMessage(const AnsiString& message);

// ---------------------------------------------------------------- input

// False (value unchanged) when cancelled.
bool InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value);
// The default when cancelled.
AnsiString InputBox(const AnsiString& caption, const AnsiString& prompt, const AnsiString& defaultValue);

// ---------------------------------------------------------------- common dialogs

enum TOpenOption {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
  ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
  ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
  ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing
};
using TOpenOptions = TSmallSet<TOpenOption>;

class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* owner);
  // True with FileName (and Files) set when the user chose; false when cancelled.
  virtual bool Execute();

  AnsiString FileName;
  // "description|*.ext;*.ext2|description|*.x"
  AnsiString Filter;
  int FilterIndex = 1;
  AnsiString InitialDir;
  // Without the dot; added to a chosen name that has no extension.
  AnsiString DefaultExt;
  AnsiString Title;
  TOpenOptions Options{ofHideReadOnly, ofEnableSizing};
  std::vector<AnsiString> Files;

 protected:
  virtual bool IsSave() const { return false; }
  // The name with DefaultExt added when it has no extension of its own.
  AnsiString WithDefaultExt(const AnsiString& name) const;
};

class TSaveDialog : public TOpenDialog {
 public:
  explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}

 protected:
  bool IsSave() const override { return true; }
};

class TColorDialog : public TComponent {
 public:
  explicit TColorDialog(TComponent* owner) : TComponent(owner) {}
  bool Execute();
  TColor Color = clBlack;
};

// A folder chooser starting at directory; on OK directory becomes the
// chosen folder (without a trailing "/"). caption is the window title,
// prompt the line of text above the tree (may be empty).
bool SelectDirectory(const AnsiString& caption, const AnsiString& prompt, AnsiString& directory);

// ---------------------------------------------------------------- fakes

struct TMessageBoxRecord {
  AnsiString Text;
  AnsiString Caption;
  int Flags = 0;        // MB_ flags (MessageDlg: the equivalent ones)
  int Answer = 0;       // what the box returned
};

struct TFileDialogRecord {
  AnsiString Title;
  AnsiString Filter;
  AnsiString InitialDir;
  AnsiString FileName;  // the name the dialog started with
  bool Save = false;
};

// While enabled, no window opens: each dialog takes the next queued answer
// and records what it would have shown. A box with only an OK button does
// not take an answer. With an empty queue a box answers its "escape" button
// (Cancel, else No, else OK) and a dialog is cancelled.
class TDialogFakes {
 public:
  static void Enable();
  // Switches the fakes off and clears queues and records.
  static void Disable();
  static bool Enabled();

  static void QueueAnswer(int answer);  // IDYES / mrYes, ...
  static const std::vector<TMessageBoxRecord>& MessageBoxes();
  // Called as each box is recorded, while the program waits for it: a test
  // sees what stands on the screen behind the box. nullptr removes it.
  static void SetMessageBoxHook(std::function<void(const TMessageBoxRecord&)> hook);

  // std::nullopt cancels; several names answer a multi-select open dialog.
  static void QueueFileNames(std::optional<std::vector<AnsiString>> names);
  static void QueueFileName(const AnsiString& name) { QueueFileNames(std::vector<AnsiString>{name}); }
  static const std::vector<TFileDialogRecord>& FileDialogs();
  static void QueueColor(std::optional<TColor> color);
  static void QueueFolder(std::optional<AnsiString> folder);
  static void QueueInput(std::optional<AnsiString> text);
  // Prompts of the folder and input dialogs, in order.
  static const std::vector<AnsiString>& Prompts();

  static void Clear();
};
