#pragma once
// A console reporter that, after the usual table, sets the median rate of one benchmark
// against another with the same argument ("Crc32Own/4096" against "Crc32Zlib/4096").
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench_buffers.h"

namespace lnx::bench {

struct RatioPair {
  const char* label;
  std::string own;       // function name of the measured benchmark
  std::string reference; // function name of what it is set against
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
  explicit RatioReporter(std::vector<RatioPair> pairs) : pairs_(std::move(pairs)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      auto rate = run.counters.find("bytes_per_second");
      if (run.run_type == Run::RT_Iteration && rate != run.counters.end())
        rates_[{run.run_name.function_name, run.run_name.args}].push_back(rate->second.value);
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nmedian rates side by side:\n");
    for (const RatioPair& pair : pairs_)
      for (auto& [key, ownRates] : rates_) {
        if (key.first != pair.own) continue;
        auto reference = rates_.find({pair.reference, key.second});
        if (reference == rates_.end()) continue;
        printRatio(pair.label, key.second, median(ownRates), median(reference->second));
      }
  }

private:
  std::vector<RatioPair> pairs_;
  std::map<std::pair<std::string, std::string>, std::vector<double>> rates_;
};

// The main of every benchmark program: the usual flags, then the ratios of pairs.
inline int runWithRatios(int argc, char** argv, std::vector<RatioPair> pairs) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter(std::move(pairs));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

} // namespace lnx::bench
