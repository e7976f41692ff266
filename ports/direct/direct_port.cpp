// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/direct/direct_port.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "ports/device_nodes.h"

namespace ports {
namespace {

constexpr int kRegisterCount = 3;  // data, status, control
constexpr std::uint16_t kStatusOffset = 1;
constexpr std::uint16_t kControlOffset = 2;

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

std::string TextOf(std::uint16_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "direct:0x%x", static_cast<unsigned>(address));
  return text;
}

bool ParseDirect(std::string_view argument, PortSpec& spec, std::string& error) {
  DirectSettings settings;
  std::optional<std::string_view> address;
  if (!ParseMainAndSpeed(argument, "direct", "direct[:ADDRESS][,khz=N]", "address", spec, address,
                         error)) {
    return false;
  }
  if (address && !ParseDirectAddress(*address, settings.address, error)) return false;
  spec.text = TextOf(settings.address) + SpeedText(spec);
  spec.settings = settings;
  spec.device_kind = "parallel port";
  spec.device_where = std::to_string(settings.address);
  return true;
}

OpenedPort OpenDirect(const PortSpec& spec) {
  OpenedPort opened;
  opened.lines =
      DirectPort::Open(spec.SettingsAs<DirectSettings>().address, spec.Text(), opened.error,
                       SystemCallsInUse());
  return opened;
}

// The registers of every /dev/parportN whose address the kernel gives, when this backend takes it;
// where the system names no parallel ports, the usual address, and whether InpOut is there.
std::vector<ListedPort> FindDirect(const SystemRoots& roots) {
  std::vector<ListedPort> ports;
  if (!platform::ListsParallelPorts()) {
    ports.push_back({TextOf(kDefaultDirectAddress),
                     "the first parallel port (LPT1), through InpOut",
                     platform::PortInstructionsAccess(), "lpt1"});
    return ports;
  }
  for (const DeviceNode& node : NodesNamed(roots.dev, "parport")) {
    const std::string name = "parport" + std::to_string(node.number);
    const std::optional<std::uint16_t> address = ParallelPortAddress(roots, name);
    if (!address) continue;
    char spec[32];
    std::snprintf(spec, sizeof spec, "direct:0x%x", static_cast<unsigned>(*address));
    ports.push_back({spec, "the registers of " + name + ", by port instructions",
                     platform::PortInstructionsAccess(), name});
  }
  return ports;
}

constexpr PortParameter kParameters[] = {
    {"ADDRESS", "the data register's I/O address, default 0x378"},
    kSpeedParameter,
};

}  // namespace

bool ParseDirectAddress(std::string_view text, std::uint16_t& address, std::string& error) {
  std::string_view digits = text;
  int base = 10;
  if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  std::uint32_t value = 0;
  bool valid = !digits.empty();
  for (const char c : digits) {
    const int digit = DigitValue(c);
    if (digit >= base) {
      valid = false;
      break;
    }
    value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    if (value > kHighestDirectAddress) {
      error = "the address '" + std::string(text) + "' is above 0xFFFD";
      return false;
    }
  }
  if (!valid) {
    error = "the address '" + std::string(text) +
            "' is not a number (hexadecimal 0x378 or decimal 888)";
    return false;
  }
  address = static_cast<std::uint16_t>(value);
  return true;
}

std::string DirectLockFile(const std::string& folder, std::uint16_t address) {
  char name[40];
  std::snprintf(name, sizeof name, "/plover-direct-0x%x.lock", static_cast<unsigned>(address));
  return folder + name;
}

std::unique_ptr<DirectPort> DirectPort::Open(std::uint16_t address, std::string name,
                                             std::string& error, SystemCalls& calls,
                                             const std::string& lock_folder,
                                             std::chrono::milliseconds busy_bound) {
  if (calls.Ioperm(address, kRegisterCount, 1) != 0) {
    error = platform::PortInstructionsFailure(errno);
    return nullptr;
  }
  const std::string lock_file = DirectLockFile(lock_folder, address);
  const int lock_fd = calls.Open(lock_file.c_str(), O_RDWR | O_CREAT, 0666);
  if (lock_fd < 0) {
    error = std::string(std::strerror(errno)) + " (opening the lock file " + lock_file +
            "). Direct access needs a writable " + lock_folder +
            ": run as root or use --port ppdev.";
    calls.Ioperm(address, kRegisterCount, 0);
    return nullptr;
  }
  return std::unique_ptr<DirectPort>(
      new DirectPort(address, std::move(name), lock_fd, calls, busy_bound));
}

DirectPort::DirectPort(std::uint16_t address, std::string name, int lock_fd, SystemCalls& calls,
                       std::chrono::milliseconds busy_bound)
    : address_(address),
      name_(std::move(name)),
      lock_fd_(lock_fd),
      calls_(calls),
      lock_(calls, lock_fd, busy_bound),
      clock_(calls) {}

DirectPort::~DirectPort() {
  Release();
  calls_.Close(lock_fd_);
  calls_.Ioperm(address_, kRegisterCount, 0);
}

bus::BusResult DirectPort::Acquire() { return lock_.Take(name_); }

void DirectPort::Release() { lock_.Give(); }

void DirectPort::WriteData(std::uint8_t value) { calls_.OutByte(value, address_); }

void DirectPort::WriteControl(std::uint8_t value) {
  calls_.OutByte(value, static_cast<std::uint16_t>(address_ + kControlOffset));
}

std::uint8_t DirectPort::ReadStatus() {
  return calls_.InByte(static_cast<std::uint16_t>(address_ + kStatusOffset));
}

std::uint64_t DirectPort::NowNanoseconds() const { return clock_.Nanoseconds(); }

void DirectPort::WaitUntil(std::uint64_t nanoseconds) { clock_.WaitUntil(nanoseconds); }

const PortBackend& DirectBackend() {
  static const PortBackend backend{
      .name = "direct",
      .form = "direct[:ADDRESS][,khz=N]",
      .description = platform::PortInstructionsMeans(),
      .available = platform::HasPortInstructions(),
      .access = PortAccess::Lines,
      .parse = ParseDirect,
      .parameters = kParameters,
      .open = OpenDirect,
      .find = FindDirect,
      .none_found = {},  // the parallel ports' own row says how to get one
      .example = "direct:0x278",
  };
  return backend;
}

}  // namespace ports
