// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/bus_timing.h"

namespace bus {

namespace {

// One counter for the whole thread, as both waits of the console count the same variable.
// volatile: every increment is a real load and store, so the loops take the time they count.
// One per thread: boards run at once each count their own, so one board's wait can neither
// cut another's short nor, by setting it back to 0, keep it counting for ever.
thread_local volatile std::uint32_t shared_counter = 0;

class ConsoleDelays final : public LineDelays {
 public:
  void BitDelay() override { CountSharedCounterTo(kBitDelayCount); }
  void WriteCycleWait() override { CountSharedCounterTo(kWriteCycleWaitCount); }
};

class NoDelays final : public LineDelays {
 public:
  void BitDelay() override {}
  void WriteCycleWait() override {}
};

}  // namespace

LineDelays& DelaysFor(TimingPolicy policy) {
  static ConsoleDelays console;
  static NoDelays windowed;
  if (policy == TimingPolicy::Console) return console;
  return windowed;
}

void CountSharedCounterTo(std::uint32_t limit) {
  shared_counter = 0;
  while (shared_counter < limit) {
    shared_counter = shared_counter + 1;
  }
}

std::uint32_t SharedCounterValue() { return shared_counter; }

}  // namespace bus
