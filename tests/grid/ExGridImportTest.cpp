// Importing delimited text files and spreadsheets into the string grid:
// the fixtures of tests/data/grid/transfer checked cell by cell, delimiter
// detection, replacing against appending, hostile and damaged files, and
// the limit on growth.
#include <gtest/gtest.h>
#include <zip.h>

#include "grid/ExGrid.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/SpreadsheetReader.h"
#include "tests/grid/TransferTestSupport.h"
#include "tests/grid/XlsWorkbook.h"

namespace {

using namespace transfer_test;

AnsiString Fixture(const char* name) { return std::string(VIDRENA_TEST_DATA) + "/grid/transfer/" + name; }

struct ExGridImport : ::testing::Test {
  KoreanLocale locale;
  TExStringGrid grid{nullptr};
  void SetUp() override {
    grid.SetColCount(6);
    grid.SetRowCount(9);
    for (int r = 0; r < 9; ++r)
      for (int c = 0; c < 6; ++c) grid.SetCells(c, r, "old");
  }
  std::string Row(int row) { return RowText(grid, row); }
};

// ---------------------------------------------------------------- text files

TEST_F(ExGridImport, QuotedCsvWithMixedLineEndsReplacesTheOldCells) {
  grid.LoadFromCSV(Fixture("quoted.csv"));
  EXPECT_EQ(grid.RowCount(), 5);
  EXPECT_EQ(grid.ColCount(), 6);  // the grid keeps its columns
  EXPECT_EQ(Row(0), "name|note|year|||");
  EXPECT_EQ(Row(1), "Smith, John|He said \"hi\"|1999|||");
  EXPECT_EQ(Row(2), "two\r\nlines|plain|2000|||");
  // No closing quote: the rest of the line is the field, nothing is lost.
  EXPECT_EQ(Row(3), "unclosed,rest of, the line|||||");
  EXPECT_EQ(Row(4), "last|||||");
}

TEST_F(ExGridImport, TheDelimiterFoundOnBothLinesWinsAndIsNotKept) {
  grid.ImportTextFile(Fixture("detect.csv"), false);
  EXPECT_EQ(Row(0), "a|b;c|d|e||");
  EXPECT_EQ(Row(1), "f|g;h;i|j|k||");
  EXPECT_EQ(grid.Delimiter(), '\0');
  grid.SetDelimiter(';');
  grid.ImportTextFile(Fixture("detect.csv"), false);
  EXPECT_EQ(Row(1), "f,g|h|i,j,k|||");
}

TEST_F(ExGridImport, TheTildeOptionReadsATildeAsALineBreakAndACaretAsNothing) {
  TempDir dir;
  grid.SetTildesAsLineBreaks(true);
  grid.ImportTextFile(dir.Write("tilde.csv", "Oldboy,\"first~second\",^\r\n"), false);
  EXPECT_EQ(Row(0), "Oldboy|first\r\nsecond||||");
}

TEST(DelimiterDetection, CountsEscapedCandidatesOnlyWhenNothingElseDecides) {
  EXPECT_EQ(DetectDelimiter("a;b;c", "d;e;f"), ';');
  EXPECT_EQ(DetectDelimiter("a\tb|c", "d\te|f"), '\t');  // the earlier candidate on a tie
  EXPECT_EQ(DetectDelimiter("a,,b;c", "d,,e;f"), ';');    // doubled commas are escaped
  EXPECT_EQ(DetectDelimiter("a|b|c|d", ""), '|');          // one line: the most frequent
  EXPECT_EQ(DetectDelimiter("plain", "text"), '\0');
}

TEST_F(ExGridImport, KoreanTabFilesAndUtf8FilesArriveAsCodePage949) {
  grid.ImportTextFile(Fixture("korean_tabs.txt"), false);
  EXPECT_EQ(Row(1), "올드보이|박찬욱||||"_k);
  grid.ImportTextFile(Fixture("utf8_bom.csv"), false);
  EXPECT_EQ(Row(0), "제목|연도||||"_k);
  EXPECT_EQ(Row(1), "괴물|2006||||"_k);
}

TEST_F(ExGridImport, AppendingPutsTheLinesAfterTheRowsAndBeforeTheFooter) {
  grid.SetFixedFooters(1);
  grid.SetCells(0, 8, "footer");
  std::vector<int> progress;
  grid.OnFileProgress = [&](TObject*, int p) { progress.push_back(p); };
  grid.ImportTextFile(Fixture("detect.csv"), true);
  EXPECT_EQ(grid.RowCount(), 11);
  EXPECT_EQ(Row(7), "old|old|old|old|old|old");
  EXPECT_EQ(Row(8), "a|b;c|d|e||");
  EXPECT_EQ(grid.Cells(0, 10), "footer");
  EXPECT_EQ(progress, (std::vector<int>{50, 100}));
}

TEST_F(ExGridImport, AMissingFileAndAFileTooWideChangeNothing) {
  EXPECT_EQ(ErrorOf([&] { grid.LoadFromCSV("/nonexistent/movies.csv"); }), "Cannot open file /nonexistent/movies.csv");
  TempDir dir;
  const AnsiString wide = dir.Write("wide.csv", std::string(70000, ',') + "x\r\n");
  EXPECT_NE(ErrorOf([&] { grid.LoadFromCSV(wide); }).find("Too many cells"), std::string::npos);
  EXPECT_EQ(grid.ColCount(), 6);
  EXPECT_EQ(grid.Cells(2, 2), "old");
}

TEST_F(ExGridImport, AFileOfMoreLinesThanAGridHoldsIsRefusedWhole) {
  TempDir dir;
  const AnsiString tall = dir.Write("tall.csv", std::string(kMaxTransferRows + 1, '\n'));
  EXPECT_NE(ErrorOf([&] { grid.LoadFromCSV(tall); }).find("4000001 rows"), std::string::npos);
  EXPECT_EQ(grid.RowCount(), 9);
  EXPECT_EQ(grid.Cells(1, 1), "old");
}

TEST_F(ExGridImport, AnEmptyFileLeavesAnEmptyGridWithItsFixedRow) {
  TempDir dir;
  grid.LoadFromCSV(dir.Write("empty.csv", ""));
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.Cells(0, 0), "");
}

