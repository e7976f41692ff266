// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/station_options.h"

#include <limits>
#include <string_view>

#include "files/file_identity.h"
#include "console/command_line_values.h"
#include "image_files/shown_file_name.h"

namespace console {

namespace {

BatchOptionTake Refuse(std::string& error, std::string text) {
  error = std::move(text);
  return BatchOptionTake::Refused;
}

BatchOptionTake TakeCount(const std::string& value, bool missing, StationPlan& plan,
                          std::string& error) {
  std::uint64_t count = 0;
  if (missing ||
      ports::ParseDecimalOption(value, std::numeric_limits<std::uint32_t>::max(), count) !=
          ports::DecimalOption::Taken ||
      count == 0) {
    return Refuse(error, "--count needs a number of boards, from 1 to 4294967295" +
                             (missing ? std::string() : ", not '" + value + "'"));
  }
  plan.count = count;
  return BatchOptionTake::Taken;
}

// The first station option given, to name in a refusal.
const char* FirstGiven(const StationPlan& station) {
  if (station.repeat) return "--repeat";
  if (station.count) return "--count";
  if (!station.log_file.empty()) return "--log";
  return nullptr;
}

std::string PortsGiven(std::size_t count) {
  return "--port is given " + std::to_string(count) + " times";
}

// Two --port values that name one device: the same text, or the same board file or device node.
std::string SameDevice(const bus::PortSpec& one, const bus::PortSpec& other) {
  const std::string both = "--port " + image_files::ShownFileName(one.Text()) + " and --port " +
                           image_files::ShownFileName(other.Text());
  if (one.Text() == other.Text())
    return "--port " + image_files::ShownFileName(one.Text()) + " is given twice";
  for (const std::string& kept : one.kept_files) {
    for (const std::string& other_kept : other.kept_files) {
      if (files::SameFile(kept, other_kept)) return both + " name the same board file";
    }
  }
  if (!one.device_node.empty() && !other.device_node.empty() &&
      files::SameFile(one.device_node, other.device_node)) {
    return both + " name the same device";
  }
  // One device by two roads (a parallel port by ppdev and by direct), or a USB programmer named
  // once by where it is and once as the only one plugged in.
  if (!one.device_kind.empty() && one.device_kind == other.device_kind &&
      (one.device_where == other.device_where || one.device_where.empty() ||
       other.device_where.empty())) {
    return both + " name the same " + one.device_kind;
  }
  return {};
}

std::string PortsProblem(const std::vector<bus::PortSpec>& ports, const std::string& trace,
                         const BatchPlan& batch, const StationPlan& station) {
  if (ports.size() > 1 && batch.operations.empty()) {
    return PortsGiven(ports.size()) +
           ": several boards are run by batch operations only; the menu works "
           "on one board";
  }
  if (ports.size() > 1 && !trace.empty()) {
    return "--trace records the bus of one port, and " + PortsGiven(ports.size()) +
           "; trace one board in a run of its own";
  }
  for (const BatchOperation& operation : batch.operations) {
    if (!operation.WritesFile() || (ports.size() < 2 && !station.repeat)) continue;
    return std::string(OptionName(operation.kind)) + " " +
           image_files::ShownFileName(operation.file) +
           ": every board would replace that one file (" +
           (station.repeat ? std::string("--repeat") : PortsGiven(ports.size())) +
           "); read one board at a time";
  }
  for (std::size_t one = 0; one < ports.size(); ++one) {
    for (std::size_t other = one + 1; other < ports.size(); ++other) {
      if (std::string same = SameDevice(ports[one], ports[other]); !same.empty()) {
        return same + ": each board needs a port of its own";
      }
    }
  }
  return {};
}

// The log must not be a file the run reads or writes, a board file, a device node or the trace.
std::string LogProblem(const std::vector<bus::PortSpec>& ports, const std::string& trace,
                       const BatchPlan& batch, const std::string& log) {
  const auto same_as = [&](const std::string& what) {
    return "--log " + image_files::ShownFileName(log) + " is the same file as " + what +
           "; name another log";
  };
  for (const BatchOperation& operation : batch.operations) {
    if (!operation.file.empty() && files::SameFile(log, operation.file)) {
      return same_as(std::string(OptionName(operation.kind)) + " " +
                     image_files::ShownFileName(operation.file));
    }
  }
  for (const bus::PortSpec& port : ports) {
    for (const std::string& kept : port.kept_files) {
      if (files::SameFile(log, kept)) return same_as("the board file of --port " + port.Text());
    }
    if (!port.device_node.empty() && files::SameFile(log, port.device_node)) {
      return same_as("the device node of --port " + port.Text());
    }
  }
  if (!trace.empty() && files::SameFile(log, trace))
    return same_as("--trace " + image_files::ShownFileName(trace));
  return {};
}

}  // namespace

BatchOptionTake TakeStationOption(int argc, const char* const* argv, int& index, StationPlan& plan,
                                  std::string& error) {
  if (std::string_view(argv[index]) == "--repeat") {
    plan.repeat = true;
    return BatchOptionTake::Taken;
  }
  std::string value;
  bool missing = false;
  if (TakeOptionValue(argc, argv, index, "--count", value, missing)) {
    return TakeCount(value, missing, plan, error);
  }
  if (TakeOptionValue(argc, argv, index, "--log", value, missing)) {
    if (missing || value.empty()) return Refuse(error, "--log needs a file name");
    plan.log_file = value;
    return BatchOptionTake::Taken;
  }
  return BatchOptionTake::NotBatch;
}

std::string StationProblem(const std::vector<bus::PortSpec>& ports, const std::string& trace,
                           const BatchPlan& batch, const StationPlan& station) {
  if (const char* given = FirstGiven(station); given != nullptr && batch.operations.empty()) {
    return std::string(given) +
           " applies to batch operations, and none is "
           "given (--write, --read, --verify, "
           "--read-switch or --probe)";
  }
  if (station.count && !station.repeat)
    return "--count applies to --repeat, and no --repeat is given";
  if (std::string problem = PortsProblem(ports, trace, batch, station); !problem.empty()) {
    return problem;
  }
  if (station.log_file.empty()) return {};
  return LogProblem(ports, trace, batch, station.log_file);
}

}  // namespace console
