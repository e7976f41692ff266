// SPDX-License-Identifier: GPL-3.0-or-later
// The line the traceability log keeps for one operation on one board: a JSON object with
//
//   time          when the operation began: UTC, ISO 8601 with milliseconds,
//   2026-12-09T06:45:48.123Z host          the machine's host name port          the port
//   specification of the board board         which board on that port: 1 for a single run, counting
//   up in a station operation     write, read, verify, read-switch or probe file          the
//   operation's file (null for probe) image_sha256  the SHA-256 of the image written, compared or
//   read (null for probe) result        "ok" or "failed" written       the addresses a byte write
//   completed at differed      the addresses at which the EEPROM differed from the file at the end
//   bus_seconds   the port's time the operation took: simulated on the virtual board, else real
//   wall_seconds  the real time the operation took
//   message       why it failed (null when it succeeded)
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "console/batch_options.h"
#include "console/operation_record.h"

namespace console {

struct LoggedOperation {
  std::string port;
  std::uint64_t board = 1;
  const BatchOperation* operation = nullptr;
  bool ok = false;
  OperationRecord record;
  std::chrono::system_clock::time_point began;
  std::uint64_t bus_nanoseconds = 0;
  std::uint64_t wall_nanoseconds = 0;
};

// The log line, its line break included.
[[nodiscard]] std::string LogLine(const LoggedOperation& logged, const std::string& host);

// "2026-12-09T06:45:48.123Z".
[[nodiscard]] std::string UtcTimestamp(std::chrono::system_clock::time_point when);

// The machine's host name; "unknown" when the system gives none.
[[nodiscard]] std::string HostName();

}  // namespace console
