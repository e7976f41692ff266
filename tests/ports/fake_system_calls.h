// SPDX-License-Identifier: GPL-3.0-or-later
// A fake system under the hardware backends: it records every call as a line of text and answers
// as a test scripts it, down to a claim that blocks until a signal and a lock another program
// holds. Opening and locking real files can be passed through to the system, so two backends
// in one test really contend for one lock.
#pragma once

#include <cerrno>
#include <map>
#include <string>
#include <vector>

#include "ports/system_calls.h"

namespace ports_test {

class FakeSystemCalls : public ports::SystemCalls {
 public:
  int Open(const char* path, int flags, mode_t mode) override;
  int Close(int fd) override;
  int Ioctl(int fd, unsigned long request, void* argument) override;
  int LockNow(int fd) override;
  int Unlock(int fd) override;
  int Ioperm(unsigned long from, unsigned long count, int turn_on) override;
  void OutByte(std::uint8_t value, std::uint16_t address) override;
  std::uint8_t InByte(std::uint16_t address) override;
  std::uint64_t Now() override { return now += 1000; }  // 1 us passes at every look

  std::vector<std::string> calls;          // "open /dev/parport0", "ioctl PPCLAIM", ...
  std::map<std::string, int> fail;         // a call's name ("open", "PPCLAIM", "ioperm") -> errno
  bool lock_held_elsewhere = false;        // every flock(LOCK_EX | LOCK_NB) finds the lock taken
  bool claim_blocks = false;               // PPCLAIM blocks until a signal interrupts it
  bool real_files = false;                 // open, close and flock act on real files
  std::uint8_t status = 0x7F;              // what status reads and inb return (an I2C adapter
                                           // offers plain transfers, and every one passes)
  std::uint64_t now = 0;                   // the clock, in nanoseconds

  // The calls since the last Take, and forget them.
  std::vector<std::string> Take();
};

}  // namespace ports_test
