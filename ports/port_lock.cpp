// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/port_lock.h"

#include <cerrno>
#include <cstring>
#include <thread>

#include "bus/port_base.h"

namespace ports {
namespace {

constexpr std::chrono::milliseconds kLockRetry{10};

}  // namespace

PortWait LockWithin(SystemCalls& calls, int fd, std::chrono::milliseconds bound, int& error) {
  const std::uint64_t started = bus::MonotonicNanoseconds();
  const auto limit = static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(bound).count());
  for (;;) {
    if (calls.LockNow(fd) == 0) return PortWait::Taken;
    if (errno != EWOULDBLOCK) {
      error = errno;
      return PortWait::Failed;
    }
    if (bus::MonotonicNanoseconds() - started >= limit) return PortWait::Busy;
    std::this_thread::sleep_for(kLockRetry);
  }
}

bus::BusResult OperationLock::Take(const std::string& port) {
  if (held_) return bus::BusResult::Success();
  int error = 0;
  switch (LockWithin(calls_, fd_, bound_, error)) {
    case PortWait::Taken:
      held_ = true;
      return bus::BusResult::Success();
    case PortWait::Busy:
      return bus::BusResult::PortFailure("port " + port + " is " + InUseReason(bound_));
    case PortWait::Failed:
      break;
  }
  return bus::BusResult::PortFailure("cannot lock port " + port + ": " + std::strerror(error));
}

void OperationLock::Give() {
  if (!held_) return;
  calls_.Unlock(fd_);
  held_ = false;
}

std::string InUseReason(std::chrono::milliseconds bound) {
  return "in use by another program, still held after " + std::to_string(bound.count() / 1000) +
         "." + std::to_string(bound.count() % 1000 / 100) +
         " s; try again when that program has finished its operation, or close it";
}

}  // namespace ports
