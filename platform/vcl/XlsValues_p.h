// The values of one sheet of an ".xls" workbook as a stream of records: what
// the reading program (platform/vcl/main/XlsReader.cpp) writes to its
// standard output and SpreadsheetReader.cpp reads back. Only the .xls
// library and the C++ library are used here, so that the reading program
// carries nothing else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace xls_values {

// A row number past what any spreadsheet program writes marks a damaged file.
constexpr int kMaxSheetRow = 16'777'216;

// Record kinds, one byte each, followed by their fields in the machine's own
// byte order (both ends are built from one source on one machine).
enum TRecord : char {
  xrSheet = 'S',    // u32 length, the sheet's name in UTF-8
  xrCell = 'C',     // u32 row, u16 col, i32 the library's cell type, then the value
  xrNoSheet = 'N',  // the workbook has no sheet of that name
  xrFailure = 'E',  // i32 TFailure, i32 the library's code
  xrShort = 'T',    // u32 the rows the sheet claims: the workbook's bytes end before the sheet does
  xrEnd = 'Z',      // every value was sent
};

enum TFailure : int {
  xfMissing = 1, xfNotWorkbook, xfNoSheet, xfSheetUnreadable, xfNoSize, xfTooManyRows,
};

// Collects records; with a file descriptor it writes them on in blocks as
// they fill.
class TRecords {
 public:
  explicit TRecords(int fd = -1);
  template <class T>
  void Put(const T& value) {
    PutBytes(&value, sizeof value);
  }
  void PutText(std::string_view text) {
    Put(static_cast<uint32_t>(text.size()));
    PutBytes(text.data(), text.size());
  }
  void PutBytes(const void* data, size_t size);
  // False when the reading side is gone.
  bool Flush();
  std::string& Bytes() { return bytes_; }

 private:
  int fd_;
  std::string bytes_;
};

// The sheet named sheetUtf8 (the first one when empty) of the workbook at
// sysFileName as records, ending with xrEnd.
void ReadValues(const std::string& sysFileName, const std::string& sheetUtf8, TRecords& out);

}  // namespace xls_values
