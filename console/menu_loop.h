// SPDX-License-Identifier: GPL-3.0-or-later
// The menu loop: the nine-entry menu, the choice, and the command behind it.
#pragma once

#include "console/console_session.h"

namespace console {

// "\n", "\nEnter Option:\n" and the nine menu lines.
void PrintMenu(ConsoleOutput& out);

// Runs the menu until entry 9, a number outside 1 to 8, or the end of input. A line that does
// not start with a number is discarded and the menu shown again.
void RunMenuLoop(ConsoleSession& session);

}  // namespace console
