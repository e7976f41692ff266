// SPDX-License-Identifier: GPL-3.0-or-later
// Whole transactions on the virtual board: round trips, a busy EEPROM, absent devices, a stuck
// bus, and every pair of consecutive operations.
#include <functional>
#include <random>

#include <gtest/gtest.h>

#include "bus/bus_connection.h"
#include "bus/eeprom_protocol.h"
#include "bus/switch_register_dump.h"
#include "ports/sim/sim_port.h"
#include "sim/virtual_board.h"

namespace bus {
namespace {

Image RandomImage(unsigned seed, bool byte0_bit7) {
  std::mt19937 random(seed);
  Image image{};
  for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
  image[0] = byte0_bit7 ? (image[0] | 0x80) : (image[0] & 0x7F);
  return image;
}

struct Bench {
  explicit Bench(const Image& contents, sim::BoardOptions options = {})
      : port(std::make_unique<sim::VirtualBoard>(options, contents), "sim"),
        board(port.Board()),
        lines(port, TimingPolicy::Windowed) {}
  BusResult Write(const Image& image) { return EepromProtocol(lines).WriteEeprom(image); }
  BusResult Read(Image& into) { return EepromProtocol(lines).ReadEeprom(into); }
  BusResult Dump(Image& into) { return SwitchRegisterDump(lines).DumpSwitchRegisters(into); }
  [[nodiscard]] bool Idle() const { return board.Scl() && board.Sda(); }

