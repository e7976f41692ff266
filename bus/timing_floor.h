// SPDX-License-Identifier: GPL-3.0-or-later
// The timing floor: every phase of the bus lasts at least the EEPROM data sheet's minimum.
//
// The waits the programs make between register writes (BitDelay, WriteCycleWait) lean on the port
// being slow, and a modern port is not: writes reach the pins far closer together than the old
// ISA ports' microsecond. So before each register write that ends a phase of the bus, the line
// driver waits on the port's clock until the phase has lasted the minimum of the chosen speed
// since the write that began it. The floor only ever lengthens a phase: where a phase has already
// lasted long enough (after the console's WriteCycleWait, say) it waits for nothing, and the
// register writes and their order never change.
//
// The phases, with their minimums in standard mode (100 kHz, every 24C01 grade) and fast mode
// (400 kHz parts): SCL low 4.7 / 1.3 us, SCL high 4.0 / 0.6 us, setup of a (repeated) start
// 4.7 / 0.6 us, hold of a start 4.0 / 0.6 us, setup of a stop 4.0 / 0.6 us, bus free between a
// stop and a start 4.7 / 1.3 us, data setup before SCL rises 250 / 100 ns. A slower bus stretches
// the standard-mode minimums (50 kHz: twice as long), a speed between 100 and 400 kHz the
// fast-mode ones.
#pragma once

#include <cstdint>
#include <string>

#include "bus/port.h"

namespace bus {

// The bus speed without khz=N, and the fastest the floor allows.
inline constexpr unsigned kDefaultBusKhz = 100;
inline constexpr unsigned kFastestBusKhz = 400;

// The shortest each phase of the bus may last, in nanoseconds.
struct PhaseMinimums {
  std::uint32_t scl_low = 0;
  std::uint32_t scl_high = 0;
  std::uint32_t start_setup = 0;  // SCL high before SDA falls for a (repeated) start
  std::uint32_t start_hold = 0;   // SDA low after a start before SCL falls
  std::uint32_t stop_setup = 0;   // SCL high before SDA rises for a stop
  std::uint32_t bus_free = 0;     // from a stop to the next start
  std::uint32_t data_setup = 0;   // SDA steady before SCL rises
};

// The minimums at `khz` (1 to 400); all zero for khz 0, which turns the floor off.
[[nodiscard]] PhaseMinimums MinimumsAt(unsigned khz);

// The phases as the line driver and the virtual board name them in messages.
enum class Phase { SclLow, SclHigh, StartSetup, StartHold, StopSetup, BusFree, DataSetup };
[[nodiscard]] const char* PhaseName(Phase phase);
[[nodiscard]] std::uint32_t MinimumOf(const PhaseMinimums& minimums, Phase phase);

class TimingFloor {
 public:
  explicit TimingFloor(unsigned khz) : minimums_(MinimumsAt(khz)), active_(khz != 0) {}

  [[nodiscard]] bool Active() const { return active_; }

  // Before writing `value` to the data register (SDA is bit 7) or the control register (SCL is
  // bit 2): waits on the port's clock until the phase this write ends has lasted its minimum.
  void BeforeData(Port& port, std::uint8_t value);
  void BeforeControl(Port& port, std::uint8_t value);
  // After the write: notes the level it drove and when.
  void AfterData(Port& port, std::uint8_t value);
  void AfterControl(Port& port, std::uint8_t value);

 private:
  // Waits until `since` + `minimum`, where `since` is a time noted after an earlier write.
  static void Hold(Port& port, std::uint64_t since, std::uint32_t minimum);

  PhaseMinimums minimums_;
  bool active_;
  // The levels this floor drove last; unknown until a write of that register was made.
  bool scl_known_ = false;
  bool sda_known_ = false;
  bool scl_ = true;
  bool sda_ = true;
  std::uint64_t scl_rose_ = 0;
  std::uint64_t scl_fell_ = 0;
  std::uint64_t sda_changed_ = 0;
  std::uint64_t started_ = 0;   // SDA fell while SCL was high
  std::uint64_t stopped_ = 0;   // SDA rose while SCL was high
  bool start_in_high_ = false;  // a start was made in the SCL high phase now running
  bool stopped_once_ = false;
};

}  // namespace bus
