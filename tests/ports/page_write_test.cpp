// SPDX-License-Identifier: GPL-3.0-or-later
// Page writes on both roads: the runs a set of addresses makes, each written in one transaction
// on the parallel port's lines and as one message through an I2C adapter. The EEPROM's pages are
// as large as the runs may be, so a run that crossed a page boundary would wrap and show.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bus/line_transactions.h"
#include "bus/message_transactions.h"
#include "bus/page_runs.h"
#include "ports/i2c_dev/i2c_dev_port.h"
#include "ports/sim/sim_port.h"
#include "tests/ports/i2c_dev/fake_i2c_system.h"

namespace {

struct PageCase {
  const char* name;
  std::vector<bus::AddressRun> spans;  // the addresses to write, as first and count
  std::size_t page_size;
  std::vector<bus::AddressRun> runs;  // the write transactions they make
};

const PageCase kCases[] = {
    {"Bytes", {{3, 3}}, 1, {{3, 1}, {4, 1}, {5, 1}}},
    {"Pairs", {{3, 4}}, 2, {{3, 1}, {4, 2}, {6, 1}}},
    {"GapsAndLastAddress", {{1, 2}, {6, 4}, {127, 1}}, 4, {{1, 2}, {6, 2}, {8, 2}, {127, 1}}},
    {"Unaligned", {{3, 18}, {40, 1}}, 8, {{3, 5}, {8, 8}, {16, 5}, {40, 1}}},
    {"WholePages", {{0, 32}}, 16, {{0, 16}, {16, 16}}},
};

class PageWriteTest : public testing::TestWithParam<PageCase> {};

TEST_P(PageWriteTest, EachRunIsOneWriteInsideItsPageOnBothRoads) {
  const PageCase& c = GetParam();
  bus::AddressSet addresses;
  for (const bus::AddressRun& span : c.spans) {
    for (std::size_t a = span.first; a < span.first + span.count; ++a) addresses.set(a);
  }
  EXPECT_EQ(bus::PageRuns(addresses, c.page_size), c.runs);

  sim::BoardOptions board;
  board.write_cycle_microseconds = 0;  // no acknowledge polling: each message is a write
  board.page_size = static_cast<std::uint8_t>(std::max<std::size_t>(4, c.page_size));
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 5 + 1);
  bus::Image expected{};
  for (std::size_t a = 0; a < image.size(); ++a) expected[a] = addresses[a] ? image[a] : 0;

  ports::SimPort port(std::make_unique<sim::VirtualBoard>(board, bus::Image{}), "sim");
  bus::LineTransactions lines(port, bus::TimingPolicy::Windowed, 100);
  ASSERT_TRUE(lines.WritePages(image, addresses, c.page_size).ok());
  EXPECT_EQ(port.Board().EepromContents(), expected) << "parallel port";

  test_support::FakeAdapterSettings settings;
  settings.board = board;
  test_support::FakeI2cSystem system(settings, bus::Image{});
  std::string error;
  auto adapter = ports::I2cDevAdapter::Open("/dev/i2c-1", "i2c:/dev/i2c-1", error, system, "/no");
  ASSERT_NE(adapter, nullptr) << error;
  ASSERT_TRUE(bus::MessageTransactions(*adapter).WritePages(image, addresses, c.page_size).ok());
  EXPECT_EQ(system.Board().EepromContents(), expected) << "I2C adapter";
  EXPECT_EQ(system.Messages(), static_cast<long>(c.runs.size())) << "one message per run";
}

INSTANTIATE_TEST_SUITE_P(Runs, PageWriteTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<PageCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
