// SPDX-License-Identifier: GPL-3.0-or-later
// The machine's name, as the traceability log records it.
#pragma once

#include <string>

namespace platform {

// The host name (gethostname; on Windows the DNS host name, in UTF-8); empty when the system gives
// none.
[[nodiscard]] std::string HostName();

}  // namespace platform
