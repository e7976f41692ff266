// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/ftdi/ftdi_mpsse.h"

#include <algorithm>
#include <cstdio>

namespace ports {
namespace {

std::uint32_t CeilDiv(std::uint64_t value, std::uint64_t by) {
  return static_cast<std::uint32_t>((value + by - 1) / by);
}

void AppendHex(std::string& text, std::uint8_t byte) {
  char hex[4];
  std::snprintf(hex, sizeof hex, "%02x", byte);
  if (!text.empty()) text += ' ';
  text += hex;
}

// The pin write for SCL and SDA: with drive-only-zero a 1 lets the line go; without it SCL is
// driven both ways and SDA is let go by making AD1 an input.
std::uint8_t PinValue(bool scl_high, bool sda_low, bool drive_only_zero) {
  return static_cast<std::uint8_t>((scl_high ? mpsse::kScl : 0) |
                                   (drive_only_zero && !sda_low ? mpsse::kSdaOut : 0));
}
std::uint8_t PinDirection(bool sda_low, bool drive_only_zero) {
  return static_cast<std::uint8_t>(mpsse::kScl |
                                   (drive_only_zero || sda_low ? mpsse::kSdaOut : 0));
}

}  // namespace

MpsseTiming MpsseTimingAt(unsigned khz) {
  MpsseTiming timing;
  timing.khz = khz;
  timing.minimums = bus::MinimumsAt(khz);
  // Half periods of (divisor + 1) / 60 MHz: 3/50 of a half period's nanoseconds.
  const std::uint32_t for_high = CeilDiv(timing.minimums.scl_high * 3ull, 50);
  const std::uint32_t for_low = CeilDiv(timing.minimums.scl_low * 3ull, 100);
  const std::uint32_t for_speed = CeilDiv(mpsse::kEngineHertz / 3, khz * 1000ull);
  const std::uint32_t half_periods = std::max({for_high, for_low, for_speed, 1u});
  timing.divisor = static_cast<std::uint16_t>(std::min<std::uint32_t>(half_periods - 1, 0xFFFF));
  return timing;
}

std::vector<std::uint8_t> MpsseSetup(const MpsseTiming& timing, bool drive_only_zero) {
  std::vector<std::uint8_t> bytes;
  const auto put = [&bytes](std::initializer_list<std::uint8_t> command) {
    for (const std::uint8_t byte : command) bytes.push_back(byte);
  };
  put({mpsse::kDivideBy5Off, mpsse::kAdaptiveClockOff, mpsse::kThreePhaseOn});
  if (drive_only_zero) {
    put({mpsse::kDriveOnlyZero, mpsse::kScl | mpsse::kSdaOut | mpsse::kSdaIn, 0x00});
  }
  put({mpsse::kLoopbackOff, mpsse::kClockDivisor, static_cast<std::uint8_t>(timing.divisor & 0xFF),
       static_cast<std::uint8_t>(timing.divisor >> 8)});
  put({mpsse::kSetLowPins, PinValue(true, false, drive_only_zero),
       PinDirection(false, drive_only_zero)});
  return bytes;
}

std::vector<std::uint8_t> MpsseLetGo() { return {mpsse::kSetLowPins, 0x00, 0x00}; }

MpsseI2cStream::MpsseI2cStream(const MpsseTiming& timing, bool drive_only_zero)
    : timing_(timing), drive_only_zero_(drive_only_zero) {}

void MpsseI2cStream::Put(std::initializer_list<std::uint8_t> command) {
  for (const std::uint8_t byte : command) {
    bytes_.push_back(byte);
    AppendHex(note_, byte);
  }
}

void MpsseI2cStream::Pins(bool scl_high, bool sda_low, std::uint32_t nanoseconds) {
  const std::uint32_t repeats = std::max(1u, CeilDiv(nanoseconds, mpsse::kPinWriteNanoseconds));
  const std::uint8_t value = PinValue(scl_high, sda_low, drive_only_zero_);
  const std::uint8_t direction = PinDirection(sda_low, drive_only_zero_);
  for (std::uint32_t i = 0; i < repeats; ++i) {
    bytes_.push_back(mpsse::kSetLowPins);
    bytes_.push_back(value);
    bytes_.push_back(direction);
  }
  AppendHex(note_, mpsse::kSetLowPins);
  AppendHex(note_, value);
  AppendHex(note_, direction);
  if (repeats > 1) note_ += " x" + std::to_string(repeats);
  pin_writes_ += repeats;
}

void MpsseI2cStream::Start(bool repeated) {
  const bus::PhaseMinimums& m = timing_.minimums;
  if (repeated) Pins(false, false, m.scl_low);  // SDA let go while SCL is low
  Pins(true, false, std::max({m.start_setup, m.scl_high, repeated ? 0u : m.bus_free}));
  Pins(true, true, m.start_hold);
  Pins(false, true, m.scl_low);
}

void MpsseI2cStream::WriteByte(std::uint8_t value) {
  if (drive_only_zero_) {
    Put({mpsse::kWriteBytesFalling, 0x00, 0x00, value});
  } else {
    // A chip that drives SDA high as hard as low must not still drive the last bit high when the
    // device takes SDA for its acknowledge: bits 7 to 1 are driven, bit 0 only when it is 0.
    Pins(false, true, 0);
    Put({mpsse::kWriteBitsFalling, 0x06, value});
    const bool last_one = (value & 0x01) != 0;
    if (last_one) Pins(false, false, 0);
    Put({mpsse::kWriteBitsFalling, 0x00, static_cast<std::uint8_t>(last_one ? 0xFF : 0x00)});
  }
  Pins(false, false, 0);  // let SDA go for the device's acknowledge
  Put({mpsse::kReadBitsRising, 0x00});
  clocked_bits_ += 9;
  ++replies_;
}

void MpsseI2cStream::ReadByte(bool last) {
  // SDA is let go already: the byte before (the device select or a byte read) ended so.
  Put({mpsse::kReadBytesRising, 0x00, 0x00});
  // The acknowledge pulls SDA low; the last byte's is left high (released) for "no more".
  if (!last && !drive_only_zero_) Pins(false, true, 0);
  Put({mpsse::kWriteBitsFalling, 0x00, static_cast<std::uint8_t>(last ? 0xFF : 0x00)});
  Pins(false, false, 0);
  clocked_bits_ += 9;
  ++replies_;
}

void MpsseI2cStream::Stop() {
  const bus::PhaseMinimums& m = timing_.minimums;
  Pins(false, true, m.scl_low);
  Pins(true, true, std::max(m.stop_setup, m.scl_high));
  Pins(true, false, m.bus_free);
}

void MpsseI2cStream::SendImmediate() { Put({mpsse::kSendImmediate}); }

std::uint64_t MpsseI2cStream::BusNanoseconds() const {
  return pin_writes_ * mpsse::kPinWriteNanoseconds +
         static_cast<std::uint64_t>(clocked_bits_ * 3 * timing_.HalfPeriodNanoseconds());
}

}  // namespace ports
