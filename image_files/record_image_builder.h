// SPDX-License-Identifier: GPL-3.0-or-later
// Builds a partial image from the data records of an Intel HEX or S-record file.
//
// Each record's bytes are placed at their addresses, after checking that every address lies in
// the EEPROM (0x00 to 0x7F) and that no address is given two different values. An address given
// twice with the same value is accepted. The line each address came from is kept, so a conflict
// names both lines.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "image_files/partial_image.h"

namespace image_files {

class RecordImageBuilder {
 public:
  // Places `data` at `address` onwards, from a record on `line`. On a fault, returns what is wrong
  // (without the line) and places nothing; otherwise an empty text.
  [[nodiscard]] std::string Place(std::uint64_t address, std::span<const std::uint8_t> data,
                                  int line);

  [[nodiscard]] const PartialImage& Image() const { return image_; }

 private:
  PartialImage image_;
  std::array<int, bus::kEepromSize> line_of_{};  // the line that gave each held address
};

}  // namespace image_files
