// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/timing_floor.h"

namespace bus {
namespace {

constexpr PhaseMinimums kStandardMode{4700, 4000, 4700, 4000, 4000, 4700, 250};
constexpr PhaseMinimums kFastMode{1300, 600, 600, 600, 600, 1300, 100};

// minimum * numerator / denominator, rounded up.
std::uint32_t Stretch(std::uint32_t minimum, unsigned numerator, unsigned denominator) {
  return static_cast<std::uint32_t>(
      (std::uint64_t{minimum} * numerator + denominator - 1) / denominator);
}

PhaseMinimums Stretched(const PhaseMinimums& base, unsigned numerator, unsigned denominator) {
  return {Stretch(base.scl_low, numerator, denominator),
          Stretch(base.scl_high, numerator, denominator),
          Stretch(base.start_setup, numerator, denominator),
          Stretch(base.start_hold, numerator, denominator),
          Stretch(base.stop_setup, numerator, denominator),
          Stretch(base.bus_free, numerator, denominator),
          Stretch(base.data_setup, numerator, denominator)};
}

}  // namespace

PhaseMinimums MinimumsAt(unsigned khz) {
  if (khz == 0) return {};
  if (khz <= kDefaultBusKhz) return Stretched(kStandardMode, kDefaultBusKhz, khz);
  return Stretched(kFastMode, kFastestBusKhz, khz);
}

const char* PhaseName(Phase phase) {
  switch (phase) {
    case Phase::SclLow: return "SCL low";
    case Phase::SclHigh: return "SCL high";
    case Phase::StartSetup: return "start setup";
    case Phase::StartHold: return "start hold";
    case Phase::StopSetup: return "stop setup";
    case Phase::BusFree: return "bus free time";
    case Phase::DataSetup: return "data setup";
  }
  return "phase";
}

std::uint32_t MinimumOf(const PhaseMinimums& minimums, Phase phase) {
  switch (phase) {
    case Phase::SclLow: return minimums.scl_low;
    case Phase::SclHigh: return minimums.scl_high;
    case Phase::StartSetup: return minimums.start_setup;
    case Phase::StartHold: return minimums.start_hold;
    case Phase::StopSetup: return minimums.stop_setup;
    case Phase::BusFree: return minimums.bus_free;
    case Phase::DataSetup: return minimums.data_setup;
  }
  return 0;
}

void TimingFloor::Hold(Port& port, std::uint64_t since, std::uint32_t minimum) {
  const std::uint64_t until = since + minimum;
  if (port.NowNanoseconds() < until) port.WaitUntil(until);
}

void TimingFloor::BeforeControl(Port& port, std::uint8_t value) {
  const bool scl = (value & kControlSclBit) != 0;
  if (!active_ || !scl_known_ || scl == scl_) return;  // no phase ends
  if (scl) {
    Hold(port, scl_fell_, minimums_.scl_low);
    if (sda_known_) Hold(port, sda_changed_, minimums_.data_setup);
  } else {
    Hold(port, scl_rose_, minimums_.scl_high);
    if (start_in_high_) Hold(port, started_, minimums_.start_hold);
  }
}

void TimingFloor::AfterControl(Port& port, std::uint8_t value) {
  const bool scl = (value & kControlSclBit) != 0;
  if (!active_ || (scl_known_ && scl == scl_)) return;
  const std::uint64_t now = port.NowNanoseconds();
  (scl ? scl_rose_ : scl_fell_) = now;
  start_in_high_ = false;
  scl_ = scl;
  scl_known_ = true;
}

void TimingFloor::BeforeData(Port& port, std::uint8_t value) {
  const bool sda = (value & kDataSdaBit) != 0;
  // SDA changing while SCL is low ends no phase: the data sheet's hold time after SCL falls is 0.
  if (!active_ || !sda_known_ || sda == sda_ || !scl_known_ || !scl_) return;
  if (sda) {  // a stop condition
    Hold(port, scl_rose_, minimums_.stop_setup);
  } else {  // a start condition
    Hold(port, scl_rose_, minimums_.start_setup);
    if (stopped_once_) Hold(port, stopped_, minimums_.bus_free);
  }
}

void TimingFloor::AfterData(Port& port, std::uint8_t value) {
  const bool sda = (value & kDataSdaBit) != 0;
  if (!active_ || (sda_known_ && sda == sda_)) return;
  const std::uint64_t now = port.NowNanoseconds();
  sda_changed_ = now;
  if (sda_known_ && scl_known_ && scl_) {
    if (sda) {
      stopped_ = now;
      stopped_once_ = true;
    } else {
      started_ = now;
      start_in_high_ = true;
    }
  }
  sda_ = sda;
  sda_known_ = true;
}

}  // namespace bus
