// SPDX-License-Identifier: GPL-3.0-or-later
// PortBase: what every port offers the bus connection, whether the programs drive the bus lines
// through it themselves (a parallel port, the virtual board: Port) or hand it whole messages (an
// I2C adapter: I2cAdapter).
//
// Around each bus operation the connection calls Acquire and Release, so a port shared with
// another program is held only while an operation runs, and BeginOperation as the operation
// begins; after the operation it asks the port for a failure of its own (TakeFailure) and, when
// the operation failed, for the advice that fits this port (Remedy).
#pragma once

#include <cstdint>
#include <string>

#include "bus/bus_result.h"

namespace bus {

class PortBase {
 public:
  virtual ~PortBase() = default;

  // Nanoseconds of the port's clock since it was opened. On hardware this is wall-clock time; on
  // the virtual board it is simulated time, which only port accesses and waits advance.
  [[nodiscard]] virtual std::uint64_t NowNanoseconds() const = 0;

  // The port as the user named it, for messages ("ppdev:/dev/parport0", "sim:board.bin").
  [[nodiscard]] virtual std::string Name() const = 0;

  // Takes the port for one bus operation: claims a port that programs share, waiting a short
  // while if another program holds it. A failure (PortUnavailable) names the port and the cause;
  // the operation then does not run.
  virtual BusResult Acquire() { return BusResult::Success(); }
  // Gives the port back after the operation.
  virtual void Release() {}
  // Called as every bus operation begins, once the port is taken, also while the connection
  // keeps it taken between operations (a port that changes between operations looks here).
  virtual void BeginOperation() {}

  // A failure of the port's own since the last call, outside the bus (the virtual board could not
  // store a write in its board file): PortFailed, naming what failed and why, with the system's
  // error number; Success if none.
  virtual BusResult TakeFailure() { return BusResult::Success(); }

  // What the user should check when an operation on this port failed as `result` says.
  [[nodiscard]] virtual std::string Remedy(const BusResult& result) const;

 protected:
  PortBase() = default;
  PortBase(const PortBase&) = default;
  PortBase& operator=(const PortBase&) = default;
};

// The monotonic clock in nanoseconds.
[[nodiscard]] std::uint64_t MonotonicNanoseconds();

}  // namespace bus
