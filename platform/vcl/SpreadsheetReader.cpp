// Spreadsheet files: ".xlsx" through libzip and Qt's XML stream reader,
// ".xls" through FreeXL.
//
// Sections:
//   Names ........ file kinds, column letters, cell names
//   Values ....... numbers, dates and times as texts
//   .xlsx ........ zip entries, workbook, relationships, shared strings, styles, sheet
//   .xls ......... FreeXL
//   Entry ........ ReadSpreadsheet
#include "platform/vcl/SpreadsheetReader.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

#include <freexl.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <map>
#include <memory>

#include "platform/rtl/Cp949.h"

// ------------------------------------------------------------ names

namespace {

// A row number past what any spreadsheet program writes marks a damaged file.
constexpr int kMaxSheetRow = 16'777'216;
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

[[noreturn]] void Damaged(const AnsiString& fileName, const AnsiString& what) {
  throw ESpreadsheetError("The spreadsheet " + fileName + " cannot be read: " + what);
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
  if (!(st.valid & ZIP_STAT_SIZE) || st.size > kMaxEntryBytes) Damaged(fileName, "the part " + entry + " is too large");
  std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(zip_fopen(zip, entry.c_str(), ZIP_FL_NOCASE), zip_fclose);
  if (!file) Damaged(fileName, "the part " + entry + " cannot be opened");
  bytes.resize(static_cast<qsizetype>(st.size));
  zip_uint64_t done = 0;
  while (done < st.size) {
    const zip_int64_t n = zip_fread(file.get(), bytes.data() + done, st.size - done);
    if (n <= 0) Damaged(fileName, "the part " + entry + " is damaged");
    done += static_cast<zip_uint64_t>(n);
  }
  return true;
}

void CheckXml(const QXmlStreamReader& xml, const AnsiString& fileName, const std::string& entry) {
  if (xml.hasError())
    Damaged(fileName, "the part " + entry + " is not well-formed XML (" + TextOf(xml.errorString()) + ")");
}

// The text of the current element up to its end, the text of every <t>
// inside it joined (phonetic runs left out).
QString CollectText(QXmlStreamReader& xml) {
  QString text;
  int depth = 1;
  int skipDepth = 0;
  while (depth > 0 && !xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      ++depth;
      if (!skipDepth && xml.name() == u"rPh") skipDepth = depth;
      if (!skipDepth && xml.name() == u"t") text += xml.readElementText(QXmlStreamReader::IncludeChildElements), --depth;
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
    Damaged(fileName, "it is not a zip archive");
  }
  zip_t* zip = archive.zip;

  // Workbook: the sheets in order and the date system.
  QByteArray bytes;
  if (!ReadEntry(zip, fileName, "xl/workbook.xml", bytes)) Damaged(fileName, "it holds no workbook");
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
  if (sheets.empty()) Damaged(fileName, "the workbook lists no sheet");
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
  if (sheetPart.empty()) Damaged(fileName, "the sheet " + block.SheetName + " has no part");

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

  if (!ReadEntry(zip, fileName, sheetPart, bytes)) Damaged(fileName, "the part " + sheetPart + " is missing");
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
      if (!r.isEmpty() && (!ok || n < 1 || n > kMaxSheetRow)) Damaged(fileName, "a row number is out of range");
      row = n;
      col = 0;
      continue;
    }
    if (xml.name() != u"c") continue;
    const QXmlStreamAttributes attrs = xml.attributes();
    const QString ref = attrs.value("r").toString();
    if (!ref.isEmpty()) {
      int c = 0, r = 0;
      if (!ParseSpreadsheetCellName(ref.toStdString(), c, r)) Damaged(fileName, "a cell name is not valid");
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
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement()) {
        if (xml.name() == u"v") {
          value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
          hasValue = true;
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
          Damaged(fileName, "a cell names a shared text that is not there");
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
      if (!ok || !std::isfinite(number)) Damaged(fileName, "a number cell holds no number");
      const bool isDate = style >= 0 && static_cast<size_t>(style) < dateStyle.size() && dateStyle[static_cast<size_t>(style)];
      text = isDate ? DateTimeText(number + dateOffset) : NumberText(number);
      present = true;
    }
    if (present && !text.empty()) {
      if (block.Values.size() >= kMaxSheetValues) Damaged(fileName, "the sheet holds too many cells");
      block.Values.push_back({col, row, std::move(text)});
    }
  }
  CheckXml(xml, fileName, sheetPart);
  found = true;
}

// ------------------------------------------------------------ .xls

