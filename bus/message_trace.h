// SPDX-License-Identifier: GPL-3.0-or-later
// A recorder that wraps an I2C adapter and logs every transfer to a file (`--trace FILE` with an
// i2c port). The adapter makes the bit timing itself, so there are no line levels to draw: the
// trace is a text log of the messages, one line per transfer:
//
//   T W 50: 05 3c                      a write of two bytes to bus address 0x50
//   T W 50: 00 | R 50: ff ff ...       a write and a read with a repeated start between them
//   T W 50: 06 00 ! ENXIO No such device or address
//                                      a transfer the adapter failed, with the system's error;
//                                      the bytes of a read that failed are not shown
//
// T is nanoseconds of the adapter's clock since it was opened, read just after the transfer.
// Lines starting with '#' are comments. See TraceFile for FIFOs and full disks.
#pragma once

#include <memory>
#include <string>

#include "bus/i2c_adapter.h"
#include "bus/trace_port.h"

namespace bus {

struct MessageTraceOpenResult {
  std::unique_ptr<I2cAdapter> adapter;  // the recorder wrapping `inner`, on success
  std::string error;                    // names the trace file and the cause, on failure
};

// Creates (or truncates) FILE and returns an adapter that forwards every transfer to `inner` and
// records it. On failure `inner` is destroyed (the adapter is closed again).
[[nodiscard]] MessageTraceOpenResult OpenMessageTrace(std::unique_ptr<I2cAdapter> inner,
                                                      const std::string& file);

}  // namespace bus
