// The direct backend: the port's three registers reached with the x86 port instructions.
//
// Opening asks the kernel for access to the three I/O addresses (data = ADDRESS, status =
// ADDRESS + 1, control = ADDRESS + 2), which needs root (CAP_SYS_RAWIO); destruction gives the
// access back. Built only on x86; elsewhere the table row says the backend is unavailable. The
// clock is wall-clock time since open.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "bus/port.h"
#include "bus/port_backends.h"

namespace bus {

inline constexpr std::uint16_t kDefaultDirectAddress = 0x378;
// The highest data register address whose status and control registers still exist.
inline constexpr std::uint16_t kHighestDirectAddress = 0xFFFD;

#if defined(__x86_64__) || defined(__i386__)
#define PLOVER_HAVE_DIRECT_PORT 1

class DirectPort final : public Port {
 public:
  // Gains access to the three registers at `address`. On failure returns nullptr with `error` set
  // to the system's reason and the usual remedy.
  static std::unique_ptr<DirectPort> Open(std::uint16_t address, std::string name,
                                          std::string& error);
  ~DirectPort() override;
  DirectPort(const DirectPort&) = delete;
  DirectPort& operator=(const DirectPort&) = delete;

  void WriteData(std::uint8_t value) override;
  void WriteControl(std::uint8_t value) override;
  std::uint8_t ReadStatus() override;
  [[nodiscard]] std::uint64_t NowNanoseconds() const override;
  [[nodiscard]] std::string Name() const override { return name_; }

 private:
  DirectPort(std::uint16_t address, std::string name);

  std::uint16_t address_;
  std::string name_;
  std::chrono::steady_clock::time_point opened_;
};
#else
#define PLOVER_HAVE_DIRECT_PORT 0
#endif

// Reads an I/O address, hexadecimal ("0x378") or decimal ("888"), at most kHighestDirectAddress.
// False with `error` set when it is anything else.
bool ParseDirectAddress(std::string_view text, std::uint16_t& address, std::string& error);

// The row of the backend table.
[[nodiscard]] PortBackend DirectBackend();

}  // namespace bus
