// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sha256.h"

// clang-format off
#include <windows.h>
#include <bcrypt.h>  // after windows.h, whose types it uses
// clang-format on

#include <limits>

namespace platform {

namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

std::optional<Sha256Digest> Sha256(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > std::numeric_limits<ULONG>::max()) return std::nullopt;
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!Succeeded(::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return std::nullopt;
  }
  Sha256Digest digest{};
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool done = Succeeded(::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
  if (done) {
    // BCryptHashData takes a non-const pointer but only reads the bytes.
    done = Succeeded(::BCryptHashData(hash, const_cast<PUCHAR>(bytes.data()),
                                      static_cast<ULONG>(bytes.size()), 0)) &&
           Succeeded(::BCryptFinishHash(hash, digest.data(), digest.size(), 0));
    ::BCryptDestroyHash(hash);
  }
  ::BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!done) return std::nullopt;
  return digest;
}

}  // namespace platform
