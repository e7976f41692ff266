// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/traceability_log.h"

#include "image_files/shown_file_name.h"

namespace console {

std::string TraceabilityLog::Open(const std::string& path) {
  path_ = path;
  const std::string cause = file_.Open(path);
  if (!cause.empty())
    return "cannot open the log " + image_files::ShownFileName(path) + ": " + cause;
  return {};
}

std::string TraceabilityLog::Append(const std::string& line) {
  const std::lock_guard lock(mutex_);
  std::string error = WriteWhole(line);
  if (!error.empty()) broken_.store(true);
  return error;
}

std::string TraceabilityLog::WriteWhole(const std::string& line) {
  const std::string cannot = "cannot write the log " + image_files::ShownFileName(path_) + ": ";
  if (!file_.IsOpen()) return cannot + "it is not open";
  // The line break that ends a torn line goes with the new line, in the same single write.
  const platform::AppendFile::Written written = file_.WriteLine(line);
  if (!written.error.empty()) return cannot + written.error;
  if (written.count != written.size) {
    // Another write for the rest could land after another program's line: the line stays torn.
    return cannot + "only " + std::to_string(written.count) + " of the line's " +
           std::to_string(written.size) + " bytes were written (is the disk full?)";
  }
  const std::string unsynced = file_.Sync();
  if (!unsynced.empty()) return cannot + unsynced;
  return {};
}

}  // namespace console
