// SPDX-License-Identifier: GPL-3.0-or-later
// Decimal numbers written straight into a trace record: the hot path of the trace recorders.
#pragma once

#include <cstdint>

namespace bus {

// Writes `value` in decimal at `out` and moves `out` past it. The digits go in from the last one
// back, two per step, in 32-bit arithmetic where the number allows.
inline void AppendDecimal(char*& out, std::uint64_t value) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  int length = 1;
  for (std::uint64_t limit = 10; length < 20 && value >= limit; limit *= 10) {
    ++length;
  }
  char* end = out + length;
  out = end;
  auto put_pair = [&end](std::uint32_t pair) {
    *--end = kPairs[2 * pair + 1];
    *--end = kPairs[2 * pair];
  };
  while (value >= 100'000'000) {
    auto low = static_cast<std::uint32_t>(value % 100'000'000);
    value /= 100'000'000;
    for (int i = 0; i < 4; ++i) {
      put_pair(low % 100);
      low /= 100;
    }
  }
  auto rest = static_cast<std::uint32_t>(value);
  while (rest >= 100) {
    put_pair(rest % 100);
    rest /= 100;
  }
  if (rest >= 10) {
    put_pair(rest);
  } else {
    *--end = static_cast<char>('0' + rest);
  }
}

}  // namespace bus
