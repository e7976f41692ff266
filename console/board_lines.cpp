// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/board_lines.h"

#include <utility>

namespace console {

namespace {
constexpr std::string_view kProgramPrefix = "30p: ";
}  // namespace

void SharedLines::Write(std::string_view lines) {
  const std::lock_guard lock(mutex_);
  target_.Write(lines);
  target_.Flush();
}

std::string SharedLines::Failure() {
  const std::lock_guard lock(mutex_);
  return target_.Failure();
}

BoardLines::BoardLines(SharedLines& shared, std::string port)
    : shared_(shared), prefix_(std::move(port) + ": ") {}

BoardLines::~BoardLines() {
  if (!pending_.empty()) shared_.Write(Prefixed(pending_) + "\n");
}

std::string BoardLines::Prefixed(std::string_view line) const {
  if (line.starts_with(kProgramPrefix)) line.remove_prefix(kProgramPrefix.size());
  return prefix_ + std::string(line);
}

void BoardLines::Write(std::string_view text) {
  pending_.append(text);
  std::string ended;
  std::size_t begin = 0;
  for (std::size_t end = pending_.find('\n'); end != std::string::npos;
       end = pending_.find('\n', begin)) {
    ended += Prefixed(std::string_view(pending_).substr(begin, end - begin)) + "\n";
    begin = end + 1;
  }
  pending_.erase(0, begin);
  if (!ended.empty()) shared_.Write(ended);
}

}  // namespace console
