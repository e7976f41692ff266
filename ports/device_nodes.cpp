// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/device_nodes.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

namespace ports {
namespace {

// The number N of a node named <prefix>N, or nothing when N is not digits or too large for an
// int.
std::optional<int> NodeNumber(const std::string& name, const std::string& prefix) {
  if (!name.starts_with(prefix)) return std::nullopt;
  const std::string digits = name.substr(prefix.size());
  if (digits.empty() ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  int number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
  return number;
}

}  // namespace

std::optional<std::uint16_t> ParallelPortAddress(const SystemRoots& roots,
                                                 const std::string& name) {
  std::string base = FirstLine(roots.proc + "/sys/dev/parport/" + name + "/base-addr");
  base = base.substr(0, base.find_first_of(" \t"));
  if (base.empty() || base.size() > 5 || base.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  const unsigned long value = std::stoul(base);
  if (value > 0xFFFD) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

std::string ParallelPortName(const std::string& node) {
  const std::string name = std::filesystem::path(node).filename().string();
  return NodeNumber(name, "parport") ? name : std::string();
}

std::vector<DeviceNode> NodesNamed(const std::string& dev, const std::string& prefix) {
  std::vector<DeviceNode> nodes;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dev, error)) {
    const std::optional<int> number = NodeNumber(entry.path().filename().string(), prefix);
    if (number) nodes.push_back({*number, entry.path().string()});
  }
  std::sort(nodes.begin(), nodes.end(),
            [](const DeviceNode& a, const DeviceNode& b) { return a.number < b.number; });
  return nodes;
}

std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

}  // namespace ports
