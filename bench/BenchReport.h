// What every benchmark program prints after Google Benchmark's own table:
// ratios of one run's time per iteration against another's, measured in the
// same process so that the machine's load falls on both.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

// Keeps each run's wall time per iteration, in seconds, by benchmark name
// (for example "BM_FilterGrid/20000"). A benchmark repeated keeps its
// fastest repetition: the machine is shared, and what others do on it only
// ever adds time.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      const double perIteration = run.real_accumulated_time / run.iterations;
      auto [it, first] = seconds.emplace(run.benchmark_name(), perIteration);
      if (!first && perIteration < it->second) it->second = perIteration;
      all[run.benchmark_name()].push_back(perIteration);
    }
    ConsoleReporter::ReportRuns(runs);
  }
  bool Has(const std::string& name) const { return seconds.count(name) != 0; }
  double Seconds(const std::string& name) const { return seconds.at(name); }

  // The median of a repeated benchmark's repetitions (the upper one of an
  // even count), for targets stated on medians.
  double Median(const std::string& name) const {
    std::vector<double> v = all.at(name);
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  }
  std::map<std::string, double> medians() const {
    std::map<std::string, double> m;
    for (const auto& [name, runs] : all) m[name] = Median(name);
    return m;
  }

  std::map<std::string, double> seconds;
  std::map<std::string, std::vector<double>> all;  // every repetition
};

// One line "label  ratio  (target)"; nothing when either run is missing
// (a filter on the command line left it out).
inline void PrintRatio(const std::map<std::string, double>& s, const std::string& label,
                       const std::string& ours, const std::string& base, const std::string& target) {
  if (!s.count(ours) || !s.count(base)) return;
  std::printf("%-44s %8.2f   (%s)\n", label.c_str(), s.at(ours) / s.at(base), target.c_str());
}
