// SPDX-License-Identifier: GPL-3.0-or-later
// Which kinds of file the console reads and writes as data: regular files, and character devices
// such as /dev/null. A folder, a FIFO, a socket or a block device is refused, never waited on.
#pragma once

#include <sys/types.h>

namespace console {

[[nodiscard]] bool IsDataFileKind(mode_t mode);

// Why a file of this kind is not taken ("it is a FIFO, not a file"); nullptr for the kinds that
// are.
[[nodiscard]] const char* NotADataFileReason(mode_t mode);

}  // namespace console
