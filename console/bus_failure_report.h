// SPDX-License-Identifier: GPL-3.0-or-later
// The one line the console prints when a bus operation fails.
#pragma once

#include "bus/bus_result.h"
#include "console/console_output.h"

namespace console {

// Names the device, the address a write stopped at and the remedy, then a line break.
void ReportBusFailure(ConsoleOutput& out, const bus::BusResult& result);

}  // namespace console
