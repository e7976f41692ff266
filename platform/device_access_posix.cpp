// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/device_access.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define PLOVER_HAVE_PORT_INSTRUCTIONS 1
#else
#define PLOVER_HAVE_PORT_INSTRUCTIONS 0
#endif

namespace platform {
namespace {

int Flock(int fd, int operation) {
  int result;
  do {
    result = ::flock(fd, operation);
  } while (result != 0 && errno == EINTR);
  return result;
}

}  // namespace

int OpenDevice(const char* path, int flags, unsigned mode) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, static_cast<mode_t>(mode));
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// close(2) is not retried on EINTR: the descriptor is gone either way.
int CloseDevice(int fd) { return ::close(fd); }

int ControlDevice(int fd, unsigned long request, void* argument) {
  return ::ioctl(fd, request, argument);
}

int LockDeviceNow(int fd) { return Flock(fd, LOCK_EX | LOCK_NB); }

int UnlockDevice(int fd) { return Flock(fd, LOCK_UN); }

bool HasPortInstructions() { return PLOVER_HAVE_PORT_INSTRUCTIONS != 0; }

const char* PortInstructionsMeans() {
  return PLOVER_HAVE_PORT_INSTRUCTIONS ? "x86 port instructions, needs root (CAP_SYS_RAWIO)"
                                       : "x86 port instructions (unavailable: not an x86 machine)";
}

#if PLOVER_HAVE_PORT_INSTRUCTIONS
int AllowPortInstructions(unsigned long from, unsigned long count, bool on) {
  return ::ioperm(from, count, on ? 1 : 0);
}
void OutputPortByte(std::uint8_t value, std::uint16_t address) { ::outb(value, address); }
std::uint8_t InputPortByte(std::uint16_t address) { return ::inb(address); }
#else
int AllowPortInstructions(unsigned long, unsigned long, bool) {
  errno = ENOSYS;
  return -1;
}
void OutputPortByte(std::uint8_t, std::uint16_t) {}
std::uint8_t InputPortByte(std::uint16_t) { return 0xFF; }
#endif

std::string PortInstructionsFailure(int reason) {
  std::string text = std::strerror(reason);
  if (reason == EPERM || reason == EACCES) {
    return text + ". Direct port access needs root (CAP_SYS_RAWIO): run as root or use --port "
                  "ppdev.";
  }
  if (reason == ENOSYS) {
    return text + ". This system gives no direct port access (a container, or a kernel without "
                  "ioperm): use --port ppdev.";
  }
  return text + ". The kernel refused access to the port's I/O addresses; use --port ppdev.";
}

std::string PortInstructionsAccess() {
  return ::geteuid() == 0 ? "you may open it" : "needs root (CAP_SYS_RAWIO)";
}

bool ListsParallelPorts() { return true; }

std::string PortLockFolder() { return "/run/lock"; }

}  // namespace platform
