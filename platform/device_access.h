// SPDX-License-Identifier: GPL-3.0-or-later
// What the port backends ask of the system: opening, controlling and locking device files and
// lock files, and the x86 port instructions that reach a parallel port's registers directly.
//
// Every call behaves as the POSIX call it is named after: -1 with errno set on failure. Where the
// system has no such thing (ioctl on Windows, port instructions off x86) the call fails with
// ENOSYS.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// open(2) of a device or lock file with `flags` of <fcntl.h> (O_RDWR, O_CREAT, ...); the
// descriptor is not inherited by programs started, and on Windows is in binary mode.
[[nodiscard]] int OpenDevice(const char* path, int flags, unsigned mode);
int CloseDevice(int fd);
// ioctl(2); not retried on EINTR, so a signal can bound a request that blocks.
int ControlDevice(int fd, unsigned long request, void* argument);
// The exclusive lock of the whole file, taken without waiting: -1 with errno EWOULDBLOCK while
// another open file holds it.
int LockDeviceNow(int fd);
int UnlockDevice(int fd);

// Whether this build can reach I/O ports at all (an x86 machine), and how, in one line for --help.
[[nodiscard]] bool HasPortInstructions();
[[nodiscard]] const char* PortInstructionsMeans();
// Gains (`on`) or gives back access to `count` I/O addresses from `from`: ioperm on Linux, which
// needs root; the InpOut driver's inpoutx64.dll on Windows, loaded from the programs' folder or
// the system folder.
int AllowPortInstructions(unsigned long from, unsigned long count, bool on);
void OutputPortByte(std::uint8_t value, std::uint16_t address);
[[nodiscard]] std::uint8_t InputPortByte(std::uint16_t address);
// Why AllowPortInstructions failed with `reason` (an errno value), and what to do about it.
[[nodiscard]] std::string PortInstructionsFailure(int reason);
// For the list of ports: "you may open it", or what this user lacks for direct port access.
[[nodiscard]] std::string PortInstructionsAccess();
// Whether the system names its parallel ports and their addresses (Linux: /dev/parportN and
// procfs); where it does not, the list offers the usual address.
[[nodiscard]] bool ListsParallelPorts();
// The folder of the lock files that keep our programs apart on one I/O address.
[[nodiscard]] std::string PortLockFolder();

}  // namespace platform
