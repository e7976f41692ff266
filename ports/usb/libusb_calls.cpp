// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/usb/libusb_calls.h"

#include "bus/port_base.h"

namespace ports {
namespace {

class RealCalls final : public LibusbCalls {
 public:
  int Init(libusb_context** context) override { return libusb_init(context); }
  void Exit(libusb_context* context) override { libusb_exit(context); }
  ssize_t GetDeviceList(libusb_context* context, libusb_device*** list) override {
    return libusb_get_device_list(context, list);
  }
  void FreeDeviceList(libusb_device** list, int unref_devices) override {
    libusb_free_device_list(list, unref_devices);
  }
  int GetDeviceDescriptor(libusb_device* device, libusb_device_descriptor* descriptor) override {
    return libusb_get_device_descriptor(device, descriptor);
  }
  std::uint8_t GetBusNumber(libusb_device* device) override {
    return libusb_get_bus_number(device);
  }
  int GetPortNumbers(libusb_device* device, std::uint8_t* numbers, int length) override {
    return libusb_get_port_numbers(device, numbers, length);
  }
  int Open(libusb_device* device, libusb_device_handle** handle) override {
    return libusb_open(device, handle);
  }
  void Close(libusb_device_handle* handle) override { libusb_close(handle); }
  int KernelDriverActive(libusb_device_handle* handle, int interface) override {
    return libusb_kernel_driver_active(handle, interface);
  }
  int DetachKernelDriver(libusb_device_handle* handle, int interface) override {
    return libusb_detach_kernel_driver(handle, interface);
  }
  int AttachKernelDriver(libusb_device_handle* handle, int interface) override {
    return libusb_attach_kernel_driver(handle, interface);
  }
  int ClaimInterface(libusb_device_handle* handle, int interface) override {
    return libusb_claim_interface(handle, interface);
  }
  int ReleaseInterface(libusb_device_handle* handle, int interface) override {
    return libusb_release_interface(handle, interface);
  }
  int BulkTransfer(libusb_device_handle* handle, unsigned char endpoint, unsigned char* data,
                   int length, int* transferred, unsigned int timeout_milliseconds) override {
    return libusb_bulk_transfer(handle, endpoint, data, length, transferred,
                                timeout_milliseconds);
  }
  std::uint64_t Now() override { return bus::MonotonicNanoseconds(); }
};

}  // namespace

LibusbCalls& RealLibusbCalls() {
  static RealCalls calls;
  return calls;
}

}  // namespace ports