TEST_F(ExGridImport, AReplacingImportBringsBackNoHiddenRow) {
  grid.HideRow(3);
  grid.ImportTextFile(Fixture("detect.csv"), false);
  EXPECT_EQ(grid.HiddenRowCount(), 0);
  grid.ShowAllRows();
  EXPECT_EQ(grid.RowCount(), 2);
}

// ---------------------------------------------------------------- spreadsheets

TEST(SpreadsheetNames, ColumnLettersPastZZ) {
  EXPECT_EQ(SpreadsheetColumnNumber("A"), 1);
  EXPECT_EQ(SpreadsheetColumnNumber("Z"), 26);
  EXPECT_EQ(SpreadsheetColumnNumber("AA"), 27);
  EXPECT_EQ(SpreadsheetColumnNumber("ZZ"), 702);
  EXPECT_EQ(SpreadsheetColumnNumber("AAA"), 703);
  EXPECT_EQ(SpreadsheetColumnNumber("xfd"), 16384);
  EXPECT_EQ(SpreadsheetColumnNumber("AAAA"), 0);
  int col = 0, row = 0;
  EXPECT_TRUE(ParseSpreadsheetCellName("$AAB$12", col, row));
  EXPECT_EQ(col, 704);
  EXPECT_EQ(row, 12);
  EXPECT_FALSE(ParseSpreadsheetCellName("A0", col, row));
  EXPECT_FALSE(ParseSpreadsheetCellName("12", col, row));
  EXPECT_TRUE(IsSpreadsheetFileName("목록.XLSX"_k));
  EXPECT_FALSE(IsSpreadsheetFileName("list.xlsx.txt"));
}

TEST_F(ExGridImport, AnXlsxSheetFillsTheGridFromItsUsedRange) {
  grid.ImportSpreadsheet(Fixture("basic.xlsx"));
  // Used range B2:AB6.
  EXPECT_EQ(grid.ColCount(), 27);
  EXPECT_EQ(grid.RowCount(), 5);
  EXPECT_EQ(grid.Cells(0, 0), "제목"_k);
  EXPECT_EQ(grid.Cells(1, 0), "연도"_k);
  EXPECT_EQ(grid.Cells(2, 0), "평점"_k);
  EXPECT_EQ(grid.Cells(0, 1), "올드보이"_k);
  EXPECT_EQ(grid.Cells(1, 1), "2003");
  EXPECT_EQ(grid.Cells(2, 1), "8.5");
  EXPECT_EQ(grid.Cells(0, 2), "He said \"hi\"\tand left");
  EXPECT_EQ(grid.Cells(1, 2), "TRUE");
  EXPECT_EQ(grid.Cells(2, 2), "");  // an error value leaves the cell alone
  EXPECT_EQ(grid.Cells(0, 3), DateToStr(EncodeDate(2024, 3, 15)));
  EXPECT_EQ(grid.Cells(1, 3), TimeToStr(EncodeTime(13, 45, 0, 0)));
  EXPECT_EQ(grid.Cells(2, 3), "둘째 줄\n셋째 줄"_k);
  EXPECT_EQ(grid.Cells(26, 4), "past Z");
  EXPECT_EQ(grid.Cells(3, 1), "");  // an old cell of the grid is gone
  EXPECT_EQ(grid.FixedRows(), 1);

  // The same workbook counting its days from 1904: the date is 1,462 days
  // on, the time of day the same.
  TempDir dir;
  const AnsiString copy = (dir.path / "1904.xlsx").string();
  std::filesystem::copy_file(Fixture("basic.xlsx").c_str(), copy.c_str());
  zip_t* zip = zip_open(copy.c_str(), 0, nullptr);
  zip_stat_t st;
  ASSERT_TRUE(zip && zip_stat(zip, "xl/workbook.xml", 0, &st) == 0);
  std::string xml(st.size, '\0');
  zip_file_t* part = zip_fopen(zip, "xl/workbook.xml", 0);
  zip_fread(part, xml.data(), st.size);
  zip_fclose(part);
  xml.replace(xml.find("<workbookPr/>"), 13, "<workbookPr date1904=\"1\"/>");
  zip_file_add(zip, "xl/workbook.xml", zip_source_buffer(zip, xml.data(), xml.size(), 0), ZIP_FL_OVERWRITE);
  ASSERT_EQ(zip_close(zip), 0);
  grid.ImportSpreadsheet(copy);
  EXPECT_EQ(grid.Cells(0, 3), DateToStr(EncodeDate(2024, 3, 15) + 1462));
  EXPECT_EQ(grid.Cells(1, 3), TimeToStr(EncodeTime(13, 45, 0, 0)));
}

