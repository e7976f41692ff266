// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ports/ch341a/fake_ch341a.h"

#include <algorithm>
#include <utility>

#include "bus/parallel_port_lines.h"
#include "ports/ch341a/ch341a_port.h"
#include "ports/ch341a/ch341a_stream.h"

namespace test_support {
namespace {

using namespace ports::ch341a;

int IndexOf(libusb_device* device) { return *reinterpret_cast<int*>(device); }

}  // namespace

FakeCh341a::FakeCh341a(const FakeCh341aSettings& settings, const bus::Image& eeprom)
    : settings_(settings),
      port_(std::make_unique<ports::SimPort>(
          std::make_unique<sim::VirtualBoard>(settings.board, eeprom), "sim")),
      answers_(settings.left_unread, kNotAcknowledged),
      driver_bound_(settings.kernel_driver) {
  for (int i = 0; i <= settings.programmers; ++i) tokens_.push_back(i);
}

int FakeCh341a::Init(libusb_context** context) {
  calls.push_back("init");
  *context = reinterpret_cast<libusb_context*>(this);
  return 0;
}

ssize_t FakeCh341a::GetDeviceList(libusb_context*, libusb_device*** list) {
  *list = new libusb_device*[tokens_.size() + 1]{};
  for (std::size_t i = 0; i < tokens_.size(); ++i) {
    (*list)[i] = reinterpret_cast<libusb_device*>(&tokens_[i]);
  }
  return static_cast<ssize_t>(tokens_.size());
}

int FakeCh341a::GetDeviceDescriptor(libusb_device* device, libusb_device_descriptor* descriptor) {
  *descriptor = {};
  const bool ours = IndexOf(device) != 0;
  descriptor->idVendor = ours ? ports::kCh341aVendor : 0x046d;
  descriptor->idProduct = !ours ? 0xc52b
                          : settings_.serial_mode ? ports::kCh341aSerialProduct
                                                  : ports::kCh341aI2cProduct;
  return 0;
}

int FakeCh341a::GetPortNumbers(libusb_device* device, std::uint8_t* numbers, int length) {
  if (length < 1) return LIBUSB_ERROR_OVERFLOW;
  numbers[0] = static_cast<std::uint8_t>(1 + IndexOf(device));
  return 1;
}

int FakeCh341a::Open(libusb_device*, libusb_device_handle** handle) {
  if (settings_.permission_denied) return LIBUSB_ERROR_ACCESS;
  calls.push_back("open");
  *handle = reinterpret_cast<libusb_device_handle*>(this);
  return 0;
}

int FakeCh341a::Bind(bool bound, const char* call) {
  if (driver_bound_ == bound) return LIBUSB_ERROR_NOT_FOUND;
  calls.push_back(call);
  driver_bound_ = bound;
  return 0;
}

int FakeCh341a::ClaimInterface(libusb_device_handle*, int) {
  if (settings_.interface_busy || driver_bound_) return LIBUSB_ERROR_BUSY;
  calls.push_back("claim");
  return 0;
}

int FakeCh341a::ReleaseInterface(libusb_device_handle*, int) {
  calls.push_back("release");
  return 0;
}

int FakeCh341a::BulkTransfer(libusb_device_handle*, unsigned char endpoint, unsigned char* data,
                             int length, int* transferred, unsigned int timeout_milliseconds) {
  *transferred = 0;
  if (endpoint == 0x82) return Answer(data, length, transferred, timeout_milliseconds);
  ++bulk_writes;
  if (Gone()) return LIBUSB_ERROR_NO_DEVICE;
  // One packet per bulk write: a longer write is one this chip is not trusted with.
  if (endpoint != 0x02 || length > static_cast<int>(ports::kCh341aPacketSize)) {
    return LIBUSB_ERROR_IO;
  }
  port_->WaitUntil(port_->NowNanoseconds() + settings_.round_trip_nanoseconds);
  bytes_written += length;
  *transferred = length;
  RunPacket(data, length);
  return 0;
}

int FakeCh341a::Answer(unsigned char* data, int length, int* transferred,
                       unsigned timeout_milliseconds) {
  if (Gone()) return LIBUSB_ERROR_NO_DEVICE;
  if (answers_.empty()) {  // nothing to send: the chip NAKs the IN until the host gives up
    port_->WaitUntil(port_->NowNanoseconds() + timeout_milliseconds * 1'000'000ULL);
    return LIBUSB_ERROR_TIMEOUT;
  }
  // A faulty chip: bytes its commands did not ask for, or an answer cut short (its last byte
  // comes with the next IN).
  answers_.insert(answers_.end(), std::exchange(settings_.extra_answers, 0), 0x55);
  const std::size_t withheld = std::exchange(settings_.answers_short, false) ? 1 : 0;
  const auto count = std::min<std::size_t>({static_cast<std::size_t>(length),
                                            ports::kCh341aPacketSize, answers_.size() - withheld});
  std::copy_n(answers_.begin(), count, data);
  answers_.erase(answers_.begin(), answers_.begin() + static_cast<long>(count));
  *transferred = static_cast<int>(count);
  bytes_read += static_cast<long>(count);
  return 0;
}

// Runs the I2C stream commands of one packet until its end byte or its end.
void FakeCh341a::RunPacket(const unsigned char* packet, int length) {
  if (length < 1 || packet[0] != kStream) return;  // another command family
  bus::ParallelPortLines lines(*port_, bus::TimingPolicy::Windowed);
  bool checked = false;  // the chip answers the status of one checked byte per packet
  for (int i = 1; i < length && packet[i] != kEnd; ++i) {
    const std::uint8_t command = packet[i];
    const int count = command & 0x3F;
    if (command == kStart) {
      lines.BusStart();
    } else if (command == kStop) {
      lines.BusStop();
      lines.BusRelease();
    } else if ((command & 0xFC) == kSet) {
      speed_code_ = command & 0x03;
    } else if ((command & 0xE0) == 0x40) {  // waits: 0x4n microseconds, 0x5n milliseconds
      const std::uint64_t unit = (command & 0x10) != 0 ? 1'000'000 : 1'000;
      port_->WaitUntil(port_->NowNanoseconds() + (command & 0x0F) * unit);
    } else if ((command & 0xC0) == kOut) {  // OUT|n: n bytes; OUT: one, with its status
      for (int b = 0; b < std::max(count, 1) && i + 1 < length; ++b) {
        lines.SendByte(packet[++i]);
        const bool acknowledged = lines.ClockAck() == bus::Ack::Acknowledged;
        if (count == 0 && !checked) answers_.push_back(acknowledged ? 0x00 : kNotAcknowledged);
        if (count == 0) checked = true;
      }
    } else if ((command & 0xC0) == kIn) {  // IN|n: n bytes acknowledged; IN: one, not
      for (int b = 0; b < std::max(count, 1); ++b) {
        answers_.push_back(lines.ReceiveByte());
        count == 0 ? lines.MasterNack() : lines.MasterAck();
      }
    } else {
      return;  // a command this chip does not have ends the packet
    }
  }
}

}  // namespace test_support
