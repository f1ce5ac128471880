// What the clipboard, import and drag-and-drop tests share: an editable
// grid, a row as one text, the grid's error message, the test locale, and a
// temporary folder.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "grid/ExGrid.h"

namespace transfer_test {

// cols x rows with goEditing on.
inline void MakeEditable(TExStringGrid& g, int cols, int rows) {
  g.SetColCount(cols);
  g.SetRowCount(rows);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
}

// The row's cells joined by "|".
inline std::string RowText(TExStringGrid& g, int row) {
  std::string s;
  for (int c = 0; c < g.ColCount(); ++c) s += (c ? "|" : "") + g.Cells(c, row);
  return s;
}

template <class F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const EExGridError& e) {
    return e.what();
  }
  return "(no EExGridError)";
}

// The Korean locale ("yyyy-mm-dd", "." decimals) for the scope.
struct KoreanLocale {
  TFormatSettings saved = FormatSettings;
  KoreanLocale() { FormatSettings = TFormatSettings::Korean(); }
  ~KoreanLocale() { FormatSettings = saved; }
};

struct TempDir {
  std::filesystem::path path;
  TempDir() {
    path = std::filesystem::temp_directory_path() /
           ("vidrena-transfer-" + std::to_string(::getpid()) + "-" +
            std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  AnsiString Write(const char* name, const std::string& bytes) const {
    std::ofstream(path / name, std::ios::binary) << bytes;
    return (path / name).string();
  }
};

}  // namespace transfer_test
