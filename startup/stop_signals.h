// SPDX-License-Identifier: GPL-3.0-or-later
// Stopping a long run between boards instead of in the middle of one.
//
// Once CatchStopSignals has run, SIGINT (Ctrl-C) and SIGTERM no longer end the program: they ask it
// to stop, and the program looks at StopRequested where stopping is safe (never in the middle of a
// write). A second signal changes nothing: the run still ends at the next safe point.
#pragma once

namespace bus {

void CatchStopSignals();

[[nodiscard]] bool StopRequested();

}  // namespace bus
