// SPDX-License-Identifier: GPL-3.0-or-later
// The ch341a road on a fake CH341A whose bus is the virtual board's: each operation, opening and
// failure through the row and a bus connection, with its message; the bytes sent for a write and
// a read; the programmers sysfs shows; and the --port values the row takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "bus/bus_connection.h"
#include "bus/message_transactions.h"
#include "ports/ch341a_port.h"
#include "ports/port_table.h"
#include "tests/support/fake_ch341a.h"
#include "tests/support/test_files.h"

namespace {

using test_support::FakeCh341a;
using test_support::FakeCh341aSettings;

bus::Image Pattern(int seed) {
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<std::uint8_t>(i * 11 + static_cast<std::size_t>(seed) * 5);
  }
  return image;
}

enum class Operation { Write, Read, Dump };

struct Case {
  const char* name;
  FakeCh341aSettings settings;
  const char* port;
  Operation operation;
  const char* message;  // part of the operation's message; empty: it succeeds
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

FakeCh341aSettings With(void (*change)(FakeCh341aSettings&)) {
  FakeCh341aSettings settings;
  settings.round_trip_nanoseconds = 1'000'000;
  change(settings);
  return settings;
}

const Case kCases[] = {
    {"Write", With([](FakeCh341aSettings&) {}), "ch341a", Operation::Write, ""},
    {"Read", With([](FakeCh341aSettings&) {}), "ch341a,khz=400", Operation::Read, ""},
    {"Dump", With([](FakeCh341aSettings&) {}), "ch341a", Operation::Dump, ""},
    {"KernelDriverDetachedAndGivenBack", With([](auto& s) { s.kernel_driver = true; }), "ch341a",
     Operation::Read, ""},
    {"AnswerLeftByAnotherProgram", With([](auto& s) { s.left_unread = 3; }), "ch341a",
     Operation::Write, ""},
    {"OneOfTwoByWhere", With([](auto& s) { s.programmers = 2; }), "ch341a:1-3", Operation::Write,
     ""},
    {"TwoWithoutWhere", With([](auto& s) { s.programmers = 2; }), "ch341a", Operation::Read,
     "cannot open port ch341a: 2 CH341A programmers are plugged in (at 1-2 1-3); name one with "
     "--port ch341a:WHERE"},
    {"DeviceAbsent", With([](auto& s) { s.programmers = 0; }), "ch341a", Operation::Read,
     "cannot open port ch341a: no CH341A (USB 1a86:5512) is plugged in; plug it in; check with "
     "lsusb"},
    {"NoneAtWhere", With([](FakeCh341aSettings&) {}), "ch341a:2-1", Operation::Read,
     "no CH341A (USB 1a86:5512) is at USB port 2-1; plug it in; check with lsusb"},
    {"SerialMode", With([](auto& s) { s.serial_mode = true; }), "ch341a", Operation::Write,
     "(USB 1a86:5523); set the mode jumper to I2C/SPI"},
    {"PermissionDenied", With([](auto& s) { s.permission_denied = true; }), "ch341a",
     Operation::Write,
     "Access denied (insufficient permissions) (opening the CH341A at USB port 1-2); install the "
     "project's udev rules (70-plover-usb-programmers.rules"},
    {"InterfaceBusy", With([](auto& s) { s.interface_busy = true; }), "ch341a", Operation::Read,
     "the CH341A at USB port 1-2 is in use: another program or a kernel driver holds "
     "its interface"},
    {"EepromAbsentIsNeverReadAsFF", With([](auto& s) { s.board.eeprom_present = false; }),
     "ch341a", Operation::Read, "The EEPROM did not acknowledge"},
    {"EepromAbsentWrite", With([](auto& s) { s.board.eeprom_present = false; }), "ch341a",
     Operation::Write, "The EEPROM did not acknowledge the message while writing address 0. "
                       "Check the CH341A's clip"},
    {"SwitchAbsent", With([](auto& s) { s.board.switch_present = false; }), "ch341a",
     Operation::Dump, "The switch chip did not acknowledge"},
    {"WriteCyclePolled", With([](auto& s) { s.board.write_cycle_microseconds = 5000; }),
     "ch341a", Operation::Write, ""},
    {"WriteCycleBeyondTheBound", With([](auto& s) { s.board.write_cycle_microseconds = 150'000; }),
     "ch341a", Operation::Write, "did not acknowledge the message while writing address 1"},
    {"UnpluggedMidWrite", With([](auto& s) { s.unplugged_after = 20; }), "ch341a",
     Operation::Write, "the adapter ch341a failed while writing address 4: No such device (it "
                       "has been unplugged). The CH341A has been unplugged; plug it in again"},
    {"UnpluggedMidRead", With([](auto& s) { s.unplugged_after = 3; }), "ch341a", Operation::Read,
     "No such device (it has been unplugged)"},
};

class Ch341aCaseTest : public testing::TestWithParam<Case> {};

TEST_P(Ch341aCaseTest, RunsTheOperationOrNamesTheCauseAndGivesBackAllItTook) {
  const Case& c = GetParam();
  const bus::Image power_up = Pattern(1);
  FakeCh341a chip(c.settings, power_up);
  const bus::PortSpecResult parsed = ports::ParsePortSpec(c.port);
  ASSERT_TRUE(parsed.spec) << parsed.error;
  bus::Image image = Pattern(2);
  bus::Image destination;
  destination.fill(0x5A);
  bus::BusResult result;
  {
    const bus::LibusbCallsOverride seam(chip);
    bus::BusConnection bus({*parsed.spec, {}, bus::TimingPolicy::Windowed});
    result = c.operation == Operation::Write ? bus.WriteEeprom(image)
             : c.operation == Operation::Read ? bus.ReadEeprom(destination)
                                              : bus.DumpSwitchRegisters(destination);
    EXPECT_EQ(chip.PendingAnswers(), 0u) << "an answer left unread";
    bus.Close();
  }
  const std::string message = bus::DescribeBusResult(result);
  if (*c.message == '\0') {
    EXPECT_TRUE(result.ok()) << message;
    EXPECT_EQ(c.operation == Operation::Write ? chip.Board().EepromContents() : destination,
              c.operation == Operation::Write ? image : power_up);
    EXPECT_EQ(chip.SpeedCode(), std::string(c.port).ends_with("400") ? 2 : 1);
  } else {
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
    bus::Image untouched;
    untouched.fill(0x5A);
    EXPECT_EQ(destination, untouched);
  }
  const auto count = [&](const char* call) { return std::count(chip.calls.begin(), chip.calls.end(), call); };
  EXPECT_EQ(count("init"), count("exit"));
  EXPECT_EQ(count("open"), count("close"));
  EXPECT_EQ(count("claim"), count("release"));
  EXPECT_EQ(count("detach"), count("attach"));
  EXPECT_EQ(chip.DriverBound(), c.settings.kernel_driver);
}

INSTANTIATE_TEST_SUITE_P(Settings, Ch341aCaseTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

// The unplugged programmer ends the operation at once: no write is tried again after it went.
TEST(Ch341aTest, AnUnpluggedProgrammerIsNotAskedAgain) {
  FakeCh341aSettings settings;
  settings.unplugged_after = 5;
  FakeCh341a chip(settings, bus::Image{});
  std::string error;
  auto adapter = bus::Ch341aAdapter::Open({}, "ch341a", error, chip);
  ASSERT_NE(adapter, nullptr) << error;
  bus::MessageTransactions transactions(*adapter);
  EXPECT_FALSE(transactions.WriteEeprom(Pattern(3), bus::AllAddresses()).ok());
  EXPECT_EQ(chip.bulk_writes, 6);
}

// The bytes on the USB link: a checked byte write, and a 128-byte read in packets whose answers
// fit one 32-byte packet each, every select checked.
TEST(Ch341aTest, SendsEverySelectAndByteCheckedAndReadsInChunksThatFitAPacket) {
  FakeCh341a chip(FakeCh341aSettings{}, Pattern(4));
  std::string error;
  auto adapter = bus::Ch341aAdapter::Open({}, "ch341a", error, chip);
  ASSERT_NE(adapter, nullptr) << error;
  std::uint8_t bytes[] = {0x10, 0x5A};
  bus::I2cMessage write{0x50, false, bytes};
  ASSERT_EQ(adapter->Transfer({&write, 1}), 0);
  EXPECT_EQ(adapter->TakeWireNote(), "> aa 74 80 a0 80 10 80 5a 75 00\n< 00 00 00\n");

  bus::Image read{};
  std::uint8_t first = 0;
  bus::I2cMessage messages[] = {{0x50, false, {&first, 1}}, {0x50, true, read}};
  do {  // through the write cycle of the byte above; the note keeps the transfer that was taken
    (void)adapter->TakeWireNote();
  } while (adapter->Transfer(messages) != 0);
  const std::string note = adapter->TakeWireNote();
  EXPECT_NE(note.find("> aa 74 80 a0 80 00 74 80 a1 dc c0 75 00\n< 00 00 00 "), std::string::npos)
      << note;
  EXPECT_EQ(std::count(note.begin(), note.end(), '>'), 5);
  EXPECT_NE(note.find("> aa 74 80 a1 de c0 75 00\n< 00 "), std::string::npos);
  EXPECT_NE(note.find("> aa 74 80 a1 c5 c0 75 00\n< 00 "), std::string::npos);
  bus::Image expected = Pattern(4);
  expected[0x10] = 0x5A;
  EXPECT_EQ(read, expected);
}

TEST(Ch341aTest, TakesAPortPathAndTheChipsFourSpeedsOnly) {
  const std::pair<const char*, const char*> kSpecs[] = {
      {"ch341a", "ch341a"},
      {"ch341a,khz=100", "ch341a"},
      {"ch341a:1-2.3,khz=750", "ch341a:1-2.3,khz=750"},
      {"ch341a:3-1,khz=20", "ch341a:3-1,khz=20"},
      {"ch341a,khz=300", nullptr},
      {"ch341a,khz=400,twr=5", nullptr},
      {"ch341a:", nullptr},
      {"ch341a:1-", nullptr},
      {"ch341a:usb1", nullptr},
      {"ch341a:1-2..3", nullptr},
  };
  for (const auto& [text, canonical] : kSpecs) {
    const bus::PortSpecResult parsed = ports::ParsePortSpec(text);
    ASSERT_EQ(parsed.spec.has_value(), canonical != nullptr) << text << ": " << parsed.error;
    if (canonical != nullptr) {
      EXPECT_EQ(parsed.spec->Text(), canonical);
    }
  }
}

TEST(Ch341aTest, ListsEachProgrammerByItsPortPathAndTheSerialModeWithItsRemedy) {
  ports_test::ScratchDirectory machine;
  const bus::SystemRoots roots{machine.File("dev"), machine.File("sys"), machine.File("proc")};
  const auto device = [&](const std::string& name, const char* vendor, const char* product) {
    const std::string folder = roots.sys + "/bus/usb/devices/" + name;
    std::filesystem::create_directories(folder);
    for (const auto& [file, value] : {std::pair{"idVendor", vendor}, {"idProduct", product},
                                      {"busnum", "1"}, {"devnum", "9"}}) {
      std::ofstream(folder + "/" + file) << value << "\n";
    }
  };
  device("1-2.3", "1a86", "5512");
  device("1-4", "1a86", "5523");
  device("1-1", "046d", "c52b");
  std::vector<bus::ListedPort> found = bus::Ch341aBackend().find(roots);
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.spec < b.spec; });
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].spec, "ch341a:1-2.3");
  EXPECT_EQ(found[0].access, "No such file or directory");  // no /dev/bus/usb/001/009 here
  EXPECT_EQ(found[1].spec, "ch341a:1-4");
  EXPECT_EQ(found[1].access, "not usable in its serial mode: set the mode jumper to I2C/SPI");
}

}  // namespace
