// SPDX-License-Identifier: GPL-3.0-or-later
// The bus layer's cost on the virtual board.
//
//   BM_PortAccess    nanoseconds of host time per port access, through the line driver and the
//                    sim backend into the board (goal: at most 25 ns, under 3% of a legacy
//                    port's 1 us access)
//   BM_ReadEeprom / BM_WriteEeprom   whole transactions, without and with a trace (text, VCD)
//   BM_WriteEepromBusTime  simulated bus time of a full write against its floor, 128 times one
//                    write cycle plus the accesses of one byte-write transaction (goal: within 1%)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bus/bus_connection.h"
#include "bus/eeprom_protocol.h"
#include "ports/port_spec.h"
#include "bus/timing_floor.h"
#include "bus/trace_port.h"
#include "ports/port_table.h"
#include "ports/sim/sim_port.h"
#include "sim/virtual_board.h"

namespace {

enum class TraceKind { None, Text, Vcd };

std::unique_ptr<bus::Port> OpenBoard(const std::string& spec_text, TraceKind trace) {
  const ports::PortSpecResult parsed = ports::ParsePortSpec(spec_text);
  bus::OpenedPort opened = bus::OpenPort(*parsed.spec);
  if (!opened.lines) {
    std::fprintf(stderr, "%s\n", opened.error.c_str());
    std::abort();
  }
  if (trace == TraceKind::None) {
    return std::move(opened.lines);
  }
  const auto file = std::filesystem::temp_directory_path() /
                    (trace == TraceKind::Vcd ? "bus_bench_trace.vcd" : "bus_bench_trace.log");
  bus::TraceOpenResult traced = bus::OpenTrace(std::move(opened.lines), file.string());
  if (!traced.port) {
    std::fprintf(stderr, "%s\n", traced.error.c_str());
    std::abort();
  }
  return std::move(traced.port);
}

bus::Image Pattern() {
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return image;
}

// Port accesses of a run: the board's clock advances 1 us per access.
double Accesses(const bus::Port& port, std::uint64_t since) {
  return static_cast<double>(port.NowNanoseconds() - since) / sim::kNanosecondsPerAccess;
}

void SetAccessCounter(benchmark::State& state, const bus::Port& port, std::uint64_t since) {
  state.counters["ns_per_access"] = benchmark::Counter(
      Accesses(port, since), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A stream of accesses: data bytes sent and their acknowledge slots clocked, no transaction logic.
void BM_PortAccess(benchmark::State& state) {
  auto port = OpenBoard("sim", TraceKind::None);
  bus::ParallelPortLines lines(*port, bus::TimingPolicy::Windowed);
  const std::uint64_t start = port->NowNanoseconds();
  std::uint8_t value = 0;
  for (auto _ : state) {
    lines.SendByte(value++);
    benchmark::DoNotOptimize(lines.ClockAck());
  }
  SetAccessCounter(state, *port, start);
}
BENCHMARK(BM_PortAccess);

// A whole transaction, repeated on one board, without a trace (0), with a text trace (1) or with
// a VCD trace (2).
template <typename Transaction>
void RunTransaction(benchmark::State& state, const char* spec, Transaction transaction) {
  auto port = OpenBoard(spec, static_cast<TraceKind>(state.range(0)));
  bus::ParallelPortLines lines(*port, bus::TimingPolicy::Windowed);
  bus::EepromProtocol protocol(lines);
  const std::uint64_t start = port->NowNanoseconds();
  for (auto _ : state) {
    benchmark::DoNotOptimize(transaction(protocol));
  }
  SetAccessCounter(state, *port, start);
}

void BM_ReadEeprom(benchmark::State& state) {
  bus::Image image{};
  RunTransaction(state, "sim", [&](bus::EepromProtocol& protocol) {
    return protocol.ReadEeprom(image);
  });
}
BENCHMARK(BM_ReadEeprom)->ArgName("trace")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_WriteEeprom(benchmark::State& state) {
  const bus::Image image = Pattern();
  // A board whose write cycle is over at once, so the run measures the transaction's own cost.
  RunTransaction(state, "sim,twr=0", [&](bus::EepromProtocol& protocol) {
    return protocol.WriteEeprom(image);
  });
}
BENCHMARK(BM_WriteEeprom)->ArgName("trace")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// Simulated time from the first access of a full write until the EEPROM has finished its last
// write cycle, against the floor that only acknowledge polling at once can reach.
void BM_WriteEepromBusTime(benchmark::State& state) {
  const bus::Image image = Pattern();
  double bus_us = 0;
  double floor_us = 0;
  for (auto _ : state) {
    sim::BoardOptions options;
    ports::SimPort port(std::make_unique<sim::VirtualBoard>(options, bus::Image{}), "sim");
    const sim::VirtualBoard& board = port.Board();
    bus::ParallelPortLines lines(port, bus::TimingPolicy::Windowed);
    bus::EepromProtocol protocol(lines);
    if (!protocol.WriteEeprom(image).ok()) {
      state.SkipWithError("write failed");
      return;
    }
    bus_us = static_cast<double>(board.EepromReadyAtNanoseconds()) / 1000.0;

    // One byte-write transaction acknowledged at once, on a fresh board.
    ports::SimPort single_port(std::make_unique<sim::VirtualBoard>(options, bus::Image{}), "sim");
    const sim::VirtualBoard& single = single_port.Board();
    bus::ParallelPortLines single_lines(single_port, bus::TimingPolicy::Windowed);
    (void)bus::SelectWithPolling(single_lines, bus::kEepromWriteSelect, bus::BusDevice::Eeprom, 0);
    single_lines.SendByte(0);
    (void)single_lines.ClockAck();
    single_lines.SendByte(image[0]);
    (void)single_lines.ClockAck();
    single_lines.BusStop();
    const double transaction_us = static_cast<double>(single.NowNanoseconds()) / 1000.0;
    floor_us = 128.0 * (options.write_cycle_microseconds + transaction_us);
  }
  state.counters["bus_ms"] = bus_us / 1000.0;
  state.counters["floor_ms"] = floor_us / 1000.0;
  state.counters["over_floor_pct"] = 100.0 * (bus_us - floor_us) / floor_us;
}
BENCHMARK(BM_WriteEepromBusTime)->Unit(benchmark::kMillisecond)->Iterations(3);

// Simulated time of a full write (until the EEPROM has finished its last write cycle) and of a
// full read through the bus connection, at 100 and 400 kHz, next to their floors. The write's
// floor is 128 write cycles plus 128 times one byte-write transaction at that speed (measured on
// a fresh board); the read's is its 1161 clock pulses (3 bytes sent and 128 received, 9 pulses
// each) at the speed's shortest SCL period, plus one start, a repeated start and a stop.
void BM_FloorBusTime(benchmark::State& state) {
  const auto khz = static_cast<unsigned>(state.range(0));
  const bus::Image image = Pattern();
  double write_us = 0, write_floor_us = 0, read_us = 0;
  for (auto _ : state) {
    sim::BoardOptions options;
    auto port = std::make_unique<ports::SimPort>(
        std::make_unique<sim::VirtualBoard>(options, bus::Image{}), "sim");
    const sim::VirtualBoard& board = port->Board();
    bus::BusConnection connection(std::move(port), bus::TimingPolicy::Windowed, khz);
    if (!connection.WriteEeprom(image).ok()) {
      state.SkipWithError("write failed");
      return;
    }
    write_us = static_cast<double>(board.EepromReadyAtNanoseconds()) / 1000.0;
    // The read on a board of its own, which holds the image already, so its own time is measured.
    bus::Image read{};
    auto wait_port = std::make_unique<ports::SimPort>(
        std::make_unique<sim::VirtualBoard>(options, image), "sim");
    const sim::VirtualBoard& read_board = wait_port->Board();
    bus::BusConnection reader(std::move(wait_port), bus::TimingPolicy::Windowed, khz);
    if (!reader.ReadEeprom(read).ok() || read != image) {
      state.SkipWithError("read failed");
      return;
    }
    read_us = static_cast<double>(read_board.NowNanoseconds()) / 1000.0;

    // One byte-write transaction, acknowledged at once, on a fresh board at this speed.
    auto single_port = std::make_unique<ports::SimPort>(
        std::make_unique<sim::VirtualBoard>(options, bus::Image{}), "sim");
    const sim::VirtualBoard& single = single_port->Board();
    bus::BusConnection one(std::move(single_port), bus::TimingPolicy::Windowed, khz);
    bus::AddressSet first;
    first.set(0);
    (void)one.WriteEepromAddresses(image, first);
    const double transaction_us =
        static_cast<double>(single.EepromReadyAtNanoseconds()) / 1000.0 -
        options.write_cycle_microseconds;
    write_floor_us = 128.0 * (options.write_cycle_microseconds + transaction_us);
  }
  const bus::PhaseMinimums minimums = bus::MinimumsAt(khz);
  const double period_us = (minimums.scl_low + minimums.scl_high) / 1000.0;
  const double read_floor_us =
      1161 * period_us + (minimums.start_setup + minimums.start_hold) * 2 / 1000.0 +
      minimums.stop_setup / 1000.0;
  state.counters["write_ms"] = write_us / 1000.0;
  state.counters["write_floor_ms"] = write_floor_us / 1000.0;
  state.counters["read_ms"] = read_us / 1000.0;
  state.counters["read_floor_ms"] = read_floor_us / 1000.0;
}
BENCHMARK(BM_FloorBusTime)->ArgName("khz")->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
