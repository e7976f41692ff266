// SPDX-License-Identifier: GPL-3.0-or-later
// The i2c backend: an I2C adapter through the kernel's i2c-dev interface (/dev/i2c-N).
//
// Opening opens the device node and asks the adapter what it can do (I2C_FUNCS): an adapter that
// can only make SMBus transfers is refused, since the EEPROM's sequential read and the polling of
// its writes need plain I2C messages. Transfers go to the kernel as I2C_RDWR requests, which the
// adapter carries out with its own bit timing. For each bus operation the device node is locked
// against our other programs (flock), so their operations never interleave. The clock is
// wall-clock time since open.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "bus/i2c_adapter.h"
#include "ports/port_spec.h"
#include "ports/port_lock.h"
#include "ports/system_calls.h"

namespace ports {

// What `i2c:DEVICE` names.
struct I2cSettings {
  std::string device;  // "/dev/i2c-1"
};

// Where the kernel describes its I2C adapters.
inline constexpr const char* kSysfsRoot = "/sys";

class I2cDevAdapter final : public I2cAdapter {
 public:
  // Opens `device` and checks that it is an adapter that makes plain I2C transfers. On failure
  // returns nullptr with `error` set to the reason and the remedy. The adapter's name is looked up
  // under `sysfs_root` for messages.
  static std::unique_ptr<I2cDevAdapter> Open(const std::string& device, std::string name,
                                             std::string& error,
                                             SystemCalls& calls = RealSystemCalls(),
                                             const std::string& sysfs_root = kSysfsRoot,
                                             std::chrono::milliseconds busy_bound = kPortBusyBound);
  ~I2cDevAdapter() override;
  I2cDevAdapter(const I2cDevAdapter&) = delete;
  I2cDevAdapter& operator=(const I2cDevAdapter&) = delete;

  int Transfer(std::span<I2cMessage> messages) override;
  [[nodiscard]] std::uint64_t NowNanoseconds() const override;
  [[nodiscard]] std::string Name() const override { return name_; }
  BusResult Acquire() override;
  void Release() override;
  [[nodiscard]] std::string Remedy(const BusResult& result) const override;

 private:
  I2cDevAdapter(int fd, std::string name, SystemCalls& calls,
                std::chrono::milliseconds busy_bound);

  int fd_;
  std::string name_;
  SystemCalls& calls_;
  OperationLock lock_;
  std::uint64_t opened_;
};

// The device node a DEVICE argument names: "/dev/i2c-1" as it is, "1" (or "01") as "/dev/i2c-1".
[[nodiscard]] std::string I2cDeviceNode(std::string_view argument);

// The adapter's name as the kernel gives it ("i2c-tiny-usb at bus 001 device 005"), read from
// <sysfs_root>/class/i2c-dev/i2c-N/name for the node /dev/i2c-N; empty when there is none.
[[nodiscard]] std::string I2cAdapterName(const std::string& device,
                                         const std::string& sysfs_root = kSysfsRoot);

// The row of the backend table.
[[nodiscard]] const PortBackend& I2cBackend();

}  // namespace ports
