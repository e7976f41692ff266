// SPDX-License-Identifier: GPL-3.0-or-later
// The timing floor against the virtual board that checks the data sheet's timing: the bus driven
// as fast as the port goes (khz=0, no floor) fails and is reported, never a silent wrong image;
// the floor at the board's speed passes; the trace says where the first violation was; and a VCD
// of a full write shows no SCL phase shorter than the chosen speed's minimum.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "bus/bus_connection.h"
#include "bus/timing_floor.h"
#include "ports/port_table.h"
#include "tests/support/test_files.h"

namespace {

using ports_test::ReadFile;
using ports_test::ScratchDirectory;

bus::Image Pattern() {
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 11 + 1);
  return image;
}

struct Pairing {
  const char* options;  // after "sim:FILE"
  bool passes;
};

void PrintTo(const Pairing& pairing, std::ostream* out) { *out << pairing.options; }

class StrictBoardTest : public testing::TestWithParam<Pairing> {};

TEST_P(StrictBoardTest, WriteReadAndDumpPassOnlyAtASpeedTheBoardTakes) {
  ScratchDirectory scratch;
  const std::string board = scratch.File("board.bin");
  const std::string trace = scratch.File("bus.log");
  bus::BusOptions options{
      *ports::ParsePortSpec("sim:" + board + GetParam().options).spec, trace,
      bus::TimingPolicy::Windowed};
  std::string after;
  {
    bus::BusConnection connection(options);
    const bus::BusResult wrote = connection.WriteEeprom(Pattern());
    bus::Image read = Pattern();
    read[0] ^= 0xFF;
    const bus::Image before = read;
    const bus::BusResult got = connection.ReadEeprom(read);
    bus::Image registers{};
    const bus::BusResult dumped = connection.DumpSwitchRegisters(registers);
    EXPECT_EQ(wrote.ok(), GetParam().passes) << bus::DescribeBusResult(wrote);
    EXPECT_EQ(got.ok(), GetParam().passes) << bus::DescribeBusResult(got);
    EXPECT_EQ(dumped.ok(), GetParam().passes) << bus::DescribeBusResult(dumped);
    if (GetParam().passes) {
      EXPECT_EQ(read, Pattern());
    } else {
      EXPECT_EQ(read, before) << "a failed read gives nothing";
      EXPECT_NE(bus::DescribeBusResult(wrote).find("checks the bus against the data sheet's"),
                std::string::npos)
          << bus::DescribeBusResult(wrote);
    }
  }
  after = ReadFile(board);
  const std::string image(reinterpret_cast<const char*>(Pattern().data()), 128);
  EXPECT_EQ(after == image, GetParam().passes);
  const std::string log = ReadFile(trace);
  EXPECT_EQ(log.find("\n# timing violation at ") != std::string::npos, !GetParam().passes) << log.substr(0, 2000);
}

INSTANTIATE_TEST_SUITE_P(
    Speeds, StrictBoardTest,
    testing::Values(Pairing{",timing=100,khz=0", false}, Pairing{",timing=100", true},
                    Pairing{",timing=400,khz=400", true}, Pairing{",timing=400", true},
                    Pairing{",timing=100,khz=400", false},
                    // A write cycle that ends within the 100 ms of polling, on a bus so slow that
                    // one poll of the EEPROM takes some 9 ms.
                    Pairing{",timing=100,twr=99999,khz=1", true}),
    [](const testing::TestParamInfo<Pairing>& info) {
      std::string name = info.param.options;
      std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
      return name;
    });

TEST(StrictBoardTest, TheTraceNamesThePhaseItsLengthAndItsMinimum) {
  ScratchDirectory scratch;
  const std::string trace = scratch.File("bus.log");
  {
    bus::BusConnection connection(
        {*ports::ParsePortSpec("sim,timing=100,khz=0").spec, trace, bus::TimingPolicy::Windowed});
    bus::Image image{};
    EXPECT_FALSE(connection.ReadEeprom(image).ok());
  }
  // The bus is idle from power-up, so the first start is seen; SCL falls 1 us after it, too
  // soon for the 4.0 us a start must be held in standard mode, and the note follows that access.
  EXPECT_NE(ReadFile(trace).find("\n5000 W control 00\n# timing violation at 5.000 us: start "
                                 "hold lasted 1.000 us, the 100 kHz minimum is 4.000 us; the "
                                 "chips do not see this clock pulse\n"),
            std::string::npos)
      << ReadFile(trace).substr(ReadFile(trace).find("# timing"), 200);
}

// The shortest SCL high and low phases of a VCD of a full write, in nanoseconds.
std::pair<std::uint64_t, std::uint64_t> ShortestSclPhases(const std::string& vcd) {
  std::istringstream in(vcd);
  std::uint64_t time = 0;
  std::uint64_t last_change = 0;
  int level = -1;
  std::uint64_t shortest_high = UINT64_MAX;
  std::uint64_t shortest_low = UINT64_MAX;
  bool in_body = false;
  for (std::string line; std::getline(in, line);) {
    if (line == "$enddefinitions $end") in_body = true;
    if (!in_body || line.empty()) continue;
    if (line[0] == '#') {
      time = std::stoull(line.substr(1));
    } else if ((line == "0c" || line == "1c")) {
      const int now = line[0] - '0';
      if (level >= 0 && now != level) {
        (level == 1 ? shortest_high : shortest_low) =
            std::min(level == 1 ? shortest_high : shortest_low, time - last_change);
      }
      if (now != level) last_change = time;
      level = now;
    }
  }
  return {shortest_high, shortest_low};
}

TEST(FloorTraceTest, AVcdOfAFullWriteHasNoSclPhaseShorterThanTheSpeedAllows) {
  for (const unsigned khz : {100u, 400u}) {
    ScratchDirectory scratch;
    const std::string vcd = scratch.File("write.vcd");
    {
      bus::BusConnection connection(
          {*ports::ParsePortSpec("sim,khz=" + std::to_string(khz)).spec, vcd,
           bus::TimingPolicy::Windowed});
      ASSERT_TRUE(connection.WriteEeprom(Pattern()).ok());
    }
    const auto [high, low] = ShortestSclPhases(ReadFile(vcd));
    const bus::PhaseMinimums minimums = bus::MinimumsAt(khz);
    EXPECT_GE(high, minimums.scl_high) << khz << " kHz";
    EXPECT_GE(low, minimums.scl_low) << khz << " kHz";
    EXPECT_LT(high, minimums.scl_high + 2000) << "no slower than needed, at " << khz << " kHz";
  }
}

}  // namespace
