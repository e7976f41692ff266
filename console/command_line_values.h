// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the values of command-line options, shared by the menu's options and the batch options.
#pragma once

#include <string>
#include <string_view>

namespace console {

// The value of an option given as "--name VALUE" or "--name=VALUE"; advances `index` past it.
// False when the argument at `index` is not `name`; `missing` is set when the value is not there.
bool TakeOptionValue(int argc, const char* const* argv, int& index, std::string_view name,
                     std::string& value, bool& missing);

// `text` with a line break at its end, unless it is empty or has one already.
[[nodiscard]] std::string EndWithLineBreak(std::string text);

}  // namespace console
