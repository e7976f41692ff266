// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/log_entry.h"

#include <array>
#include <cstdio>

#include "console/image_digest.h"
#include "console/json_text.h"
#include "platform/host_name.h"

namespace console {

namespace {

// "--write" as the log names it: "write".
std::string OperationWord(const BatchOperation& operation) {
  return std::string(OptionName(operation.kind)).substr(2);
}

}  // namespace

std::string LogLine(const LoggedOperation& logged, const std::string& host) {
  const BatchOperation& operation = *logged.operation;
  const OperationRecord& record = logged.record;
  JsonObject line;
  line.String("time", UtcTimestamp(logged.began))
      .String("host", host)
      .String("port", logged.port)
      .Number("board", logged.board)
      .String("operation", OperationWord(operation));
  if (operation.file.empty()) {
    line.Null("file");
  } else {
    line.String("file", operation.file);
  }
  const std::string digest = record.image ? ImageSha256(*record.image) : std::string();
  if (!digest.empty()) {
    line.String("image_sha256", digest);
  } else {
    line.Null("image_sha256");
  }
  line.String("result", logged.ok ? "ok" : "failed")
      .Addresses("written", record.written)
      .Addresses("differed", record.differed)
      .Seconds("bus_seconds", logged.bus_nanoseconds)
      .Seconds("wall_seconds", logged.wall_nanoseconds);
  if (logged.ok) {
    line.Null("message");
  } else {
    line.String("message", record.failure);
  }
  return line.Line();
}

std::string UtcTimestamp(std::chrono::system_clock::time_point when) {
  namespace chrono = std::chrono;
  const auto milliseconds = chrono::floor<chrono::milliseconds>(when);
  const auto day = chrono::floor<chrono::days>(milliseconds);
  const chrono::year_month_day date(day);
  const chrono::hh_mm_ss time(milliseconds - day);
  std::array<char, 96> text{};
  const int length = std::snprintf(
      text.data(), text.size(), "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ",
      static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
      static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
      static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()),
      static_cast<int>(time.subseconds().count()));
  return std::string(text.data(), static_cast<std::size_t>(length));
}

std::string HostName() {
  const std::string name = platform::HostName();
  return name.empty() ? "unknown" : name;
}

}  // namespace console
