// SPDX-License-Identifier: GPL-3.0-or-later
// The commands behind menu entries 1 to 8. Each runs to completion and returns to the menu;
// Flow::Quit means the input ended while the command was reading it.
#pragma once

#include "console/console_session.h"

namespace console {

Flow WriteEepromCommand(ConsoleSession& session);      // 1. Write EEPROM
Flow ChangeBufferData(ConsoleSession& session);        // 2. Change buffer data
Flow SaveBufferToFile(ConsoleSession& session);        // 3. Save buffer to file
Flow ReadCustomFile(ConsoleSession& session);          // 4. Read custom file
Flow ReadEepromToBuffer(ConsoleSession& session);      // 5. Read EEPROM to buffer
Flow VerifyEeprom(ConsoleSession& session);            // 6. Verify EEPROM
Flow ProgramDefaultValues(ConsoleSession& session);    // 7. Program default values
Flow ReadSwitchRegisters(ConsoleSession& session);     // 8. Read the switch chip's registers

}  // namespace console
