// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing of --port SPEC: every accepted form, the refusals, the default and the canonical text.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "ports/port_spec.h"
#include "ports/direct/direct_port.h"
#include "ports/port_table.h"
#include "ports/ppdev/ppdev_port.h"
#include "sim/board_options.h"
#include "tests/support/test_files.h"

namespace {

using bus::PortSpec;
using ports::ParsePortSpec;
using ports_test::Lines;

std::string Kind(const PortSpec& spec) {
  return spec.open != nullptr ? std::string(spec.kind) : "(none)";
}
std::string Device(const PortSpec& spec) { return spec.SettingsAs<ports::PpdevSettings>().device; }
unsigned Address(const PortSpec& spec) { return spec.SettingsAs<ports::DirectSettings>().address; }
const sim::BoardOptions& Board(const PortSpec& spec) {
  return spec.SettingsAs<sim::BoardOptions>();
}

PortSpec Parsed(const std::string& text) {
  ports::PortSpecResult result = ParsePortSpec(text);
  EXPECT_TRUE(result.spec.has_value()) << text << ": " << result.error;
  EXPECT_EQ(result.error, "") << text;
  return result.spec.value_or(PortSpec{});
}

TEST(PortSpecTest, PpdevAloneNamesTheFirstPort) {
  const PortSpec spec = Parsed("ppdev");
  EXPECT_EQ(Kind(spec), "ppdev");
  EXPECT_EQ(Device(spec), "/dev/parport0");
}

TEST(PortSpecTest, PpdevTakesADevice) {
  const PortSpec spec = Parsed("ppdev:/dev/parport1");
  EXPECT_EQ(Kind(spec), "ppdev");
  EXPECT_EQ(Device(spec), "/dev/parport1");
}

TEST(PortSpecTest, DirectAloneIsTheFirstPortAddress) {
  const PortSpec spec = Parsed("direct");
  EXPECT_EQ(Kind(spec), "direct");
  EXPECT_EQ(Address(spec), 0x378);
}

TEST(PortSpecTest, DirectTakesHexadecimalAndDecimalAddresses) {
  EXPECT_EQ(Address(Parsed("direct:0x278")), 0x278);
  EXPECT_EQ(Address(Parsed("direct:0X3BC")), 0x3BC);
  EXPECT_EQ(Address(Parsed("direct:0x3bc")), 0x3BC);
  EXPECT_EQ(Address(Parsed("direct:888")), 0x378);
  EXPECT_EQ(Address(Parsed("direct:0")), 0);
  EXPECT_EQ(Address(Parsed("direct:0xFFFD")), 0xFFFD);
  EXPECT_EQ(Address(Parsed("direct:65533")), 0xFFFD);
}

TEST(PortSpecTest, SimAloneIsAnInMemoryBoardWithoutFaults) {
  const PortSpec spec = Parsed("sim");
  EXPECT_EQ(Kind(spec), "sim");
  EXPECT_EQ(Board(spec).file, "");
  EXPECT_TRUE(Board(spec).eeprom_present);
  EXPECT_TRUE(Board(spec).switch_present);
  EXPECT_EQ(Board(spec).write_cycle_microseconds, 5000u);
  EXPECT_FALSE(Board(spec).sda_stuck_low);
}

TEST(PortSpecTest, SimTakesAFile) {
  const PortSpec spec = Parsed("sim:boards/board.bin");
  EXPECT_EQ(Kind(spec), "sim");
  EXPECT_EQ(Board(spec).file, "boards/board.bin");
  EXPECT_TRUE(Board(spec).eeprom_present);
}

TEST(PortSpecTest, SimTakesEachOption) {
  EXPECT_FALSE(Board(Parsed("sim,eeprom=absent")).eeprom_present);
  EXPECT_FALSE(Board(Parsed("sim,switch=absent")).switch_present);
  EXPECT_TRUE(Board(Parsed("sim,sda=stuck-low")).sda_stuck_low);
  EXPECT_EQ(Board(Parsed("sim,twr=100")).write_cycle_microseconds, 100u);
  EXPECT_EQ(Board(Parsed("sim,twr=0")).write_cycle_microseconds, 0u);
  EXPECT_EQ(Board(Parsed("sim,twr=4294967295")).write_cycle_microseconds, 4294967295u);
  EXPECT_EQ(Board(Parsed("sim,page=16")).page_size, 16);
}

TEST(PortSpecTest, SimTakesAFileAndSeveralOptions) {
  const PortSpec spec = Parsed("sim:b.bin,twr=50,switch=absent,sda=stuck-low,eeprom=absent");
  EXPECT_EQ(Board(spec).file, "b.bin");
  EXPECT_EQ(Board(spec).write_cycle_microseconds, 50u);
  EXPECT_FALSE(Board(spec).switch_present);
  EXPECT_FALSE(Board(spec).eeprom_present);
  EXPECT_TRUE(Board(spec).sda_stuck_low);
}

struct Refusal {
  const char* text;
  const char* what;  // the part of the message that says what is wrong
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << '"' << refusal.text << '"'; }

class PortSpecRefusalTest : public testing::TestWithParam<Refusal> {};

TEST_P(PortSpecRefusalTest, SaysWhatIsWrongAndShowsTheAcceptedForms) {
  const Refusal& refusal = GetParam();
  const ports::PortSpecResult result = ParsePortSpec(refusal.text);
  EXPECT_FALSE(result.spec.has_value());
  const std::string first_line = result.error.substr(0, result.error.find('\n'));
  EXPECT_EQ(first_line,
            std::string("invalid port specification '") + refusal.text + "': " + refusal.what);
  EXPECT_NE(result.error.find("\naccepted forms of --port SPEC:\n" + ports::PortSpecUsage()),
            std::string::npos)
      << result.error;
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, PortSpecRefusalTest,
    testing::Values(
        Refusal{"foo", "there is no port kind 'foo'"},
        Refusal{"PPDEV", "there is no port kind 'PPDEV'"},
        Refusal{"foo:bar", "there is no port kind 'foo'"},
        Refusal{":/dev/parport0", "the port's kind is missing before ':'"},
        Refusal{"ppdev:", "the device is missing after 'ppdev:'"},
        Refusal{"ppdev,twr=5", "ppdev takes one option, khz=N: ppdev[:DEVICE][,khz=N]"},
        Refusal{"ppdev:/dev/parport0,twr=5",
                "ppdev takes one option, khz=N: ppdev[:DEVICE][,khz=N]"},
        Refusal{"ppdev,khz=401", "khz=401 is not a bus speed from 0 to 400 kHz"},
        Refusal{"ppdev,khz=", "khz= is not a bus speed from 0 to 400 kHz"},
        Refusal{"sim,khz=fast", "khz=fast is not a bus speed from 0 to 400 kHz"},
        Refusal{"sim,page=32", "page=32: the EEPROM's page holds 4, 8 or 16 bytes (page=4|8|16)"},
        Refusal{"sim,timing=200",
                "timing=200: the chips check standard mode (timing=100) or fast mode (timing=400)"},
        Refusal{"sim,khz=99999999999", "khz=99999999999 is not a bus speed from 0 to 400 kHz"},
        Refusal{"sim,khz=0000000401", "khz=0000000401 is not a bus speed from 0 to 400 kHz"},
        Refusal{"sim,khz=18446744073709551716",
                "khz=18446744073709551716 is not a bus speed from 0 to 400 kHz"},
        Refusal{"sim,timing=0200",
                "timing=0200: the chips check standard mode (timing=100) or fast mode "
                "(timing=400)"},
        Refusal{"direct:", "the address is missing after 'direct:'"},
        Refusal{"direct:0xZZ",
                "the address '0xZZ' is not a number (hexadecimal 0x378 or decimal 888)"},
        Refusal{"direct:0x", "the address '0x' is not a number (hexadecimal 0x378 or decimal 888)"},
        Refusal{"direct:37a", "the address '37a' is not a number (hexadecimal 0x378 or decimal 888)"},
        Refusal{"direct:-1", "the address '-1' is not a number (hexadecimal 0x378 or decimal 888)"},
        Refusal{"direct: 888",
                "the address ' 888' is not a number (hexadecimal 0x378 or decimal 888)"},
        Refusal{"direct:0xFFFE", "the address '0xFFFE' is above 0xFFFD"},
        Refusal{"direct:65534", "the address '65534' is above 0xFFFD"},
        Refusal{"direct:0x1000000000000000378", "the address '0x1000000000000000378' is above 0xFFFD"},
        Refusal{"direct,fast", "direct takes one option, khz=N: direct[:ADDRESS][,khz=N]"},
        Refusal{"direct:0x378,fast", "direct takes one option, khz=N: direct[:ADDRESS][,khz=N]"},
        Refusal{"i2c", "the adapter is missing: i2c:DEVICE, a device node such as /dev/i2c-1 or "
                       "its bus number 1"},
        Refusal{"i2c:", "the adapter is missing: i2c:DEVICE, a device node such as /dev/i2c-1 or "
                        "its bus number 1"},
        Refusal{"i2c:1,khz=100", "i2c takes no options, only a device: i2c:DEVICE"},
        Refusal{"sim:", "the board file is missing after 'sim:'"},
        Refusal{"sim:,twr=5", "the board file is missing after 'sim:'"},
        Refusal{"sim,twr=abc", "twr=abc is not a number of microseconds"},
        Refusal{"sim,twr=", "twr= is not a number of microseconds"},
        Refusal{"sim,twr=-5", "twr=-5 is not a number of microseconds"},
        Refusal{"sim,twr=5ms", "twr=5ms is not a number of microseconds"},
        Refusal{"sim,twr=4294967296", "twr=4294967296 is too large (at most 4294967295 microseconds)"},
        Refusal{"sim,twr=99999999999999999999999",
                "twr=99999999999999999999999 is too large (at most 4294967295 microseconds)"},
        Refusal{"sim,colour=red", "sim has no option 'colour=red'"},
        Refusal{"sim,eeprom=gone", "sim has no option 'eeprom=gone'"},
        Refusal{"sim:b.bin,SDA=stuck-low", "sim has no option 'SDA=stuck-low'"},
        Refusal{"sim,", "an option of sim is empty (two commas, or a comma at the end)"},
        Refusal{"sim,,twr=5", "an option of sim is empty (two commas, or a comma at the end)"}));

TEST(PortSpecTest, UsageListsEveryBackendWithItsParametersOnePerLine) {
  const std::vector<std::string> lines = Lines(ports::PortSpecUsage());
  std::size_t expected_lines = 1;  // the line for no --port
  for (const ports::PortBackend* backend : ports::PortBackends()) {
    expected_lines += 1 + backend->parameters.size();
  }
  ASSERT_EQ(lines.size(), expected_lines) << ports::PortSpecUsage();

  std::size_t line = 0;
  for (const ports::PortBackend* backend : ports::PortBackends()) {
    EXPECT_EQ(lines[line].rfind("  " + std::string(backend->form) + " ", 0), 0u) << lines[line];
    EXPECT_TRUE(lines[line].ends_with(backend->description)) << lines[line];
    ++line;
    for (const ports::PortParameter& parameter : backend->parameters) {
      EXPECT_EQ(lines[line].rfind("      " + std::string(parameter.text) + " ", 0), 0u)
          << lines[line];
      EXPECT_TRUE(lines[line].ends_with(parameter.description)) << lines[line];
      ++line;
    }
  }
  EXPECT_EQ(lines[line].rfind("  (no --port) ", 0), 0u) << lines[line];
  // The descriptions start in one column.
  const std::size_t column = lines[0].find(ports::PortBackends()[0]->description);
  for (const std::string& text : lines) {
    EXPECT_EQ(text[column - 1], ' ') << text;
    EXPECT_NE(text[column], ' ') << text;
  }
}

TEST(PortSpecTest, UsageNamesTheThreeBackendsAndTheSimOptions) {
  const std::string usage = ports::PortSpecUsage();
  for (const char* form : {"ppdev[:DEVICE]", "direct[:ADDRESS]", "sim[:FILE][,OPTION...]",
                           "eeprom=absent", "switch=absent", "twr=MICROSECONDS", "sda=stuck-low"}) {
    EXPECT_NE(usage.find(form), std::string::npos) << form;
  }
  EXPECT_FALSE(usage.ends_with("\n"));
}

TEST(PortSpecTest, DefaultIsThePpdevDeviceWhereItExistsOtherwiseDirect) {
  struct stat status {};
  const bool device_exists = ::stat("/dev/parport0", &status) == 0;
  const PortSpec spec = ports::DefaultPortSpec();
  if (device_exists) {
    EXPECT_EQ(spec.Text(), "ppdev:/dev/parport0");
  } else {
    EXPECT_EQ(spec.Text(), "direct:0x378");
  }
}

TEST(PortSpecTest, AnEmptySpecificationIsRefused) {
  const ports::PortSpecResult result = ParsePortSpec("");
  EXPECT_FALSE(result.spec.has_value());
  EXPECT_EQ(result.error.rfind("invalid port specification '': it is empty\n", 0), 0u)
      << result.error;
}

TEST(PortSpecTest, OnlyAVirtualBoardWithAFileKeepsAFile) {
  EXPECT_EQ(Parsed("sim:b.bin,twr=5").kept_files, std::vector<std::string>{"b.bin"});
  EXPECT_TRUE(Parsed("sim").kept_files.empty());
  EXPECT_TRUE(Parsed("ppdev:/dev/parport1").kept_files.empty());
}

struct Canonical {
  const char* text;
  const char* canonical;
};

void PrintTo(const Canonical& canonical, std::ostream* out) {
  *out << '"' << canonical.text << '"';
}

class PortSpecTextTest : public testing::TestWithParam<Canonical> {};

TEST_P(PortSpecTextTest, TextIsCanonicalAndParsesBackToTheSameSpec) {
  const PortSpec spec = Parsed(GetParam().text);
  EXPECT_EQ(spec.Text(), GetParam().canonical);
  const PortSpec again = Parsed(spec.Text());
  EXPECT_EQ(again.Text(), spec.Text());
  EXPECT_EQ(Kind(again), Kind(spec));
  if (Kind(spec) == "ppdev") {
    EXPECT_EQ(Device(again), Device(spec));
  }
  if (Kind(spec) == "direct") {
    EXPECT_EQ(Address(again), Address(spec));
  }
  EXPECT_EQ(again.DrivesLines(), Kind(spec) != "i2c");
  EXPECT_EQ(again.bus_khz, spec.bus_khz);
  if (Kind(spec) == "sim") {
    EXPECT_EQ(Board(again).file, Board(spec).file);
    EXPECT_EQ(Board(again).eeprom_present, Board(spec).eeprom_present);
    EXPECT_EQ(Board(again).switch_present, Board(spec).switch_present);
    EXPECT_EQ(Board(again).write_cycle_microseconds, Board(spec).write_cycle_microseconds);
    EXPECT_EQ(Board(again).sda_stuck_low, Board(spec).sda_stuck_low);
    EXPECT_EQ(Board(again).timing_khz, Board(spec).timing_khz);
    EXPECT_EQ(Board(again).page_size, Board(spec).page_size);
    EXPECT_EQ(again.kept_files, spec.kept_files);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PortSpecTextTest,
    testing::Values(Canonical{"ppdev", "ppdev:/dev/parport0"},
                    Canonical{"ppdev:/dev/parport2", "ppdev:/dev/parport2"},
                    Canonical{"direct", "direct:0x378"},
                    Canonical{"direct:888", "direct:0x378"},
                    Canonical{"direct:0X3BC", "direct:0x3bc"},
                    Canonical{"i2c:1", "i2c:/dev/i2c-1"},
                    Canonical{"ppdev,khz=100", "ppdev:/dev/parport0"},
                    Canonical{"ppdev:/dev/parport1,khz=400", "ppdev:/dev/parport1,khz=400"},
                    Canonical{"direct:888,khz=0", "direct:0x378,khz=0"},
                    Canonical{"sim:b.bin,khz=50,twr=7", "sim:b.bin,twr=7,khz=50"},
                    Canonical{"sim,timing=400,khz=400", "sim,timing=400,khz=400"},
                    Canonical{"i2c:/dev/i2c-12", "i2c:/dev/i2c-12"},
                    Canonical{"sim", "sim"},
                    Canonical{"sim,twr=5000", "sim"},
                    Canonical{"sim:board.bin", "sim:board.bin"},
                    Canonical{"sim:b.bin,sda=stuck-low,twr=100,switch=absent,eeprom=absent",
                              "sim:b.bin,eeprom=absent,switch=absent,twr=100,sda=stuck-low"},
                    Canonical{"sim,twr=0", "sim,twr=0"},
                    Canonical{"sim,page=16,twr=9,page=4", "sim,twr=9,page=4"},
                    Canonical{"sim,page=8", "sim"},
                    // Leading zeros: every number is its digits' value.
                    Canonical{"ppdev,khz=000000100", "ppdev:/dev/parport0"},
                    Canonical{"direct,khz=0400", "direct:0x378,khz=400"},
                    Canonical{"sim,khz=0000000000000000000000000000", "sim,khz=0"},
                    Canonical{"sim,twr=00000000000000000000000000007", "sim,twr=7"},
                    Canonical{"sim,timing=0400,khz=00400", "sim,timing=400,khz=400"},
                    Canonical{"i2c:007", "i2c:/dev/i2c-7"}));


}  // namespace
