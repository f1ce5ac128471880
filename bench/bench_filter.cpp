// Filtering and grouping the generated catalogue at 20,000 and 100,000
// movies.
//   filter:  the catalogue's search (FilterCaseUp, "*LOVE*" on the synopsis
//            column) switched on, against a plain loop that upper-cases
//            each synopsis and evaluates the same condition on it
//   group:   GroupByColumn on the genre column and Ungroup; grouping sorts
//            the rows first, so this scales at least as a sort does
// Printed at the end:
//   filter grid / plain loop            (target: at most 2)
//   filter 100,000 / filter 20,000      (target: at most 6)
//   group and ungroup 100,000 / 20,000  (target: at most 6)
//   that growth / the growth of std::stable_sort of the titles, measured
//   in the same run (target: at most 1.15; a sort sets its floor)
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

using TCatalogue = std::vector<std::vector<AnsiString>>;

const TCatalogue& Catalogue(int movies) {
  static std::map<int, TCatalogue> made;
  auto it = made.find(movies);
  if (it == made.end()) it = made.emplace(movies, GenerateCatalogue(movies)).first;
  return it->second;
}

// The catalogue's search writes the value upper-cased between stars.
const AnsiString kCondition = "*LOVE*";

std::unique_ptr<TExStringGrid> CatalogueGrid(const TCatalogue& movies) {
  auto grid = std::make_unique<TExStringGrid>(nullptr);
  grid->BeginUpdate();
  FillCatalogueGrid(*grid, movies);
  grid->SetFixedRows(1);
  grid->SetFixedCols(1);
  grid->EndUpdate();
  return grid;
}

void BM_FilterPlainLoop(benchmark::State& state) {
  const TCatalogue& movies = Catalogue(static_cast<int>(state.range(0)));
  std::vector<AnsiString> synopsis;
  for (const auto& movie : movies) synopsis.push_back(movie[kColSynopsis]);
  int passed = 0;
  for (auto _ : state) {
    passed = 0;
    for (const AnsiString& text : synopsis) passed += MatchFilterExpression(kCondition, UpperCase(text), true);
    benchmark::DoNotOptimize(passed);
  }
  state.counters["passed"] = passed;
}

void BM_FilterGrid(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  auto grid = CatalogueGrid(Catalogue(count));
  grid->SetFilterCaseUp(true);
  TFilterData* item = grid->Filter()->Add();
  item->SetColumn(kColSynopsis);
  item->SetCondition(kCondition);
  int passed = 0;
  for (auto _ : state) {
    grid->SetFilterActive(true);
    passed = grid->RowCount() - 1;
    state.PauseTiming();
    grid->SetFilterActive(false);
    state.ResumeTiming();
  }
  state.counters["passed"] = passed;
  if (grid->RowCount() != count + 1) state.SkipWithError("rows lost after the filter went off");
}

void BM_GroupUngroup(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  auto grid = CatalogueGrid(Catalogue(count));
  int groups = 0;
  for (auto _ : state) {
    grid->GroupByColumn(kColGenre);
    groups = grid->NodeCount();
    grid->Ungroup();
  }
  state.counters["groups"] = groups;
  if (grid->RowCount() != count + 1 || grid->ColCount() != kCatalogueColumns)
    state.SkipWithError("the grid did not come back whole");
}

// The floor of grouping's growth: a stable sort of the same movies' titles.
void BM_StableSortTitles(benchmark::State& state) {
  const TCatalogue& movies = Catalogue(static_cast<int>(state.range(0)));
  std::vector<AnsiString> original;
  original.reserve(movies.size());
  for (const auto& m : movies) original.push_back(m[kColTitle]);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<AnsiString> titles = original;
    state.ResumeTiming();
    std::stable_sort(titles.begin(), titles.end());
    benchmark::DoNotOptimize(titles.data());
  }
}

BENCHMARK(BM_FilterPlainLoop)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterGrid)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
// Three group and ungroup rounds on one grid, as in one session with the
// catalogue: the first sorts movies in their generated order, the next
// ones movies already in genre order.
BENCHMARK(BM_GroupUngroup)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StableSortTitles)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  RatioReporter reporter;
  RunBenchmarks(argc, argv, reporter);
  const RatioReporter& s = reporter;
  PrintRatio(s, "filter 20,000: grid / plain loop", "BM_FilterGrid/20000", "BM_FilterPlainLoop/20000",
             "target <= 2");
  PrintRatio(s, "filter 100,000: grid / plain loop", "BM_FilterGrid/100000", "BM_FilterPlainLoop/100000",
             "target <= 2");
  PrintRatio(s, "filter 100,000 / 20,000", "BM_FilterGrid/100000", "BM_FilterGrid/20000", "target <= 6");
  PrintRatio(s, "group and ungroup 100,000 / 20,000", "BM_GroupUngroup/100000/iterations:3",
             "BM_GroupUngroup/20000/iterations:3", "target <= 6");
  PrintRatio(s, "std::stable_sort of titles 100,000 / 20,000", "BM_StableSortTitles/100000",
             "BM_StableSortTitles/20000", "the floor of the next line");
  PrintGrowth(s, "group growth / std::stable_sort growth", "BM_GroupUngroup/100000/iterations:3",
              "BM_GroupUngroup/20000/iterations:3", "BM_StableSortTitles/100000", "BM_StableSortTitles/20000",
              "target <= 1.15");
  benchmark::Shutdown();
  return 0;
}
