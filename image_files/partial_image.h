// SPDX-License-Identifier: GPL-3.0-or-later
// An image as a file gives it: the 128 bytes and which word addresses the file holds.
//
// A raw file holds every address. An Intel HEX or S-record file may hold only some; the addresses
// it does not hold keep value 0 here and are left alone by whoever applies the image.
#pragma once

#include <bitset>
#include <optional>
#include <string>
#include <utility>

#include "bus/image.h"

namespace image_files {

struct PartialImage {
  bus::Image bytes{};
  std::bitset<bus::kEepromSize> held;  // held[address]: the file gives that address's byte

  [[nodiscard]] bool Complete() const { return held.all(); }
};

// What a reader of a record file (Intel HEX, S-record) makes of its text.
struct RecordFileParse {
  std::optional<PartialImage> image;  // set when the whole file was accepted
  int line = 0;                       // on a fault: the line it is on, from 1
  std::string fault;                  // on a fault: what is wrong, without file or line

  // A parse that found `fault` on `line`.
  static RecordFileParse Fault(int line, std::string fault) {
    return {std::nullopt, line, std::move(fault)};
  }
};

}  // namespace image_files
