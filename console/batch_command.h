// SPDX-License-Identifier: GPL-3.0-or-later
// A batch run as the command line asks for it: the files read and checked first, the log opened,
// then the operations on the one port (as RunBatch), on several boards at once, or as a station.
#pragma once

#include "bus/bus_timing.h"
#include "console/batch_run.h"
#include "console/options.h"

namespace console {

// `stop_requested` (may be null) says when SIGINT or SIGTERM asked a station to stop. Returns the
// exit status: kBatchSucceeded or kBatchFailed.
int RunBatchCommand(const Options& options, const BatchStreams& streams, bool (*stop_requested)());

}  // namespace console
