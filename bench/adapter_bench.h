// SPDX-License-Identifier: GPL-3.0-or-later
// What the benchmarks of the message road share: the image they write, and the loop that runs
// one operation per iteration through the transactions on an adapter.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

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

}  // namespace bench_support
