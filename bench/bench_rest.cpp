// The program at rest. The catalogue window is made as the program makes it,
// opening a generated catalogue of 100,000 movies (tools/CatalogueGen.h) at
// start, shown on the offscreen platform (or the display the environment
// names), and the application's own loop runs with nobody touching it. The
// process's CPU time (every thread) is read:
//   over the 30 s after the catalogue has opened       (for information)
//   over the 10 s of rest that follow, as a share of one core, in percent
//                                                      (target: at most 1)
// with the number of idle passes, each of which is the loop waking for
// something. --rest_seconds=N and --open_seconds=N shorten a trial run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Catalogue.h"
#include "app/FormMain.h"
#include "app/IniSetup.h"
#include "app/WebPictureFetch.h"
#include "bench/BenchReport.h"
#include "tools/CatalogueGen.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"

namespace {

constexpr int kMovies = 100000;
double g_openSeconds = 30;
double g_restSeconds = 10;

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double WallSeconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The program's folder, with the catalogue that opens at start.
AnsiString LayOutFolder() {
  const AnsiString dir = GetTempDir() + "vidrena-bench-rest-" + IntToStr(getpid());
  ForceDirectories(dir + "/DB");
  ForceDirectories(dir + "/AutoSave");
  SetAppDir(dir);
  TExColumnGrid grid(nullptr);
  SetupCatalogueGrid(grid);
  FillCatalogueGrid(grid, GenerateCatalogue(kMovies));
  const AnsiString file = dir + "/DB/rest.VDM";
  grid.SaveGridFile(file);
  TIniSetup setup;
  setup.OpenDBAtStart = true;
  setup.CheckNewVersion = false;
  setup.DBFile = file;
  SaveIniSetup(IniSetupFileName(dir), setup, TIniGridLook{});
  return dir;
}

// CPU and wall seconds of one stretch of the run.
struct TStretch {
  double cpu = 0, wall = 0;
  double CorePercent() const { return wall > 0 ? 100 * cpu / wall : 0; }
};

struct TRestFigures {
  TStretch afterOpen, rest;
  int restIdlePasses = 0;
  bool opened = false;
};
TRestFigures g_figures;

// One run of the application, as main() runs it: the window created, the
// loop run until the phases have passed.
void BM_RestAfterOpen(benchmark::State& state) {
  const AnsiString dir = LayOutFolder();
  for (auto _ : state) {
    TFormMain* window = nullptr;
    Application->CreateForm(window);
    int idlePasses = 0;
    Application->OnIdle = [&idlePasses](TObject*, bool&) { ++idlePasses; };
    enum { kOpening, kAfterOpen, kResting } phase = kOpening;
    double cpuMark = 0, wallMark = 0;
    int passesMark = 0;
    auto* clock = new TTimer(window);
    clock->SetInterval(10);
    clock->OnTimer = [&](TObject*) {
      const double cpu = ProcessCpuSeconds(), wall = WallSeconds();
      auto end = [&](TStretch& stretch, double nextSeconds) {
        stretch = TStretch{cpu - cpuMark, wall - wallMark};
        clock->SetInterval(static_cast<unsigned>(nextSeconds * 1000));
      };
      switch (phase) {
        case kOpening:
          // The first tick once the window shows its catalogue.
          if (window->movie_Grid->RowCount() < kMovies) return;
          g_figures.opened = true;
          phase = kAfterOpen;
          clock->SetInterval(static_cast<unsigned>(g_openSeconds * 1000));
          break;
        case kAfterOpen:
          end(g_figures.afterOpen, g_restSeconds);
          phase = kResting;
          break;
        case kResting:
          end(g_figures.rest, g_restSeconds);
          g_figures.restIdlePasses = idlePasses - passesMark;
          clock->SetEnabled(false);
          window->DBModified = false;
          Application->Terminate();
          return;
      }
      cpuMark = ProcessCpuSeconds();
      wallMark = WallSeconds();
      passesMark = idlePasses;
    };
    Application->Run();
    Application->OnIdle = nullptr;
    state.SetIterationTime(g_figures.rest.wall + g_figures.afterOpen.wall);
  }
  if (!g_figures.opened) state.SkipWithError("the catalogue did not open");
  state.counters["rest_cpu_percent"] = g_figures.rest.CorePercent();
  state.counters["rest_idle_passes"] = g_figures.restIdlePasses;
  std::error_code ignored;
  std::filesystem::remove_all(SysFileName(dir), ignored);
}

// The application runs once per process: one iteration, one repetition.
BENCHMARK(BM_RestAfterOpen)->Iterations(1)->Repetitions(1)->UseManualTime()->Unit(benchmark::kSecond);

// Takes --rest_seconds=N and --open_seconds=N off the command line.
void TakeDurations(int& argc, char** argv) {
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--rest_seconds=", 15) == 0) g_restSeconds = std::atof(argv[i] + 15);
    else if (std::strncmp(argv[i], "--open_seconds=", 15) == 0) g_openSeconds = std::atof(argv[i] + 15);
    else argv[kept++] = argv[i];
  }
  argc = kept;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  TakeDurations(argc, argv);
  Application->Initialize(argc, argv);
  Application->SetTitle("VIDRENA");
  InstallWebPictureFetcher();
  RatioReporter reporter;
  RunBenchmarks(argc, argv, reporter);
  if (!g_figures.opened) return 0;
  std::printf("%-52s  %8.2f s   in %.0f s\n", "CPU time after opening 100,000 movies", g_figures.afterOpen.cpu,
              g_figures.afterOpen.wall);
  PrintFigure("CPU after opening, % of one core", g_figures.afterOpen.CorePercent(), "information");
  std::printf("%-52s  %8d   in %.0f s\n", "idle passes at rest", g_figures.restIdlePasses, g_figures.rest.wall);
  PrintFigure("CPU at rest with 100,000 movies, % of one core", g_figures.rest.CorePercent(), "target <= 1");
  benchmark::Shutdown();
  return 0;
}
