// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/image_digest.h"

#include <openssl/sha.h>

#include <array>

namespace console {

std::string ImageSha256(const bus::Image& image) {
  std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
  ::SHA256(image.data(), image.size(), digest.data());
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (const unsigned char byte : digest) {
    text += kHex[byte >> 4];
    text += kHex[byte & 0x0f];
  }
  return text;
}

}  // namespace console
