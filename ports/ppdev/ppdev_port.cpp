// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/ppdev/ppdev_port.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "ports/device_nodes.h"
#include "ports/ppdev/ppdev_claim.h"

namespace ports {
namespace {

// The usual remedy for a failed open or claim, by the system's error number.
std::string Remedy(int error_number, const std::string& device) {
  switch (error_number) {
    case EACCES:
    case EPERM:
      return "Add your user to the 'lp' group (adduser $USER lp) and log in again, or run as root.";
    case ENOENT:
      return "Load the parport_pc and ppdev modules (modprobe ppdev) or name another port with "
             "--port.";
    case ENXIO:
    case ENODEV:
      return "No parallel port behind " + device +
             "; check that the port is enabled in the BIOS setup and that parport_pc is loaded.";
    case EBUSY:
      return "Another driver holds the port; unload it (e.g. rmmod lp) or close the program "
             "using it.";
    case ENOTTY:
    case EINVAL:
      return device + " is not a parallel-port device; name one such as /dev/parport0 with "
                      "--port ppdev:DEVICE.";
    case EISDIR:
      return "Name a parallel-port device node such as /dev/parport0 with --port ppdev:DEVICE.";
    default:
      return "Check the device " + device + " or name another port with --port.";
  }
}

std::string Failure(const char* step, int error_number, const std::string& device) {
  std::string text = std::strerror(error_number);
  if (step != nullptr) {
    text += " (";
    text += step;
    text += ')';
  }
  return text + ". " + Remedy(error_number, device);
}

bool ParsePpdev(std::string_view argument, PortSpec& spec, std::string& error) {
  PpdevSettings settings;
  std::optional<std::string_view> device;
  if (!ParseMainAndSpeed(argument, "ppdev", "ppdev[:DEVICE][,khz=N]", "device", spec, device,
                         error)) {
    return false;
  }
  if (device) settings.device = std::string(*device);
  spec.text = "ppdev:" + settings.device + SpeedText(spec);
  spec.device_node = settings.device;
  spec.settings = settings;
  // The port's I/O address, which direct reaches it by too.
  if (const std::string name = ParallelPortName(settings.device); !name.empty()) {
    if (const std::optional<std::uint16_t> address =
            ParallelPortAddress(SystemRootsInUse(), name)) {
      spec.device_kind = "parallel port";
      spec.device_where = std::to_string(*address);
    }
  }
  return true;
}

OpenedPort OpenPpdev(const PortSpec& spec) {
  OpenedPort opened;
  opened.lines = PpdevPort::Open(spec.SettingsAs<PpdevSettings>().device, spec.Text(),
                                 opened.error, SystemCallsInUse());
  return opened;
}

// Every /dev/parportN.
std::vector<ListedPort> FindPpdev(const SystemRoots& roots) {
  std::vector<ListedPort> ports;
  for (const DeviceNode& node : NodesNamed(roots.dev, "parport")) {
    const std::string name = "parport" + std::to_string(node.number);
    ports.push_back({"ppdev:" + node.path, "parallel port " + name, AccessTo(node.path, "lp"), name});
  }
  return ports;
}

constexpr PortParameter kParameters[] = {
    {"DEVICE", "the device node, default /dev/parport0"},
    kSpeedParameter,
};

}  // namespace

std::unique_ptr<PpdevPort> PpdevPort::Open(const std::string& device, std::string name,
                                           std::string& error, SystemCalls& calls,
                                           std::chrono::milliseconds busy_bound) {
  const int fd = calls.Open(device.c_str(), O_RDWR | O_CLOEXEC, 0);
  if (fd < 0) {
    error = Failure(nullptr, errno, device);
    return nullptr;
  }
  std::unique_ptr<PpdevPort> port(new PpdevPort(fd, device, std::move(name), calls, busy_bound));
  bool busy = false;
  if (std::string reason = port->Take(busy); !reason.empty()) {
    error = busy ? "the port is " + reason : reason;
    return nullptr;
  }
  port->Give();
  return port;
}

PpdevPort::PpdevPort(int fd, std::string device, std::string name, SystemCalls& calls,
                     std::chrono::milliseconds busy_bound)
    : fd_(fd),
      device_(std::move(device)),
      name_(std::move(name)),
      calls_(calls),
      busy_bound_(busy_bound),
      clock_(calls) {}

PpdevPort::~PpdevPort() {
  if (held_) Give();
  calls_.Close(fd_);
}

std::string PpdevPort::Take(bool& busy) {
  int error = 0;
  const std::uint64_t started = bus::MonotonicNanoseconds();
  switch (LockWithin(calls_, fd_, busy_bound_, error)) {
    case PortWait::Taken:
      break;
    case PortWait::Busy:
      busy = true;
      return InUseReason(busy_bound_);
    case PortWait::Failed:
      return Failure("locking the port", error, device_);
  }
  // The claim gets what is left of the bound.
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::nanoseconds(bus::MonotonicNanoseconds() - started));
  const auto left = waited < busy_bound_ ? busy_bound_ - waited : std::chrono::milliseconds(1);
  switch (BlockingIoctlWithin(calls_, fd_, PPCLAIM, left, error)) {
    case PortWait::Taken:
      break;
    case PortWait::Busy:
      calls_.Unlock(fd_);
      busy = true;
      return InUseReason(busy_bound_);
    case PortWait::Failed:
      calls_.Unlock(fd_);
      return Failure("claiming the port", error, device_);
  }
  int mode = IEEE1284_MODE_COMPAT;
  if (calls_.Ioctl(fd_, PPSETMODE, &mode) != 0) {
    const int mode_error = errno;
    calls_.Ioctl(fd_, PPRELEASE, nullptr);
    calls_.Unlock(fd_);
    return Failure("setting compatibility mode", mode_error, device_);
  }
  held_ = true;
  return {};
}

