// Spreadsheet files: ".xlsx" through libzip and Qt's XML stream reader,
// ".xls" through FreeXL.
//
// Sections:
//   Names ........ file kinds, column letters, cell names
//   Values ....... numbers, dates and times as texts
//   .xlsx ........ zip entries, workbook, relationships, shared strings, styles, sheet
//   .xls ......... FreeXL in a reading program of its own, its records
//   Entry ........ ReadSpreadsheet
#include "platform/vcl/SpreadsheetReader.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

#include <freexl.h>
#include <zip.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "platform/rtl/Cp949.h"
#include "platform/vcl/XlsValues_p.h"

// ------------------------------------------------------------ names

namespace {

using xls_values::kMaxSheetRow;
// No part of a workbook this program reads is larger; a bigger entry is a
// damaged file or a zip bomb, refused before it is inflated.
constexpr zip_uint64_t kMaxEntryBytes = 512ull << 20;
// More values than any grid of this program takes; refused while reading.
constexpr size_t kMaxSheetValues = 20'000'000;

bool EndsWithNoCase(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && SameText(s.substr(s.size() - tail.size()), tail);
}

}  // namespace

bool IsSpreadsheetFileName(std::string_view fileName) {
  return EndsWithNoCase(fileName, ".xls") || EndsWithNoCase(fileName, ".xlsx");
}

int SpreadsheetColumnNumber(std::string_view letters) {
  if (letters.empty() || letters.size() > 3) return 0;
  int n = 0;
  for (char c : letters) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c < 'A' || c > 'Z') return 0;
    n = n * 26 + (c - 'A' + 1);
  }
  return n;
}

bool ParseSpreadsheetCellName(std::string_view name, int& col, int& row) {
  size_t i = 0;
  if (i < name.size() && name[i] == '$') ++i;
  const size_t lettersStart = i;
  while (i < name.size() && ((name[i] >= 'A' && name[i] <= 'Z') || (name[i] >= 'a' && name[i] <= 'z'))) ++i;
  const int c = SpreadsheetColumnNumber(name.substr(lettersStart, i - lettersStart));
  if (c == 0) return false;
  if (i < name.size() && name[i] == '$') ++i;
  if (i >= name.size()) return false;
  Int64 r = 0;
  for (; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
    r = r * 10 + (name[i] - '0');
    if (r > kMaxSheetRow) return false;
  }
  if (r < 1) return false;
  col = c;
  row = static_cast<int>(r);
  return true;
}

// ------------------------------------------------------------ values

namespace {

// The user reads these: the file named, then what is wrong with it.
[[noreturn]] void Damaged(const AnsiString& fileName, const AnsiString& what) {
  throw ESpreadsheetError(Format("%s 파일이 손상되어 읽을 수 없습니다.\r%s"_k, {fileName, what}));
}

AnsiString TextOf(const QString& s) {
  const std::u16string wide(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size()));
  return Utf16ToCp949(wide);
}

// A serial date (days since 1899-12-30, the same origin as TDateTime) as the
// texts a program gets for a date value: the date alone at midnight, the
// time alone before the first day, else both.
AnsiString DateTimeText(double serial) {
  const TDateTime value = serial;
  if (value == std::floor(value)) return DateToStr(value);
  if (std::fabs(value) < 1.0) return TimeToStr(value);
  return DateTimeToStr(value);
}

AnsiString NumberText(double value) { return FloatToStr(value); }

// Whether a number format shows a date or a time: the built-in ones, and
// custom codes with date or time letters outside quotes, escapes and
// bracketed colours or conditions.
bool IsDateFormatCode(std::string_view code) {
  bool quoted = false;
  for (size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (quoted) {
      if (c == '"') quoted = false;
      continue;
    }
    if (c == '"') {
      quoted = true;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;
    } else if (c == '[') {
      const size_t close = code.find(']', i);
      if (close == std::string_view::npos) return false;
      // Elapsed-time codes ([h], [mm], [ss]) are times.
      const std::string_view inner = code.substr(i + 1, close - i - 1);
      if (!inner.empty() && (inner[0] == 'h' || inner[0] == 'H' || inner[0] == 'm' || inner[0] == 'M' ||
                             inner[0] == 's' || inner[0] == 'S'))
        return true;
      i = close;
    } else if (c == 'd' || c == 'D' || c == 'y' || c == 'Y' || c == 'h' || c == 'H' || c == 's' ||
               c == 'S' || c == 'm' || c == 'M') {
      return true;
    } else if (c == ';') {
      break;  // the first section decides
    }
  }
  return false;
}

