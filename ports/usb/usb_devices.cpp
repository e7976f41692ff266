// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/usb/usb_devices.h"

#include <algorithm>

namespace ports {

std::string UsbPortPath(std::uint8_t bus, std::span<const std::uint8_t> ports) {
  if (ports.empty()) return {};
  std::string path = std::to_string(bus);
  for (std::size_t i = 0; i < ports.size(); ++i) {
    path += i == 0 ? '-' : '.';
    path += std::to_string(ports[i]);
  }
  return path;
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
