// SPDX-License-Identifier: GPL-3.0-or-later
#include <unistd.h>

#include "platform/terminal.h"

namespace platform {

bool IsTerminal(StandardStream stream) {
  return ::isatty(stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

}  // namespace platform
