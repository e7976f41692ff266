// SPDX-License-Identifier: GPL-3.0-or-later
// SwitchRegisterDump: reads the switch chip's 128 registers over the EEPROM's bus.
//
// The same read-type transaction as ReadEeprom, addressed to the switch chip's bus address 0x5F
// (write select 0xBE, read select 0xBF) instead of the EEPROM's.
#pragma once

#include <cstdint>

#include "bus/bus_result.h"
#include "bus/image.h"
#include "bus/parallel_port_lines.h"

namespace bus {

inline constexpr std::uint8_t kSwitchWriteSelect = 0xBE;
inline constexpr std::uint8_t kSwitchReadSelect = 0xBF;

class SwitchRegisterDump {
 public:
  explicit SwitchRegisterDump(ParallelPortLines& lines) : lines_(lines) {}

  // Fills `destination` with registers 0..127; on failure leaves it untouched.
  BusResult DumpSwitchRegisters(Image& destination);

 private:
  ParallelPortLines& lines_;
};

}  // namespace bus
