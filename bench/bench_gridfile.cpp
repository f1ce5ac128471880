// Opening and saving the generated catalogue (tools/CatalogueGen.h) of
// 20,000 and 100,000 movies as a grid file, side by side with SQLite holding
// the same rows in a table of 42 text columns, in the same run:
//   open: LoadGridFile / SQLite opening the database and reading every row
//         into vectors of strings;
//   save: SaveGridFile / SQLite writing the table in one transaction into
//         a new database (both write a new file and sync it).
// Each is repeated five times with the repetitions interleaved; ratios are
// of the medians. Then, in fresh processes (this program run again with
// --child), five interleaved opens of each: their median times, the peak
// memory each process rises by, and what it holds resident after the load.
// A run with --benchmark_filter leaves the fresh processes out.
// Printed at the end, with the targets:
//   open / SQLite, 20,000 and 100,000, in this process and fresh ones   <= 1.5
//   save / SQLite                                                       <= 1.2
//   100,000 / 20,000 for open and save                                  <= 6
//   peak rise of a fresh 100,000-movie open / file size                 <= 1.5
//   resident after that open / SQLite's rows in vectors                 <= 1.2
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "tools/CatalogueGen.h"
#include "grid/ExGrid.h"

namespace {

using TRows = std::vector<std::vector<std::string>>;

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "bench_gridfile: %s\n", what.c_str());
  std::exit(2);
}

// ------------------------------------------------------------------ SQLite

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string text = error ? error : "?";
    sqlite3_free(error);
    Die(std::string("SQLite: ") + text);
  }
}

// A new database at path holding rows (UTF-8), written in one transaction.
void SqliteWrite(const std::string& path, const TRows& rows) {
  std::remove(path.c_str());
  std::remove((path + "-journal").c_str());
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) Die("cannot create " + path);
  std::string create = "CREATE TABLE movies(";
  std::string insert = "INSERT INTO movies VALUES(";
  for (int c = 0; c < kCatalogueColumns; ++c) {
    create += (c ? ", c" : "c") + std::to_string(c) + " TEXT";
    insert += c ? ",?" : "?";
  }
  Exec(db, (create + ")").c_str());
  Exec(db, "BEGIN");
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &st, nullptr) != SQLITE_OK) Die("prepare");
  for (const auto& row : rows) {
    for (int c = 0; c < kCatalogueColumns; ++c) {
      const std::string& t = row[static_cast<std::size_t>(c)];
      sqlite3_bind_text(st, c + 1, t.data(), static_cast<int>(t.size()), SQLITE_STATIC);
    }
    if (sqlite3_step(st) != SQLITE_DONE) Die("insert");
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

TRows SqliteRead(const std::string& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) Die("cannot open " + path);
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT * FROM movies", -1, &st, nullptr) != SQLITE_OK) Die("select");
  TRows rows;
  const int columns = sqlite3_column_count(st);
  while (sqlite3_step(st) == SQLITE_ROW) {
    std::vector<std::string>& row = rows.emplace_back();
    row.reserve(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
      row.emplace_back(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(st, c)));
    }
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

// ------------------------------------------------------------------ catalogues

struct Catalogue {
  std::unique_ptr<TExStringGrid> grid;
  AnsiString fileName;
  std::string dbName;
  Int64 fileBytes = 0;
  TRows utf8Rows;  // the grid's rows, header row included, in UTF-8
};

// One catalogue per size, made once and saved once in both forms; the grids
// stay to the end of the process (controls must not outlive the class
// library's globals).
Catalogue& CatalogueOf(int movies) {
  static auto* catalogues = new std::map<int, Catalogue>;
  Catalogue& c = (*catalogues)[movies];
  if (!c.grid) {
    c.grid = std::make_unique<TExStringGrid>(nullptr);
    FillCatalogueGrid(*c.grid, GenerateCatalogue(movies));
    const AnsiString base = GetTempDir() + "vidrena-bench-" + IntToStr(movies) + "-" + IntToStr(getpid());
    c.fileName = base + ".vdm";
    c.dbName = SysFileName(base + ".db");
    c.grid->SaveGridFile(c.fileName);
    c.fileBytes = FileSizeOf(c.fileName);
    for (int r = 0; r < c.grid->RowCount(); ++r) {
      std::vector<std::string>& row = c.utf8Rows.emplace_back();
      for (int col = 0; col < c.grid->ColCount(); ++col) row.push_back(Cp949ToUtf8(c.grid->Cells(col, r)));
    }
    SqliteWrite(c.dbName, c.utf8Rows);
  }
  return c;
}

void BM_SaveGridFile(benchmark::State& state) {
  Catalogue& c = CatalogueOf(static_cast<int>(state.range(0)));
  const AnsiString target = c.fileName + ".save";
  for (auto _ : state) c.grid->SaveGridFile(target);
  DeleteFile(target);
  state.SetBytesProcessed(state.iterations() * c.fileBytes);
}

void BM_SqliteWrite(benchmark::State& state) {
  Catalogue& c = CatalogueOf(static_cast<int>(state.range(0)));
  const std::string target = c.dbName + ".save";
  for (auto _ : state) SqliteWrite(target, c.utf8Rows);
  std::remove(target.c_str());
}

void BM_LoadGridFile(benchmark::State& state) {
  Catalogue& c = CatalogueOf(static_cast<int>(state.range(0)));
  TExStringGrid grid(nullptr);
  for (auto _ : state) grid.LoadGridFile(c.fileName);
  state.SetBytesProcessed(state.iterations() * c.fileBytes);
}

void BM_SqliteRead(benchmark::State& state) {
  Catalogue& c = CatalogueOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TRows rows = SqliteRead(c.dbName);
    benchmark::DoNotOptimize(rows.data());
  }
}

