// SPDX-License-Identifier: GPL-3.0-or-later
// Taking a shared port for one bus operation without waiting for ever.
//
// Two of our programs on one port (a ppdev device, or a direct address) must never interleave
// bus operations, and neither may hang while the other holds the port. Each takes an exclusive
// advisory lock (flock) for the length of one operation, and a ppdev port is claimed from the
// kernel only inside that lock. Both waits are bounded: the lock is tried again every few
// milliseconds, and a claim that blocks (a program that is not ours holds the port) is cut short
// by a timer signal aimed at the waiting thread.
#pragma once

#include <chrono>
#include <string>

#include "bus/bus_result.h"
#include "ports/system_calls.h"

namespace ports {

// How long an operation waits for a port another program holds before saying it is in use: long
// enough for the other program's longest operation (a full write) to end.
inline constexpr std::chrono::milliseconds kPortBusyBound{3000};

enum class PortWait {
  Taken,    // the lock is held / the port is claimed
  Busy,     // another program still held it when the bound ran out
  Failed,   // the system refused; `error` holds its error number
};

// The exclusive lock of `fd` (SystemCalls::LockNow), tried until it succeeds or `bound` has passed.
[[nodiscard]] PortWait LockWithin(SystemCalls& calls, int fd, std::chrono::milliseconds bound,
                                  int& error);

// "in use by another program, still held after 3.0 s; try again ...": the reason given for a
// port another program held past `bound`.
[[nodiscard]] std::string InUseReason(std::chrono::milliseconds bound);

// The lock of a port that our programs share, held for one bus operation at a time: an exclusive
// flock on `fd` (a device node, or a lock file named after the port).
class OperationLock {
 public:
  OperationLock(SystemCalls& calls, int fd, std::chrono::milliseconds bound)
      : calls_(calls), fd_(fd), bound_(bound) {}

  // Takes the lock, waiting up to the bound; PortUnavailable naming `port` when another program
  // still holds it then, or the system refuses.
  bus::BusResult Take(const std::string& port);
  // Gives the lock back, if it is held.
  void Give();

 private:
  SystemCalls& calls_;
  int fd_;
  std::chrono::milliseconds bound_;
  bool held_ = false;
};

}  // namespace ports
