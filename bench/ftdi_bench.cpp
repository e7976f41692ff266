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
  bench_support::RunAdapterOperation(
      state,
      [&](std::string& error) {
        return ports::FtdiAdapter::Open({"", 1, khz}, "ftdi", error, chip);
      },
      [&] {
        const test_support::FakeFtdiCounts& counts = chip.Counts();
        return bench_support::Counts{{"round_trips", static_cast<double>(counts.writes)},
                                     {"bytes_out", static_cast<double>(counts.bytes_sent)},
                                     {"bytes_in", static_cast<double>(counts.bytes_received)}};
      },
      [&] { return chip.Now(); }, operation);
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