bool IsBuiltInDateFormat(int id) { return (id >= 14 && id <= 22) || (id >= 45 && id <= 47) || (id >= 27 && id <= 36) || (id >= 50 && id <= 58); }

// ------------------------------------------------------------ .xlsx

struct TZip {
  zip_t* zip = nullptr;
  ~TZip() {
    if (zip) zip_discard(zip);
  }
};

// The entry's bytes; false when the archive has no such entry.
bool ReadEntry(zip_t* zip, const AnsiString& fileName, const std::string& entry, QByteArray& bytes) {
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat(zip, entry.c_str(), ZIP_FL_NOCASE, &st) != 0) return false;
  if (!(st.valid & ZIP_STAT_SIZE) || st.size > kMaxEntryBytes) Damaged(fileName, entry + " 부분이 너무 큽니다."_k);
  std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(zip_fopen(zip, entry.c_str(), ZIP_FL_NOCASE), zip_fclose);
  if (!file) Damaged(fileName, entry + " 부분을 열 수 없습니다."_k);
  bytes.resize(static_cast<qsizetype>(st.size));
  zip_uint64_t done = 0;
  while (done < st.size) {
    const zip_int64_t n = zip_fread(file.get(), bytes.data() + done, st.size - done);
    if (n <= 0) Damaged(fileName, entry + " 부분이 손상되었습니다."_k);
    done += static_cast<zip_uint64_t>(n);
  }
  return true;
}

void CheckXml(const QXmlStreamReader& xml, const AnsiString& fileName, const std::string& entry) {
  if (xml.hasError())
    Damaged(fileName, entry + " 부분의 XML 형식이 잘못되었습니다. ("_k + TextOf(xml.errorString()) + ")");
}

// The text of the current element and of every element inside it, up to
// its end. Read in a loop, never by recursion: a part may nest elements as
// deep as it likes.
QString ElementText(QXmlStreamReader& xml) {
  QString text;
  for (long depth = 1; depth > 0 && !xml.atEnd();) {
    xml.readNext();
    if (xml.isStartElement()) ++depth;
    else if (xml.isEndElement()) --depth;
    else if (xml.isCharacters() || xml.isEntityReference()) text += xml.text();
  }
  return text;
}

// The text of the current element up to its end, the text of every <t>
// inside it joined (phonetic runs left out).
QString CollectText(QXmlStreamReader& xml) {
  QString text;
  long depth = 1;
  long skipDepth = 0;
  while (depth > 0 && !xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      ++depth;
      if (!skipDepth && xml.name() == u"rPh") skipDepth = depth;
      if (!skipDepth && xml.name() == u"t") text += ElementText(xml), --depth;
    } else if (xml.isEndElement()) {
      if (skipDepth == depth) skipDepth = 0;
      --depth;
    }
  }
  return text;
}

struct TWorkbookSheet {
  QString name;
  QString relId;
};

// "worksheets/sheet1.xml" relative to xl/, or an absolute "/xl/...".
std::string ResolveTarget(const QString& target) {
  std::string t = target.toStdString();
  if (!t.empty() && t[0] == '/') return t.substr(1);
  std::string base = "xl/";
  while (t.rfind("../", 0) == 0) {
    t = t.substr(3);
    base.clear();
  }
  return base + t;
}

