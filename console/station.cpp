// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/station.h"

#include <algorithm>
#include <thread>

namespace console {

namespace {

constexpr std::chrono::milliseconds kStopCheck{10};

enum class Wait { Reached, Stopped, PortFailed };

// A stop asked for, a log that can no longer be written, or a standard error no one reads any
// more (the operator would see no verdict): the station stops at its next wait.
bool StopNow(const StationSettings& settings, const ConsoleOutput& err) {
  return (settings.stop_requested && settings.stop_requested()) ||
         (settings.log != nullptr && settings.log->Broken()) || !err.Failure().empty();
}

// Sleeps `length`, looking for a request to stop every few milliseconds; false on one.
bool Pause(std::chrono::milliseconds length, const StationSettings& settings,
           const ConsoleOutput& err) {
  const auto end = std::chrono::steady_clock::now() + length;
  for (auto now = std::chrono::steady_clock::now(); now < end;
       now = std::chrono::steady_clock::now()) {
    if (StopNow(settings, err)) return false;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(kStopCheck, end - now));
  }
  return !StopNow(settings, err);
}

// Probes until the board answers (`in_place`) or no longer does. Only the EEPROM is asked: its
// answer alone decides whether a board is in place.
Wait WaitForBoard(bus::BusConnection& bus, bool in_place, ConsoleOutput& err,
                  const StationSettings& settings) {
  for (;;) {
    if (StopNow(settings, err)) return Wait::Stopped;
    const bus::BusResult answer = bus.ProbeEeprom();
    if (answer.fault == bus::BusFault::PortUnavailable ||
        answer.fault == bus::BusFault::PortFailed) {
      err.Write("30p: " + bus::DescribeBusResult(answer) + "\n");
      return Wait::PortFailed;
    }
    if (answer.ok() == in_place) return Wait::Reached;
    if (!Pause(settings.probe_interval, settings, err)) return Wait::Stopped;
  }
}

}  // namespace

std::string VerdictLine(bool passed, std::uint64_t board, bool terminal) {
  const std::string text = std::string("==== ") + (passed ? "PASS" : "FAIL") + ": board " +
                           std::to_string(board) + " ====";
  if (!terminal) return text + "\n";
  return (passed ? "\033[1;32m" : "\033[1;31m") + text + "\033[0m" + (passed ? "" : "\a") + "\n";
}

BoardTally RunStation(bus::BusConnection& bus, const std::string& port, ConsoleOutput& out,
                      ConsoleOutput& err, const StationSettings& settings) {
  BoardTally tally;
  const std::optional<std::uint64_t>& count = settings.station.count;
  for (std::uint64_t board = 1; !count || board <= *count; ++board) {
    if (!settings.plan.quiet) err.Write("waiting for board " + std::to_string(board) + "\n");
    Wait wait = WaitForBoard(bus, true, err, settings);
    if (wait != Wait::Reached) {
      tally.port_failed = wait == Wait::PortFailed;
      break;
    }
    LoadedInputs inputs = settings.inputs;
    const bool passed = RunOnBoard(settings.plan, inputs, bus, {out, err, false},
                                   {port, board, settings.log, &settings.host});
    ++(passed ? tally.passed : tally.failed);
    err.Write(VerdictLine(passed, board, settings.terminal));
    if (count && board == *count) break;
    wait = WaitForBoard(bus, false, err, settings);
    if (wait != Wait::Reached) {
      tally.port_failed = wait == Wait::PortFailed;
      break;
    }
  }
  return tally;
}

}  // namespace console
