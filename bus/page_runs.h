// SPDX-License-Identifier: GPL-3.0-or-later
// Page writes: which addresses go to the EEPROM together, in one write cycle.
//
// The EEPROM takes the bytes of one write transaction into the page of its word address: the
// low bits of the address count up and wrap inside the page, so a byte that would go past the
// page's end lands at its start instead. A write with page size N therefore groups the addresses
// to write into runs of consecutive addresses that never cross an N-byte page boundary; each run
// is one write transaction and one write cycle. Page size 1 is byte writes: a run per address.
#pragma once

#include <cstddef>
#include <vector>

#include "bus/image.h"

namespace bus {

// Byte writes: the default, and what every EEPROM of the board's kind takes.
inline constexpr std::size_t kByteWrites = 1;
// The largest page size the programs offer; the 24C01-class EEPROM's pages are 4 to 16 bytes.
inline constexpr std::size_t kLargestPageSize = 16;

// Consecutive word addresses first .. first + count - 1, written in one transaction.
struct AddressRun {
  std::size_t first = 0;
  std::size_t count = 0;

  friend bool operator==(const AddressRun&, const AddressRun&) = default;
};

// Whether `size` is a page size the programs offer: 1, 2, 4, 8 or 16.
[[nodiscard]] bool IsPageSize(std::size_t size);

// The runs of `addresses`, in increasing order: each ends where the set has a gap, where an
// N-byte page ends, or after N addresses. A `page_size` that is not one (IsPageSize) is taken as
// byte writes, so no run is ever longer than the largest page.
[[nodiscard]] std::vector<AddressRun> PageRuns(const AddressSet& addresses, std::size_t page_size);

}  // namespace bus
