// SPDX-License-Identifier: GPL-3.0-or-later
// Where the console's waits fall in the register sequences: BitDelay after every register write
// and after the status reads of bit slots 5 to 0 of a byte read, never after any other status
// read; WriteCycleWait after each byte's stop condition in a write.
#include <gtest/gtest.h>

#include "bus/eeprom_protocol.h"
#include "register_trace.h"

namespace bus::testing {
namespace {

constexpr std::uint8_t kHigh = 0x7F;  // status with SDA high
constexpr std::uint8_t kLow = 0x3F;   // status with SDA low: acknowledge

// `trace` with a BitDelay after every register write (and none after a status read).
Trace Delayed(const Trace& trace) {
  Trace delayed;
  for (const Access& access : trace) {
    delayed.push_back(access);
    if (access.reg != Register::Status) delayed.push_back(kBitDelay);
  }
  return delayed;
}

// A byte read with its waits: the samples of bits 5 to 0 are followed by a BitDelay.
Trace DelayedReceive(std::uint8_t value) {
  Trace trace;
  for (int bit = 7; bit >= 0; --bit) {
    trace.insert(trace.end(), {kSclLow, kBitDelay, kSclHigh, kBitDelay,
                               Status(((value >> bit) & 1) != 0 ? kHigh : kLow)});
    if (bit <= 5) trace.push_back(kBitDelay);
  }
  return trace;
}

class ConsoleWaitsTest : public ::testing::Test {
 protected:
  RecordingPort port;
  RecordingDelays delays{port};
  ParallelPortLines lines{port, delays};
};

TEST_F(ConsoleWaitsTest, AByteWriteWaitsForTheWriteCycleAfterItsStop) {
  Image image{};
  image[5] = 0x3C;
  AddressSet five;
  five.set(5);
  port.scripted_status = {kHigh, kLow, kLow, kLow};
  ASSERT_TRUE(EepromProtocol(lines).WriteAddresses(image, five).ok());
  ExpectTrace(port.trace,
              Seq({Delayed(Seq({StartTrace(kHigh), SendSelectTrace(0xA0), PollAckTrace(kLow),
                                {kSclLow}, SendByteTrace(5), ClockAckTrace(kLow),
                                SendByteTrace(0x3C), ClockAckTrace(kLow), StopTrace()})),
                   {kWriteCycleWait}, Delayed(ReleaseTrace())}));
}

TEST_F(ConsoleWaitsTest, AReadWaitsAfterTheSamplesOfBitsFiveToZeroOnly) {
  Image contents{};
  for (std::size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<std::uint8_t>(i * 3);
  port.scripted_status = {kHigh, kLow, kLow, kHigh, kLow};
  for (std::uint8_t byte : contents) {
    for (int bit = 7; bit >= 0; --bit) port.scripted_status.push_back((byte >> bit) & 1 ? kHigh : kLow);
  }
  Image read{};
  ASSERT_TRUE(EepromProtocol(lines).ReadEeprom(read).ok());
  EXPECT_EQ(read, contents);

  Trace expected = Delayed(Seq({StartTrace(kHigh), SendSelectTrace(0xA0), PollAckTrace(kLow),
                                {kSclLow}, SendSelectTrace(0x00), ClockAckTrace(kLow),
                                {kSclHigh}, StartTrace(kHigh), SendSelectTrace(0xA1),
                                ClockAckTrace(kLow)}));
  for (std::size_t i = 0; i < contents.size(); ++i) {
    expected = Seq({expected, DelayedReceive(contents[i]),
                    Delayed(i + 1 < contents.size() ? MasterAckTrace() : MasterNackTrace())});
  }
  ExpectTrace(port.trace, Seq({expected, Delayed(Seq({StopTrace(), ReleaseTrace()}))}));
}

}  // namespace
}  // namespace bus::testing
