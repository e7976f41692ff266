// SPDX-License-Identifier: GPL-3.0-or-later
// The line primitives, as register sequences.
#include <gtest/gtest.h>

#include "bus/bus_timing.h"
#include "bus/parallel_port_lines.h"
#include "register_trace.h"

namespace bus::testing {
namespace {

class LineDriverTest : public ::testing::Test {
 protected:
  RecordingPort port;
  ParallelPortLines lines{port, TimingPolicy::Windowed};
};

TEST_F(LineDriverTest, SendByteShiftsTheWholeByteThroughTheDataRegister) {
  lines.SendByte(0xA5);
  ExpectTrace(port.trace, {Data(0xA5), kSclHigh, kSclLow, Data(0x4A), kSclHigh, kSclLow,
                           Data(0x94), kSclHigh, kSclLow, Data(0x28), kSclHigh, kSclLow,
                           Data(0x50), kSclHigh, kSclLow, Data(0xA0), kSclHigh, kSclLow,
                           Data(0x40), kSclHigh, kSclLow, Data(0x80), kSclHigh, kSclLow});
}

TEST_F(LineDriverTest, SendSelectByteWritesOnlySdaHighOrLow) {
  lines.SendSelectByte(0xA0);
  ExpectTrace(port.trace, {Data(0x80), kSclHigh, kSclLow, Data(0x00), kSclHigh, kSclLow,
                           Data(0x80), kSclHigh, kSclLow, Data(0x00), kSclHigh, kSclLow,
                           Data(0x00), kSclHigh, kSclLow, Data(0x00), kSclHigh, kSclLow,
                           Data(0x00), kSclHigh, kSclLow, Data(0x00), kSclHigh, kSclLow});
}

TEST_F(LineDriverTest, MasterAckDrivesSdaLowForOneClockPulse) {
  lines.MasterAck();
  ExpectTrace(port.trace, {Control(0x00), Data(0x00), Control(0x00), Control(0x04), Control(0x00),
                           Data(0x80)});
}

TEST_F(LineDriverTest, MasterNackKeepsSdaHighForOneClockPulse) {
  lines.MasterNack();
  ExpectTrace(port.trace, {Control(0x00), Data(0x80), Control(0x00), Control(0x04), Control(0x00),
                           Data(0x80)});
}

TEST_F(LineDriverTest, StopAndReleaseSequences) {
  lines.BusStop();
  lines.BusRelease();
  ExpectTrace(port.trace, Seq({StopTrace(), ReleaseTrace()}));
}

TEST_F(LineDriverTest, ClockAckSamplesSdaWhileSclIsHigh) {
  port.scripted_status = {0x00, 0x40};
  EXPECT_EQ(lines.ClockAck(), Ack::Acknowledged);
  EXPECT_EQ(lines.ClockAck(), Ack::NotAcknowledged);
  ExpectTrace(port.trace, Seq({ClockAckTrace(0x00), ClockAckTrace(0x40)}));
}

// Only status bit 6 carries SDA; every other status bit is ignored.
struct StatusCase {
  std::uint8_t status;
  int sda;
};

class StatusBitTest : public LineDriverTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(StatusBitTest, ReceiveByteReadsOnlyBitSix) {
  port.idle_status = GetParam().status;
  EXPECT_EQ(lines.ReceiveByte(), GetParam().sda == 1 ? 0xFF : 0x00);
}

TEST_P(StatusBitTest, PollAckTakesALowBitSixAsAcknowledgeAndLeavesSclHigh) {
  port.idle_status = GetParam().status;
  const Ack expected = GetParam().sda == 0 ? Ack::Acknowledged : Ack::NotAcknowledged;
  EXPECT_EQ(lines.PollAck(), expected);
  ExpectTrace(port.trace, PollAckTrace(GetParam().status));
  EXPECT_EQ(port.trace.back().reg, Register::Status);
  EXPECT_EQ(port.trace[port.trace.size() - 2], kSclHigh);
}

INSTANTIATE_TEST_SUITE_P(StatusValues, StatusBitTest,
                         ::testing::Values(StatusCase{0x40, 1}, StatusCase{0xFF, 1},
                                           StatusCase{0x7F, 1}, StatusCase{0x00, 0},
                                           StatusCase{0xBF, 0}));

TEST_F(LineDriverTest, ReceiveByteTakesTheMostSignificantBitFirst) {
  port.scripted_status = {0x40, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x40};
  EXPECT_EQ(lines.ReceiveByte(), 0xA5);
  Trace expected;
  for (std::uint8_t status : {0x40, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x40}) {
    expected.insert(expected.end(), {kSclLow, kSclHigh, Status(status)});
  }
  ExpectTrace(port.trace, expected);
}

TEST_F(LineDriverTest, StartOnAFreeBusSamplesSdaOnce) {
  EXPECT_EQ(lines.BusStart(), StartResult::Started);
  ExpectTrace(port.trace, StartTrace(0x7F));
}

TEST_F(LineDriverTest, StartClocksOutADeviceThatHoldsSda) {
  port.scripted_status = {0x3F, 0x3F, 0x3F, 0x7F};  // low, then freed after the third pulse
  EXPECT_EQ(lines.BusStart(), StartResult::Started);
  ExpectTrace(port.trace, {kSdaHigh, kSclHigh, Status(0x3F), kSclLow, kSclHigh, Status(0x3F),
                           kSclLow, kSclHigh, Status(0x3F), kSclLow, kSclHigh, Status(0x7F),
                           kSdaLow, kSclLow});
}

TEST_F(LineDriverTest, StartGivesUpAfterNinePulsesWithSdaHeldLow) {
  port.idle_status = 0x3F;
  EXPECT_EQ(lines.BusStart(), StartResult::BusHeldLow);
  Trace expected = {kSdaHigh, kSclHigh, Status(0x3F)};
  for (int pulse = 0; pulse < 9; ++pulse) {
    expected.insert(expected.end(), {kSclLow, kSclHigh, Status(0x3F)});
  }
  ExpectTrace(port.trace, expected);  // and SDA was never driven low: no start was made
}

TEST(BitDelayTest, ConsoleDelaysCountTheSharedCounter) {
  RecordingPort port;
  ParallelPortLines console(port, TimingPolicy::Console);
  console.SdaHigh();
  EXPECT_EQ(SharedCounterValue(), kBitDelayCount);
  console.WriteCycleWait();
  EXPECT_EQ(SharedCounterValue(), kWriteCycleWaitCount);
  console.BitDelay();
  EXPECT_EQ(SharedCounterValue(), 100u);
}

TEST(BitDelayTest, WindowedProgramDoesNotWait) {
  RecordingPort port;
  ParallelPortLines console(port, TimingPolicy::Console);
  console.SclLow();
  ParallelPortLines windowed(port, TimingPolicy::Windowed);
  windowed.SendByte(0x5A);
  windowed.WriteCycleWait();
  EXPECT_EQ(SharedCounterValue(), kBitDelayCount);  // untouched since the console's delay
}

}  // namespace
}  // namespace bus::testing
