// SPDX-License-Identifier: GPL-3.0-or-later
// The clock of a port on hardware: wall-clock time since the port was opened, read through the
// port's system calls (a test's fake system calls drive it).
#pragma once

#include <cstdint>

#include "ports/system_calls.h"

namespace ports {

class SinceOpenClock {
 public:
  explicit SinceOpenClock(SystemCalls& calls) : calls_(calls), opened_(calls.Now()) {}

  // Nanoseconds since the port was opened.
  [[nodiscard]] std::uint64_t Nanoseconds() const { return calls_.Now() - opened_; }

  // Returns once Nanoseconds() has reached `nanoseconds`: a busy wait, since the waits are
  // microseconds, which a sleep cannot keep.
  void WaitUntil(std::uint64_t nanoseconds) const {
    while (Nanoseconds() < nanoseconds) {
    }
  }

 private:
  SystemCalls& calls_;
  std::uint64_t opened_;
};

}  // namespace ports