  ports::SimPort port;
  sim::VirtualBoard& board;
  ParallelPortLines lines;
};

class RoundTripTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(RoundTripTest, WhatIsWrittenIsReadBack) {
  const Image image = RandomImage(GetParam(), GetParam() % 2 == 0);
  Bench bench(RandomImage(GetParam() + 100, true));
  ASSERT_TRUE(bench.Write(image).ok());
  Image read{};
  ASSERT_TRUE(bench.Read(read).ok());
  EXPECT_EQ(read, image);
  EXPECT_EQ(bench.board.EepromContents(), image);
  EXPECT_TRUE(bench.Idle());
}

INSTANTIATE_TEST_SUITE_P(Images, RoundTripTest, ::testing::Range(1u, 9u));

class WriteCycleTest : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(WriteCycleTest, PollingWaitsOutEveryWriteCycle) {
  sim::BoardOptions options;
  options.write_cycle_microseconds = GetParam();
  const Image image = RandomImage(11, false);
  Bench bench(Image{}, options);
  ASSERT_TRUE(bench.Write(image).ok());
  EXPECT_EQ(bench.board.EepromContents(), image);
  // 127 write cycles were waited out inside the write; the last one runs on after it returns.
  EXPECT_GE(bench.board.NowNanoseconds(), 127ull * GetParam() * 1000);
}

INSTANTIATE_TEST_SUITE_P(Microseconds, WriteCycleTest, ::testing::Values(0u, 40u, 5000u, 20000u));

TEST(BoardTransactionTest, ReadStartedRightAfterAWriteWaitsForTheLastWriteCycle) {
  const Image image = RandomImage(12, false);
  Bench bench(Image{});
  ASSERT_TRUE(bench.Write(image).ok());
  ASSERT_TRUE(bench.board.EepromBusy());
  Image read{};
  ASSERT_TRUE(bench.Read(read).ok());
  EXPECT_EQ(read, image);
}

TEST(BoardTransactionTest, SwitchRegistersHoldTheContentsAtPowerUp) {
  const Image at_power_up = RandomImage(13, false);
  Bench bench(at_power_up);
  ASSERT_TRUE(bench.Write(RandomImage(14, false)).ok());
  Image registers{};
  ASSERT_TRUE(bench.Dump(registers).ok());
  EXPECT_EQ(registers, at_power_up);
}

// Faults: every operation is bounded, reported, leaves its destination untouched and the bus idle.
// A station asks only whether the EEPROM answers: an absent switch chip, which would take its
// 100 ms of polling, costs it nothing, and an absent EEPROM one polling limit, not two.
TEST(BoardTransactionTest, TheBoardInPlaceProbeAsksTheEepromAlone) {
  for (const bool eeprom_present : {true, false}) {
    sim::BoardOptions options;
    options.eeprom_present = eeprom_present;
    options.switch_present = false;
    auto port = std::make_unique<ports::SimPort>(
        std::make_unique<sim::VirtualBoard>(options, RandomImage(3, false)), "sim");
    const sim::VirtualBoard& board = port->Board();
    BusConnection connection(std::move(port), TimingPolicy::Windowed);
    EXPECT_EQ(connection.ProbeEeprom().ok(), eeprom_present);
    EXPECT_LT(board.NowNanoseconds(),
              (eeprom_present ? 0 : kSelectPollingLimitNanoseconds) + 1'000'000);
  }
}

struct Fault {
  const char* name;
  std::function<void(sim::BoardOptions&)> set;
  BusFault write, read, dump;
};

class FaultTest : public ::testing::TestWithParam<Fault> {};

TEST_P(FaultTest, OperationsReportTheFaultAndTouchNothing) {
  sim::BoardOptions options;
  GetParam().set(options);
  const Image contents = RandomImage(15, false);
  Bench bench(contents, options);
  const Image untouched = RandomImage(16, true);

  // A failing operation gives up within one polling attempt of the 100 ms limit.
  auto bounded = [&](BusFault expected, auto operation) {
    const std::uint64_t started = bench.board.NowNanoseconds();
    const BusResult result = operation();
    EXPECT_EQ(result.fault, expected);
    if (expected != BusFault::None) {
      EXPECT_LT(bench.board.NowNanoseconds() - started, kSelectPollingLimitNanoseconds + 50'000);
      // SCL is left high; SDA is released, which only a bus not held low shows.
      EXPECT_TRUE(expected == BusFault::BusHeldLow ? bench.board.Scl() : bench.Idle());
    }
    return result;
  };
  const BusResult write = bounded(GetParam().write, [&] { return bench.Write(untouched); });
  Image read = untouched;
  bounded(GetParam().read, [&] { return bench.Read(read); });
  Image dump = untouched;
  const BusResult dumped = bounded(GetParam().dump, [&] { return bench.Dump(dump); });

  if (GetParam().read != BusFault::None) {
    EXPECT_EQ(read, untouched);
  }
  if (GetParam().dump != BusFault::None) {
    EXPECT_EQ(dump, untouched);
    EXPECT_EQ(dumped.device, BusDevice::SwitchChip);
  }
  if (GetParam().write != BusFault::None) {
    EXPECT_EQ(write.address, 0);
    EXPECT_EQ(bench.board.EepromContents(), contents);
  }
  EXPECT_FALSE(DescribeBusResult(write.ok() ? dumped : write).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Boards, FaultTest,
    ::testing::Values(
        Fault{"AbsentEeprom", [](sim::BoardOptions& o) { o.eeprom_present = false; },
              BusFault::NoAcknowledge, BusFault::NoAcknowledge, BusFault::None},
        Fault{"AbsentSwitch", [](sim::BoardOptions& o) { o.switch_present = false; },
              BusFault::None, BusFault::None, BusFault::NoAcknowledge},
        Fault{"SdaStuckLow", [](sim::BoardOptions& o) { o.sda_stuck_low = true; },
              BusFault::BusHeldLow, BusFault::BusHeldLow, BusFault::BusHeldLow}),
    [](const auto& info) { return std::string(info.param.name); });

// Every pair of consecutive operations, on images whose byte 0 has bit 7 clear: the first bit
// the EEPROM would drive after an acknowledged 128th byte is then 0, which would hide the stop
// and garble the next operation.
enum class Operation { Write, Read, ReadBack, Dump };

class ConsecutiveOperationsTest
    : public ::testing::TestWithParam<std::tuple<Operation, Operation>> {};

TEST_P(ConsecutiveOperationsTest, BothOperationsSucceedWithTheRightData) {
  Image at_power_up = RandomImage(21, false);
  Image image = RandomImage(22, false);
  // Bit 6 clear too: a device left sending would still hold SDA low after the stop's clock pulse.
  at_power_up[0] = 0x2A;
  image[0] = 0x15;
  Bench bench(at_power_up);
  Image eeprom = at_power_up;  // what the EEPROM holds, as the operations go

  for (Operation operation : {std::get<0>(GetParam()), std::get<1>(GetParam())}) {
    Image buffer{};
    switch (operation) {
      case Operation::Write:
        ASSERT_TRUE(bench.Write(image).ok());
        eeprom = image;
        EXPECT_EQ(bench.board.EepromContents(), image);
        break;
      case Operation::Read:
      case Operation::ReadBack:
        ASSERT_TRUE(bench.Read(buffer).ok());
        EXPECT_EQ(buffer, eeprom);
        break;
      case Operation::Dump:
        ASSERT_TRUE(bench.Dump(buffer).ok());
        EXPECT_EQ(buffer, at_power_up);
        break;
    }
    EXPECT_TRUE(bench.Idle());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, ConsecutiveOperationsTest,
    ::testing::Combine(::testing::Values(Operation::Write, Operation::Read, Operation::ReadBack,
                                         Operation::Dump),
                       ::testing::Values(Operation::Write, Operation::Read, Operation::ReadBack,
                                         Operation::Dump)));

// What the not-acknowledge of the last byte prevents: a read that acknowledges its 128th byte
// leaves the EEPROM driving the bits of address 0, so the stop that follows is not seen.
TEST(BoardTransactionTest, AnAcknowledgedLastByteHidesTheStop) {
  Image contents = RandomImage(23, false);
  contents[0] = 0x15;  // bits 7 and 6 clear: the EEPROM holds SDA low through the stop
  Bench bench(contents);
  ParallelPortLines& lines = bench.lines;
  ASSERT_EQ(SelectWithPolling(lines, kEepromWriteSelect, BusDevice::Eeprom, -1).fault,
            BusFault::None);
  lines.SendSelectByte(0x00);
  ASSERT_EQ(lines.ClockAck(), Ack::Acknowledged);
  lines.SclHigh();
  ASSERT_EQ(lines.BusStart(), StartResult::Started);
  lines.SendSelectByte(kEepromReadSelect);
  ASSERT_EQ(lines.ClockAck(), Ack::Acknowledged);
  for (int i = 0; i < 128; ++i) {
    lines.ReceiveByte();
    lines.MasterAck();
  }
  lines.BusStop();
  lines.BusRelease();
  EXPECT_FALSE(bench.board.Sda()) << "the EEPROM should still be sending address 0";

  // The next operation's start clocks the EEPROM free and the read goes through.
  Image read{};
  ASSERT_TRUE(bench.Read(read).ok());
  EXPECT_EQ(read, contents);
}

}  // namespace
}  // namespace bus
