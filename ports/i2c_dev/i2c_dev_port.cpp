// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/i2c_dev/i2c_dev_port.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <utility>
#include <vector>

#include "ports/device_nodes.h"

namespace ports {
namespace {

constexpr std::string_view kNodePrefix = "/dev/i2c-";

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The usual remedy for a device node that could not be opened.
std::string OpenRemedy(int error_number, const std::string& device) {
  switch (error_number) {
    case ENOENT:
      return "There is no " + device +
             ": load the i2c-dev module (modprobe i2c-dev), check that the adapter is plugged "
             "in, and see --list-ports for the adapters this machine has.";
    case EACCES:
    case EPERM:
      return "Add your user to the 'i2c' group that Debian's i2c-tools sets up (adduser $USER "
             "i2c) and log in again, or run as root.";
    case ENODEV:
    case ENXIO:
      return "The adapter behind " + device + " has gone; plug it in again.";
    case EISDIR:
      return device + " is a folder; name an I2C adapter such as /dev/i2c-1 with --port "
                      "i2c:DEVICE.";
    default:
      return "Check the device " + device + " or name another adapter with --port i2c:DEVICE.";
  }
}

// What to do when the adapter failed a transfer, by the system's error number.
std::string TransferAdvice(int error_number) {
  switch (error_number) {
    case ENODEV:
    case ESHUTDOWN:
      return "Check that the adapter is still plugged in, then try again.";
    case EAGAIN:
    case EBUSY:
      return "The adapter stayed busy for the 100 ms the programs wait; let whatever else uses "
             "its bus finish, then try again.";
    case EOPNOTSUPP:
    case EINVAL:
    case EMSGSIZE:
      return "The adapter's driver refused the transfer as one it cannot make; use another "
             "adapter (--list-ports shows them).";
    default:
      return "Check the adapter and its wires, then try again; dmesg shows what its driver "
             "reported.";
  }
}

std::string NotAnAdapter(const std::string& device) {
  return device + " is not an I2C adapter device; name one such as /dev/i2c-1 with --port "
                  "i2c:DEVICE (--list-ports shows them).";
}

bool ParseI2c(std::string_view argument, PortSpec& spec, std::string& error) {
  const PortArgument split = SplitPortArgument(argument);
  if (!split.options.empty()) {
    error = "i2c takes no options, only a device: i2c:DEVICE";
    return false;
  }
  if (!split.main || split.main->empty()) {
    error = "the adapter is missing: i2c:DEVICE, a device node such as /dev/i2c-1 or its bus "
            "number 1";
    return false;
  }
  I2cSettings settings{I2cDeviceNode(*split.main)};
  spec.text = "i2c:" + settings.device;
  spec.device_node = settings.device;
  spec.settings = settings;
  return true;
}

OpenedPort OpenI2c(const PortSpec& spec) {
  OpenedPort opened;
  opened.adapter =
      I2cDevAdapter::Open(spec.SettingsAs<I2cSettings>().device, spec.Text(), opened.error,
                          SystemCallsInUse());
  return opened;
}

// Every /dev/i2c-N, named as sysfs names its adapter.
std::vector<ListedPort> FindI2c(const SystemRoots& roots) {
  std::vector<ListedPort> ports;
  for (const DeviceNode& node : NodesNamed(roots.dev, "i2c-")) {
    std::string name = I2cAdapterName(node.path, roots.sys);
    if (name.empty()) name = "I2C adapter " + std::to_string(node.number);
    ports.push_back({"i2c:" + node.path, name, AccessTo(node.path, "i2c"),
                     "i2c-" + std::to_string(node.number)});
  }
  return ports;
}

constexpr PortParameter kParameters[] = {
    {"DEVICE", "device node (/dev/i2c-1) or bus number (1)"},
};

}  // namespace

std::string I2cDeviceNode(std::string_view argument) {
  if (!AllDigits(argument)) return std::string(argument);
  // A bus number is its digits' value, as every number of --port: 007 is bus 7.
  const std::size_t first = std::min(argument.find_first_not_of('0'), argument.size() - 1);
  return std::string(kNodePrefix) + std::string(argument.substr(first));
}

std::string I2cAdapterName(const std::string& device, const std::string& sysfs_root) {
  const std::size_t slash = device.rfind('/');
  const std::string node = device.substr(slash == std::string::npos ? 0 : slash + 1);
  if (!node.starts_with("i2c-")) return {};
  std::ifstream in(sysfs_root + "/class/i2c-dev/" + node + "/name");
  std::string name;
  std::getline(in, name);
  return name;
}

std::unique_ptr<I2cDevAdapter> I2cDevAdapter::Open(const std::string& device, std::string name,
                                                   std::string& error, SystemCalls& calls,
                                                   const std::string& sysfs_root,
                                                   std::chrono::milliseconds busy_bound) {
  const int fd = calls.Open(device.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK, 0);
  if (fd < 0) {
    const int reason = errno;
    error = std::string(std::strerror(reason)) + ". " + OpenRemedy(reason, device);
    return nullptr;
  }
  unsigned long functions = 0;
  if (calls.Ioctl(fd, I2C_FUNCS, &functions) != 0) {
    const int reason = errno;
    calls.Close(fd);
    error = std::string(std::strerror(reason)) + " (asking the adapter what it can do). " +
            (reason == ENOTTY || reason == EINVAL ? NotAnAdapter(device)
                                                  : OpenRemedy(reason, device));
    return nullptr;
  }
  if ((functions & I2C_FUNC_I2C) == 0) {
    calls.Close(fd);
    const std::string adapter = I2cAdapterName(device, sysfs_root);
    error = "the adapter " + (adapter.empty() ? device : "'" + adapter + "' (" + device + ")") +
            " makes only SMBus transfers, and the EEPROM's sequential read and write polling "
            "need plain I2C messages; use an adapter that offers them (--list-ports)";
    return nullptr;
  }
  return std::unique_ptr<I2cDevAdapter>(new I2cDevAdapter(fd, std::move(name), calls, busy_bound));
}

I2cDevAdapter::I2cDevAdapter(int fd, std::string name, SystemCalls& calls,
                             std::chrono::milliseconds busy_bound)
    : fd_(fd),
      name_(std::move(name)),
      calls_(calls),
      lock_(calls, fd, busy_bound),
      opened_(calls.Now()) {}

I2cDevAdapter::~I2cDevAdapter() {
  Release();
  calls_.Close(fd_);
}

int I2cDevAdapter::Transfer(std::span<bus::I2cMessage> messages) {
  std::vector<i2c_msg> kernel_messages;
  kernel_messages.reserve(messages.size());
  for (const bus::I2cMessage& message : messages) {
    i2c_msg kernel{};
    kernel.addr = message.address;
    kernel.flags = message.read ? I2C_M_RD : 0;
    kernel.len = static_cast<__u16>(message.data.size());
    kernel.buf = message.data.data();
    kernel_messages.push_back(kernel);
  }
  i2c_rdwr_ioctl_data request{kernel_messages.data(),
                              static_cast<__u32>(kernel_messages.size())};
  for (;;) {
    if (calls_.Ioctl(fd_, I2C_RDWR, &request) >= 0) return 0;
    if (errno != EINTR) return errno;
  }
}

std::uint64_t I2cDevAdapter::NowNanoseconds() const { return calls_.Now() - opened_; }

bus::BusResult I2cDevAdapter::Acquire() { return lock_.Take(name_); }

void I2cDevAdapter::Release() { lock_.Give(); }

std::string I2cDevAdapter::Remedy(const bus::BusResult& result) const {
  if (result.fault == bus::BusFault::PortFailed) return TransferAdvice(result.error_number);
  return "Check the adapter's wires to the EEPROM (SDA to pin 5, SCL to pin 6, GND to pin 4), "
         "that the board is powered, and that the adapter's I/O voltage matches the board's.";
}

const PortBackend& I2cBackend() {
  static const PortBackend backend{
      .name = "i2c",
      .form = "i2c:DEVICE",
      .description = "an I2C adapter through the Linux i2c-dev interface",
      .available = true,
      .access = PortAccess::Messages,
      .parse = ParseI2c,
      .parameters = kParameters,
      .open = OpenI2c,
      .find = FindI2c,
      .none_found = "No I2C adapter: there is no /dev/i2c-*; plug one in and load the i2c-dev "
                    "module (modprobe i2c-dev).",
      .example = "i2c:7",
  };
  return backend;
}

}  // namespace ports
