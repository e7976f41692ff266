// SPDX-License-Identifier: GPL-3.0-or-later
// The ch341a road on a fake CH341A whose bus is the virtual board's: each setting of the fake
// through the row and a bus connection, the operation's result or message, nothing left unread
// in the chip, and all that opening took given back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "bus/bus_connection.h"
#include "ports/usb/libusb_calls.h"
#include "ports/port_table.h"
#include "tests/ports/ch341a/fake_ch341a.h"
#include "tests/ports/lifecycle_setup.h"

namespace {

using Settings = test_support::FakeCh341aSettings;
enum class Operation { Write, Read, Dump, PageWrite16 };

struct Case {
  const char* name;
  void (*change)(Settings&);
  const char* port;
  Operation operation;
  const char* message;  // part of the operation's message; empty: it succeeds
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

void Healthy(Settings&) {}

const Case kCases[] = {
    {"Write", Healthy, "ch341a", Operation::Write, ""},
    {"ReadAt400kHz", Healthy, "ch341a,khz=400", Operation::Read, ""},
    {"Dump", Healthy, "ch341a", Operation::Dump, ""},
    // A 17-byte message (the word address and a page) fits one packet.
    {"PageWrite16", [](Settings& s) { s.board.page_size = 16; }, "ch341a",
     Operation::PageWrite16, ""},
    {"KernelDriver", [](Settings& s) { s.kernel_driver = true; }, "ch341a", Operation::Read, ""},
    {"LeftUnread", [](Settings& s) { s.left_unread = 3; }, "ch341a", Operation::Write, ""},
    {"OneOfTwo", [](Settings& s) { s.programmers = 2; }, "ch341a:1-3", Operation::Write, ""},
    {"TwoWithoutWhere", [](Settings& s) { s.programmers = 2; }, "ch341a", Operation::Read,
     "cannot open port ch341a: 2 CH341A programmers are plugged in (1-2, 1-3): name one with "
     "--port ch341a:WHERE, its USB port path"},
    {"DeviceAbsent", [](Settings& s) { s.programmers = 0; }, "ch341a", Operation::Read,
     "cannot open port ch341a: no CH341A (USB 1a86:5512) is plugged in; plug it in; check with "
     "lsusb"},
    {"NoneAtWhere", Healthy, "ch341a:2-1", Operation::Read,
     "no CH341A (USB 1a86:5512) is at USB port 2-1; plug it in; check with lsusb"},
    {"SerialMode", [](Settings& s) { s.serial_mode = true; }, "ch341a", Operation::Write,
     "(USB 1a86:5523); set the mode jumper to I2C/SPI"},
    {"PermissionDenied", [](Settings& s) { s.permission_denied = true; }, "ch341a",
     Operation::Write, "Access denied (insufficient permissions) (opening the CH341A at USB port "
                       "1-2); "},
    {"InterfaceBusy", [](Settings& s) { s.interface_busy = true; }, "ch341a", Operation::Read,
     "the CH341A at USB port 1-2 is in use: another program or a kernel driver holds its"},
    {"EepromAbsentNotReadAsFF", [](Settings& s) { s.board.eeprom_present = false; }, "ch341a",
     Operation::Read, "The EEPROM did not acknowledge"},
    {"EepromAbsent", [](Settings& s) { s.board.eeprom_present = false; }, "ch341a",
     Operation::Write, "did not acknowledge the message while writing address 0. Check the "
                       "CH341A's clip"},
    {"SwitchAbsent", [](Settings& s) { s.board.switch_present = false; }, "ch341a",
     Operation::Dump, "The switch chip did not acknowledge"},
    {"WriteCycleTooLong", [](Settings& s) { s.board.write_cycle_microseconds = 150'000; },
     "ch341a", Operation::Write, "did not acknowledge the message while writing address 1"},
    {"UnpluggedMidWrite", [](Settings& s) { s.unplugged_after = 20; }, "ch341a",
     Operation::Write, "failed while writing address 4: No such device (it has been unplugged). "
                       "The CH341A has been unplugged; plug it in again"},
    {"UnpluggedMidRead", [](Settings& s) { s.unplugged_after = 3; }, "ch341a", Operation::Read,
     "No such device (it has been unplugged)"},
    // The answer is read as one whole packet and its count compared: never taken as a missing
    // acknowledge, never retried as a poll, and what was left in the chip is read away.
    {"AnswerTooLong", [](Settings& s) { s.extra_answers = 2; }, "ch341a", Operation::Read,
     "failed while reading the EEPROM: Bad message. The CH341A answered with another number of "
     "bytes than its commands ask for; unplug it"},
    {"AnswerTooShort", [](Settings& s) { s.answers_short = true; }, "ch341a", Operation::Write,
     "failed while writing address 0: Bad message. The CH341A answered with another number"},
};

class Ch341aTest : public testing::TestWithParam<Case> {};

TEST_P(Ch341aTest, RunsTheOperationOrNamesTheCauseAndGivesBackAllItTook) {
  const Case& c = GetParam();
  Settings settings;
  settings.round_trip_nanoseconds = 1'000'000;
  c.change(settings);
  bus::Image power_up{};
  power_up.fill(0x3C);
  test_support::FakeCh341a chip(settings, power_up);
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 11);
  bus::Image destination{};
  bus::BusResult result;
  {
    const ports::LibusbCallsOverride seam(chip);
    bus::BusConnection bus({*ports::ParsePortSpec(c.port).spec, {}, bus::TimingPolicy::Windowed});
    result = c.operation == Operation::Write         ? bus.WriteEeprom(image)
             : c.operation == Operation::PageWrite16 ? bus.WriteEepromAddresses(
                                                           image, bus::AllAddresses(), 16)
             : c.operation == Operation::Read        ? bus.ReadEeprom(destination)
                                                     : bus.DumpSwitchRegisters(destination);
  }
  EXPECT_EQ(chip.PendingAnswers(), 0u) << "an answer left unread";
  const std::string message = bus::DescribeBusResult(result);
  if (*c.message == '\0') {
    EXPECT_TRUE(result.ok()) << message;
    const bool wrote = c.operation == Operation::Write || c.operation == Operation::PageWrite16;
    EXPECT_EQ(wrote ? chip.Board().EepromContents() : destination, wrote ? image : power_up);
    EXPECT_EQ(chip.SpeedCode(), std::string(c.port).ends_with("400") ? 2 : 1);
  } else {
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
    EXPECT_EQ(destination, bus::Image{}) << "a failed read changes nothing";
  }
  for (const auto& [take, give] : {std::pair{"init", "exit"}, {"open", "close"},
                                   {"claim", "release"}, {"detach", "attach"}}) {
    EXPECT_EQ(std::count(chip.calls.begin(), chip.calls.end(), take),
              std::count(chip.calls.begin(), chip.calls.end(), give)) << take;
  }
  EXPECT_EQ(chip.DriverBound(), settings.kernel_driver);
}

INSTANTIATE_TEST_SUITE_P(Settings, Ch341aTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

// The lifecycle every row gets: a CH341A in its I2C/SPI mode, on the fake and at USB port 1-2.
struct InstalledCh341a {
  test_support::FakeCh341a chip{{}, bus::Image{}};
  ports::LibusbCallsOverride seam{chip};
};
const ports_test::RegisterLifecycleSetup kLifecycle({
    [] { return std::shared_ptr<void>(std::make_shared<InstalledCh341a>()); },
    [](const ports::SystemRoots& roots) {
      for (const auto& [file, value] : {std::pair{"idVendor", "1a86"}, {"idProduct", "5512"},
                                        {"busnum", "1"}, {"devnum", "5"}}) {
        ports_test::WriteMachineFile(roots.sys + "/bus/usb/devices/1-2/" + file, value);
      }
    },
});

}  // namespace
