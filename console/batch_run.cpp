// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/batch_run.h"

#include <optional>
#include <vector>

#include "bus/file_identity.h"
#include "console/batch_operations.h"
#include "console/image_file.h"

namespace console {

namespace {

using LoadedInputs = std::vector<std::optional<PartialImage>>;

// Whether an operation before `index` replaces the file operation `index` reads.
bool MadeEarlier(const BatchPlan& plan, std::size_t index) {
  for (std::size_t earlier = 0; earlier < index; ++earlier) {
    const BatchOperation& operation = plan.operations[earlier];
    if (operation.WritesFile() && bus::SameFile(operation.file, plan.operations[index].file)) {
      return true;
    }
  }
  return false;
}

// Reads the file of operation `index`; on failure prints why and gives nothing.
std::optional<PartialImage> ReadInput(const BatchPlan& plan, std::size_t index,
                                      ConsoleOutput& err) {
  const std::string& name = plan.operations[index].file;
  ImageFileRead read = ReadImageFile(name, plan.FormatOf(name));
  if (!read.image) {
    err.Write("30p: " + read.error + "\n");
  }
  return read.image;
}

// The files of every reading operation, except those an earlier operation makes; false (after
// the message) when one cannot be read or is refused.
bool ReadInputsFirst(const BatchPlan& plan, ConsoleOutput& err, LoadedInputs& inputs) {
  inputs.assign(plan.operations.size(), std::nullopt);
  for (std::size_t index = 0; index < plan.operations.size(); ++index) {
    if (!plan.operations[index].ReadsFile() || MadeEarlier(plan, index)) continue;
    inputs[index] = ReadInput(plan, index, err);
    if (!inputs[index]) return false;
  }
  return true;
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

}  // namespace

int RunBatch(const BatchPlan& plan, bus::BusConnection& bus, const BatchStreams& streams) {
  LoadedInputs inputs;
  if (!ReadInputsFirst(plan, streams.err, inputs)) {
    return kBatchFailed;
  }
  const PortHeldForRun held(bus);
  ConsoleBus console_bus(bus, streams.out);
  BatchContext context{console_bus, streams.out, streams.err, plan.quiet, streams.err_is_terminal};
  for (std::size_t index = 0; index < plan.operations.size(); ++index) {
    if (!RunOperation(context, plan, index, inputs)) {
      streams.out.Flush();
      return kBatchFailed;
    }
  }
  streams.out.Flush();
  return kBatchSucceeded;
}

}  // namespace console
