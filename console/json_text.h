// SPDX-License-Identifier: GPL-3.0-or-later
// One JSON object on one line, for the traceability log: strings, whole numbers, seconds, null, and
// lists of addresses.
//
// Strings are written as JSON wants them: quotes, backslashes and control characters escaped (\n,
// \t, ... or \u00XX), so a file name with a line break stays on its line. JSON text is UTF-8: a
// byte that does not belong to a valid UTF-8 sequence (a file name in another encoding) becomes
// U+FFFD, the replacement character.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bus/image.h"

namespace console {

// `text` as a JSON string, quotes included.
[[nodiscard]] std::string JsonString(std::string_view text);

class JsonObject {
 public:
  JsonObject& String(std::string_view key, std::string_view value);
  JsonObject& Number(std::string_view key, std::uint64_t value);
  JsonObject& Null(std::string_view key);
  // Seconds from nanoseconds, to the microsecond: 0.693012.
  JsonObject& Seconds(std::string_view key, std::uint64_t nanoseconds);
  // The addresses in the set, lowest first: [0,5,127].
  JsonObject& Addresses(std::string_view key, const bus::AddressSet& addresses);

  // The object and a line break.
  [[nodiscard]] std::string Line() const { return "{" + members_ + "}\n"; }

 private:
  JsonObject& Member(std::string_view key, const std::string& value);

  std::string members_;
};

}  // namespace console
