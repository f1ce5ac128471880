#include "app/vdCrc32.h"

#include <array>
#include <cstdio>
#include <memory>

#include "platform/rtl/SysUtils.h"

namespace {

// The reflected CRC-32 table of polynomial 0xEDB88320 (entry 1 is 0x77073096).
constexpr std::array<DWORD, 256> MakeCrcTable() {
  std::array<DWORD, 256> table{};
  for (DWORD i = 0; i < 256; ++i) {
    DWORD c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    table[i] = c;
  }
  return table;
}

constexpr std::array<DWORD, 256> kCrcTable = MakeCrcTable();

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

DWORD FileIdUpdate(DWORD sum, const Byte* data, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    const DWORD t = kCrcTable[(data[i] ^ sum) & 0xFF] ^ (sum >> 8);
    sum += t;  // the additive step: the IDs already published depend on it
  }
  return sum;
}

DWORD GetFileId(std::string_view fileName) {
  DWORD sum = 0xFFFFFFFFu;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(SysFileName(fileName).c_str(), "rb"));
  if (file) {
    Byte block[kFileIdBlockSize];
    for (int i = 0; i < kFileIdBlockCount; ++i) {
      const std::size_t got = std::fread(block, 1, sizeof block, file.get());
      // A failed read (a folder, an I/O error) adds nothing; a short block is
      // the end of the file and still counts.
      sum = FileIdUpdate(sum, block, got);
      if (got < sizeof block) break;
    }
  }
  return ~sum;
}

AnsiString FileIdToStr(DWORD fileId) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(fileId));
  return digits;
}
