// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/input_conversions.h"

#include <climits>

namespace console {

namespace {

bool IsDecimalDigit(int byte) { return byte >= '0' && byte <= '9'; }

int HexDigitValue(int byte) {
  if (byte >= '0' && byte <= '9') return byte - '0';
  if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
  if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
  return -1;
}

// Consumes an optional '+' or '-'; true for '-'.
bool TakeSign(InputReader& in) {
  const int byte = in.Peek();
  if (byte == '+' || byte == '-') {
    in.Get();
    return byte == '-';
  }
  return false;
}

// What stands at the position when a number was expected and no digit is there.
ReadStatus NoDigitStatus(InputReader& in) {
  return in.Peek() == kEndOfInput ? ReadStatus::Ended : ReadStatus::NotANumber;
}

// Consumes the decimal digits at the position (there is at least one) and returns their value
// with the sign applied, clamped to the range of int.
int TakeDecimalDigits(InputReader& in, bool negative) {
  // Beyond this the value no longer matters: it is clamped to the range of int.
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
  long long magnitude = 0;
  while (IsDecimalDigit(in.Peek())) {
    magnitude = magnitude * 10 + (in.Get() - '0');
    if (magnitude > kLimit) {
      magnitude = kLimit;
    }
  }
  long long value = negative ? -magnitude : magnitude;
  if (value > INT_MAX) {
    value = INT_MAX;
  }
  return static_cast<int>(value);
}

// A token ends at white space or at the end of input.
bool AtTokenEnd(InputReader& in) {
  const int byte = in.Peek();
  return byte == kEndOfInput || IsWhiteSpace(byte);
}

// Consumes the rest of the token at the position without keeping it.
void SkipRestOfToken(InputReader& in) {
  while (!AtTokenEnd(in)) {
    in.Get();
  }
}

// Refuses the token at the position whole: the rest of it is consumed.
ReadStatus RefuseToken(InputReader& in) {
  SkipRestOfToken(in);
  return ReadStatus::NotANumber;
}

// After a number: the token is taken when the number was all of it, and refused otherwise.
ReadStatus FinishToken(InputReader& in) {
  return AtTokenEnd(in) ? ReadStatus::Ok : RefuseToken(in);
}

}  // namespace

CharRead ReadKey(InputReader& in) {
  const int byte = in.Get();
  if (byte == kEndOfInput) {
    return {};
  }
  return {ReadStatus::Ok, static_cast<char>(byte)};
}

DecimalRead ReadDecimal(InputReader& in) {
  if (!in.SkipWhiteSpace()) {
    return {};
  }
  const bool negative = TakeSign(in);
  if (!IsDecimalDigit(in.Peek())) {
    return {NoDigitStatus(in), 0};
  }
  return {ReadStatus::Ok, TakeDecimalDigits(in, negative)};
}

DecimalRead ReadDecimalToken(InputReader& in) {
  if (!in.SkipWhiteSpace()) {
    return {};
  }
  const bool negative = TakeSign(in);
  if (!IsDecimalDigit(in.Peek())) {
    return {RefuseToken(in), 0};  // "+", "-", "abc", "-x"
  }
  const int value = TakeDecimalDigits(in, negative);
  return {FinishToken(in), value};
}

HexRead ReadHexToken(InputReader& in) {
  if (!in.SkipWhiteSpace()) {
    return {};
  }
  const bool negative = TakeSign(in);
  if (in.Peek() == '0' && (in.Peek(1) == 'x' || in.Peek(1) == 'X')) {
    in.Get();
    in.Get();
  }
  if (HexDigitValue(in.Peek()) < 0) {
    return {RefuseToken(in), 0};  // "0x", "0xg", "--1", "-", "zz"
  }
  std::uint32_t value = 0;
  while (HexDigitValue(in.Peek()) >= 0) {
    value = value * 16u + static_cast<std::uint32_t>(HexDigitValue(in.Get()));
  }
  // Negated modulo 2^32, as a two's complement machine holds it: "-1" ends in the byte ff.
  return {FinishToken(in), negative ? 0u - value : value};
}

CharRead ReadNonSpace(InputReader& in) {
  if (!in.SkipWhiteSpace()) {
    return {};
  }
  return ReadKey(in);
}

WordRead ReadWord(InputReader& in, std::size_t max_length) {
  if (!in.SkipWhiteSpace()) {
    return {};
  }
  WordRead word{ReadStatus::Ok, {}};
  while (!AtTokenEnd(in)) {
    if (word.value.size() == max_length) {
      SkipRestOfToken(in);
      return {ReadStatus::TooLong, {}};
    }
    word.value.push_back(static_cast<char>(in.Get()));
  }
  return word;
}

}  // namespace console
