// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/traceability_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "image_files/shown_file_name.h"

namespace console {

TraceabilityLog::~TraceabilityLog() {
  if (fd_ >= 0) ::close(fd_);
}

std::string TraceabilityLog::Open(const std::string& path) {
  path_ = path;
  const std::string cannot = "cannot open the log " + image_files::ShownFileName(path) + ": ";
  // Not blocking: opening a FIFO nobody reads would otherwise wait for ever. Opened for reading
  // too where this user may, to look at the last byte before each line (EndsMidLine).
  constexpr int kFlags = O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  fd_ = ::open(path.c_str(), O_RDWR | kFlags, 0666);
  if (fd_ < 0 && errno == EACCES) fd_ = ::open(path.c_str(), O_WRONLY | kFlags, 0666);
  if (fd_ < 0) return cannot + std::strerror(errno);
  struct stat status {};
  if (::fstat(fd_, &status) != 0) return cannot + std::strerror(errno);
  regular_ = S_ISREG(status.st_mode);
  if (!regular_ && !S_ISCHR(status.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return cannot + "it is not a regular file";
  }
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return cannot + std::strerror(errno);
  }
  return {};
}

std::string TraceabilityLog::Append(const std::string& line) {
  const std::lock_guard lock(mutex_);
  std::string error = WriteWhole(line);
  if (!error.empty()) broken_.store(true);
  return error;
}

std::string TraceabilityLog::WriteWhole(const std::string& line) {
  const std::string cannot = "cannot write the log " + image_files::ShownFileName(path_) + ": ";
  if (fd_ < 0) return cannot + "it is not open";
  // The line break that ends a torn line goes with the new line, in the same single write.
  const std::string whole = EndsMidLine() ? "\n" + line : line;
  ssize_t written = -1;
  do {
    written = ::write(fd_, whole.data(), whole.size());
  } while (written < 0 && errno == EINTR);
  if (written < 0) return cannot + std::strerror(errno);
  if (static_cast<std::size_t>(written) != whole.size()) {
    // Another write for the rest could land after another program's line: the line stays torn.
    return cannot + "only " + std::to_string(written) + " of the line's " +
           std::to_string(whole.size()) + " bytes were written (is the disk full?)";
  }
  if (regular_ && ::fsync(fd_) != 0) return cannot + std::strerror(errno);
  return {};
}

bool TraceabilityLog::EndsMidLine() const {
  if (!regular_) return false;
  struct stat status {};
  if (::fstat(fd_, &status) != 0 || status.st_size == 0) return false;
  char last = '\n';
  // A log opened write-only cannot be read: its lines are appended as they come.
  return ::pread(fd_, &last, 1, status.st_size - 1) == 1 && last != '\n';
}

}  // namespace console
