// SPDX-License-Identifier: GPL-3.0-or-later
// Register sequences as data: the vocabulary the expected traces of the bus tests are built from,
// a port that records every access and answers status reads from a script, and a comparison that
// prints the first differing access with its neighbours.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bus/bus_timing.h"
#include "bus/port.h"

namespace bus::testing {

// Wait is not a register: it marks where the line driver waited (value 0: BitDelay, 1:
// WriteCycleWait), for a port whose delays are recorded.
enum class Register { Data, Control, Status, Wait };

struct Access {
  Register reg;
  std::uint8_t value;
  bool operator==(const Access&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Access& access);

using Trace = std::vector<Access>;

// The vocabulary of the line primitives.
inline Access Data(std::uint8_t value) { return {Register::Data, value}; }
inline Access Control(std::uint8_t value) { return {Register::Control, value}; }
inline Access Status(std::uint8_t value) { return {Register::Status, value}; }
inline const Access kSdaHigh = Data(0x80);
inline const Access kSdaLow = Data(0x00);
inline const Access kSclHigh = Control(0x04);
inline const Access kSclLow = Control(0x00);
inline const Access kBitDelay = {Register::Wait, 0};
inline const Access kWriteCycleWait = {Register::Wait, 1};

// Concatenates pieces of a trace.
Trace Seq(std::initializer_list<Trace> pieces);

// The whole-byte form: the value written whole, then shifted left one place per bit.
Trace SendByteTrace(std::uint8_t value);
// The constant form: SdaHigh or SdaLow per bit.
Trace SendSelectTrace(std::uint8_t value);
// A start condition on a free bus, with its sample of SDA reading `sampled`.
Trace StartTrace(std::uint8_t sampled = 0x7F);
Trace StopTrace();
Trace ReleaseTrace();
// An acknowledge slot whose sample reads `sampled`; PollAck leaves SCL high.
Trace ClockAckTrace(std::uint8_t sampled);
Trace PollAckTrace(std::uint8_t sampled);
Trace ReceiveTrace(std::uint8_t value);
Trace MasterAckTrace();
Trace MasterNackTrace();

// EXPECT that `actual` equals `expected`; on a difference, names the first differing access with
// up to four accesses of context on each side.
void ExpectTrace(const Trace& actual, const Trace& expected);

// A port that records every access. Status reads are answered by `status_source` when set (it sees
// the trace so far), else from `scripted_status` in order, else `idle_status`. Every access
// advances the clock by `nanoseconds_per_access`.
class RecordingPort : public Port {
 public:
  void WriteData(std::uint8_t value) override;
  void WriteControl(std::uint8_t value) override;
  std::uint8_t ReadStatus() override;
  [[nodiscard]] std::uint64_t NowNanoseconds() const override { return now_; }
  void WaitUntil(std::uint64_t nanoseconds) override {
    if (nanoseconds > now_) {
      now_ = nanoseconds;
      ++waits;
    }
  }
  [[nodiscard]] std::string Name() const override { return "recording"; }

  Trace trace;
  std::deque<std::uint8_t> scripted_status;
  std::uint8_t idle_status = 0x7F;
  std::function<std::uint8_t(const Trace&)> status_source;
  std::uint64_t nanoseconds_per_access = 1000;
  std::vector<std::uint64_t> times;  // the clock just after each access, in trace order
  int waits = 0;                     // waits that moved the clock on

 private:
  std::uint64_t now_ = 0;
};

// Line delays that wait for nothing but write each wait into a port's trace as it happens.
class RecordingDelays final : public LineDelays {
 public:
  explicit RecordingDelays(RecordingPort& port) : port_(port) {}
  void BitDelay() override { port_.trace.push_back(kBitDelay); }
  void WriteCycleWait() override { port_.trace.push_back(kWriteCycleWait); }

 private:
  RecordingPort& port_;
};

}  // namespace bus::testing
