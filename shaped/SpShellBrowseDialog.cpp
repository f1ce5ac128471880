#include "shaped/SpShellBrowseDialog.h"

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Dialogs.h"

namespace {
// The root folder keeps its one separator: it names the root, not nothing.
AnsiString WithoutTrailingSeparator(AnsiString path) {
  while (path.size() > 1 && path.back() == PathDelim) path.pop_back();
  return path;
}
}  // namespace

TSpShellBrowseDialog::TSpShellBrowseDialog(TComponent* owner) : TComponent(owner) {}

bool TSpShellBrowseDialog::Execute() {
  AnsiString folder = selectedPath_.empty() ? rootFolder_ : selectedPath_;
  if (!SelectDirectory(caption_, instructionText_, folder)) return false;
  selectedPath_ = WithoutTrailingSeparator(folder);
  return true;
}
