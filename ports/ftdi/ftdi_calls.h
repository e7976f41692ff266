// SPDX-License-Identifier: GPL-3.0-or-later
// FtdiCalls: the few libftdi1 calls the ftdi backend makes, behind one interface, so tests can
// drive the real backend on a fake chip: one that is absent, busy, forbidden, unplugged in the
// middle of an operation, or not an MPSSE chip at all.
//
// Every call returns what its libftdi1 function returns (a negative result on failure), except
// the channel's Write and Read, whose failures are libusb's own answers (LIBUSB_ERROR_NO_DEVICE
// when the chip has gone), never a number left over from an earlier call. RealFtdiCalls() makes
// the calls themselves.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ports/calls_override.h"

namespace ports {

inline constexpr std::uint16_t kFtdiVendor = 0x0403;
inline constexpr std::uint16_t kFt232hProduct = 0x6014;
inline constexpr std::uint16_t kFt2232hProduct = 0x6010;
inline constexpr std::uint16_t kFt4232hProduct = 0x6011;

// libftdi's results of ftdi_usb_open_dev that the backend tells apart.
inline constexpr int kFtdiOpenFailed = -4;       // libusb_open failed (errno EACCES: no permission)
inline constexpr int kFtdiClaimFailed = -5;      // the interface is held by someone else
inline constexpr int kFtdiDetachForbidden = -8;  // the kernel driver could not be detached: EPERM

// One FTDI chip of the three kinds the backend drives, as the USB shows it.
struct FtdiUsbDevice {
  std::string port_path;      // "1-2.3", as sysfs names the device
  std::string serial;         // the chip's serial number; empty when it has none or is not ours
  std::uint16_t product = 0;  // kFt232hProduct, kFt2232hProduct or kFt4232hProduct
  std::uint16_t release = 0;  // bcdDevice: what the chip is (kFt232hRelease for an FT232H)
};

// The FT232H's bcdDevice: the one chip of the three with drive-only-zero.
inline constexpr std::uint16_t kFt232hRelease = 0x0900;

// One channel of an opened chip; closing it (the destructor) gives the interface back.
class FtdiChannel {
 public:
  virtual ~FtdiChannel() = default;
  virtual int SetBitmode(std::uint8_t mask, std::uint8_t mode) = 0;  // ftdi_set_bitmode
  virtual int SetLatencyTimer(std::uint8_t milliseconds) = 0;        // ftdi_set_latency_timer
  virtual int Flush() = 0;                                           // ftdi_tcioflush
  // The bytes written, or libusb's negative error.
  virtual int Write(std::span<const std::uint8_t> bytes) = 0;
  // ftdi_read_data: whatever the chip has, which may be fewer bytes than asked, even none; or
  // libusb's negative error.
  virtual int Read(std::span<std::uint8_t> bytes) = 0;
  // ftdi_get_error_string; empty when libftdi has none.
  [[nodiscard]] virtual std::string ErrorText() = 0;

 protected:
  FtdiChannel() = default;
  FtdiChannel(const FtdiChannel&) = default;
  FtdiChannel& operator=(const FtdiChannel&) = default;
};

class FtdiCalls {
 public:
  virtual ~FtdiCalls() = default;

  // ftdi_usb_find_all for the three chips, with each one's port path and serial number.
  // A negative result on failure.
  virtual int FindAll(std::vector<FtdiUsbDevice>& devices) = 0;
  // ftdi_set_interface (1: channel A, 2: B) and ftdi_usb_open_dev on the chip at `port_path`.
  // On failure nullptr, with `result` set to libftdi's negative result (errno kept) and `text`
  // to its message (empty when it has none).
  virtual std::unique_ptr<FtdiChannel> Open(const std::string& port_path, int channel, int& result,
                                            std::string& text) = 0;
  // The monotonic clock in nanoseconds: the port's clock and the deadline of reads.
  virtual std::uint64_t Now() = 0;

 protected:
  FtdiCalls() = default;
  FtdiCalls(const FtdiCalls&) = default;
  FtdiCalls& operator=(const FtdiCalls&) = default;
};

[[nodiscard]] FtdiCalls& RealFtdiCalls();

// The calls the ftdi row opens its ports with: libftdi1's own, or, while a test holds an
// FtdiCallsOverride, that test's fake chip.
inline FtdiCalls& FtdiCallsInUse() { return CallsOverride<FtdiCalls>::InUse(RealFtdiCalls()); }

using FtdiCallsOverride = CallsOverride<FtdiCalls>;

}  // namespace ports
