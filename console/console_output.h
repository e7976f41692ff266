// SPDX-License-Identifier: GPL-3.0-or-later
// ConsoleOutput: where the console's dialogue goes, byte for byte.
//
// Every text of the dialogue passes through one ConsoleOutput, so the bytes come out exactly as
// written and in order. The program writes to standard output through FileOutput; tests and the
// fuzz target collect or discard the bytes instead.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace console {

class ConsoleOutput {
 public:
  virtual ~ConsoleOutput() = default;

  virtual void Write(std::string_view text) = 0;
  // Pushes buffered bytes out before the program waits for input.
  virtual void Flush() {}

  // printf-style formatting of one piece of text (at most one short line in this program).
  void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));

 protected:
  ConsoleOutput() = default;
  ConsoleOutput(const ConsoleOutput&) = default;
  ConsoleOutput& operator=(const ConsoleOutput&) = default;
};

// Writes to a C stream (standard output in the program).
class FileOutput final : public ConsoleOutput {
 public:
  explicit FileOutput(std::FILE* stream) : stream_(stream) {}
  void Write(std::string_view text) override;
  void Flush() override;

 private:
  std::FILE* stream_;
};

// Keeps everything written, for tests.
class StringOutput final : public ConsoleOutput {
 public:
  void Write(std::string_view text) override { text_.append(text); }
  [[nodiscard]] const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace console
