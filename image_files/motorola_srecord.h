// SPDX-License-Identifier: GPL-3.0-or-later
// The image as a Motorola S-record file: reading one whole, and writing one.
//
// A record is "S", a type digit, then hex digits: byte count (of the bytes after it), address,
// data, and a checksum that is the ones' complement of the low byte of the sum of count, address
// and data. Types: S0 header (ignored), S1/S2/S3 data with 2/3/4-byte addresses, S5/S6 record
// count (16/24 bits; must equal the number of data records before it, and no data record may
// follow it), S7/S8/S9 termination with a 4/3/2-byte start address (ignored). S4 is not a
// record type. The file ends with a termination record or, when it has none (srec_cat writes
// none unless given a start address), with a count record; only blank lines may follow.
#pragma once

#include <string>
#include <string_view>

#include "bus/image.h"
#include "image_files/partial_image.h"

namespace image_files {

// The whole text is checked before an image is given: every fault refuses the file.
[[nodiscard]] RecordFileParse ParseSRecord(std::string_view text);

// An S0 header holding the text `header` (the name of the program that writes the file), S1
// records of 16 data bytes for addresses 0x00 to 0x7F, the S5 count record and the S9
// termination record; "\n" line ends.
[[nodiscard]] std::string WriteSRecord(const bus::Image& image, std::string_view header);

}  // namespace image_files
