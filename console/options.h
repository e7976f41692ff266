// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of 30p: [--port SPEC] [--trace FILE] [--list-ports] [--help] [--version] for
// the menu, and the same with batch operations (see batch_options.h) for a run without it.
#pragma once

#include <string>
#include <vector>

#include "ports/port_spec.h"
#include "console/batch_options.h"
#include "console/station_options.h"
#include "ports/port_table.h"

namespace console {

struct Options {
  bus::PortSpec port = ports::DefaultPortSpec();  // the first --port, or the default port
  std::vector<bus::PortSpec> ports;  // every --port in the order given; empty: the default port
  std::string trace_file;            // empty: no trace
  BatchPlan batch;                   // RunBatch: the operations and their options
  StationPlan station;               // several boards: --repeat, --count, --log

  // The ports the batch operations run on: those given, else the default port.
  [[nodiscard]] std::vector<bus::PortSpec> BatchPorts() const;
};

// Run: the menu. RunBatch: the operations of `batch`, without the menu.
enum class OptionsAction { Run, RunBatch, ShowHelp, ShowVersion, ListPorts, Refuse };

struct OptionsResult {
  OptionsAction action = OptionsAction::Run;
  Options options;
  std::string error;  // Refuse: what is wrong, one or more lines without the usage line
};

[[nodiscard]] OptionsResult ParseOptions(int argc, const char* const* argv);

// "Usage: 30p [--port SPEC] [--trace FILE] [--list-ports] [--help] [--version]\n" and the
// usage of the batch form below it.
[[nodiscard]] std::string UsageLine();
// The --help text: usage, what the program does in either form, the operations, the options,
// the file formats and the port forms.
[[nodiscard]] std::string HelpText();
// The text of a refusal on standard error: the error, the usage line and a pointer to --help.
[[nodiscard]] std::string RefusalText(const std::string& error);

}  // namespace console
