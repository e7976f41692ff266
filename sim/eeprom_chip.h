// SPDX-License-Identifier: GPL-3.0-or-later
// EepromChip: the board's 24C01-class configuration EEPROM, 128 bytes at device select 0xA0/0xA1.
//
// Writes: select 0xA0, the word address (bit 7 ignored), then data bytes for the address's page
// of 4, 8 (the default) or 16 bytes; the address wraps inside the page (with 8-byte pages bits
// 2..0 count and bits 6..3 stay), so bytes beyond the page size overwrite the first ones. The stop
// condition after at least one data byte starts the internal write cycle: the bytes are committed
// at once (and stored in the board file, if there is one) and the chip stays busy for the write
// cycle time, not acknowledging its select. A start instead of the stop abandons the bytes. When
// the board file cannot store a write, the cells keep their old values and the failure is kept
// for the board to report.
// Reads: select 0xA1 reads from the 7-bit address counter, which rolls over from 127 to 0; a
// random read sets the counter with a write select and word address first.
#pragma once

#include <cstdint>

#include "bus/bus_result.h"
#include "bus/image.h"
#include "sim/two_wire_slave.h"

namespace sim {

class BoardFile;

class EepromChip final : public TwoWireSlave {
 public:
  static constexpr std::uint8_t kSelect = 0xA0;
  static constexpr std::uint8_t kLargestPage = 16;

  // `clock` is the board's simulated time in nanoseconds; `file`, if not null, receives the bytes
  // of every write cycle as it starts. `page_size`: 4, 8 or 16 bytes.
  EepromChip(const bus::Image& contents, std::uint64_t write_cycle_nanoseconds,
             const std::uint64_t& clock, BoardFile* file, std::uint8_t page_size);

  [[nodiscard]] const bus::Image& Contents() const { return memory_; }
  [[nodiscard]] bool Busy() const { return clock_ < ready_at_; }
  [[nodiscard]] std::uint64_t ReadyAtNanoseconds() const { return ready_at_; }
  // The first store into the board file that failed since the last call; Success if none.
  bus::BusResult TakeStoreFailure();

 private:
  Reply OnByte(std::uint8_t value, bool select) override;
  std::uint8_t NextByte() override;
  void OnStart() override;
  void OnStop() override;

  bus::Image memory_;
  const std::uint64_t write_cycle_nanoseconds_;
  const std::uint64_t& clock_;
  BoardFile* const file_;
  std::uint64_t ready_at_ = 0;
  bus::BusResult store_failure_;
  std::uint8_t counter_ = 0;        // the 7-bit address counter
  bool expect_word_address_ = false;
  bool writing_ = false;            // a write select was acknowledged in this transaction
  const std::uint8_t in_page_mask_;  // the address bits that count inside a page
  std::uint8_t page_[kLargestPage] = {};
  std::uint8_t page_base_ = 0;
  std::uint16_t page_mask_ = 0;  // bit i: page_[i] holds a byte for address page_base_ + i
};

}  // namespace sim
