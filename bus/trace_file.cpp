// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/trace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/files.h"
#include "platform/process_guards.h"

namespace bus {

namespace {

// Takes the exclusive lock that a running virtual board holds on its board file, and that both
// programs take on a data file they save, then empties the file: a file another program holds is
// refused whole, and while the trace runs nobody that asks for the lock (the menu's entry 3,
// plover's Save naming the trace) writes into it. Empty on success; else why not.
std::string LockAndEmpty(const std::string& path, int fd) {
  const platform::Lock locked = platform::TryLockExclusive(fd);
  if (locked != platform::Lock::Taken) {
    return locked == platform::Lock::HeldElsewhere
               ? "cannot open trace file " + path +
                     ": another program holds it open (a running virtual board or plover); "
                     "close that program or name another file"
               : "cannot lock trace file " + path + ": " + std::strerror(errno);
  }
  if (!platform::CutFile(fd, 0)) {
    return "cannot create trace file " + path + ": " + std::strerror(errno);
  }
  return {};
}

}  // namespace

std::unique_ptr<TraceFile> TraceFile::Open(const std::string& path, std::string& error) {
  // Not blocking: a FIFO nobody reads must not hang the program (open then fails with ENXIO).
  // Not truncated at the open: a file is emptied only once it is locked.
  const int fd = platform::OpenFile(path, O_WRONLY | O_CREAT, 0666);
  if (fd < 0) {
    if (errno == ENXIO) {
      error = "cannot open trace file " + path +
              ": it is a FIFO that nobody reads; start its reader first, or name a file";
    } else {
      error = "cannot create trace file " + path + ": " + std::strerror(errno);
    }
    return nullptr;
  }
  const std::optional<platform::FileStatus> info = platform::StatusOfOpen(fd);
  if (!info) {
    error = "cannot create trace file " + path + ": " + std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  if (info->kind == platform::FileKind::Regular) {
    error = LockAndEmpty(path, fd);
    if (!error.empty()) {
      ::close(fd);
      return nullptr;
    }
  } else if (info->kind == platform::FileKind::Pipe) {
    // A live view: from here on the trace waits for its reader like any pipe.
    static_cast<void>(platform::MakeBlocking(fd));
  }
  return std::unique_ptr<TraceFile>(new TraceFile(path, fd));
}

TraceFile::~TraceFile() {
  Flush();
  if (::close(fd_) != 0 && !failed_) {
    ReportFailure();
  }
}

void TraceFile::Append(std::string_view text) {
  while (!text.empty()) {
    if (used_ == kBufferSize) {
      Flush();
    }
    const std::size_t part = std::min(text.size(), kBufferSize - used_);
    std::memcpy(buffer_.get() + used_, text.data(), part);
    used_ += part;
    text.remove_prefix(part);
  }
}

void TraceFile::Flush() {
  if (used_ == 0) return;
  const platform::PipeSignalHeld pipe_signal_held;
  std::size_t written = 0;
  while (written < used_ && !failed_) {
    const ssize_t count = ::write(fd_, buffer_.get() + written, used_ - written);
    if (count > 0) {
      written += static_cast<std::size_t>(count);
    } else if (count == 0 || errno != EINTR) {
      if (count == 0) errno = EIO;
      ReportFailure();
    }
  }
  used_ = 0;
}

void TraceFile::ReportFailure() {
  failed_ = true;
  std::fprintf(stderr, "cannot write trace file %s: %s; the trace is incomplete\n",
               path_.c_str(), std::strerror(errno));
}

}  // namespace bus
