// SPDX-License-Identifier: GPL-3.0-or-later
// A batch run: the operations of the command line in order, without the menu and without the
// default data file, ending at the first that fails.
//
// Every file an operation reads is read and checked whole before the first operation touches
// the board, so a faulty second file cannot leave a first write done and the run half over. The
// one exception is a file that an earlier operation of the same run writes (--read x.hex
// --verify x.hex): it is read when its operation comes, so it is the file that run made.
#pragma once

#include "bus/bus_connection.h"
#include "console/batch_options.h"
#include "console/console_output.h"

namespace console {

inline constexpr int kBatchSucceeded = 0;
inline constexpr int kBatchFailed = 1;

struct BatchStreams {
  ConsoleOutput& out;            // standard output
  ConsoleOutput& err;            // standard error
  bool err_is_terminal = false;  // show the progress of writes
};

// Returns kBatchSucceeded when every operation succeeded, else kBatchFailed.
int RunBatch(const BatchPlan& plan, bus::BusConnection& bus, const BatchStreams& streams);

}  // namespace console
