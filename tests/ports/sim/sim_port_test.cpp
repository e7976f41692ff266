// SPDX-License-Identifier: GPL-3.0-or-later
// The virtual board as a port of the bus connection: what a failed operation tells the user names
// the board option that makes it fail, and a write its board file cannot store fails.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "bus/bus_connection.h"
#include "ports/sim/sim_port.h"
#include "tests/support/no_file_growth.h"

namespace {

bus::BusConnection Connect(const sim::BoardOptions& options) {
  std::string error;
  auto port = ports::SimPort::Open(options, "sim", error);
  EXPECT_NE(port, nullptr) << error;
  return bus::BusConnection(std::move(port), bus::TimingPolicy::Windowed);
}

struct BoardFault {
  const char* name;
  std::function<void(sim::BoardOptions&)> option;
  std::function<bus::BusResult(bus::BusConnection&)> operation;
  const char* message;  // the whole line the programs show
};

void PrintTo(const BoardFault& fault, std::ostream* out) { *out << fault.name; }

class BoardFaultTest : public testing::TestWithParam<BoardFault> {};

TEST_P(BoardFaultTest, TheMessageNamesTheOptionThatCausesIt) {
  sim::BoardOptions options;
  GetParam().option(options);
  bus::BusConnection connection = Connect(options);
  const bus::BusResult result = GetParam().operation(connection);
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(bus::DescribeBusResult(result), GetParam().message);
}

bus::Image Zeros() { return bus::Image{}; }

INSTANTIATE_TEST_SUITE_P(
    Options, BoardFaultTest,
    testing::Values(
        BoardFault{"eeprom_absent", [](sim::BoardOptions& o) { o.eeprom_present = false; },
                   [](bus::BusConnection& c) { return c.WriteEeprom(Zeros()); },
                   "The EEPROM did not acknowledge its device select while writing address 0. "
                   "The virtual board was started with eeprom=absent, so no EEPROM answers on "
                   "its bus; leave that option out of --port."},
        BoardFault{"switch_absent", [](sim::BoardOptions& o) { o.switch_present = false; },
                   [](bus::BusConnection& c) {
                     bus::Image image;
                     return c.DumpSwitchRegisters(image);
                   },
                   "The switch chip did not acknowledge its device select. The virtual board "
                   "was started with switch=absent, so no switch chip answers on its bus; leave "
                   "that option out of --port."},
        BoardFault{"sda_stuck_low", [](sim::BoardOptions& o) { o.sda_stuck_low = true; },
                   [](bus::BusConnection& c) {
                     bus::Image image;
                     return c.ReadEeprom(image);
                   },
                   "The bus is held low: SDA stayed low through nine clock pulses before talking "
                   "to the EEPROM. The virtual board was started with sda=stuck-low, which "
                   "shorts its SDA line to ground; leave that option out of --port."},
        // The first byte's write cycle outlasts the 100 ms the select polling of the second
        // waits, so the write stops at address 1.
        BoardFault{"long_write_cycle",
                   [](sim::BoardOptions& o) { o.write_cycle_microseconds = 150000; },
                   [](bus::BusConnection& c) { return c.WriteEeprom(Zeros()); },
                   "The EEPROM did not acknowledge its device select while writing address 1. "
                   "The virtual board's EEPROM was started with twr=150000: its write cycle is "
                   "longer than the 100 ms the programs wait for the EEPROM to answer again; "
                   "give twr a value of at most 100000 microseconds."}),
    [](const testing::TestParamInfo<BoardFault>& info) { return std::string(info.param.name); });

// A write the board file did not take: the system's reason ends its sentence, and the advice that
// follows fits that reason.
TEST(BoardFileFailureTest, TheAdviceFitsTheReason) {
  const std::pair<int, std::string> advice_by_reason[] = {
      {ENOSPC, "Free space on the disk"}, {EDQUOT, "Free space on the disk"},
      {EFBIG, "Raise the file-size limit (ulimit -f)"},
      {EIO, "The disk that holds the board file failed to write it; check the disk"},
      {EROFS, "Name another board file with --port sim:FILE, or use --port sim"}};
  for (const auto& [error_number, advice] : advice_by_reason) {
    bus::BusResult result =
        bus::BusResult::Failed("cannot store ...: " + std::string(std::strerror(error_number)), 3,
                               error_number);
    result.remedy = ports::BoardRemedy(sim::BoardOptions{}, result, false);
    EXPECT_EQ(bus::DescribeBusResult(result).rfind(result.detail + ". " + advice, 0), 0u)
        << bus::DescribeBusResult(result);
  }
}

TEST(BoardFileFailureTest, AWriteTheBoardFileCannotStoreFailsAtThatAddress) {
  const std::filesystem::path folder =
      std::filesystem::path(testing::TempDir()) / ("sim_port_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  sim::BoardOptions options;
  options.file = (folder / "board.bin").string();
  bus::BusConnection connection = Connect(options);  // the file is made erased here
  bus::Image image{};
  bus::Image before;
  ASSERT_TRUE(connection.ReadEeprom(before).ok());

  bus::BusResult result;
  {
    const test_support::NoFileGrowth no_growth;  // ulimit -f 0
    result = connection.WriteEeprom(image);
  }

  EXPECT_EQ(result.fault, bus::BusFault::PortFailed);
  EXPECT_EQ(result.address, 0);
  EXPECT_EQ(bus::DescribeBusResult(result),
            "cannot store the write of address 0 in board file \"" + options.file + "\": " +
                std::strerror(EFBIG) +
                ". Raise the file-size limit (ulimit -f), or name another board file with --port "
                "sim:FILE.");
  // Nothing was kept: the EEPROM reads back as it was.
  bus::Image after;
  ASSERT_TRUE(connection.ReadEeprom(after).ok());
  EXPECT_EQ(after, before);
  connection.Close();
  std::filesystem::remove_all(folder);
}

}  // namespace

namespace {

struct ProbeCase {
  const char* name;
  std::function<void(sim::BoardOptions&)> option;
  std::string line_fault;  // empty: the lines follow the port
  bool eeprom;
  bool switch_chip;
};

void PrintTo(const ProbeCase& probe, std::ostream* out) { *out << probe.name; }

class ProbeTest : public testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeTest, SaysWhatAnswersAndChangesNothing) {
  sim::BoardOptions options;
  GetParam().option(options);
  bus::Image contents{};
  contents[3] = 0x5A;
  auto port = std::make_unique<ports::SimPort>(std::make_unique<sim::VirtualBoard>(options, contents),
                                             "sim");
  const sim::VirtualBoard& board = port->Board();
  bus::BusConnection connection(std::move(port), bus::TimingPolicy::Windowed);

