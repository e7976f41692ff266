// SPDX-License-Identifier: GPL-3.0-or-later
// How the virtual board is built: where its EEPROM's contents live and which faults it has.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

inline constexpr std::uint32_t kDefaultWriteCycleMicroseconds = 5000;
inline constexpr std::uint8_t kDefaultPageSize = 8;

struct BoardOptions {
  std::string file;                      // the EEPROM's 128 bytes, raw; empty: in memory, erased
  bool eeprom_present = true;            // eeprom=absent: nothing answers at 0xA0/0xA1
  bool switch_present = true;            // switch=absent: nothing answers at 0xBE/0xBF
  std::uint32_t write_cycle_microseconds = kDefaultWriteCycleMicroseconds;  // twr=MICROSECONDS
  std::uint8_t page_size = kDefaultPageSize;  // page=4|8|16: the EEPROM's page, in bytes
  bool sda_stuck_low = false;            // sda=stuck-low: SDA shorted to ground
  unsigned timing_khz = 0;               // timing=100|400: the chips check every phase against
                                         // that mode's minimums; 0: no checks
  std::string present_path;              // present=PATH: the board is in place (powered, on the
                                         // bus) only while PATH exists; empty: always
  bool wall_clock = false;               // clock=wall: the board's time is wall-clock time, so
                                         // waits and write cycles take as long as on hardware
};

}  // namespace sim