TEST_F(ExGridImport, ANamedSheetAndAMissingOne) {
  grid.ImportSpreadsheet(Fixture("basic.xlsx"), "Second");
  EXPECT_EQ(grid.ColCount(), 2);
  EXPECT_EQ(grid.Cells(0, 0), "other sheet");
  EXPECT_EQ(grid.Cells(1, 1), "42");
  EXPECT_EQ(ErrorOf([&] { grid.ImportSpreadsheet(Fixture("basic.xlsx"), "없음"_k); }),
            "Excel worksheet "_k + "없음"_k + " not found");
  EXPECT_EQ(grid.Cells(0, 0), "other sheet");
}

TEST_F(ExGridImport, ColumnsPastZZLandInTheirColumn) {
  grid.ImportSpreadsheet(Fixture("wide.xlsx"));
  EXPECT_EQ(grid.ColCount(), 704);
  EXPECT_EQ(grid.Cells(0, 0), "first");
  EXPECT_EQ(grid.Cells(703, 0), "col 704");
}

TEST_F(ExGridImport, SharedTextRunsInlineTextsAndCellsWithoutNames) {
  grid.ImportSpreadsheet(Fixture("runs.xlsx"));
  EXPECT_EQ(grid.Cells(0, 0), "bold and plain");
  EXPECT_EQ(grid.Cells(1, 0), "inline");
  EXPECT_EQ(grid.Cells(2, 0), "formula text");
}

TEST_F(ExGridImport, AnXlsSheetIsReadCellByCell) {
  grid.ImportSpreadsheet(Fixture("basic.xls"));
  EXPECT_EQ(grid.ColCount(), 3);
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(Row(0), "제목|연도|"_k);
  EXPECT_EQ(Row(1), "기생충|2019|"_k);
  EXPECT_EQ(Row(2), "소수|2.25|"_k);
  EXPECT_EQ(Row(3), DateToStr(EncodeDate(2020, 2, 9)) + "||C4");
  grid.ImportSpreadsheet(Fixture("basic.xls"), "Other");
  EXPECT_EQ(grid.Cells(0, 0), "D5 only");
  EXPECT_EQ(grid.ColCount(), 2);  // one column and the fixed one kept

  // A cell whose format shows a date and a time keeps its time.
  std::string bytes = xls_workbook::XlsFile("S", {{0, 0, 43870.5}});
  const std::size_t cellFormat = bytes.find(std::string("\xE0\x00\x16\x00\x00\x00\x00\x00\x01\x00", 10));
  ASSERT_NE(cellFormat, std::string::npos);
  bytes[cellFormat + 6] = 22;  // the built-in "m/d/yy h:mm"
  TempDir dir;
  grid.ImportSpreadsheet(dir.Write("datetime.xls", bytes));
  EXPECT_EQ(grid.Cells(0, 0), DateTimeToStr(EncodeDate(2020, 2, 9) + EncodeTime(12, 0, 0, 0)));
}

TEST_F(ExGridImport, DamagedAndHostileSpreadsheetsAreRefusedBeforeTheGridChanges) {
  const char* files[] = {"not_a_zip.xlsx", "truncated.xlsx", "bad_shared_index.xlsx", "bad_cell_name.xlsx",
                         "not_an_xls.xls", "huge_range.xlsx"};
  for (const char* f : files) {
    const std::string error = ErrorOf([&] { grid.ImportSpreadsheet(Fixture(f)); });
    EXPECT_NE(error, "(no EExGridError)") << f;
    // The reader's reasons, in the user's words; the size limit is the grid's own.
    if (f != std::string("huge_range.xlsx")) {
      EXPECT_TRUE(error.starts_with(Fixture(f) + " 파일이 손상되어 읽을 수 없습니다.\r"_k)) << error;
    }
    EXPECT_EQ(grid.ColCount(), 6) << f;
    EXPECT_EQ(grid.Cells(3, 3), "old") << f;
  }
  EXPECT_NE(ErrorOf([&] { grid.ImportSpreadsheet(Fixture("huge_range.xlsx")); }).find("16384 columns"),
            std::string::npos);
  EXPECT_EQ(ErrorOf([&] { grid.ImportSpreadsheet("/nonexistent/a.xlsx"); }), "Cannot open file /nonexistent/a.xlsx");
  EXPECT_EQ(ErrorOf([&] { grid.ImportSpreadsheet("/nonexistent/a.xls"); }), "Cannot open file /nonexistent/a.xls");
}

}  // namespace
