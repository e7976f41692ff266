// SPDX-License-Identifier: GPL-3.0-or-later
// The line check: does SDA follow the port, before any device is addressed?
//
// Driven low, SDA must read back low; released, it must read back high. Each failure has its own
// causes, which the check names in words instead of letting the protocol fail obscurely later.
// The check changes SDA only while SCL is low, so no start or stop condition reaches the devices.
#pragma once

#include <string>

#include "bus/parallel_port_lines.h"

namespace bus {

// expects any state; leaves the bus idle. Empty when SDA follows the port, else what is wrong.
[[nodiscard]] std::string CheckLines(ParallelPortLines& lines);

}  // namespace bus
