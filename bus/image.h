// SPDX-License-Identifier: GPL-3.0-or-later
// The 128-byte image of the configuration EEPROM: index = word address 0 to 127.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

namespace bus {

inline constexpr std::size_t kEepromSize = 128;

using Image = std::array<std::uint8_t, kEepromSize>;

// A set of word addresses: bit a stands for address a.
using AddressSet = std::bitset<kEepromSize>;

// Every address, 0 to 127.
[[nodiscard]] inline AddressSet AllAddresses() { return AddressSet().set(); }

}  // namespace bus
