// SPDX-License-Identifier: GPL-3.0-or-later
// SystemCalls: the few calls to the operating system that the hardware backends make, behind one
// interface, so tests can drive the real backends on a fake system: a ppdev claim that blocks, a
// lock that another program holds, an I2C adapter that refuses a transfer or disappears.
//
// Every call behaves as the system call of its name: -1 (or a negative value) with errno set on
// failure. RealSystemCalls() makes the calls themselves.
#pragma once

#include <sys/types.h>

#include <cstdint>

#include "ports/calls_override.h"

namespace ports {

class SystemCalls {
 public:
  virtual ~SystemCalls() = default;

  virtual int Open(const char* path, int flags, mode_t mode) = 0;
  virtual int Close(int fd) = 0;
  virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
  // The exclusive lock of the whole file, taken without waiting (flock with LOCK_EX | LOCK_NB):
  // -1 with errno EWOULDBLOCK while another open file holds it.
  virtual int LockNow(int fd) = 0;
  // Gives that lock back (flock with LOCK_UN).
  virtual int Unlock(int fd) = 0;

  // x86 port input and output (only where they exist).
  virtual int Ioperm(unsigned long from, unsigned long count, int turn_on) = 0;
  virtual void OutByte(std::uint8_t value, std::uint16_t address) = 0;
  virtual std::uint8_t InByte(std::uint16_t address) = 0;

  // The monotonic clock in nanoseconds: the time base of the hardware ports' clocks.
  virtual std::uint64_t Now() = 0;

 protected:
  SystemCalls() = default;
  SystemCalls(const SystemCalls&) = default;
  SystemCalls& operator=(const SystemCalls&) = default;
};

// The operating system's own calls.
[[nodiscard]] SystemCalls& RealSystemCalls();

// The calls the rows of the table open their ports with: the system's own, or, while a test holds
// a SystemCallsOverride, that test's fake, so every row can be driven on a fake system.
inline SystemCalls& SystemCallsInUse() {
  return CallsOverride<SystemCalls>::InUse(RealSystemCalls());
}

using SystemCallsOverride = CallsOverride<SystemCalls>;

}  // namespace ports
