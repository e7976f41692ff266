// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/image_digest.h"

#include <optional>

#include "platform/sha256.h"

namespace console {

std::string ImageSha256(const bus::Image& image) {
  const std::optional<platform::Sha256Digest> digest = platform::Sha256(image);
  if (!digest) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : *digest) {
    text += kHex[byte >> 4];
    text += kHex[byte & 0x0f];
  }
  return text;
}

}  // namespace console
