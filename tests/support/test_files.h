// SPDX-License-Identifier: GPL-3.0-or-later
// Scratch files for the port tests: a fresh directory per test, removed afterwards, and the
// lines of what they hold.
#pragma once

#include <string>
#include <vector>

namespace ports_test {

class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  [[nodiscard]] const std::string& path() const { return path_; }
  [[nodiscard]] std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);

// The lines of `text`, without their line breaks.
std::vector<std::string> Lines(const std::string& text);

}  // namespace ports_test
