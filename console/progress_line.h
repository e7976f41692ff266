// SPDX-License-Identifier: GPL-3.0-or-later
// ProgressLine: one line of standard error that a long operation rewrites as it goes
// ("writing 57/128"), on a terminal only.
//
// Each text replaces the last one in place (a carriage return, the text, spaces over what is
// left of a longer one). Clear blanks the line and puts the cursor back at its start, so the
// next message is written over it. When not shown (not a terminal, or --quiet) it writes nothing.
#pragma once

#include <cstddef>
#include <string>

#include "console/console_output.h"

namespace console {

class ProgressLine {
 public:
  ProgressLine(ConsoleOutput& out, bool shown) : out_(out), shown_(shown) {}
  ~ProgressLine() { Clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Show(const std::string& text);
  void Clear();

 private:
  ConsoleOutput& out_;
  bool shown_;
  std::size_t width_ = 0;  // the length of the text on the line now
};

}  // namespace console
