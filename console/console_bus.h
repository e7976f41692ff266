// SPDX-License-Identifier: GPL-3.0-or-later
// ConsoleBus: the bus operations as the console's commands run them.
//
// Every bus operation of the console goes through here, and each one first pushes out everything
// the console has printed, so a listing or a message is on the screen before the bus keeps the
// program busy (a whole-image write takes more than a second on hardware). Output waiting in a
// buffer would otherwise appear only when the program next waits for input.
#pragma once

#include <cstddef>

#include "bus/bus_connection.h"
#include "bus/bus_result.h"
#include "bus/image.h"
#include "console/console_output.h"

namespace console {

class ConsoleBus {
 public:
  ConsoleBus(bus::BusConnection& connection, ConsoleOutput& out)
      : connection_(connection), out_(out) {}

  bus::BusResult WriteEeprom(const bus::Image& image);
  // Writes only `addresses` of the image, with the same byte-write transaction per address, or
  // in page writes of up to `page_size` bytes.
  bus::BusResult WriteEepromAddresses(const bus::Image& image, const bus::AddressSet& addresses,
                                      std::size_t page_size = bus::kByteWrites);
  bus::BusResult ReadEeprom(bus::Image& destination);
  bus::BusResult DumpSwitchRegisters(bus::Image& destination);
  bus::ProbeReport Probe();

 private:
  bus::BusConnection& connection_;
  ConsoleOutput& out_;
};

}  // namespace console
