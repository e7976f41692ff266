// SPDX-License-Identifier: GPL-3.0-or-later
#include <unistd.h>

#include <array>

#include "platform/host_name.h"

namespace platform {

std::string HostName() {
  std::array<char, 256> name{};
  if (::gethostname(name.data(), name.size() - 1) != 0) return {};
  return name.data();
}

}  // namespace platform
