// The folder-browse dialog as the windows place it: a caption, a line of
// instruction, a root folder, and the chosen folder without a trailing
// separator (callers append "/" and a name to it).
#pragma once

#include "platform/rtl/Classes.h"

class TSpShellBrowseDialog : public TComponent {
 public:
  explicit TSpShellBrowseDialog(TComponent* owner);

  // Shows the dialog at SelectedPath (RootFolder when empty); true with
  // SelectedPath set to the chosen folder when the user chose one.
  bool Execute();

  const AnsiString& SelectedPath() const { return selectedPath_; }
  void SetSelectedPath(const AnsiString& path) { selectedPath_ = path; }
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& caption) { caption_ = caption; }
  const AnsiString& InstructionText() const { return instructionText_; }
  void SetInstructionText(const AnsiString& text) { instructionText_ = text; }
  const AnsiString& RootFolder() const { return rootFolder_; }
  void SetRootFolder(const AnsiString& folder) { rootFolder_ = folder; }

 private:
  AnsiString selectedPath_;
  AnsiString caption_;
  AnsiString instructionText_;
  AnsiString rootFolder_;
};
