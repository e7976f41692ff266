#include "bus/bus_timing.h"

namespace bus {

namespace {

// One counter for the whole process, as both waits of the console count the same variable.
// volatile: every increment is a real load and store, so the loops take the time they count.
volatile std::uint32_t shared_counter = 0;

}  // namespace

void CountSharedCounterTo(std::uint32_t limit) {
  shared_counter = 0;
  while (shared_counter < limit) {
    shared_counter = shared_counter + 1;
  }
}

std::uint32_t SharedCounterValue() { return shared_counter; }

}  // namespace bus
