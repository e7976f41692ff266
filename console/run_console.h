// SPDX-License-Identifier: GPL-3.0-or-later
// The whole console dialogue, from the default data file to the end of the menu loop, on a
// reader, an output and a bus connection given by the caller (the program, tests, the fuzzer).
#pragma once

#include "bus/bus_connection.h"
#include "console/console_output.h"
#include "console/data_files.h"
#include "console/input_reader.h"

namespace console {

struct ConsoleSettings {
  bool terminal = false;         // standard output is a terminal
  FileOpener* files = nullptr;   // nullptr: names are opened as given
};

// Returns the exit status, which is always 0.
int RunConsole(InputReader& in, ConsoleOutput& out, bus::BusConnection& bus,
               const ConsoleSettings& settings);

}  // namespace console
