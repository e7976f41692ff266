// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/batch_run.h"

#include <chrono>

#include "files/file_identity.h"
#include "console/batch_operations.h"
#include "console/log_entry.h"
#include "image_files/image_file.h"

namespace console {

namespace {

// Whether an operation before `index` replaces the file operation `index` reads.
bool MadeEarlier(const BatchPlan& plan, std::size_t index) {
  for (std::size_t earlier = 0; earlier < index; ++earlier) {
    const BatchOperation& operation = plan.operations[earlier];
    if (operation.WritesFile() && files::SameFile(operation.file, plan.operations[index].file)) {
      return true;
    }
  }
  return false;
}

// Reads the file of operation `index`; on failure prints why and gives nothing.
std::optional<image_files::PartialImage> ReadInput(const BatchPlan& plan, std::size_t index,
                                                   ConsoleOutput& err) {
  const std::string& name = plan.operations[index].file;
  image_files::ImageFileRead read = image_files::ReadImageFile(name, plan.FormatOf(name));
  if (!read.image) {
    err.Write("30p: " + read.error + "\n");
  }
  return read.image;
}

bool RunOperation(BatchContext& context, const BatchPlan& plan, std::size_t index,
                  LoadedInputs& inputs) {
  const BatchOperation& operation = plan.operations[index];
  if (operation.ReadsFile() && !inputs[index]) {
    inputs[index] = ReadInput(plan, index, context.err);
    if (!inputs[index]) return false;
  }
  switch (operation.kind) {
    case BatchOperationKind::Write:
      return RunWrite(context, operation.file, *inputs[index],
                      {.write_all = plan.write_all,
                       .verify = plan.verify_writes,
                       .page_size = plan.PageSize()});
    case BatchOperationKind::Verify:
      return RunVerify(context, operation.file, *inputs[index]);
    case BatchOperationKind::Read:
      return RunRead(context, operation.file, plan.FormatOf(operation.file));
    case BatchOperationKind::ReadSwitch:
      return RunReadSwitch(context, operation.file, plan.FormatOf(operation.file));
    case BatchOperationKind::Probe:
      return RunProbe(context);
  }
  return false;
}

// Keeps the port taken from the first bus operation of the run to the last, so that a --write
// (read, write in slices, read back) and the operations after it never meet another program's
// use of the port half way.
class PortHeldForRun {
 public:
  explicit PortHeldForRun(bus::BusConnection& bus) : bus_(bus) { bus_.Hold(); }
  ~PortHeldForRun() { bus_.Unhold(); }
  PortHeldForRun(const PortHeldForRun&) = delete;
  PortHeldForRun& operator=(const PortHeldForRun&) = delete;

 private:
  bus::BusConnection& bus_;
};

// The port's clock: simulated time on the virtual board, else the time since the port opened.
std::uint64_t PortNanoseconds(const bus::BusConnection& bus) {
  const bus::PortBase* port = bus.CurrentPort();
  return port == nullptr ? 0 : port->NowNanoseconds();
}

std::uint64_t NanosecondsSince(std::chrono::steady_clock::time_point started) {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                        std::chrono::steady_clock::now() - started)
                                        .count());
}

// Runs operation `index` and, with a log, appends its line; false when either fails.
bool RunLogged(BatchContext& context, const BatchPlan& plan, std::size_t index,
               LoadedInputs& inputs, bus::BusConnection& bus, const BoardRecord& board) {
  if (board.log == nullptr) return RunOperation(context, plan, index, inputs);
  LoggedOperation logged{.port = board.port,
                         .board = board.board,
                         .operation = &plan.operations[index],
                         .ok = false,
                         .record = {},
                         .began = std::chrono::system_clock::now()};
  // The operation's lines wait for its log line: whatever becomes of standard error (a reader
  // that has gone, a station stopped with its tee), the log has the line first.
  HeldLines said(context.err);
  BatchContext logging{context.bus, context.out, said, context.quiet, context.progress,
                       &logged.record};
  const auto started = std::chrono::steady_clock::now();
  const std::uint64_t bus_started = PortNanoseconds(bus);
  logged.ok = RunOperation(logging, plan, index, inputs);
  logged.bus_nanoseconds = PortNanoseconds(bus) - bus_started;
  logged.wall_nanoseconds = NanosecondsSince(started);
  const std::string error = board.log->Append(LogLine(logged, *board.host));
  said.Release();
  if (!error.empty()) {
    context.err.Write("30p: " + error + "\n");
    return false;
  }
  return logged.ok;
}

}  // namespace

bool ReadInputsFirst(const BatchPlan& plan, ConsoleOutput& err, LoadedInputs& inputs) {
  inputs.assign(plan.operations.size(), std::nullopt);
  for (std::size_t index = 0; index < plan.operations.size(); ++index) {
    if (!plan.operations[index].ReadsFile() || MadeEarlier(plan, index)) continue;
    inputs[index] = ReadInput(plan, index, err);
    if (!inputs[index]) return false;
  }
  return true;
}

bool RunOnBoard(const BatchPlan& plan, LoadedInputs& inputs, bus::BusConnection& bus,
                const BatchStreams& streams, const BoardRecord& record) {
  const PortHeldForRun held(bus);
  ConsoleBus console_bus(bus, streams.out);
  BatchContext context{console_bus, streams.out, streams.err, plan.quiet, streams.err_is_terminal};
  for (std::size_t index = 0; index < plan.operations.size(); ++index) {
    if (!RunLogged(context, plan, index, inputs, bus, record)) {
      streams.out.Flush();
      return false;
    }
  }
  streams.out.Flush();
  return true;
}

int RunBatch(const BatchPlan& plan, bus::BusConnection& bus, const BatchStreams& streams) {
  LoadedInputs inputs;
  if (!ReadInputsFirst(plan, streams.err, inputs)) {
    return kBatchFailed;
  }
  return RunOnBoard(plan, inputs, bus, streams, {}) ? kBatchSucceeded : kBatchFailed;
}

}  // namespace console
