// The string grid's cell store at catalogue size (20,000 rows of 42
// columns): filling it inside one update bracket against filling a plain
// vector of string vectors, and inserting rows at row 1 of a full grid
// (one row, 1,000 rows in one call, 1,000 single-row calls).
// Printed at the end:
//   fill grid / fill vector        (target: at most 3)
//   insert 1,000 rows / insert one  (target: at most 50)
//   1,000 single inserts / one insert
//   hiding and showing nine rows in ten / copying their cells (target: at most 3)
//   inserting a row with four hidden columns / without (target: at most 3)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "grid/ExGrid.h"

namespace {

constexpr int kRows = 20000;
constexpr int kCols = 42;

// Texts longer than the string's inline buffer, so that both sides allocate.
const std::vector<AnsiString>& Texts() {
  static const std::vector<AnsiString> texts = [] {
    std::vector<AnsiString> v;
    for (int i = 0; i < 1024; ++i) v.push_back("Movie title number " + std::to_string(i));
    return v;
  }();
  return texts;
}

void BM_FillVector(benchmark::State& state) {
  const auto& texts = Texts();
  for (auto _ : state) {
    std::vector<std::vector<std::string>> cells(kRows, std::vector<std::string>(kCols));
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) cells[r][c] = texts[(r * kCols + c) & 1023];
    benchmark::DoNotOptimize(cells.data());
    state.PauseTiming();
    cells = {};
    state.ResumeTiming();
  }
}

void BM_FillGrid(benchmark::State& state) {
  const auto& texts = Texts();
  for (auto _ : state) {
    auto grid = std::make_unique<TExStringGrid>(nullptr);
    grid->BeginUpdate();
    grid->SetColCount(kCols);
    grid->SetRowCount(kRows);
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) grid->SetCells(c, r, texts[(r * kCols + c) & 1023]);
    grid->EndUpdate();
    benchmark::DoNotOptimize(grid.get());
    state.PauseTiming();
    grid.reset();
    state.ResumeTiming();
  }
}

// One full grid shared by the insertion benchmarks; each run takes its
// inserted rows out again outside the timing.
TExStringGrid& FullGrid() {
  static TExStringGrid* grid = [] {
    auto* g = new TExStringGrid(nullptr);
    g->SetColCount(kCols);
    g->SetRowCount(kRows);
    const auto& texts = Texts();
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) g->SetCells(c, r, texts[(r * kCols + c) & 1023]);
    return g;
  }();
  return *grid;
}

void BM_InsertOneRow(benchmark::State& state) {
  TExStringGrid& grid = FullGrid();
  for (auto _ : state) {
    grid.InsertRows(1, 1);
    state.PauseTiming();
    grid.RemoveRows(1, 1);
    state.ResumeTiming();
  }
}

void BM_Insert1000Rows(benchmark::State& state) {
  TExStringGrid& grid = FullGrid();
  for (auto _ : state) {
    grid.InsertRows(1, 1000);
    state.PauseTiming();
    grid.RemoveRows(1, 1000);
    state.ResumeTiming();
  }
}

void BM_Insert1000SingleRows(benchmark::State& state) {
  TExStringGrid& grid = FullGrid();
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) grid.InsertRows(1, 1);
    state.PauseTiming();
    grid.RemoveRows(1, 1000);
    state.ResumeTiming();
  }
}

// Filtering: nine rows in ten of the full grid go aside in one call and come
// back in one call, against copying those rows' cells into vectors (what
// taking them aside costs at the least).
void BM_CopyNineTenthsBaseline(benchmark::State& state) {
  TExStringGrid& grid = FullGrid();
  for (auto _ : state) {
    std::vector<std::vector<AnsiString>> aside;
    aside.reserve(kRows);
    for (int r = 0; r < kRows; ++r) {
      if (r % 10 == 0) continue;
      std::vector<AnsiString> cells;
      cells.reserve(kCols);
      for (int c = 0; c < kCols; ++c) cells.push_back(grid.RawCells(c, r));
      aside.push_back(std::move(cells));
    }
    benchmark::DoNotOptimize(aside.data());
    state.PauseTiming();
    aside = {};
    state.ResumeTiming();
  }
}

TIntList& NineTenths() {
  static TIntList* list = [] {
    auto* l = new TIntList();
    for (int r = 0; r < kRows; ++r)
      if (r % 10 != 0) l->Add(r);
    return l;
  }();
  return *list;
}

void BM_HideNineTenths(benchmark::State& state) {
  TExStringGrid& grid = FullGrid();
  for (auto _ : state) {
    grid.HideRowList(&NineTenths());
    state.PauseTiming();
    grid.ShowAllRows();
    state.ResumeTiming();
  }
}

void BM_ShowNineTenths(benchmark::State& state) {
  TExStringGrid& grid = FullGrid();
  for (auto _ : state) {
    state.PauseTiming();
    grid.HideRowList(&NineTenths());
    state.ResumeTiming();
    grid.ShowAllRows();
  }
}

// Inserting a row while four columns are hidden: the hidden columns' cells
// move with the rows instead of coming back into the grid for the call.
void BM_InsertOneRowFourColumnsHidden(benchmark::State& state) {
  TExStringGrid& grid = FullGrid();
  grid.HideColumns(10, 13);
  for (auto _ : state) {
    grid.InsertRows(1, 1);
    state.PauseTiming();
    grid.RemoveRows(1, 1);
    state.ResumeTiming();
  }
  grid.ShowAllColumns();
}

BENCHMARK(BM_FillVector)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertOneRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Insert1000Rows)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Insert1000SingleRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyNineTenthsBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HideNineTenths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowNineTenths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertOneRowFourColumnsHidden)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  RatioReporter reporter;
  RunBenchmarks(argc, argv, reporter);
  const RatioReporter& s = reporter;
  PrintRatio(s, "fill grid / fill vector", "BM_FillGrid", "BM_FillVector", "target <= 3");
  PrintRatio(s, "insert 1,000 rows / insert one", "BM_Insert1000Rows", "BM_InsertOneRow", "target <= 50");
  PrintRatio(s, "1,000 single inserts / insert one", "BM_Insert1000SingleRows", "BM_InsertOneRow",
             "each call moves the row pointers once");
  PrintRatio(s, "hide 9/10 of the rows / copy them", "BM_HideNineTenths", "BM_CopyNineTenthsBaseline",
             "target <= 3");
  PrintRatio(s, "show them again / copy them", "BM_ShowNineTenths", "BM_CopyNineTenthsBaseline",
             "target <= 3");
  PrintRatio(s, "insert one, 4 columns hidden / none", "BM_InsertOneRowFourColumnsHidden", "BM_InsertOneRow",
             "target <= 3");
  benchmark::Shutdown();
  return 0;
}
