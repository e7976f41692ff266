// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/command_line_values.h"

namespace console {

bool TakeOptionValue(int argc, const char* const* argv, int& index, std::string_view name,
                     std::string& value, bool& missing) {
  const std::string_view argument = argv[index];
  if (argument == name) {
    if (index + 1 >= argc) {
      missing = true;
      return true;
    }
    value = argv[++index];
    return true;
  }
  if (argument.size() > name.size() && argument.substr(0, name.size()) == name &&
      argument[name.size()] == '=') {
    value = std::string(argument.substr(name.size() + 1));
    return true;
  }
  return false;
}

std::string EndWithLineBreak(std::string text) {
  if (!text.empty() && text.back() != '\n') {
    text += '\n';
  }
  return text;
}

}  // namespace console
