// SPDX-License-Identifier: GPL-3.0-or-later
// What the benchmarks of the message road share: the image they write, the loop that runs one
// operation per iteration through the transactions on an adapter, and the set-up around it that
// opens the adapter on its fake and reports the fake's counts per operation.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "bus/i2c_adapter.h"
#include "bus/image.h"
#include "bus/message_transactions.h"

namespace bench_support {

inline bus::Image Pattern() {
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return image;
}

// Runs `operation` once per iteration; how many ran, or 0 after marking the run failed. The
// adapter's wire note is taken after each, as a trace would, so none piles up.
template <typename Operation>
long RunIterations(benchmark::State& state, bus::I2cAdapter& adapter,
                   bus::MessageTransactions& transactions, Operation operation) {
  long operations = 0;
  for (auto _ : state) {
    if (!operation(transactions).ok()) {
      state.SkipWithError("the operation failed");
      return 0;
    }
    (void)adapter.TakeWireNote();
    ++operations;
  }
  return operations;
}

// A fake's counts by name ("round_trips"), as they stand.
using Counts = std::vector<std::pair<const char*, double>>;

// Opens an adapter with `open(error)` (nullptr with `error` set on failure), runs `operation`
// once per iteration through the transactions on it, and reports per operation how each of the
// fake's `counts()` grew and `bus_ms`, the simulated time its clock `now()` (nanoseconds) passed.
template <typename Open, typename CountsOf, typename Now, typename Operation>
void RunAdapterOperation(benchmark::State& state, Open open, CountsOf counts, Now now,
                         Operation operation) {
  std::string error;
  auto adapter = open(error);
  if (!adapter) {
    state.SkipWithError(error.c_str());
    return;
  }
  bus::MessageTransactions transactions(*adapter);
  const Counts before = counts();
  const std::uint64_t started = now();
  const long operations = RunIterations(state, *adapter, transactions, operation);
  if (operations == 0) return;
  const Counts after = counts();
  for (std::size_t i = 0; i < after.size(); ++i) {
    state.counters[after[i].first] =
        (after[i].second - before[i].second) / static_cast<double>(operations);
  }
  state.counters["bus_ms"] =
      static_cast<double>(now() - started) / 1e6 / static_cast<double>(operations);
}

}  // namespace bench_support
