// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a data file without waiting for ever, for both programs.
//
// A data file may be a character device, and some never reach end of file (a terminal, a serial
// port, /dev/kmsg). Its descriptor is read without blocking (O_NONBLOCK); whenever it has nothing
// to give, the reader waits for it only until a deadline on the monotonic clock. A regular file
// always has its bytes to give, so it is read to its end as before, never waited on. The read
// itself is the platform's (platform/files.h).
#pragma once

#include <chrono>

#include "platform/files.h"

namespace files {

// How long a data file that is a character device has to reach end of file, or the most bytes
// the reader takes, before it is given up.
inline constexpr std::chrono::milliseconds kDeviceEndBound{2000};

using platform::BoundedRead;
using platform::ReadEnd;
using platform::ReadWithin;

}  // namespace files
