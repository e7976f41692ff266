// The command line of 30p: [--port SPEC] [--trace FILE] [--list-ports] [--help] [--version].
#pragma once

#include <string>

#include "bus/port_spec.h"

namespace console {

struct Options {
  bus::PortSpec port = bus::DefaultPortSpec();
  std::string trace_file;  // empty: no trace
};

enum class OptionsAction { Run, ShowHelp, ShowVersion, ListPorts, Refuse };

struct OptionsResult {
  OptionsAction action = OptionsAction::Run;
  Options options;
  std::string error;  // Refuse: what is wrong, one or more lines without the usage line
};

[[nodiscard]] OptionsResult ParseOptions(int argc, const char* const* argv);

// "Usage: 30p [--port SPEC] [--trace FILE] [--list-ports] [--help] [--version]\n"
[[nodiscard]] std::string UsageLine();
// The --help text: usage, what the program does, the options and the port forms.
[[nodiscard]] std::string HelpText();
// The text of a refusal on standard error: the error, the usage line and a pointer to --help.
[[nodiscard]] std::string RefusalText(const std::string& error);

}  // namespace console
