// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/ppdev/ppdev_claim.h"

#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "bus/port_base.h"

namespace ports {
namespace {

// The signal that cuts a blocking call short. Its handler does nothing: the point is that the
// call returns with EINTR, since the handler is installed without SA_RESTART.
constexpr int kInterruptSignal = SIGALRM;

void IgnoreInterrupt(int) {}

// Installed once for the process and left in place: threads that each wait for a port of their
// own (boards run at once) would otherwise put back each other's handlers, and a timer firing
// after the default action was put back would end the program.
bool InstallInterruptHandler() {
  static const bool installed = [] {
    struct sigaction action {};
    action.sa_handler = IgnoreInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART
    return ::sigaction(kInterruptSignal, &action, nullptr) == 0;
  }();
  return installed;
}

// While it exists, a one-shot timer sends kInterruptSignal to the thread that made it after
// `after`, so a system call that thread blocks in returns EINTR.
class InterruptTimer {
 public:
  explicit InterruptTimer(std::chrono::milliseconds after) {
    installed_ = InstallInterruptHandler();

    sigset_t signal_set;
    sigemptyset(&signal_set);
    sigaddset(&signal_set, kInterruptSignal);
    ::pthread_sigmask(SIG_UNBLOCK, &signal_set, &previous_mask_);

    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = kInterruptSignal;
    event._sigev_un._tid = ::gettid();
    armed_ = installed_ && ::timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0;
    if (armed_) {
      itimerspec when{};
      const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(after);
      when.it_value.tv_sec = static_cast<time_t>(seconds.count());
      when.it_value.tv_nsec = static_cast<long>(
          std::chrono::duration_cast<std::chrono::nanoseconds>(after - seconds).count());
      if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0) when.it_value.tv_nsec = 1;
      ::timer_settime(timer_, 0, &when, nullptr);
    }
  }

  ~InterruptTimer() {
    if (armed_) ::timer_delete(timer_);
    ::pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
  }

  InterruptTimer(const InterruptTimer&) = delete;
  InterruptTimer& operator=(const InterruptTimer&) = delete;

  // False when no timer could be set up: the call is then made unbounded.
  [[nodiscard]] bool Armed() const { return armed_; }

 private:
  sigset_t previous_mask_{};
  timer_t timer_{};
  bool installed_ = false;
  bool armed_ = false;
};

}  // namespace

PortWait BlockingIoctlWithin(SystemCalls& calls, int fd, unsigned long request,
                             std::chrono::milliseconds bound, int& error) {
  const std::uint64_t started = bus::MonotonicNanoseconds();
  const auto limit = static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(bound).count());
  const InterruptTimer timer(bound);
  for (;;) {
    if (calls.Ioctl(fd, request, nullptr) == 0) return PortWait::Taken;
    if (errno != EINTR) {
      error = errno;
      return PortWait::Failed;
    }
    // Interrupted: by our timer once the bound has passed, else by some other signal.
    if (bus::MonotonicNanoseconds() - started >= limit || !timer.Armed()) return PortWait::Busy;
  }
}

}  // namespace ports