void ReadXlsx(const AnsiString& fileName, const AnsiString& sheetName, TSpreadsheetBlock& block, bool& found) {
  TZip archive;
  int error = 0;
  archive.zip = zip_open(SysFileName(fileName).c_str(), ZIP_RDONLY, &error);
  if (!archive.zip) {
    if (error == ZIP_ER_OPEN || error == ZIP_ER_NOENT || error == ZIP_ER_READ)
      throw EFOpenError("Cannot open file \"" + fileName + "\". " + SysErrorMessage(errno));
    Damaged(fileName, "압축(zip) 파일이 아닙니다."_k);
  }
  zip_t* zip = archive.zip;

  // Workbook: the sheets in order and the date system.
  QByteArray bytes;
  if (!ReadEntry(zip, fileName, "xl/workbook.xml", bytes)) Damaged(fileName, "통합 문서가 들어 있지 않습니다."_k);
  std::vector<TWorkbookSheet> sheets;
  double dateOffset = 0;
  {
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
      xml.readNext();
      if (!xml.isStartElement()) continue;
      if (xml.name() == u"sheet") {
        TWorkbookSheet s;
        s.name = xml.attributes().value("name").toString();
        for (const QXmlStreamAttribute& a : xml.attributes())
          if (a.name() == u"id") s.relId = a.value().toString();
        sheets.push_back(s);
      } else if (xml.name() == u"workbookPr") {
        const QString d = xml.attributes().value("date1904").toString();
        if (d == u"1" || d == u"true") dateOffset = 1462;
      }
    }
    CheckXml(xml, fileName, "xl/workbook.xml");
  }
  if (sheets.empty()) Damaged(fileName, "통합 문서에 시트가 없습니다."_k);
  const TWorkbookSheet* sheet = nullptr;
  if (sheetName.empty()) {
    sheet = &sheets.front();
  } else {
    for (const TWorkbookSheet& s : sheets)
      if (TextOf(s.name) == sheetName) sheet = &s;
  }
  if (!sheet) {
    found = false;
    return;
  }
  block.SheetName = TextOf(sheet->name);

  // Relationships: the sheet's part.
  std::string sheetPart;
  if (ReadEntry(zip, fileName, "xl/_rels/workbook.xml.rels", bytes)) {
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement() && xml.name() == u"Relationship" &&
          xml.attributes().value("Id") == sheet->relId)
        sheetPart = ResolveTarget(xml.attributes().value("Target").toString());
    }
    CheckXml(xml, fileName, "xl/_rels/workbook.xml.rels");
  }
  if (sheetPart.empty()) Damaged(fileName, "\"" + block.SheetName + "\" 시트의 내용이 없습니다."_k);

  // Shared strings.
  std::vector<AnsiString> shared;
  if (ReadEntry(zip, fileName, "xl/sharedStrings.xml", bytes)) {
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement() && xml.name() == u"si") shared.push_back(TextOf(CollectText(xml)));
    }
    CheckXml(xml, fileName, "xl/sharedStrings.xml");
  }

  // Styles: which cell formats show dates.
  std::vector<char> dateStyle;
  if (ReadEntry(zip, fileName, "xl/styles.xml", bytes)) {
    std::map<int, bool> customDate;
    QXmlStreamReader xml(bytes);
    bool inCellXfs = false;
    while (!xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement()) {
        if (xml.name() == u"numFmt") {
          customDate[xml.attributes().value("numFmtId").toInt()] =
              IsDateFormatCode(xml.attributes().value("formatCode").toString().toStdString());
        } else if (xml.name() == u"cellXfs") {
          inCellXfs = true;
        } else if (inCellXfs && xml.name() == u"xf") {
          const int id = xml.attributes().value("numFmtId").toInt();
          auto it = customDate.find(id);
          dateStyle.push_back(it != customDate.end() ? it->second : IsBuiltInDateFormat(id));
        }
      } else if (xml.isEndElement() && xml.name() == u"cellXfs") {
        inCellXfs = false;
      }
    }
    CheckXml(xml, fileName, "xl/styles.xml");
  }

  if (!ReadEntry(zip, fileName, sheetPart, bytes)) Damaged(fileName, sheetPart + " 부분이 없습니다."_k);
  QXmlStreamReader xml(bytes);
  int row = 0;
  int col = 0;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    if (xml.name() == u"row") {
      const QString r = xml.attributes().value("r").toString();
      bool ok = false;
      const int n = r.isEmpty() ? row + 1 : r.toInt(&ok);
      if (!r.isEmpty() && (!ok || n < 1 || n > kMaxSheetRow)) Damaged(fileName, "행 번호가 범위를 벗어났습니다."_k);
      row = n;
      col = 0;
      continue;
    }
    if (xml.name() != u"c") continue;
    const QXmlStreamAttributes attrs = xml.attributes();
    const QString ref = attrs.value("r").toString();
    if (!ref.isEmpty()) {
      int c = 0, r = 0;
      if (!ParseSpreadsheetCellName(ref.toStdString(), c, r)) Damaged(fileName, "셀 이름이 잘못되었습니다."_k);
      col = c;
      row = r;
    } else {
      ++col;
      if (row == 0) row = 1;
    }
    const QString type = attrs.value("t").toString();
    const int style = attrs.value("s").toInt();
    QString value;
    QString inlineText;
    bool hasValue = false, hasInline = false;
    long depth = 1;
    while (depth > 0 && !xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement()) {
        if (xml.name() == u"v") {
          value = ElementText(xml);
          // A value that is empty (a formula whose result was never
          // stored) leaves the cell empty; blanks are a text's own.
          hasValue = type == u"str" ? !value.isEmpty() : !value.trimmed().isEmpty();
        } else if (xml.name() == u"is") {
          inlineText = CollectText(xml);
          hasInline = true;
        } else {
          ++depth;
        }
      } else if (xml.isEndElement()) {
        --depth;
      }
    }
    AnsiString text;
    bool present = false;
    if (type == u"s") {
      bool ok = false;
      const qlonglong index = value.toLongLong(&ok);
      if (hasValue) {
        if (!ok || index < 0 || static_cast<size_t>(index) >= shared.size())
          Damaged(fileName, "셀이 가리키는 공유 문자열이 없습니다."_k);
        text = shared[static_cast<size_t>(index)];
        present = true;
      }
    } else if (type == u"inlineStr") {
      if (hasInline) text = TextOf(inlineText), present = true;
    } else if (type == u"str") {
      if (hasValue) text = TextOf(value), present = true;
    } else if (type == u"b") {
      if (hasValue) text = value.trimmed() == u"1" ? "TRUE" : "FALSE", present = true;
    } else if (type == u"e") {
      present = false;  // error values leave their cell alone
    } else if (type == u"d") {
      if (hasValue) text = TextOf(value), present = true;
    } else if (hasValue) {
      bool ok = false;
      const double number = value.toDouble(&ok);
      if (!ok || !std::isfinite(number)) Damaged(fileName, "숫자 셀에 숫자가 없습니다."_k);
      const bool isDate = style >= 0 && static_cast<size_t>(style) < dateStyle.size() && dateStyle[static_cast<size_t>(style)];
      // A time of day alone (under one day) reads the same in both date systems.
      const double serial = std::fabs(number) < 1.0 && number != 0 ? number : number + dateOffset;
      text = isDate ? DateTimeText(serial) : NumberText(number);
      present = true;
    }
    if (present && !text.empty()) {
      if (block.Values.size() >= kMaxSheetValues) Damaged(fileName, "시트의 셀이 너무 많습니다."_k);
      block.Values.push_back({col, row, std::move(text)});
    }
  }
  CheckXml(xml, fileName, sheetPart);
  found = true;
}

