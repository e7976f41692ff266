// SPDX-License-Identifier: GPL-3.0-or-later
// What the backends' `find` share: the device nodes of one kind in /dev, whether this user may
// open one, and small files of sysfs and procfs.
#pragma once

#include <string>
#include <vector>

namespace bus {

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

}  // namespace bus
