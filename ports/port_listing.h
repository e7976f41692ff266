// SPDX-License-Identifier: GPL-3.0-or-later
// `--list-ports`: the ports this machine offers, each with the --port value that selects it and
// whether this user may open it, as each backend of the table finds its own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ports/port_spec.h"

namespace ports {

// What every available row of the table finds, the ports of one device together (a parallel
// port's ppdev node beside its registers for direct), in the order of the rows otherwise.
[[nodiscard]] std::vector<ListedPort> FindPorts(const SystemRoots& roots = {});

// For each row of the table that found none of `ports` and says how to get one, that line.
[[nodiscard]] std::vector<std::string_view> NoneFoundLines(const std::vector<ListedPort>& ports);

// The text --list-ports prints: one line per port in columns, and for each row that found none
// and says how to get one, that line.
[[nodiscard]] std::string PortListing(const std::vector<ListedPort>& ports);

}  // namespace ports
