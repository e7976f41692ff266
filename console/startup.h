// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the default data file, the banner, the one-key wait and the start-up listing.
#pragma once

#include "console/console_session.h"

namespace console {

// The identification lines, the title and the connection advice, up to "Push ENTER to continue.".
void PrintBanner(ConsoleOutput& out);

// Loads 30p.dat into EepromImage (0xFF where the file is short), prints the banner, waits for one
// key and lists the image with hexadecimal addresses. Quit when 30p.dat cannot be read (after
// "file open failed. ") or when the input ends at the wait.
Flow RunStartup(ConsoleSession& session);

}  // namespace console
