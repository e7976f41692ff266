// SPDX-License-Identifier: GPL-3.0-or-later
// The i2c road on a fake adapter whose bus is the virtual board's: each operation's data on
// adapters of every habit, what is learned of them, each failure's message and bound, and the
// destination of a failed read left untouched.
#include <gtest/gtest.h>
#include <linux/i2c-dev.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "bus/bus_connection.h"
#include "bus/eeprom_protocol.h"
#include "bus/message_trace.h"
#include "bus/message_transactions.h"
#include "ports/i2c_dev/i2c_dev_port.h"
#include "ports/port_table.h"
#include "tests/ports/i2c_dev/fake_i2c_system.h"
#include "tests/support/test_files.h"
#include "tests/ports/lifecycle_setup.h"

namespace {

using test_support::FakeAdapterSettings;
using test_support::FakeI2cSystem;
using test_support::TransferShape;

bus::Image Pattern(int seed) {
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<std::uint8_t>(i * 13 + static_cast<std::size_t>(seed) * 7);
  }
  return image;
}

std::unique_ptr<ports::I2cDevAdapter> OpenAdapter(FakeI2cSystem& system, std::string& error,
                                                const std::string& sysfs = "/nonexistent") {
  return ports::I2cDevAdapter::Open("/dev/i2c-7", "i2c:/dev/i2c-7", error, system, sysfs);
}

struct Habit {
  const char* name;
  FakeAdapterSettings settings;
  bool combined;        // the address write and the read go in one transfer
  std::size_t chunk;    // the longest read the connection settles on
};

void PrintTo(const Habit& habit, std::ostream* out) { *out << habit.name; }

FakeAdapterSettings Adapter(TransferShape shape, std::size_t longest_read, int too_long = EINVAL) {
  FakeAdapterSettings settings;
  settings.shape = shape;
  settings.longest_read = longest_read;
  settings.too_long_error = too_long;
  return settings;
}

class AdapterHabitTest : public testing::TestWithParam<Habit> {};

// A write, a read right after it (which meets the last write cycle), and the switch registers,
// on one connection; then a second read, which goes straight to what was learned.
TEST_P(AdapterHabitTest, WritesReadsAndDumpsWhateverTransfersTheAdapterTakes) {
  const bus::Image power_up = Pattern(1);
  FakeI2cSystem system(GetParam().settings, power_up);
  std::string error;
  auto adapter = OpenAdapter(system, error);
  ASSERT_NE(adapter, nullptr) << error;
  bus::MessageTransactions transactions(*adapter);

  const bus::Image image = Pattern(2);
  ASSERT_TRUE(transactions.WriteEeprom(image, bus::AllAddresses()).ok());
  EXPECT_EQ(system.Board().EepromContents(), image);
  bus::Image read{};
  ASSERT_TRUE(transactions.ReadEeprom(read).ok());
  EXPECT_EQ(read, image);
  bus::Image registers{};
  ASSERT_TRUE(transactions.DumpSwitchRegisters(registers).ok());
  EXPECT_EQ(registers, power_up);  // the switch loaded the EEPROM at power-up

  EXPECT_EQ(transactions.TakesAddressAndReadInOneTransfer(), GetParam().combined);
  EXPECT_EQ(transactions.ReadChunk(), GetParam().chunk);
  const long before = system.Transfers();
  ASSERT_TRUE(transactions.ReadEeprom(read).ok());
  const long expected = GetParam().combined ? 1 : 1 + static_cast<long>(128 / GetParam().chunk);
  EXPECT_EQ(system.Transfers() - before, expected) << "what was learned is used at once";
}

