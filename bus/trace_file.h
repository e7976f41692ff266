// SPDX-License-Identifier: GPL-3.0-or-later
// TraceFile: the file a trace recorder writes (`--trace FILE`), buffered.
//
// Opening creates or truncates the file; it never blocks. A regular file is locked first, with
// the exclusive lock that board files and saved data files get, and stays locked while the trace
// is open: a file another program holds is refused untouched, and a save into the running trace
// (the menu's entry 3, plover's Save) is refused instead of overwriting it. A FIFO may be a trace
// (a live view on the other end) once a reader has it open; a FIFO without a reader is refused at
// once. The recorder appends text to a large buffer, which goes out in blocks and when the file
// is closed. After a write fails (a full disk) the trace records nothing more and says so once on
// standard error: the bus operations themselves go on unharmed.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace bus {

class TraceFile {
 public:
  // Creates or truncates `path`; nullptr with `error` set (naming the file and the cause) when it
  // cannot be opened for writing.
  static std::unique_ptr<TraceFile> Open(const std::string& path, std::string& error);
  ~TraceFile();  // writes out what is buffered and closes the file
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  // A place for `size` more bytes (at most kLongestRecord) in the buffer; Advance(count) then
  // keeps the `count` bytes written there.
  char* Room(std::size_t size) {
    if (used_ + size > kBufferSize) Flush();
    return buffer_.get() + used_;
  }
  void Advance(std::size_t count) { used_ += count; }

  // Appends text of any length.
  void Append(std::string_view text);

  static constexpr std::size_t kBufferSize = 64 * 1024;
  static constexpr std::size_t kLongestRecord = 64;

 private:
  TraceFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  void Flush();
  void ReportFailure();

  std::string path_;
  int fd_;
  bool failed_ = false;
  std::unique_ptr<char[]> buffer_ = std::make_unique<char[]>(kBufferSize);
  std::size_t used_ = 0;
};

}  // namespace bus
