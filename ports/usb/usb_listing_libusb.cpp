// SPDX-License-Identifier: GPL-3.0-or-later
// The USB devices as libusb lists them, where the system has no sysfs to read (Windows): whether
// this user may open one is learnt by opening it, which works only once the WinUSB driver is bound
// to the device; and the remedy when it is not.
#include "ports/usb/usb_devices.h"

#include <algorithm>
#include <cstdint>

#include "ports/usb/libusb_calls.h"

namespace ports {

std::vector<UsbDevice> UsbDevicesOf(const SystemRoots&, std::uint16_t vendor) {
  std::vector<UsbDevice> devices;
  LibusbCalls& calls = LibusbCallsInUse();
  libusb_context* context = nullptr;
  if (calls.Init(&context) != 0) return devices;
  libusb_device** list = nullptr;
  const ssize_t count = calls.GetDeviceList(context, &list);
  for (ssize_t i = 0; i < count; ++i) {
    libusb_device_descriptor descriptor{};
    if (calls.GetDeviceDescriptor(list[i], &descriptor) != 0) continue;
    if (descriptor.idVendor != vendor) continue;
    std::uint8_t numbers[8];
    const int depth = calls.GetPortNumbers(list[i], numbers, static_cast<int>(sizeof numbers));
    const std::string where = UsbPortPath(
        calls.GetBusNumber(list[i]), std::span<const std::uint8_t>(numbers, depth > 0 ? depth : 0));
    libusb_device_handle* handle = nullptr;
    const int opened = calls.Open(list[i], &handle);
    std::string access = "you may open it";
    if (opened == 0) {
      calls.Close(handle);
    } else if (opened == LIBUSB_ERROR_ACCESS || opened == LIBUSB_ERROR_NOT_SUPPORTED) {
      access = "no WinUSB driver: " + UsbPermissionRemedy();
    } else {
      access = libusb_strerror(opened);
    }
    devices.push_back({where, descriptor.idProduct, {}, access});
  }
  if (count >= 0) calls.FreeDeviceList(list, 1);
  calls.Exit(context);
  std::sort(devices.begin(), devices.end(),
            [](const UsbDevice& a, const UsbDevice& b) { return a.where < b.where; });
  return devices;
}

std::string UsbPermissionRemedy() {
  return "bind the WinUSB driver to it once with Zadig (Options > List All Devices, choose the "
         "programmer, WinUSB, Replace Driver), then plug it in again; the README says how to go "
         "back to the maker's driver";
}

}  // namespace ports
