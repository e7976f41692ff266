// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/progress_line.h"

namespace console {

void ProgressLine::Show(const std::string& text) {
  if (!shown_) return;
  std::string line = "\r" + text;
  if (text.size() < width_) line += std::string(width_ - text.size(), ' ');
  out_.Write(line);
  out_.Flush();
  width_ = text.size();
}

void ProgressLine::Clear() {
  if (!shown_ || width_ == 0) return;
  out_.Write("\r" + std::string(width_, ' ') + "\r");
  out_.Flush();
  width_ = 0;
}

}  // namespace console
