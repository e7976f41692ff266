// SPDX-License-Identifier: GPL-3.0-or-later
// The direct backend: the port's three registers reached with the x86 port instructions.
//
// Opening asks the system for access to the three I/O addresses (data = ADDRESS, status =
// ADDRESS + 1, control = ADDRESS + 2): on Linux the kernel, which needs root (CAP_SYS_RAWIO); on
// Windows the InpOut driver, which the user installs. Destruction gives the access back. Nothing
// keeps two programs apart on a port reached this way, so each bus operation holds an exclusive
// lock on a file named after the address (/run/lock/plover-direct-0x378.lock; in the temporary
// folder on Windows), waiting a short while for another program's operation. Usable only on x86;
// elsewhere the table row says the backend is unavailable. The clock is wall-clock time since
// open.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "bus/port.h"
#include "platform/device_access.h"
#include "ports/port_spec.h"
#include "ports/port_clock.h"
#include "ports/port_lock.h"
#include "ports/system_calls.h"

namespace ports {

inline constexpr std::uint16_t kDefaultDirectAddress = 0x378;
// The highest data register address whose status and control registers still exist.
inline constexpr std::uint16_t kHighestDirectAddress = 0xFFFD;

// What `direct[:ADDRESS]` names.
struct DirectSettings {
  std::uint16_t address = kDefaultDirectAddress;
};

class DirectPort final : public Port {
 public:
  // Gains access to the three registers at `address` and opens the address's lock file in
  // `lock_folder` (the system's folder of such locks by default). On failure returns nullptr with `error` set to the system's reason and the
  // usual remedy.
  static std::unique_ptr<DirectPort> Open(std::uint16_t address, std::string name,
                                          std::string& error,
                                          SystemCalls& calls = RealSystemCalls(),
                                          const std::string& lock_folder = platform::PortLockFolder(),
                                          std::chrono::milliseconds busy_bound = kPortBusyBound);
  ~DirectPort() override;
  DirectPort(const DirectPort&) = delete;
  DirectPort& operator=(const DirectPort&) = delete;

  void WriteData(std::uint8_t value) override;
  void WriteControl(std::uint8_t value) override;
  std::uint8_t ReadStatus() override;
  [[nodiscard]] std::uint64_t NowNanoseconds() const override;
  void WaitUntil(std::uint64_t nanoseconds) override;
  [[nodiscard]] std::string Name() const override { return name_; }

  // Takes the address's lock for one operation; PortUnavailable when another program holds it
  // past the bound.
  BusResult Acquire() override;
  void Release() override;

 private:
  DirectPort(std::uint16_t address, std::string name, int lock_fd, SystemCalls& calls,
             std::chrono::milliseconds busy_bound);

  std::uint16_t address_;
  std::string name_;
  int lock_fd_;
  SystemCalls& calls_;
  OperationLock lock_;
  SinceOpenClock clock_;
};

// The lock file of `address` in `folder`: "<folder>/plover-direct-0x378.lock".
[[nodiscard]] std::string DirectLockFile(const std::string& folder, std::uint16_t address);

// Reads an I/O address, hexadecimal ("0x378") or decimal ("888"), at most kHighestDirectAddress.
// False with `error` set when it is anything else.
bool ParseDirectAddress(std::string_view text, std::uint16_t& address, std::string& error);

// The row of the backend table.
[[nodiscard]] const PortBackend& DirectBackend();

}  // namespace ports
