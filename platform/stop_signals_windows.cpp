// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include <atomic>

#include "platform/stop_signals.h"

namespace platform {

namespace {

// Set by the handler, which Windows runs on a thread of its own.
std::atomic<bool> stop_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// How long a close of the console window is held back. Windows itself ends the process a few
// seconds after the close (5 s unless the user changed it); the bound keeps the handler from
// waiting for ever where nothing else ends it.
constexpr DWORD kCloseHoldMilliseconds = 10'000;

BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      stop_requested.store(true);
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      stop_requested.store(true);
      // Returning would end the process now, perhaps in the middle of a write. The run stops at its
      // next safe point and returns from main, which ends the process and this thread with it.
      ::Sleep(kCloseHoldMilliseconds);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void CatchStopSignals() { ::SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool StopRequested() { return stop_requested.load(); }

}  // namespace platform
