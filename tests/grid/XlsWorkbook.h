// Writes a workbook of the older binary kind (".xls") from scratch: one
// sheet of numbers and texts in a compound file of 512-byte sectors. Enough
// of the format for the reader to take it as a spreadsheet program's file,
// so that tests and benchmarks make the workbooks they read, of any size,
// and can damage them at known places.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <variant>
#include <vector>

namespace xls_workbook {

struct TXlsCell {
  int Row = 0;  // 0-based
  int Col = 0;
  std::variant<double, std::string> Value;  // text as UTF-8, kept to Latin-1 and Hangul
};

namespace detail {

inline void Put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
inline void Record(std::string& s, unsigned type, const std::string& body) {
  Put16(s, type);
  Put16(s, static_cast<unsigned>(body.size()));
  s += body;
}

// UTF-8 into UTF-16 code units (the characters the tests use are all in
// the basic plane).
inline std::u16string Utf16(const std::string& utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char16_t>(c);
      i += 1;
    } else if (c < 0xE0) {
      out += static_cast<char16_t>(((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F));
      i += 2;
    } else {
      out += static_cast<char16_t>(((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F));
      i += 3;
    }
  }
  return out;
}

// A text of up to 255 characters with a two-byte count, stored as
// UTF-16 (flag 1).
inline std::string UnicodeText(const std::string& utf8, bool wideCount) {
  const std::u16string w = Utf16(utf8);
  std::string s;
  if (wideCount) Put16(s, static_cast<unsigned>(w.size()));
  else s += static_cast<char>(w.size());
  s += '\x01';
  for (char16_t c : w) Put16(s, c);
  return s;
}

inline std::string Bof(unsigned kind) {
  std::string b;
  Put16(b, 0x0600);  // BIFF8
  Put16(b, kind);    // 0x0005 globals, 0x0010 worksheet
  Put16(b, 0x0DBB);  // build
  Put16(b, 1996);    // year
  Put32(b, 0);
  Put32(b, 0x0006);
  return b;
}

inline std::string Sheet(const std::vector<TXlsCell>& cells) {
  int rows = 0, cols = 0;
  for (const TXlsCell& c : cells) {
    rows = std::max(rows, c.Row + 1);
    cols = std::max(cols, c.Col + 1);
  }
  std::string s;
  Record(s, 0x0809, Bof(0x0010));
  std::string dim;
  Put32(dim, 0);
  Put32(dim, static_cast<uint32_t>(rows));
  Put16(dim, 0);
  Put16(dim, static_cast<unsigned>(cols));
  Put16(dim, 0);
  Record(s, 0x0200, dim);  // DIMENSIONS
  for (const TXlsCell& c : cells) {
    std::string body;
    Put16(body, static_cast<unsigned>(c.Row));
    Put16(body, static_cast<unsigned>(c.Col));
    Put16(body, 15);  // the default cell format
    if (const double* number = std::get_if<double>(&c.Value)) {
      char bytes[8];
      std::memcpy(bytes, number, 8);
      body.append(bytes, 8);
      Record(s, 0x0203, body);  // NUMBER
    } else {
      body += UnicodeText(std::get<std::string>(c.Value), true);
      Record(s, 0x0204, body);  // LABEL
    }
  }
  Record(s, 0x000A, "");  // EOF
  return s;
}

// The workbook stream: globals (fonts and cell formats a reader expects,
// one sheet entry), then the sheet.
inline std::string WorkbookStream(const std::string& sheetName, const std::vector<TXlsCell>& cells) {
  std::string g;
  Record(g, 0x0809, Bof(0x0005));
  std::string codepage;
  Put16(codepage, 1200);
  Record(g, 0x0042, codepage);  // CODEPAGE: UTF-16
  std::string font;
  Put16(font, 200);     // height in twips
  Put16(font, 0);       // attributes
  Put16(font, 0x7FFF);  // colour
  Put16(font, 400);     // weight
  Put16(font, 0);       // escapement
  font += '\0';         // underline
  font += '\0';         // family
  font += '\0';         // character set
  font += '\0';
  font += UnicodeText("Arial", false);
  for (int i = 0; i < 5; ++i) Record(g, 0x0031, font);  // FONT (index 4 is skipped by readers)
  for (int i = 0; i < 16; ++i) {
    std::string xf;
    Put16(xf, 0);                  // font
    Put16(xf, 0);                  // number format: General
    Put16(xf, i < 15 ? 0xFFF5 : 0x0001);  // style formats, then one cell format
    Put16(xf, 0x0020);
    Put32(xf, 0);
    Put32(xf, 0);
    Put32(xf, 0);
    Put16(xf, 0x20C0);
    Record(g, 0x00E0, xf);  // XF
  }
  const size_t sheetEntry = g.size();
  std::string bound;
  Put32(bound, 0);  // the sheet's offset, set below
  Put16(bound, 0);  // visible worksheet
  bound += UnicodeText(sheetName, false);
  Record(g, 0x0085, bound);  // BOUNDSHEET
  Record(g, 0x000A, "");
  const uint32_t sheetOffset = static_cast<uint32_t>(g.size());
  for (int i = 0; i < 4; ++i) g[sheetEntry + 4 + i] = static_cast<char>((sheetOffset >> (8 * i)) & 0xFF);
  return g + Sheet(cells);
}

}  // namespace detail

// The whole file: the workbook stream in a compound file (header, the
// stream's sectors, the allocation table, one directory sector). Streams
// below 4096 bytes would belong in the small-stream area; the workbook is
// padded past that instead.
inline std::string XlsFile(const std::string& sheetName, const std::vector<TXlsCell>& cells) {
  using namespace detail;
  constexpr uint32_t kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE, kFatSector = 0xFFFFFFFD;
  std::string stream = WorkbookStream(sheetName, cells);
  if (stream.size() < 4096) stream.resize(4096, '\0');
  const uint32_t streamSize = static_cast<uint32_t>(stream.size());
  const uint32_t streamSectors = static_cast<uint32_t>((stream.size() + 511) / 512);
  // The allocation table covers the stream, itself and the directory.
  uint32_t fatSectors = 1;
  while ((streamSectors + fatSectors + 1) > fatSectors * 128) ++fatSectors;
  if (fatSectors > 109) return {};  // past what the header's table lists
  const uint32_t firstFat = streamSectors;
  const uint32_t dirSector = streamSectors + fatSectors;

  std::string out;
  out += std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  out += std::string(16, '\0');
  Put16(out, 0x003E);
  Put16(out, 0x0003);
  Put16(out, 0xFFFE);
  Put16(out, 9);  // 512-byte sectors
  Put16(out, 6);
  out += std::string(6, '\0');
  Put32(out, 0);  // directory sectors (version 3: 0)
  Put32(out, fatSectors);
  Put32(out, dirSector);
  Put32(out, 0);
  Put32(out, 4096);
  Put32(out, kEnd);  // no small-stream table
  Put32(out, 0);
  Put32(out, kEnd);  // no further table of table sectors
  Put32(out, 0);
  for (uint32_t i = 0; i < 109; ++i) Put32(out, i < fatSectors ? firstFat + i : kFree);

  stream.resize(static_cast<size_t>(streamSectors) * 512, '\0');
  out += stream;
  std::string fat;
  for (uint32_t i = 0; i < streamSectors; ++i) Put32(fat, i + 1 < streamSectors ? i + 1 : kEnd);
  for (uint32_t i = 0; i < fatSectors; ++i) Put32(fat, kFatSector);
  Put32(fat, kEnd);  // the directory
  fat.resize(static_cast<size_t>(fatSectors) * 512, '\xFF');
  out += fat;

  auto entry = [](const std::u16string& name, int type, uint32_t child, uint32_t start, uint32_t size) {
    std::string e;
    for (char16_t c : name) Put16(e, c);
    Put16(e, 0);
    e.resize(64, '\0');
    Put16(e, static_cast<unsigned>((name.size() + 1) * 2));
    e += static_cast<char>(type);
    e += '\x01';  // black
    Put32(e, kFree);
    Put32(e, kFree);
    Put32(e, child);
    e += std::string(16 + 4 + 16, '\0');  // class id, state bits, times
    Put32(e, start);
    Put32(e, size);
    Put32(e, 0);
    return e;
  };
  std::string dir = entry(u"Root Entry", 5, 1, kEnd, 0);
  dir += entry(u"Workbook", 2, kFree, 0, streamSize);
  dir.resize(512, '\0');
  // Unused entries are marked empty with no siblings.
  for (size_t e = 2; e < 4; ++e) {
    for (size_t k = 0; k < 12; ++k) dir[e * 128 + 0x44 + k] = '\xFF';
  }
  out += dir;
  return out;
}

}  // namespace xls_workbook
