// Importing delimited text files and spreadsheet files into the string grid.
//
// Both read and check the whole file before the grid changes: a file that
// cannot be opened, a damaged spreadsheet or one that would grow the grid
// past the transfer limits (ExGridClipboard.h) raises EExGridError and
// leaves the grid as it was. An import that replaces the grid starts from
// an empty grid (hidden rows, filter and nodes gone), so short lines leave
// no text of the previous contents behind.
//
// Sections:
//   File text ........ the bytes of a file, UTF-8 files converted
//   Text files ....... ImportTextFile
//   Spreadsheets ..... ImportSpreadsheet
#include <algorithm>
#include <fstream>

#include "grid/ExGrid.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/SpreadsheetReader.h"

// ------------------------------------------------------------ file text

namespace {

[[noreturn]] void CannotOpen(const AnsiString& fileName) {
  throw EExGridError("Cannot open file " + fileName);
}

// No text file of a catalogue comes near this; a larger one would only
// exhaust the memory before the limits below could refuse it.
constexpr Int64 kMaxImportBytes = Int64{1} << 30;

std::string ReadWholeFile(const AnsiString& fileName) {
  std::ifstream in(SysFileName(fileName), std::ios::binary);
  if (!in) CannotOpen(fileName);
  if (FileSizeOf(fileName) > kMaxImportBytes)
    throw EExGridError("The file " + fileName + " is too large to import (more than " +
                       IntToStr(kMaxImportBytes >> 20) + " MB)");
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) CannotOpen(fileName);
  return bytes;
}

// Valid UTF-8 holding at least one character past ASCII. Code page 949
// Korean text never is: its lead bytes stand where UTF-8 wants
// continuation bytes.
bool IsUtf8Text(std::string_view s) {
  bool wide = false;
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t n = 0;
    if (c >= 0xC2 && c <= 0xDF) n = 1;
    else if (c >= 0xE0 && c <= 0xEF) n = 2;
    else if (c >= 0xF0 && c <= 0xF4) n = 3;
    else return false;
    if (i + n >= s.size()) return false;
    for (size_t k = 1; k <= n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    wide = true;
    i += n + 1;
  }
  return wide;
}

// The text of a file as code page 949: files other programs wrote in UTF-8
// (with or without the byte order mark) are converted, others taken as they are.
AnsiString FileText(std::string bytes) {
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    return Utf8ToCp949(std::string_view(bytes).substr(3));
  if (!IsPureAscii(bytes) && IsUtf8Text(bytes)) return Utf8ToCp949(bytes);
  return bytes;
}

// Rounded to the nearest whole percent.
int Percent(size_t done, size_t total) { return total == 0 ? 100 : static_cast<int>((done * 200 + total) / (2 * total)); }

// Lines and fields are counted before they are made, so that a hostile
// file is refused before it fills the memory.
Int64 CountLines(std::string_view text) {
  Int64 n = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++n;
  }
  return n + (!text.empty() && text.back() != '\n' && text.back() != '\r' ? 1 : 0);
}

void CheckTransferSize(Int64 cols, Int64 rows) {
  if (cols > kMaxTransferCols || rows > kMaxTransferRows || cols * rows > kMaxTransferCells)
    throw EExGridError("Too many cells to add: the grid would need " + IntToStr(cols) + " columns and " +
                       IntToStr(rows) + " rows (at most " + IntToStr(kMaxTransferCols) + " columns, " +
                       IntToStr(kMaxTransferRows) + " rows and " + IntToStr(kMaxTransferCells) + " cells)");
}

// What an import that replaces the grid starts from: no hidden rows or
// columns, no filter, no nodes, no cells. The rows past the fixed ones go
// whole, faster than emptying them cell by cell.
void EmptyForImport(TExStringGrid& grid) {
  if (GridFileHooks().ResetForFullLoad) GridFileHooks().ResetForFullLoad(grid);
  else grid.ResetHiddenState();
  grid.SetRowCount(std::min(grid.RowCount(), grid.FixedRows() + 1));
  grid.ClearAll();
}

}  // namespace

// ------------------------------------------------------------ text files

