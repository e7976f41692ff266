// SPDX-License-Identifier: GPL-3.0-or-later
// The table of port backends both programs offer, and `--port SPEC` parsed against it.
//
// The bus layer has the hardware backends and knows nothing of the virtual board; the virtual
// board has its own backend. This is where the two are put together, in the order --help lists
// them.
#pragma once

#include <string>
#include <string_view>

#include "bus/port_spec.h"

namespace ports {

// ppdev, direct, i2c, sim: every backend, available here or not.
[[nodiscard]] bus::PortTable PortBackends();

// Parses SPEC against the table; an empty SPEC is refused.
[[nodiscard]] bus::PortSpecResult ParsePortSpec(std::string_view text);

// The accepted forms of --port SPEC, one per line, without a line break at the end.
[[nodiscard]] std::string PortSpecUsage();

}  // namespace ports
