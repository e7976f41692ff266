// SPDX-License-Identifier: GPL-3.0-or-later
// A batch run: the operations of the command line in order, without the menu and without the
// default data file, ending at the first that fails.
//
// Every file an operation reads is read and checked whole before the first operation touches
// the board, so a faulty second file cannot leave a first write done and the run half over. The
// one exception is a file that an earlier operation of the same run writes (--read x.hex
// --verify x.hex): it is read when its operation comes, so it is the file that run made.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bus/bus_connection.h"
#include "console/batch_options.h"
#include "console/console_output.h"
#include "console/traceability_log.h"
#include "image_files/partial_image.h"

namespace console {

inline constexpr int kBatchSucceeded = 0;
inline constexpr int kBatchFailed = 1;

struct BatchStreams {
  ConsoleOutput& out;            // standard output
  ConsoleOutput& err;            // standard error
  bool err_is_terminal = false;  // show the progress of writes
};

// The image of each operation's file, by the operation's index; none where the operation reads
// no file or its file is made by an earlier operation and read when its operation comes.
using LoadedInputs = std::vector<std::optional<image_files::PartialImage>>;

// Reads the file of every reading operation except those an earlier operation makes. False (after
// a line "30p: ..." on `err`) when one cannot be read or is refused.
bool ReadInputsFirst(const BatchPlan& plan, ConsoleOutput& err, LoadedInputs& inputs);

// The board the operations run on, and where its log lines go.
struct BoardRecord {
  std::string port;                   // its port specification, for the log
  std::uint64_t board = 1;            // which board on that port
  TraceabilityLog* log = nullptr;     // when set, each operation is logged as it ends
  const std::string* host = nullptr;  // the host name the log names (with `log`)
};

// Runs the operations in order on one board, from the inputs ReadInputsFirst gave, and ends at
// the first that fails, or whose log line cannot be written (which it says). The port is held
// from the first operation to the last. True when every operation succeeded.
bool RunOnBoard(const BatchPlan& plan, LoadedInputs& inputs, bus::BusConnection& bus,
                const BatchStreams& streams, const BoardRecord& record);

// Returns kBatchSucceeded when every operation succeeded, else kBatchFailed.
int RunBatch(const BatchPlan& plan, bus::BusConnection& bus, const BatchStreams& streams);

}  // namespace console
