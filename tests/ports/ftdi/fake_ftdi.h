// SPDX-License-Identifier: GPL-3.0-or-later
// A fake FTDI chip behind the ftdi backend's libftdi calls. It interprets the MPSSE command
// stream as the chip would: pin writes, three-phase clocking at the divisor's half period,
// drive-only-zero on the FT232H only, replies released by "send immediate"; and it turns the pin
// states into the lines of a virtual board at the simulated time each command takes, so the
// board's EEPROM and switch chip answer bit by bit and, with timing=100|400, hold every phase to
// the data sheet's minimums. Reads return a few bytes at a time, and none every other call.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "bus/image.h"
#include "ports/ftdi/ftdi_calls.h"
#include "sim/board_options.h"
#include "sim/virtual_board.h"

namespace test_support {

struct FakeFtdiSettings {
  // The chips on the USB; the one opened plays the habits of the chip its bcdDevice says it is
  // (a release of 0 is its product's usual one). None: no chip plugged in.
  std::vector<ports::FtdiUsbDevice> devices = {{"1-2", "FT0001", ports::kFt232hProduct}};
  bool permission_denied = false;  // the device node may not be opened
  bool interface_busy = false;     // another program holds the interface
  bool echoes_garbage = false;     // answers an unknown op-code with something else than FA
  long unplugged_after = -1;       // USB writes after the setup before it is gone; -1: never
  bool unplugged_at_open = false;  // gone as soon as it is opened
  long write_fails_after = -1;     // USB writes after the setup before writes fail; -1: never
  long read_fails_after = -1;      // USB writes after the setup before reads fail; -1: never
  long silent_after = -1;          // USB writes after the setup before it answers nothing
  std::uint8_t refused_op = 0;     // a set-up op-code it does not know; 0: none
  std::uint64_t round_trip_nanoseconds = 0;  // time each USB write takes before the chip runs it
  sim::BoardOptions board;                   // the devices on its bus, the write cycle, timing
};

// What the chip saw, for tests and the benchmark.
struct FakeFtdiCounts {
  long writes = 0;           // USB writes (each message is one)
  long bytes_sent = 0;
  long bytes_received = 0;
  long protocol_faults = 0;  // a clock command with SCL high, SDA driven high against a device
};

class FakeFtdi final : public ports::FtdiCalls {
 public:
  FakeFtdi(const FakeFtdiSettings& settings, const bus::Image& eeprom);
  ~FakeFtdi() override;

  int FindAll(std::vector<ports::FtdiUsbDevice>& devices) override;
  std::unique_ptr<ports::FtdiChannel> Open(const std::string& port_path, int channel, int& result,
                                         std::string& text) override;
  std::uint64_t Now() override { return board_->NowNanoseconds(); }

  [[nodiscard]] const sim::VirtualBoard& Board() const { return *board_; }
  [[nodiscard]] const FakeFtdiCounts& Counts() const { return counts_; }
  [[nodiscard]] bool IsOpen() const { return open_; }
  // The board's notes of timing violations since it was made; empty when every phase was kept.
  [[nodiscard]] const std::string& TimingNotes() const { return timing_notes_; }

  class Engine;

 private:
  friend class FakeChannel;

  // True from the `after`th USB write past the set-up on; -1: never.
  [[nodiscard]] bool Past(long after) const;

  FakeFtdiSettings settings_;
  std::unique_ptr<sim::VirtualBoard> board_;
  std::unique_ptr<Engine> engine_;
  FakeFtdiCounts counts_;
  bool open_ = false;
  std::string timing_notes_;
};

}  // namespace test_support
