// SPDX-License-Identifier: GPL-3.0-or-later
// The output of several boards run at once: each board's lines reach the program's stream whole,
// never mixed with another board's, and each starts with the board's port.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "console/console_output.h"

namespace console {

// A stream that several threads write whole lines to, one writer at a time.
class SharedLines {
 public:
  explicit SharedLines(ConsoleOutput& target) : target_(target) {}

  // Writes `lines` (ended lines only) in one go and pushes them out.
  void Write(std::string_view lines);
  // The stream's failure (ConsoleOutput::Failure).
  [[nodiscard]] std::string Failure();

 private:
  std::mutex mutex_;
  ConsoleOutput& target_;
};

// One board's output. Each line is passed on when it ends, with the port and ": " in front; a
// failure's leading "30p: " gives way to the port, which says whose line it is. A line not ended
// when the output goes is ended then.
class BoardLines final : public ConsoleOutput {
 public:
  BoardLines(SharedLines& shared, std::string port);
  ~BoardLines() override;
  BoardLines(const BoardLines&) = delete;
  BoardLines& operator=(const BoardLines&) = delete;

  void Write(std::string_view text) override;
  [[nodiscard]] std::string Failure() const override { return shared_.Failure(); }

 private:
  [[nodiscard]] std::string Prefixed(std::string_view line) const;

  SharedLines& shared_;
  std::string prefix_;
  std::string pending_;  // the start of a line not yet ended
};

}  // namespace console
