// SPDX-License-Identifier: GPL-3.0-or-later
// What a probe of the board found, in words: the lines both programs show for
// it, so that 30p's
// --probe and plover's port test say the same things the same way.
#pragma once

#include <string>
#include <vector>

#include "bus/bus_transactions.h"

namespace bus {

struct ProbeLine {
  std::string text;  // one line, no line break: "EEPROM at 0x50: answers"
  bool good = true;  // false: this part of the board failed the probe
};

// The SDA line's check (only where the programs drive the lines), then the
// EEPROM at 0x50, then the switch chip at 0x5F. A port that could not be opened
// or taken is one failed line naming the port, the cause and the remedy.
[[nodiscard]] std::vector<ProbeLine> DescribeProbe(const ProbeReport& report);

// Whether `report` says the port could not be opened or taken (then nothing was
// probed).
[[nodiscard]] bool ProbeFoundNoPort(const ProbeReport& report);

}  // namespace bus
