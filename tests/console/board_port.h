// SPDX-License-Identifier: GPL-3.0-or-later
// A port on an in-memory virtual board whose EEPROM starts with given contents, for the
// in-process console tests and the fuzz target.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "bus/port.h"
#include "sim/virtual_board.h"

namespace console_test {

class BoardPort final : public bus::Port {
 public:
  BoardPort(const sim::BoardOptions& options, const bus::Image& contents)
      : board_(std::make_unique<sim::VirtualBoard>(options, contents)) {}

  void WriteData(std::uint8_t value) override { board_->WriteData(value); }
  void WriteControl(std::uint8_t value) override { board_->WriteControl(value); }
  std::uint8_t ReadStatus() override { return board_->ReadStatus(); }
  [[nodiscard]] std::uint64_t NowNanoseconds() const override { return board_->NowNanoseconds(); }
  void WaitUntil(std::uint64_t nanoseconds) override { board_->AdvanceTo(nanoseconds); }
  [[nodiscard]] std::optional<bus::LineLevels> BusLevels() const override {
    return bus::LineLevels{board_->Scl(), board_->Sda()};
  }
  [[nodiscard]] std::string Name() const override { return "sim"; }

  [[nodiscard]] const sim::VirtualBoard& Board() const { return *board_; }

 private:
  std::unique_ptr<sim::VirtualBoard> board_;
};

}  // namespace console_test
