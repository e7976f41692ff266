// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/trace_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace bus {

namespace {

// Takes the exclusive lock that a running virtual board holds on its board file, and that both
// programs take on a data file they save, then empties the file: a file another program holds is
// refused whole, and while the trace runs nobody that asks for the lock (the menu's entry 3,
// plover's Save naming the trace) writes into it. Empty on success; else why not.
std::string LockAndEmpty(const std::string& path, int fd) {
  int locked;
  do {
    locked = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    return errno == EWOULDBLOCK
               ? "cannot open trace file " + path +
                     ": another program holds it open (a running virtual board or plover); "
                     "close that program or name another file"
               : "cannot lock trace file " + path + ": " + std::strerror(errno);
  }
  if (::ftruncate(fd, 0) != 0) {
    return "cannot create trace file " + path + ": " + std::strerror(errno);
  }
  return {};
}

}  // namespace

std::unique_ptr<TraceFile> TraceFile::Open(const std::string& path, std::string& error) {
  // Not blocking: a FIFO nobody reads must not hang the program (open then fails with ENXIO).
  // Not truncated at the open: a file is emptied only once it is locked.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) {
    if (errno == ENXIO) {
      error = "cannot open trace file " + path +
              ": it is a FIFO that nobody reads; start its reader first, or name a file";
    } else {
      error = "cannot create trace file " + path + ": " + std::strerror(errno);
    }
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    error = "cannot create trace file " + path + ": " + std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  if (S_ISREG(info.st_mode)) {
    error = LockAndEmpty(path, fd);
    if (!error.empty()) {
      ::close(fd);
      return nullptr;
    }
  } else if (S_ISFIFO(info.st_mode)) {
    // A live view: from here on the trace waits for its reader like any pipe.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
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

namespace {

// While it exists, a write to a pipe whose reader has gone fails with EPIPE instead of ending the
// program with SIGPIPE: a live view that is closed only ends the trace.
class PipeSignalHeld {
 public:
  PipeSignalHeld() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigpending(&pending_before_);
    ::pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
  }
  ~PipeSignalHeld() {
    // Take back a SIGPIPE that our own writes raised, so it is not delivered once unblocked.
    if (!sigismember(&pending_before_, SIGPIPE)) {
      const timespec now{0, 0};
      while (::sigtimedwait(&pipe_, nullptr, &now) == SIGPIPE) {
      }
    }
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  PipeSignalHeld(const PipeSignalHeld&) = delete;
  PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

 private:
  sigset_t pipe_{};
  sigset_t previous_{};
  sigset_t pending_before_{};
};

}  // namespace

void TraceFile::Flush() {
  if (used_ == 0) return;
  const PipeSignalHeld pipe_signal_held;
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
