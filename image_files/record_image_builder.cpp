// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_files/record_image_builder.h"

#include "image_files/record_text.h"

namespace image_files {

std::string RecordImageBuilder::Place(std::uint64_t address, std::span<const std::uint8_t> data,
                                      int line) {
  // Checked whole before anything is placed, so a refused record leaves the image as it was.
  for (std::size_t i = 0; i < data.size(); ++i) {
    const std::uint64_t at = address + i;
    if (at >= bus::kEepromSize) {
      return "address " + HexValue(at, 2) + " is outside the EEPROM, which holds 0x00 to 0x7F";
    }
    if (image_.held[at] && image_.bytes[at] != data[i]) {
      return "address " + HexValue(at, 2) + " is given " + HexValue(data[i], 2) + " here and " +
             HexValue(image_.bytes[at], 2) + " on line " + std::to_string(line_of_[at]);
    }
  }
  for (std::size_t i = 0; i < data.size(); ++i) {
    const std::size_t at = static_cast<std::size_t>(address + i);
    if (!image_.held[at]) {
      line_of_[at] = line;
    }
    image_.held[at] = true;
    image_.bytes[at] = data[i];
  }
  return {};
}

}  // namespace image_files
