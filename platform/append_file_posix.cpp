// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/append_file.h"

namespace platform {

namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

AppendFile::~AppendFile() {
  if (IsOpen()) ::close(Fd(handle_));
}

std::string AppendFile::Open(const std::string& path) {
  // Not blocking: opening a FIFO nobody reads would otherwise wait for ever.
  constexpr int kFlags = O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  int fd = ::open(path.c_str(), O_RDWR | kFlags, 0666);
  if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_WRONLY | kFlags, 0666);
  if (fd < 0) return std::strerror(errno);
  handle_ = fd;
  struct stat status {};
  if (::fstat(fd, &status) != 0) return std::strerror(errno);
  regular_ = S_ISREG(status.st_mode);
  if (!regular_ && !S_ISCHR(status.st_mode)) {
    ::close(fd);
    handle_ = kClosed;
    return "it is not a regular file";
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return std::strerror(errno);
  return {};
}

AppendFile::Written AppendFile::Write(std::string_view bytes) {
  ssize_t written = -1;
  do {
    written = ::write(Fd(handle_), bytes.data(), bytes.size());
  } while (written < 0 && errno == EINTR);
  if (written < 0) return {0, std::strerror(errno)};
  return {static_cast<std::size_t>(written), {}};
}

// A write with O_APPEND lands whole at the end: another program's line can come before this
// one's check, never inside its write.
AppendFile::Written AppendFile::WriteLine(std::string_view line) {
  const std::string whole = EndsMidLine() ? "\n" + std::string(line) : std::string(line);
  Written written = Write(whole);
  written.size = whole.size();
  return written;
}

std::string AppendFile::Sync() {
  if (regular_ && ::fsync(Fd(handle_)) != 0) return std::strerror(errno);
  return {};
}

bool AppendFile::EndsMidLine() const {
  if (!regular_) return false;
  struct stat status {};
  if (::fstat(Fd(handle_), &status) != 0 || status.st_size == 0) return false;
  char last = '\n';
  return ::pread(Fd(handle_), &last, 1, status.st_size - 1) == 1 && last != '\n';
}

}  // namespace platform
