// How Format and the number routines compare with the C library's snprintf
// measured in the same run, for the shapes the program formats most: a
// count ("%d"), a caption ("%s (%d)"), a padded column and a float.
// A ratio near or below 1 means Format costs no more than snprintf.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "bench/BenchReport.h"
#include "platform/rtl/SysUtils.h"

namespace {

void BM_SnprintfInt(benchmark::State& state) {
  int n = 0;
  for (auto _ : state) {
    char buf[32];
    int len = std::snprintf(buf, sizeof buf, "%d", ++n * 7919);
    std::string s(buf, static_cast<size_t>(len));
    benchmark::DoNotOptimize(s.data());
  }
}

void BM_FormatInt(benchmark::State& state) {
  int n = 0;
  for (auto _ : state) {
    AnsiString s = Format("%d", {++n * 7919});
    benchmark::DoNotOptimize(s.data());
  }
}

void BM_SnprintfCaption(benchmark::State& state) {
  const std::string title = "반지의 제왕: 반지 원정대"_k;
  int n = 0;
  for (auto _ : state) {
    char buf[128];
    int len = std::snprintf(buf, sizeof buf, "%s (%d)", title.c_str(), ++n);
    std::string s(buf, static_cast<size_t>(len));
    benchmark::DoNotOptimize(s.data());
  }
}

void BM_FormatCaption(benchmark::State& state) {
  const AnsiString title = "반지의 제왕: 반지 원정대"_k;
  int n = 0;
  for (auto _ : state) {
    AnsiString s = Format("%s (%d)", {title, ++n});
    benchmark::DoNotOptimize(s.data());
  }
}

void BM_SnprintfPadded(benchmark::State& state) {
  int n = 0;
  for (auto _ : state) {
    ++n;
    char buf[64];
    int len = std::snprintf(buf, sizeof buf, "%-8s|%6.3d|%X", "name", n, n * 31);
    std::string s(buf, static_cast<size_t>(len));
    benchmark::DoNotOptimize(s.data());
  }
}

void BM_FormatPadded(benchmark::State& state) {
  int n = 0;
  for (auto _ : state) {
    ++n;
    AnsiString s = Format("%-8s|%6.3d|%X", {"name", n, n * 31});
    benchmark::DoNotOptimize(s.data());
  }
}

void BM_SnprintfFloat(benchmark::State& state) {
  double v = 0.1;
  for (auto _ : state) {
    char buf[64];
    int len = std::snprintf(buf, sizeof buf, "%.2f", v += 1.25);
    std::string s(buf, static_cast<size_t>(len));
    benchmark::DoNotOptimize(s.data());
  }
}

void BM_FormatFloat(benchmark::State& state) {
  double v = 0.1;
  for (auto _ : state) {
    AnsiString s = Format("%.2f", {v += 1.25});
    benchmark::DoNotOptimize(s.data());
  }
}

BENCHMARK(BM_SnprintfInt);
BENCHMARK(BM_FormatInt);
BENCHMARK(BM_SnprintfCaption);
BENCHMARK(BM_FormatCaption);
BENCHMARK(BM_SnprintfPadded);
BENCHMARK(BM_FormatPadded);
BENCHMARK(BM_SnprintfFloat);
BENCHMARK(BM_FormatFloat);

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  RunBenchmarks(argc, argv, reporter);
  const RatioReporter& s = reporter;
  for (const char* shape : {"Int", "Caption", "Padded", "Float"}) {
    const std::string base = std::string("BM_Snprintf") + shape, ours = std::string("BM_Format") + shape;
    PrintRatio(s, std::string(shape) + " Format / snprintf", ours, base, "information");
  }
  benchmark::Shutdown();
  return 0;
}
