// SPDX-License-Identifier: GPL-3.0-or-later
// The board's lines, clock, start and stop conditions, and faults.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/sim/bit_bang.h"

namespace {

using sim::BoardOptions;
using sim::VirtualBoard;
using sim_test::BitBang;
using sim_test::Pattern;

TEST(SimLines, SclFollowsControlBit2AndSdaDataBit7) {
  VirtualBoard board({}, Pattern());
  EXPECT_TRUE(board.Scl());
  EXPECT_TRUE(board.Sda());
  board.WriteControl(0xFB);
  EXPECT_FALSE(board.Scl());
  board.WriteControl(0x04);
  EXPECT_TRUE(board.Scl());
  board.WriteControl(0x00);  // SCL low, so the SDA changes below are no bus conditions
  board.WriteData(0x7F);
  EXPECT_FALSE(board.Sda());
  EXPECT_EQ(board.ReadStatus(), 0x3F);
  board.WriteData(0x80);
  EXPECT_TRUE(board.Sda());
  EXPECT_EQ(board.ReadStatus(), 0x7F);
}

TEST(SimLines, EveryPortAccessTakesOneMicrosecond) {
  VirtualBoard board({}, Pattern());
  EXPECT_EQ(board.NowNanoseconds(), 0u);
  board.WriteData(0x80);  // no change on the line still takes the access time
  EXPECT_EQ(board.NowNanoseconds(), 1000u);
  board.WriteControl(0x00);
  board.ReadStatus();
  EXPECT_EQ(board.NowNanoseconds(), 3000u);
  BitBang master(board);
  master.Read(0xA0, 0, 4);
  const std::uint64_t before = board.NowNanoseconds();
  master.Send(0xA0);  // 8 x 3 writes, then 3 writes and a read
  EXPECT_EQ(board.NowNanoseconds() - before, 28 * sim::kNanosecondsPerAccess);
}

TEST(SimLines, DeviceOutputChangesOnlyOnFallingEdges) {
  VirtualBoard board({}, Pattern());
  BitBang master(board);
  master.Start();
  master.Send(0xA1);
  int on_rising = 0;
  int on_falling = 0;
  for (int byte = 0; byte < 4; ++byte) {
    for (int bit = 0; bit < 8; ++bit) {
      bool before = board.Sda();
      board.WriteControl(0x04);
      on_rising += before != board.Sda();
      before = board.Sda();
      board.WriteControl(0x00);
      on_falling += before != board.Sda();
    }
    EXPECT_TRUE(board.Sda()) << "released for the master's acknowledge";
    master.Sda(false);
    master.Scl(true);
    master.Scl(false);
    master.Sda(true);
  }
  EXPECT_EQ(on_rising, 0);
  EXPECT_GT(on_falling, 8);
}

TEST(SimLines, StartInTheMiddleOfAByteExpectsASelect) {
  VirtualBoard board({}, Pattern());
  BitBang master(board);
  master.Start();
  for (int bit = 0; bit < 5; ++bit) {  // five bits of some byte, then a repeated start
    master.Sda(bit % 2 == 0);
    master.Scl(true);
    master.Scl(false);
  }
  EXPECT_EQ(master.Read(0xA0, 0x21, 2), (std::vector<std::uint8_t>{Pattern()[0x21], Pattern()[0x22]}));
}

// After the master acknowledges the 128th byte of a sequential read, the EEPROM goes on with the
// byte at address 0 and drives its first bit: when that bit is 0, the master's stop is no stop.
class SimAckedLastByte : public testing::TestWithParam<std::uint8_t> {};

TEST_P(SimAckedLastByte, NextByteDrivesTheBusAndMayHideTheStop) {
  bus::Image image = Pattern();
  image[0] = GetParam();
  VirtualBoard board({}, image);
  BitBang master(board);
  const auto bytes = master.Read(0xA0, 0, 128, /*ack_last=*/true, /*stop=*/false);
  EXPECT_EQ(bytes, std::vector<std::uint8_t>(image.begin(), image.end()));
  master.Stop();
  const bool stop_seen = (image[0] & 0x80) != 0;
  EXPECT_EQ(board.Sda(), stop_seen);
  master.Scl(false);
  std::uint8_t rest = 0;
  for (int bit = 0; bit < 7; ++bit) {
    master.Scl(true);
    rest = static_cast<std::uint8_t>((rest << 1) | (master.Sense() ? 1 : 0));
    master.Scl(false);
  }
  // Without the stop the EEPROM sends the rest of byte 0; after it the bus stays released.
  EXPECT_EQ(rest, stop_seen ? 0x7F : (image[0] & 0x7F));
}

INSTANTIATE_TEST_SUITE_P(SimByte0, SimAckedLastByte, testing::Values(0x00, 0x35, 0x80, 0xCA),
                         sim_test::HexName);

// Which devices answer: (EEPROM present, switch present).
class SimDevicePresence : public testing::TestWithParam<std::tuple<bool, bool>> {};

TEST_P(SimDevicePresence, OnlyPresentDevicesAcknowledgeAndDriveData) {
  const auto [eeprom, chip] = GetParam();
  BoardOptions options;
  options.eeprom_present = eeprom;
  options.switch_present = chip;
  VirtualBoard board(options, Pattern());
  BitBang master(board);
  for (const auto& [select, present] : {std::pair{0xA0, eeprom}, std::pair{0xBE, chip}}) {
    master.Start();
    EXPECT_EQ(master.Send(static_cast<std::uint8_t>(select)), present) << std::hex << select;
    master.Stop();
    const std::vector<std::uint8_t> expected =
        present ? std::vector<std::uint8_t>{Pattern()[5], Pattern()[6]}
                : std::vector<std::uint8_t>{0xFF, 0xFF};
    EXPECT_EQ(master.Read(static_cast<std::uint8_t>(select), 5, 2), expected);
  }
  master.Start();
  EXPECT_FALSE(master.Send(0xB0)) << "nothing answers at another address";
}

INSTANTIATE_TEST_SUITE_P(Sim, SimDevicePresence,
                         testing::Combine(testing::Bool(), testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) ? "Eeprom" : "NoEeprom") +
                                  (std::get<1>(info.param) ? "Switch" : "NoSwitch");
                         });

TEST(SimLines, SdaStuckLowReadsLowWhateverIsDriven) {
  BoardOptions options;
  options.sda_stuck_low = true;
  VirtualBoard board(options, Pattern());
  BitBang master(board);
  board.WriteData(0xFF);
  EXPECT_EQ(board.ReadStatus(), 0x3F);
  EXPECT_FALSE(board.Sda());
  master.Write(0xA0, 3, {0x12});
  EXPECT_EQ(master.Read(0xA0, 0, 2), (std::vector<std::uint8_t>{0x00, 0x00}));
  EXPECT_EQ(board.EepromContents(), Pattern());
  EXPECT_FALSE(board.EepromBusy());
}

}  // namespace
