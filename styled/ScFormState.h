// Keeps a form's placement (position, size, maximised or not) between runs
// in an INI file, in the section named after the form followed by
// "FormState". The form makes no call of its own: the component watches the
// form's window procedure, restores the placement when the form first
// shows and saves it whenever the form hides or closes.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/IniFiles.h"
#include "platform/vcl/Forms.h"

// The settings store TScFormState writes to: an INI file by name.
class TScRegIniFile : public TComponent {
 public:
  explicit TScRegIniFile(TComponent* owner);
  const AnsiString& FileName() const { return fileName_; }
  void SetFileName(const AnsiString& fileName) { fileName_ = fileName; }
  // A fresh view of the file, written by UpdateFile (nullptr without a file name).
  std::unique_ptr<TCustomIniFile> Open() const;

 private:
  AnsiString fileName_;
};

// A placement moved onto the screens: a rectangle whose title bar is not
// reachable on any work area is moved (and shrunk when larger) onto the
// work area it lies closest to; one that shows enough of itself is kept.
TRect ScFitOnScreens(const TRect& bounds, const std::vector<TRect>& workAreas);

class TScFormState : public TComponent {
 public:
  // owner is the form whose placement is kept.
  explicit TScFormState(TCustomForm* owner);
  ~TScFormState() override;

  TScRegIniFile* RegIniFile() const { return regIniFile_; }
  void SetRegIniFile(TScRegIniFile* file);
  // "FormMainFormState" for a form named "FormMain".
  AnsiString SectionName() const;

  // What the component does on its own; public for tests and for a form
  // that wants its placement written at a moment of its choosing.
  void RestoreState();
  void SaveState();

  void Notification(TComponent* component, TOperation operation) override;

 private:
  void FormMessage(TMessage& m);
  TCustomForm* form_;
  TScRegIniFile* regIniFile_ = nullptr;
  std::function<void(TMessage&)> previousWindowProc_;
  bool restored_ = false;
};
