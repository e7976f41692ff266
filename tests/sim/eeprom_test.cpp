// SPDX-License-Identifier: GPL-3.0-or-later
// The EEPROM's writes and write cycle, and the reads it shares with the switch chip.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/sim/bit_bang.h"

namespace {

using sim::BoardOptions;
using sim::VirtualBoard;
using sim_test::BitBang;
using sim_test::Pattern;

std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t first) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < count; ++i) bytes.push_back(static_cast<std::uint8_t>(first + i));
  return bytes;
}

// A write of (word address, byte count, page size): the address wraps inside its page, bit 7 of
// the word address is ignored, and more bytes than the page holds overwrite the first ones.
class SimEepromWrite : public testing::TestWithParam<std::tuple<int, int, int>> {};

TEST_P(SimEepromWrite, LandsInsideThePageAtTheStop) {
  const auto [address, count, page_size] = GetParam();
  BoardOptions options;
  options.page_size = static_cast<std::uint8_t>(page_size);
  VirtualBoard board(options, Pattern());
  BitBang master(board);
  const auto data = Bytes(static_cast<std::size_t>(count), 0xC0);
  master.Start();
  EXPECT_TRUE(master.Send(0xA0));
  EXPECT_TRUE(master.Send(static_cast<std::uint8_t>(address)));
  for (std::uint8_t byte : data) EXPECT_TRUE(master.Send(byte));
  EXPECT_EQ(board.EepromContents(), Pattern()) << "nothing is written before the stop";
  master.Stop();

  bus::Image expected = Pattern();
  const int in_page = page_size - 1;
  const int page = address & 0x7F & ~in_page;
  for (int i = 0; i < count; ++i) expected[page | ((address + i) & in_page)] = data[i];
  EXPECT_EQ(board.EepromContents(), expected);
  EXPECT_TRUE(board.EepromBusy());
  EXPECT_EQ(board.SwitchRegisters(), Pattern()) << "the switch keeps its power-up settings";
  for (int i = 0; i < 10000 && board.EepromBusy(); ++i) board.ReadStatus();
  ASSERT_FALSE(board.EepromBusy());
  EXPECT_EQ(master.CurrentRead(0xA0, 1)[0], expected[page | ((address + count) & in_page)])
      << "the address counter wraps inside the page too";
}

INSTANTIATE_TEST_SUITE_P(SimPages, SimEepromWrite,
                         testing::Values(std::tuple{0x00, 1, 8}, std::tuple{0x7F, 1, 8},
                                         std::tuple{0x08, 8, 8}, std::tuple{0x0D, 8, 8},
                                         std::tuple{0x7A, 5, 8}, std::tuple{0x10, 11, 8},
                                         std::tuple{0x85, 2, 8}, std::tuple{0x0D, 4, 4},
                                         std::tuple{0x12, 6, 4}, std::tuple{0x10, 16, 16},
                                         std::tuple{0x75, 18, 16}),
                         [](const auto& info) {
                           return "At" + std::to_string(std::get<0>(info.param)) + "Bytes" +
                                  std::to_string(std::get<1>(info.param)) +
                                  (std::get<2>(info.param) == 8
                                       ? ""
                                       : "Page" + std::to_string(std::get<2>(info.param)));
                         });

TEST(SimEepromWrite, NoWriteCycleWithoutDataOrWithoutStop) {
  VirtualBoard board({}, Pattern());
  BitBang master(board);
  master.Write(0xA0, 0x20, {});  // the word address alone
  EXPECT_FALSE(board.EepromBusy());
  master.Start();
  master.Send(0xA0);
  master.Send(0x20);
  master.Send(0x99);
  master.Start();  // a repeated start abandons the data byte
  master.Stop();
  EXPECT_FALSE(board.EepromBusy());
  EXPECT_EQ(board.EepromContents(), Pattern());
}

// The write cycle time in microseconds, and whether it outlasts the next select.
class SimWriteCycle : public testing::TestWithParam<std::tuple<std::uint32_t, bool>> {};

