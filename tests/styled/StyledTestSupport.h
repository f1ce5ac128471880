// Helpers the styled, shaped and date-edit suites share: a temporary folder
// removed after the test, and raw file access by on-disk name.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/rtl/Cp949.h"
#include "platform/rtl/SysUtils.h"

class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/vidrena-controls-XXXXXX";
    if (::mkdtemp(pattern)) path_ = pattern;
  }
  ~TempFolder() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // A code page 949 path inside the folder.
  AnsiString operator/(const AnsiString& name) const { return FromSysFileName(path_) + "/" + name; }
  const std::string& SysPath() const { return path_; }

 private:
  std::string path_;
};

inline std::string ReadRawFile(const AnsiString& name) {
  std::ifstream in(SysFileName(name), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteRawFile(const AnsiString& name, const std::string& bytes) {
  std::ofstream out(SysFileName(name), std::ios::binary);
  out << bytes;
}
