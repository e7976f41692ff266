// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/menu_loop.h"

#include "console/commands.h"
#include "console/input_conversions.h"

namespace console {

namespace {

using Command = Flow (*)(ConsoleSession&);

// Entries 1 to 8, in menu order.
constexpr Command kCommands[] = {
    WriteEepromCommand, ChangeBufferData,   SaveBufferToFile,     ReadCustomFile,
    ReadEepromToBuffer, VerifyEeprom,       ProgramDefaultValues, ReadSwitchRegisters,
};

constexpr int kEntryCount = static_cast<int>(sizeof kCommands / sizeof kCommands[0]);

}  // namespace

void PrintMenu(ConsoleOutput& out) {
  out.Write("\n");
  out.Write("\nEnter Option:\n");
  out.Write("1. Write EEPROM\n");
  out.Write("2. Change buffer data\n");
  out.Write("3. Save buffer to file (Enter file name)\n");
  out.Write("4. Read custom file\n");
  out.Write("5. Read EEPROM to buffer \n");
  out.Write("6. Verify EEPROM\n");
  out.Write("7. Program default values\n");
  out.Write("8. Read LX5030P registers\n");
  out.Write("9. Exit\n");
}

void RunMenuLoop(ConsoleSession& session) {
  for (;;) {
    PrintMenu(session.out);
    const DecimalRead choice = ReadDecimal(session.in);
    if (choice.status == ReadStatus::Ended) {
      return;
    }
    if (choice.status == ReadStatus::NotANumber) {
      session.in.DiscardLine();  // never taken as the previous choice again
      continue;
    }
    // 9, and every number outside 1 to 8, ends the program without a word.
    if (choice.value < 1 || choice.value > kEntryCount) {
      return;
    }
    if (kCommands[choice.value - 1](session) == Flow::Quit) {
      return;
    }
  }
}

}  // namespace console