// ------------------------------------------------------------ .xls
//
// The .xls library crashes and over-reads on some damaged files, and no
// check of ours reaches inside it. It therefore runs in a program of its own
// (vidrena_xls, beside the executable): that opens the workbook, writes the
// chosen sheet's values to a pipe as records and ends; this process reads the
// pipe under a time limit and converts the values while the reader still
// reads. A reader that crashes, hangs or stops before its last record turns
// into the error "<file> 파일을 읽을 수 없습니다", and the window with its
// catalogue goes on.
//
//   ReadXls -> TXlsReaderProcess: posix_spawn vidrena_xls -> xls_values::ReadValues (pipe)
//           -> Read: poll / read under the time limit -> TXlsDecoder.Feed
//           -> waitpid; the reader is killed on any error

using namespace xls_values;

[[noreturn]] void Unreadable(const AnsiString& fileName) {
  throw ESpreadsheetError(fileName + " 파일을 읽을 수 없습니다."_k);
}

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS" as the locale's texts.
AnsiString XlsDateText(const std::string& text, int type) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  TDateTime value = 0;
  if (type == FREEXL_CELL_TIME) {
    if (std::sscanf(text.c_str(), "%d:%d:%d", &h, &mi, &s) != 3) return text;
    TDateTime t;
    if (!TryEncodeTime(static_cast<Word>(h), static_cast<Word>(mi), static_cast<Word>(s), 0, t)) return text;
    return TimeToStr(t);
  }
  const int n = std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
  if (n < 3 || !TryEncodeDate(static_cast<Word>(y), static_cast<Word>(mo), static_cast<Word>(d), value)) return text;
  if (type == FREEXL_CELL_DATETIME && n == 6) {
    TDateTime t;
    if (TryEncodeTime(static_cast<Word>(h), static_cast<Word>(mi), static_cast<Word>(s), 0, t)) value += t;
  }
  return DateTimeText(value);
}

