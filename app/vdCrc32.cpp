#include "app/vdCrc32.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/rtl/Classes.h"
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
  try {
    // Only a regular file opens: a named pipe would wait for a writer for
    // ever, and a folder or a device has no contents to identify.
    TFileStream file{AnsiString(fileName), fmOpenRead | fmShareDenyWrite};
    Byte block[kFileIdBlockSize];
    for (int i = 0; i < kFileIdBlockCount; ++i) {
      // A short block is the end of the file and still counts; a read that
      // fails (an I/O error) ends the ID with the bytes that came before.
      const Int64 got = std::max<Int64>(0, file.Read(block, sizeof block));
      sum = FileIdUpdate(sum, block, static_cast<std::size_t>(got));
      if (got < static_cast<Int64>(sizeof block)) break;
    }
  } catch (const EFOpenError&) {
    // A file that cannot be opened gives 0.
  }
  return ~sum;
}

AnsiString FileIdToStr(DWORD fileId) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(fileId));
  return digits;
}
