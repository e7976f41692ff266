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
//   BM_I2cWritePages/page:N   a full write in page writes of N bytes (one message per run of a
//                    page) on an EEPROM with 16-byte pages: transfers, messages and `bus_ms`
//                    until the last write cycle has ended (goal: page size 8 in at most a sixth
//                    of the time of page size 1; a miss ends the program with status 1)
//
// On a real adapter each transfer is a round trip to it, so the transfer count, not host time,
// is what a user waits for.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>

#include "bench/adapter_bench.h"
#include "bench/goals.h"
#include "ports/i2c_dev/i2c_dev_port.h"
#include "tests/ports/i2c_dev/fake_i2c_system.h"

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
  bench_support::RunAdapterOperation(
      state,
      [&](std::string& error) {
        return ports::I2cDevAdapter::Open("/dev/i2c-1", "i2c:/dev/i2c-1", error, system, "/none");
      },
      [&] {
        return bench_support::Counts{{"transfers", static_cast<double>(system.Transfers())},
                                     {"messages", static_cast<double>(system.Messages())}};
      },
      [&] { return system.Now(); }, operation);
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

struct PageWrite {
  bool ok = false;
  double transfers = 0;
  double messages = 0;
  double bus_ms = 0;
};

// One full write in pages of `page_size` bytes on a fresh adapter with a 1 ms round trip, whose
// EEPROM takes pages of up to 16 bytes.
PageWrite WriteInPages(std::size_t page_size) {
  test_support::FakeAdapterSettings settings = Habit(0);
  settings.board.page_size = 16;
  test_support::FakeI2cSystem system(settings, bus::Image{});
  std::string error;
  auto adapter = ports::I2cDevAdapter::Open("/dev/i2c-1", "i2c:/dev/i2c-1", error, system, "/none");
  if (!adapter) return {};
  bus::MessageTransactions transactions(*adapter);
  const bus::Image image = bench_support::Pattern();
  PageWrite run;
  run.ok = transactions.WritePages(image, bus::AllAddresses(), page_size).ok() &&
           system.Board().EepromContents() == image;
  run.transfers = static_cast<double>(system.Transfers());
  run.messages = static_cast<double>(system.Messages());
  const auto end = std::max(system.Now(), system.Board().EepromReadyAtNanoseconds());
  run.bus_ms = static_cast<double>(end) / 1e6;
  return run;
}

void BM_I2cWritePages(benchmark::State& state) {
  const auto page_size = static_cast<std::size_t>(state.range(0));
  static const double byte_writes_ms = WriteInPages(1).bus_ms;
  PageWrite run;
  for (auto _ : state) {
    run = WriteInPages(page_size);
  }
  state.counters["transfers"] = run.transfers;
  state.counters["messages"] = run.messages;
  state.counters["bus_ms"] = run.bus_ms;
  state.counters["of_byte_writes"] = run.bus_ms / byte_writes_ms;
  if (!run.ok) {
    bench_support::FailRun(state, "the write failed");
  } else if (page_size == 8 && run.bus_ms > byte_writes_ms / 6) {
    bench_support::FailRun(state, "missed its goal: page size 8 takes more than a sixth");
  }
}
BENCHMARK(BM_I2cWritePages)
    ->ArgName("page")
    ->Arg(1)
    ->Arg(8)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench_support::RunWithGoals(argc, argv); }
