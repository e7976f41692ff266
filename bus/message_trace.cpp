// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/message_trace.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "bus/forwarding_port.h"
#include "bus/trace_decimal.h"
#include "bus/trace_file.h"
#include "platform/error_numbers.h"

namespace bus {
namespace {

class TraceAdapter final : public ForwardingPort<I2cAdapter> {
 public:
  TraceAdapter(std::unique_ptr<I2cAdapter> inner, std::unique_ptr<TraceFile> file)
      : ForwardingPort<I2cAdapter>(std::move(inner)), file_(std::move(file)) {
    file_->Append("# I2C trace of ");
    file_->Append(inner_->Name());
    file_->Append(
        "\n# one line per transfer: T, then each message as W|R ADDRESS: BYTES (hexadecimal),\n"
        "# messages joined by ' | ', and '! ERROR reason' after a transfer that failed\n"
        "# T: nanoseconds of the adapter's clock since it was opened, read after the transfer\n");
  }

  int Transfer(std::span<I2cMessage> messages) override {
    const int error = inner_->Transfer(messages);
    Record(messages, error);
    return error;
  }

 private:
  void Record(std::span<const I2cMessage> messages, int error) {
    std::string line;
    char time[24];
    char* out = time;
    AppendDecimal(out, inner_->NowNanoseconds());
    line.append(time, static_cast<std::size_t>(out - time));
    for (std::size_t i = 0; i < messages.size(); ++i) {
      const I2cMessage& message = messages[i];
      char head[16];
      std::snprintf(head, sizeof head, "%s%c %02x:", i == 0 ? " " : " | ",
                    message.read ? 'R' : 'W', static_cast<unsigned>(message.address));
      line += head;
      if (message.read && error != 0) {
        line += " (" + std::to_string(message.data.size()) + " bytes)";
        continue;
      }
      for (const std::uint8_t byte : message.data) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned>(byte));
        line += hex;
      }
    }
    if (error != 0) {
      const char* name = platform::ErrorName(error);
      line += std::string(" ! ") + (name != nullptr ? name : "error") + " " + platform::ErrorText(error);
    }
    line += '\n';
    // The adapter's own bytes for this transfer, indented under it.
    const std::string wire = inner_->TakeWireNote();
    std::size_t start = 0;
    while (start < wire.size()) {
      const std::size_t end = wire.find('\n', start);
      line += "    " + wire.substr(start, end == std::string::npos ? end : end - start) + "\n";
      if (end == std::string::npos) break;
      start = end + 1;
    }
    file_->Append(line);
  }

  std::unique_ptr<TraceFile> file_;
};

}  // namespace

MessageTraceOpenResult OpenMessageTrace(std::unique_ptr<I2cAdapter> inner,
                                        const std::string& file) {
  MessageTraceOpenResult result;
  std::unique_ptr<TraceFile> trace = TraceFile::Open(file, result.error);
  if (!trace) {
    return result;
  }
  result.adapter = std::make_unique<TraceAdapter>(std::move(inner), std::move(trace));
  return result;
}

}  // namespace bus
