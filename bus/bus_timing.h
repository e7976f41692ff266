// The waits between line changes, chosen by the program.
//
// The console counts one process-wide unsigned 32-bit counter: to 100 after every register write
// (BitDelay) and to 10000 after each byte's stop condition (WriteCycleWait). These are busy waits,
// not calibrated times; the counter is volatile so the compiler cannot remove the loops. The
// windowed program does not wait at all: its BitDelay returns at once and it has no WriteCycleWait,
// so acknowledge polling alone paces its writes. Both make the same register sequences.
#pragma once

#include <cstdint>

namespace bus {

enum class TimingPolicy {
  Console,   // BitDelay counts to 100, WriteCycleWait to 10000
  Windowed,  // no waits
};

inline constexpr std::uint32_t kBitDelayCount = 100;
inline constexpr std::uint32_t kWriteCycleWaitCount = 10000;

// Sets the shared counter to 0 and increments it until it is no longer below `limit`.
void CountSharedCounterTo(std::uint32_t limit);

// The shared counter's current value (tests check that a BitDelay leaves it at 100).
[[nodiscard]] std::uint32_t SharedCounterValue();

}  // namespace bus
