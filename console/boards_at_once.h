// SPDX-License-Identifier: GPL-3.0-or-later
// The batch operations on several boards at once, one thread per port, or a station on each.
//
// Each board's lines reach standard error (and the differences a verify finds, standard output)
// whole and with the board's port in front, so the boards' lines never mix mid-line. A board that
// fails never stops the others. At the end comes one line per port and the count of boards:
//
//   sim:a.bin: passed                   (a single run on each port)
//   sim:a.bin: 5 boards: 4 passed, 1 failed   (a station)
//   3 boards: 2 passed, 1 failed
#pragma once

#include <span>
#include <string>

#include "bus/bus_connection.h"
#include "console/batch_run.h"
#include "console/station.h"

namespace console {

struct BoardPort {
  std::string name;  // the port specification, in front of each of its lines
  bus::BusConnection* bus = nullptr;
};

// Returns kBatchSucceeded when every board passed and every port could be used, else kBatchFailed.
int RunBoardsAtOnce(std::span<const BoardPort> ports, ConsoleOutput& out, ConsoleOutput& err,
                    const StationSettings& settings);

}  // namespace console
