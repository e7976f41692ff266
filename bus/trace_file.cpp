// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/trace_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace bus {

std::unique_ptr<TraceFile> TraceFile::Open(const std::string& path, std::string& error) {
  // Not blocking: a FIFO nobody reads must not hang the program (open then fails with ENXIO).
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
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
  if (::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode)) {
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
