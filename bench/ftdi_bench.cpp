// SPDX-License-Identifier: GPL-3.0-or-later
// The ftdi road's cost, through the real ftdi backend on the fake chip (whose bus is the virtual
// board's):
//
//   BM_FtdiWriteEeprom / BM_FtdiReadEeprom   host time of a full write and a full read, and per
//                    operation the USB round trips, the bytes sent and the bytes received, at
//                    100 kHz (arg 100) and 400 kHz (arg 400) on an FT232H. The chip takes 0.25 ms
//                    per round trip before it runs the commands, and the EEPROM's write cycle is
//                    5 ms: `bus_ms` is the simulated time a user would wait.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/adapter_bench.h"
#include "ports/ftdi/ftdi_port.h"
#include "tests/ports/ftdi/fake_ftdi.h"

namespace {

template <typename Operation>
void RunOperation(benchmark::State& state, Operation operation) {
  test_support::FakeFtdiSettings settings;
  settings.round_trip_nanoseconds = 250'000;
  test_support::FakeFtdi chip(settings, bus::Image{});
  const auto khz = static_cast<unsigned>(state.range(0));
  std::string error;
  auto adapter = ports::FtdiAdapter::Open({"", 1, khz}, "ftdi", error, chip);
  if (!adapter) {
    state.SkipWithError(error.c_str());
    return;
  }
  bus::MessageTransactions transactions(*adapter);
  const test_support::FakeFtdiCounts before = chip.Counts();
  const std::uint64_t started = chip.Now();
  const long operations = bench_support::RunIterations(state, *adapter, transactions, operation);
  if (operations == 0) return;
  const auto per = [&](long after, long from) {
    return static_cast<double>(after - from) / static_cast<double>(operations);
  };
  state.counters["round_trips"] = per(chip.Counts().writes, before.writes);
  state.counters["bytes_out"] = per(chip.Counts().bytes_sent, before.bytes_sent);
  state.counters["bytes_in"] = per(chip.Counts().bytes_received, before.bytes_received);
  state.counters["bus_ms"] =
      static_cast<double>(chip.Now() - started) / 1e6 / static_cast<double>(operations);
}

void BM_FtdiWriteEeprom(benchmark::State& state) {
  const bus::Image image = bench_support::Pattern();
  RunOperation(state, [&](bus::MessageTransactions& bus) {
    return bus.WriteEeprom(image, bus::AllAddresses());
  });
}
BENCHMARK(BM_FtdiWriteEeprom)->ArgName("khz")->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

void BM_FtdiReadEeprom(benchmark::State& state) {
  bus::Image image{};
  RunOperation(state, [&](bus::MessageTransactions& bus) { return bus.ReadEeprom(image); });
}
BENCHMARK(BM_FtdiReadEeprom)->ArgName("khz")->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
