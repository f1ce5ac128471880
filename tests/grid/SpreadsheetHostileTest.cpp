// Spreadsheets that would cost the user the program: an .xlsx whose shared
// text nests elements 100,000 deep, .xls files that crash or hang the .xls
// library (the import reports the file as unreadable, the grid and this
// process go on), formula cells without a stored result, and a large .xls
// sheet that must come through the reading process whole.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <chrono>
#include <memory>

#include "grid/ExGrid.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/SpreadsheetReader.h"
#include "tests/grid/TransferTestSupport.h"
#include "tests/grid/XlsWorkbook.h"
#include "tests/vcl/DeadlineTestSupport.h"

namespace {

using namespace transfer_test;
using xls_workbook::TXlsCell;
using xls_workbook::XlsFile;

constexpr auto kDeadline = std::chrono::seconds(5);

// An .xlsx of one sheet "S" written part by part.
std::string XlsxFile(const std::string& sheetXml, const std::string& sharedXml) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t* zip = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  zip_source_keep(buffer);
  std::vector<std::string> parts;  // alive until the archive is written
  auto add = [&](const char* name, std::string text) {
    parts.push_back(std::move(text));
    zip_source_t* s = zip_source_buffer(zip, parts.back().data(), parts.back().size(), 0);
    zip_file_add(zip, name, s, ZIP_FL_OVERWRITE);
  };
  parts.reserve(8);
  add("[Content_Types].xml",
      "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>");
  add("xl/workbook.xml",
      "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
      "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
  add("xl/_rels/workbook.xml.rels",
      "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>");
  if (!sharedXml.empty()) add("xl/sharedStrings.xml", sharedXml);
  add("xl/worksheets/sheet1.xml", sheetXml);
  zip_close(zip);
  std::string bytes;
  zip_stat_t st;
  if (zip_source_stat(buffer, &st) == 0 && zip_source_open(buffer) == 0) {
    bytes.resize(st.size);
    zip_source_read(buffer, bytes.data(), st.size);
    zip_source_close(buffer);
  }
  zip_source_free(buffer);
  return bytes;
}

std::string Sheet(const std::string& cells) {
  return "<?xml version=\"1.0\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
         "<sheetData><row r=\"1\">" + cells + "</row></sheetData></worksheet>";
}

// A small sheet "목록": a title row and three movies.
std::vector<TXlsCell> MovieCells() {
  return {{0, 0, std::string("제목")}, {0, 1, std::string("연도")}, {1, 0, std::string("올드보이")},
          {1, 1, 2003.0},              {2, 0, std::string("괴물")},  {2, 1, 2006.0},
          {3, 0, std::string("마더")},  {3, 1, 2009.5}};
}

// The first cell's record made a second size record: the library takes the
// cell's bytes for the sheet's size and writes past its cell table.
std::string CrashingXls() {
  std::string file = XlsFile("목록", MovieCells());
  const size_t dimensions = file.find(std::string("\x00\x02\x0E\x00", 4));
  if (dimensions == std::string::npos) return {};
  file[dimensions + 4 + 14] = '\x00';  // record type 0x0204 (text cell) becomes 0x0200
  return file;
}

// Restores the reading hooks a test changed.
struct HooksScope {
  TXlsReaderHooks saved = XlsReaderHooks();
  ~HooksScope() { XlsReaderHooks() = saved; }
};

// ReadSpreadsheet on a thread of its own; false when it has not returned
// within the deadline. The work shares what it fills, should it outlive it.
struct TReadResult {
  TSpreadsheetBlock Block;
  std::string Error;
};
bool ReadWithin(const AnsiString& file, const std::shared_ptr<TReadResult>& result) {
  return EndsWithin(kDeadline, [file, result] {
    try {
      ReadSpreadsheet(file, "", result->Block);
    } catch (const Exception& e) {
      result->Error = e.Message();
    }
  });
}

// No reading process is left behind, not even as a zombie.
bool NoChildLeft() {
  int status = 0;
  return ::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

struct SpreadsheetHostile : ::testing::Test {
  KoreanLocale locale;
  TempDir dir;
  HooksScope hooks;
  TExStringGrid grid{nullptr};
  void SetUp() override {
    grid.SetColCount(4);
    grid.SetRowCount(5);
    grid.SetCells(2, 2, "unsaved");
  }
};

TEST_F(SpreadsheetHostile, ASharedTextNested100000DeepIsReadWithoutRecursion) {
  std::string deep = "<?xml version=\"1.0\"?><sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                     "<si><t>";
  for (int i = 0; i < 100000; ++i) deep += "<b>";
  deep += "bottom";
  for (int i = 0; i < 100000; ++i) deep += "</b>";
  deep += "</t></si><si><t>plain</t></si></sst>";
  const AnsiString file = dir.Write("deep.xlsx", XlsxFile(Sheet("<c r=\"A1\" t=\"s\"><v>0</v></c>"
                                                               "<c r=\"B1\" t=\"s\"><v>1</v></c>"),
                                                         deep));
  grid.ImportSpreadsheet(file);
  EXPECT_EQ(grid.Cells(0, 0), "bottom");
  EXPECT_EQ(grid.Cells(1, 0), "plain");
}

TEST_F(SpreadsheetHostile, AFormulaWithoutAStoredResultImportsAsAnEmptyCell) {
  const AnsiString file = dir.Write(
      "formula.xlsx", XlsxFile(Sheet("<c r=\"A1\"><v>1</v></c><c r=\"B1\"><f>1/0+A1</f><v></v></c>"
                                     "<c r=\"C1\"><f>A1</f><v/></c><c r=\"D1\" t=\"b\"><f>TRUE()</f><v> </v></c>"
                                     "<c r=\"E1\" t=\"str\"><f>\"x\"</f><v>x</v></c>"),
                               ""));
  grid.ImportSpreadsheet(file);
  EXPECT_EQ(RowText(grid, 0), "1||||x");
  // A number cell whose value is no number is still a damaged file.
  const AnsiString bad = dir.Write("bad.xlsx", XlsxFile(Sheet("<c r=\"A1\"><v>abc</v></c>"), ""));
  EXPECT_NE(ErrorOf([&] { grid.ImportSpreadsheet(bad); }), "(no EExGridError)");
}

TEST_F(SpreadsheetHostile, AnXlsThatCrashesTheLibraryIsReportedAndTheGridStays) {
  const std::string bytes = CrashingXls();
  ASSERT_FALSE(bytes.empty());
  const AnsiString file = dir.Write("crash.xls", bytes);
  // The file really kills a process that reads it with the library.
  const pid_t pid = fork();
  if (pid == 0) {
    XlsReaderHooks().InThisProcess = true;
    TSpreadsheetBlock block;
    try {
      ReadSpreadsheet(file, "", block);
    } catch (...) {
    }
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the damaged file no longer crashes the library";

  EXPECT_EQ(ErrorOf([&] { grid.ImportSpreadsheet(file); }), file + " 파일을 읽을 수 없습니다."_k);
  EXPECT_EQ(grid.Cells(2, 2), "unsaved");
  EXPECT_EQ(grid.ColCount(), 4);
  EXPECT_TRUE(NoChildLeft());
  // The undamaged workbook reads as before.
  grid.ImportSpreadsheet(dir.Write("movies.xls", XlsFile("목록", MovieCells())));
  EXPECT_EQ(RowText(grid, 3), "마더|2009.5"_k);
}

// A reading program that stands in for the real one.
AnsiString Reader(TempDir& dir, const char* name, const std::string& script) {
  const AnsiString path = dir.Write(name, "#!/bin/sh\n" + script + "\n");
  ::chmod(path.c_str(), 0700);
  return path;
}

TEST_F(SpreadsheetHostile, AReaderThatDiesHangsOrStopsShortBecomesTheSameErrorWithinItsLimit) {
  const AnsiString file = dir.Write("movies.xls", XlsFile("목록", MovieCells()));
  const std::string unreadable = file + " 파일을 읽을 수 없습니다."_k;
  XlsReaderHooks().TimeLimitMs = 300;
  const std::pair<const char*, std::string> readers[] = {
      {"aborts", "kill -ABRT $$"},
      {"hangs", "exec sleep 60"},
      {"stops after the sheet's name", "printf 'S\\004\\000\\000\\000list'"},
      {"ends well without its last record", "exit 0"},
      {"fails after every record", "printf 'Z'; exit 1"},
  };
  for (const auto& [name, script] : readers) {
    SCOPED_TRACE(name);
    XlsReaderHooks().ReaderProgram = Reader(dir, name, script);
    auto read = std::make_shared<TReadResult>();
    ASSERT_TRUE(ReadWithin(file, read)) << "the reader was not stopped";
    EXPECT_EQ(read->Error, unreadable);
    EXPECT_TRUE(NoChildLeft());
  }
  XlsReaderHooks().ReaderProgram = (dir.path / "no such reader").string();
  EXPECT_EQ(ErrorOf([&] { grid.ImportSpreadsheet(file); }), unreadable);
  EXPECT_EQ(grid.Cells(2, 2), "unsaved");

  // The real reader, found where the build put it.
  XlsReaderHooks().ReaderProgram.clear();
  auto read = std::make_shared<TReadResult>();
  ASSERT_TRUE(ReadWithin(file, read));
  EXPECT_EQ(read->Error, "");
  EXPECT_EQ(read->Block.SheetName, "목록"_k);
  EXPECT_EQ(read->Block.Values.size(), 8u);
}

TEST_F(SpreadsheetHostile, ALargeXlsSheetComesThroughTheReadingProcessWhole) {
  std::vector<TXlsCell> cells;
  for (int r = 0; r < 20000; ++r) {
    TXlsCell& title = cells.emplace_back();
    title.Row = r;
    title.Value = "영화 " + std::to_string(r);
    TXlsCell& number = cells.emplace_back();
    number.Row = r;
    number.Col = 2;
    number.Value = r * 0.25;
  }
  const AnsiString file = dir.Write("large.xls", XlsFile("큰 목록", cells));
  TSpreadsheetBlock apart, here;
  ASSERT_TRUE(ReadSpreadsheet(file, "큰 목록"_k, apart));
  XlsReaderHooks().InThisProcess = true;
  ASSERT_TRUE(ReadSpreadsheet(file, "큰 목록"_k, here));
  ASSERT_EQ(apart.Values.size(), 40000u);
  ASSERT_EQ(here.Values.size(), apart.Values.size());
  for (size_t i = 0; i < apart.Values.size(); ++i) {
    ASSERT_EQ(apart.Values[i].Text, here.Values[i].Text) << i;
    ASSERT_EQ(apart.Values[i].Row, here.Values[i].Row) << i;
    ASSERT_EQ(apart.Values[i].Col, here.Values[i].Col) << i;
  }
  EXPECT_EQ(apart.Values.back().Text, "4999.75");
  EXPECT_EQ(apart.Values[39998].Text, "영화 19999"_k);
  EXPECT_EQ(apart.LastRow, 20000);
  EXPECT_EQ(apart.LastCol, 3);
  EXPECT_FALSE(ReadSpreadsheet(file, "없는 시트"_k, apart));

  // Its chain of sectors made to loop back after a few: the rows before the
  // loop come in, and the user is told that not every row could be read.
  std::string looped = XlsFile("큰 목록", cells);
  const uint32_t firstFat = static_cast<uint8_t>(looped[0x4C]) | static_cast<uint8_t>(looped[0x4D]) << 8;
  std::memset(&looped[512 + firstFat * 512 + 4 * 20], 0, 4);  // sector 20 leads back to sector 0
  const AnsiString damaged = dir.Write("looped.xls", looped);
  const std::string error = ErrorOf([&] { grid.ImportSpreadsheet(damaged); });
  EXPECT_EQ(error, damaged + " 파일이 손상되어 시트의 20000행 중 "_k + IntToStr(grid.RowCount()) + "행까지만 읽었습니다."_k);
  EXPECT_LT(grid.RowCount(), 20000);
  EXPECT_EQ(grid.Cells(0, 1), "영화 1"_k);
}

}  // namespace
