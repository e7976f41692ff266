// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/ftdi/ftdi_calls.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "bus/port_base.h"
#include "ports/usb/usb_devices.h"

namespace ports {
namespace {

constexpr std::uint16_t kProducts[] = {kFt232hProduct, kFt2232hProduct, kFt4232hProduct};

std::string PortPathOf(libusb_device* device) {
  std::uint8_t ports[8];
  const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
  return UsbPortPath(libusb_get_bus_number(device),
                     std::span<const std::uint8_t>(ports, depth > 0 ? depth : 0));
}

// Calls `visit(device, product)` for every chip of the three kinds; libftdi's result on failure.
template <typename Visit>
int ForEachChip(ftdi_context* context, Visit visit) {
  for (const std::uint16_t product : kProducts) {
    ftdi_device_list* list = nullptr;
    const int found = ftdi_usb_find_all(context, &list, kFtdiVendor, product);
    if (found < 0) return found;
    for (ftdi_device_list* item = list; item != nullptr; item = item->next) {
      if (!visit(item->dev, product)) {
        ftdi_list_free(&list);
        return 0;
      }
    }
    ftdi_list_free(&list);
  }
  return 0;
}

// libftdi's error text, which is a null pointer when it has none.
std::string ErrorTextOf(ftdi_context* context) {
  const char* text = ftdi_get_error_string(context);
  return text == nullptr ? std::string() : std::string(text);
}

// Within libftdi's own range, the failures that are not libusb's: its device handle is gone.
constexpr int kUsbDeviceUnavailable = -666;

class RealChannel final : public FtdiChannel {
 public:
  explicit RealChannel(ftdi_context* context) : context_(context) {}
  ~RealChannel() override {
    ftdi_usb_close(context_);
    ftdi_free(context_);
  }
  RealChannel(const RealChannel&) = delete;
  RealChannel& operator=(const RealChannel&) = delete;

  int SetBitmode(std::uint8_t mask, std::uint8_t mode) override {
    return ftdi_set_bitmode(context_, mask, mode);
  }
  int SetLatencyTimer(std::uint8_t milliseconds) override {
    return ftdi_set_latency_timer(context_, milliseconds);
  }
  int Flush() override { return ftdi_tcioflush(context_); }
  // Written with libusb itself, in libftdi's chunks and to its endpoint and timeout, because
  // ftdi_write_data answers every failure with -1 and libusb's answer says whether the chip has
  // gone.
  int Write(std::span<const std::uint8_t> bytes) override {
    if (context_->usb_dev == nullptr) return LIBUSB_ERROR_NO_DEVICE;
    std::size_t offset = 0;
    while (offset < bytes.size()) {
      const std::size_t chunk =
          std::min<std::size_t>(bytes.size() - offset, context_->writebuffer_chunksize);
      std::vector<unsigned char> out(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                     bytes.begin() + static_cast<std::ptrdiff_t>(offset + chunk));
      int sent = 0;
      const int result = libusb_bulk_transfer(context_->usb_dev,
                                              static_cast<unsigned char>(context_->in_ep),
                                              out.data(), static_cast<int>(chunk), &sent,
                                              static_cast<unsigned>(context_->usb_write_timeout));
      if (result < 0) return result;
      offset += static_cast<std::size_t>(sent);
      if (sent == 0) break;
    }
    return static_cast<int>(offset);
  }
  // ftdi_read_data hands on libusb's error, except when its device handle has gone.
  int Read(std::span<std::uint8_t> bytes) override {
    const int read = ftdi_read_data(context_, bytes.data(), static_cast<int>(bytes.size()));
    return read == kUsbDeviceUnavailable ? LIBUSB_ERROR_NO_DEVICE : read;
  }
  std::string ErrorText() override { return ErrorTextOf(context_); }

 private:
  ftdi_context* context_;
};

class RealCalls final : public FtdiCalls {
 public:
  int FindAll(std::vector<FtdiUsbDevice>& devices) override {
    ftdi_context* context = ftdi_new();
    if (context == nullptr) return -1;
    const int result = ForEachChip(context, [&](libusb_device* device, std::uint16_t product) {
      char serial[128] = "";
      // Reading the serial number opens the device; one this user may not open has none here.
      if (ftdi_usb_get_strings(context, device, nullptr, 0, nullptr, 0, serial, sizeof serial) <
          0) {
        serial[0] = '\0';
      }
      libusb_device_descriptor descriptor{};
      if (libusb_get_device_descriptor(device, &descriptor) != 0) descriptor.bcdDevice = 0;
      devices.push_back({PortPathOf(device), serial, product, descriptor.bcdDevice});
      return true;
    });
    ftdi_free(context);
    return result;
  }

  std::unique_ptr<FtdiChannel> Open(const std::string& port_path, int channel, int& result,
                                    std::string& text) override {
    ftdi_context* context = ftdi_new();
    if (context == nullptr) {
      result = -1;
      text = "out of memory";
      return nullptr;
    }
    // The serial driver gets its interface back when the port is closed.
    context->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
    ftdi_set_interface(context, channel == 2 ? INTERFACE_B : INTERFACE_A);
    result = -3;  // "usb device not found", unless it is
    ForEachChip(context, [&](libusb_device* device, std::uint16_t) {
      if (PortPathOf(device) != port_path) return true;
      result = ftdi_usb_open_dev(context, device);
      return false;
    });
    if (result < 0) {
      const int reason = errno;
      text = ErrorTextOf(context);
      ftdi_free(context);
      errno = reason;
      return nullptr;
    }
    return std::make_unique<RealChannel>(context);
  }

  std::uint64_t Now() override { return bus::MonotonicNanoseconds(); }
};

}  // namespace

FtdiCalls& RealFtdiCalls() {
  static RealCalls calls;
  return calls;
}

}  // namespace ports