// Turns the records of ReadXlsValues into the block as they arrive, so that
// the texts are converted while the reading process still works.
class TXlsDecoder {
 public:
  TXlsDecoder(const AnsiString& fileName, TSpreadsheetBlock& block) : fileName_(fileName), block_(block) {}

  // Decodes the whole records at the front of bytes and drops them; a record
  // cut short stays for the next call.
  void Feed(std::string& bytes) {
    size_t at = 0;
    while (!ended_ && at < bytes.size()) {
      const size_t used = One(std::string_view(bytes).substr(at));
      if (used == 0) break;
      at += used;
    }
    bytes.erase(0, at);
  }
  // Whether the last record came: every value is there.
  bool Ended() const { return ended_; }
  bool Found() const { return found_; }
  // The rows the sheet claims when the file ends before them, else 0.
  int ClaimedRows() const { return claimedRows_; }

 private:
  // Reads fixed-size fields and texts off the front of a record.
  struct TCursor {
    std::string_view rest;
    size_t at = 0;
    bool whole = true;
    template <class T>
    T Take() {
      T value{};
      if (rest.size() - at < sizeof value) {
        whole = false;
        return value;
      }
      std::memcpy(&value, rest.data() + at, sizeof value);
      at += sizeof value;
      return value;
    }
    std::string_view Text() {
      const auto size = Take<uint32_t>();
      if (!whole || rest.size() - at < size) {
        whole = false;
        return {};
      }
      const std::string_view t = rest.substr(at, size);
      at += size;
      return t;
    }
  };

  // The size of the record at the front of rest once decoded; 0 when it has
  // not arrived whole.
  size_t One(std::string_view rest) {
    TCursor in{rest};
    const char kind = in.Take<char>();
    switch (kind) {
      case xrEnd: ended_ = true; return in.at;
      case xrNoSheet: found_ = false; return in.at;
      case xrSheet: {
        const std::string_view name = in.Text();
        if (!in.whole) return 0;
        block_.SheetName = Utf8ToCp949(name);
        return in.at;
      }
      case xrFailure: {
        const auto failure = in.Take<int32_t>();
        const auto code = in.Take<int32_t>();
        if (!in.whole) return 0;
        Fail(failure, code);
      }
      case xrShort: {
        const auto rows = in.Take<uint32_t>();
        if (!in.whole) return 0;
        claimedRows_ = static_cast<int>(std::min<uint32_t>(rows, kMaxSheetRow));
        return in.at;
      }
      case xrCell: break;
      default: Unreadable(fileName_);
    }
    const auto row = in.Take<uint32_t>();
    const auto col = in.Take<uint16_t>();
    const auto type = in.Take<int32_t>();
    AnsiString value;
    if (type == FREEXL_CELL_INT) {
      const auto n = in.Take<int64_t>();
      if (in.whole) value = IntToStr(n);
    } else if (type == FREEXL_CELL_DOUBLE) {
      const auto d = in.Take<double>();
      if (in.whole && std::isfinite(d)) value = NumberText(d);
    } else if (type == FREEXL_CELL_TEXT || type == FREEXL_CELL_SST_TEXT) {
      const std::string_view text = in.Text();
      if (in.whole) value = Utf8ToCp949(text);
    } else if (type == FREEXL_CELL_DATE || type == FREEXL_CELL_DATETIME || type == FREEXL_CELL_TIME) {
      const std::string_view text = in.Text();
      if (in.whole) value = XlsDateText(std::string(text), type);
    } else if (in.whole) {
      Unreadable(fileName_);
    }
    if (!in.whole) return 0;
    if (row >= static_cast<uint32_t>(kMaxSheetRow)) Unreadable(fileName_);
    if (!value.empty()) {
      if (block_.Values.size() >= kMaxSheetValues) Damaged(fileName_, "시트의 셀이 너무 많습니다."_k);
      block_.Values.push_back({static_cast<int>(col) + 1, static_cast<int>(row) + 1, std::move(value)});
    }
    return in.at;
  }

