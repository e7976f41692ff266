// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_files/shown_file_name.h"

#include <cstdio>

namespace image_files {

std::string ShownFileName(std::string_view name) {
  std::string shown;
  for (char c : name) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '\n') {
      shown += "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (code < 0x20 || code == 0x7F) {
      char text[8];
      std::snprintf(text, sizeof text, "\\x%02X", code);
      shown += text;
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace image_files
