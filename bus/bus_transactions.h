// SPDX-License-Identifier: GPL-3.0-or-later
// BusTransactions: the operations the programs run on the board, whatever road reaches its bus.
//
// Two implementations: LineTransactions drives the bus lines through a parallel port's registers
// (the transactions of EepromProtocol and SwitchRegisterDump), MessageTransactions hands whole
// messages to an I2C adapter. Both give the same results for the same board, and both leave a
// destination untouched when a read fails.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "bus/bus_result.h"
#include "bus/image.h"
#include "bus/page_runs.h"

namespace bus {

// What a probe of the board found.
struct ProbeReport {
  // On a port whose lines the programs drive: empty when SDA follows the port (driven low it
  // reads low, released it reads high), else what is wrong with it in words. Not checked (no
  // value) through an adapter, which drives the lines itself.
  std::optional<std::string> line_fault;
  BusResult eeprom;       // ok when the EEPROM answered its address
  BusResult switch_chip;  // ok when the switch chip answered its address

  [[nodiscard]] bool AllAnswer() const {
    return (!line_fault || line_fault->empty()) && eeprom.ok() && switch_chip.ok();
  }
};

class BusTransactions {
 public:
  virtual ~BusTransactions() = default;

  // Writes image[a] to each word address a of `addresses` (all 128: the whole image), one
  // byte-write transaction per address in increasing order, each waiting for the EEPROM to
  // finish the previous write cycle. On failure the result names the address.
  BusResult WriteEeprom(const Image& image, const AddressSet& addresses) {
    return WritePages(image, addresses, kByteWrites);
  }
  // The same in page writes of up to `page_size` bytes (1, 2, 4, 8 or 16): each run of
  // consecutive addresses inside one page (PageRuns) is one write transaction, in increasing
  // order, each waiting for the EEPROM to finish the previous write cycle. On failure the result
  // names the first address of the write that stopped and how many bytes it carried.
  virtual BusResult WritePages(const Image& image, const AddressSet& addresses,
                               std::size_t page_size) = 0;
  // Fills `destination` with the EEPROM's word addresses 0..127; on failure leaves it untouched.
  virtual BusResult ReadEeprom(Image& destination) = 0;
  // Fills `destination` with the switch chip's registers 0..127; on failure leaves it untouched.
  virtual BusResult DumpSwitchRegisters(Image& destination) = 0;
  // Checks the lines (where the programs drive them), then whether the EEPROM and the switch chip
  // answer their bus addresses, each polled as a write polls (a busy EEPROM gets its 100 ms).
  // Changes nothing on the board.
  virtual ProbeReport Probe() = 0;
  // Whether the EEPROM answers its address, polled as a write polls: what tells a station that a
  // board is in place. Changes nothing on the board.
  virtual BusResult ProbeEeprom() = 0;

 protected:
  BusTransactions() = default;
  BusTransactions(const BusTransactions&) = default;
  BusTransactions& operator=(const BusTransactions&) = default;
};

}  // namespace bus
