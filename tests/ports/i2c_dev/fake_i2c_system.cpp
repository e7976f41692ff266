// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ports/i2c_dev/fake_i2c_system.h"

#include <linux/i2c-dev.h>
#include <linux/i2c.h>

#include "bus/parallel_port_lines.h"

namespace test_support {
namespace {

constexpr int kAdapterFd = 7;

// A transfer of this shape is one the adapter makes.
bool ShapeAllowed(TransferShape shape, const i2c_rdwr_ioctl_data& request) {
  switch (shape) {
    case TransferShape::OneMessage:
      return request.nmsgs == 1;
    case TransferShape::WriteThenRead:
      return request.nmsgs == 1 ||
             (request.nmsgs == 2 && (request.msgs[0].flags & I2C_M_RD) == 0 &&
              (request.msgs[1].flags & I2C_M_RD) != 0);
    case TransferShape::Many:
      return true;
  }
  return false;
}

// Sends the address byte and the data of one message, or reads its data. False when a byte the
// device owes an acknowledge for was not acknowledged.
bool RunMessage(bus::ParallelPortLines& lines, const i2c_msg& message) {
  const bool read = (message.flags & I2C_M_RD) != 0;
  lines.SendByte(static_cast<std::uint8_t>((message.addr << 1) | (read ? 1 : 0)));
  if (lines.ClockAck() == bus::Ack::NotAcknowledged) return false;
  for (std::uint16_t i = 0; i < message.len; ++i) {
    if (read) {
      message.buf[i] = lines.ReceiveByte();
      if (i + 1 < message.len) {
        lines.MasterAck();
      } else {
        lines.MasterNack();
      }
    } else {
      lines.SendByte(message.buf[i]);
      if (lines.ClockAck() == bus::Ack::NotAcknowledged) return false;
    }
  }
  return true;
}

}  // namespace

FakeI2cSystem::FakeI2cSystem(const FakeAdapterSettings& settings, const bus::Image& eeprom)
    : settings_(settings),
      port_(std::make_unique<ports::SimPort>(
          std::make_unique<sim::VirtualBoard>(settings.board, eeprom), "sim")) {}

int FakeI2cSystem::Open(const char*, int, mode_t) {
  open_ = true;
  return kAdapterFd;
}

int FakeI2cSystem::Close(int) {
  open_ = false;
  return 0;
}

int FakeI2cSystem::Ioctl(int, unsigned long request, void* argument) {
  if (request == I2C_FUNCS) {
    *static_cast<unsigned long*>(argument) =
        (settings_.plain_i2c ? I2C_FUNC_I2C : 0) | I2C_FUNC_SMBUS_BYTE | I2C_FUNC_SMBUS_BYTE_DATA;
    return 0;
  }
  if (request == I2C_RDWR) return Transfer(argument);
  errno = ENOTTY;
  return -1;
}

int FakeI2cSystem::Transfer(void* argument) {
  const auto& request = *static_cast<i2c_rdwr_ioctl_data*>(argument);
  ++transfers_;
  port_->WaitUntil(port_->NowNanoseconds() + settings_.round_trip_nanoseconds);
  if (settings_.unplugged_after >= 0 && transfers_ > settings_.unplugged_after) {
    errno = ENODEV;
    return -1;
  }
  if (!ShapeAllowed(settings_.shape, request)) {
    errno = settings_.unsupported_error;
    return -1;
  }
  for (__u32 i = 0; i < request.nmsgs; ++i) {
    if ((request.msgs[i].flags & I2C_M_RD) != 0 && request.msgs[i].len > settings_.longest_read) {
      errno = settings_.too_long_error;
      return -1;
    }
  }
  messages_ += request.nmsgs;
  bus::ParallelPortLines lines(*port_, bus::TimingPolicy::Windowed);
  for (__u32 i = 0; i < request.nmsgs; ++i) {
    // The first start condition, then a repeated start before each further message.
    lines.BusStart();
    if (!RunMessage(lines, request.msgs[i])) {
      lines.BusStop();
      lines.BusRelease();
      errno = settings_.nack_error;
      return -1;
    }
  }
  lines.BusStop();
  lines.BusRelease();
  return static_cast<int>(request.nmsgs);
}

}  // namespace test_support
