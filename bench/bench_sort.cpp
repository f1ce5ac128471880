// Sorting the generated catalogue (tools/CatalogueGen.h) of 20,000 and
// 100,000 movies by the Korean title column and by the running-time column
// (numbers), with the grid's own sort, against std::stable_sort of the
// same column's strings with the same comparison function
// (CompareTextsByStyle, automatic style). Ties are not broken on further
// columns here (SortSettings Full off), so both sides compare the same
// cells; one run with Full on shows what the catalogue's setting costs.
// Printed at the end:
//   grid sort / std::stable_sort, per column and size   (target: at most 1.3)
//   growth from 20,000 to 100,000 movies / the growth of std::stable_sort
//   of the titles, measured in the same run             (target: at most 1.15)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "tools/CatalogueGen.h"
#include "grid/ExGrid.h"

namespace {

// One grid per size, filled once; every run starts from the generated order.
// The grids are left to the end of the process: destroying controls after
// the class library's globals have gone at exit is not safe.
TExStringGrid& CatalogueGrid(int movies) {
  static auto* grids = new std::map<int, std::unique_ptr<TExStringGrid>>;
  auto& grid = (*grids)[movies];
  if (!grid) {
    grid = std::make_unique<TExStringGrid>(nullptr);
    FillCatalogueGrid(*grid, GenerateCatalogue(movies));
    grid->SetFixedCols(0);
  }
  return *grid;
}

void BM_GridSort(benchmark::State& state, int col, bool full) {
  TExStringGrid& grid = CatalogueGrid(static_cast<int>(state.range(0)));
  grid.SortSettings()->SetFull(full);
  grid.SortSettings()->SetColumn(col);
  grid.SortSettings()->SetDirection(sdAscending);
  for (auto _ : state) {
    grid.SortOnColumn();
    state.PauseTiming();
    grid.RestoreUnsortedOrder();
    state.ResumeTiming();
  }
}

void BM_StableSort(benchmark::State& state, int col) {
  TExStringGrid& grid = CatalogueGrid(static_cast<int>(state.range(0)));
  std::vector<AnsiString> original;
  for (int r = 1; r < grid.RowCount(); ++r) original.push_back(grid.Cells(col, r));
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<AnsiString> texts = original;
    state.ResumeTiming();
    std::stable_sort(texts.begin(), texts.end(), [](const AnsiString& a, const AnsiString& b) {
      return CompareTextsByStyle(ssAutomatic, a, b) < 0;
    });
    benchmark::DoNotOptimize(texts.data());
  }
}

void BM_GridSortTitle(benchmark::State& s) { BM_GridSort(s, kColTitle, false); }
void BM_GridSortTitleFull(benchmark::State& s) { BM_GridSort(s, kColTitle, true); }
void BM_GridSortMinutes(benchmark::State& s) { BM_GridSort(s, kColRunningTime, false); }
void BM_GridSortMinutesFull(benchmark::State& s) { BM_GridSort(s, kColRunningTime, true); }
void BM_StableSortTitle(benchmark::State& s) { BM_StableSort(s, kColTitle); }
void BM_StableSortMinutes(benchmark::State& s) { BM_StableSort(s, kColRunningTime); }

BENCHMARK(BM_StableSortTitle)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridSortTitle)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridSortTitleFull)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StableSortMinutes)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridSortMinutes)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridSortMinutesFull)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  RatioReporter reporter;
  RunBenchmarks(argc, argv, reporter);
  const RatioReporter& s = reporter;
  for (const char* n : {"20000", "100000"}) {
    const std::string size = n;
    PrintRatio(s, "title sort / std::stable_sort, " + size, "BM_GridSortTitle/" + size,
               "BM_StableSortTitle/" + size, "target <= 1.3");
    PrintRatio(s, "minutes sort / std::stable_sort, " + size, "BM_GridSortMinutes/" + size,
               "BM_StableSortMinutes/" + size, "target <= 1.3");
    PrintRatio(s, "title sort with ties broken / without, " + size, "BM_GridSortTitleFull/" + size,
               "BM_GridSortTitle/" + size, "information");
    PrintRatio(s, "minutes sort with ties broken / without, " + size, "BM_GridSortMinutesFull/" + size,
               "BM_GridSortMinutes/" + size, "information");
  }
  PrintRatio(s, "title sort, 100,000 / 20,000 movies", "BM_GridSortTitle/100000", "BM_GridSortTitle/20000",
             "information");
  PrintRatio(s, "minutes sort, 100,000 / 20,000 movies", "BM_GridSortMinutes/100000",
             "BM_GridSortMinutes/20000", "information");
  // What any comparison sort scales by here: five times the rows, each
  // compared about log n times (5.81 by the count alone), plus the cache.
  PrintRatio(s, "std::stable_sort of titles, 100,000 / 20,000", "BM_StableSortTitle/100000",
             "BM_StableSortTitle/20000", "information");
  for (const std::string sort : {"title", "minutes"}) {
    const std::string name = sort == "title" ? "BM_GridSortTitle" : "BM_GridSortMinutes";
    PrintGrowth(s, sort + " sort growth / std::stable_sort growth", name + "/100000", name + "/20000",
                "BM_StableSortTitle/100000", "BM_StableSortTitle/20000", "target <= 1.15");
  }
  benchmark::Shutdown();
  return 0;
}
