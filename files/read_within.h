// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a data file without waiting for ever, for both programs.
//
// A data file may be a character device, and some never reach end of file (a terminal, a serial
// port, /dev/kmsg). Its descriptor is read without blocking (O_NONBLOCK); whenever it has nothing
// to give, the reader waits for it with poll() only until a deadline on the monotonic clock. A
// regular file always has its bytes to give, so it is read to its end as before, never waited on.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace files {

// How long a data file that is a character device has to reach end of file, or the most bytes
// the reader takes, before it is given up.
inline constexpr std::chrono::milliseconds kDeviceEndBound{2000};

enum class ReadEnd {
  EndOfFile,  // the file ended
  Full,       // the buffer is full; the file may go on
  TimedOut,   // the deadline passed while the file had nothing to give
  Failed,     // the system refused; error_number says why
};

struct BoundedRead {
  std::size_t count = 0;  // bytes read into the front of the buffer
  ReadEnd end = ReadEnd::EndOfFile;
  int error_number = 0;   // with Failed
};

// Reads `fd`, opened with O_NONBLOCK, into `buffer` until end of file or a full buffer, waiting
// for it while it has nothing to give until `deadline` has passed.
[[nodiscard]] BoundedRead ReadWithin(int fd, std::span<std::uint8_t> buffer,
                                     std::chrono::steady_clock::time_point deadline);

}  // namespace files
