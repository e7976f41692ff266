// SPDX-License-Identifier: GPL-3.0-or-later
#include "register_trace.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

namespace bus::testing {

std::ostream& operator<<(std::ostream& out, const Access& access) {
  if (access.reg == Register::Wait) {
    return out << (access.value == 0 ? "BitDelay" : "WriteCycleWait");
  }
  static constexpr const char* kNames[] = {"data <-", "control <-", "status ->"};
  return out << kNames[static_cast<int>(access.reg)] << " 0x" << std::hex << std::setw(2)
             << std::setfill('0') << static_cast<int>(access.value) << std::dec;
}

Trace Seq(std::initializer_list<Trace> pieces) {
  Trace all;
  for (const Trace& piece : pieces) {
    all.insert(all.end(), piece.begin(), piece.end());
  }
  return all;
}

Trace SendByteTrace(std::uint8_t value) {
  Trace trace;
  for (int shift = 0; shift < 8; ++shift) {
    trace.insert(trace.end(), {Data(static_cast<std::uint8_t>(value << shift)), kSclHigh, kSclLow});
  }
  return trace;
}

Trace SendSelectTrace(std::uint8_t value) {
  Trace trace;
  for (int bit = 7; bit >= 0; --bit) {
    trace.insert(trace.end(), {((value >> bit) & 1) != 0 ? kSdaHigh : kSdaLow, kSclHigh, kSclLow});
  }
  return trace;
}

Trace StartTrace(std::uint8_t sampled) { return {kSdaHigh, kSclHigh, Status(sampled), kSdaLow, kSclLow}; }
Trace StopTrace() { return {kSdaLow, kSclHigh, kSdaHigh, kSclLow, kSdaLow}; }
Trace ReleaseTrace() { return {kSdaHigh, kSclHigh}; }
Trace ClockAckTrace(std::uint8_t sampled) { return {kSdaHigh, kSclHigh, Status(sampled), kSclLow}; }
Trace PollAckTrace(std::uint8_t sampled) { return {kSdaHigh, kSclHigh, Status(sampled)}; }

Trace ReceiveTrace(std::uint8_t value) {
  Trace trace;
  for (int bit = 7; bit >= 0; --bit) {
    trace.insert(trace.end(), {kSclLow, kSclHigh, Status(((value >> bit) & 1) != 0 ? 0x7F : 0x3F)});
  }
  return trace;
}

Trace MasterAckTrace() { return {kSclLow, kSdaLow, kSclLow, kSclHigh, kSclLow, kSdaHigh}; }
Trace MasterNackTrace() { return {kSclLow, kSdaHigh, kSclLow, kSclHigh, kSclLow, kSdaHigh}; }

void ExpectTrace(const Trace& actual, const Trace& expected) {
  const auto mismatch = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  if (mismatch.first == actual.end() && mismatch.second == expected.end()) {
    return;
  }
  const auto at = static_cast<std::size_t>(mismatch.first - actual.begin());
  std::ostringstream report;
  report << "register traces differ at access " << at << " (actual " << actual.size()
         << " accesses, expected " << expected.size() << ")\n";
  const std::size_t from = at >= 4 ? at - 4 : 0;
  for (std::size_t i = from; i < at + 5; ++i) {
    report << (i == at ? " >> " : "    ") << "#" << i << "  actual: ";
    if (i < actual.size()) report << actual[i]; else report << "(none)";
    report << "   expected: ";
    if (i < expected.size()) report << expected[i]; else report << "(none)";
    report << "\n";
  }
  ADD_FAILURE() << report.str();
}

void RecordingPort::WriteData(std::uint8_t value) {
  trace.push_back(Data(value));
  now_ += nanoseconds_per_access;
  times.push_back(now_);
}

void RecordingPort::WriteControl(std::uint8_t value) {
  trace.push_back(Control(value));
  now_ += nanoseconds_per_access;
  times.push_back(now_);
}

std::uint8_t RecordingPort::ReadStatus() {
  std::uint8_t value = idle_status;
  if (status_source) {
    value = status_source(trace);
  } else if (!scripted_status.empty()) {
    value = scripted_status.front();
    scripted_status.pop_front();
  }
  trace.push_back(Status(value));
  now_ += nanoseconds_per_access;
  times.push_back(now_);
  return value;
}

}  // namespace bus::testing
