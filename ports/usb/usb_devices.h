// SPDX-License-Identifier: GPL-3.0-or-later
// What every USB bridge backend shares: the devices sysfs shows (for --list-ports), the USB port
// path of a device, the choice of the device WHERE names (or of the only one), and the remedy
// when this user may not open it. A new USB bridge uses these as the CH341A and FTDI ones do.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ports/port_spec.h"

namespace ports {

// A USB device as sysfs shows it under <sys>/bus/usb/devices.
struct UsbDevice {
  std::string where;          // its USB port path, "1-2.3": the same after a replug in one socket
  std::uint16_t product = 0;  // idProduct
  std::string serial;         // empty when it has none
  std::string access;         // "you may open it", or why not: the project's udev rules and plugdev
};

// Every USB device of `vendor` (not its interfaces), in the order of their port paths.
[[nodiscard]] std::vector<UsbDevice> UsbDevicesOf(const SystemRoots& roots, std::uint16_t vendor);

// The USB port path as sysfs names the device: the bus number, a dash, then the hub ports joined
// by dots ("1-2.3"); empty for a root hub, which has no port.
[[nodiscard]] std::string UsbPortPath(std::uint8_t bus, std::span<const std::uint8_t> ports);

// What to do when this user may not open a USB programmer.
[[nodiscard]] std::string UsbPermissionRemedy();

// A device a bridge could open.
struct UsbCandidate {
  std::string port_path;
  std::string serial;  // empty where the chip has none
  std::string label;   // how the list of several shows it after its port path ("FT232H")
};

// The words a bridge chooses its device with.
struct UsbChoiceWords {
  std::string_view backend;  // "ch341a", as in --port
  std::string_view plural;   // "CH341A programmers"
  bool takes_serial;         // WHERE may be the serial number
};

// The candidate WHERE names by its port path (or, where the bridge takes it, its serial number),
// or the only one when WHERE is empty. Nothing when none matches (`error` empty: the caller says
// why in its own words) or when several are plugged in and no WHERE is given (`error` lists them).
[[nodiscard]] std::optional<std::size_t> ChooseUsbDevice(std::span<const UsbCandidate> candidates,
                                                        const std::string& where,
                                                        const UsbChoiceWords& words,
                                                        std::string& error);

}  // namespace ports
