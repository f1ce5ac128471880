// What the grid file's test suites share: a grid's stream as bytes and back.
#pragma once

#include <string>

#include "grid/ExGrid.h"
#include "grid/GridFile.h"

inline std::string SaveToBytes(TExStringGrid& g) {
  TMemoryStream s;
  SaveGridStream(g, s);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

inline void LoadFromBytes(TExStringGrid& g, const std::string& bytes) {
  TStringStream s(bytes);
  LoadGridStream(g, s);
}