constexpr int kRepetitions = kBenchRepetitions;
BENCHMARK(BM_SaveGridFile)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteWrite)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadGridFile)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteRead)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------------ fresh processes

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line))
    if (line.compare(0, key.size(), key) == 0) return std::atol(line.c_str() + key.size());
  return 0;
}

// The child: one open of one kind, then "seconds peak-rise resident-rise".
int ChildMain(const std::string& kind, const std::string& path) {
  std::unique_ptr<TExStringGrid> grid;
  if (kind == "grid") grid = std::make_unique<TExStringGrid>(nullptr);
  const long before = StatusKb("VmRSS");
  const auto start = std::chrono::steady_clock::now();
  TRows rows;
  if (grid)
    grid->LoadGridFile(path);
  else
    rows = SqliteRead(path);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long peak = StatusKb("VmHWM");
  const long resident = StatusKb("VmRSS");
  std::printf("%.6f %lld %lld\n", seconds, (peak - before) * 1024LL, (resident - before) * 1024LL);
  std::fflush(stdout);
  // The grid stays alive to the end, as in the program; exit without
  // tearing it down.
  std::_Exit(0);
}

struct ChildResult {
  double seconds = 0;
  double peak = 0;
  double resident = 0;
};

ChildResult RunChild(const std::string& kind, const std::string& path) {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) Die("cannot find this program");
  self[n] = '\0';
  const std::string command = std::string("'") + self + "' --child " + kind + " '" + path + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) Die("cannot run " + command);
  ChildResult r;
  if (std::fscanf(pipe, "%lf %lf %lf", &r.seconds, &r.peak, &r.resident) != 3) Die("child failed: " + command);
  pclose(pipe);
  return r;
}

double MedianOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct FreshRuns {
  std::vector<double> seconds, peak, resident;
  void Add(const ChildResult& r) {
    seconds.push_back(r.seconds);
    peak.push_back(r.peak);
    resident.push_back(r.resident);
  }
};

