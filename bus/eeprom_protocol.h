// SPDX-License-Identifier: GPL-3.0-or-later
// EepromProtocol: the write and read transactions with the board's 24C01-class EEPROM.
//
// WriteEeprom writes the whole image, one byte-write transaction per word address 0 to 127, each
// preceded by acknowledge polling of the write select 0xA0 (a device busy with the previous byte's
// write cycle does not acknowledge). ReadEeprom sets the device's address counter to 0 with a dummy
// write and reads all 128 bytes in one sequential read (select 0xA1).
//
// WriteAddresses writes only the addresses of a set, with the same transaction per address.
// WritePages writes them in page writes: each run of consecutive addresses inside one page (see
// PageRuns) is one transaction of the word address and the run's bytes, preceded by the same
// acknowledge polling; page size 1 is WriteAddresses.
//
// Both examine every acknowledge a device owes. Polling a select gives up once an attempt begun
// 100 ms of the port's clock or more after the first has not been acknowledged, after at least 3
// attempts: a device that is ready within 100 ms always answers, at any bus speed. A failure ends
// the transaction with a stop and a release, and is returned; a failed read leaves the destination
// exactly as it was. Both always end with the bus idle (SDA high, SCL high).
#pragma once

#include <cstddef>
#include <cstdint>

#include "bus/bus_result.h"
#include "bus/image.h"
#include "bus/page_runs.h"
#include "bus/parallel_port_lines.h"

namespace bus {

inline constexpr std::uint8_t kEepromWriteSelect = 0xA0;
inline constexpr std::uint8_t kEepromReadSelect = 0xA1;
inline constexpr std::uint64_t kSelectPollingLimitNanoseconds = 100'000'000;  // 100 ms
inline constexpr int kSelectPollingMinimumAttempts = 3;

class EepromProtocol {
 public:
  explicit EepromProtocol(ParallelPortLines& lines) : lines_(lines) {}

  // Writes image[0..127] to word addresses 0..127. On failure the result names the address.
  BusResult WriteEeprom(const Image& image);

  // Writes image[a] to word address a for each address a of `addresses`, in increasing order,
  // and ends with a release; an empty set touches nothing. On failure the result names the
  // address. A store the port itself could not make (PortFailed) ends the write too.
  BusResult WriteAddresses(const Image& image, const AddressSet& addresses);

  // Writes the addresses of `addresses` in page writes of up to `page_size` bytes (1, 2, 4, 8 or
  // 16), each ending with its write cycle, and ends with a release. On failure the result names
  // the first address of the write that failed and how many bytes it carried.
  BusResult WritePages(const Image& image, const AddressSet& addresses, std::size_t page_size);

  // Fills `destination` with word addresses 0..127; on failure leaves it untouched.
  BusResult ReadEeprom(Image& destination);

 private:
  BusResult WriteRun(const Image& image, const AddressRun& run);

  ParallelPortLines& lines_;
};

// The parts both read transactions (EEPROM and switch chip) and the write share.

// BusStart, the select byte and PollAck, repeated while the device does not acknowledge, until an
// attempt begun 100 ms of port time or more after the first fails, and at least 3 attempts. On
// success SCL has been lowered and the transaction goes on. On failure the bus has been stopped
// and released.
BusResult SelectWithPolling(ParallelPortLines& lines, std::uint8_t select, BusDevice device,
                            int address);

// The read-type transaction: write select with polling, address 0x00, repeated start, read
// select, 128 bytes (the last one not acknowledged), stop, release.
BusResult ReadSequential(ParallelPortLines& lines, std::uint8_t write_select,
                         std::uint8_t read_select, BusDevice device, Image& destination);

}  // namespace bus
