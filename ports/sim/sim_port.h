// SPDX-License-Identifier: GPL-3.0-or-later
// The sim backend: the virtual board behind a port.
//
// Every access goes to the board, whose simulated clock (1 microsecond per access, and whatever a
// wait asks for) is the port's clock. Unlike hardware, the board knows the true levels of both
// lines (SDA being the wired-AND of the PC's driver and every device's), which the trace recorder
// draws. When an operation fails, the advice names the board option that makes it fail.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "bus/port.h"
#include "ports/port_spec.h"
#include "sim/board_options.h"
#include "sim/virtual_board.h"

namespace ports {

class SimPort final : public bus::Port {
 public:
  // Powers up a board as `options` say. On failure returns nullptr with `error` set to the
  // board's message.
  static std::unique_ptr<SimPort> Open(const sim::BoardOptions& options, std::string name,
                                       std::string& error);
  // A port on a board made elsewhere (tests, benchmarks).
  SimPort(std::unique_ptr<sim::VirtualBoard> board, std::string name);

  void WriteData(std::uint8_t value) override { board_->WriteData(value); }
  void WriteControl(std::uint8_t value) override { board_->WriteControl(value); }
  std::uint8_t ReadStatus() override { return board_->ReadStatus(); }
  [[nodiscard]] std::uint64_t NowNanoseconds() const override { return board_->NowNanoseconds(); }
  void WaitUntil(std::uint64_t nanoseconds) override { board_->AdvanceTo(nanoseconds); }
  [[nodiscard]] std::optional<bus::LineLevels> BusLevels() const override {
    return bus::LineLevels{board_->Scl(), board_->Sda()};
  }
  [[nodiscard]] std::string Name() const override { return name_; }
  bus::BusResult TakeFailure() override { return board_->TakeStoreFailure(); }
  void BeginOperation() override { board_->BeginOperation(); }
  std::string TakeNote() override { return board_->TakeTimingNote(); }
  [[nodiscard]] std::string Remedy(const bus::BusResult& result) const override;

  [[nodiscard]] sim::VirtualBoard& Board() { return *board_; }
  [[nodiscard]] const sim::VirtualBoard& Board() const { return *board_; }

 private:
  std::unique_ptr<sim::VirtualBoard> board_;
  std::string name_;
};

// The advice for an operation on a virtual board built with `options` that failed as `result`
// says: the board option that makes it fail. `timing_violated`: the operation broke a timing
// minimum the board checks.
[[nodiscard]] std::string BoardRemedy(const sim::BoardOptions& options, const bus::BusResult& result,
                                      bool timing_violated = false);

// The row of the backend table.
[[nodiscard]] const ports::PortBackend& SimBackend();

}  // namespace ports
