// SPDX-License-Identifier: GPL-3.0-or-later
// The image as an Intel HEX file: reading one whole, and writing one.
//
// A record is ":" then hex digits: byte count, 16-bit address, type, the data, and a checksum that
// makes the sum of all the record's bytes 0 modulo 256. Types: 00 data, 01 end of file (required;
// only blank lines may follow it), 02 extended segment address (base = value * 16), 03 start
// segment address, 04 extended linear address (base = value * 65536), 05 start linear address.
// Start addresses are accepted and ignored; a data byte's address is the base plus the record's
// address and must lie in the EEPROM.
#pragma once

#include <string>
#include <string_view>

#include "bus/image.h"
#include "image_files/partial_image.h"

namespace image_files {

// The whole text is checked before an image is given: every fault refuses the file.
[[nodiscard]] RecordFileParse ParseIntelHex(std::string_view text);

// Data records of 16 bytes for addresses 0x00 to 0x7F, then the end record; "\n" line ends.
[[nodiscard]] std::string WriteIntelHex(const bus::Image& image);

}  // namespace image_files
