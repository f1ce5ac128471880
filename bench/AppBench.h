// Start-up of a benchmark program that drives the program's windows: the
// application object on the offscreen platform, then the benchmarks the
// command line selects, each run kept by the reporter.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "app/FormMain.h"
#include "bench/BenchReport.h"
#include "platform/vcl/Forms.h"

// The catalogue window, made as the program makes it once layOutFolder has
// laid out the program's folder; it lives to the end of the benchmarks.
inline TFormMain& CatalogueWindow(AnsiString (*layOutFolder)()) {
  static TFormMain* window = [&] {
    layOutFolder();
    auto* w = new TFormMain(nullptr);
    w->DoCreate();
    return w;
  }();
  return *window;
}

inline void RunWindowBenchmarks(int& argc, char** argv, RatioReporter& reporter) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize(argc, argv);
  RunBenchmarks(argc, argv, reporter);
}
