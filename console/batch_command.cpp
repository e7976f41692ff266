// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/batch_command.h"

#include <memory>
#include <vector>

#include "console/boards_at_once.h"
#include "console/log_entry.h"

namespace console {

int RunBatchCommand(const Options& options, const BatchStreams& streams, bool (*stop_requested)()) {
  LoadedInputs inputs;
  if (!ReadInputsFirst(options.batch, streams.err, inputs)) return kBatchFailed;
  TraceabilityLog log;
  const bool logged = !options.station.log_file.empty();
  if (logged) {
    if (const std::string error = log.Open(options.station.log_file); !error.empty()) {
      streams.err.Write("30p: " + error + "\n");
      return kBatchFailed;
    }
  }
  const StationSettings settings{.plan = options.batch,
                                 .station = options.station,
                                 .inputs = inputs,
                                 .log = logged ? &log : nullptr,
                                 .host = logged ? HostName() : std::string(),
                                 .terminal = streams.err_is_terminal,
                                 .stop_requested = stop_requested};
  const std::vector<bus::PortSpec> specs = options.BatchPorts();
  std::vector<std::unique_ptr<bus::BusConnection>> connections;
  std::vector<BoardPort> ports;
  for (const bus::PortSpec& spec : specs) {
    connections.push_back(std::make_unique<bus::BusConnection>(
        bus::BusOptions{spec, options.trace_file, bus::TimingPolicy::Console}));
    ports.push_back({spec.Text(), connections.back().get()});
  }
  if (ports.size() == 1 && !options.station.repeat) {
    return RunOnBoard(options.batch, inputs, *connections.front(), streams,
                      {ports.front().name, 1, settings.log, &settings.host})
               ? kBatchSucceeded
               : kBatchFailed;
  }
  return RunBoardsAtOnce(ports, streams.out, streams.err, settings);
}

}  // namespace console
