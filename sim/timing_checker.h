// SPDX-License-Identifier: GPL-3.0-or-later
// TimingChecker: the virtual board's chips held to the data sheet's timing.
//
// With `timing=100` or `timing=400` the board checks every phase of the bus against the minimums
// of standard or fast mode, in simulated time. A phase that is too short is what the data sheet
// leaves undefined; the chips here then do not see the edge that ended it: an SCL low or high
// phase too short, or SDA not set up before SCL rises, loses the whole clock pulse; a start or
// stop too close to SCL rising, or a start too soon after a stop, is not a condition. So a
// master that is too fast fails as it would on a real board: no acknowledge, or wrong bytes.
//
// The first violation of each operation is kept as a note for the trace, naming the phase, how
// long it lasted and its minimum.
#pragma once

#include <cstdint>
#include <string>

#include "bus/timing_floor.h"

namespace sim {

class TimingChecker {
 public:
  // `mode_khz`: 100 (standard mode) or 400 (fast mode).
  explicit TimingChecker(unsigned mode_khz);

  // SCL rose at `now`. False when the clock pulse is lost (SCL low or data setup too short).
  bool SclRose(std::uint64_t now);
  // SCL fell at `now`. False when the clock pulse is lost (SCL high or start hold too short).
  bool SclFell(std::uint64_t now);
  // The bus SDA changed at `now`. While SCL is high this is a start (`rose` false) or a stop
  // (`rose` true); false when the chips do not see it.
  bool SdaChanged(std::uint64_t now, bool scl_high, bool rose);

  // A new operation begins: its first violation will be noted.
  void BeginOperation() { noted_this_operation_ = false; }
  // The note of a violation since the last call, for the trace; empty if none.
  std::string TakeNote();
  // Whether the operation now running broke a minimum.
  [[nodiscard]] bool Violated() const { return noted_this_operation_; }

 private:
  // True when `now` - `since` is at least the phase's minimum; otherwise notes the violation.
  bool Lasted(bus::Phase phase, std::int64_t since, std::uint64_t now, const char* lost);

  unsigned mode_khz_;
  bus::PhaseMinimums minimums_;
  // Times of the last edges; long before the board was powered until they happen.
  static constexpr std::int64_t kLongAgo = -(std::int64_t{1} << 62);
  std::int64_t scl_rose_ = kLongAgo;
  std::int64_t scl_fell_ = kLongAgo;
  std::int64_t sda_changed_ = kLongAgo;
  std::int64_t started_ = kLongAgo;
  std::int64_t stopped_ = kLongAgo;
  bool start_in_high_ = false;
  bool noted_this_operation_ = false;
  std::string note_;
};

}  // namespace sim
