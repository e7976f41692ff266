// SPDX-License-Identifier: GPL-3.0-or-later
#include <openssl/sha.h>

#include "platform/sha256.h"

namespace platform {

std::optional<Sha256Digest> Sha256(std::span<const std::uint8_t> bytes) {
  static_assert(std::tuple_size_v<Sha256Digest> == SHA256_DIGEST_LENGTH);
  Sha256Digest digest{};
  ::SHA256(bytes.data(), bytes.size(), digest.data());
  return digest;
}

}  // namespace platform