  const bus::ProbeReport report = connection.Probe();
  ASSERT_TRUE(report.line_fault.has_value());
  EXPECT_EQ(*report.line_fault, GetParam().line_fault);
  EXPECT_EQ(report.eeprom.ok(), GetParam().eeprom) << bus::DescribeBusResult(report.eeprom);
  EXPECT_EQ(report.switch_chip.ok(), GetParam().switch_chip);
  EXPECT_EQ(report.AllAnswer(), GetParam().eeprom && GetParam().switch_chip);
  if (!report.switch_chip.ok()) {
    EXPECT_NE(bus::DescribeBusResult(report.switch_chip).find("virtual board was started with"),
              std::string::npos);
  }
  EXPECT_EQ(board.EepromContents(), contents);
  EXPECT_FALSE(board.EepromBusy()) << "a probe starts no write cycle";
  EXPECT_TRUE(board.Scl() && (board.Sda() || options.sda_stuck_low)) << "the bus is left idle";
}

INSTANTIATE_TEST_SUITE_P(
    Boards, ProbeTest,
    testing::Values(
        ProbeCase{"good", [](sim::BoardOptions&) {}, "", true, true},
        ProbeCase{"eeprom_absent", [](sim::BoardOptions& o) { o.eeprom_present = false; }, "",
                  false, true},
        ProbeCase{"switch_absent", [](sim::BoardOptions& o) { o.switch_present = false; }, "",
                  true, false},
        ProbeCase{"sda_stuck_low", [](sim::BoardOptions& o) { o.sda_stuck_low = true; },
                  "SDA stays low when the port releases it: something holds the line to ground "
                  "(a short, a board without power pulling it down, or a wrong cable)",
                  false, false}),
    [](const testing::TestParamInfo<ProbeCase>& info) { return std::string(info.param.name); });

}  // namespace
