// SPDX-License-Identifier: GPL-3.0-or-later
// SHA-256, from the system's own cryptography: libcrypto on POSIX systems, CNG (BCrypt) on Windows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace platform {

using Sha256Digest = std::array<std::uint8_t, 32>;

// The SHA-256 of `bytes`; nothing when the system cannot compute one (Windows without its SHA-256
// provider).
[[nodiscard]] std::optional<Sha256Digest> Sha256(std::span<const std::uint8_t> bytes);

}  // namespace platform
