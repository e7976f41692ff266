// SPDX-License-Identifier: GPL-3.0-or-later
// `--port` parsed against a table of the virtual board's row alone, for the tests of the bus layer,
// which link no other backend.
#pragma once

#include <string_view>

#include "bus/port_spec.h"
#include "ports/sim_port.h"

namespace test_support {

inline bus::PortSpecResult ParseSimSpec(std::string_view text) {
  static const bus::PortBackend* const kRows[] = {&sim::SimBackend()};
  return bus::ParsePortSpecIn({kRows, {"(no --port)", "sim"}}, text);
}

}  // namespace test_support
