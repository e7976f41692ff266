// SPDX-License-Identifier: GPL-3.0-or-later
// The table of port backends both programs offer, the port used without --port, and `--port SPEC`
// parsed against the table.
//
// Each backend is one file of this folder with one row; a backend that needs a library from
// outside is built only where that library is found, and has a row only then. This is the one
// place that names them, in the order --help and --list-ports show them.
#pragma once

#include <string>
#include <string_view>

#include "ports/port_spec.h"

namespace ports {

// Every backend built, available on this machine or not, and the line for no --port.
[[nodiscard]] const ports::PortTable& PortBackends();

// Parses SPEC against the table; an empty SPEC is refused.
[[nodiscard]] ports::PortSpecResult ParsePortSpec(std::string_view text);

// The accepted forms of --port SPEC, one per line, without a line break at the end.
[[nodiscard]] std::string PortSpecUsage();

// The port used without --port: ppdev:/dev/parport0 where that device node exists, otherwise
// direct:0x378 (on x86).
[[nodiscard]] bus::PortSpec DefaultPortSpec();

}  // namespace ports
