// SPDX-License-Identifier: GPL-3.0-or-later
// The timing floor on a recording port whose clock moves only when the floor waits: every phase
// of every transaction lasts at least its data-sheet minimum at 100, 400 and 50 kHz, measured
// from the register writes' times by a check of its own; the register sequence is the one
// without a floor; and on a port slow enough by itself the floor waits for nothing.
#include <gtest/gtest.h>

#include <string>

#include "bus/eeprom_protocol.h"
#include "bus/switch_register_dump.h"
#include "bus/timing_floor.h"
#include "register_trace.h"

namespace bus::testing {
namespace {

constexpr std::uint8_t kHigh = 0x7F;
constexpr std::uint8_t kLow = 0x3F;

// Runs a write of two addresses, a read and a dump on `port`, with the device acknowledging
// everything and reading as 0x5A.
void RunTransactions(RecordingPort& port, TimingFloor* floor) {
  port.status_source = [](const Trace& trace) {
    // Acknowledge slots and data bits alike read low on every other sample: enough to make each
    // transaction run to its end; the data is not what is checked here.
    return trace.size() % 2 == 0 ? kLow : kHigh;
  };
  ParallelPortLines lines(port, TimingPolicy::Windowed, floor);
  Image image{};
  AddressSet two;
  two.set(3).set(4);
  (void)EepromProtocol(lines).WriteAddresses(image, two);
  (void)EepromProtocol(lines).ReadEeprom(image);
  (void)SwitchRegisterDump(lines).DumpSwitchRegisters(image);
}

// The shortest length each phase had in `port`'s recorded writes, computed from the driven levels
// and the times after each write.
struct Shortest {
  std::uint64_t scl_low = UINT64_MAX, scl_high = UINT64_MAX, start_setup = UINT64_MAX,
                start_hold = UINT64_MAX, stop_setup = UINT64_MAX, bus_free = UINT64_MAX,
                data_setup = UINT64_MAX;
};

Shortest Measure(const RecordingPort& port) {
  Shortest shortest;
  bool scl = true, sda = true, scl_known = false, sda_known = false, start_in_high = false;
  std::uint64_t rose = 0, fell = 0, changed = 0, started = 0, stopped = 0;
  bool stopped_once = false;
  auto shorter = [](std::uint64_t& slot, std::uint64_t length) { slot = std::min(slot, length); };
  for (std::size_t i = 0; i < port.trace.size(); ++i) {
    const Access& access = port.trace[i];
    const std::uint64_t t = port.times[i];
    if (access.reg == Register::Control) {
      const bool level = (access.value & kControlSclBit) != 0;
      if (scl_known && level != scl) {
        if (level) {
          shorter(shortest.scl_low, t - fell);
          if (sda_known) shorter(shortest.data_setup, t - changed);
          rose = t;
        } else {
          shorter(shortest.scl_high, t - rose);
          if (start_in_high) shorter(shortest.start_hold, t - started);
          fell = t;
        }
        start_in_high = false;
      }
      if (!scl_known) (level ? rose : fell) = t;
      scl = level;
      scl_known = true;
    } else if (access.reg == Register::Data) {
      const bool level = (access.value & kDataSdaBit) != 0;
      if (sda_known && level != sda) {
        if (scl_known && scl && level) {
          shorter(shortest.stop_setup, t - rose);
          stopped = t;
          stopped_once = true;
        } else if (scl_known && scl) {
          shorter(shortest.start_setup, t - rose);
          if (stopped_once) shorter(shortest.bus_free, t - stopped);
          started = t;
          start_in_high = true;
        }
        changed = t;
      }
      sda = level;
      sda_known = true;
    }
  }
  return shortest;
}

class TimingFloorTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(TimingFloorTest, EveryPhaseLastsItsMinimumAndTheSequenceStaysTheSame) {
  const unsigned khz = GetParam();
  RecordingPort floored;
  floored.nanoseconds_per_access = 0;  // a port infinitely fast: only the floor makes time pass
  TimingFloor floor(khz);
  RunTransactions(floored, &floor);

  const PhaseMinimums minimums = MinimumsAt(khz);
  const Shortest shortest = Measure(floored);
  EXPECT_GE(shortest.scl_low, minimums.scl_low);
  EXPECT_GE(shortest.scl_high, minimums.scl_high);
  EXPECT_GE(shortest.start_setup, minimums.start_setup);
  EXPECT_GE(shortest.start_hold, minimums.start_hold);
  EXPECT_GE(shortest.stop_setup, minimums.stop_setup);
  EXPECT_GE(shortest.bus_free, minimums.bus_free);
  EXPECT_GE(shortest.data_setup, minimums.data_setup);
  // Each kind of phase occurs, and the floor lengthens it no more than needed.
  EXPECT_EQ(shortest.scl_low, minimums.scl_low);
  EXPECT_EQ(shortest.scl_high, minimums.scl_high);
  EXPECT_NE(shortest.bus_free, UINT64_MAX);

  RecordingPort bare;
  bare.nanoseconds_per_access = 0;
  RunTransactions(bare, nullptr);
  ExpectTrace(floored.trace, bare.trace);
  EXPECT_EQ(bare.waits, 0);
  EXPECT_GT(floored.waits, 0);
}

INSTANTIATE_TEST_SUITE_P(Speeds, TimingFloorTest, ::testing::Values(100u, 400u, 50u),
                         [](const auto& info) { return std::to_string(info.param) + "kHz"; });

// The console's WriteCycleWait after a byte's stop lasts longer than the bus free time, so the
// next start is not held back for it: two bytes, so two waits of 1 ms, make the write longer by
// less than 2 ms, since the first stands in for the floor's own wait before the second start.
TEST(TimingFloorTest, AWaitThatIsLongEnoughAlreadyGetsNothingAdded) {
  struct WriteCycle final : LineDelays {
    WriteCycle(RecordingPort& p, std::uint64_t length) : port(p), nanoseconds(length) {}
    void BitDelay() override {}
    void WriteCycleWait() override { port.WaitUntil(port.NowNanoseconds() + nanoseconds); }
    RecordingPort& port;
    std::uint64_t nanoseconds;
  };
  auto write_time = [](std::uint64_t write_cycle) {
    RecordingPort port;
    port.nanoseconds_per_access = 100;  // a fast port: the floor sets the pace
    port.scripted_status = {kHigh, kLow, kLow, kLow, kHigh, kLow, kLow, kLow};
    WriteCycle delays(port, write_cycle);
    TimingFloor floor(kDefaultBusKhz);
    ParallelPortLines lines(port, delays, &floor);
    AddressSet two;
    two.set(0).set(1);
    EXPECT_TRUE(EepromProtocol(lines).WriteAddresses(Image{}, two).ok());
    EXPECT_GE(Measure(port).bus_free, std::min<std::uint64_t>(write_cycle, 4700));
    return port.NowNanoseconds();
  };
  const std::uint64_t without = write_time(0);
  const std::uint64_t with = write_time(1'000'000);
  EXPECT_GT(with - without, 1'980'000u);
  EXPECT_LT(with - without, 2'000'000u);
}

}  // namespace
}  // namespace bus::testing
