// For the benchmarks that end with a ratio of medians: a console reporter that
// keeps every repetition's rate (passes or lines per second) and real time by benchmark name,
// the median, and a start that interleaves the repetitions of all benchmarks
// so that a burst of noise on a shared machine does not land on one of them.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace zorva::bench {

inline constexpr const char* kPassesPerSecond = "passes/s";
inline constexpr const char* kLinesPerSecond = "lines/s";

class RepetitionCollector : public benchmark::ConsoleReporter {
 public:
  RepetitionCollector() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const std::string& name = run.run_name.function_name;
      for (const char* rate : {kPassesPerSecond, kLinesPerSecond}) {
        const auto counter = run.counters.find(rate);
        if (counter != run.counters.end()) rates[name].push_back(counter->second.value);
      }
      times[name].push_back(run.GetAdjustedRealTime() *
                            benchmark::GetTimeUnitMultiplier(benchmark::kMillisecond) /
                            benchmark::GetTimeUnitMultiplier(run.time_unit));
    }
    ConsoleReporter::ReportRuns(runs);
  }

  std::map<std::string, std::vector<double>> rates;  // passes or lines per second
  std::map<std::string, std::vector<double>> times;  // milliseconds per iteration
};

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Runs the registered benchmarks, repetitions interleaved. False on arguments
// that Google Benchmark does not know.
inline bool RunInterleaved(int argc, char** argv, RepetitionCollector& reporter) {
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave.data());
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return false;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::fflush(stdout);
  return true;
}

}  // namespace zorva::bench
