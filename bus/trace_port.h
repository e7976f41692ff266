// SPDX-License-Identifier: GPL-3.0-or-later
// A recorder that wraps any port and logs every access to a file (`--trace FILE`).
//
//   FILE ending in ".vcd" (in any case): a Value Change Dump with 1-bit wires `scl` and `sda`, one timestamp per
//     access (nanoseconds), that waveform viewers open and protocol decoders decode. On the virtual
//     board the wires carry the true bus levels (the wired-AND of every driver); on hardware `scl`
//     and `sda` are the driven levels and `sda_sense` is the level sensed on the status input.
//   any other name: a text log, one line per access, "T W data 80", "T W control 04",
//     "T R status 40", T being nanoseconds of the port's clock since it was opened (so simulated
//     time on the virtual board); lines starting with '#' are comments.
//   A remark of the port about the bus (the virtual board's note of a timing violation) follows
//   the access that made it as a comment ("# ..." in the text log, "$comment ... $end" in the VCD).
//   In both, T (the VCD timestamp) is the port's clock read just after the access returned, so the
//   levels an access left hold from its T on; T strictly increases (an access whose reading does
//   not exceed the previous one's is put 1 ns after it, which only a coarse hardware clock needs).
//   The recorder buffers its output and writes it out in large blocks and when it is destroyed
//   (see TraceFile, which also says what becomes of a FIFO or a full disk).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "bus/port.h"

namespace bus {

struct TraceOpenResult {
  std::unique_ptr<Port> port;  // the recorder wrapping `inner`, on success
  std::string error;           // names the trace file and the system's reason, on failure
};

// True for a FILE that gets a VCD (its name ends in ".vcd", in any case).
[[nodiscard]] bool IsVcdTraceName(std::string_view file);

// Creates (or truncates) FILE and returns a port that forwards every access to `inner` and
// records it. On failure `inner` is destroyed (the port is closed again).
[[nodiscard]] TraceOpenResult OpenTrace(std::unique_ptr<Port> inner, const std::string& file);

}  // namespace bus