void PrintLine(const std::string& label, double value, const std::string& target) {
  PrintFigure(label, value, target);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return ChildMain(argv[2], argv[3]);

  bool filtered = false;
  for (int i = 1; i < argc; ++i) filtered = filtered || std::strncmp(argv[i], "--benchmark_filter", 18) == 0;
  RatioReporter reporter;
  RunBenchmarks(argc, argv, reporter);
  const RatioReporter& m = reporter;
  std::printf("Medians of %d interleaved repetitions (and the ratio of the fastest):\n", kRepetitions);
  for (const char* n : {"20000", "100000"}) {
    const std::string size = n;
    const std::string ours = "BM_LoadGridFile/" + size;
    if (reporter.Has(ours)) {
      const double mb = static_cast<double>(CatalogueOf(std::atoi(n)).fileBytes) / 1e6;
      std::printf("%s movies: %.1f MB file, open %.0f MB/s\n", n, mb, mb / m.Median(ours));
    }
    PrintRatio(m, "open / SQLite read, " + size, ours, "BM_SqliteRead/" + size, "target <= 1.5");
    PrintRatio(m, "save / SQLite write, " + size, "BM_SaveGridFile/" + size, "BM_SqliteWrite/" + size,
               "target <= 1.2");
  }
  PrintRatio(m, "open, 100,000 / 20,000 movies", "BM_LoadGridFile/100000", "BM_LoadGridFile/20000", "target <= 6");
  PrintRatio(m, "SQLite read, 100,000 / 20,000 movies", "BM_SqliteRead/100000", "BM_SqliteRead/20000",
             "for comparison");
  PrintRatio(m, "save, 100,000 / 20,000 movies", "BM_SaveGridFile/100000", "BM_SaveGridFile/20000", "target <= 6");
  PrintRatio(m, "SQLite write, 100,000 / 20,000 movies", "BM_SqliteWrite/100000", "BM_SqliteWrite/20000",
             "for comparison");

  if (!filtered) std::printf("\nFresh processes, medians of %d interleaved opens each:\n", kRepetitions);
  for (int movies : {20000, 100000}) {
    if (filtered) break;
    const Catalogue& c = CatalogueOf(movies);
    FreshRuns grid, sqlite;
    for (int i = 0; i < kRepetitions; ++i) {
      grid.Add(RunChild("grid", SysFileName(c.fileName)));
      sqlite.Add(RunChild("sqlite", c.dbName));
    }
    const std::string size = std::to_string(movies);
    const double file = static_cast<double>(c.fileBytes);
    std::printf("%-52s %8.0f ms   SQLite %.0f ms\n", ("fresh open, " + size).c_str(),
                MedianOf(grid.seconds) * 1e3, MedianOf(sqlite.seconds) * 1e3);
    PrintLine("fresh open / SQLite read, " + size, MedianOf(grid.seconds) / MedianOf(sqlite.seconds),
              "target <= 1.5");
    if (movies != 100000) continue;
    std::printf("%-52s %8.0f MB   grid file %.0f MB\n", "peak rise of a fresh open", MedianOf(grid.peak) / 1e6,
                file / 1e6);
    std::printf("%-52s %8.0f MB\n", "peak rise of a fresh SQLite read", MedianOf(sqlite.peak) / 1e6);
    PrintLine("peak rise / file size, 100,000", MedianOf(grid.peak) / file, "target <= 1.5");
    PrintLine("SQLite peak rise / file size, 100,000", MedianOf(sqlite.peak) / file, "for comparison");
    std::printf("%-52s %8.0f MB   SQLite's rows in vectors %.0f MB\n", "resident after a fresh open",
                MedianOf(grid.resident) / 1e6, MedianOf(sqlite.resident) / 1e6);
    PrintLine("resident after the open / SQLite's rows, 100,000",
              MedianOf(grid.resident) / MedianOf(sqlite.resident), "target <= 1.2");
  }
  for (int movies : {20000, 100000}) {
    DeleteFile(CatalogueOf(movies).fileName);
    std::remove(CatalogueOf(movies).dbName.c_str());
  }
  benchmark::Shutdown();
  return 0;
}
