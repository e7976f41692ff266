// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/console_output.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
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

void FileOutput::NoteFailure() {
  if (failure_.empty()) failure_ = errno != 0 ? std::strerror(errno) : "the write failed";
}

void FileOutput::Write(std::string_view text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) NoteFailure();
}

void FileOutput::Flush() {
  errno = 0;
  if (std::fflush(stream_) != 0) NoteFailure();
}

void HeldLines::Write(std::string_view text) {
  if (held_.empty() && text.find('\n') == std::string_view::npos) {
    target_.Write(text);
    return;
  }
  held_.append(text);
}

void HeldLines::Release() {
  if (held_.empty()) return;
  target_.Write(held_);
  held_.clear();
}

int StatusAfterOutput(int status, ConsoleOutput& out, ConsoleOutput& err) {
  out.Flush();
  err.Flush();
  if (const std::string failure = out.Failure(); !failure.empty()) {
    err.Write("30p: cannot write standard output: " + failure + "\n");
    err.Flush();
  }
  if (const std::string failure = err.Failure(); !failure.empty()) {
    // Said for the case that standard error works again (a disk with room once more).
    err.Write("30p: cannot write standard error: " + failure + "\n");
    err.Flush();
  }
  const bool failed = !out.Failure().empty() || !err.Failure().empty();
  return status == 0 && failed ? kOutputFailedStatus : status;
}

}  // namespace console
