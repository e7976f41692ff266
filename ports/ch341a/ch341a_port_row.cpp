// SPDX-License-Identifier: GPL-3.0-or-later
// The ch341a row of the backend table: what `ch341a[:WHERE][,khz=N]` names, how it opens, and the
// CH341A programmers sysfs shows on this machine.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ports/ch341a/ch341a_port.h"
#include "ports/device_nodes.h"
#include "ports/usb/usb_devices.h"

namespace ports {
namespace {

constexpr unsigned kSpeeds[] = {20, 100, 400, 750};

bool Digits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "1-2" or "1-2.3.4": a bus number, a dash, then port numbers joined by dots, as sysfs names it.
bool IsPortPath(std::string_view text) {
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos || !Digits(text.substr(0, dash))) return false;
  std::string_view ports = text.substr(dash + 1);
  for (;;) {
    const std::size_t dot = ports.find('.');
    if (!Digits(ports.substr(0, dot))) return false;
    if (dot == std::string_view::npos) return true;
    ports.remove_prefix(dot + 1);
  }
}

bool ParseSpeed(std::string_view option, unsigned& khz, std::string& error) {
  for (const unsigned speed : kSpeeds) {
    if (option == "khz=" + std::to_string(speed)) {
      khz = speed;
      return true;
    }
  }
  error = option.starts_with("khz=")
              ? std::string(option) + " is not a CH341A bus speed: khz=20, 100, 400 or 750"
              : "ch341a takes one option, khz=20|100|400|750: ch341a[:WHERE][,khz=N]";
  return false;
}

bool ParseCh341a(std::string_view argument, PortSpec& spec, std::string& error) {
  const PortArgument split = SplitPortArgument(argument);
  Ch341aSettings settings;
  if (split.main) {
    if (split.main->empty()) {
      error = "the USB port path is missing after ch341a: (name one such as 1-2.3, or leave "
              "out the ':' for the only programmer plugged in)";
      return false;
    }
    if (!IsPortPath(*split.main)) {
      error = std::string(*split.main)
                  .append(" is not a USB port path: ch341a:WHERE takes one such as 1-2 or "
                          "1-2.3, as lsusb -t and --list-ports show it");
      return false;
    }
    settings.where = *split.main;
  }
  for (const std::string_view option : split.options) {
    if (!ParseSpeed(option, settings.khz, error)) return false;
  }
  spec.text = "ch341a";
  if (!settings.where.empty()) spec.text.append(":").append(settings.where);
  if (settings.khz != 100) spec.text.append(",khz=").append(std::to_string(settings.khz));
  spec.settings = settings;
  spec.device_kind = "CH341A";
  spec.device_where = settings.where;
  return true;
}

OpenedPort OpenCh341a(const PortSpec& spec) {
  OpenedPort opened;
  opened.adapter = Ch341aAdapter::Open(spec.SettingsAs<Ch341aSettings>(), spec.Text(),
                                       opened.error, LibusbCallsInUse());
  return opened;
}

// Every CH341A sysfs shows, in either mode, by its USB port path.
std::vector<ListedPort> FindCh341a(const SystemRoots& roots) {
  std::vector<ListedPort> ports;
  for (const UsbDevice& device : UsbDevicesOf(roots, kCh341aVendor)) {
    if (device.product != kCh341aI2cProduct && device.product != kCh341aSerialProduct) continue;
    const bool serial = device.product == kCh341aSerialProduct;
    ports.push_back({"ch341a:" + device.where,
                     serial ? "CH341A in its serial mode (USB 1a86:5523)"
                            : "CH341A USB programmer (USB 1a86:5512)",
                     serial ? "not usable in its serial mode: set the mode jumper to I2C/SPI"
                            : device.access,
                     "usb " + device.where});
  }
  return ports;
}

constexpr PortParameter kParameters[] = {
    {"WHERE", "USB port path (1-2.3, as lsusb -t shows it); needed with several"},
    {"khz=20|100|400|750", "bus speed: 100 (default), 20, 400; 750 is above a 24C01's 400"},
};

}  // namespace

const PortBackend& Ch341aBackend() {
  static const PortBackend backend{
      .name = "ch341a",
      .form = "ch341a[:WHERE][,khz=N]",
      .description = "a CH341A USB programmer in its I2C/SPI mode, through libusb",
      .available = true,
      .access = PortAccess::Messages,
      .parse = ParseCh341a,
      .parameters = kParameters,
      .open = OpenCh341a,
      .find = FindCh341a,
      .none_found = "No CH341A programmer: plug one in with its mode jumper at I2C/SPI; check "
                    "with lsusb (USB 1a86:5512).",
      .example = "ch341a",
  };
  return backend;
}

}  // namespace ports
