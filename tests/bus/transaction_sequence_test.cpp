// SPDX-License-Identifier: GPL-3.0-or-later
// The EEPROM transactions and the switch register dump as register sequences, against a port
// whose status reads follow a script: a device that acknowledges at once, one that is busy for a
// while, one that never answers, and a bus held low.
#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "bus/eeprom_protocol.h"
#include "bus/switch_register_dump.h"
#include "register_trace.h"

namespace bus::testing {
namespace {

constexpr std::uint8_t kHigh = 0x7F;  // status with SDA high: free bus, no acknowledge
constexpr std::uint8_t kLow = 0x3F;   // status with SDA low: acknowledge

Image Pattern(unsigned seed) {
  Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<std::uint8_t>((i * 37 + seed * 101) ^ (i >> 2));
  }
  return image;
}

// The status reads of one byte-write transaction whose device acknowledges everything at once.
void ScriptByteWrite(std::deque<std::uint8_t>& script) {
  script.insert(script.end(), {kHigh, kLow, kLow, kLow});
}

Trace ByteWriteTrace(std::uint8_t address, std::uint8_t data) {
  return Seq({StartTrace(kHigh), SendSelectTrace(0xA0), PollAckTrace(kLow), {kSclLow},
              SendByteTrace(address), ClockAckTrace(kLow), SendByteTrace(data),
              ClockAckTrace(kLow), StopTrace()});
}

class TransactionSequenceTest : public ::testing::Test {
 protected:
  RecordingPort port;
  ParallelPortLines lines{port, TimingPolicy::Windowed};
};

TEST_F(TransactionSequenceTest, WriteSendsEveryAddressInOrderInItsOwnTransaction) {
  const Image image = Pattern(1);
  for (std::size_t a = 0; a < image.size(); ++a) ScriptByteWrite(port.scripted_status);

  EXPECT_TRUE(EepromProtocol(lines).WriteEeprom(image).ok());

  Trace expected;
  for (std::size_t a = 0; a < image.size(); ++a) {
    const Trace one = ByteWriteTrace(static_cast<std::uint8_t>(a), image[a]);
    expected.insert(expected.end(), one.begin(), one.end());
  }
  const Trace release = ReleaseTrace();
  expected.insert(expected.end(), release.begin(), release.end());
  ExpectTrace(port.trace, expected);

  const auto writes = std::count_if(port.trace.begin(), port.trace.end(),
                                    [](const Access& a) { return a.reg != Register::Status; });
  EXPECT_EQ(writes, 128 * 90 + 2);
  EXPECT_EQ(port.trace.size() - static_cast<std::size_t>(writes), 128u * 4u);
}

TEST_F(TransactionSequenceTest, WriteSendsAddressAndDataWholeBytes) {
  Image image{};
  image[5] = 0x3C;
  for (std::size_t a = 0; a < image.size(); ++a) ScriptByteWrite(port.scripted_status);
  ASSERT_TRUE(EepromProtocol(lines).WriteEeprom(image).ok());

  // Transaction 5 starts after five whole transactions; its address and data follow the select.
  const std::size_t per_byte = ByteWriteTrace(0, 0).size();
  const std::size_t address_at = 5 * per_byte + StartTrace().size() + 24 + 3 + 1;
  std::vector<int> address_values, data_values;
  for (int bit = 0; bit < 8; ++bit) {
    address_values.push_back(port.trace[address_at + 3 * bit].value);
    data_values.push_back(port.trace[address_at + 24 + 4 + 3 * bit].value);
  }
  EXPECT_EQ(address_values, (std::vector<int>{0x05, 0x0A, 0x14, 0x28, 0x50, 0xA0, 0x40, 0x80}));
  EXPECT_EQ(data_values, (std::vector<int>{0x3C, 0x78, 0xF0, 0xE0, 0xC0, 0x80, 0x00, 0x00}));
}

class BusyDeviceTest : public TransactionSequenceTest, public ::testing::WithParamInterface<int> {};

TEST_P(BusyDeviceTest, RepeatsStartAndSelectWithoutStopUntilAcknowledged) {
  const int busy_polls = GetParam();
  Image image{};
  image[0] = 0x42;
  for (int k = 0; k < busy_polls; ++k) port.scripted_status.insert(port.scripted_status.end(), {kHigh, kHigh});
  for (std::size_t a = 0; a < image.size(); ++a) ScriptByteWrite(port.scripted_status);

  ASSERT_TRUE(EepromProtocol(lines).WriteEeprom(image).ok());

  Trace expected;
  for (int k = 0; k < busy_polls; ++k) {
    const Trace attempt = Seq({StartTrace(kHigh), SendSelectTrace(0xA0), PollAckTrace(kHigh)});
    expected.insert(expected.end(), attempt.begin(), attempt.end());
  }
  const Trace first = ByteWriteTrace(0, 0x42);
  expected.insert(expected.end(), first.begin(), first.end());
  ExpectTrace(Trace(port.trace.begin(), port.trace.begin() + static_cast<long>(expected.size())),
              expected);
}

INSTANTIATE_TEST_SUITE_P(Polls, BusyDeviceTest, ::testing::Values(1, 2, 7));

TEST_F(TransactionSequenceTest, WriteGivesUpOnASilentDeviceAfterOneHundredMilliseconds) {
  const BusResult result = EepromProtocol(lines).WriteEeprom(Pattern(2));

  EXPECT_EQ(result.fault, BusFault::NoAcknowledge);
  EXPECT_EQ(result.stage, BusStage::WriteSelect);
  EXPECT_EQ(result.address, 0);
  EXPECT_GE(port.NowNanoseconds(), kSelectPollingLimitNanoseconds);
  // One attempt costs 32 accesses of 1 us: the polling stops within one attempt of the limit.
  EXPECT_LT(port.NowNanoseconds(), kSelectPollingLimitNanoseconds + 50'000);
  const Trace tail = Seq({PollAckTrace(kHigh), {kSclLow}, StopTrace(), ReleaseTrace()});
  ExpectTrace(Trace(port.trace.end() - static_cast<long>(tail.size()), port.trace.end()), tail);
}

TEST_F(TransactionSequenceTest, PollingMakesAtLeastThreeAttemptsOnASlowPort) {
  port.nanoseconds_per_access = 1'000'000'000;  // every access takes a second
  const BusResult result = EepromProtocol(lines).WriteEeprom(Pattern(3));
  EXPECT_EQ(result.fault, BusFault::NoAcknowledge);
  const Trace attempt = Seq({StartTrace(kHigh), SendSelectTrace(0xA0), PollAckTrace(kHigh)});
  EXPECT_EQ(port.trace.size(), 3 * attempt.size() + 1 + StopTrace().size() + ReleaseTrace().size());
}

struct MissingAck {
  const char* name;
  std::deque<std::uint8_t> script;  // the status reads up to the one that is not acknowledged
  BusStage stage;
};

class WriteMissingAckTest : public TransactionSequenceTest,
                            public ::testing::WithParamInterface<MissingAck> {};

TEST_P(WriteMissingAckTest, EndsWithStopAndReleaseAndNamesTheAddress) {
  // Byte 0 goes through; byte 1 loses an acknowledge.
  ScriptByteWrite(port.scripted_status);
  port.scripted_status.insert(port.scripted_status.end(), GetParam().script.begin(),
                              GetParam().script.end());
  const BusResult result = EepromProtocol(lines).WriteEeprom(Pattern(4));
  EXPECT_EQ(result.fault, BusFault::NoAcknowledge);
  EXPECT_EQ(result.stage, GetParam().stage);
  EXPECT_EQ(result.address, 1);
  const Trace tail = Seq({ClockAckTrace(kHigh), StopTrace(), ReleaseTrace()});
  ExpectTrace(Trace(port.trace.end() - static_cast<long>(tail.size()), port.trace.end()), tail);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, WriteMissingAckTest,
    ::testing::Values(MissingAck{"Address", {kHigh, kLow, kHigh}, BusStage::Address},
                      MissingAck{"Data", {kHigh, kLow, kLow, kHigh}, BusStage::Data}),
    [](const auto& info) { return std::string(info.param.name); });

// The read-type transactions: the EEPROM read and the switch register dump.
struct ReadKind {
  const char* name;
  std::uint8_t write_select;
  std::uint8_t read_select;
  std::function<BusResult(ParallelPortLines&, Image&)> run;
};

class ReadSequenceTest : public TransactionSequenceTest,
                         public ::testing::WithParamInterface<ReadKind> {
 protected:
  // Status reads of a read whose device acknowledges everything and sends `image`.
  void ScriptRead(const Image& image) {
    port.scripted_status = {kHigh, kLow, kLow, kHigh, kLow};
    for (std::uint8_t byte : image) {
      for (int bit = 7; bit >= 0; --bit) port.scripted_status.push_back(((byte >> bit) & 1) ? kHigh : kLow);
    }
  }
};

TEST_P(ReadSequenceTest, DummyWriteRepeatedStartAndOneSequentialReadEndingWithNack) {
  const Image image = Pattern(5);
  ScriptRead(image);
  Image destination{};
  ASSERT_TRUE(GetParam().run(lines, destination).ok());
  EXPECT_EQ(destination, image);

  Trace expected = Seq({StartTrace(kHigh), SendSelectTrace(GetParam().write_select),
                        PollAckTrace(kLow), {kSclLow}, SendSelectTrace(0x00), ClockAckTrace(kLow),
                        {kSclHigh}, StartTrace(kHigh), SendSelectTrace(GetParam().read_select),
                        ClockAckTrace(kLow)});
  for (std::size_t i = 0; i < image.size(); ++i) {
    const Trace byte = Seq({ReceiveTrace(image[i]), i + 1 < image.size() ? MasterAckTrace()
                                                                         : MasterNackTrace()});
    expected.insert(expected.end(), byte.begin(), byte.end());
  }
  const Trace end = Seq({StopTrace(), ReleaseTrace()});
  expected.insert(expected.end(), end.begin(), end.end());
  ExpectTrace(port.trace, expected);
}

TEST_P(ReadSequenceTest, SilentBusLeavesTheDestinationUntouched) {
  port.idle_status = kHigh;  // nothing pulls SDA low: no device
  Image destination = Pattern(6);
  const BusResult result = GetParam().run(lines, destination);
  EXPECT_EQ(result.fault, BusFault::NoAcknowledge);
  EXPECT_EQ(result.stage, BusStage::WriteSelect);
  EXPECT_EQ(destination, Pattern(6));
}

TEST_P(ReadSequenceTest, SdaHeldLowIsReportedWithoutAStart) {
  port.idle_status = kLow;
  Image destination = Pattern(7);
  const BusResult result = GetParam().run(lines, destination);
  EXPECT_EQ(result.fault, BusFault::BusHeldLow);
  EXPECT_EQ(destination, Pattern(7));
  EXPECT_EQ(std::count(port.trace.begin(), port.trace.end(), kSdaLow), 0);
}

TEST_P(ReadSequenceTest, MissingAcknowledgeOfTheReadSelectStops) {
  port.scripted_status = {kHigh, kLow, kLow, kHigh, kHigh};
  Image destination = Pattern(8);
  const BusResult result = GetParam().run(lines, destination);
  EXPECT_EQ(result.stage, BusStage::ReadSelect);
  EXPECT_EQ(destination, Pattern(8));
  const Trace tail = Seq({ClockAckTrace(kHigh), StopTrace(), ReleaseTrace()});
  ExpectTrace(Trace(port.trace.end() - static_cast<long>(tail.size()), port.trace.end()), tail);
}

INSTANTIATE_TEST_SUITE_P(
    Reads, ReadSequenceTest,
    ::testing::Values(
        ReadKind{"Eeprom", 0xA0, 0xA1,
                 [](ParallelPortLines& l, Image& d) { return EepromProtocol(l).ReadEeprom(d); }},
        ReadKind{"SwitchRegisters", 0xBE, 0xBF,
                 [](ParallelPortLines& l, Image& d) {
                   return SwitchRegisterDump(l).DumpSwitchRegisters(d);
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

// Every operation, whether it succeeds or fails, leaves the bus idle: its last two register
// writes are data 0x80 and control 0x04.
TEST_F(TransactionSequenceTest, EveryOperationEndsWithTheBusReleased) {
  const std::vector<std::function<void(RecordingPort&)>> scripts = {
      [](RecordingPort& p) { p.idle_status = kHigh; },
      [](RecordingPort& p) { p.idle_status = kLow; },
      [](RecordingPort& p) { p.scripted_status = {kHigh, kLow, kHigh}; },
  };
  for (const auto& script : scripts) {
    for (int operation = 0; operation < 3; ++operation) {
      RecordingPort p;
      script(p);
      ParallelPortLines l(p, TimingPolicy::Windowed);
      Image buffer{};
      if (operation == 0) (void)EepromProtocol(l).WriteEeprom(buffer);
      if (operation == 1) (void)EepromProtocol(l).ReadEeprom(buffer);
      if (operation == 2) (void)SwitchRegisterDump(l).DumpSwitchRegisters(buffer);
      Trace writes;
      std::copy_if(p.trace.begin(), p.trace.end(), std::back_inserter(writes),
                   [](const Access& a) { return a.reg != Register::Status; });
      ASSERT_GE(writes.size(), 2u);
      EXPECT_EQ(writes[writes.size() - 2], Data(0x80)) << "operation " << operation;
      EXPECT_EQ(writes.back(), Control(0x04)) << "operation " << operation;
    }
  }
}

}  // namespace
}  // namespace bus::testing
