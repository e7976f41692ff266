// SPDX-License-Identifier: GPL-3.0-or-later
// What the backends' `find` share: the device nodes of one kind in /dev, whether this user may
// open one, and small files of sysfs and procfs. The USB devices sysfs shows are in usb/.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ports/port_spec.h"
#include "ports/calls_override.h"

namespace ports {

struct DeviceNode {
  int number;        // N of <prefix>N
  std::string path;  // <dev>/<prefix>N
};

// The nodes <dev>/<prefix>N, in the order of N; names whose N is not digits or does not fit an
// int (i2c-99999999999 is no node any driver makes) are left out.
[[nodiscard]] std::vector<DeviceNode> NodesNamed(const std::string& dev, const std::string& prefix);

// "you may open it", or why not and what to do: the node's group (or `usual_group` where the node
// belongs to root) to join.
[[nodiscard]] std::string AccessTo(const std::string& path, const std::string& usual_group);

// The first line of a small file, or nothing.
[[nodiscard]] std::string FirstLine(const std::string& path);

// Where parsing a --port value looks at the machine: the system's own folders, or, while a test
// holds a SystemRootsOverride, its fake machine.
inline SystemRoots& SystemRootsInUse() {
  static SystemRoots real;
  return CallsOverride<SystemRoots>::InUse(real);
}
using SystemRootsOverride = CallsOverride<SystemRoots>;

// The I/O address of the data register of parallel port `name` ("parport0") as the kernel gives
// it (procfs base-addr, in decimal); nothing when it gives none or one past 0xFFFD.
[[nodiscard]] std::optional<std::uint16_t> ParallelPortAddress(const SystemRoots& roots,
                                                               const std::string& name);

// The name of the parallel port behind a ppdev node ("/dev/parport0": "parport0"); empty when
// the node's name is not parportN.
[[nodiscard]] std::string ParallelPortName(const std::string& node);

}  // namespace ports
