// SPDX-License-Identifier: GPL-3.0-or-later
// The waits between line changes, chosen by the program.
//
// The console counts one unsigned 32-bit counter, one per thread so that boards run at once do
// not share it: to 100 after every register write (BitDelay) and to 10000 after each byte's stop
// condition (WriteCycleWait). These are busy waits, not calibrated times; the counter is volatile
// so the compiler cannot remove the loops. The windowed program does not wait at all: its
// BitDelay returns at once and it has no WriteCycleWait, so acknowledge polling alone paces its
// writes. Both make the same register sequences.
//
// The line driver calls the waits through LineDelays, so a test can see where they fall.
#pragma once

#include <cstdint>

namespace bus {

enum class TimingPolicy {
  Console,   // BitDelay counts to 100, WriteCycleWait to 10000
  Windowed,  // no waits
};

inline constexpr std::uint32_t kBitDelayCount = 100;
inline constexpr std::uint32_t kWriteCycleWaitCount = 10000;

class LineDelays {
 public:
  virtual ~LineDelays() = default;
  // After every register write, and after the status reads of bit slots 5 to 0 of a byte read.
  virtual void BitDelay() = 0;
  // After each byte's stop condition in a write.
  virtual void WriteCycleWait() = 0;

 protected:
  LineDelays() = default;
  LineDelays(const LineDelays&) = default;
  LineDelays& operator=(const LineDelays&) = default;
};

// The delays of `policy`, one shared instance each.
[[nodiscard]] LineDelays& DelaysFor(TimingPolicy policy);

// Sets the shared counter to 0 and increments it until it is no longer below `limit`.
void CountSharedCounterTo(std::uint32_t limit);

// The shared counter's current value (tests check that a BitDelay leaves it at 100).
[[nodiscard]] std::uint32_t SharedCounterValue();

}  // namespace bus
