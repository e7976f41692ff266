// SPDX-License-Identifier: GPL-3.0-or-later
// The USB programmers whose backends are built, for the programs' end-to-end tests: each one's
// --port value and its fake, installed at its seam with the virtual board the test asks for, so
// one parameterised test runs every USB programmer the same way.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bus/image.h"
#include "sim/board_options.h"
#include "sim/virtual_board.h"

namespace test_support {

// A programmer's fake, installed at its seam for as long as this lives.
class InstalledProgrammer {
 public:
  virtual ~InstalledProgrammer() = default;
  [[nodiscard]] virtual const sim::VirtualBoard& Board() const = 0;
  // The board's notes of timing violations; empty when every phase was kept.
  [[nodiscard]] virtual std::string TimingNotes() const { return {}; }
};

struct UsbProgrammer {
  std::string name;  // for the test's name
  std::string port;  // the --port value
  // Installs the fake with a board made as `board` says, its EEPROM holding `eeprom`; unplugged
  // after `unplugged_after` USB writes past its set-up (-1: never).
  std::function<std::unique_ptr<InstalledProgrammer>(sim::BoardOptions board,
                                                     const bus::Image& eeprom,
                                                     long unplugged_after)>
      install;
  std::vector<std::string> trace;  // lines a --write's trace holds in this order ("> aa 74 ...")
  std::string unplugged;           // the part of the message when it is unplugged mid-write
};

// Every USB programmer whose backend is built, at the speeds its end-to-end tests run.
[[nodiscard]] std::vector<UsbProgrammer> UsbProgrammers();

}  // namespace test_support
