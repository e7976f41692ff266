// SPDX-License-Identifier: GPL-3.0-or-later
// The operations of a batch run, one function each: they run on the bus, write their files and
// print their lines, and say whether they succeeded.
//
// Standard output gets only the differences a verify finds (see image_comparison.h). Standard
// error gets everything else: a failure as one line "30p: ..." naming the operation's file and
// the cause (always printed), and unless quiet a final line per operation that succeeded, and
// on a terminal the progress of a write.
#pragma once

#include <string>

#include "console/batch_write.h"
#include "console/console_bus.h"
#include "console/console_output.h"
#include "console/operation_record.h"
#include "image_files/image_format.h"
#include "image_files/partial_image.h"

namespace console {

struct BatchContext {
  ConsoleBus& bus;
  ConsoleOutput& out;  // standard output
  ConsoleOutput& err;  // standard error
  bool quiet = false;
  bool progress = false;              // standard error is a terminal: show progress (unless quiet)
  OperationRecord* record = nullptr;  // when set, the operation tells it what it did
};

// --write FILE: writes the image `file` holds (see batch_write.h); fails when a bus operation
// fails or the read-back differs, listing the differences.
bool RunWrite(BatchContext& context, const std::string& name, const image_files::PartialImage& file,
              const BatchWriteSettings& settings);

// --verify FILE: reads the EEPROM and lists every address the file holds that differs.
bool RunVerify(BatchContext& context, const std::string& name,
               const image_files::PartialImage& file);

// --read FILE, --read-switch FILE: reads the EEPROM, or the switch chip's registers, and
// replaces FILE with them in `format`. A failed read leaves FILE as it was.
bool RunRead(BatchContext& context, const std::string& name, image_files::ImageFormat format);
bool RunReadSwitch(BatchContext& context, const std::string& name, image_files::ImageFormat format);

// --probe: the line check, then the EEPROM at 0x50 and the switch chip at 0x5F, one line each.
// Succeeds only when the lines are good and both answer.
bool RunProbe(BatchContext& context);

}  // namespace console
