// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ports/fake_system_calls.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

namespace ports_test {
namespace {

constexpr int kFakeFd = 42;

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02x", value);
  return text;
}

std::string RequestName(unsigned long request) {
  switch (request) {
    case PPCLAIM: return "PPCLAIM";
    case PPRELEASE: return "PPRELEASE";
    case PPSETMODE: return "PPSETMODE";
    case PPWDATA: return "PPWDATA";
    case PPWCONTROL: return "PPWCONTROL";
    case PPRSTATUS: return "PPRSTATUS";
    case I2C_FUNCS: return "I2C_FUNCS";
    case I2C_RDWR: return "I2C_RDWR";
    default: return "ioctl " + std::to_string(request);
  }
}

// -1 with errno set when a failure is scripted for `name`.
bool Failing(const std::map<std::string, int>& fail, const std::string& name) {
  const auto found = fail.find(name);
  if (found == fail.end()) return false;
  errno = found->second;
  return true;
}

}  // namespace

int FakeSystemCalls::Open(const char* path, int flags, mode_t mode) {
  calls.push_back(std::string("open ") + path);
  if (Failing(fail, "open")) return -1;
  return real_files ? ::open(path, flags, mode) : kFakeFd;
}

int FakeSystemCalls::Close(int fd) {
  calls.push_back("close");
  return real_files ? ::close(fd) : 0;
}

int FakeSystemCalls::Ioctl(int, unsigned long request, void* argument) {
  const std::string name = RequestName(request);
  std::string line = "ioctl " + name;
  if (request == PPSETMODE) line += " " + std::to_string(*static_cast<int*>(argument));
  if (request == PPWDATA || request == PPWCONTROL) {
    line += " " + Hex(*static_cast<unsigned char*>(argument));
  }
  if (request == I2C_FUNCS) *static_cast<unsigned long*>(argument) = I2C_FUNC_I2C;
  if (request == PPRSTATUS) {
    *static_cast<unsigned char*>(argument) = status;
    line += " -> " + Hex(status);
  }
  calls.push_back(line);
  if (request == PPCLAIM && claim_blocks) {
    ::ppoll(nullptr, 0, nullptr, nullptr);  // returns once a signal has been handled
    calls.push_back("ioctl PPCLAIM interrupted");
    errno = EINTR;
    return -1;
  }
  if (Failing(fail, name)) return -1;
  return 0;
}

int FakeSystemCalls::LockNow(int fd) {
  calls.push_back("flock exclusive");
  if (lock_held_elsewhere) {
    errno = EWOULDBLOCK;
    return -1;
  }
  if (Failing(fail, "flock")) return -1;
  return real_files ? ::flock(fd, LOCK_EX | LOCK_NB) : 0;
}

int FakeSystemCalls::Unlock(int fd) {
  calls.push_back("flock unlock");
  if (Failing(fail, "flock")) return -1;
  return real_files ? ::flock(fd, LOCK_UN) : 0;
}

int FakeSystemCalls::Ioperm(unsigned long from, unsigned long count, int turn_on) {
  calls.push_back("ioperm " + Hex(static_cast<unsigned>(from)) + " " + std::to_string(count) +
                  (turn_on != 0 ? " on" : " off"));
  if (turn_on != 0 && Failing(fail, "ioperm")) return -1;
  return 0;
}

void FakeSystemCalls::OutByte(std::uint8_t value, std::uint16_t address) {
  calls.push_back("outb " + Hex(value) + " " + Hex(address));
}

std::uint8_t FakeSystemCalls::InByte(std::uint16_t address) {
  calls.push_back("inb " + Hex(address) + " -> " + Hex(status));
  return status;
}

std::vector<std::string> FakeSystemCalls::Take() { return std::exchange(calls, {}); }

}  // namespace ports_test
