// SPDX-License-Identifier: GPL-3.0-or-later
// VirtualBoard: the switch demo board as the parallel port sees it, simulated.
//
// It watches the data and control register writes and answers status reads as the real board
// would: SCL follows control bit 2, SDA the wired-AND of data bit 7 and every device's output,
// sensed on status bit 6. On the bus sit a 24C01-class EEPROM at device select 0xA0/0xA1 and the
// switch chip at 0xBE/0xBF, whose 128 registers hold the EEPROM's contents as they were at
// power-up (when the board was created), as a switch loads its settings at reset.
//
// Time is simulated: every port access advances it by exactly 1 microsecond, and a wait of the
// port (AdvanceTo) moves it on; nothing else does. With clock=wall it is wall-clock time since
// the board was made instead: accesses take their real time and a wait really waits, so a write
// takes as long as on hardware. Built with timing checks, the chips hold the master to the data
// sheet's minimum for each phase (see TimingChecker).
//
// With present=PATH the board is in place only while PATH exists, as a board put on and taken off
// a test fixture: whether it is is decided as each bus operation begins (BeginOperation), and a
// board that is not in place has neither chip on its bus, so nothing acknowledges.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "bus/bus_result.h"
#include "bus/image.h"
#include "sim/board_options.h"

namespace sim {

class BoardFile;

inline constexpr std::uint64_t kNanosecondsPerAccess = 1000;

class VirtualBoard {
 public:
  // Powers up a board. With options.file set, the EEPROM's contents are read from that file (a
  // missing file is created erased, all 0xFF; a file of another size than 0 or 128 bytes is
  // refused and left untouched) and every write is stored in it as soon as its stop condition
  // starts the write cycle. Returns nullptr with `error` set (naming the file and the reason) on
  // failure.
  static std::unique_ptr<VirtualBoard> Create(const BoardOptions& options, std::string& error);

  // An in-memory board holding `contents` (tests).
  VirtualBoard(const BoardOptions& options, const bus::Image& contents);
  ~VirtualBoard();
  VirtualBoard(const VirtualBoard&) = delete;
  VirtualBoard& operator=(const VirtualBoard&) = delete;

  // --- The port side: each call advances simulated time by 1 microsecond. ---
  void WriteData(std::uint8_t value);
  void WriteControl(std::uint8_t value);
  std::uint8_t ReadStatus();
  [[nodiscard]] std::uint64_t NowNanoseconds() const;
  // Moves simulated time on to `nanoseconds` (never back): a wait of the port.
  void AdvanceTo(std::uint64_t nanoseconds);
  // Sets how long each access takes (1 microsecond unless set): a driver that keeps its own pin
  // timing (the fake of a USB bridge, whose edges may be closer than a microsecond) sets 0 and
  // moves the clock to each edge with AdvanceTo.
  void SetAccessNanoseconds(std::uint64_t nanoseconds);

  // A bus operation begins: with present=PATH the board is in place or not from now on. With
  // timing checks (timing=100|400) its first timing violation will be noted; TakeTimingNote
  // gives a note not yet taken (empty if none, or without checks).
  void BeginOperation();
  std::string TakeTimingNote();
  // Whether the operation now running broke a timing minimum the board checks.
  [[nodiscard]] bool TimingViolated() const;

  // --- What a test, a trace or a benchmark may look at. ---
  [[nodiscard]] bool Scl() const;  // the line levels after the last access
  [[nodiscard]] bool Sda() const;  // the wired-AND level
  [[nodiscard]] const BoardOptions& Options() const;
  [[nodiscard]] const bus::Image& EepromContents() const;
  [[nodiscard]] const bus::Image& SwitchRegisters() const;
  // Whether the EEPROM's internal write cycle is still running, and when it ends.
  [[nodiscard]] bool EepromBusy() const;
  [[nodiscard]] std::uint64_t EepromReadyAtNanoseconds() const;
  // The first failure to store a write in the board file since the last call (PortFailed: names
  // the file, the address and the system's reason, with its error number); Success if none.
  bus::BusResult TakeStoreFailure();

 private:
  VirtualBoard(const BoardOptions& options, const bus::Image& contents,
               std::unique_ptr<BoardFile> file);

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace sim
