// SPDX-License-Identifier: GPL-3.0-or-later
// The traceability log of --log FILE: one line per operation per board, appended.
//
// The file is opened for appending (created if missing) and each line goes to it with a single
// write and is then flushed to the disk before the call returns, so a power cut loses at
// most the line being written, and several programs appending to one log never tear each other's
// lines (each write lands whole at the end: platform::AppendFile). One object serves all the boards
// of a run; their lines go one at a time.
//
// A line cut short (a disk that filled up half way through it, in this run or an earlier one) or
// a last line someone left without its line break is ended before the next line is appended, so
// it stands alone as one unreadable line and every line after it still reads as a record.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "platform/append_file.h"

namespace console {

class TraceabilityLog {
 public:
  TraceabilityLog() = default;
  TraceabilityLog(const TraceabilityLog&) = delete;
  TraceabilityLog& operator=(const TraceabilityLog&) = delete;

  // Opens `path` for appending. Empty on success; else one line naming the file and the cause. Only
  // a regular file or a character device (/dev/null) is taken: a FIFO would block the run.
  [[nodiscard]] std::string Open(const std::string& path);

  // Appends `line` (one line, its line break included) and flushes it to the disk. Empty on
  // success; else one line naming the file and the cause.
  [[nodiscard]] std::string Append(const std::string& line);

  // Whether a line could not be written: the run stops at its next safe point.
  [[nodiscard]] bool Broken() const { return broken_.load(); }

 private:
  std::string WriteWhole(const std::string& line);

  std::mutex mutex_;
  std::string path_;
  platform::AppendFile file_;
  std::atomic<bool> broken_{false};
};

}  // namespace console
