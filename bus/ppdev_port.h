// The ppdev backend: the parallel port through the Linux parallel-port device (/dev/parportN).
//
// Opening claims the port for this process and puts it in compatibility mode; the registers are
// then written and read with the PPWDATA, PPWCONTROL and PPRSTATUS requests, raw values both ways.
// Destruction releases the claim and closes the device. The clock is wall-clock time since open.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "bus/port.h"
#include "bus/port_backends.h"

namespace bus {

inline constexpr const char* kDefaultPpdevDevice = "/dev/parport0";

class PpdevPort final : public Port {
 public:
  // Opens and claims `device`. On failure returns nullptr with `error` set to the system's reason
  // and the usual remedy, e.g. "Permission denied; add your user to the 'lp' group ...".
  static std::unique_ptr<PpdevPort> Open(const std::string& device, std::string name,
                                         std::string& error);
  ~PpdevPort() override;
  PpdevPort(const PpdevPort&) = delete;
  PpdevPort& operator=(const PpdevPort&) = delete;

  void WriteData(std::uint8_t value) override;
  void WriteControl(std::uint8_t value) override;
  std::uint8_t ReadStatus() override;
  [[nodiscard]] std::uint64_t NowNanoseconds() const override;
  [[nodiscard]] std::string Name() const override { return name_; }

 private:
  PpdevPort(int fd, std::string name);

  int fd_;
  std::string name_;
  std::chrono::steady_clock::time_point opened_;
};

// The row of the backend table.
[[nodiscard]] PortBackend PpdevBackend();

}  // namespace bus
