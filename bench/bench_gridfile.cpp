// Saving and loading the generated catalogue (bench/CatalogueGen.h) of
// 20,000 and 100,000 movies as a grid file, against the work no grid file
// can avoid, measured in the same run:
//   load: reading the file's bytes, and converting all its cell texts from
//         UTF-8 to code page 949 in one pass;
//   save: converting all cell texts from code page 949 to UTF-8 in one pass,
//         and writing that many bytes to a file.
// Printed at the end: MB/s, the ratios against that work (target: at most
// 4), 100,000 movies against 20,000 (target: at most 6), and the peak
// memory a load of the 100,000-movie file adds (target: at most 3 times
// the file's size plus 50 MB), measured in a child process.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "bench/CatalogueGen.h"
#include "grid/ExGrid.h"

namespace {

struct Catalogue {
  std::unique_ptr<TExStringGrid> grid;
  AnsiString fileName;
  Int64 fileBytes = 0;
  std::string allTextCp949;  // every cell's text, one after another
  std::string allTextUtf8;
};

// One catalogue per size, made once and saved once; the grids stay to the
// end of the process (controls must not outlive the class library's globals).
Catalogue& CatalogueOf(int movies) {
  static auto* catalogues = new std::map<int, Catalogue>;
  Catalogue& c = (*catalogues)[movies];
  if (!c.grid) {
    c.grid = std::make_unique<TExStringGrid>(nullptr);
    FillCatalogueGrid(*c.grid, GenerateCatalogue(movies));
    c.fileName = GetTempDir() + "vidrena-bench-" + IntToStr(movies) + "-" + IntToStr(getpid()) + ".vdm";
    c.grid->SaveGridFile(c.fileName);
    c.fileBytes = FileSizeOf(c.fileName);
    for (int r = 0; r < c.grid->RowCount(); ++r)
      for (int col = 0; col < c.grid->ColCount(); ++col) c.allTextCp949 += c.grid->Cells(col, r);
    c.allTextUtf8 = Cp949ToUtf8(c.allTextCp949);
  }
  return c;
}

std::string ReadWholeFile(const AnsiString& name, Int64 size) {
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (std::FILE* f = std::fopen(SysFileName(name).c_str(), "rb")) {
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
  }
  return bytes;
}

void BM_SaveGridFile(benchmark::State& state) {
  Catalogue& c = CatalogueOf(static_cast<int>(state.range(0)));
  const AnsiString target = c.fileName + ".save";
  for (auto _ : state) c.grid->SaveGridFile(target);
  DeleteFile(target);
  state.SetBytesProcessed(state.iterations() * c.fileBytes);
}

void BM_LoadGridFile(benchmark::State& state) {
  Catalogue& c = CatalogueOf(static_cast<int>(state.range(0)));
  TExStringGrid grid(nullptr);
  for (auto _ : state) grid.LoadGridFile(c.fileName);
  state.SetBytesProcessed(state.iterations() * c.fileBytes);
}

void BM_SaveBaseline(benchmark::State& state) {
  Catalogue& c = CatalogueOf(static_cast<int>(state.range(0)));
  const AnsiString target = c.fileName + ".raw";
  for (auto _ : state) {
    std::string utf8 = Cp949ToUtf8(c.allTextCp949);
    utf8.resize(static_cast<std::size_t>(c.fileBytes), ' ');
    std::ofstream out(SysFileName(target), std::ios::binary | std::ios::trunc);
    out.write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
  }
  DeleteFile(target);
  state.SetBytesProcessed(state.iterations() * c.fileBytes);
}

void BM_LoadBaseline(benchmark::State& state) {
  Catalogue& c = CatalogueOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::string bytes = ReadWholeFile(c.fileName, c.fileBytes);
    benchmark::DoNotOptimize(bytes.data());
    AnsiString text = Utf8ToCp949(c.allTextUtf8);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(state.iterations() * c.fileBytes);
}

BENCHMARK(BM_SaveBaseline)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveGridFile)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBaseline)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadGridFile)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line))
    if (line.compare(0, key.size(), key) == 0) return std::atol(line.c_str() + key.size());
  return 0;
}

// Loads the file into a fresh grid in a child process and returns how far
// the child's peak resident size rose above where it started, in bytes.
long long PeakLoadGrowth(const AnsiString& fileName) {
  int channel[2];
  if (pipe(channel) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const long before = StatusKb("VmRSS");
    // The parent's pages are shared until written; the peak counts what
    // the load itself touches and allocates.
    long long growth = -1;
    try {
      TExStringGrid grid(nullptr);
      grid.LoadGridFile(fileName);
      growth = (StatusKb("VmHWM") - before) * 1024LL;
    } catch (...) {
    }
    ssize_t written = write(channel[1], &growth, sizeof growth);
    _exit(written == sizeof growth ? 0 : 1);
  }
  close(channel[1]);
  long long growth = -1;
  if (read(channel[0], &growth, sizeof growth) != sizeof growth) growth = -1;
  close(channel[0]);
  waitpid(child, nullptr, 0);
  return growth;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& s = reporter.seconds;
  std::printf("\n");
  for (const char* n : {"20000", "100000"}) {
    const std::string size = n;
    const Catalogue& c = CatalogueOf(std::atoi(n));
    const double mb = static_cast<double>(c.fileBytes) / 1e6;
    for (const char* op : {"Save", "Load"}) {
      const std::string ours = std::string("BM_") + op + "GridFile/" + size;
      if (reporter.Has(ours))
        std::printf("%s %s movies: %.1f MB file, %.0f MB/s\n", op, n, mb, mb / reporter.Seconds(ours));
    }
    PrintRatio(s, "save / unavoidable work, " + size, "BM_SaveGridFile/" + size, "BM_SaveBaseline/" + size,
               "target <= 4");
    PrintRatio(s, "load / unavoidable work, " + size, "BM_LoadGridFile/" + size, "BM_LoadBaseline/" + size,
               "target <= 4");
  }
  PrintRatio(s, "save, 100,000 / 20,000 movies", "BM_SaveGridFile/100000", "BM_SaveGridFile/20000",
             "target <= 6");
  PrintRatio(s, "load, 100,000 / 20,000 movies", "BM_LoadGridFile/100000", "BM_LoadGridFile/20000",
             "target <= 6");
  const Catalogue& large = CatalogueOf(100000);
  const long long growth = PeakLoadGrowth(large.fileName);
  const double limit = 3.0 * static_cast<double>(large.fileBytes) + 50e6;
  if (growth >= 0)
    std::printf("%-44s %8.0f MB (limit %.0f MB: 3 x %.0f MB file + 50 MB)\n",
                "peak memory of a 100,000-movie load", growth / 1e6, limit / 1e6,
                static_cast<double>(large.fileBytes) / 1e6);
  for (const char* n : {"20000", "100000"}) DeleteFile(CatalogueOf(std::atoi(n)).fileName);
  benchmark::Shutdown();
  return 0;
}
