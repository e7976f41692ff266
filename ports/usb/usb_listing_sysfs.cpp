// SPDX-License-Identifier: GPL-3.0-or-later
// The USB devices as Linux's sysfs shows them, without opening any, and what to do when this user
// may not open a USB programmer: the project's udev rules.
#include "ports/usb/usb_devices.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "ports/device_nodes.h"

namespace ports {

std::vector<UsbDevice> UsbDevicesOf(const SystemRoots& roots, std::uint16_t vendor) {
  const auto hex = [](const std::string& file) {
    return static_cast<std::uint16_t>(std::strtoul(FirstLine(file).c_str(), nullptr, 16));
  };
  std::vector<UsbDevice> devices;
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(roots.sys + "/bus/usb/devices", error)) {
    const std::string where = entry.path().filename().string();
    const std::string folder = entry.path().string() + "/";
    if (where.find(':') != std::string::npos || hex(folder + "idVendor") != vendor) continue;
    char node[32];
    std::snprintf(node, sizeof node, "/bus/usb/%03lu/%03lu",
                  std::strtoul(FirstLine(folder + "busnum").c_str(), nullptr, 10),
                  std::strtoul(FirstLine(folder + "devnum").c_str(), nullptr, 10));
    std::string access = AccessTo(roots.dev + node, "plugdev");
    if (access.starts_with("permission denied")) access = "permission denied: " + UsbPermissionRemedy();
    devices.push_back({where, hex(folder + "idProduct"), FirstLine(folder + "serial"), access});
  }
  std::sort(devices.begin(), devices.end(),
            [](const UsbDevice& a, const UsbDevice& b) { return a.where < b.where; });
  return devices;
}

std::string UsbPermissionRemedy() {
  return "install the project's udev rules (lib/udev/rules.d/70-plover-usb-programmers.rules), "
         "reload them (udevadm control --reload-rules && udevadm trigger), join the plugdev "
         "group (adduser $USER plugdev), log in again and plug it in again, or run as root";
}

}  // namespace ports
