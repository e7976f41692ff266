// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/system_calls.h"

#include "bus/port_base.h"
#include "platform/device_access.h"

namespace ports {
namespace {

class RealCalls final : public SystemCalls {
 public:
  int Open(const char* path, int flags, mode_t mode) override {
    return platform::OpenDevice(path, flags, mode);
  }
  int Close(int fd) override { return platform::CloseDevice(fd); }
  int Ioctl(int fd, unsigned long request, void* argument) override {
    return platform::ControlDevice(fd, request, argument);
  }
  int LockNow(int fd) override { return platform::LockDeviceNow(fd); }
  int Unlock(int fd) override { return platform::UnlockDevice(fd); }
  int Ioperm(unsigned long from, unsigned long count, int turn_on) override {
    return platform::AllowPortInstructions(from, count, turn_on != 0);
  }
  void OutByte(std::uint8_t value, std::uint16_t address) override {
    platform::OutputPortByte(value, address);
  }
  std::uint8_t InByte(std::uint16_t address) override { return platform::InputPortByte(address); }
  std::uint64_t Now() override { return bus::MonotonicNanoseconds(); }
};

}  // namespace

SystemCalls& RealSystemCalls() {
  static RealCalls calls;
  return calls;
}

}  // namespace ports