TEST_P(SimWriteCycle, SelectIsNotAcknowledgedUntilTheCycleEnds) {
  const auto [microseconds, outlasts_select] = GetParam();
  BoardOptions options;
  options.write_cycle_microseconds = microseconds;
  VirtualBoard board(options, Pattern());
  BitBang master(board);
  master.Write(0xA0, 0x30, {0x01});
  const std::uint64_t ready_at = board.NowNanoseconds() + microseconds * 1000ull;
  EXPECT_EQ(board.EepromReadyAtNanoseconds(), ready_at);
  EXPECT_EQ(board.EepromBusy(), microseconds > 0);

  // While busy, the rest of the transaction is ignored too.
  master.Start();
  const bool first_acked = master.Send(0xA0);
  master.Send(0x31);
  master.Send(0x02);
  master.Stop();
  EXPECT_EQ(first_acked, !outlasts_select);
  EXPECT_EQ(board.EepromContents()[0x31], first_acked ? 0x02 : Pattern()[0x31]);
  EXPECT_EQ(board.EepromReadyAtNanoseconds() > ready_at, first_acked);

  for (bool acked = first_acked; !acked;) {
    master.Start();
    acked = master.Send(0xA0);
    EXPECT_EQ(acked, master.DecidedAt() >= ready_at);
  }
}

INSTANTIATE_TEST_SUITE_P(SimTwr, SimWriteCycle,
                         testing::Values(std::tuple{0u, false}, std::tuple{1u, false},
                                         std::tuple{40u, true}, std::tuple{5000u, true}),
                         [](const auto& info) {
                           return std::to_string(std::get<0>(info.param)) + "us";
                         });

// Reads work alike at the EEPROM (0xA0) and the switch chip (0xBE).
class SimReads : public testing::TestWithParam<std::uint8_t> {};

TEST_P(SimReads, RandomReadThenCurrentAddressRead) {
  VirtualBoard board({}, Pattern());
  BitBang master(board);
  const bus::Image image = Pattern();
  EXPECT_EQ(master.CurrentRead(GetParam(), 1), std::vector<std::uint8_t>{image[0]});
  EXPECT_EQ(master.Read(GetParam(), 0x42, 3),
            (std::vector<std::uint8_t>{image[0x42], image[0x43], image[0x44]}));
  EXPECT_EQ(master.CurrentRead(GetParam(), 1), std::vector<std::uint8_t>{image[0x45]});
  EXPECT_EQ(master.Read(GetParam(), 0xC2, 1), std::vector<std::uint8_t>{image[0x42]})
      << "bit 7 of the address byte is ignored";
}

TEST_P(SimReads, CounterRollsOverFrom127To0) {
  VirtualBoard board({}, Pattern());
  BitBang master(board);
  const bus::Image image = Pattern();
  EXPECT_EQ(master.Read(GetParam(), 126, 4),
            (std::vector<std::uint8_t>{image[126], image[127], image[0], image[1]}));
  const auto all = master.Read(GetParam(), 0, 128);
  EXPECT_EQ(all, std::vector<std::uint8_t>(image.begin(), image.end()));
}

TEST_P(SimReads, NotAcknowledgedByteEndsTheRead) {
  bus::Image image = Pattern();
  image[0x11] = 0x00;  // the byte that would come next is all zero bits
  VirtualBoard board({}, image);
  BitBang master(board);
  master.Read(GetParam(), 0x10, 1, /*ack_last=*/false, /*stop=*/false);
  EXPECT_TRUE(board.Sda());
  EXPECT_EQ(master.Receive(true), 0xFF) << "SDA stays released after the not-acknowledge";
  master.Stop();
  EXPECT_EQ(master.CurrentRead(GetParam(), 1), std::vector<std::uint8_t>{0x00});
}

INSTANTIATE_TEST_SUITE_P(SimSelect, SimReads, testing::Values(0xA0, 0xBE), sim_test::HexName);

}  // namespace
