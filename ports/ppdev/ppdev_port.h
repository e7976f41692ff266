// SPDX-License-Identifier: GPL-3.0-or-later
// The ppdev backend: the parallel port through the Linux parallel-port device (/dev/parportN).
//
// Opening opens the device and checks, with one claim and release, that it is a parallel port.
// For each bus operation the port is then locked against our other programs (flock on the
// device) and claimed from the kernel in compatibility mode, and released afterwards, so two
// programs on one port take turns and neither waits without bound. The registers are written and
// read with the PPWDATA, PPWCONTROL and PPRSTATUS requests, raw values both ways. The clock is
// wall-clock time since open.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "bus/port.h"
#include "ports/port_spec.h"
#include "ports/port_clock.h"
#include "ports/port_lock.h"
#include "ports/system_calls.h"

namespace ports {

inline constexpr const char* kDefaultPpdevDevice = "/dev/parport0";

// What `ppdev[:DEVICE]` names.
struct PpdevSettings {
  std::string device = kDefaultPpdevDevice;
};

class PpdevPort final : public Port {
 public:
  // Opens `device` and checks that it can be claimed. On failure returns nullptr with `error`
  // set to the system's reason and the usual remedy, e.g. "Permission denied. Add your user to
  // the 'lp' group ...". `busy_bound` is how long an operation waits for another program.
  static std::unique_ptr<PpdevPort> Open(const std::string& device, std::string name,
                                         std::string& error,
                                         SystemCalls& calls = RealSystemCalls(),
                                         std::chrono::milliseconds busy_bound = kPortBusyBound);
  ~PpdevPort() override;
  PpdevPort(const PpdevPort&) = delete;
  PpdevPort& operator=(const PpdevPort&) = delete;

  void WriteData(std::uint8_t value) override;
  void WriteControl(std::uint8_t value) override;
  std::uint8_t ReadStatus() override;
  [[nodiscard]] std::uint64_t NowNanoseconds() const override;
  void WaitUntil(std::uint64_t nanoseconds) override;
  [[nodiscard]] std::string Name() const override { return name_; }

  // Locks and claims the port for one operation; PortUnavailable when another program holds it
  // past the bound or the kernel refuses.
  BusResult Acquire() override;
  void Release() override;

 private:
  PpdevPort(int fd, std::string device, std::string name, SystemCalls& calls,
            std::chrono::milliseconds busy_bound);
  // Lock, claim, compatibility mode. Empty on success, else the reason and remedy.
  std::string Take(bool& busy);
  void Give();

  int fd_;
  std::string device_;
  std::string name_;
  SystemCalls& calls_;
  std::chrono::milliseconds busy_bound_;
  SinceOpenClock clock_;
  bool held_ = false;
};

// The row of the backend table.
[[nodiscard]] const PortBackend& PpdevBackend();

}  // namespace ports