void PpdevPort::Give() {
  calls_.Ioctl(fd_, PPRELEASE, nullptr);
  calls_.Unlock(fd_);
  held_ = false;
}

bus::BusResult PpdevPort::Acquire() {
  if (held_) return bus::BusResult::Success();
  bool busy = false;
  if (std::string reason = Take(busy); !reason.empty()) {
    return bus::BusResult::PortFailure(busy ? "port " + name_ + " is " + reason
                                       : "cannot claim port " + name_ + ": " + reason);
  }
  return bus::BusResult::Success();
}

void PpdevPort::Release() {
  if (held_) Give();
}

// The register requests cannot fail on a claimed port, so their results are not examined.
void PpdevPort::WriteData(std::uint8_t value) {
  unsigned char byte = value;
  calls_.Ioctl(fd_, PPWDATA, &byte);
}

void PpdevPort::WriteControl(std::uint8_t value) {
  unsigned char byte = value;
  calls_.Ioctl(fd_, PPWCONTROL, &byte);
}

std::uint8_t PpdevPort::ReadStatus() {
  unsigned char byte = 0;
  calls_.Ioctl(fd_, PPRSTATUS, &byte);
  return byte;
}

std::uint64_t PpdevPort::NowNanoseconds() const { return clock_.Nanoseconds(); }

void PpdevPort::WaitUntil(std::uint64_t nanoseconds) { clock_.WaitUntil(nanoseconds); }

const PortBackend& PpdevBackend() {
  static const PortBackend backend{
      .name = "ppdev",
      .form = "ppdev[:DEVICE][,khz=N]",
      .description = "the Linux parallel-port device (ppdev)",
      .available = true,
      .access = PortAccess::Lines,
      .parse = ParsePpdev,
      .parameters = kParameters,
      .open = OpenPpdev,
      .find = FindPpdev,
      .none_found = "No parallel port: there is no /dev/parport*; load the drivers (modprobe "
                    "parport_pc ppdev) if the machine has one.",
      .example = "ppdev:/dev/parport3",
  };
  return backend;
}

}  // namespace ports
