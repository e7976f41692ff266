// SPDX-License-Identifier: GPL-3.0-or-later
// A data file opened as raw bytes for one command, held exclusively while it is open.
//
// "Without sharing" is kept with an exclusive lock of the whole file taken at open (flock; on
// Windows LockFileEx): a file that another program holds locked cannot be opened (sharing
// violation), and nobody that asks for the lock gets it while we read or write. Writing does not cut the file before the lock is held: it
// overwrites from the start and then sets the length, so a file is never emptied by an open that
// then fails.
#pragma once

#include <QString>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "files/read_within.h"
#include "gui/shell/file_error.h"
#include "platform/files.h"

namespace shell {

class RawFile {
 public:
  RawFile() = default;
  ~RawFile();
  RawFile(const RawFile&) = delete;
  RawFile& operator=(const RawFile&) = delete;

  // Opens an existing file for reading.
  std::optional<FileError> OpenForReading(const QString& path);
  // Opens a file for writing, creating it if needed; its old contents stay until Replace.
  std::optional<FileError> OpenForWriting(const QString& path);
  // Both open only a regular file or a character device (/dev/null); a directory, a pipe, a
  // socket or a block device is refused as access denied, and neither ever waits at the open.

  // Reads up to destination.size() bytes from the current position; the count read, or an error.
  // A character device that gives neither them nor end of file within `device_bound` (a terminal,
  // a serial port) fails as a generic error (ETIMEDOUT).
  std::optional<FileError> Read(std::span<std::uint8_t> destination, std::size_t& count_read,
                                std::chrono::milliseconds device_bound = files::kDeviceEndBound);

  // Makes the file hold exactly `contents`: writes them from offset 0, then cuts the rest.
  std::optional<FileError> Replace(std::span<const std::uint8_t> contents);

  // Closes the file; an error the system reports at close (a write that did not reach the disk).
  std::optional<FileError> Close();
  // After writing failed, in Replace or at Close: closes the file if it is open, and removes it
  // when OpenForWriting created it, so a failed save leaves no empty or partial file where there
  // was none.
  void Discard();

  [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }

 private:
  std::optional<FileError> Open(const QString& path, int flags);

  int fd_ = -1;
  bool regular_ = false;
  std::string path_;      // as the system names it
  bool created_ = false;  // OpenForWriting made the file
  platform::FileId opened_;
};

}  // namespace shell
