// Reads the cell values of one sheet of a spreadsheet file: ".xlsx" (a zip
// of XML parts) and ".xls" (the older binary workbook). Values come back as
// code page 949 texts, as a spreadsheet shows them to a program that asks
// for a cell's value: numbers in the locale's form, dates and times as
// date and time texts, booleans as TRUE / FALSE; empty and error cells are
// left out.
#pragma once

#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"

VIDRENA_EXCEPTION(ESpreadsheetError, Exception);

struct TSpreadsheetValue {
  int Col = 0;  // 1-based, A = 1
  int Row = 0;  // 1-based
  AnsiString Text;
};

// The cells of a sheet that hold a value, and their bounding range (the
// used range; all 0 when the sheet is empty).
struct TSpreadsheetBlock {
  AnsiString SheetName;
  int FirstCol = 0;
  int FirstRow = 0;
  int LastCol = 0;
  int LastRow = 0;
  std::vector<TSpreadsheetValue> Values;  // row by row, left to right
  // Empty, or, for a file that ends before its sheet does, what to tell the
  // user: not every row could be read (Values holds those before the end).
  AnsiString Shortfall;
  bool Empty() const { return Values.empty(); }
};

// Whether the name ends in ".xls" or ".xlsx" (any case).
bool IsSpreadsheetFileName(std::string_view fileName);
// "A" = 1, "Z" = 26, "AA" = 27, "ZZ" = 702, "AAA" = 703, "XFD" = 16384;
// 0 for anything but 1 to 3 letters.
int SpreadsheetColumnNumber(std::string_view letters);
// "B7" or "$B$7" into column 2 and row 7; false when it is no cell name.
bool ParseSpreadsheetCellName(std::string_view name, int& col, int& row);

// Reads the sheet named sheetName (the first sheet when it is empty) of the
// file. Returns false when the workbook has no sheet of that name. Raises
// EFOpenError when the file cannot be opened and ESpreadsheetError, in the
// user's words, when it is not a workbook this reader understands or is
// damaged. An ".xls" file is
// read by a short-lived program of its own (vidrena_xls, found beside the
// executable): when that is missing, crashes or takes
// longer than the time limit, ESpreadsheetError says
// "<file> 파일을 읽을 수 없습니다." and this process is unharmed.
bool ReadSpreadsheet(const AnsiString& fileName, const AnsiString& sheetName, TSpreadsheetBlock& block);

// How ".xls" files are read; tests and benchmarks change it.
struct TXlsReaderHooks {
  // The reading program to start instead of vidrena_xls (a test starts one
  // that crashes or hangs).
  std::string ReaderProgram;
  // How long the reading process may take before it is killed.
  int TimeLimitMs = 30'000;
  // Read in this process instead, as a benchmark's baseline.
  bool InThisProcess = false;
};
TXlsReaderHooks& XlsReaderHooks();
