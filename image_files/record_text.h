// SPDX-License-Identifier: GPL-3.0-or-later
// The text layer shared by the Intel HEX and S-record readers and writers: lines, hex digits,
// checksums in messages.
//
// A file is split at "\n"; a "\r" before it (CR LF line ends) and spaces or tabs at the end of a
// line are dropped, so a blank line is an empty one. A record's hex digits may be of either case;
// the writers use upper case, as the outside tools do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace image_files {

struct TextLine {
  int number = 0;         // from 1
  std::string_view text;  // without the line end and trailing white space
};

[[nodiscard]] std::vector<TextLine> SplitLines(std::string_view text);

struct HexDecode {
  std::vector<std::uint8_t> bytes;
  std::string fault;  // empty when the digits decoded
};

// The bytes the hex digits spell, two digits a byte. `first_column` is the column of the first
// digit on its line, for the message about a character that is not a hex digit.
[[nodiscard]] HexDecode DecodeHexDigits(std::string_view digits, int first_column);

// A character as a message shows it: 'G', or '\x07' when it is not printable.
[[nodiscard]] std::string ShownCharacter(char c);

// "0x41": a byte, or a wider value, as messages show it.
[[nodiscard]] std::string HexValue(std::uint64_t value, int digits = 2);

// "1 byte", "2 bytes": a count and its noun, for messages.
[[nodiscard]] std::string CountOf(std::size_t count, std::string_view noun);

// Appends the byte as two upper-case hex digits.
void AppendHexByte(std::string& out, std::uint8_t byte);

}  // namespace image_files
