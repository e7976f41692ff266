#include "bus/direct_port.h"

#include <cerrno>
#include <cstring>
#include <utility>

#if PLOVER_HAVE_DIRECT_PORT
#include <sys/io.h>
#endif

namespace bus {
namespace {

constexpr int kRegisterCount = 3;  // data, status, control

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

bool ParseDirect(std::string_view argument, PortSpec& spec, std::string& error) {
  spec.address = kDefaultDirectAddress;
  if (argument.empty()) {
    return true;
  }
  if (argument.front() != ':' || argument.find(',') != std::string_view::npos) {
    error = "direct takes no options, only an address: direct:ADDRESS";
    return false;
  }
  argument.remove_prefix(1);
  if (argument.empty()) {
    error = "the address is missing after 'direct:'";
    return false;
  }
  return ParseDirectAddress(argument, spec.address, error);
}

std::unique_ptr<Port> OpenDirect([[maybe_unused]] const PortSpec& spec, std::string& error) {
#if PLOVER_HAVE_DIRECT_PORT
  return DirectPort::Open(spec.address, spec.Text(), error);
#else
  error = "x86 port instructions are not available on this machine; use --port ppdev";
  return nullptr;
#endif
}

constexpr PortParameter kParameters[] = {
    {"ADDRESS", "the data register's I/O address, default 0x378"},
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

#if PLOVER_HAVE_DIRECT_PORT

std::unique_ptr<DirectPort> DirectPort::Open(std::uint16_t address, std::string name,
                                             std::string& error) {
  if (::ioperm(address, kRegisterCount, 1) != 0) {
    const int reason = errno;
    error = std::strerror(reason);
    if (reason == EPERM || reason == EACCES) {
      error += "; direct port access needs root (CAP_SYS_RAWIO): run as root or use --port ppdev";
    } else if (reason == ENOSYS) {
      error += "; this system gives no direct port access (a container, or a kernel without "
               "ioperm): use --port ppdev";
    } else {
      error += "; the kernel refused access to the port's I/O addresses; use --port ppdev";
    }
    return nullptr;
  }
  return std::unique_ptr<DirectPort>(new DirectPort(address, std::move(name)));
}

DirectPort::DirectPort(std::uint16_t address, std::string name)
    : address_(address), name_(std::move(name)), opened_(std::chrono::steady_clock::now()) {}

DirectPort::~DirectPort() { ::ioperm(address_, kRegisterCount, 0); }

void DirectPort::WriteData(std::uint8_t value) { ::outb(value, address_); }

void DirectPort::WriteControl(std::uint8_t value) {
  ::outb(value, static_cast<unsigned short>(address_ + 2));
}

std::uint8_t DirectPort::ReadStatus() { return ::inb(static_cast<unsigned short>(address_ + 1)); }

std::uint64_t DirectPort::NowNanoseconds() const {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                        std::chrono::steady_clock::now() - opened_)
                                        .count());
}

#endif

PortBackend DirectBackend() {
  return {"direct",
          "direct[:ADDRESS]",
          PLOVER_HAVE_DIRECT_PORT ? "x86 port instructions, needs root (CAP_SYS_RAWIO)"
                                  : "x86 port instructions (unavailable: not an x86 machine)",
          PLOVER_HAVE_DIRECT_PORT != 0,
          PortKind::Direct,
          ParseDirect,
          kParameters,
          OpenDirect};
}

}  // namespace bus
