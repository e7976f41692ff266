// SPDX-License-Identifier: GPL-3.0-or-later
// InputReader: the console's one reader of standard input, with one position.
//
// Every read of the dialogue (the key at start-up, menu numbers, addresses, hexadecimal bytes,
// answers and file names) goes through one InputReader, so each read continues exactly where the
// previous one stopped, whatever kind it was. Before it waits for more input it flushes the
// output tied to it, so every prompt is out before the program waits for its answer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "console/console_output.h"

namespace console {

// Where the reader's bytes come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `capacity` bytes into `buffer`; 0 means the input has ended.
  virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;

 protected:
  ByteSource() = default;
  ByteSource(const ByteSource&) = default;
  ByteSource& operator=(const ByteSource&) = default;
};

// A file descriptor (standard input in the program). A read error counts as the end of input.
class FdSource final : public ByteSource {
 public:
  explicit FdSource(int fd) : fd_(fd) {}
  std::size_t Read(char* buffer, std::size_t capacity) override;

 private:
  int fd_;
};

// Bytes held in memory (tests, the fuzz target).
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::size_t Read(char* buffer, std::size_t capacity) override;

 private:
  std::string_view bytes_;
};

inline constexpr int kEndOfInput = -1;

class InputReader {
 public:
  explicit InputReader(ByteSource& source, ConsoleOutput* tied_output = nullptr)
      : source_(source), tied_output_(tied_output) {}

  // The byte `offset` places ahead of the position (0: the next one), or kEndOfInput.
  int Peek(std::size_t offset = 0);
  // The next byte, consumed, or kEndOfInput.
  int Get();
  // Skips white space; false when the input ends first.
  bool SkipWhiteSpace();
  // Consumes everything up to and including the next line break (or to the end of input).
  void DiscardLine();

 private:
  bool Fill(std::size_t wanted);

  ByteSource& source_;
  ConsoleOutput* tied_output_;
  std::string buffer_;
  std::size_t position_ = 0;
  bool ended_ = false;
};

// White space as the formatted conversions know it: space, \t, \n, \v, \f, \r.
[[nodiscard]] bool IsWhiteSpace(int byte);

}  // namespace console
