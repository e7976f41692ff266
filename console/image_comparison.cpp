// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/image_comparison.h"

#include <cstdio>

namespace console {

bus::AddressSet DifferingAddresses(const image_files::PartialImage& file,
                                   const bus::Image& eeprom) {
  bus::AddressSet differing;
  for (std::size_t address = 0; address < bus::kEepromSize; ++address) {
    differing[address] = file.held[address] && file.bytes[address] != eeprom[address];
  }
  return differing;
}

std::string DifferenceLines(const image_files::PartialImage& file, const bus::Image& eeprom,
                            const bus::AddressSet& differing) {
  std::string lines;
  for (std::size_t address = 0; address < bus::kEepromSize; ++address) {
    if (!differing[address]) continue;
    char line[64];
    std::snprintf(line, sizeof line, "address %zu: file %02x, EEPROM %02x\n", address,
                  static_cast<unsigned>(file.bytes[address]),
                  static_cast<unsigned>(eeprom[address]));
    lines += line;
  }
  return lines;
}

}  // namespace console