struct TXls {
  const void* handle = nullptr;
  ~TXls() {
    if (handle) freexl_close(handle);
  }
};

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS" as the locale's texts.
AnsiString XlsDateText(const char* text, int type) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  TDateTime value = 0;
  if (type == FREEXL_CELL_TIME) {
    if (std::sscanf(text, "%d:%d:%d", &h, &mi, &s) != 3) return text;
    TDateTime t;
    if (!TryEncodeTime(static_cast<Word>(h), static_cast<Word>(mi), static_cast<Word>(s), 0, t)) return text;
    return TimeToStr(t);
  }
  const int n = std::sscanf(text, "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
  if (n < 3 || !TryEncodeDate(static_cast<Word>(y), static_cast<Word>(mo), static_cast<Word>(d), value)) return text;
  if (type == FREEXL_CELL_DATETIME && n == 6) {
    TDateTime t;
    if (TryEncodeTime(static_cast<Word>(h), static_cast<Word>(mi), static_cast<Word>(s), 0, t)) value += t;
  }
  return DateTimeText(value);
}

void ReadXls(const AnsiString& fileName, const AnsiString& sheetName, TSpreadsheetBlock& block, bool& found) {
  if (!FileExists(fileName)) throw EFOpenError("Cannot open file \"" + fileName + "\". " + SysErrorMessage(ENOENT));
  TXls xls;
  const int opened = freexl_open(SysFileName(fileName).c_str(), &xls.handle);
  if (opened != FREEXL_OK) {
    if (opened == FREEXL_FILE_NOT_FOUND)
      throw EFOpenError("Cannot open file \"" + fileName + "\". " + SysErrorMessage(ENOENT));
    Damaged(fileName, "it is not a workbook of the older binary kind (" + IntToStr(opened) + ")");
  }
  unsigned int sheetCount = 0;
  if (freexl_get_info(xls.handle, FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK || sheetCount == 0)
    Damaged(fileName, "the workbook lists no sheet");
  int index = -1;
  for (unsigned int i = 0; i < sheetCount && i < 65535; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(xls.handle, static_cast<unsigned short>(i), &name) != FREEXL_OK) continue;
    const AnsiString text = name ? Utf8ToCp949(name) : AnsiString();
    if (sheetName.empty() || text == sheetName) {
      index = static_cast<int>(i);
      block.SheetName = text;
      break;
    }
  }
  if (index < 0) {
    found = false;
    return;
  }
  if (freexl_select_active_worksheet(xls.handle, static_cast<unsigned short>(index)) != FREEXL_OK)
    Damaged(fileName, "the sheet " + block.SheetName + " cannot be read");
  unsigned int rows = 0;
  unsigned short cols = 0;
  if (freexl_worksheet_dimensions(xls.handle, &rows, &cols) != FREEXL_OK)
    Damaged(fileName, "the sheet " + block.SheetName + " has no size");
  if (rows > static_cast<unsigned int>(kMaxSheetRow)) Damaged(fileName, "the sheet claims too many rows");
  for (unsigned int r = 0; r < rows; ++r) {
    for (unsigned short c = 0; c < cols; ++c) {
      FreeXL_CellValue cell;
      if (freexl_get_cell_value(xls.handle, r, c, &cell) != FREEXL_OK) continue;
      AnsiString text;
      switch (cell.type) {
        case FREEXL_CELL_INT: text = IntToStr(cell.value.int_value); break;
        case FREEXL_CELL_DOUBLE:
          if (!std::isfinite(cell.value.double_value)) continue;
          text = NumberText(cell.value.double_value);
          break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
          text = cell.value.text_value ? Utf8ToCp949(cell.value.text_value) : AnsiString();
          break;
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
          if (!cell.value.text_value) continue;
          text = XlsDateText(cell.value.text_value, cell.type);
          break;
        default: continue;
      }
      if (!text.empty()) block.Values.push_back({static_cast<int>(c) + 1, static_cast<int>(r) + 1, std::move(text)});
    }
  }
  found = true;
}

}  // namespace

// ------------------------------------------------------------ entry

bool ReadSpreadsheet(const AnsiString& fileName, const AnsiString& sheetName, TSpreadsheetBlock& block) {
  block = TSpreadsheetBlock();
  bool found = false;
  if (EndsWithNoCase(fileName, ".xlsx")) ReadXlsx(fileName, sheetName, block, found);
  else if (EndsWithNoCase(fileName, ".xls")) ReadXls(fileName, sheetName, block, found);
  else throw ESpreadsheetError("The file " + fileName + " is no spreadsheet this program reads (.xls, .xlsx)");
  if (!found) return false;
  std::stable_sort(block.Values.begin(), block.Values.end(), [](const TSpreadsheetValue& a, const TSpreadsheetValue& b) {
    return a.Row != b.Row ? a.Row < b.Row : a.Col < b.Col;
  });
  for (const TSpreadsheetValue& v : block.Values) {
    if (block.FirstCol == 0 || v.Col < block.FirstCol) block.FirstCol = v.Col;
    if (block.LastCol == 0 || v.Col > block.LastCol) block.LastCol = v.Col;
    if (block.FirstRow == 0 || v.Row < block.FirstRow) block.FirstRow = v.Row;
    if (block.LastRow == 0 || v.Row > block.LastRow) block.LastRow = v.Row;
  }
  return true;
}