  [[noreturn]] void Fail(int32_t failure, int32_t code) {
    switch (failure) {
      case xfMissing: throw EFOpenError("Cannot open file \"" + fileName_ + "\". " + SysErrorMessage(ENOENT));
      case xfNotWorkbook: Damaged(fileName_, "Excel 97-2003 통합 문서가 아닙니다. (오류 "_k + IntToStr(code) + ")");
      case xfNoSheet: Damaged(fileName_, "통합 문서에 시트가 없습니다."_k);
      case xfSheetUnreadable: Damaged(fileName_, "\"" + block_.SheetName + "\" 시트를 읽을 수 없습니다."_k);
      case xfNoSize: Damaged(fileName_, "\"" + block_.SheetName + "\" 시트의 크기를 알 수 없습니다."_k);
      case xfTooManyRows: Damaged(fileName_, "시트의 행이 너무 많습니다."_k);
      default: Unreadable(fileName_);
    }
  }

  const AnsiString& fileName_;
  TSpreadsheetBlock& block_;
  bool ended_ = false;
  bool found_ = true;
  int claimedRows_ = 0;
};

// The reading program: where this program's executable is, else where the
// build put it (tests and benchmarks run from other folders).
std::string XlsReaderProgram() {
  if (!XlsReaderHooks().ReaderProgram.empty()) return XlsReaderHooks().ReaderProgram;
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    std::string beside(exe, static_cast<size_t>(n));
    beside.resize(beside.rfind('/') + 1);
    beside += "vidrena_xls";
    if (::access(beside.c_str(), X_OK) == 0) return beside;
  }
#ifdef VIDRENA_XLS_READER
  return VIDRENA_XLS_READER;
#else
  return {};
#endif
}

// This process's environment for the reader, its heap in huge pages where
// the system allows them: a fresh process touches some four times the file's
// size, and faulting that in page by page costs a large part of the read.
std::vector<std::string> ReaderEnvironment() {
  static const std::string kTunables = "GLIBC_TUNABLES=";
  static const std::string kHugeHeap = "glibc.malloc.hugetlb=1";
  std::vector<std::string> environment;
  bool tuned = false;
  for (char** e = environ; *e; ++e) {
    environment.emplace_back(*e);
    if (environment.back().starts_with(kTunables)) {
      environment.back() += (environment.back().size() > kTunables.size() ? ":" : "") + kHugeHeap;
      tuned = true;
    }
  }
  if (!tuned) environment.push_back(kTunables + kHugeHeap);
  return environment;
}

