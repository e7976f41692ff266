// SPDX-License-Identifier: GPL-3.0-or-later
// The three parallel-port registers that the bus lines hang on, as one small interface.
//
// The line driver needs nothing else from a port: write a whole byte to the data or the control
// register, read the status register, read the port's clock (which bounds the acknowledge
// polling) and wait on it. Each backend (ppdev, direct I/O, the virtual board, the trace recorder
// around any of them) implements this interface in a file of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "bus/port_base.h"

namespace bus {

// The levels of the two bus lines as the board sees them. Only a port that knows the true bus
// levels (the virtual board, where SDA is the wired-AND of every driver) reports them.
struct LineLevels {
  bool scl = true;
  bool sda = true;
};

class Port : public PortBase {
 public:
  // data register <- value (bit 7 drives SDA; bits 0 to 6 go to pins 2 to 8, not on the bus)
  virtual void WriteData(std::uint8_t value) = 0;
  // control register <- value (bit 2 drives SCL)
  virtual void WriteControl(std::uint8_t value) = 0;
  // the status register (bit 6 senses SDA)
  virtual std::uint8_t ReadStatus() = 0;

  // Returns once the port's clock has reached `nanoseconds`, at once if it already has. On
  // hardware a busy wait on the clock (the waits are microseconds, which a sleep cannot keep); on
  // the virtual board a jump of its simulated clock.
  virtual void WaitUntil(std::uint64_t nanoseconds) = 0;

  // The true levels of both lines after the last access, where the port can know them.
  [[nodiscard]] virtual std::optional<LineLevels> BusLevels() const { return std::nullopt; }

  // A remark the port has about the bus since the last call, for the trace (the virtual board's
  // note of a timing violation); empty if none.
  virtual std::string TakeNote() { return {}; }
};

// Register bit assignments of the board's cable.
inline constexpr std::uint8_t kDataSdaBit = 0x80;     // data register bit 7 drives SDA
inline constexpr std::uint8_t kControlSclBit = 0x04;  // control register bit 2 drives SCL
inline constexpr std::uint8_t kStatusSdaBit = 0x40;   // status register bit 6 senses SDA

}  // namespace bus
