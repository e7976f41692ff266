// BusTransactions: the operations the programs run on the board, whatever road reaches its bus.
//
// Two implementations: LineTransactions drives the bus lines through a parallel port's registers
// (the transactions of EepromProtocol and SwitchRegisterDump), MessageTransactions hands whole
// messages to an I2C adapter. Both give the same results for the same board, and both leave a
// destination untouched when a read fails.
#pragma once

#include "bus/bus_result.h"
#include "bus/image.h"

namespace bus {

class BusTransactions {
 public:
  virtual ~BusTransactions() = default;

  // Writes image[a] to each word address a of `addresses` (all 128: the whole image), one
  // byte-write transaction per address in increasing order, each waiting for the EEPROM to
  // finish the previous write cycle. On failure the result names the address.
  virtual BusResult WriteEeprom(const Image& image, const AddressSet& addresses) = 0;
  // Fills `destination` with the EEPROM's word addresses 0..127; on failure leaves it untouched.
  virtual BusResult ReadEeprom(Image& destination) = 0;
  // Fills `destination` with the switch chip's registers 0..127; on failure leaves it untouched.
  virtual BusResult DumpSwitchRegisters(Image& destination) = 0;

 protected:
  BusTransactions() = default;
  BusTransactions(const BusTransactions&) = default;
  BusTransactions& operator=(const BusTransactions&) = default;
};

}  // namespace bus
