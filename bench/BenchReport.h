// What every benchmark program prints after Google Benchmark's own table:
// ratios of one benchmark's time per iteration against another's, measured
// in the same process with the repetitions of all benchmarks taking turns,
// so that the machine's load falls on both sides.
//
// Every figure that has a target is printed on one line of one shape,
//   <label>   <figure>   min <figure of the fastest runs>   (target <= 1.5)
// (or "target >= ..."), the figure being the one the target applies to;
// bench/check.sh finds the targets by that shape alone.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

// The repetitions each benchmark runs unless it or the command line says
// otherwise: enough for a median that one disturbed run does not move.
constexpr int kBenchRepetitions = 5;

// Keeps each repetition's wall time per iteration, in seconds, by benchmark
// name (for example "BM_FilterGrid/20000"; a "/repeats:N" part is dropped,
// so that a name reads the same whatever the repetition count).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  static std::string Key(std::string name) {
    const std::size_t at = name.find("/repeats:");
    if (at == std::string::npos) return name;
    const std::size_t end = name.find('/', at + 1);
    return name.erase(at, end == std::string::npos ? std::string::npos : end - at);
  }

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0 || run.error_occurred) continue;
      const double perIteration = run.real_accumulated_time / run.iterations;
      const std::string key = Key(run.benchmark_name());
      auto [it, first] = seconds.emplace(key, perIteration);
      if (!first && perIteration < it->second) it->second = perIteration;
      all[key].push_back(perIteration);
    }
    ConsoleReporter::ReportRuns(runs);
  }
  bool Has(const std::string& name) const { return seconds.count(Key(name)) != 0; }
  // The fastest repetition: what others on the machine only ever slow down.
  double Seconds(const std::string& name) const { return seconds.at(Key(name)); }
  double Min(const std::string& name) const { return Seconds(name); }
  // The median of the repetitions (the upper one of an even count): what
  // targets are stated on.
  double Median(const std::string& name) const {
    std::vector<double> v = all.at(Key(name));
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  }
  std::map<std::string, double> medians() const {
    std::map<std::string, double> m;
    for (const auto& [name, runs] : all) m[name] = Median(name);
    return m;
  }

  std::map<std::string, double> seconds;            // fastest repetition
  std::map<std::string, std::vector<double>> all;  // every repetition
};

// Google Benchmark over the command line, with every benchmark's
// repetitions interleaved with the others' and kBenchRepetitions of them
// by default; a command line that sets either keeps its own.
inline void RunBenchmarks(int& argc, char** argv, RatioReporter& reporter) {
  static std::vector<std::string> extra;
  std::vector<char*> args(argv, argv + argc);
  auto given = [&](const char* flag) {
    for (int i = 1; i < argc; ++i)
      if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) return true;
    return false;
  };
  if (!given("--benchmark_enable_random_interleaving")) extra.push_back("--benchmark_enable_random_interleaving=true");
  if (!given("--benchmark_repetitions")) extra.push_back("--benchmark_repetitions=" + std::to_string(kBenchRepetitions));
  for (std::string& flag : extra) args.push_back(flag.data());
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
}

// One figure on its line; target is "target <= N", "target >= N", or any
// other words for a figure given for information.
inline void PrintFigure(const std::string& label, double value, const std::string& target) {
  std::printf("%-52s  %8.2f   (%s)\n", label.c_str(), value, target.c_str());
}
inline void PrintFigure(const std::string& label, double median, double fastest, const std::string& target) {
  std::printf("%-52s  %8.2f   min %6.2f   (%s)\n", label.c_str(), median, fastest, target.c_str());
}

// ours / base: the ratio of the medians, then that of the fastest
// repetitions; nothing when either side is missing (a filter on the command
// line left it out).
inline void PrintRatio(const RatioReporter& r, const std::string& label, const std::string& ours,
                       const std::string& base, const std::string& target) {
  if (!r.Has(ours) || !r.Has(base)) return;
  PrintFigure(label, r.Median(ours) / r.Median(base), r.Min(ours) / r.Min(base), target);
}

// The same over a map of one time per benchmark.
inline void PrintRatio(const std::map<std::string, double>& s, const std::string& label, const std::string& ours,
                       const std::string& base, const std::string& target) {
  const std::string o = RatioReporter::Key(ours), b = RatioReporter::Key(base);
  if (!s.count(o) || !s.count(b)) return;
  PrintFigure(label, s.at(o) / s.at(b), target);
}

// How much more ours grows from its small to its big run than base grows
// between its own: (ours big / ours small) / (base big / base small).
inline void PrintGrowth(const RatioReporter& r, const std::string& label, const std::string& oursBig,
                        const std::string& oursSmall, const std::string& baseBig, const std::string& baseSmall,
                        const std::string& target) {
  if (!r.Has(oursBig) || !r.Has(oursSmall) || !r.Has(baseBig) || !r.Has(baseSmall)) return;
  PrintFigure(label, (r.Median(oursBig) / r.Median(oursSmall)) / (r.Median(baseBig) / r.Median(baseSmall)),
              (r.Min(oursBig) / r.Min(oursSmall)) / (r.Min(baseBig) / r.Min(baseSmall)), target);
}
