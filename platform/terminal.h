// SPDX-License-Identifier: GPL-3.0-or-later
// Whether standard output or standard error goes to a terminal someone watches: the listing then
// breaks its rows itself, a write shows its progress on one line it returns to with "\r", and the
// station's verdict is in bold colour (escape sequences).
#pragma once

namespace platform {

enum class StandardStream { Output, Error };

// On POSIX systems: isatty. On Windows: a console whose virtual-terminal processing (the escape
// sequences) is on; it is turned on here, and a console where it cannot be (older than Windows 10)
// counts as no terminal, so no escape sequence ever shows as text.
[[nodiscard]] bool IsTerminal(StandardStream stream);

}  // namespace platform
