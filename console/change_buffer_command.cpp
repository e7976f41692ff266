// SPDX-License-Identifier: GPL-3.0-or-later
// Entry 2: edit bytes of the image, one address and one byte at a time, until the answer "y".
#include <cstdint>
#include <optional>

#include "console/commands.h"
#include "console/input_conversions.h"

namespace console {

namespace {

constexpr int kLastAddress = static_cast<int>(bus::kEepromSize) - 1;

// Both questions take one token each and refuse it whole; after a refusal the rest of the line
// goes too, so nothing typed after a bad entry is taken as the answer to the next question.

// The address to change, asked for until it is a number from 0 to 127; nothing when input ends.
std::optional<int> AskAddress(ConsoleSession& session) {
  for (;;) {
    session.out.Write("\nEnter the address location you want to change. (0 to 127)\n");
    const DecimalRead address = ReadDecimalToken(session.in);
    if (address.status == ReadStatus::Ended) {
      return std::nullopt;
    }
    if (address.status == ReadStatus::Ok && address.value >= 0 && address.value <= kLastAddress) {
      return address.value;
    }
    session.in.DiscardLine();
    session.out.Write("The address must be a number from 0 to 127.\n");
  }
}

// The new byte: the low 8 bits of a hexadecimal number, which may carry a sign ("-1": ff),
// asked for until one comes.
std::optional<std::uint8_t> AskByte(ConsoleSession& session) {
  for (;;) {
    session.out.Write("Enter the byte in HEX format.\n");
    const HexRead byte = ReadHexToken(session.in);
    if (byte.status == ReadStatus::Ended) {
      return std::nullopt;
    }
    if (byte.status == ReadStatus::Ok) {
      return static_cast<std::uint8_t>(byte.value & 0xFFu);
    }
    session.in.DiscardLine();
    session.out.Write("The byte must be a hexadecimal number, such as 3f.\n");
  }
}

}  // namespace

Flow ChangeBufferData(ConsoleSession& session) {
  // The title says "default data" whatever the image holds now.
  session.out.Write("Contents of default data:\n");
  ImageListing(session.out, session.EepromImage, session.CommandListing());
  for (;;) {
    const std::optional<int> address = AskAddress(session);
    if (!address) {
      return Flow::Quit;
    }
    const std::optional<std::uint8_t> byte = AskByte(session);
    if (!byte) {
      return Flow::Quit;
    }
    session.EepromImage[static_cast<std::size_t>(*address)] = *byte;
    session.out.Write("Done (y/n)?\n");
    const CharRead answer = ReadNonSpace(session.in);
    if (answer.status == ReadStatus::Ended) {
      return Flow::Quit;
    }
    if (answer.value == 'y') {  // only a lower-case y ends the editing
      break;
    }
  }
  ImageListing(session.out, session.EepromImage, session.CommandListing());
  session.out.Write("\n");
  return Flow::Continue;
}

}  // namespace console
