// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/switch_register_dump.h"

#include "bus/eeprom_protocol.h"

namespace bus {

BusResult SwitchRegisterDump::DumpSwitchRegisters(Image& destination) {
  return ReadSequential(lines_, kSwitchWriteSelect, kSwitchReadSelect, BusDevice::SwitchChip,
                        destination);
}

}  // namespace bus
