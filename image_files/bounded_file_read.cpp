// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_files/bounded_file_read.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "files/read_within.h"
#include "image_files/file_kind.h"
#include "image_files/shown_file_name.h"
#include "platform/files.h"

namespace image_files {

namespace {

// Closes the descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  [[nodiscard]] int get() const { return fd_; }

 private:
  int fd_;
};

FileContents Refuse(const std::string& name, const std::string& cause) {
  return {std::nullopt, "cannot read " + ShownFileName(name) + ": " + cause};
}

// "2 s", or "250 ms" for a bound that is no whole number of seconds.
std::string BoundText(std::chrono::milliseconds bound) {
  if (bound.count() % 1000 == 0) {
    return std::to_string(bound.count() / 1000) + " s";
  }
  return std::to_string(bound.count()) + " ms";
}

// Reads the open file `fd` to its end, into room for one byte more than `limit`. A terminal is
// read as it is typed, within the bound. The room is taken whole, so a device that gives records
// (/dev/kmsg) always has room for the next one.
FileContents ReadToEnd(const std::string& name, int fd, std::size_t limit,
                       std::chrono::milliseconds device_bound) {
  std::vector<std::uint8_t> room(limit + 1);
  const files::BoundedRead read =
      files::ReadWithin(fd, room, std::chrono::steady_clock::now() + device_bound);
  switch (read.end) {
    case files::ReadEnd::EndOfFile:
      break;
    case files::ReadEnd::Full:
      return {std::nullopt, TooLongRefusal(name, limit)};
    case files::ReadEnd::TimedOut:
    case files::ReadEnd::Failed:
      return {std::nullopt, ReadFailureRefusal(name, read, device_bound)};
  }
  return {std::string(room.begin(), room.begin() + static_cast<std::ptrdiff_t>(read.count)), {}};
}

}  // namespace

std::string TooLongRefusal(const std::string& name, std::size_t limit) {
  return Refuse(name,
                "it gives more than the " + std::to_string(limit) + " bytes an image file may have")
      .error;
}

std::string ReadFailureRefusal(const std::string& name, const files::BoundedRead& read,
                               std::chrono::milliseconds device_bound) {
  return Refuse(name, read.end == files::ReadEnd::TimedOut
                          ? "it is a device that did not end within " + BoundText(device_bound)
                          : std::string(std::strerror(read.error_number)))
      .error;
}

FileContents ReadBoundedFile(const std::string& name, std::size_t limit,
                             std::chrono::milliseconds device_bound) {
  if (name.empty()) {
    return {std::nullopt, "no file name given"};
  }
  if (name.find('\0') != std::string::npos) {
    return Refuse(name, "a file name cannot hold a zero byte");
  }
  const FileDescriptor file(platform::OpenFile(name, O_RDONLY));
  if (file.get() < 0) {
    return Refuse(name, std::strerror(errno));
  }
  const std::optional<platform::FileStatus> status = platform::StatusOfOpen(file.get());
  if (!status) {
    return Refuse(name, std::strerror(errno));
  }
  if (const char* refusal = NotADataFileReason(status->kind)) {
    return Refuse(name, refusal);
  }
  if (status->kind == platform::FileKind::Regular && status->size > limit) {
    return Refuse(name, "it holds " + std::to_string(status->size) + " bytes, more than the " +
                            std::to_string(limit) + " an image file may have");
  }
  return ReadToEnd(name, file.get(), limit, device_bound);
}

}  // namespace image_files