INSTANTIATE_TEST_SUITE_P(
    Adapters, AdapterHabitTest,
    testing::Values(Habit{"Many", Adapter(TransferShape::Many, 8192), true, 128},
                    Habit{"PairsWithShortReads", Adapter(TransferShape::WriteThenRead, 32), false, 32},
                    Habit{"PairsTooLongAsMsgSize",
                          Adapter(TransferShape::WriteThenRead, 60, EMSGSIZE), false, 32},
                    Habit{"OneMessage128", Adapter(TransferShape::OneMessage, 128), false, 128},
                    Habit{"OneMessage32", Adapter(TransferShape::OneMessage, 32), false, 32},
                    Habit{"ManyShortReads", Adapter(TransferShape::Many, 32), false, 32}),
    [](const testing::TestParamInfo<Habit>& info) { return std::string(info.param.name); });

struct Failure {
  const char* name;
  std::function<void(FakeAdapterSettings&)> setup;
  std::function<bus::BusResult(bus::BusConnection&, bus::Image&)> operation;
  std::string message;     // the line the programs show
  bool bounded = false;    // the failure comes after the 100 ms of polling
};

void PrintTo(const Failure& failure, std::ostream* out) { *out << failure.name; }

const std::string kWiring =
    " Check the adapter's wires to the EEPROM (SDA to pin 5, SCL to pin 6, GND to pin 4), that "
    "the board is powered, and that the adapter's I/O voltage matches the board's.";

bus::BusResult Write(bus::BusConnection& connection, bus::Image&) {
  return connection.WriteEeprom(Pattern(3));
}
bus::BusResult Read(bus::BusConnection& connection, bus::Image& destination) {
  return connection.ReadEeprom(destination);
}
bus::BusResult Dump(bus::BusConnection& connection, bus::Image& destination) {
  return connection.DumpSwitchRegisters(destination);
}

// An adapter that fails every transfer to the EEPROM with `error_number`.
template <int error_number>
void Refusing(FakeAdapterSettings& settings) {
  settings.board.eeprom_present = false;
  settings.nack_error = error_number;
}

std::string AdapterFailed(int error_number) {
  return "the adapter i2c:/dev/i2c-7 failed while writing address 0: " +
         std::string(std::strerror(error_number));
}

const std::string kRefusedTransfer =
    ". The adapter's driver refused the transfer as one it cannot make; use another adapter "
    "(--list-ports shows them).";

class AdapterFailureTest : public testing::TestWithParam<Failure> {};