void TExStringGrid::ImportTextFile(const AnsiString& fileName, bool append) {
  AnsiString text = FileText(ReadWholeFile(fileName));
  const Int64 existingRows = append ? RowCount() : FixedFooters();
  CheckTransferSize(ColCount(), existingRows + CountLines(text));
  const std::vector<std::string_view> lines = SplitTextLines(text);
  char delimiter = delimiter_;
  if (delimiter == '\0' && !lines.empty())
    delimiter = DetectDelimiter(lines[0], lines.size() > 1 ? lines[1] : std::string_view());

  std::vector<std::vector<AnsiString>> rows(lines.size());
  size_t fieldCount = 0;
  Int64 totalFields = 0;
  AnsiString converted;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (oemConvert_) {
      converted.assign(line);
      OemToAnsiText(converted);
      line = converted;
    }
    SplitDelimitedLine(line, delimiter, rows[i]);
    if (tildesAsLineBreaks_)
      for (AnsiString& field : rows[i])
        if (!::IsUnicodeCell(field)) TildesToLineBreaks(field);
    fieldCount = std::max(fieldCount, rows[i].size());
    totalFields += static_cast<Int64>(rows[i].size());
    // Every field is a cell: past the limit the file is refused here.
    if (totalFields > kMaxTransferCells || fieldCount > static_cast<size_t>(kMaxTransferCols))
      CheckTransferSize(std::max<Int64>(ColCount(), static_cast<Int64>(fieldCount)),
                        existingRows + static_cast<Int64>(lines.size()));
  }
  text = AnsiString();  // the fields hold their own copies

  const Int64 lineCount = static_cast<Int64>(rows.size());
  const int startRow = append ? RowCount() - FixedFooters() : 0;
  const Int64 newRows = append ? RowCount() + lineCount
                               : std::max<Int64>(lineCount + FixedFooters(), FixedRows() + 1);
  const Int64 newCols = std::max<Int64>(ColCount(), static_cast<Int64>(fieldCount));
  CheckTransferSize(newCols + (append ? HiddenColumnCount() : 0), newRows);

  BeginUpdate();
  try {
    if (!append) {
      EmptyForImport(*this);
      SetRowCount(static_cast<int>(newRows));
    } else if (lineCount > 0) {
      // New rows go before the footer rows, which stay last.
      InsertRows(startRow, static_cast<int>(lineCount));
    }
    if (newCols > ColCount()) SetColCount(static_cast<int>(newCols));
    std::vector<int> realCols(fieldCount);
    for (size_t c = 0; c < fieldCount; ++c) realCols[c] = RealColIndex(static_cast<int>(c));
    int lastPercent = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
      const int row = startRow + static_cast<int>(i);
      std::vector<AnsiString>& fields = rows[i];
      if (!append) {
        // An emptied grid of shown columns only: the row's texts move in whole.
        InsertRowData(row, TRowCells{std::move(fields), {}, RowHeights(row)});
        fields = {};
      }
      for (size_t c = 0; c < fields.size(); ++c) {
        if (fields[c].empty()) continue;
        const int col = realCols[c];
        if (HasCellProperties(col, row)) SetCellText(col, row, fields[c]);
        else SetRawCells(col, row, std::move(fields[c]));
      }
      std::vector<AnsiString>().swap(fields);
      if (OnFileProgress) {
        const int percent = Percent(i + 1, rows.size());
        if (percent != lastPercent) {
          lastPercent = percent;
          OnFileProgress(this, percent);
        }
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  CellsChanged(Rect(0, 0, RealColCount() - 1, RowCount() - 1));
  ReSync();
}

// ------------------------------------------------------------ spreadsheets

void TExStringGrid::ImportSpreadsheet(const AnsiString& fileName, const AnsiString& sheetName) {
  struct TCursorScope {
    TCursor saved = Screen ? Screen->Cursor() : crDefault;
    TCursorScope() {
      if (Screen) Screen->SetCursor(crHourGlass);
    }
    ~TCursorScope() {
      if (Screen) Screen->SetCursor(saved);
    }
  } cursor;

  TSpreadsheetBlock block;
  bool found = false;
  try {
    found = ReadSpreadsheet(fileName, sheetName, block);
  } catch (const EFOpenError&) {
    CannotOpen(fileName);
  } catch (const ESpreadsheetError& e) {
    throw EExGridError(e.Message());
  }
  if (!found) throw EExGridError("Excel worksheet " + sheetName + " not found");

  // An empty sheet's used range is its first cell.
  const Int64 cols = block.Empty() ? 1 : Int64{block.LastCol} - block.FirstCol + 1;
  const Int64 rows = block.Empty() ? 1 : Int64{block.LastRow} - block.FirstRow + 1;
  const int oldFixedCols = FixedCols();
  const int oldFixedRows = FixedRows();
  const Int64 newCols = std::max<Int64>(cols, oldFixedCols + 1);
  const Int64 newRows = std::max<Int64>(rows, oldFixedRows + 1);
  CheckTransferSize(newCols, newRows);

  BeginUpdate();
  try {
    EmptyForImport(*this);
    SetColCount(static_cast<int>(newCols));
    SetRowCount(static_cast<int>(newRows));
    for (TSpreadsheetValue& v : block.Values)
      SetRawCells(v.Col - block.FirstCol, v.Row - block.FirstRow, std::move(v.Text));
    SetFixedCols(oldFixedCols);
    SetFixedRows(oldFixedRows);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  CellsChanged(Rect(0, 0, RealColCount() - 1, RowCount() - 1));
  ReSync();
  // The rows the file still held are in; the user learns that others are not.
  if (!block.Shortfall.empty()) throw EExGridError(block.Shortfall);
}
