// The typed reads of the dialogue, all on the one InputReader.
//
// Each one skips leading white space (except ReadKey, which takes the very next byte) and stops
// right after what it took, leaving the rest of the line for the next read. A read reports
// `Ended` when the input ends before it found its item, and `NotANumber` when a number was asked
// for and something else is there; a rejected entry is left in the input, and the caller decides
// what to discard.
#pragma once

#include <cstdint>
#include <string>

#include "console/input_reader.h"

namespace console {

enum class ReadStatus { Ok, NotANumber, Ended };

struct DecimalRead {
  ReadStatus status = ReadStatus::Ended;
  int value = 0;  // saturated at the limits of int for longer numbers
};

struct HexRead {
  ReadStatus status = ReadStatus::Ended;
  std::uint32_t value = 0;  // the number modulo 2^32 (so its low 8 bits are the number's own)
};

struct CharRead {
  ReadStatus status = ReadStatus::Ended;
  char value = 0;
};

struct WordRead {
  ReadStatus status = ReadStatus::Ended;
  std::string value;
};

// One byte, whatever it is (the key of the start-up wait).
[[nodiscard]] CharRead ReadKey(InputReader& in);

// An optional sign and decimal digits.
[[nodiscard]] DecimalRead ReadDecimal(InputReader& in);

// An optional sign, an optional 0x or 0X prefix, and hexadecimal digits of either case.
[[nodiscard]] HexRead ReadHex(InputReader& in);

// The next byte that is not white space.
[[nodiscard]] CharRead ReadNonSpace(InputReader& in);

// One word: everything up to the next white space or the end of input, of any length.
[[nodiscard]] WordRead ReadWord(InputReader& in);

}  // namespace console
