#include "bus/ppdev_port.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace bus {
namespace {

// The usual remedy for a failed open or claim, by the system's error number.
std::string Remedy(int error_number, const std::string& device) {
  switch (error_number) {
    case EACCES:
    case EPERM:
      return "add your user to the 'lp' group (adduser $USER lp) and log in again, or run as root";
    case ENOENT:
      return "load the parport_pc and ppdev modules (modprobe ppdev) or name another port with "
             "--port";
    case ENXIO:
    case ENODEV:
      return "no parallel port behind " + device +
             "; check that the port is enabled in the BIOS setup and that parport_pc is loaded";
    case EBUSY:
      return "another driver holds the port; unload it (e.g. rmmod lp) or close the program "
             "using it";
    case ENOTTY:
    case EINVAL:
      return device + " is not a parallel-port device; name one such as /dev/parport0 with "
                      "--port ppdev:DEVICE";
    case EISDIR:
      return "name a parallel-port device node such as /dev/parport0 with --port ppdev:DEVICE";
    default:
      return "check the device " + device + " or name another port with --port";
  }
}

std::string Failure(const char* step, int error_number, const std::string& device) {
  std::string text = std::strerror(error_number);
  if (step != nullptr) {
    text += " (";
    text += step;
    text += ')';
  }
  return text + "; " + Remedy(error_number, device);
}

bool ParsePpdev(std::string_view argument, PortSpec& spec, std::string& error) {
  spec.device = kDefaultPpdevDevice;
  if (argument.empty()) {
    return true;
  }
  if (argument.front() != ':' || argument.find(',') != std::string_view::npos) {
    error = "ppdev takes no options, only a device: ppdev:DEVICE";
    return false;
  }
  argument.remove_prefix(1);
  if (argument.empty()) {
    error = "the device is missing after 'ppdev:'";
    return false;
  }
  spec.device = std::string(argument);
  return true;
}

std::unique_ptr<Port> OpenPpdev(const PortSpec& spec, std::string& error) {
  return PpdevPort::Open(spec.device, spec.Text(), error);
}

constexpr PortParameter kParameters[] = {
    {"DEVICE", "the device node, default /dev/parport0"},
};

}  // namespace

std::unique_ptr<PpdevPort> PpdevPort::Open(const std::string& device, std::string name,
                                           std::string& error) {
  const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    error = Failure(nullptr, errno, device);
    return nullptr;
  }
  if (::ioctl(fd, PPCLAIM) != 0) {
    const int claim_error = errno;
    ::close(fd);
    error = Failure("claiming the port", claim_error, device);
    return nullptr;
  }
  int mode = IEEE1284_MODE_COMPAT;
  if (::ioctl(fd, PPSETMODE, &mode) != 0) {
    const int mode_error = errno;
    ::ioctl(fd, PPRELEASE);
    ::close(fd);
    error = Failure("setting compatibility mode", mode_error, device);
    return nullptr;
  }
  return std::unique_ptr<PpdevPort>(new PpdevPort(fd, std::move(name)));
}

PpdevPort::PpdevPort(int fd, std::string name)
    : fd_(fd), name_(std::move(name)), opened_(std::chrono::steady_clock::now()) {}

PpdevPort::~PpdevPort() {
  ::ioctl(fd_, PPRELEASE);
  ::close(fd_);
}

// The register requests cannot fail on a claimed port, so their results are not examined.
void PpdevPort::WriteData(std::uint8_t value) {
  unsigned char byte = value;
  ::ioctl(fd_, PPWDATA, &byte);
}

void PpdevPort::WriteControl(std::uint8_t value) {
  unsigned char byte = value;
  ::ioctl(fd_, PPWCONTROL, &byte);
}

std::uint8_t PpdevPort::ReadStatus() {
  unsigned char byte = 0;
  ::ioctl(fd_, PPRSTATUS, &byte);
  return byte;
}

std::uint64_t PpdevPort::NowNanoseconds() const {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                        std::chrono::steady_clock::now() - opened_)
                                        .count());
}

PortBackend PpdevBackend() {
  return {"ppdev",       "ppdev[:DEVICE]", "the Linux parallel-port device (ppdev)",
          true,          PortKind::Ppdev,  ParsePpdev,
          kParameters,   OpenPpdev};
}

}  // namespace bus