TEST_P(AdapterFailureTest, IsReportedInOneLineAndLeavesTheDestinationAlone) {
  FakeAdapterSettings settings;
  GetParam().setup(settings);
  auto system = std::make_unique<FakeI2cSystem>(settings, Pattern(4));
  std::string error;
  auto adapter = OpenAdapter(*system, error);
  ASSERT_NE(adapter, nullptr) << error;
  bus::BusConnection connection(std::move(adapter));

  bus::Image destination = Pattern(5);
  const std::uint64_t started = system->Now();
  const bus::BusResult result = GetParam().operation(connection, destination);
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(bus::DescribeBusResult(result), GetParam().message);
  EXPECT_EQ(destination, Pattern(5));
  const std::uint64_t spent = system->Now() - started;
  if (GetParam().bounded) {
    EXPECT_GE(spent, bus::kSelectPollingLimitNanoseconds);
    // The last attempt is the one begun after the limit: it ends within two attempts or so.
    EXPECT_LT(spent, bus::kSelectPollingLimitNanoseconds + 200'000);
  } else {
    EXPECT_LT(spent, 1'000'000u) << "a failure that is not a missing acknowledge ends at once";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, AdapterFailureTest,
    testing::Values(
        Failure{"NoEepromENXIO", [](FakeAdapterSettings& s) { s.board.eeprom_present = false; },
                Write, "The EEPROM did not acknowledge the message while writing address 0." + kWiring,
                true},
        Failure{"NoEepromEREMOTEIO",
                [](FakeAdapterSettings& s) {
                  s.board.eeprom_present = false;
                  s.nack_error = EREMOTEIO;
                },
                Read, "The EEPROM did not acknowledge the message." + kWiring, true},
        Failure{"NoEepromETIMEDOUT",
                [](FakeAdapterSettings& s) {
                  s.board.eeprom_present = false;
                  s.nack_error = ETIMEDOUT;
                },
                Write, "The EEPROM did not acknowledge the message while writing address 0." + kWiring,
                true},
        Failure{"AlwaysBusy",
                [](FakeAdapterSettings& s) {
                  s.board.eeprom_present = false;
                  s.nack_error = EAGAIN;
                },
                Read,
                "the adapter i2c:/dev/i2c-7 failed while reading the EEPROM: " +
                    std::string(std::strerror(EAGAIN)) +
                    ". The adapter stayed busy for the 100 ms the programs wait; let whatever "
                    "else uses its bus finish, then try again.",
                true},
        Failure{"NoSwitchEIO",
                [](FakeAdapterSettings& s) {
                  s.board.switch_present = false;
                  s.nack_error = EIO;
                },
                Dump, "The switch chip did not acknowledge the message." + kWiring, true},
        Failure{"NoSwitchInChunks",
                [](FakeAdapterSettings& s) {
                  s.board.switch_present = false;
                  s.shape = TransferShape::OneMessage;
                },
                Dump, "The switch chip did not acknowledge the message." + kWiring, true},
        // The first byte's write cycle outlasts the polling of the second.
        Failure{"WriteCycleBeyondTheBound",
                [](FakeAdapterSettings& s) { s.board.write_cycle_microseconds = 150000; }, Write,
                "The EEPROM did not acknowledge the message while writing address 1." + kWiring,
                true},
        // Address 0 goes through; the first attempt at address 1 finds the adapter gone.
        Failure{"UnpluggedDuringAWrite", [](FakeAdapterSettings& s) { s.unplugged_after = 1; },
                Write,
                "the adapter i2c:/dev/i2c-7 failed while writing address 1: " +
                    std::string(std::strerror(ENODEV)) +
                    " (it has been unplugged). Check that the adapter is still plugged in, then "
                    "try again."},
        Failure{"UnpluggedDuringAChunkedRead",
                [](FakeAdapterSettings& s) {
                  s.shape = TransferShape::OneMessage;
                  s.longest_read = 32;
                  s.unplugged_after = 4;
                },
                Read,
                "the adapter i2c:/dev/i2c-7 failed while reading the EEPROM: " +
                    std::string(std::strerror(ENODEV)) +
                    " (it has been unplugged). Check that the adapter is still plugged in, then "
                    "try again."},
        // Errors that say nothing of the board: the advice follows the error.
        Failure{"RefusedEOPNOTSUPP", Refusing<EOPNOTSUPP>, Write,
                AdapterFailed(EOPNOTSUPP) + kRefusedTransfer},
        Failure{"RefusedEINVAL", Refusing<EINVAL>, Write, AdapterFailed(EINVAL) + kRefusedTransfer},
        Failure{"FailedEPROTO", Refusing<EPROTO>, Write,
                AdapterFailed(EPROTO) + ". Check the adapter and its wires, then try again; dmesg "
                                        "shows what its driver reported."}),
    [](const testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });

TEST(I2cOpenTest, RefusesWhatCannotCarryTheTransfers) {
  ports_test::ScratchDirectory sysfs;
  std::filesystem::create_directories(sysfs.path() + "/class/i2c-dev/i2c-7");
  std::ofstream(sysfs.path() + "/class/i2c-dev/i2c-7/name") << "SMBus I801 adapter at f040\n";
  FakeAdapterSettings smbus_only;
  smbus_only.plain_i2c = false;
  FakeI2cSystem system(smbus_only, bus::Image{});
  std::string error;
  EXPECT_EQ(OpenAdapter(system, error, sysfs.path()), nullptr);
  EXPECT_EQ(error,
            "the adapter 'SMBus I801 adapter at f040' (/dev/i2c-7) makes only SMBus transfers, "
            "and the EEPROM's sequential read and write polling need plain I2C messages; use an "
            "adapter that offers them (--list-ports)");
  EXPECT_FALSE(system.IsOpen());

  // A device node that is no adapter, and one that is not there.
  const bus::OpenedPort not_adapter = bus::OpenPort(*ports::ParsePortSpec("i2c:/dev/null").spec);
  EXPECT_EQ(not_adapter.error, "cannot open port i2c:/dev/null: " +
                                   std::string(std::strerror(ENOTTY)) +
                                   " (asking the adapter what it can do). /dev/null is not an I2C "
                                   "adapter device; name one such as /dev/i2c-1 with --port "
                                   "i2c:DEVICE (--list-ports shows them).");
  const bus::OpenedPort missing = bus::OpenPort(*ports::ParsePortSpec("i2c:97").spec);
  EXPECT_EQ(missing.error, "cannot open port i2c:/dev/i2c-97: " +
                               std::string(std::strerror(ENOENT)) +
                               ". There is no /dev/i2c-97: load the i2c-dev module (modprobe "
                               "i2c-dev), check that the adapter is plugged in, and see "
                               "--list-ports for the adapters this machine has.");
}

TEST(I2cTraceTest, LogsEachTransferWithItsMessagesAndErrors) {
  ports_test::ScratchDirectory scratch;
  FakeAdapterSettings settings;
  settings.board.write_cycle_microseconds = 100;
  FakeI2cSystem system(settings, bus::Image{});
  std::string error;
  auto adapter = OpenAdapter(system, error);
  ASSERT_NE(adapter, nullptr) << error;
  const std::string file = scratch.File("bus.log");
  bus::MessageTraceOpenResult traced = bus::OpenMessageTrace(std::move(adapter), file);
  ASSERT_NE(traced.adapter, nullptr) << traced.error;
  {
    bus::BusConnection connection(std::move(traced.adapter));
    bus::Image image{};
    image[1] = 0x3C;
    bus::AddressSet addresses;
    addresses.set(0).set(1);
    ASSERT_TRUE(connection.WriteEepromAddresses(image, addresses).ok());
  }
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.starts_with("#")) lines.push_back(line.substr(line.find(' ') + 1));
  }
  // Address 0 is taken at once; address 1 meets the write cycle of address 0 and is sent again.
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.front(), "W 50: 00 00");
  EXPECT_EQ(lines[1], "W 50: 01 3c ! ENXIO " + std::string(std::strerror(ENXIO)));
  EXPECT_EQ(lines.back(), "W 50: 01 3c");
}

}  // namespace

namespace {

TEST(I2cProbeTest, AnAdapterHasNoLinesToCheckAndReportsEachDevice) {
  FakeAdapterSettings settings;
  settings.board.switch_present = false;
  FakeI2cSystem system(settings, Pattern(6));
  std::string error;
  auto adapter = OpenAdapter(system, error);
  ASSERT_NE(adapter, nullptr) << error;
  bus::BusConnection connection(std::move(adapter));
  const bus::ProbeReport report = connection.Probe();
  EXPECT_FALSE(report.line_fault.has_value());
  EXPECT_TRUE(report.eeprom.ok());
  EXPECT_EQ(bus::DescribeBusResult(report.switch_chip),
            "The switch chip did not acknowledge the message." + kWiring);
  EXPECT_FALSE(report.AllAnswer());
  EXPECT_EQ(system.Board().EepromContents(), Pattern(6));
}

// The lifecycle every row gets: the adapter i2c-1, through the system calls alone.
const ports_test::RegisterLifecycleSetup kLifecycle({
    {},
    [](const ports::SystemRoots& roots) { ports_test::WriteMachineFile(roots.dev + "/i2c-1", "888"); },
});

}  // namespace
