// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_files/image_format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

#include "files/utf8_path.h"

namespace image_files {

namespace {

struct ExtensionFormat {
  std::string_view extension;  // lower case, with its dot
  ImageFormat format;
};

constexpr std::array kExtensions{
    ExtensionFormat{".hex", ImageFormat::IntelHex}, ExtensionFormat{".ihex", ImageFormat::IntelHex},
    ExtensionFormat{".ihx", ImageFormat::IntelHex}, ExtensionFormat{".srec", ImageFormat::SRecord},
    ExtensionFormat{".s19", ImageFormat::SRecord},  ExtensionFormat{".s28", ImageFormat::SRecord},
    ExtensionFormat{".s37", ImageFormat::SRecord},  ExtensionFormat{".mot", ImageFormat::SRecord},
};

constexpr std::array kFormats{ImageFormat::Raw, ImageFormat::IntelHex, ImageFormat::SRecord};

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

ImageFormat FormatFromFileName(std::string_view file_name) {
  // The extension of the last name in the path: "dir.hex/board" has none, ".hex" alone is a
  // hidden file's name rather than an extension.
  const std::string extension =
      LowerCase(files::TextOf(files::PathOf(file_name).filename().extension()));
  for (const ExtensionFormat& entry : kExtensions) {
    if (entry.extension == extension) {
      return entry.format;
    }
  }
  return ImageFormat::Raw;
}

FormatWordResult ParseFormatWord(std::string_view word) {
  for (ImageFormat format : kFormats) {
    if (word == FormatWord(format)) {
      return {format, {}};
    }
  }
  return {std::nullopt,
          "--format '" + std::string(word) + "' is not a file format; use raw, ihex or srec"};
}

const char* FormatWord(ImageFormat format) {
  switch (format) {
    case ImageFormat::Raw:
      return "raw";
    case ImageFormat::IntelHex:
      return "ihex";
    case ImageFormat::SRecord:
      return "srec";
  }
  return "raw";
}

}  // namespace image_files
