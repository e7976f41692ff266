// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_files/record_text.h"

#include <cstdio>

namespace image_files {

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsTrailingSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

std::vector<TextLine> SplitLines(std::string_view text) {
  std::vector<TextLine> lines;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    while (!line.empty() && IsTrailingSpace(line.back())) {
      line.remove_suffix(1);
    }
    lines.push_back({++number, line});
  }
  return lines;
}

HexDecode DecodeHexDigits(std::string_view digits, int first_column) {
  HexDecode result;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (HexDigitValue(digits[i]) < 0) {
      result.fault = ShownCharacter(digits[i]) + " at column " +
                     std::to_string(first_column + static_cast<int>(i)) + " is not a hex digit";
      return result;
    }
  }
  if (digits.size() % 2 != 0) {
    result.fault =
        "odd number of hex digits (" + std::to_string(digits.size()) + "); each byte takes two";
    return result;
  }
  result.bytes.reserve(digits.size() / 2);
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    result.bytes.push_back(
        static_cast<std::uint8_t>(HexDigitValue(digits[i]) * 16 + HexDigitValue(digits[i + 1])));
  }
  return result;
}

std::string ShownCharacter(char c) {
  const auto code = static_cast<unsigned char>(c);
  if (code >= 0x20 && code < 0x7F) {
    return std::string("'") + c + "'";
  }
  char text[8];
  std::snprintf(text, sizeof text, "'\\x%02X'", code);
  return text;
}

std::string HexValue(std::uint64_t value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
  return text;
}

std::string CountOf(std::size_t count, std::string_view noun) {
  return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

void AppendHexByte(std::string& out, std::uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
}

}  // namespace image_files
