// SPDX-License-Identifier: GPL-3.0-or-later
// The MPSSE command stream of one I2C message on an FTDI chip, and the clock that keeps every
// phase of the bus at the data sheet's minimums.
//
// Pins: AD0 is SCL, AD1 drives SDA, AD2 senses it (the user joins AD1 and AD2). The data clock is
// three-phase: each bit is three half periods of the MPSSE clock, SCL low with the data set, SCL
// high, SCL low again, so SCL is high for one half period and low for two between bits. The
// divisor is chosen so that a half period is at least the minimum SCL high, two half periods at
// least the minimum SCL low, and a bit at least the period of the nominal speed; at the default
// 100 kHz that is divisor 239 (SCL about 83 kHz, 4.0 us high), since the divisor that makes
// 100 kHz would leave SCL high only 3.3 us.
//
// The states between clocked bytes (start, stop, release of SDA) are pin writes (0x80), held by
// repeating them: no data sheet gives how long one lasts, so each is counted as the shortest it
// can be, 50 ns (three bytes at the engine's 60 MHz), and repeated until the phase's minimum is
// reached. On the FT232H the three pins drive only zeros (0x9E), so SDA and SCL are released by
// writing a 1; the FT2232H and FT4232H have no such mode, and SDA is released by making AD1 an
// input, so the chip never drives SDA high while a device may pull it low.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bus/timing_floor.h"

namespace ports {

// The MPSSE op-codes the backend sends.
namespace mpsse {
inline constexpr std::uint8_t kWriteBytesFalling = 0x11;  // clock bytes out, MSB first
inline constexpr std::uint8_t kWriteBitsFalling = 0x13;   // clock bits out, MSB first
inline constexpr std::uint8_t kReadBytesRising = 0x20;    // clock bytes in, MSB first
inline constexpr std::uint8_t kReadBitsRising = 0x22;     // clock bits in; the bit lands in bit 0
inline constexpr std::uint8_t kSetLowPins = 0x80;         // value, direction of AD0..AD7
inline constexpr std::uint8_t kLoopbackOff = 0x85;
inline constexpr std::uint8_t kClockDivisor = 0x86;
inline constexpr std::uint8_t kSendImmediate = 0x87;
inline constexpr std::uint8_t kDivideBy5Off = 0x8A;
inline constexpr std::uint8_t kThreePhaseOn = 0x8C;
inline constexpr std::uint8_t kAdaptiveClockOff = 0x97;
inline constexpr std::uint8_t kDriveOnlyZero = 0x9E;
inline constexpr std::uint8_t kBadCommandEcho = 0xFA;  // the answer to an unknown op-code
inline constexpr std::uint8_t kSyncProbe = 0xAA;       // an op-code no chip knows
inline constexpr std::uint8_t kScl = 0x01;             // AD0
inline constexpr std::uint8_t kSdaOut = 0x02;          // AD1
inline constexpr std::uint8_t kSdaIn = 0x04;           // AD2
inline constexpr std::uint32_t kEngineHertz = 60'000'000;
inline constexpr std::uint32_t kPinWriteNanoseconds = 50;  // the shortest a pin write can last
}  // namespace mpsse

// The clock and the phase minimums at a bus speed.
struct MpsseTiming {
  unsigned khz = 100;
  std::uint16_t divisor = 0;
  bus::PhaseMinimums minimums;

  // One half period of the MPSSE clock: SCL high in a three-phase bit.
  [[nodiscard]] double HalfPeriodNanoseconds() const {
    return (divisor + 1) * 1e9 / mpsse::kEngineHertz;
  }
  // The SCL frequency this divisor gives, in hertz.
  [[nodiscard]] std::uint32_t SclHertz() const {
    return mpsse::kEngineHertz / 3 / (divisor + 1u);
  }
};

// The timing at `khz` (1 to 400).
[[nodiscard]] MpsseTiming MpsseTimingAt(unsigned khz);

// The commands of the chip's setup for I2C once it is in MPSSE mode: 60 MHz engine, no adaptive
// clock, three-phase clocking, drive-only-zero where the chip has it, no loopback, the divisor,
// and the idle bus.
[[nodiscard]] std::vector<std::uint8_t> MpsseSetup(const MpsseTiming& timing, bool drive_only_zero);
// The pin write that lets go of both lines, for closing.
[[nodiscard]] std::vector<std::uint8_t> MpsseLetGo();

class MpsseI2cStream {
 public:
  MpsseI2cStream(const MpsseTiming& timing, bool drive_only_zero);

  // A start condition; `repeated`: after a message of the same transfer (SCL low).
  void Start(bool repeated);
  // Clocks `value` out and reads its acknowledge: one reply byte, bit 0 clear for an ACK.
  void WriteByte(std::uint8_t value);
  // Clocks a byte in (one reply byte) and acknowledges it, or not for the `last`.
  void ReadByte(bool last);
  // A stop condition, then the bus is held free.
  void Stop();
  // Asks the chip to send its replies at once.
  void SendImmediate();

  [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  [[nodiscard]] std::size_t Replies() const { return replies_; }
  // The bytes as hex, each held pin write once with its count ("80 02 03 x94").
  [[nodiscard]] const std::string& Note() const { return note_; }
  // How long the chip takes to clock it all, in nanoseconds (counting pin writes as 50 ns).
  [[nodiscard]] std::uint64_t BusNanoseconds() const;

 private:
  void Pins(bool scl_high, bool sda_low, std::uint32_t nanoseconds);
  void Put(std::initializer_list<std::uint8_t> command);

  MpsseTiming timing_;
  bool drive_only_zero_;
  std::vector<std::uint8_t> bytes_;
  std::string note_;
  std::size_t replies_ = 0;
  std::uint64_t pin_writes_ = 0;
  std::uint64_t clocked_bits_ = 0;
};

}  // namespace ports
