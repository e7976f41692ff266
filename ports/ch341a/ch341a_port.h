// SPDX-License-Identifier: GPL-3.0-or-later
// The ch341a backend: a CH341A USB programmer in its I2C/SPI mode (USB 1a86:5512), driven from
// user space through libusb-1.0, with no kernel driver.
//
// Opening finds the programmer (by its USB port path when WHERE is given, else the only one
// plugged in), opens it, detaches a kernel driver that holds its interface (given back at close),
// claims interface 0 for as long as the port is open, sets the bus speed and drains any answer a
// previous program left. Transfers run on the chip's I2C stream (see ch341a_stream.h), one
// 32-byte packet per bulk write with one checked byte, its answer read as one whole packet whose
// count is compared with the count expected. The clock is the monotonic clock since open.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "bus/i2c_adapter.h"
#include "ports/port_spec.h"
#include "ports/usb/libusb_calls.h"

namespace ports {

inline constexpr std::uint16_t kCh341aVendor = 0x1a86;
inline constexpr std::uint16_t kCh341aI2cProduct = 0x5512;     // I2C/SPI mode
inline constexpr std::uint16_t kCh341aSerialProduct = 0x5523;  // serial mode

// What `ch341a[:WHERE][,khz=N]` names.
struct Ch341aSettings {
  std::string where;  // USB port path ("1-2.3"); empty: the only one plugged in
  unsigned khz = 100;
};

class Ch341aAdapter final : public I2cAdapter {
 public:
  // Opens the programmer `settings` names. On failure returns nullptr with `error` set to the
  // reason and the remedy.
  static std::unique_ptr<Ch341aAdapter> Open(const Ch341aSettings& settings, std::string name,
                                             std::string& error,
                                             LibusbCalls& calls = RealLibusbCalls());
  ~Ch341aAdapter() override;
  Ch341aAdapter(const Ch341aAdapter&) = delete;
  Ch341aAdapter& operator=(const Ch341aAdapter&) = delete;

  int Transfer(std::span<I2cMessage> messages) override;
  std::string TakeWireNote() override;
  [[nodiscard]] std::uint64_t NowNanoseconds() const override;
  [[nodiscard]] std::string Name() const override { return name_; }
  [[nodiscard]] std::string Remedy(const BusResult& result) const override;

 private:
  struct Handles;
  Ch341aAdapter(std::unique_ptr<Handles> handles, std::string name, LibusbCalls& calls);

  // Sends `commands` as one bulk write and, when `answer` is not empty, reads one packet back
  // that must hold exactly `answer.size()` bytes: 0, EBADMSG when it holds more or fewer, or
  // the errno of the USB failure.
  int Exchange(std::span<const std::uint8_t> commands, std::span<std::uint8_t> answer);
  // Reads away an answer nobody took, waiting briefly for one.
  void Drain();
  void Note(char direction, std::span<const std::uint8_t> bytes);

  std::unique_ptr<Handles> handles_;
  std::string name_;
  LibusbCalls& calls_;
  std::uint64_t opened_;
  std::string wire_note_;
  bool gone_ = false;    // the programmer was unplugged
  bool unread_ = false;  // an exchange failed and may have left answer bytes behind
};

// The row of the backend table.
[[nodiscard]] const PortBackend& Ch341aBackend();

}  // namespace ports
