// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmarks with goals: a run that misses one is marked as an error in the report, and the
// program then exits with status 1, so a script or a person running it cannot miss it.
#pragma once

#include <benchmark/benchmark.h>

namespace bench_support {

inline bool& AnyGoalMissed() {
  static bool missed = false;
  return missed;
}

// Marks the run as failed with `why` (a failed operation or a missed goal).
inline void FailRun(benchmark::State& state, const char* why) {
  AnyGoalMissed() = true;
  state.SkipWithError(why);
}

// The benchmarks' main: runs them as BENCHMARK_MAIN does; 1 when a run failed, else 0.
inline int RunWithGoals(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return AnyGoalMissed() ? 1 : 0;
}

}  // namespace bench_support
