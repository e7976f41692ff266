// SPDX-License-Identifier: GPL-3.0-or-later
// Stopping a long run between boards instead of in the middle of one.
//
// Once CatchStopSignals has run, the ways a user stops a program no longer end it: they ask it to
// stop, and the program looks at StopRequested where stopping is safe (never in the middle of a
// write). A second request changes nothing: the run still ends at the next safe point.
//
// On POSIX systems these are SIGINT (Ctrl-C) and SIGTERM. On Windows they are Ctrl-C, Ctrl-Break,
// closing the console window and shutting the system down. The last two cannot be refused: Windows
// ends the process once the handler returns (or a few seconds after the close, whichever comes
// first), so the handler holds them back for a bounded time while the run reaches its safe point
// and the program ends by itself.
#pragma once

namespace platform {

void CatchStopSignals();

[[nodiscard]] bool StopRequested();

}  // namespace platform
