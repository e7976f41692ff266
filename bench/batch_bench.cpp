// SPDX-License-Identifier: GPL-3.0-or-later
// The batch write of 30p on the virtual board, in simulated bus time (the board's clock: 1 us
// per port access, and the EEPROM's 5 ms write cycles as the acknowledge polling waits them out).
//
//   BM_BatchWriteAll        --write --all: every address written, then read back
//   BM_BatchWriteOneByte    --write of an image that differs from the EEPROM in one byte: the
//                           read, one byte write, the read-back (goal: at most a twentieth of
//                           BM_BatchWriteAll)
//   BM_BatchWriteIdentical  --write of the image the EEPROM already holds: the read and the
//                           read-back, no byte write at all (goal: none)
//
//   BM_BatchWritePages/page:N  --write --all --page-size N on a board whose EEPROM has 16-byte
//                           pages, at the default 100 kHz: N bytes per write cycle (goal: page
//                           size 8 in at most a sixth of the time of page size 1)
//
// Counters: sim_ms, the simulated time until the EEPROM has finished its last write cycle;
// byte_writes, the bytes written; of_all, sim_ms as a share of BM_BatchWriteAll's (for
// BM_BatchWritePages, of the same write at page size 1). A run that misses its goal ends with an
// error, and the program with status 1.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

#include "bench/goals.h"
#include "bus/bus_connection.h"
#include "console/batch_write.h"
#include "console/console_bus.h"
#include "console/console_output.h"
#include "image_files/partial_image.h"
#include "ports/sim/sim_port.h"
#include "sim/virtual_board.h"

namespace {

bus::Image Pattern() {
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return image;
}

image_files::PartialImage WholeFile(const bus::Image& image) {
  image_files::PartialImage file;
  file.bytes = image;
  file.held.set();
  return file;
}

struct WriteRun {
  bool ok = false;
  double sim_ms = 0;
  double byte_writes = 0;
};

// One batch write of the pattern on a fresh in-memory board holding `contents`.
WriteRun RunBatchWrite(const bus::Image& contents, const console::BatchWriteSettings& settings,
                       const sim::BoardOptions& board_options = {}) {
  auto port = std::make_unique<ports::SimPort>(
      std::make_unique<sim::VirtualBoard>(board_options, contents), "sim");
  const sim::VirtualBoard& board = port->Board();
  bus::BusConnection connection(std::move(port), bus::TimingPolicy::Console);
  console::StringOutput output;
  console::ConsoleBus bus(connection, output);
  const console::BatchWriteOutcome outcome =
      console::WriteImageFile(bus, WholeFile(Pattern()), settings, {});
  const auto end = std::max(board.NowNanoseconds(), board.EepromReadyAtNanoseconds());
  return {outcome.ok(), static_cast<double>(end) / 1e6, static_cast<double>(outcome.written)};
}

double AllSimMs() {
  static const double all = RunBatchWrite(bus::Image{}, {.write_all = true}).sim_ms;
  return all;
}

// Runs the write on a board holding `contents`; fails the benchmark when the write fails or
// misses `goal`.
template <typename Goal>
void Measure(benchmark::State& state, const bus::Image& contents,
             const console::BatchWriteSettings& settings, Goal goal) {
  WriteRun run;
  for (auto _ : state) {
    run = RunBatchWrite(contents, settings);
  }
  state.counters["sim_ms"] = run.sim_ms;
  state.counters["byte_writes"] = run.byte_writes;
  state.counters["of_all"] = run.sim_ms / AllSimMs();
  if (!run.ok) {
    bench_support::FailRun(state, "the write or its read-back failed");
  } else if (!goal(run)) {
    bench_support::FailRun(state, "missed its goal");
  }
}

void BM_BatchWriteAll(benchmark::State& state) {
  Measure(state, bus::Image{}, {.write_all = true},
          [](const WriteRun& run) { return run.byte_writes == 128; });
}
BENCHMARK(BM_BatchWriteAll)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BatchWriteOneByte(benchmark::State& state) {
  bus::Image contents = Pattern();
  contents[57] ^= 0x5A;
  Measure(state, contents, {}, [](const WriteRun& run) {
    return run.byte_writes == 1 && run.sim_ms <= AllSimMs() / 20;
  });
}
BENCHMARK(BM_BatchWriteOneByte)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BatchWriteIdentical(benchmark::State& state) {
  Measure(state, Pattern(), {}, [](const WriteRun& run) { return run.byte_writes == 0; });
}
BENCHMARK(BM_BatchWriteIdentical)->Unit(benchmark::kMillisecond)->Iterations(3);

// The EEPROM of these runs takes pages of up to 16 bytes.
sim::BoardOptions SixteenBytePages() {
  sim::BoardOptions options;
  options.page_size = 16;
  return options;
}

WriteRun RunPageWrite(std::size_t page_size) {
  return RunBatchWrite(bus::Image{}, {.write_all = true, .page_size = page_size},
                       SixteenBytePages());
}

void BM_BatchWritePages(benchmark::State& state) {
  const auto page_size = static_cast<std::size_t>(state.range(0));
  static const double byte_writes_ms = RunPageWrite(1).sim_ms;
  WriteRun run;
  for (auto _ : state) {
    run = RunPageWrite(page_size);
  }
  state.counters["sim_ms"] = run.sim_ms;
  state.counters["byte_writes"] = run.byte_writes;
  state.counters["of_all"] = run.sim_ms / byte_writes_ms;
  if (!run.ok || run.byte_writes != 128) {
    bench_support::FailRun(state, "the write or its read-back failed");
  } else if (page_size == 8 && run.sim_ms > byte_writes_ms / 6) {
    bench_support::FailRun(state,
                           "missed its goal: page size 8 takes more than a sixth of byte writes");
  }
}
BENCHMARK(BM_BatchWritePages)
    ->ArgName("page")
    ->Arg(1)
    ->Arg(8)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return bench_support::RunWithGoals(argc, argv); }
