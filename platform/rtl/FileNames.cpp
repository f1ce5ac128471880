#include "platform/rtl/FileNames.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "platform/rtl/SysUtils.h"

namespace {

// Only an entry whose kind the folder listing does not tell is looked at.
bool IsFolder(const std::string& sysDir, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  const std::string full = sysDir + entry.d_name;
  struct stat st;
  if (::stat(full.c_str(), &st) != 0 && ::lstat(full.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode);
}

}  // namespace

std::vector<AnsiString> FileNamesIn(std::string_view folder, std::string_view mask) {
  std::vector<AnsiString> names;
  const std::string sysDir = SysFileName(IncludeTrailingPathDelimiter(folder.empty() ? "." : folder));
  DIR* handle = ::opendir(sysDir.c_str());
  if (!handle) return names;
  while (const dirent* entry = ::readdir(handle)) {
    const std::string_view sysName = entry->d_name;
    if (sysName == "." || sysName == "..") continue;
    AnsiString name = FromSysFileName(sysName);
    if (!MatchesMask(name, mask) || IsFolder(sysDir, *entry)) continue;
    names.push_back(std::move(name));
  }
  ::closedir(handle);
  std::sort(names.begin(), names.end());
  return names;
}
