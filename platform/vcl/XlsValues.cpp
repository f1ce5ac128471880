#include "platform/vcl/XlsValues_p.h"

#include <fcntl.h>
#include <freexl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

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

// Whether the workbook's stream in the compound file at sysFileName has
// every sector its size asks for. The library reads a chain of sectors that
// loops, or ends before the stream does, as far as it goes and says nothing,
// so that a sheet's last rows are silently missing. Anything this check
// cannot make out is left to the library (true).
bool WorkbookStreamWhole(const std::string& sysFileName) {
  const int fd = ::open(sysFileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return true;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  auto u16 = [](const unsigned char* p) { return static_cast<uint32_t>(p[0] | (p[1] << 8)); };
  auto u32 = [&](const unsigned char* p) { return u16(p) | (u16(p + 2) << 16); };
  unsigned char header[512];
  struct stat st {};
  if (::fstat(fd, &st) != 0 || ::pread(fd, header, sizeof header, 0) != static_cast<ssize_t>(sizeof header) ||
      std::memcmp(header, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) != 0)
    return true;
  const uint32_t shift = u16(header + 0x1E);
  if (shift != 9 && shift != 12) return true;
  const size_t sectorSize = size_t{1} << shift;
  const uint64_t sectors = static_cast<uint64_t>(st.st_size) / sectorSize - 1;
  std::vector<unsigned char> sector(sectorSize);
  auto readSector = [&](uint32_t id) {
    return id < sectors &&
           ::pread(fd, sector.data(), sectorSize, static_cast<off_t>((uint64_t{id} + 1) * sectorSize)) ==
               static_cast<ssize_t>(sectorSize);
  };
  // The allocation table, from the sectors the header and its extension list.
  const uint32_t fatSectors = u32(header + 0x2C);
  std::vector<uint32_t> fatIds;
  for (int i = 0; i < 109 && fatIds.size() < fatSectors; ++i) fatIds.push_back(u32(header + 0x4C + 4 * i));
  uint32_t difat = u32(header + 0x44);
  for (uint32_t n = 0; fatIds.size() < fatSectors && n < sectors && readSector(difat); ++n) {
    for (size_t i = 0; i + 4 < sectorSize && fatIds.size() < fatSectors; i += 4) fatIds.push_back(u32(&sector[i]));
    difat = u32(&sector[sectorSize - 4]);
  }
  std::vector<uint32_t> fat;
  for (uint32_t id : fatIds) {
    if (!readSector(id)) return true;
    for (size_t i = 0; i < sectorSize; i += 4) fat.push_back(u32(&sector[i]));
  }
  // Follows a chain; calls each with every sector until it returns false.
  // False when the chain loops or ends (or leaves the file) first.
  std::vector<bool> seen(static_cast<size_t>(std::min<uint64_t>(sectors, fat.size())));
  auto walk = [&](uint32_t id, uint64_t count, const auto& each) {
    std::fill(seen.begin(), seen.end(), false);
    for (uint64_t n = 0; n < count; ++n) {
      if (id >= seen.size() || seen[id]) return false;
      seen[id] = true;
      if (!each(id)) return true;
      id = fat[id];
    }
    return true;
  };
  // The directory: the first stream named "Workbook" (or "Book", older).
  uint32_t start = 0, size = 0;
  bool found = false;
  walk(u32(header + 0x30), sectors, [&](uint32_t id) {
    if (!readSector(id)) return false;
    for (size_t e = 0; e + 128 <= sectorSize && !found; e += 128) {
      const unsigned char* entry = &sector[e];
      std::string name;
      for (uint32_t i = 0; i + 2 < std::min<uint32_t>(u16(entry + 0x40), 64); i += 2)
        name += static_cast<char>(std::toupper(entry[i]));
      if (entry[0x42] == 2 && (name == "WORKBOOK" || name == "BOOK")) {
        found = true;
        start = u32(entry + 0x74);
        size = u32(entry + 0x78);
      }
    }
    return !found;
  });
  // A small stream lies in the small-block area, which the library reads
  // another way; only a stream of whole sectors is checked.
  if (!found || size < u32(header + 0x38)) return true;
  return walk(start, (uint64_t{size} + sectorSize - 1) / sectorSize, [](uint32_t) { return true; });
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
    if (!WorkbookStreamWhole(sysFileName)) {
      out.Put(xrShort);
      out.Put(static_cast<uint32_t>(rows));
    }
  }
  out.Put(xrEnd);
}

}  // namespace xls_values
