// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/process_guards.h"

namespace platform {

void GuardStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is this one: every lower one is open by now.
    const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

void UseStartingConsole() {}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void IgnoreOutputSignals() {
  ::signal(SIGXFSZ, SIG_IGN);
  ::signal(SIGPIPE, SIG_IGN);
}

struct PipeSignalHeld::Masks {
  sigset_t pipe{};
  sigset_t previous{};
  sigset_t pending_before{};
};

PipeSignalHeld::PipeSignalHeld() : masks_(std::make_unique<Masks>()) {
  sigemptyset(&masks_->pipe);
  sigaddset(&masks_->pipe, SIGPIPE);
  sigpending(&masks_->pending_before);
  ::pthread_sigmask(SIG_BLOCK, &masks_->pipe, &masks_->previous);
}

PipeSignalHeld::~PipeSignalHeld() {
  // Take back a SIGPIPE that our own writes raised, so it is not delivered once unblocked.
  if (!sigismember(&masks_->pending_before, SIGPIPE)) {
    const timespec now{0, 0};
    while (::sigtimedwait(&masks_->pipe, nullptr, &now) == SIGPIPE) {
    }
  }
  ::pthread_sigmask(SIG_SETMASK, &masks_->previous, nullptr);
}

}  // namespace platform
