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
  return {ReadStatus::Ok, static_cast<int>(value)};
}

HexRead ReadHex(InputReader& in) {
  if (!in.SkipWhiteSpace()) {
    return {};
  }
  const bool negative = TakeSign(in);
  // The prefix counts only when a hexadecimal digit follows it; "0x" alone is the number 0.
  if (in.Peek() == '0' && (in.Peek(1) == 'x' || in.Peek(1) == 'X') &&
      HexDigitValue(in.Peek(2)) >= 0) {
    in.Get();
    in.Get();
  }
  if (HexDigitValue(in.Peek()) < 0) {
    return {NoDigitStatus(in), 0};
  }
  std::uint32_t value = 0;
  while (HexDigitValue(in.Peek()) >= 0) {
    value = value * 16u + static_cast<std::uint32_t>(HexDigitValue(in.Get()));
  }
  if (negative) {
    value = 0u - value;
  }
  return {ReadStatus::Ok, value};
}

CharRead ReadNonSpace(InputReader& in) {
  if (!in.SkipWhiteSpace()) {
    return {};
  }
  return ReadKey(in);
}

WordRead ReadWord(InputReader& in) {
  if (!in.SkipWhiteSpace()) {
    return {};
  }
  WordRead word{ReadStatus::Ok, {}};
  for (int byte = in.Peek(); byte != kEndOfInput && !IsWhiteSpace(byte); byte = in.Peek()) {
    word.value.push_back(static_cast<char>(in.Get()));
  }
  return word;
}

}  // namespace console
