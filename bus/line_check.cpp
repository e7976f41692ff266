// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/line_check.h"

namespace bus {

std::string CheckLines(ParallelPortLines& lines) {
  lines.SdaHigh();
  lines.SclHigh();
  bool released_high = lines.SampleSda() == 1;
  // A device cut off in the middle of a byte it sends holds SDA: clock it out first.
  for (int pulse = 0; pulse < kBusRecoveryPulses && !released_high; ++pulse) {
    lines.SclLow();
    lines.SclHigh();
    released_high = lines.SampleSda() == 1;
  }
  if (!released_high) {
    lines.BusRelease();
    return "SDA stays low when the port releases it: something holds the line to ground (a "
           "short, a board without power pulling it down, or a wrong cable)";
  }
  lines.SclLow();
  lines.SdaLow();
  const bool follows_low = lines.SampleSda() == 0;
  lines.SdaHigh();
  const bool follows_high = lines.SampleSda() == 1;
  lines.SclHigh();
  if (!follows_low) {
    return "SDA does not follow the port: driven low, it still reads high, so the port's data "
           "line does not reach the board (the cable is not plugged in, a wrong cable, or the "
           "printer port is not in NORMAL mode)";
  }
  if (!follows_high) {
    return "SDA stays low when the port releases it after driving it low: the line does not "
           "come back up (a missing pull-up on the board, or a board without power)";
  }
  return {};
}

}  // namespace bus
