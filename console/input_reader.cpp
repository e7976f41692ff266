// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/input_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace console {

namespace {

constexpr std::size_t kReadChunk = 4096;

}  // namespace

std::size_t FdSource::Read(char* buffer, std::size_t capacity) {
  for (;;) {
    const ssize_t count = ::read(fd_, buffer, capacity);
    if (count >= 0) {
      return static_cast<std::size_t>(count);
    }
    if (errno != EINTR) {
      return 0;
    }
  }
}

std::size_t MemorySource::Read(char* buffer, std::size_t capacity) {
  const std::size_t count = std::min(capacity, bytes_.size());
  if (count > 0) {
    std::memcpy(buffer, bytes_.data(), count);
  }
  bytes_.remove_prefix(count);
  return count;
}

bool IsWhiteSpace(int byte) {
  return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' ||
         byte == '\r';
}

// Makes at least `wanted` unread bytes available, unless the input ends first.
bool InputReader::Fill(std::size_t wanted) {
  while (buffer_.size() - position_ < wanted) {
    if (ended_) {
      return false;
    }
    if (position_ > 0) {
      buffer_.erase(0, position_);
      position_ = 0;
    }
    if (tied_output_ != nullptr) {
      tied_output_->Flush();
    }
    char chunk[kReadChunk];
    const std::size_t count = source_.Read(chunk, sizeof chunk);
    if (count == 0) {
      ended_ = true;
      return false;
    }
    buffer_.append(chunk, count);
  }
  return true;
}

int InputReader::Peek(std::size_t offset) {
  if (!Fill(offset + 1)) {
    return kEndOfInput;
  }
  return static_cast<unsigned char>(buffer_[position_ + offset]);
}

int InputReader::Get() {
  const int byte = Peek();
  if (byte != kEndOfInput) {
    ++position_;
  }
  return byte;
}

bool InputReader::SkipWhiteSpace() {
  for (;;) {
    const int byte = Peek();
    if (byte == kEndOfInput) {
      return false;
    }
    if (!IsWhiteSpace(byte)) {
      return true;
    }
    ++position_;
  }
}

void InputReader::DiscardLine() {
  for (;;) {
    const int byte = Get();
    if (byte == kEndOfInput || byte == '\n') {
      return;
    }
  }
}

}  // namespace console
