// The grid's text transfer against the plain work it cannot avoid, measured
// in the same run on the generated catalogue (tools/CatalogueGen.h):
//   import: LoadFromCSV of a 100,000-row, 42-column CSV file, against
//           reading the same file and splitting it at line ends and commas
//           into strings (target: at most 2 times);
//   copy:   CopySelectionToClipboard of a 20,000-row selection of all 42
//           columns (to the in-memory clipboard), against building the same
//           text from the cells with string appends (target: at most 2 times);
//   .xls:   ImportSpreadsheet of a 2,000-row, 42-column .xls workbook, read
//           by a process of its own, against the same import read in this
//           process (target: at most 1.2 times).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "tools/CatalogueGen.h"
#include "grid/ExGrid.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/SpreadsheetReader.h"
#include "tests/grid/XlsWorkbook.h"

namespace {

constexpr int kImportRows = 100000;
constexpr int kCopyRows = 20000;
constexpr int kXlsRows = 2000;

// A CSV field as spreadsheets write one: quoted when it holds the comma, a
// quote or a line break.
void AppendCsvField(std::string& out, const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    out += text;
    return;
  }
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

const std::string& CsvFile() {
  static const std::string name = [] {
    const auto rows = GenerateCatalogue(kImportRows);
    std::string text;
    for (const auto& row : rows) {
      for (std::size_t c = 0; c < row.size(); ++c) {
        if (c) text += ',';
        AppendCsvField(text, row[c]);
      }
      text += "\r\n";
    }
    const std::string path = "/tmp/vidrena-bench-import-" + std::to_string(::getpid()) + ".csv";
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }();
  return name;
}

// The grids live to the end of the process: controls must not outlive the
// class library's globals.
TExStringGrid& ImportGrid() {
  static TExStringGrid* grid = [] {
    auto* g = new TExStringGrid(nullptr);
    g->SetColCount(kCatalogueColumns);
    return g;
  }();
  return *grid;
}

TExStringGrid& CopyGrid() {
  static TExStringGrid* grid = [] {
    auto* g = new TExStringGrid(nullptr);
    FillCatalogueGrid(*g, GenerateCatalogue(kCopyRows));
    g->SetSelection({0, 1, kCatalogueColumns - 1, kCopyRows});
    return g;
  }();
  return *grid;
}

void BM_ImportBaseline(benchmark::State& state) {
  const std::string& path = CsvFile();
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::vector<std::string>> rows;
    std::size_t start = 0;
    while (start < bytes.size()) {
      std::size_t end = bytes.find('\n', start);
      if (end == std::string::npos) end = bytes.size();
      std::size_t lineEnd = end > start && bytes[end - 1] == '\r' ? end - 1 : end;
      std::vector<std::string> fields;
      std::size_t f = start;
      while (true) {
        const std::size_t comma = bytes.find(',', f);
        if (comma == std::string::npos || comma >= lineEnd) {
          fields.emplace_back(bytes, f, lineEnd - f);
          break;
        }
        fields.emplace_back(bytes, f, comma - f);
        f = comma + 1;
      }
      rows.push_back(std::move(fields));
      start = end + 1;
    }
    benchmark::DoNotOptimize(rows.data());
  }
}

void BM_ImportCsv(benchmark::State& state) {
  const std::string& path = CsvFile();
  TExStringGrid& grid = ImportGrid();
  for (auto _ : state) {
    grid.LoadFromCSV(path);
    benchmark::DoNotOptimize(grid.RowCount());
  }
  if (grid.RowCount() != kImportRows) state.SkipWithError("the import lost rows");
}

void BM_CopyBaseline(benchmark::State& state) {
  TExStringGrid& grid = CopyGrid();
  for (auto _ : state) {
    std::string text;
    for (int r = 1; r <= kCopyRows; ++r) {
      for (int c = 0; c < kCatalogueColumns; ++c) {
        if (c) text += '\t';
        text += grid.RawCells(c, r);
      }
      text += "\r\n";
    }
    benchmark::DoNotOptimize(text.data());
  }
}

void BM_CopySelection(benchmark::State& state) {
  TExStringGrid& grid = CopyGrid();
  for (auto _ : state) {
    grid.CopySelectionToClipboard();
    benchmark::DoNotOptimize(grid.CopyValid());
  }
}

const std::string& XlsFile() {
  static const std::string name = [] {
    const auto rows = GenerateCatalogue(kXlsRows);
    std::vector<xls_workbook::TXlsCell> cells;
    for (std::size_t r = 0; r < rows.size(); ++r)
      for (std::size_t c = 0; c < rows[r].size(); ++c) {
        if (rows[r][c].empty()) continue;
        // A text cell of this kind holds at most 255 characters.
        std::u16string wide = Cp949ToUtf16(rows[r][c]);
        if (wide.size() > 255) wide.resize(255);
        cells.push_back({static_cast<int>(r), static_cast<int>(c), Utf16ToUtf8(wide)});
      }
    const std::string path = "/tmp/vidrena-bench-import-" + std::to_string(::getpid()) + ".xls";
    std::ofstream(path, std::ios::binary) << xls_workbook::XlsFile("Movies", cells);
    return path;
  }();
  return name;
}

void ImportXls(benchmark::State& state, bool inThisProcess) {
  const std::string& path = XlsFile();
  TExStringGrid& grid = ImportGrid();
  XlsReaderHooks().InThisProcess = inThisProcess;
  for (auto _ : state) {
    grid.ImportSpreadsheet(path);
    benchmark::DoNotOptimize(grid.RowCount());
  }
  XlsReaderHooks().InThisProcess = false;
  if (grid.RowCount() != kXlsRows) state.SkipWithError("the import lost rows");
}

void BM_ImportXlsHere(benchmark::State& state) { ImportXls(state, true); }
void BM_ImportXls(benchmark::State& state) { ImportXls(state, false); }

BENCHMARK(BM_ImportBaseline)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(false);
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(false);
BENCHMARK(BM_ImportXlsHere)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(false);
BENCHMARK(BM_ImportXls)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(false);
BENCHMARK(BM_CopyBaseline)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(false);
BENCHMARK(BM_CopySelection)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(false);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  UseMemoryClipboard(true);
  RatioReporter reporter;
  RunBenchmarks(argc, argv, reporter);
  const RatioReporter& s = reporter;
  PrintRatio(s, "CSV import / plain split, 100,000 x 42", "BM_ImportCsv", "BM_ImportBaseline", "target <= 2");
  PrintRatio(s, ".xls import apart / in this process, 2,000 x 42", "BM_ImportXls", "BM_ImportXlsHere", "target <= 1.2");
  PrintRatio(s, "copy / string appends, 20,000 x 42", "BM_CopySelection", "BM_CopyBaseline", "target <= 2");
  std::remove(CsvFile().c_str());
  std::remove(XlsFile().c_str());
  return 0;
}
