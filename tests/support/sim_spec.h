// SPDX-License-Identifier: GPL-3.0-or-later
// `--port` parsed against a table of the virtual board's row alone, for the tests of the bus layer,
// which link no other backend.
#pragma once

#include <string_view>

#include "ports/port_spec.h"
#include "ports/sim/sim_port.h"

namespace test_support {

inline ports::PortSpecResult ParseSimSpec(std::string_view text) {
  static const ports::PortBackend* const kRows[] = {&ports::SimBackend()};
  return ports::ParsePortSpecIn({kRows, {"(no --port)", "sim"}}, text);
}

}  // namespace test_support
