// SPDX-License-Identifier: GPL-3.0-or-later
// The typed reads of the dialogue, all on the one InputReader.
//
// Each one skips leading white space (except ReadKey, which takes the very next byte) and stops
// right after what it took, leaving the rest of the line for the next read. A read reports
// `Ended` when the input ends before it found its item. ReadDecimal, the menu's number, takes the
// digits at the position and leaves whatever follows them; when no number is there it reports
// `NotANumber` and leaves the input as it was. The token reads take a whole token, everything up
// to the next white space or the end of input, or refuse it whole: a token that is not exactly
// the number asked for is consumed and reported as `NotANumber`, and the caller decides what
// else to discard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "console/input_reader.h"

namespace console {

enum class ReadStatus { Ok, NotANumber, TooLong, Ended };

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
  std::string value;  // empty unless Ok
};

// One byte, whatever it is (the key of the start-up wait).
[[nodiscard]] CharRead ReadKey(InputReader& in);

// An optional sign and decimal digits, followed by anything.
[[nodiscard]] DecimalRead ReadDecimal(InputReader& in);

// A token of an optional sign and decimal digits, nothing else.
[[nodiscard]] DecimalRead ReadDecimalToken(InputReader& in);

// A token of an optional sign, an optional 0x or 0X prefix and hexadecimal digits of either case,
// with at least one digit and nothing else ("-1", "+1f", "-0x1"). A negative number is given
// modulo 2^32, so its low 8 bits are the byte a two's complement machine stores ("-1": ff).
[[nodiscard]] HexRead ReadHexToken(InputReader& in);

// The next byte that is not white space.
[[nodiscard]] CharRead ReadNonSpace(InputReader& in);

// One word: everything up to the next white space or the end of input. A word longer than
// `max_length` is `TooLong`: the rest of it is consumed without being kept, so memory stays
// bounded however long it is, and the next read starts after it.
[[nodiscard]] WordRead ReadWord(InputReader& in, std::size_t max_length);

}  // namespace console
