// SPDX-License-Identifier: GPL-3.0-or-later
// A fake I2C adapter under the i2c backend's system calls, whose bus carries the virtual board's
// own EEPROM and switch chip: every transfer is made bit by bit on a virtual board by the same
// line driver the parallel port uses, so one model of the chips answers both roads. The settings
// give the adapter the habits real ones have: how many messages a transfer may hold, the longest
// read, the error for a byte that was not acknowledged, an SMBus-only adapter, and one that is
// unplugged in the middle of an operation.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "bus/image.h"
#include "ports/sim/sim_port.h"
#include "ports/system_calls.h"
#include "sim/board_options.h"

namespace test_support {

enum class TransferShape {
  OneMessage,     // one message per transfer
  WriteThenRead,  // one message, or a write followed by a read
  Many,           // any number of messages
};

struct FakeAdapterSettings {
  TransferShape shape = TransferShape::Many;
  std::size_t longest_read = 8192;    // a longer read message is refused
  int unsupported_error = EOPNOTSUPP;  // for a transfer of another shape
  int too_long_error = EINVAL;         // for a read longer than longest_read
  int nack_error = ENXIO;              // for a byte the device did not acknowledge
  bool plain_i2c = true;               // false: the adapter offers SMBus transfers only
  long unplugged_after = -1;           // transfers before it answers ENODEV; -1: never
  std::uint64_t round_trip_nanoseconds = 0;  // time each transfer takes before the bus moves
  sim::BoardOptions board;             // the devices on its bus, the EEPROM's write cycle
};

class FakeI2cSystem final : public ports::SystemCalls {
 public:
  FakeI2cSystem(const FakeAdapterSettings& settings, const bus::Image& eeprom);

  int Open(const char* path, int flags, mode_t mode) override;
  int Close(int fd) override;
  int Ioctl(int fd, unsigned long request, void* argument) override;
  int LockNow(int) override { return 0; }
  int Unlock(int) override { return 0; }
  int Ioperm(unsigned long, unsigned long, int) override { return -1; }
  void OutByte(std::uint8_t, std::uint16_t) override {}
  std::uint8_t InByte(std::uint16_t) override { return 0xFF; }
  // The board's simulated clock: the adapter's time is the bus's.
  std::uint64_t Now() override { return port_->NowNanoseconds(); }

  [[nodiscard]] const sim::VirtualBoard& Board() const { return port_->Board(); }
  [[nodiscard]] long Transfers() const { return transfers_; }
  [[nodiscard]] long Messages() const { return messages_; }
  [[nodiscard]] bool IsOpen() const { return open_; }

 private:
  int Transfer(void* request);

  FakeAdapterSettings settings_;
  std::unique_ptr<ports::SimPort> port_;
  long transfers_ = 0;
  long messages_ = 0;
  bool open_ = false;
};

}  // namespace test_support
