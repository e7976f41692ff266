// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/log_entry.h"

#include <array>
#include <cstdio>
#include <ctime>

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
  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  const auto since_epoch = duration_cast<milliseconds>(when.time_since_epoch()).count();
  const std::time_t seconds = static_cast<std::time_t>(since_epoch / 1000);
  std::tm utc{};
  ::gmtime_r(&seconds, &utc);
  std::array<char, 40> text{};
  const std::size_t length = std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%S", &utc);
  std::array<char, 8> fraction{};
  std::snprintf(fraction.data(), fraction.size(), ".%03dZ", static_cast<int>(since_epoch % 1000));
  return std::string(text.data(), length) + fraction.data();
}

std::string HostName() {
  const std::string name = platform::HostName();
  return name.empty() ? "unknown" : name;
}

}  // namespace console
