// SPDX-License-Identifier: GPL-3.0-or-later
// What a bus operation reports: success, or which device failed to answer and where.
//
// The bus layer throws nothing. Every operation returns a BusResult; the programs turn a failed one
// into a message with DescribeBusResult, which names the device, the address a write stopped at,
// and the usual remedy.
#pragma once

#include <string>

namespace bus {

enum class BusDevice { Eeprom, SwitchChip };

enum class BusFault {
  None,             // the operation ran to its end
  PortUnavailable,  // the port could not be opened; no bus operation ran
  NoAcknowledge,    // the device did not acknowledge a byte it owes an acknowledge for
  BusHeldLow,       // SDA stayed low through a start condition and nine recovery clock pulses
  PortFailed,       // the port failed during the operation, outside the bus (see `detail`)
};

// The byte whose acknowledge was missing.
enum class BusStage {
  None,
  WriteSelect,      // the device-select byte with the write direction (0xA0, 0xBE)
  Address,          // the word or register address
  Data,             // a data byte of a write
  ReadSelect,       // the device-select byte with the read direction (0xA1, 0xBF)
  Message,          // a message to an I2C adapter, which does not say which byte it was
};

struct BusResult {
  BusFault fault = BusFault::None;
  BusDevice device = BusDevice::Eeprom;
  BusStage stage = BusStage::None;
  int address = -1;    // the word address a write stopped at; -1 for reads
  int write_length = 1;  // the bytes the write that stopped carried from `address` on (a page
                         // write's run); 1 for a byte write
  std::string detail;  // PortUnavailable, PortFailed: what failed, naming the port and the cause
  std::string remedy;  // what to check, as the port knows it; empty: the parallel port's advice
  int error_number = 0;  // PortFailed: the system's error number behind it, 0 when there is none

  [[nodiscard]] bool ok() const { return fault == BusFault::None; }

  static BusResult Success() { return {}; }
  static BusResult PortFailure(std::string why);
  static BusResult Failed(std::string what, int address = -1, int error_number = 0);
  static BusResult Fault(BusFault fault, BusDevice device, BusStage stage, int address = -1);
};

// The advice for a board on the parallel port that does not answer.
inline constexpr const char* kCableRemedy =
    "Check the DB25 cable, the board's power, and that the printer port is set to NORMAL mode.";

// One line of text (no line break) that names the device, the address where a write stopped (a
// page write's first and last address), and the remedy (the port's own, else the parallel port's),
// each its own sentence ("... File too large. Raise ..."). Empty for a successful result.
[[nodiscard]] std::string DescribeBusResult(const BusResult& result);

[[nodiscard]] const char* DeviceName(BusDevice device);

}  // namespace bus
