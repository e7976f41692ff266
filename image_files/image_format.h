// SPDX-License-Identifier: GPL-3.0-or-later
// The three file formats an image can be kept in, and how a file's format is chosen.
//
// The format comes from the file name's extension, case insensitive: .hex, .ihex and .ihx are
// Intel HEX; .srec, .s19, .s28, .s37 and .mot are Motorola S-record; any other name is raw binary
// (the 128 bytes, byte i for word address i). A format word (raw, ihex, srec) overrides it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace image_files {

enum class ImageFormat { Raw, IntelHex, SRecord };

// The format the extension of `file_name` stands for; raw binary when it stands for none.
[[nodiscard]] ImageFormat FormatFromFileName(std::string_view file_name);

struct FormatWordResult {
  std::optional<ImageFormat> format;  // set when the word names a format
  std::string error;                  // otherwise: one line naming the word and the choices
};

// "raw", "ihex" or "srec".
[[nodiscard]] FormatWordResult ParseFormatWord(std::string_view word);

// The word that selects `format`: "raw", "ihex" or "srec".
[[nodiscard]] const char* FormatWord(ImageFormat format);

}  // namespace image_files
