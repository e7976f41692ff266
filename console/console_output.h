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
  // Empty while every byte written got out; else why the first that did not could not (a pipe
  // whose reader has gone, a full disk). Writing goes on regardless: the program finishes what it
  // does and says so at its end.
  [[nodiscard]] virtual std::string Failure() const { return {}; }

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
  [[nodiscard]] std::string Failure() const override { return failure_; }

 private:
  void NoteFailure();

  std::FILE* stream_;
  std::string failure_;
};

// Holds whole lines back until Release, so that what an operation says comes after something
// that must be written first (its log line); text without a line end (a progress line rewritten
// in place) goes straight through while nothing is held.
class HeldLines final : public ConsoleOutput {
 public:
  explicit HeldLines(ConsoleOutput& target) : target_(target) {}
  void Write(std::string_view text) override;
  void Flush() override { target_.Flush(); }
  [[nodiscard]] std::string Failure() const override { return target_.Failure(); }
  // Passes on what was held.
  void Release();

 private:
  ConsoleOutput& target_;
  std::string held_;
};

// Keeps everything written, for tests.
class StringOutput final : public ConsoleOutput {
 public:
  void Write(std::string_view text) override { text_.append(text); }
  [[nodiscard]] const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// The exit status of a run that ended with `status`, once its standard output and standard error
// are flushed: a run that succeeded but could not write either of them fails with
// kOutputFailedStatus, after saying which (where it still can).
inline constexpr int kOutputFailedStatus = 3;
[[nodiscard]] int StatusAfterOutput(int status, ConsoleOutput& out, ConsoleOutput& err);

}  // namespace console
