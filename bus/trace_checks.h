// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a `--trace FILE` can be taken, checked with the other options before anything is
// opened or written.
//
// A VCD draws the bus lines, which the programs drive only on a parallel port or the virtual
// board. And a trace is created by truncating its file, so it must not be a file the program
// reads or keeps: the board file, a data file named on the command line, the default data file,
// the port's device node (trace text would go onto the bus). Two names are the same file as
// file_identity.h says, whether the files exist yet or not.
#pragma once

#include <string>
#include <vector>

#include "bus/port_opening.h"

namespace bus {

// A file the program reads or keeps, and what it is to the user ("the board file").
struct ProgramFile {
  std::string path;
  std::string role;
};

// The files `port` itself reads and writes: its board file, its device node.
[[nodiscard]] std::vector<ProgramFile> PortFiles(const PortSpec& port);

// The first of `files` that is the same file as `name`, or nullptr.
[[nodiscard]] const ProgramFile* SameFileAmong(const std::string& name,
                                               const std::vector<ProgramFile>& files);

// Empty when `trace` can be the trace of `port`; else one line saying why not, naming the trace
// and the file it would destroy. The port's own files (PortFiles) are checked as well as `files`.
[[nodiscard]] std::string TraceProblem(const std::string& trace, const PortSpec& port,
                                       const std::vector<ProgramFile>& files);

}  // namespace bus
