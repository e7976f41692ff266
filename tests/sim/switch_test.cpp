// SPDX-License-Identifier: GPL-3.0-or-later
// The switch chip's registers.
#include <gtest/gtest.h>

#include "tests/sim/bit_bang.h"

namespace {

using sim::VirtualBoard;
using sim_test::BitBang;
using sim_test::Pattern;

TEST(SimSwitch, RegistersHoldTheEepromAsAtPowerUp) {
  const bus::Image image = Pattern();
  VirtualBoard board({}, image);
  BitBang master(board);
  master.Write(0xA0, 0x00, {0x5A, 0xA5});
  EXPECT_EQ(board.EepromContents()[1], 0xA5);
  EXPECT_EQ(board.SwitchRegisters(), image);
  const auto dump = master.Read(0xBE, 0, 128, /*ack_last=*/true);
  EXPECT_EQ(dump, std::vector<std::uint8_t>(image.begin(), image.end()));
}

TEST(SimSwitch, RegisterWritesAreStoredAtOnce) {
  VirtualBoard board({}, Pattern());
  BitBang master(board);
  EXPECT_TRUE(master.Write(0xBE, 0xFF, {0x55, 0x66}));  // 127, then rolls over to 0
  EXPECT_EQ(board.SwitchRegisters()[127], 0x55);
  EXPECT_EQ(board.SwitchRegisters()[0], 0x66);
  EXPECT_FALSE(board.EepromBusy());
  EXPECT_EQ(board.EepromContents(), Pattern());
  EXPECT_EQ(master.Read(0xBE, 127, 2), (std::vector<std::uint8_t>{0x55, 0x66}));
}

}  // namespace