// A reading process: killed and reaped however the read ends.
class TXlsReaderProcess {
 public:
  TXlsReaderProcess(const AnsiString& fileName, const std::string& sysFileName, const std::string& sheetUtf8)
      : fileName_(fileName) {
    const std::string program = XlsReaderProgram();
    if (program.empty()) Unreadable(fileName);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) Unreadable(fileName);
    // A pipe that holds a large part of a sheet lets the reader go on while
    // this process converts, instead of waking it block by block; where the
    // system refuses the size, the smaller pipe does as well, only slower.
    ::fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);
    // The reader gets the pipe as its output, nothing to read and none of
    // this process's other files.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    const std::vector<std::string> environment = ReaderEnvironment();
    std::vector<char*> envp;
    for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const std::string parent = std::to_string(::getpid());
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(sysFileName.c_str()),
                    const_cast<char*>(sheetUtf8.c_str()), const_cast<char*>(parent.c_str()), nullptr};
    const int spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
      pid_ = -1;
      ::close(fds[0]);
      Unreadable(fileName);
    }
    fd_ = fds[0];
  }
  ~TXlsReaderProcess() {
    if (fd_ >= 0) ::close(fd_);
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Reap();
    }
  }
  TXlsReaderProcess(const TXlsReaderProcess&) = delete;
  TXlsReaderProcess& operator=(const TXlsReaderProcess&) = delete;

  // Hands what the pipe brings to decoder until the pipe closes; raises the
  // unreadable error when the time limit passes first.
  void Read(TXlsDecoder& decoder) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(XlsReaderHooks().TimeLimitMs);
    std::string bytes;
    std::vector<char> buffer(size_t{256} << 10);
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) Unreadable(fileName_);
      pollfd p{fd_, POLLIN, 0};
      const int ready = ::poll(&p, 1, static_cast<int>(std::min<Int64>(left.count(), 1000)));
      if (ready < 0 && errno != EINTR) Unreadable(fileName_);
      if (ready <= 0) continue;
      const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        Unreadable(fileName_);
      }
      bytes.append(buffer.data(), static_cast<size_t>(n));
      decoder.Feed(bytes);
    }
    ::close(fd_);
    fd_ = -1;
    // The values are complete only when the end record came and the
    // process ended normally.
    if (!decoder.Ended() || !bytes.empty()) Unreadable(fileName_);
    const int status = Reap();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Unreadable(fileName_);
  }

 private:
  int Reap() {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return status;
  }

  const AnsiString& fileName_;
  pid_t pid_ = -1;
  int fd_ = -1;
};

void ReadXls(const AnsiString& fileName, const AnsiString& sheetName, TSpreadsheetBlock& block, bool& found,
             int& claimedRows) {
  if (!FileExists(fileName)) throw EFOpenError("Cannot open file \"" + fileName + "\". " + SysErrorMessage(ENOENT));
  const std::string sysFileName = SysFileName(fileName);
  const std::string sheetUtf8 = Cp949ToUtf8(sheetName);
  TXlsDecoder decoder(fileName, block);
  if (XlsReaderHooks().InThisProcess) {
    TRecords records;
    ReadValues(sysFileName, sheetUtf8, records);
    decoder.Feed(records.Bytes());
  } else {
    TXlsReaderProcess reader(fileName, sysFileName, sheetUtf8);
    reader.Read(decoder);
  }
  found = decoder.Found();
  claimedRows = decoder.ClaimedRows();
}

}  // namespace

// ------------------------------------------------------------ entry

TXlsReaderHooks& XlsReaderHooks() {
  static TXlsReaderHooks hooks;
  return hooks;
}

bool ReadSpreadsheet(const AnsiString& fileName, const AnsiString& sheetName, TSpreadsheetBlock& block) {
  block = TSpreadsheetBlock();
  bool found = false;
  int claimedRows = 0;
  if (EndsWithNoCase(fileName, ".xlsx")) ReadXlsx(fileName, sheetName, block, found);
  else if (EndsWithNoCase(fileName, ".xls")) ReadXls(fileName, sheetName, block, found, claimedRows);
  else throw ESpreadsheetError(fileName + " 파일은 이 프로그램이 읽는 스프레드시트(.xls, .xlsx)가 아닙니다."_k);
  if (!found) return false;
  // Readers mostly deliver the values row by row already; sorting them again
  // would cost as much as converting them.
  const auto byPlace = [](const TSpreadsheetValue& a, const TSpreadsheetValue& b) {
    return a.Row != b.Row ? a.Row < b.Row : a.Col < b.Col;
  };
  if (!std::is_sorted(block.Values.begin(), block.Values.end(), byPlace))
    std::stable_sort(block.Values.begin(), block.Values.end(), byPlace);
  for (const TSpreadsheetValue& v : block.Values) {
    if (block.FirstCol == 0 || v.Col < block.FirstCol) block.FirstCol = v.Col;
    if (block.LastCol == 0 || v.Col > block.LastCol) block.LastCol = v.Col;
    if (block.FirstRow == 0 || v.Row < block.FirstRow) block.FirstRow = v.Row;
    if (block.LastRow == 0 || v.Row > block.LastRow) block.LastRow = v.Row;
  }
  if (claimedRows > 0)
    block.Shortfall = Format("%s 파일이 손상되어 시트의 %d행 중 %d행까지만 읽었습니다."_k,
                             {fileName, claimedRows, block.LastRow});
  return true;
}
