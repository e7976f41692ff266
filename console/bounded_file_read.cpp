// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/bounded_file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "console/file_kind.h"
#include "console/shown_file_name.h"

namespace console {

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

}  // namespace

FileContents ReadBoundedFile(const std::string& name, std::size_t limit) {
  if (name.empty()) {
    return {std::nullopt, "no file name given"};
  }
  if (name.find('\0') != std::string::npos) {
    return Refuse(name, "a file name cannot hold a zero byte");
  }
  const FileDescriptor file(::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    return Refuse(name, std::strerror(errno));
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) {
    return Refuse(name, std::strerror(errno));
  }
  if (const char* refusal = NotADataFileReason(status.st_mode)) {
    return Refuse(name, refusal);
  }
  if (S_ISREG(status.st_mode) && static_cast<std::uintmax_t>(status.st_size) > limit) {
    return Refuse(name, "it holds " + std::to_string(status.st_size) + " bytes, more than the " +
                            std::to_string(limit) + " an image file may have");
  }
  if (S_ISCHR(status.st_mode)) {
    // A terminal is read as it is typed, up to end of file.
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) < 0) {
      return Refuse(name, std::strerror(errno));
    }
  }
  std::string bytes;
  char buffer[4096];
  for (;;) {
    const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count < 0) {
      return Refuse(name, std::strerror(errno));
    }
    if (count == 0) {
      break;
    }
    bytes.append(buffer, static_cast<std::size_t>(count));
    if (bytes.size() > limit) {
      return Refuse(name, "it gives more than the " + std::to_string(limit) +
                              " bytes an image file may have");
    }
  }
  return {std::move(bytes), {}};
}

}  // namespace console
