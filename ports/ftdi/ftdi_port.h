// SPDX-License-Identifier: GPL-3.0-or-later
// The ftdi backend: an FT232H, FT2232H or FT4232H as an I2C master through its MPSSE engine and
// libftdi1, with no kernel driver.
//
// Opening finds the chip (the only one, or the one WHERE names by its USB port path or serial
// number), claims the channel, puts it in MPSSE mode, checks that it answers an unknown op-code
// as an MPSSE engine does, sets up the clock for the bus speed (see ftdi_mpsse.h), checks that
// the chip took every set-up command by sending an unknown op-code again, and empties the reply
// queue. Each message of a transfer is one USB round trip: its commands are sent at once, ending
// with "send immediate", and the acknowledges and data read back, collected from short reads
// until all have come or a deadline passes. A byte not acknowledged ends the transfer with ENXIO,
// as i2c-dev does. The USB's own failures have numbers of their own, never taken for a missing
// acknowledge: ENODEV when the chip has gone (and at once after), ETIME when its replies do not
// come, EPROTO for any other failed transfer.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "bus/i2c_adapter.h"
#include "ports/port_spec.h"
#include "ports/ftdi/ftdi_calls.h"
#include "ports/ftdi/ftdi_mpsse.h"

namespace ports {

// What `ftdi[:WHERE][,channel=A|B][,khz=N]` names.
struct FtdiSettings {
  std::string where;  // a USB port path ("1-2.3") or a serial number; empty: the only chip
  int channel = 1;    // 1: A, 2: B
  unsigned khz = 100;
};

// The longest message the backend sends in one round trip; a longer one is refused (EMSGSIZE)
// and the bus layer splits its reads.
inline constexpr std::size_t kFtdiLongestMessage = 256;

class FtdiAdapter final : public I2cAdapter {
 public:
  // Opens the chip and sets it up. On failure returns nullptr with `error` set to the cause and
  // the remedy.
  static std::unique_ptr<FtdiAdapter> Open(const FtdiSettings& settings, std::string name,
                                           std::string& error,
                                           FtdiCalls& calls = RealFtdiCalls());
  ~FtdiAdapter() override;
  FtdiAdapter(const FtdiAdapter&) = delete;
  FtdiAdapter& operator=(const FtdiAdapter&) = delete;

  int Transfer(std::span<I2cMessage> messages) override;
  std::string TakeWireNote() override;
  [[nodiscard]] std::uint64_t NowNanoseconds() const override;
  [[nodiscard]] std::string Name() const override { return name_; }
  [[nodiscard]] std::string Remedy(const BusResult& result) const override;

  [[nodiscard]] const MpsseTiming& Timing() const { return timing_; }

 private:
  FtdiAdapter(std::unique_ptr<FtdiChannel> channel, std::string name, FtdiCalls& calls,
              const MpsseTiming& timing, bool drive_only_zero);

  // Sends `stream` and collects its replies into `replies`: 0, or the error number.
  int RoundTrip(const MpsseI2cStream& stream, std::span<std::uint8_t> replies);
  int Send(std::span<const std::uint8_t> bytes, const std::string& note);
  int Collect(std::span<std::uint8_t> replies, std::uint64_t bus_nanoseconds);
  // The error number of a failed USB transfer, from libusb's answer.
  int Failed(int libusb_error);
  // Checks the MPSSE engine, sets it up for I2C and checks the set-up; the end of a message that
  // begins with the chip's description, or empty.
  std::string SetUp();

  std::unique_ptr<FtdiChannel> channel_;
  std::string name_;
  FtdiCalls& calls_;
  MpsseTiming timing_;
  bool drive_only_zero_;
  std::uint64_t opened_;
  std::string note_;
  bool gone_ = false;  // the chip has gone from the USB
};

// The chip's model name for its USB product id ("FT232H").
[[nodiscard]] std::string FtdiModel(std::uint16_t product);

// The row of the backend table.
[[nodiscard]] const PortBackend& FtdiBackend();

}  // namespace ports
