// Scratch folders and files for the file ID and media probe tests. Names in
// memory are code page 949; on disk they are UTF-8 (SysFileName).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "platform/rtl/SysUtils.h"

namespace media_test {

// A folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir() {
    const auto base = std::filesystem::temp_directory_path();
    for (int i = 0;; ++i) {
      path_ = base / ("vidrena-media-" + std::to_string(::getpid()) + "-" + std::to_string(i));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  // The code page 949 path of a file in the folder.
  AnsiString File(std::string_view name) const {
    return FromSysFileName(path_.string()) + "/" + AnsiString(name);
  }
  AnsiString Path() const { return FromSysFileName(path_.string()); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const AnsiString& name, std::string_view bytes) {
  std::ofstream out(SysFileName(name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << name;
}

inline std::string ReadFile(const std::string& sysName) {
  std::ifstream in(sysName, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A committed fixture under tests/data/avi.
inline std::string Fixture(std::string_view name) {
  return std::string(VIDRENA_TEST_DATA) + "/avi/" + std::string(name);
}

}  // namespace media_test
