// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/port_base.h"

#include <time.h>

namespace bus {

std::string PortBase::Remedy(const BusResult&) const { return kCableRemedy; }

std::uint64_t MonotonicNanoseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u +
         static_cast<std::uint64_t>(now.tv_nsec);
}

}  // namespace bus
