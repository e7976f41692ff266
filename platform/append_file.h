// SPDX-License-Identifier: GPL-3.0-or-later
// A file that lines are appended to (the traceability log), each with a single write that lands
// whole at the end of the file even while other programs append to it (O_APPEND; FILE_APPEND_DATA
// on Windows), then flushed to the disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class AppendFile {
 public:
  AppendFile() = default;
  ~AppendFile();
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Opens `path` (UTF-8) for appending, creating it if missing, and for reading too where this user
  // may (EndsMidLine). Only a regular file or a character device (/dev/null, NUL) is taken: a FIFO
  // or a pipe would block the run. Empty on success; else the cause, in the system's words or "it
  // is not a regular file".
  [[nodiscard]] std::string Open(const std::string& path);

  [[nodiscard]] bool IsOpen() const { return handle_ != kClosed; }

  struct Written {
    std::size_t count = 0;
    std::string error;      // why nothing was written; empty when `count` bytes were
    std::size_t size = 0;   // the bytes WriteLine meant to write, its line break included
  };
  // Writes `bytes` at the end of the file with a single write, which may take fewer of them (a
  // full disk) but is never followed by another one for the rest.
  [[nodiscard]] Written Write(std::string_view bytes);

  // Writes `line` at the end of the file as Write does, after a line break when the file ends
  // mid-line (a line torn by a full disk or a crash), so the new line stands on its own; both in
  // one write, which another program's WriteLine cannot come between.
  [[nodiscard]] Written WriteLine(std::string_view line);

  // Flushes what was written to the disk (a regular file; nothing to do for a device). Empty on
  // success; else the cause.
  [[nodiscard]] std::string Sync();

  // Whether the file is a regular one whose last byte is there and is not a line break. A file
  // this user may only write cannot be read: false.
  [[nodiscard]] bool EndsMidLine() const;

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;  // the descriptor, or on Windows the HANDLE
  // Windows: a second HANDLE, for reading, where this user may read: the last byte is read and
  // the appends are locked through it (a lock needs read or write access, which an appending
  // handle lacks).
  [[maybe_unused]] std::intptr_t reader_ = kClosed;  // (unused on POSIX systems)
  bool regular_ = false;            // a regular file, which Sync flushes
};

}  // namespace platform
