// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/console_bus.h"

namespace console {

bus::BusResult ConsoleBus::WriteEeprom(const bus::Image& image) {
  out_.Flush();
  return connection_.WriteEeprom(image);
}

bus::BusResult ConsoleBus::WriteEepromAddresses(const bus::Image& image,
                                                const bus::AddressSet& addresses,
                                                std::size_t page_size) {
  out_.Flush();
  return connection_.WriteEepromAddresses(image, addresses, page_size);
}

bus::BusResult ConsoleBus::ReadEeprom(bus::Image& destination) {
  out_.Flush();
  return connection_.ReadEeprom(destination);
}

bus::BusResult ConsoleBus::DumpSwitchRegisters(bus::Image& destination) {
  out_.Flush();
  return connection_.DumpSwitchRegisters(destination);
}

bus::ProbeReport ConsoleBus::Probe() {
  out_.Flush();
  return connection_.Probe();
}

}  // namespace console
