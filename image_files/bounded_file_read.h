// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a whole input file without blocking on it and without letting it grow without bound.
//
// The file is opened non-blocking, so a FIFO or a device that waits for a carrier cannot stop
// the program in open(). Only a regular file or a character device is read (a terminal, /dev/null,
// /dev/zero); a folder, FIFO, socket or block device is refused. A character device is read as it
// gives its bytes, so a terminal is read as it is typed, but it must reach end of file (or more
// than `limit` bytes) within `device_bound`: one that never ends (a serial port, /dev/kmsg) is
// refused then. More than `limit` bytes is refused, so a huge file or an endless device cannot
// exhaust memory.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "files/read_within.h"

namespace image_files {

struct FileContents {
  std::optional<std::string> bytes;  // the whole file, when it could be read
  std::string error;                 // otherwise: one line naming the file and the cause
};

[[nodiscard]] FileContents ReadBoundedFile(
    const std::string& name, std::size_t limit,
    std::chrono::milliseconds device_bound = files::kDeviceEndBound);

// The refusal of a file that gives more than `limit` bytes, for a reader that reads its files
// its own way and must say what ReadBoundedFile says.
[[nodiscard]] std::string TooLongRefusal(const std::string& name, std::size_t limit);

// The same for a read that timed out (a device that did not end within `device_bound`) or failed
// (the system's reason, such as a device that refuses reads of this size).
[[nodiscard]] std::string ReadFailureRefusal(const std::string& name, const files::BoundedRead& read,
                                             std::chrono::milliseconds device_bound);

}  // namespace image_files
