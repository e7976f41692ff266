// SPDX-License-Identifier: GPL-3.0-or-later
// `--list-ports`: the ports this machine offers, each with the --port value that selects it and
// whether this user may open it.
//
// Parallel ports are the ppdev device nodes /dev/parportN (and, for the direct backend, the I/O
// address the kernel gives each in /proc/sys/dev/parport/parportN/base-addr); I2C adapters are the
// nodes /dev/i2c-N, named as sysfs names them. The virtual board is always there.
#pragma once

#include <string>
#include <vector>

namespace bus {

struct ListedPort {
  std::string spec;         // "ppdev:/dev/parport0", "i2c:/dev/i2c-1", "sim"
  std::string description;  // "parallel port parport0", the adapter's name
  std::string access;       // "you may open it", or why not and the remedy
};

// Where the machine shows its ports; tests point them at folders of their own.
struct SystemRoots {
  std::string dev = "/dev";
  std::string sys = "/sys";
  std::string proc = "/proc";
};

[[nodiscard]] std::vector<ListedPort> FindPorts(const SystemRoots& roots = {});

// The text --list-ports prints: one line per port in columns, and a line for each kind of port
// the machine has none of, saying how to get one.
[[nodiscard]] std::string PortListing(const std::vector<ListedPort>& ports);

}  // namespace bus
