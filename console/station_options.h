// SPDX-License-Identifier: GPL-3.0-or-later
// The options of a batch run on several boards, one after another on a station, or both, and the
// checks that need the whole command line:
//
//   --port SPEC   given more than once: the operations run on every board at once
//   --repeat      the operations run again for each board put on each port, until stopped
//   --count N     with --repeat: stop after N boards on each port
//   --log FILE    append a line per operation per board to FILE (see log_entry.h)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ports/port_spec.h"
#include "console/batch_options.h"

namespace console {

struct StationPlan {
  bool repeat = false;                 // --repeat
  std::optional<std::uint64_t> count;  // --count N: boards per port
  std::string log_file;                // --log FILE; empty: no log
};

// Takes --repeat, --count N or --log FILE at argv[index] into `plan`, as TakeBatchOption does.
[[nodiscard]] BatchOptionTake TakeStationOption(int argc, const char* const* argv, int& index,
                                                StationPlan& plan, std::string& error);

// After the whole command line: empty when the ports, the operations and the station options go
// together; else one line saying what does not. `ports` are all the --port given.
[[nodiscard]] std::string StationProblem(const std::vector<bus::PortSpec>& ports,
                                         const std::string& trace, const BatchPlan& batch,
                                         const StationPlan& station);

}  // namespace console
