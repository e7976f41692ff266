// SPDX-License-Identifier: GPL-3.0-or-later
// The SHA-256 of an image, as the traceability log names it: the digest of the 128 bytes in address
// order, which is what `sha256sum` prints for the image's raw file.
#pragma once

#include <string>

#include "bus/image.h"

namespace console {

// 64 lower-case hexadecimal digits; empty when the system cannot compute the digest.
[[nodiscard]] std::string ImageSha256(const bus::Image& image);

}  // namespace console
