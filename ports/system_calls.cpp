// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/system_calls.h"

#include "bus/port_base.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define PLOVER_HAVE_PORT_INSTRUCTIONS 1
#else
#define PLOVER_HAVE_PORT_INSTRUCTIONS 0
#endif

namespace ports {
namespace {

int Flock(int fd, int operation) {
  int result;
  do {
    result = ::flock(fd, operation);
  } while (result != 0 && errno == EINTR);
  return result;
}

class RealCalls final : public SystemCalls {
 public:
  int Open(const char* path, int flags, mode_t mode) override {
    int fd;
    do {
      fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
  }
  // close(2) is not retried on EINTR: the descriptor is gone either way.
  int Close(int fd) override { return ::close(fd); }
  // Not retried on EINTR: an interrupted claim is how a claim that blocks is bounded.
  int Ioctl(int fd, unsigned long request, void* argument) override {
    return ::ioctl(fd, request, argument);
  }
  int LockNow(int fd) override { return Flock(fd, LOCK_EX | LOCK_NB); }
  int Unlock(int fd) override { return Flock(fd, LOCK_UN); }
#if PLOVER_HAVE_PORT_INSTRUCTIONS
  int Ioperm(unsigned long from, unsigned long count, int turn_on) override {
    return ::ioperm(from, count, turn_on);
  }
  void OutByte(std::uint8_t value, std::uint16_t address) override { ::outb(value, address); }
  std::uint8_t InByte(std::uint16_t address) override { return ::inb(address); }
#else
  int Ioperm(unsigned long, unsigned long, int) override {
    errno = ENOSYS;
    return -1;
  }
  void OutByte(std::uint8_t, std::uint16_t) override {}
  std::uint8_t InByte(std::uint16_t) override { return 0xFF; }
#endif
  std::uint64_t Now() override { return bus::MonotonicNanoseconds(); }
};

}  // namespace

SystemCalls& RealSystemCalls() {
  static RealCalls calls;
  return calls;
}

}  // namespace ports
