// SPDX-License-Identifier: GPL-3.0-or-later
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

std::string UsbPortPath(std::uint8_t bus, std::span<const std::uint8_t> ports) {
  if (ports.empty()) return {};
  std::string path = std::to_string(bus);
  for (std::size_t i = 0; i < ports.size(); ++i) {
    path += i == 0 ? '-' : '.';
    path += std::to_string(ports[i]);
  }
  return path;
}

std::string UsbPermissionRemedy() {
  return "install the project's udev rules (lib/udev/rules.d/70-plover-usb-programmers.rules), "
         "reload them (udevadm control --reload-rules && udevadm trigger), join the plugdev "
         "group (adduser $USER plugdev), log in again and plug it in again, or run as root";
}

std::optional<std::size_t> ChooseUsbDevice(std::span<const UsbCandidate> candidates,
                                           const std::string& where, const UsbChoiceWords& words,
                                           std::string& error) {
  error.clear();
  if (where.empty()) {
    if (candidates.size() == 1) return 0;
    if (candidates.empty()) return std::nullopt;
    error = std::to_string(candidates.size()) + " " + std::string(words.plural) +
            " are plugged in (";
    for (std::size_t i = 0; i < candidates.size(); ++i) {
      const UsbCandidate& candidate = candidates[i];
      if (i > 0) error += ", ";
      error += candidate.port_path;
      if (!candidate.label.empty()) error += " " + candidate.label;
      if (!candidate.serial.empty()) error += " serial " + candidate.serial;
    }
    error += "): name one with --port " + std::string(words.backend) + ":WHERE, its USB port path";
    if (words.takes_serial) error += " or serial number";
    return std::nullopt;
  }
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (candidates[i].port_path == where ||
        (words.takes_serial && !candidates[i].serial.empty() && candidates[i].serial == where)) {
      return i;
    }
  }
  return std::nullopt;
}

}  // namespace ports
