// SPDX-License-Identifier: GPL-3.0-or-later
// A file name as one-line messages show it: as given, with control characters spelled out
// (\n, \t, \xNN), so a strange name cannot break the message over lines or hide part of it.
#pragma once

#include <string>
#include <string_view>

namespace image_files {

[[nodiscard]] std::string ShownFileName(std::string_view name);

}  // namespace image_files
