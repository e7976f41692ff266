// SPDX-License-Identifier: GPL-3.0-or-later
// File names are UTF-8 text in both programs. A std::filesystem::path made from a narrow string
// takes it in the system's code page on Windows, where a name such as "bäck.bin" would then come
// back as other characters; these make paths from UTF-8 and give their text back in UTF-8 on
// every system.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace files {

inline std::filesystem::path PathOf(std::string_view utf8) {
  try {
    return std::filesystem::path(
        std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
  } catch (const std::exception&) {
    // Not UTF-8 (a name typed in another code page): taken as the system takes narrow text.
    return std::filesystem::path(std::string(utf8));
  }
}

inline std::string TextOf(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace files
