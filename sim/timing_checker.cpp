// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/timing_checker.h"

#include <cstdio>

namespace sim {

TimingChecker::TimingChecker(unsigned mode_khz)
    : mode_khz_(mode_khz), minimums_(bus::MinimumsAt(mode_khz)) {}

bool TimingChecker::Lasted(bus::Phase phase, std::int64_t since, std::uint64_t now,
                           const char* lost) {
  const std::int64_t length = static_cast<std::int64_t>(now) - since;
  const std::uint32_t minimum = bus::MinimumOf(minimums_, phase);
  if (length >= static_cast<std::int64_t>(minimum)) return true;
  if (!noted_this_operation_) {
    noted_this_operation_ = true;
    char text[200];
    std::snprintf(text, sizeof text,
                  "timing violation at %.3f us: %s lasted %.3f us, the %u kHz minimum is %.3f us; "
                  "the chips %s",
                  static_cast<double>(now) / 1000.0, bus::PhaseName(phase),
                  static_cast<double>(length) / 1000.0, mode_khz_,
                  static_cast<double>(minimum) / 1000.0, lost);
    note_ = text;
  }
  return false;
}

bool TimingChecker::SclRose(std::uint64_t now) {
  constexpr const char* kLost = "do not see this clock pulse";
  const bool low_long_enough = Lasted(bus::Phase::SclLow, scl_fell_, now, kLost);
  const bool data_set_up = low_long_enough && Lasted(bus::Phase::DataSetup, sda_changed_, now, kLost);
  scl_rose_ = static_cast<std::int64_t>(now);
  start_in_high_ = false;
  return low_long_enough && data_set_up;
}

bool TimingChecker::SclFell(std::uint64_t now) {
  constexpr const char* kLost = "do not see this clock pulse";
  bool seen = Lasted(bus::Phase::SclHigh, scl_rose_, now, kLost);
  if (seen && start_in_high_) seen = Lasted(bus::Phase::StartHold, started_, now, kLost);
  scl_fell_ = static_cast<std::int64_t>(now);
  start_in_high_ = false;
  return seen;
}

bool TimingChecker::SdaChanged(std::uint64_t now, bool scl_high, bool rose) {
  sda_changed_ = static_cast<std::int64_t>(now);
  if (!scl_high) return true;
  if (rose) {
    const bool seen = Lasted(bus::Phase::StopSetup, scl_rose_, now, "do not see this stop");
    if (seen) stopped_ = static_cast<std::int64_t>(now);
    return seen;
  }
  constexpr const char* kLost = "do not see this start";
  const bool seen = Lasted(bus::Phase::StartSetup, scl_rose_, now, kLost) &&
                    Lasted(bus::Phase::BusFree, stopped_, now, kLost);
  if (seen) {
    started_ = static_cast<std::int64_t>(now);
    start_in_high_ = true;
  }
  return seen;
}

std::string TimingChecker::TakeNote() {
  std::string note = std::move(note_);
  note_.clear();
  return note;
}

}  // namespace sim
