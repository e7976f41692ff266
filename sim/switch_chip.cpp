// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/switch_chip.h"

namespace sim {

namespace {
constexpr std::uint8_t kCounterMask = 0x7F;
}  // namespace

TwoWireSlave::Reply SwitchChip::OnByte(std::uint8_t value, bool select) {
  if (select) {
    if ((value & 0xFE) != kSelect) return Reply::kIgnore;
    if (value & 0x01) return Reply::kAckThenSend;
    expect_register_address_ = true;
    return Reply::kAckThenReceive;
  }
  if (expect_register_address_) {
    expect_register_address_ = false;
    counter_ = value & kCounterMask;
    return Reply::kAckThenReceive;
  }
  registers_[counter_] = value;
  counter_ = (counter_ + 1) & kCounterMask;
  return Reply::kAckThenReceive;
}

std::uint8_t SwitchChip::NextByte() {
  const std::uint8_t value = registers_[counter_];
  counter_ = (counter_ + 1) & kCounterMask;
  return value;
}

}  // namespace sim
