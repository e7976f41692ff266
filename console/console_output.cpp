// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/console_output.h"

#include <cstdarg>
#include <vector>

namespace console {

void ConsoleOutput::Print(const char* format, ...) {
  char buffer[256];
  std::va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  if (length < 0) {
    return;
  }
  if (static_cast<std::size_t>(length) < sizeof buffer) {
    Write(std::string_view(buffer, static_cast<std::size_t>(length)));
    return;
  }
  // Longer than the stack buffer: format again into one of the right size.
  std::vector<char> large(static_cast<std::size_t>(length) + 1);
  va_start(arguments, format);
  std::vsnprintf(large.data(), large.size(), format, arguments);
  va_end(arguments);
  Write(std::string_view(large.data(), static_cast<std::size_t>(length)));
}

void FileOutput::Write(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream_);
}

void FileOutput::Flush() { std::fflush(stream_); }

}  // namespace console
