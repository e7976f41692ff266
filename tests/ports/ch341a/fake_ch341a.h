// SPDX-License-Identifier: GPL-3.0-or-later
// A fake CH341A under the ch341a backend's libusb calls: it runs the I2C stream commands it is
// sent as the chip would, bit by bit on a virtual board through the parallel port's line driver,
// so one model of the EEPROM and the switch chip answers every road; it queues the status and
// data bytes the chip returns. Like the chip, it returns the status of the first checked byte of
// a packet only: a later one-byte OUT in the same packet is clocked out with no status byte. The
// settings give it the troubles real ones have.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "bus/image.h"
#include "ports/usb/libusb_calls.h"
#include "ports/sim/sim_port.h"

namespace test_support {

struct FakeCh341aSettings {
  int programmers = 1;              // plugged in, at USB port paths 1-2, 1-3, ...
  bool serial_mode = false;         // enumerates as 1a86:5523
  bool permission_denied = false;   // opening is refused
  bool interface_busy = false;      // another program has claimed interface 0
  bool kernel_driver = false;       // a kernel driver holds interface 0 until detached
  long unplugged_after = -1;        // bulk writes before it is gone; -1: never
  std::size_t left_unread = 0;      // answer bytes a previous program did not read
  std::size_t extra_answers = 0;    // bytes the chip adds to the next answer it gives (a fault)
  bool answers_short = false;       // the next answer lacks its last byte (a fault)
  std::uint64_t round_trip_nanoseconds = 0;  // time each bulk write takes before the bus moves
  sim::BoardOptions board;
};

class FakeCh341a final : public ports::LibusbCalls {
 public:
  FakeCh341a(const FakeCh341aSettings& settings, const bus::Image& eeprom);

  int Init(libusb_context** context) override;
  void Exit(libusb_context*) override { calls.push_back("exit"); }
  ssize_t GetDeviceList(libusb_context*, libusb_device*** list) override;
  void FreeDeviceList(libusb_device** list, int) override { delete[] list; }
  int GetDeviceDescriptor(libusb_device* device, libusb_device_descriptor* descriptor) override;
  std::uint8_t GetBusNumber(libusb_device*) override { return 1; }
  int GetPortNumbers(libusb_device* device, std::uint8_t* numbers, int length) override;
  int Open(libusb_device* device, libusb_device_handle** handle) override;
  void Close(libusb_device_handle*) override { calls.push_back("close"); }
  int KernelDriverActive(libusb_device_handle*, int) override { return driver_bound_ ? 1 : 0; }
  int DetachKernelDriver(libusb_device_handle*, int) override { return Bind(false, "detach"); }
  int AttachKernelDriver(libusb_device_handle*, int) override { return Bind(true, "attach"); }
  int ClaimInterface(libusb_device_handle*, int) override;
  int ReleaseInterface(libusb_device_handle*, int) override;
  int BulkTransfer(libusb_device_handle*, unsigned char endpoint, unsigned char* data, int length,
                   int* transferred, unsigned int timeout_milliseconds) override;
  // The board's simulated clock: the programmer's time is the bus's.
  std::uint64_t Now() override { return port_->NowNanoseconds(); }

  [[nodiscard]] const sim::VirtualBoard& Board() const { return port_->Board(); }
  [[nodiscard]] bool DriverBound() const { return driver_bound_; }
  [[nodiscard]] int SpeedCode() const { return speed_code_; }
  [[nodiscard]] std::size_t PendingAnswers() const { return answers_.size(); }

  std::vector<std::string> calls;  // "open", "claim", "detach", ... in order
  long bulk_writes = 0;
  long bytes_written = 0;
  long bytes_read = 0;

 private:
  int Bind(bool bound, const char* call);
  [[nodiscard]] bool Gone() const {
    return settings_.unplugged_after >= 0 && bulk_writes > settings_.unplugged_after;
  }
  void RunPacket(const unsigned char* packet, int length);
  int Answer(unsigned char* data, int length, int* transferred, unsigned timeout_milliseconds);

  FakeCh341aSettings settings_;
  std::unique_ptr<ports::SimPort> port_;
  std::vector<int> tokens_;  // the device pointers point at these: 0 another vendor's, then ours
  std::deque<std::uint8_t> answers_;
  bool driver_bound_;
  int speed_code_ = -1;
};

}  // namespace test_support
