// SPDX-License-Identifier: GPL-3.0-or-later
#include <signal.h>

#include <atomic>

#include "platform/stop_signals.h"

namespace platform {

namespace {

// Lock-free, so the handler may set it.
std::atomic<bool> stop_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void RequestStop(int) { stop_requested.store(true); }

}  // namespace

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // a read or write the signal lands in goes on
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() { return stop_requested.load(); }

}  // namespace platform
