// SPDX-License-Identifier: GPL-3.0-or-later
// The ch341a road's cost, through the real ch341a backend on the fake CH341A (whose bus is the
// virtual board's):
//
//   BM_Ch341aWriteEeprom / BM_Ch341aReadEeprom   host time of a full write and a full read, and
//                    per operation the USB round trips (bulk writes, each answered by the chip),
//                    the bytes sent and received, and `bus_ms`: the simulated time a user would
//                    wait with 1 ms per round trip (a full-speed device answers in the next 1 ms
//                    frame) and the EEPROM's 5 ms write cycle.
//
// On a real programmer each round trip takes one to two USB frames, so the round trips, not host
// time, are what a user waits for.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/adapter_bench.h"
#include "ports/ch341a/ch341a_port.h"
#include "tests/ports/ch341a/fake_ch341a.h"

namespace {

template <typename Operation>
void RunOperation(benchmark::State& state, Operation operation) {
  test_support::FakeCh341aSettings settings;
  settings.round_trip_nanoseconds = 1'000'000;
  test_support::FakeCh341a chip(settings, bus::Image{});
  bench_support::RunAdapterOperation(
      state,
      [&](std::string& error) { return ports::Ch341aAdapter::Open({}, "ch341a", error, chip); },
      [&] {
        return bench_support::Counts{{"round_trips", static_cast<double>(chip.bulk_writes)},
                                     {"bytes_out", static_cast<double>(chip.bytes_written)},
                                     {"bytes_in", static_cast<double>(chip.bytes_read)}};
      },
      [&] { return chip.Now(); }, operation);
}

void BM_Ch341aWriteEeprom(benchmark::State& state) {
  const bus::Image image = bench_support::Pattern();
  RunOperation(state, [&](bus::MessageTransactions& bus) {
    return bus.WriteEeprom(image, bus::AllAddresses());
  });
}
BENCHMARK(BM_Ch341aWriteEeprom)->Unit(benchmark::kMillisecond);

void BM_Ch341aReadEeprom(benchmark::State& state) {
  bus::Image image{};
  RunOperation(state, [&](bus::MessageTransactions& bus) { return bus.ReadEeprom(image); });
}
BENCHMARK(BM_Ch341aReadEeprom)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
