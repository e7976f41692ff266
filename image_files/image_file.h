// SPDX-License-Identifier: GPL-3.0-or-later
// The image as a file in any of the three formats: reading one whole, and encoding one.
//
// Reading checks the whole file before it gives an image, so nothing reaches the board from a
// file with a fault in it. A raw file must hold exactly 128 bytes and gives every address; an
// Intel HEX or S-record file gives the addresses its data records hold. Every refusal is one line
// that names the file, for the record formats the line, and the fault, e.g.
// "board.hex line 3: checksum is 0x41, the record's bytes make 0x40".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "bus/image.h"
#include "image_files/image_format.h"
#include "image_files/partial_image.h"

namespace image_files {

// The most bytes an image file is read to; a longer one is refused. Ample for any of the formats
// (a 128-byte image in Intel HEX is under 400 bytes) with room for comments in an S0 header.
inline constexpr std::size_t kImageFileLimit = 1024 * 1024;

struct ImageFileRead {
  std::optional<PartialImage> image;  // set when the file was read and accepted whole
  std::string error;                  // otherwise: one line, no line break
};

[[nodiscard]] ImageFileRead ReadImageFile(const std::string& name, ImageFormat format);

// The same checks on the bytes of a file already read (by a program that reads its files its own
// way); `name` is only for the messages.
[[nodiscard]] ImageFileRead DecodeImageFile(const std::string& name, std::string_view bytes,
                                            ImageFormat format);

// The addresses an image file held, as ranges in decimal: "0-15, 32 and 40-47".
[[nodiscard]] std::string HeldAddressRanges(const PartialImage& image);

// The bytes of a file holding the whole image in `format`, written by the program named `writer`
// ("30p", "plover"), which an S-record file's header names.
[[nodiscard]] std::string EncodeImage(const bus::Image& image, ImageFormat format,
                                      std::string_view writer);

}  // namespace image_files
