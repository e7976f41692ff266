// The table of port backends and the one place that opens a port from its port specification
// (`--port SPEC`).
//
// Each backend is one small file (ppdev_port, direct_port, sim_port); a row of the table names it,
// says in one line what it is, and gives its parameters. The `--port` parser and the usage text
// are both driven by this table, so adding a backend is adding a file and a row.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "bus/port.h"
#include "bus/port_spec.h"

namespace bus {

// One parameter or option a backend takes, as --help lists it under the backend's form.
struct PortParameter {
  std::string_view text;         // "DEVICE", "twr=MICROSECONDS"
  std::string_view description;  // one line
};

struct PortBackend {
  std::string_view name;         // "ppdev"
  std::string_view form;         // "ppdev[:DEVICE]"
  std::string_view description;  // one line for --help
  bool available;                // false where the backend is not built (direct on non-x86)
  PortKind kind;
  // Fills `spec` from the text after "name" (empty, or starting with ':' or ','); false with
  // `error` set when it is malformed.
  bool (*parse)(std::string_view argument, PortSpec& spec, std::string& error);
  std::span<const PortParameter> parameters;
  // Opens the port `spec` names (spec.kind is this backend's). On failure returns nullptr with
  // `error` set to the system's reason and the usual remedy ("Permission denied; add your ...");
  // OpenPort puts the port's name in front.
  std::unique_ptr<Port> (*open)(const PortSpec& spec, std::string& error);
};

[[nodiscard]] std::span<const PortBackend> PortBackends();

struct OpenPortResult {
  std::unique_ptr<Port> port;  // set on success
  std::string error;  // on failure, one line naming the port, the system's reason and the remedy
};

// Opens the port that the port specification names. Opening is where the ppdev port is claimed,
// ioperm is asked for, or the virtual board is powered up from its file.
[[nodiscard]] OpenPortResult OpenPort(const PortSpec& spec);

}  // namespace bus
