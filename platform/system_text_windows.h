// SPDX-License-Identifier: GPL-3.0-or-later
// Text between the programs and Windows, for the Windows implementations only: the programs' file
// names and messages are UTF-8, Windows' wide functions take and give UTF-16.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// `text` in UTF-16; nothing when it is not valid UTF-8.
[[nodiscard]] std::optional<std::wstring> WideFromUtf8(std::string_view text);

// `text` in UTF-8 (a character that is not valid UTF-16 becomes U+FFFD).
[[nodiscard]] std::string Utf8FromWide(std::wstring_view text);

// Windows' words for the error `code` (a GetLastError value), as strerror gives them on POSIX
// systems: one line, no full stop ("Access is denied").
[[nodiscard]] std::string SystemMessage(unsigned long code);

}  // namespace platform
