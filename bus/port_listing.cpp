// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/port_listing.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "bus/direct_port.h"
#include "bus/i2c_dev_port.h"

namespace bus {
namespace {

bool AllDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

struct Node {
  int number;
  std::string path;
};

// The number N of a node named <prefix>N, or nothing when N is not digits or too large for an
// int (a node such as i2c-99999999999 is no port any driver makes).
std::optional<int> NodeNumber(const std::string& name, const std::string& prefix) {
  if (!name.starts_with(prefix)) return std::nullopt;
  const std::string digits = name.substr(prefix.size());
  if (!AllDigits(digits)) return std::nullopt;
  int number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
  return number;
}

// The nodes <dev>/<prefix>N, in the order of N.
std::vector<Node> NodesNamed(const std::string& dev, const std::string& prefix) {
  std::vector<Node> nodes;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dev, error)) {
    const std::optional<int> number = NodeNumber(entry.path().filename().string(), prefix);
    if (number) nodes.push_back({*number, entry.path().string()});
  }
  std::sort(nodes.begin(), nodes.end(), [](const Node& a, const Node& b) { return a.number < b.number; });
  return nodes;
}

std::string GroupOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  const group* owner = ::getgrgid(info.st_gid);
  return owner != nullptr ? owner->gr_name : std::to_string(info.st_gid);
}

// Whether this user may open `path` for reading and writing, and if not, what to do.
std::string AccessTo(const std::string& path, const std::string& usual_group) {
  if (::access(path.c_str(), R_OK | W_OK) == 0) return "you may open it";
  const int reason = errno;
  if (reason != EACCES && reason != EPERM) return std::strerror(reason);
  std::string group = GroupOf(path);
  if (group.empty() || group == "root") group = usual_group;
  return "permission denied: add your user to the '" + group + "' group (adduser $USER " + group +
         ") and log in again, or run as root";
}

// The first line of a small file, or nothing.
std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

}  // namespace

std::vector<ListedPort> FindPorts(const SystemRoots& roots) {
  std::vector<ListedPort> ports;
  for (const Node& node : NodesNamed(roots.dev, "parport")) {
    const std::string name = "parport" + std::to_string(node.number);
    ports.push_back({"ppdev:" + node.path, "parallel port " + name, AccessTo(node.path, "lp")});
    // The registers of the same port, for the direct backend, when the kernel gives an address
    // that backend takes.
    std::string base = FirstLine(roots.proc + "/sys/dev/parport/" + name + "/base-addr");
    base = base.substr(0, base.find_first_of(" \t"));
    std::uint16_t address = 0;
    std::string refused;
    if (AllDigits(base) && ParseDirectAddress(base, address, refused)) {
      char spec[32];
      std::snprintf(spec, sizeof spec, "direct:0x%x", static_cast<unsigned>(address));
      ports.push_back({spec, "the registers of " + name + ", by port instructions",
                       ::geteuid() == 0 ? "you may open it" : "needs root (CAP_SYS_RAWIO)"});
    }
  }
  for (const Node& node : NodesNamed(roots.dev, "i2c-")) {
    std::string name = I2cAdapterName(node.path, roots.sys);
    if (name.empty()) name = "I2C adapter " + std::to_string(node.number);
    ports.push_back({"i2c:" + node.path, name, AccessTo(node.path, "i2c")});
  }
  ports.push_back({"sim[:FILE]", "the virtual board, in memory or in a board file",
                   "always there"});
  return ports;
}

std::string PortListing(const std::vector<ListedPort>& ports) {
  std::size_t spec_width = 0;
  std::size_t description_width = 0;
  bool parallel = false;
  bool i2c = false;
  for (const ListedPort& port : ports) {
    spec_width = std::max(spec_width, port.spec.size());
    description_width = std::max(description_width, port.description.size());
    parallel = parallel || port.spec.starts_with("ppdev:");
    i2c = i2c || port.spec.starts_with("i2c:");
  }
  std::string text = "Ports on this machine (--port SPEC, what it is, whether you may open it):\n";
  for (const ListedPort& port : ports) {
    text += "  " + port.spec + std::string(spec_width - port.spec.size() + 2, ' ') +
            port.description + std::string(description_width - port.description.size() + 2, ' ') +
            port.access + "\n";
  }
  if (!parallel) {
    text += "No parallel port: there is no /dev/parport*; load the drivers (modprobe parport_pc "
            "ppdev) if the machine has one.\n";
  }
  if (!i2c) {
    text += "No I2C adapter: there is no /dev/i2c-*; plug one in and load the i2c-dev module "
            "(modprobe i2c-dev).\n";
  }
  return text;
}

}  // namespace bus
