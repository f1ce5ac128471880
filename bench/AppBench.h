// Start-up of a benchmark program that drives the program's windows: the
// application object on the offscreen platform, then the benchmarks the
// command line selects, each run kept by the reporter.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "bench/BenchReport.h"
#include "platform/vcl/Forms.h"

inline void RunWindowBenchmarks(int& argc, char** argv, RatioReporter& reporter) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
}
