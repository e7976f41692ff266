// SPDX-License-Identifier: GPL-3.0-or-later
// The ppdev claim bounded in time: the claim blocks while another program holds the port, so a
// timer's signal cuts it short once the bound has passed.
#pragma once

#include <chrono>

#include "ports/port_lock.h"
#include "ports/system_calls.h"

namespace ports {

// ioctl(fd, `request`) for a request that may block (the ppdev claim), interrupted once `bound`
// has passed.
[[nodiscard]] PortWait BlockingIoctlWithin(SystemCalls& calls, int fd, unsigned long request,
                                           std::chrono::milliseconds bound, int& error);

}  // namespace ports
