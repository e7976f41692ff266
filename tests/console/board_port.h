// SPDX-License-Identifier: GPL-3.0-or-later
// A port on an in-memory virtual board whose EEPROM starts with given contents, for the
// in-process console tests and the fuzz target.
#pragma once

#include <memory>

#include "bus/image.h"
#include "ports/sim/sim_port.h"
#include "sim/board_options.h"
#include "sim/virtual_board.h"

namespace console_test {

inline std::unique_ptr<ports::SimPort> MakeBoardPort(const sim::BoardOptions& options,
                                                   const bus::Image& contents) {
  return std::make_unique<ports::SimPort>(std::make_unique<sim::VirtualBoard>(options, contents),
                                        "sim");
}

}  // namespace console_test
