// SPDX-License-Identifier: GPL-3.0-or-later
// The station: one port on which boards are put one after another, each getting the operations.
//
// For each board: wait until it answers (a probe every 250 ms, printing nothing), run the
// operations, print a verdict that stands out ("==== PASS: board 3 ====", bold and coloured on a
// terminal, with the terminal bell on a failure), wait until the board is taken away, and start
// over; with --count N, stop after N boards. A request to stop (SIGINT, SIGTERM) or a log that
// cannot be written ends the station at its next wait, never in the middle of a board's operations.
// A port that cannot be opened or taken ends it at once, with its reason.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "bus/bus_connection.h"
#include "console/batch_run.h"
#include "console/station_options.h"

namespace console {

struct BoardTally {
  std::uint64_t passed = 0;
  std::uint64_t failed = 0;
  bool port_failed = false;  // the port could not be opened or taken
};

// What every port of a run shares.
struct StationSettings {
  const BatchPlan& plan;
  const StationPlan& station;
  const LoadedInputs& inputs;
  TraceabilityLog* log = nullptr;
  std::string host{};                      // the host name the log names
  bool terminal = false;                   // standard error is a terminal
  std::function<bool()> stop_requested{};  // may be empty: never
  std::chrono::milliseconds probe_interval{250};
};

// Runs the station on `bus`, the port named `port`; its lines go to `out` and `err`.
BoardTally RunStation(bus::BusConnection& bus, const std::string& port, ConsoleOutput& out,
                      ConsoleOutput& err, const StationSettings& settings);

// "==== PASS: board 3 ====" and a line break; on a terminal in bold colour, and a failure with the
// terminal bell.
[[nodiscard]] std::string VerdictLine(bool passed, std::uint64_t board, bool terminal);

}  // namespace console
