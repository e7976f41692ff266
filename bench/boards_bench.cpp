// SPDX-License-Identifier: GPL-3.0-or-later
// Several boards at once: the batch --write of a whole image on one board and on four boards, each
// on a port of its own and a thread of its own, as `30p --port A --port B ...` runs them.
//
//   BM_BoardsOnI2c/N   N boards on the fake I2C adapter whose waits are real: each transfer a
//                      1 ms round trip and the EEPROM's 5 ms write cycle, both kept in wall-clock
//                      time. wall_ms is the run's wall time, of_one the share of one board's
//                      (goal: four boards at most 1.2 times one).
//   BM_BoardsOnSim/N   N virtual boards, which keep simulated time and so never wait: cpu_ms is
//                      the process's CPU time per board (the cost of the run itself).
//
// The program exits with status 1 when a run fails or misses its goal.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "bench/adapter_bench.h"
#include "console/boards_at_once.h"
#include "ports/i2c_dev/i2c_dev_port.h"
#include "ports/sim/sim_port.h"
#include "tests/ports/i2c_dev/fake_i2c_system.h"

namespace {

constexpr double kGoalOfOne = 1.2;
bool goal_missed = false;

struct Boards {
  std::vector<std::unique_ptr<test_support::FakeI2cSystem>> systems;
  std::vector<std::unique_ptr<bus::BusConnection>> connections;
  std::vector<console::BoardPort> ports;

  void Add(std::unique_ptr<bus::BusConnection> connection) {
    connections.push_back(std::move(connection));
    ports.push_back({"board" + std::to_string(ports.size()), connections.back().get()});
  }
};

Boards OnI2c(int count) {
  test_support::FakeAdapterSettings settings;
  settings.round_trip_nanoseconds = 1'000'000;
  settings.board.wall_clock = true;
  Boards boards;
  for (int index = 0; index < count; ++index) {
    boards.systems.push_back(std::make_unique<test_support::FakeI2cSystem>(settings, bus::Image{}));
    std::string error;
    auto adapter = ports::I2cDevAdapter::Open("/dev/i2c-1", "i2c:/dev/i2c-1", error,
                                            *boards.systems.back(), "/none");
    if (adapter) boards.Add(std::make_unique<bus::BusConnection>(std::move(adapter)));
  }
  return boards;
}

Boards OnSim(int count) {
  Boards boards;
  for (int index = 0; index < count; ++index) {
    auto port = std::make_unique<ports::SimPort>(
        std::make_unique<sim::VirtualBoard>(sim::BoardOptions{}, bus::Image{}), "sim");
    boards.Add(std::make_unique<bus::BusConnection>(std::move(port), bus::TimingPolicy::Console));
  }
  return boards;
}

// The --write of the pattern on every board at once; true when every board passed.
bool WriteAll(const Boards& boards) {
  console::BatchPlan plan;
  plan.operations = {{console::BatchOperationKind::Write, "pattern.bin"}};
  image_files::PartialImage file{bench_support::Pattern(), {}};
  file.held.set();
  const console::LoadedInputs inputs{file};
  const console::StationPlan station;
  console::StringOutput out;
  console::StringOutput err;
  const console::StationSettings settings{.plan = plan, .station = station, .inputs = inputs};
  return console::RunBoardsAtOnce(boards.ports, out, err, settings) == console::kBatchSucceeded;
}

double CpuSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Run {
  bool ok = true;
  double wall_ms = 0;
  double cpu_ms_per_board = 0;
};

template <typename Make>
Run Measure(Make make, int count) {
  const Boards boards = make(count);
  if (static_cast<int>(boards.ports.size()) != count) return {false};
  const double cpu_started = CpuSeconds();
  const auto started = std::chrono::steady_clock::now();
  const bool ok = WriteAll(boards);
  const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - started;
  return {ok, wall.count(), (CpuSeconds() - cpu_started) * 1e3 / count};
}

void Fail(benchmark::State& state, const char* why) {
  goal_missed = true;
  state.SkipWithError(why);
}

void BM_BoardsOnI2c(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  static double one_board_ms = 0;
  Run run;
  for (auto _ : state) run = Measure(OnI2c, count);
  state.counters["wall_ms"] = run.wall_ms;
  if (!run.ok) return Fail(state, "a board failed");
  if (count == 1) one_board_ms = run.wall_ms;
  if (one_board_ms <= 0) return;
  const double of_one = run.wall_ms / one_board_ms;
  state.counters["of_one"] = of_one;
  static std::string missed;
  missed = "four boards took " + std::to_string(of_one) + " times one board's time, above 1.2";
  if (of_one > kGoalOfOne) Fail(state, missed.c_str());
}
BENCHMARK(BM_BoardsOnI2c)->Arg(1)->Arg(4)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_BoardsOnSim(benchmark::State& state) {
  Run run;
  for (auto _ : state) run = Measure(OnSim, static_cast<int>(state.range(0)));
  if (!run.ok) return Fail(state, "a board failed");
  state.counters["cpu_ms"] = run.cpu_ms_per_board;
}
BENCHMARK(BM_BoardsOnSim)->Arg(1)->Arg(4)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return goal_missed ? 1 : 0;
}
