// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/eeprom_chip.h"

#include <utility>

#include "sim/board_file.h"
#include "sim/board_options.h"

namespace sim {

namespace {
constexpr std::uint8_t kCounterMask = 0x7F;

// The address bits that count inside a page of `page_size` bytes; a size the chip does not come
// in is taken as the usual 8, so the page buffer is never overrun.
std::uint8_t InPageMask(std::uint8_t page_size) {
  const bool offered = page_size == 4 || page_size == 8 || page_size == EepromChip::kLargestPage;
  return static_cast<std::uint8_t>((offered ? page_size : kDefaultPageSize) - 1);
}
}  // namespace

EepromChip::EepromChip(const bus::Image& contents, std::uint64_t write_cycle_nanoseconds,
                       const std::uint64_t& clock, BoardFile* file, std::uint8_t page_size)
    : memory_(contents),
      write_cycle_nanoseconds_(write_cycle_nanoseconds),
      clock_(clock),
      file_(file),
      in_page_mask_(InPageMask(page_size)) {}

TwoWireSlave::Reply EepromChip::OnByte(std::uint8_t value, bool select) {
  if (select) {
    // While the write cycle runs the chip does not answer at all.
    if ((value & 0xFE) != kSelect || Busy()) return Reply::kIgnore;
    if (value & 0x01) return Reply::kAckThenSend;
    writing_ = true;
    expect_word_address_ = true;
    return Reply::kAckThenReceive;
  }
  if (expect_word_address_) {
    expect_word_address_ = false;
    counter_ = value & kCounterMask;
    page_base_ = static_cast<std::uint8_t>(counter_ & ~in_page_mask_);
    page_mask_ = 0;
    return Reply::kAckThenReceive;
  }
  // A data byte: latched for the page; the counter wraps inside the page.
  const auto in_page = static_cast<std::uint8_t>(counter_ & in_page_mask_);
  page_[in_page] = value;
  page_mask_ = static_cast<std::uint16_t>(page_mask_ | (1u << in_page));
  counter_ = static_cast<std::uint8_t>(page_base_ | ((in_page + 1) & in_page_mask_));
  return Reply::kAckThenReceive;
}

std::uint8_t EepromChip::NextByte() {
  const std::uint8_t value = memory_[counter_];
  counter_ = (counter_ + 1) & kCounterMask;
  return value;
}

void EepromChip::OnStart() {
  // A repeated start abandons the bytes of an unfinished write (a random read's dummy write).
  writing_ = false;
  expect_word_address_ = false;
  page_mask_ = 0;
}

void EepromChip::OnStop() {
  const bool commit = writing_ && page_mask_ != 0;
  writing_ = false;
  expect_word_address_ = false;
  if (!commit) return;
  bus::Image written = memory_;
  int first = -1;
  int last = -1;
  for (std::uint8_t i = 0; i <= in_page_mask_; ++i) {
    if ((page_mask_ & (1u << i)) == 0) continue;
    const int address = page_base_ | i;
    written[static_cast<std::size_t>(address)] = page_[i];
    if (first < 0) first = address;
    last = address;
  }
  page_mask_ = 0;
  ready_at_ = clock_ + write_cycle_nanoseconds_;
  if (file_ != nullptr) {
    bus::BusResult failure = file_->Store(written, first, last);
    if (!failure.ok()) {
      // What the file does not hold, the EEPROM does not hold either.
      if (store_failure_.ok()) store_failure_ = std::move(failure);
      return;
    }
  }
  memory_ = written;
}

bus::BusResult EepromChip::TakeStoreFailure() {
  return std::exchange(store_failure_, bus::BusResult::Success());
}

}  // namespace sim
