#include "platform/vcl/XlsValues_p.h"

#include <freexl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace xls_values {

namespace {

// What a reader writes at once; the pipe holds several of these.
constexpr size_t kBlock = 256 << 10;

struct TXls {
  const void* handle = nullptr;
  ~TXls() {
    if (handle) freexl_close(handle);
  }
};

// The fixed fields of a cell's record, gathered before they are sent.
struct TCellHead {
  char bytes[32];
  size_t size = 0;
  template <class T>
  void Add(const T& value) {
    std::memcpy(bytes + size, &value, sizeof value);
    size += sizeof value;
  }
};

void Failure(TRecords& out, TFailure failure, int code = 0) {
  out.Put(xrFailure);
  out.Put(static_cast<int32_t>(failure));
  out.Put(static_cast<int32_t>(code));
}

}  // namespace

TRecords::TRecords(int fd) : fd_(fd) {
  if (fd_ >= 0) bytes_.reserve(2 * kBlock);
}

bool TRecords::Flush() {
  size_t done = 0;
  while (fd_ >= 0 && done < bytes_.size()) {
    const ssize_t n = ::write(fd_, bytes_.data() + done, bytes_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  if (fd_ >= 0) bytes_.clear();
  return true;
}

void TRecords::PutBytes(const void* data, size_t size) {
  bytes_.append(static_cast<const char*>(data), size);
  // A reader that went away wants nothing more; the writing process ends.
  if (fd_ >= 0 && bytes_.size() >= kBlock && !Flush()) _exit(3);
}

void ReadValues(const std::string& sysFileName, const std::string& sheetUtf8, TRecords& out) {
  TXls xls;
  const int opened = freexl_open(sysFileName.c_str(), &xls.handle);
  if (opened != FREEXL_OK) {
    Failure(out, opened == FREEXL_FILE_NOT_FOUND ? xfMissing : xfNotWorkbook, opened);
    out.Put(xrEnd);
    return;
  }
  unsigned int sheetCount = 0;
  if (freexl_get_info(xls.handle, FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK || sheetCount == 0) {
    Failure(out, xfNoSheet);
    out.Put(xrEnd);
    return;
  }
  int index = -1;
  for (unsigned int i = 0; i < sheetCount && i < 65535; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(xls.handle, static_cast<unsigned short>(i), &name) != FREEXL_OK) continue;
    const std::string_view text = name ? std::string_view(name) : std::string_view();
    if (sheetUtf8.empty() || text == sheetUtf8) {
      index = static_cast<int>(i);
      out.Put(xrSheet);
      out.PutText(text);
      break;
    }
  }
  if (index < 0) {
    out.Put(xrNoSheet);
    out.Put(xrEnd);
    return;
  }
  unsigned int rows = 0;
  unsigned short cols = 0;
  if (freexl_select_active_worksheet(xls.handle, static_cast<unsigned short>(index)) != FREEXL_OK)
    Failure(out, xfSheetUnreadable);
  else if (freexl_worksheet_dimensions(xls.handle, &rows, &cols) != FREEXL_OK)
    Failure(out, xfNoSize);
  else if (rows > static_cast<unsigned int>(kMaxSheetRow))
    Failure(out, xfTooManyRows);
  else {
    for (unsigned int r = 0; r < rows; ++r) {
      for (unsigned short c = 0; c < cols; ++c) {
        FreeXL_CellValue cell;
        if (freexl_get_cell_value(xls.handle, r, c, &cell) != FREEXL_OK) continue;
        switch (cell.type) {
          case FREEXL_CELL_INT:
          case FREEXL_CELL_DOUBLE:
          case FREEXL_CELL_TEXT:
          case FREEXL_CELL_SST_TEXT:
          case FREEXL_CELL_DATE:
          case FREEXL_CELL_DATETIME:
          case FREEXL_CELL_TIME: break;
          default: continue;
        }
        // One record in one piece: a sheet sends a record per cell.
        TCellHead head;
        head.Add(xrCell);
        head.Add(static_cast<uint32_t>(r));
        head.Add(static_cast<uint16_t>(c));
        head.Add(static_cast<int32_t>(cell.type));
        std::string_view text;
        if (cell.type == FREEXL_CELL_INT) {
          head.Add(static_cast<int64_t>(cell.value.int_value));
        } else if (cell.type == FREEXL_CELL_DOUBLE) {
          head.Add(cell.value.double_value);
        } else {
          if (cell.value.text_value) text = cell.value.text_value;
          head.Add(static_cast<uint32_t>(text.size()));
        }
        out.PutBytes(head.bytes, head.size);
        if (!text.empty()) out.PutBytes(text.data(), text.size());
      }
    }
  }
  out.Put(xrEnd);
}

}  // namespace xls_values
