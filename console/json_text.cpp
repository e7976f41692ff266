// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/json_text.h"

#include <cstdio>

namespace console {

namespace {

constexpr std::string_view kReplacement = "\xef\xbf\xbd";  // U+FFFD in UTF-8

// The length of the valid UTF-8 sequence at the start of `text` (which is not empty and does not
// start with an ASCII byte), or 0 when it is not one: a stray continuation byte, a sequence cut
// short, an overlong form, a surrogate, or a value above U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || lead == 0xC0 || lead == 0xC1 || text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
  }
  const unsigned char second = byte(1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
    return 0;
  }
  return length;
}

void AppendAscii(std::string& out, char c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      break;
  }
  if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
    out += escaped;
    return;
  }
  out += c;
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  while (!text.empty()) {
    if (static_cast<unsigned char>(text[0]) < 0x80) {
      AppendAscii(out, text[0]);
      text.remove_prefix(1);
      continue;
    }
    const std::size_t length = Utf8SequenceLength(text);
    out += length == 0 ? kReplacement : text.substr(0, length);
    text.remove_prefix(length == 0 ? 1 : length);
  }
  return out + "\"";
}

JsonObject& JsonObject::Member(std::string_view key, const std::string& value) {
  if (!members_.empty()) members_ += ',';
  members_ += JsonString(key) + ":" + value;
  return *this;
}

JsonObject& JsonObject::String(std::string_view key, std::string_view value) {
  return Member(key, JsonString(value));
}

JsonObject& JsonObject::Number(std::string_view key, std::uint64_t value) {
  return Member(key, std::to_string(value));
}

JsonObject& JsonObject::Null(std::string_view key) { return Member(key, "null"); }

JsonObject& JsonObject::Seconds(std::string_view key, std::uint64_t nanoseconds) {
  const std::uint64_t microseconds = (nanoseconds + 500) / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%llu.%06llu",
                static_cast<unsigned long long>(microseconds / 1'000'000),
                static_cast<unsigned long long>(microseconds % 1'000'000));
  return Member(key, text);
}

JsonObject& JsonObject::Addresses(std::string_view key, const bus::AddressSet& addresses) {
  std::string list = "[";
  for (std::size_t address = 0; address < addresses.size(); ++address) {
    if (!addresses[address]) continue;
    if (list.size() > 1) list += ',';
    list += std::to_string(address);
  }
  return Member(key, list + "]");
}

}  // namespace console
