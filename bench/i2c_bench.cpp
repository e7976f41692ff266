// SPDX-License-Identifier: GPL-3.0-or-later
// The message road's cost, through the real i2c backend on the fake adapter (whose bus is the
// virtual board's):
//
//   BM_I2cWriteEeprom / BM_I2cReadEeprom   host time of a full write and a full read, and the
//                    transfers and messages each makes, for an adapter that takes any transfer
//                    (arg 0) and one that takes one message of at most 32 bytes (arg 1). The
//                    adapter takes 1 ms per transfer before the bus moves, as a USB adapter's
//                    round trip does, and the EEPROM's write cycle is 5 ms: `bus_ms` is the
//                    simulated time a user would wait, the bus's own time included.
//
// On a real adapter each transfer is a round trip to it, so the transfer count, not host time,
// is what a user waits for.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/adapter_bench.h"
#include "ports/i2c_dev_port.h"
#include "tests/support/fake_i2c_system.h"

namespace {

test_support::FakeAdapterSettings Habit(int kind) {
  test_support::FakeAdapterSettings settings;
  settings.round_trip_nanoseconds = 1'000'000;
  if (kind == 1) {
    settings.shape = test_support::TransferShape::OneMessage;
    settings.longest_read = 32;
  }
  return settings;
}

template <typename Operation>
void RunOperation(benchmark::State& state, Operation operation) {
  test_support::FakeI2cSystem system(Habit(static_cast<int>(state.range(0))), bus::Image{});
  std::string error;
  auto adapter = bus::I2cDevAdapter::Open("/dev/i2c-1", "i2c:/dev/i2c-1", error, system, "/none");
  if (!adapter) {
    state.SkipWithError(error.c_str());
    return;
  }
  bus::MessageTransactions transactions(*adapter);
  const long transfers_before = system.Transfers();
  const long messages_before = system.Messages();
  const std::uint64_t started = system.Now();
  const long operations = bench_support::RunIterations(state, *adapter, transactions, operation);
  if (operations == 0) return;
  state.counters["transfers"] =
      static_cast<double>(system.Transfers() - transfers_before) / static_cast<double>(operations);
  state.counters["messages"] =
      static_cast<double>(system.Messages() - messages_before) / static_cast<double>(operations);
  state.counters["bus_ms"] =
      static_cast<double>(system.Now() - started) / 1e6 / static_cast<double>(operations);
}

void BM_I2cWriteEeprom(benchmark::State& state) {
  const bus::Image image = bench_support::Pattern();
  RunOperation(state, [&](bus::MessageTransactions& bus) {
    return bus.WriteEeprom(image, bus::AllAddresses());
  });
}
BENCHMARK(BM_I2cWriteEeprom)->ArgName("one_message")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_I2cReadEeprom(benchmark::State& state) {
  bus::Image image{};
  RunOperation(state, [&](bus::MessageTransactions& bus) { return bus.ReadEeprom(image); });
}
BENCHMARK(BM_I2cReadEeprom)->ArgName("one_message")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
