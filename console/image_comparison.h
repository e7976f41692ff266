// SPDX-License-Identifier: GPL-3.0-or-later
// Comparing an image file with what the EEPROM holds, address by address, over the addresses the
// file holds, and the lines that report each difference.
//
// A difference line reads "address A: file XX, EEPROM YY\n": A is the word address in decimal, as
// the menu's listings give it, XX the file's byte and YY the EEPROM's, two lower-case hexadecimal
// digits each. One line per address, lowest first, so scripts can take them apart.
#pragma once

#include <string>

#include "bus/image.h"
#include "image_files/partial_image.h"

namespace console {

// The addresses `file` holds whose bytes differ from `eeprom`'s.
[[nodiscard]] bus::AddressSet DifferingAddresses(const image_files::PartialImage& file,
                                                 const bus::Image& eeprom);

// One difference line for each address of `differing`, in increasing order.
[[nodiscard]] std::string DifferenceLines(const image_files::PartialImage& file,
                                          const bus::Image& eeprom,
                                          const bus::AddressSet& differing);

}  // namespace console
