#include "bus/line_transactions.h"

#include "bus/eeprom_protocol.h"
#include "bus/parallel_port_lines.h"
#include "bus/switch_register_dump.h"

namespace bus {

BusResult LineTransactions::WriteEeprom(const Image& image, const AddressSet& addresses) {
  ParallelPortLines lines(port_, timing_);
  return EepromProtocol(lines).WriteAddresses(image, addresses);
}

BusResult LineTransactions::ReadEeprom(Image& destination) {
  ParallelPortLines lines(port_, timing_);
  return EepromProtocol(lines).ReadEeprom(destination);
}

BusResult LineTransactions::DumpSwitchRegisters(Image& destination) {
  ParallelPortLines lines(port_, timing_);
  return SwitchRegisterDump(lines).DumpSwitchRegisters(destination);
}

}  // namespace bus
