// SPDX-License-Identifier: GPL-3.0-or-later
// Which kinds of file both programs read and write as data: regular files, and character devices
// such as /dev/null. A folder, a FIFO, a socket or a block device is refused, never waited on.
#pragma once

#include "platform/files.h"

namespace image_files {

[[nodiscard]] bool IsDataFileKind(platform::FileKind kind);

// Why a file of this kind is not taken ("it is a FIFO, not a file"); nullptr for the kinds that
// are.
[[nodiscard]] const char* NotADataFileReason(platform::FileKind kind);

}  // namespace image_files
