// SPDX-License-Identifier: GPL-3.0-or-later
// The ftdi road on a fake chip that runs the MPSSE command stream against the virtual board: the
// operations on each chip and speed with the board holding every phase to that speed's minimums,
// each failure's message, the divisor chosen from the phase minimums, and the USB bytes in the
// trace.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "bus/bus_connection.h"
#include "ports/ftdi/ftdi_port.h"
#include "ports/port_table.h"
#include "tests/ports/ftdi/fake_ftdi.h"
#include "tests/support/test_files.h"
#include "tests/ports/lifecycle_setup.h"

namespace {

using test_support::FakeFtdi;
using test_support::FakeFtdiSettings;

bus::Image Pattern(int seed) {
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<std::uint8_t>(i * 29 + static_cast<std::size_t>(seed));
  }
  return image;
}

struct Case {
  const char* name;
  const char* port;
  FakeFtdiSettings chip;
  const char* message;  // empty: the write, the read back and the register dump succeed
  long writes = -1;     // the USB writes the chip saw by the end of the operations; -1: any
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

FakeFtdiSettings Chip(std::uint16_t product, unsigned timing_khz) {
  FakeFtdiSettings chip;
  chip.devices = {{"1-2", "FT0001", product}};
  chip.board.timing_khz = timing_khz;
  return chip;
}

template <typename Change>
FakeFtdiSettings With(Change change) {
  FakeFtdiSettings chip = Chip(ports::kFt232hProduct, 100);
  change(chip);
  return chip;
}

class FtdiRoadTest : public testing::TestWithParam<Case> {};

TEST_P(FtdiRoadTest, RunsTheOperationsOrSaysWhatFailed) {
  const Case& c = GetParam();
  const bus::Image power_up = Pattern(1);
  FakeFtdi chip(c.chip, power_up);
  const ports::FtdiCallsOverride seam(chip);
  const ports::PortSpecResult parsed = ports::ParsePortSpec(c.port);
  ASSERT_TRUE(parsed.spec) << parsed.error;
  std::string message;
  long writes = 0;
  {
    bus::BusConnection connection({*parsed.spec, {}, bus::TimingPolicy::Windowed});
    const bus::Image image = Pattern(2);
    bus::Image read{}, registers{};
    bus::BusResult result = connection.WriteEeprom(image);
    if (result.ok()) result = connection.ReadEeprom(read);
    if (result.ok()) result = connection.DumpSwitchRegisters(registers);
    message = bus::DescribeBusResult(result);
    writes = chip.Counts().writes;
    if (result.ok()) {
      EXPECT_EQ(chip.Board().EepromContents(), image);
      EXPECT_EQ(read, image);
      EXPECT_EQ(registers, power_up);
      EXPECT_EQ(chip.TimingNotes(), "");
    }
  }
  if (*c.message == '\0') {
    EXPECT_EQ(message, "");
  } else {
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
  if (c.writes >= 0) {
    EXPECT_EQ(writes, c.writes) << "a USB failure was retried";
  }
  EXPECT_EQ(chip.Counts().protocol_faults, 0);
  EXPECT_FALSE(chip.IsOpen()) << "the channel was not given back";
}

INSTANTIATE_TEST_SUITE_P(
    Chips, FtdiRoadTest,
    testing::Values(
        Case{"Ft232hStandardMode", "ftdi", Chip(ports::kFt232hProduct, 100), ""},
        Case{"Ft232hFastMode", "ftdi,khz=400", Chip(ports::kFt232hProduct, 400), ""},
        Case{"Ft2232hWithoutDriveOnlyZero", "ftdi", Chip(ports::kFt2232hProduct, 100), ""},
        Case{"Ft4232hChannelBFastMode", "ftdi:1-2,channel=B,khz=400",
             Chip(ports::kFt4232hProduct, 400), ""},
        Case{"BySerialNumber", "ftdi:FT0001", Chip(ports::kFt232hProduct, 0), ""},
        Case{"FastModeOnAStandardModeBoardIsCaught", "ftdi,khz=400",
             Chip(ports::kFt232hProduct, 100), "did not acknowledge"},
        Case{"EepromAbsent", "ftdi", With([](auto& c) { c.board.eeprom_present = false; }),
             "EEPROM did not acknowledge"},
        Case{"SwitchAbsent", "ftdi", With([](auto& c) { c.board.switch_present = false; }),
             "switch"},
        Case{"WriteCycleTooLong", "ftdi",
             With([](auto& c) { c.board.write_cycle_microseconds = 300'000; }),
             "did not acknowledge"},
        Case{"UnpluggedMidway", "ftdi", With([](auto& c) { c.unplugged_after = 5; }),
             "The FTDI chip has gone from the USB: plug it in again"},
        Case{"DeviceAbsent", "ftdi", With([](auto& c) { c.devices.clear(); }),
             "is on the USB: plug it in; check with lsusb"},
        Case{"PermissionDenied", "ftdi", With([](auto& c) { c.permission_denied = true; }),
             "permission denied on the FT232H at USB 1-2 (serial FT0001): install the project's "
             "udev rules (lib/udev/rules.d/70-plover-usb-programmers.rules"},
        Case{"InterfaceBusy", "ftdi", With([](auto& c) { c.interface_busy = true; }),
             "is held by another program or by a kernel driver that could not be detached"},
        Case{"EchoesGarbage", "ftdi", With([](auto& c) { c.echoes_garbage = true; }),
             "answered the MPSSE check with '32 60' where an MPSSE engine answers 'fa aa': not "
             "an MPSSE chip or not answering"},
        Case{"SeveralWithoutWhere", "ftdi",
             With([](auto& c) { c.devices.push_back({"1-3", "", ports::kFt2232hProduct}); }),
             "2 FTDI chips are plugged in (1-2 FT232H serial FT0001, 1-3 FT2232H): name one"},
        Case{"WhereMatchesNone", "ftdi:1-9", Chip(ports::kFt232hProduct, 0),
             "no FTDI chip at USB port 1-9 or with serial number 1-9"},
        Case{"ChannelBOfAnFt232h", "ftdi,channel=B", Chip(ports::kFt232hProduct, 0),
             "has only channel A; leave channel=B out"},
        // The USB's own failures: their own advice, at the first write, never polled again.
        Case{"WriteFails", "ftdi", With([](auto& c) { c.write_fails_after = 0; }),
             "failed while writing address 0: Protocol error. The FTDI chip stopped answering; "
             "unplug it and plug it in again",
             3},
        Case{"ReadFails", "ftdi", With([](auto& c) { c.read_fails_after = 0; }),
             "failed while writing address 0: Protocol error. The FTDI chip stopped answering;",
             3},
        Case{"NoReply", "ftdi", With([](auto& c) { c.silent_after = 0; }),
             "failed while writing address 0: Timer expired. The FTDI chip stopped answering;",
             3},
        Case{"UnpluggedAtOpen", "ftdi", With([](auto& c) { c.unplugged_at_open = true; }),
             "the FT232H at USB 1-2 (serial FT0001) was unplugged while it was being opened: "
             "plug it in again"},
        Case{"SetUpRefused", "ftdi", With([](auto& c) { c.refused_op = 0x8C; }),
             "the FT232H at USB 1-2 (serial FT0001) refused the MPSSE set-up (op-code 8c): not an "
             "FT232H, FT2232H or FT4232H in MPSSE mode?"},
        // Drive-only-zero goes by what the chip says it is (its bcdDevice), not its product id.
        Case{"Ft232hIdOnAnFt2232h", "ftdi",
             With([](auto& c) { c.devices = {{"1-2", "", ports::kFt232hProduct, 0x0700}}; }),
             ""}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(FtdiTimingTest, TheDivisorKeepsEveryPhaseAtTheSpeedsMinimums) {
  // Three-phase: SCL high is one half period, (divisor + 1) / 60 MHz: 4.0 us needs 239.
  EXPECT_EQ(ports::MpsseTimingAt(100).divisor, 239);
  EXPECT_EQ(ports::MpsseTimingAt(100).SclHertz(), 83'333u);
  EXPECT_EQ(ports::MpsseTimingAt(400).divisor, 49);  // its nominal period bounds it, not 0.65 us
  EXPECT_EQ(ports::MpsseTimingAt(400).SclHertz(), 400'000u);
}

TEST(FtdiTraceTest, EachTransferIsFollowedByItsUsbBytes) {
  ports_test::ScratchDirectory scratch;
  FakeFtdi chip(Chip(ports::kFt232hProduct, 100), Pattern(1));
  const ports::FtdiCallsOverride seam(chip);
  const std::string file = scratch.File("bus.log");
  {
    bus::BusConnection connection({*ports::ParsePortSpec("ftdi").spec, file});
    bus::Image read{};
    ASSERT_TRUE(connection.ReadEeprom(read).ok());
  }
  std::stringstream trace;
  trace << std::ifstream(file).rdbuf();
  // The address write as its own round trip: a start held by repeated pin writes, A0 and 00
  // each with its acknowledge read, "send immediate"; then the two acknowledges.
  EXPECT_NE(trace.str().find("W 50: 00 | R 50: 01 1e 3b"), std::string::npos) << trace.str();
  EXPECT_NE(trace.str().find("> 80 03 03 x94 80 01 03 x80 80 00 03 x94 11 00 00 a0 80 02 03 22 "
                             "00 11 00 00 00 80 02 03 22 00 87\n"),
            std::string::npos)
      << trace.str();
  EXPECT_NE(trace.str().find("< 00 00\n"), std::string::npos) << trace.str();
}

// The lifecycle every row gets: an FT232H on the fake and at USB port 1-3.
struct InstalledFtdi {
  FakeFtdi chip{{}, bus::Image{}};
  ports::FtdiCallsOverride seam{chip};
};
const ports_test::RegisterLifecycleSetup kLifecycle({
    [] { return std::shared_ptr<void>(std::make_shared<InstalledFtdi>()); },
    [](const ports::SystemRoots& roots) {
      for (const auto& [file, value] : {std::pair{"idVendor", "0403"}, {"idProduct", "6014"},
                                        {"busnum", "1"}, {"devnum", "6"}, {"serial", "FT0001"}}) {
        ports_test::WriteMachineFile(roots.sys + "/bus/usb/devices/1-3/" + file, value);
      }
    },
});

}  // namespace
