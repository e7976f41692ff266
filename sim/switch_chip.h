// SPDX-License-Identifier: GPL-3.0-or-later
// SwitchChip: the switch chip's 128 registers on the two-wire bus, device select 0xBE/0xBF.
//
// Addressed like the EEPROM: a write select, a register address byte (bit 7 ignored) that sets
// the 7-bit register counter, and then either register writes (acknowledged and stored at once,
// no write cycle) or, after a repeated start and the read select, a sequential read that rolls
// over from register 127 to 0. At power-up the registers hold the EEPROM's contents, as the chip
// loads its settings from the EEPROM at reset.
#pragma once

#include <cstdint>

#include "bus/image.h"
#include "sim/two_wire_slave.h"

namespace sim {

class SwitchChip final : public TwoWireSlave {
 public:
  static constexpr std::uint8_t kSelect = 0xBE;

  explicit SwitchChip(const bus::Image& registers) : registers_(registers) {}

  [[nodiscard]] const bus::Image& Registers() const { return registers_; }

  // The board was powered up again: the registers load the EEPROM's contents afresh.
  void PowerUp(const bus::Image& eeprom) {
    registers_ = eeprom;
    counter_ = 0;
    expect_register_address_ = false;
  }

 private:
  Reply OnByte(std::uint8_t value, bool select) override;
  std::uint8_t NextByte() override;
  void OnStart() override { expect_register_address_ = false; }

  bus::Image registers_;
  std::uint8_t counter_ = 0;  // the 7-bit register counter
  bool expect_register_address_ = false;
};

}  // namespace sim
