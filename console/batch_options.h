// SPDX-License-Identifier: GPL-3.0-or-later
// The batch form of the command line: the operations 30p runs in the order given, without the
// menu, and the options that apply to all of them.
//
//   --write FILE, --read FILE, --verify FILE, --read-switch FILE, --probe   (repeatable)
//   --all, --no-verify, --page-size N (every --write), --format WORD (every FILE), --quiet
//
// A modifier without the operation it applies to is refused, as is a file name that is missing
// or empty. The whole command line is taken before anything runs.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "bus/page_runs.h"
#include "ports/port_spec.h"
#include "bus/trace_checks.h"
#include "image_files/image_format.h"

namespace console {

enum class BatchOperationKind { Write, Read, Verify, ReadSwitch, Probe };

struct BatchOperation {
  BatchOperationKind kind = BatchOperationKind::Probe;
  std::string file;  // the file it reads or writes; empty for --probe

  // --write and --verify read their file; --read and --read-switch replace theirs.
  [[nodiscard]] bool ReadsFile() const;
  [[nodiscard]] bool WritesFile() const;
};

struct BatchPlan {
  std::vector<BatchOperation> operations;
  bool write_all = false;     // --all: write every address the file holds, unread
  bool verify_writes = true;  // cleared by --no-verify
  std::optional<image_files::ImageFormat> format;  // --format: the format of every file
  bool quiet = false;                              // --quiet: failures only
  std::optional<std::size_t> page_size;  // --page-size: bytes of one page write (1: byte writes)

  // The page size every --write writes in: --page-size, else byte writes.
  [[nodiscard]] std::size_t PageSize() const { return page_size.value_or(bus::kByteWrites); }

  // The format `file` is read or written in: --format, else the one its name stands for.
  [[nodiscard]] image_files::ImageFormat FormatOf(const std::string& file) const;
};

// The option, as written on the command line, of an operation ("--write").
[[nodiscard]] const char* OptionName(BatchOperationKind kind);

enum class BatchOptionTake { NotBatch, Taken, Refused };

// Takes the batch option at argv[index] into `plan` and advances `index` past its value.
// NotBatch when the argument is none of them; Refused with `error` (one line, no "30p: ") when
// its value is missing or wrong.
[[nodiscard]] BatchOptionTake TakeBatchOption(int argc, const char* const* argv, int& index,
                                              BatchPlan& plan, std::string& error);

// After the whole command line: empty when the plan can run, else (one line) which modifier has
// no operation to apply to.
[[nodiscard]] std::string CheckBatchPlan(const BatchPlan& plan);

// Whether `trace` can be the trace of this run: not a file an operation reads or replaces,
// whether or not that file exists yet, nor the port's board file. Empty when it can; else one line.
[[nodiscard]] std::string BatchTraceProblem(const std::string& trace, const bus::PortSpec& port,
                                            const BatchPlan& plan);

// Empty when no operation replaces a file the port keeps (the virtual board's EEPROM file, which
// the board goes on writing while the run lasts) or its device node; else one line naming both.
[[nodiscard]] std::string BatchOutputProblem(const bus::PortSpec& port, const BatchPlan& plan);

}  // namespace console
