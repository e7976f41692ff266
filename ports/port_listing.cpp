// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/port_listing.h"

#include <algorithm>
#include <map>

#include "ports/port_table.h"

namespace ports {

std::vector<ListedPort> FindPorts(const SystemRoots& roots) {
  std::vector<ListedPort> ports;
  for (const PortBackend* backend : ports::PortBackends()) {
    if (!backend->available || backend->find == nullptr) continue;
    for (ListedPort& port : backend->find(roots)) {
      port.backend = backend;
      ports.push_back(std::move(port));
    }
  }
  // Each port stands where the first port of its device stands.
  std::map<std::string, std::size_t> first_of_device;
  std::vector<std::size_t> place(ports.size());
  for (std::size_t index = 0; index < ports.size(); ++index) {
    const std::string& device = ports[index].device;
    place[index] =
        device.empty() ? index : first_of_device.try_emplace(device, index).first->second;
  }
  std::vector<std::size_t> order(ports.size());
  for (std::size_t index = 0; index < order.size(); ++index) order[index] = index;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return place[a] < place[b]; });
  std::vector<ListedPort> ordered;
  for (const std::size_t index : order) ordered.push_back(std::move(ports[index]));
  return ordered;
}

std::string PortListing(const std::vector<ListedPort>& ports) {
  std::size_t spec_width = 0;
  std::size_t description_width = 0;
  for (const ListedPort& port : ports) {
    spec_width = std::max(spec_width, port.spec.size());
    description_width = std::max(description_width, port.description.size());
  }
  std::string text = "Ports on this machine (--port SPEC, what it is, whether you may open it):\n";
  for (const ListedPort& port : ports) {
    text += "  " + port.spec + std::string(spec_width - port.spec.size() + 2, ' ') +
            port.description + std::string(description_width - port.description.size() + 2, ' ') +
            port.access + "\n";
  }
  for (const std::string_view line : NoneFoundLines(ports)) text += std::string(line) + "\n";
  return text;
}

std::vector<std::string_view> NoneFoundLines(const std::vector<ListedPort>& ports) {
  std::vector<std::string_view> lines;
  for (const PortBackend* backend : ports::PortBackends()) {
    const bool found = std::any_of(ports.begin(), ports.end(),
                                   [&](const ListedPort& port) { return port.backend == backend; });
    if (!found && !backend->none_found.empty()) lines.push_back(backend->none_found);
  }
  return lines;
}

}  // namespace ports
