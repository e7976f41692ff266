// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/batch_options.h"

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <string_view>

#include "files/file_identity.h"
#include "ports/port_spec.h"
#include "console/command_line_values.h"
#include "image_files/shown_file_name.h"

namespace console {

namespace {

struct OperationOption {
  BatchOperationKind kind;
  const char* name;
  const char* role;  // what its file is to the run, for the trace check
};

constexpr std::array kOperationOptions{
    OperationOption{BatchOperationKind::Write, "--write", "the input of --write"},
    OperationOption{BatchOperationKind::Read, "--read", "the output of --read"},
    OperationOption{BatchOperationKind::Verify, "--verify", "the input of --verify"},
    OperationOption{BatchOperationKind::ReadSwitch, "--read-switch", "the output of --read-switch"},
};

const OperationOption& OptionOf(BatchOperationKind kind) {
  for (const OperationOption& option : kOperationOptions) {
    if (option.kind == kind) return option;
  }
  return kOperationOptions.front();
}

bool HasOperation(const BatchPlan& plan, BatchOperationKind kind) {
  for (const BatchOperation& operation : plan.operations) {
    if (operation.kind == kind) return true;
  }
  return false;
}

BatchOptionTake TakeFormat(const std::string& word, BatchPlan& plan, std::string& error) {
  const image_files::FormatWordResult parsed = image_files::ParseFormatWord(word);
  if (!parsed.format) {
    error = parsed.error;
    return BatchOptionTake::Refused;
  }
  if (plan.format && *plan.format != *parsed.format) {
    error = std::string("--format is given twice, as ") + image_files::FormatWord(*plan.format) +
            " and " + image_files::FormatWord(*parsed.format) +
            "; it applies to every file, so give it once";
    return BatchOptionTake::Refused;
  }
  plan.format = parsed.format;
  return BatchOptionTake::Taken;
}

BatchOptionTake TakePageSize(const std::string& text, BatchPlan& plan, std::string& error) {
  std::uint64_t size = 0;
  if (ports::ParseDecimalOption(text, bus::kLargestPageSize, size) != ports::DecimalOption::Taken ||
      !bus::IsPageSize(size)) {
    error = "--page-size '" + image_files::ShownFileName(text) +
            "' is not a page size; use 1, 2, 4, 8 or 16";
    return BatchOptionTake::Refused;
  }
  if (plan.page_size && *plan.page_size != size) {
    error = "--page-size is given twice, as " + std::to_string(*plan.page_size) + " and " +
            std::to_string(size) + "; it applies to every --write, so give it once";
    return BatchOptionTake::Refused;
  }
  plan.page_size = size;
  return BatchOptionTake::Taken;
}

}  // namespace

bool BatchOperation::ReadsFile() const {
  return kind == BatchOperationKind::Write || kind == BatchOperationKind::Verify;
}

bool BatchOperation::WritesFile() const {
  return kind == BatchOperationKind::Read || kind == BatchOperationKind::ReadSwitch;
}

image_files::ImageFormat BatchPlan::FormatOf(const std::string& file) const {
  return format ? *format : image_files::FormatFromFileName(file);
}

const char* OptionName(BatchOperationKind kind) {
  return kind == BatchOperationKind::Probe ? "--probe" : OptionOf(kind).name;
}

BatchOptionTake TakeBatchOption(int argc, const char* const* argv, int& index, BatchPlan& plan,
                                std::string& error) {
  const std::string_view argument = argv[index];
  if (argument == "--probe") {
    plan.operations.push_back({BatchOperationKind::Probe, {}});
    return BatchOptionTake::Taken;
  }
  if (argument == "--all" || argument == "--no-verify" || argument == "--quiet") {
    plan.write_all = plan.write_all || argument == "--all";
    plan.verify_writes = plan.verify_writes && argument != "--no-verify";
    plan.quiet = plan.quiet || argument == "--quiet";
    return BatchOptionTake::Taken;
  }
  std::string value;
  bool missing = false;
  if (TakeOptionValue(argc, argv, index, "--format", value, missing)) {
    if (missing) {
      error = "--format needs a file format: raw, ihex or srec";
      return BatchOptionTake::Refused;
    }
    return TakeFormat(value, plan, error);
  }
  if (TakeOptionValue(argc, argv, index, "--page-size", value, missing)) {
    if (missing) {
      error = "--page-size needs the bytes of one page write: 1, 2, 4, 8 or 16";
      return BatchOptionTake::Refused;
    }
    return TakePageSize(value, plan, error);
  }
  for (const OperationOption& option : kOperationOptions) {
    if (!TakeOptionValue(argc, argv, index, option.name, value, missing)) continue;
    // An empty name is most likely an unset variable in a script.
    if (missing || value.empty()) {
      error = std::string(option.name) + " needs a file name" +
              (missing ? "" : ", and the one given is empty");
      return BatchOptionTake::Refused;
    }
    plan.operations.push_back({option.kind, value});
    return BatchOptionTake::Taken;
  }
  return BatchOptionTake::NotBatch;
}

std::string CheckBatchPlan(const BatchPlan& plan) {
  if (plan.operations.empty()) {
    const char* modifier = plan.quiet            ? "--quiet"
                           : plan.format         ? "--format"
                           : plan.write_all      ? "--all"
                           : !plan.verify_writes ? "--no-verify"
                           : plan.page_size      ? "--page-size"
                                                 : nullptr;
    if (modifier == nullptr) return {};
    return std::string(modifier) +
           " applies to batch operations, and none is given (--write, --read, --verify, "
           "--read-switch or --probe)";
  }
  const bool writes = HasOperation(plan, BatchOperationKind::Write);
  if (plan.write_all && !writes) return "--all applies to --write, and no --write is given";
  if (!plan.verify_writes && !writes) {
    return "--no-verify applies to --write, and no --write is given";
  }
  if (plan.page_size && !writes) return "--page-size applies to --write, and no --write is given";
  // A page size too large for the EEPROM wraps inside its page without any error on the bus:
  // only the read-back can tell, so page writes always have it.
  if (plan.PageSize() > bus::kByteWrites && !plan.verify_writes) {
    return "--no-verify cannot go with --page-size " + std::to_string(plan.PageSize()) +
           ": only the read-back shows a page size too large for the EEPROM";
  }
  return {};
}

std::string BatchOutputProblem(const bus::PortSpec& port, const BatchPlan& plan) {
  for (const BatchOperation& operation : plan.operations) {
    if (!operation.WritesFile()) continue;
    const std::string output = std::string(OptionName(operation.kind)) + " " +
                               image_files::ShownFileName(operation.file) + " is the ";
    const std::string of_port = " of --port " + image_files::ShownFileName(port.Text());
    for (const std::string& kept : port.kept_files) {
      if (files::SameFile(operation.file, kept)) {
        return output + "board file" + of_port +
               ", which the board keeps its EEPROM in while it runs; name another file";
      }
    }
    if (!port.device_node.empty() && files::SameFile(operation.file, port.device_node)) {
      return output + "device node" + of_port + "; name another file";
    }
  }
  return {};
}

std::string BatchTraceProblem(const std::string& trace, const bus::PortSpec& port,
                              const BatchPlan& plan) {
  std::vector<bus::ProgramFile> files;
  for (const BatchOperation& operation : plan.operations) {
    if (operation.file.empty()) continue;
    files.push_back({operation.file, OptionOf(operation.kind).role});
    // A file not made yet: the trace would make it first, and the operation replace it later.
    struct stat status {};
    if (::stat(operation.file.c_str(), &status) != 0 && files::SameFile(trace, operation.file)) {
      return "--trace " + image_files::ShownFileName(trace) + " is the same file as " +
             OptionOf(operation.kind).role + " " + image_files::ShownFileName(operation.file) +
             ", which would replace the trace; name another trace file";
    }
  }
  return bus::TraceProblem(trace, port, files);
}

}  // namespace console
