// SPDX-License-Identifier: GPL-3.0-or-later
// LibusbCalls: the few libusb-1.0 calls the USB backends make, behind one interface, so tests can
// drive the real backends on a fake chip: one that is absent, in another mode, held by another
// program, or unplugged in the middle of an operation.
//
// Every call behaves as the libusb function of its name and returns what it returns (0 or a
// LIBUSB_ERROR_* value). RealLibusbCalls() makes the calls themselves.
#pragma once

#include <libusb.h>
#include <sys/types.h>

#include <cstdint>

#include "ports/calls_override.h"

namespace ports {

class LibusbCalls {
 public:
  virtual ~LibusbCalls() = default;

  virtual int Init(libusb_context** context) = 0;
  virtual void Exit(libusb_context* context) = 0;
  virtual ssize_t GetDeviceList(libusb_context* context, libusb_device*** list) = 0;
  virtual void FreeDeviceList(libusb_device** list, int unref_devices) = 0;
  virtual int GetDeviceDescriptor(libusb_device* device, libusb_device_descriptor* descriptor) = 0;
  virtual std::uint8_t GetBusNumber(libusb_device* device) = 0;
  virtual int GetPortNumbers(libusb_device* device, std::uint8_t* numbers, int length) = 0;
  virtual int Open(libusb_device* device, libusb_device_handle** handle) = 0;
  virtual void Close(libusb_device_handle* handle) = 0;
  virtual int KernelDriverActive(libusb_device_handle* handle, int interface) = 0;
  virtual int DetachKernelDriver(libusb_device_handle* handle, int interface) = 0;
  virtual int AttachKernelDriver(libusb_device_handle* handle, int interface) = 0;
  virtual int ClaimInterface(libusb_device_handle* handle, int interface) = 0;
  virtual int ReleaseInterface(libusb_device_handle* handle, int interface) = 0;
  virtual int BulkTransfer(libusb_device_handle* handle, unsigned char endpoint,
                           unsigned char* data, int length, int* transferred,
                           unsigned int timeout_milliseconds) = 0;

  // The monotonic clock in nanoseconds: the time base of the USB ports' clocks.
  virtual std::uint64_t Now() = 0;

 protected:
  LibusbCalls() = default;
  LibusbCalls(const LibusbCalls&) = default;
  LibusbCalls& operator=(const LibusbCalls&) = default;
};

// libusb's own calls.
[[nodiscard]] LibusbCalls& RealLibusbCalls();

// The calls the rows of the table open their USB ports with: libusb's own, or, while a test holds
// a LibusbCallsOverride, that test's fake.
inline LibusbCalls& LibusbCallsInUse() {
  return CallsOverride<LibusbCalls>::InUse(RealLibusbCalls());
}

using LibusbCallsOverride = CallsOverride<LibusbCalls>;

}  // namespace ports
