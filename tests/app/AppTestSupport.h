// Helpers the catalogue tests share: a scratch folder, whole-file reads and
// writes by code page 949 name, and a copy of the application folder.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"

// A folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    const auto base = std::filesystem::temp_directory_path();
    static int counter = 0;
    for (;;) {
      path_ = base / ("vidrena-app-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // The code page 949 path with a trailing "/".
  AnsiString Path() const { return FromSysFileName(path_.string()) + "/"; }

 private:
  std::filesystem::path path_;
};

inline void WriteTextFile(const AnsiString& name, std::string_view bytes) {
  std::ofstream out(SysFileName(name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << name;
}

inline AnsiString ReadTextFile(const AnsiString& name) {
  std::ifstream in(SysFileName(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Entry names of a folder (code page 949), sorted.
inline std::vector<AnsiString> ListFolder(const AnsiString& dir) {
  std::vector<AnsiString> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(SysFileName(dir), ec))
    names.push_back(FromSysFileName(entry.path().filename().string()));
  std::sort(names.begin(), names.end());
  return names;
}
