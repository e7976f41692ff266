// The sim backend: the virtual board behind a port.
//
// Every access goes to the board, whose simulated clock (1 microsecond per access) is the port's
// clock. Unlike hardware, the board knows the true levels of both lines (SDA being the wired-AND of
// the PC's driver and every device's), which the trace recorder draws.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "bus/port.h"
#include "bus/port_backends.h"
#include "sim/board_options.h"
#include "sim/virtual_board.h"

namespace bus {

class SimPort final : public Port {
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
  [[nodiscard]] std::optional<LineLevels> BusLevels() const override {
    return LineLevels{board_->Scl(), board_->Sda()};
  }
  [[nodiscard]] std::string Name() const override { return name_; }

  [[nodiscard]] sim::VirtualBoard& Board() { return *board_; }
  [[nodiscard]] const sim::VirtualBoard& Board() const { return *board_; }

 private:
  std::unique_ptr<sim::VirtualBoard> board_;
  std::string name_;
};

// The row of the backend table.
[[nodiscard]] PortBackend SimBackend();

}  // namespace bus
