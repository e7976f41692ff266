// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/boards_at_once.h"

#include <thread>
#include <vector>

#include "console/board_lines.h"
#include "image_files/shown_file_name.h"

namespace console {

namespace {

// The operations once on the board, as a tally of one.
BoardTally RunOnce(bus::BusConnection& bus, const std::string& port, ConsoleOutput& out,
                   ConsoleOutput& err, const StationSettings& settings) {
  LoadedInputs inputs = settings.inputs;
  const bool passed = RunOnBoard(settings.plan, inputs, bus, {out, err, false},
                                 {port, 1, settings.log, &settings.host});
  return {passed ? 1u : 0u, passed ? 0u : 1u, false};
}

std::string CountOfBoards(const BoardTally& tally) {
  const std::uint64_t boards = tally.passed + tally.failed;
  return std::to_string(boards) + (boards == 1 ? " board: " : " boards: ") +
         std::to_string(tally.passed) + " passed, " + std::to_string(tally.failed) + " failed";
}

std::string PortLine(const BoardTally& tally, bool station) {
  if (!station) return tally.failed == 0 ? "passed" : "failed";
  return CountOfBoards(tally) + (tally.port_failed ? ", then the port failed" : "");
}

}  // namespace

int RunBoardsAtOnce(std::span<const BoardPort> ports, ConsoleOutput& out, ConsoleOutput& err,
                    const StationSettings& settings) {
  SharedLines shared_out(out);
  SharedLines shared_err(err);
  std::vector<BoardTally> tallies(ports.size());
  {
    std::vector<std::jthread> threads;
    for (std::size_t index = 0; index < ports.size(); ++index) {
      threads.emplace_back([&, index] {
        const BoardPort& port = ports[index];
        BoardLines board_out(shared_out, image_files::ShownFileName(port.name));
        BoardLines board_err(shared_err, image_files::ShownFileName(port.name));
        tallies[index] = settings.station.repeat
                             ? RunStation(*port.bus, port.name, board_out, board_err, settings)
                             : RunOnce(*port.bus, port.name, board_out, board_err, settings);
      });
    }
  }
  BoardTally total;
  std::string summary;
  for (std::size_t index = 0; index < ports.size(); ++index) {
    summary += image_files::ShownFileName(ports[index].name) + ": " +
               PortLine(tallies[index], settings.station.repeat) + "\n";
    total.passed += tallies[index].passed;
    total.failed += tallies[index].failed;
    total.port_failed = total.port_failed || tallies[index].port_failed;
  }
  if (ports.size() > 1) summary += CountOfBoards(total) + "\n";
  err.Write(summary);
  err.Flush();
  return total.failed == 0 && !total.port_failed ? kBatchSucceeded : kBatchFailed;
}

}  // namespace console
