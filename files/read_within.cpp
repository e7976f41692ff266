// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/read_within.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace files {

namespace {

using Clock = std::chrono::steady_clock;

// Waits until `fd` has something to give (bytes, end of file, or an error for read() to report).
// False, with `result` saying why, when `deadline` passes first or poll() itself fails.
bool WaitReadable(int fd, Clock::time_point deadline, BoundedRead& result) {
  for (;;) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) {
      result.end = ReadEnd::TimedOut;
      return false;
    }
    // Rounded up, so poll() never returns just before the deadline with nothing to show.
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    pollfd wanted{fd, POLLIN, 0};
    const int ready = ::poll(&wanted, 1, static_cast<int>(milliseconds));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) {
      result.end = ReadEnd::Failed;
      result.error_number = errno;
      return false;
    }
  }
}

}  // namespace

BoundedRead ReadWithin(int fd, std::span<std::uint8_t> buffer, Clock::time_point deadline) {
  BoundedRead result;
  while (result.count < buffer.size()) {
    const ssize_t got = ::read(fd, buffer.data() + result.count, buffer.size() - result.count);
    if (got > 0) {
      result.count += static_cast<std::size_t>(got);
      continue;
    }
    if (got == 0) return result;  // EndOfFile
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      result.end = ReadEnd::Failed;
      result.error_number = errno;
      return result;
    }
    if (!WaitReadable(fd, deadline, result)) return result;
  }
  result.end = ReadEnd::Full;
  return result;
}

}  // namespace files
