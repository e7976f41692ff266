// Parsing of --port SPEC: every accepted form, the refusals, the default and the canonical text.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

#include "bus/port_backends.h"
#include "bus/port_spec.h"

namespace {

using bus::ParsePortSpec;
using bus::PortKind;
using bus::PortSpec;

PortSpec Parsed(const std::string& text) {
  bus::PortSpecResult result = ParsePortSpec(text);
  EXPECT_TRUE(result.spec.has_value()) << text << ": " << result.error;
  EXPECT_EQ(result.error, "") << text;
  return result.spec.value_or(PortSpec{});
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

TEST(PortSpecTest, PpdevAloneNamesTheFirstPort) {
  const PortSpec spec = Parsed("ppdev");
  EXPECT_EQ(spec.kind, PortKind::Ppdev);
  EXPECT_EQ(spec.device, "/dev/parport0");
}

TEST(PortSpecTest, PpdevTakesADevice) {
  const PortSpec spec = Parsed("ppdev:/dev/parport1");
  EXPECT_EQ(spec.kind, PortKind::Ppdev);
  EXPECT_EQ(spec.device, "/dev/parport1");
}

TEST(PortSpecTest, DirectAloneIsTheFirstPortAddress) {
  const PortSpec spec = Parsed("direct");
  EXPECT_EQ(spec.kind, PortKind::Direct);
  EXPECT_EQ(spec.address, 0x378);
}

TEST(PortSpecTest, DirectTakesHexadecimalAndDecimalAddresses) {
  EXPECT_EQ(Parsed("direct:0x278").address, 0x278);
  EXPECT_EQ(Parsed("direct:0X3BC").address, 0x3BC);
  EXPECT_EQ(Parsed("direct:0x3bc").address, 0x3BC);
  EXPECT_EQ(Parsed("direct:888").address, 0x378);
  EXPECT_EQ(Parsed("direct:0").address, 0);
  EXPECT_EQ(Parsed("direct:0xFFFD").address, 0xFFFD);
  EXPECT_EQ(Parsed("direct:65533").address, 0xFFFD);
}

TEST(PortSpecTest, SimAloneIsAnInMemoryBoardWithoutFaults) {
  const PortSpec spec = Parsed("sim");
  EXPECT_EQ(spec.kind, PortKind::Sim);
  EXPECT_EQ(spec.board.file, "");
  EXPECT_TRUE(spec.board.eeprom_present);
  EXPECT_TRUE(spec.board.switch_present);
  EXPECT_EQ(spec.board.write_cycle_microseconds, 5000u);
  EXPECT_FALSE(spec.board.sda_stuck_low);
}

TEST(PortSpecTest, SimTakesAFile) {
  const PortSpec spec = Parsed("sim:boards/board.bin");
  EXPECT_EQ(spec.kind, PortKind::Sim);
  EXPECT_EQ(spec.board.file, "boards/board.bin");
  EXPECT_TRUE(spec.board.eeprom_present);
}

TEST(PortSpecTest, SimTakesEachOption) {
  EXPECT_FALSE(Parsed("sim,eeprom=absent").board.eeprom_present);
  EXPECT_FALSE(Parsed("sim,switch=absent").board.switch_present);
  EXPECT_TRUE(Parsed("sim,sda=stuck-low").board.sda_stuck_low);
  EXPECT_EQ(Parsed("sim,twr=100").board.write_cycle_microseconds, 100u);
  EXPECT_EQ(Parsed("sim,twr=0").board.write_cycle_microseconds, 0u);
  EXPECT_EQ(Parsed("sim,twr=4294967295").board.write_cycle_microseconds, 4294967295u);
}

TEST(PortSpecTest, SimTakesAFileAndSeveralOptions) {
  const PortSpec spec = Parsed("sim:b.bin,twr=50,switch=absent,sda=stuck-low,eeprom=absent");
  EXPECT_EQ(spec.board.file, "b.bin");
  EXPECT_EQ(spec.board.write_cycle_microseconds, 50u);
  EXPECT_FALSE(spec.board.switch_present);
  EXPECT_FALSE(spec.board.eeprom_present);
  EXPECT_TRUE(spec.board.sda_stuck_low);
}

struct Refusal {
  const char* text;
  const char* what;  // the part of the message that says what is wrong
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << '"' << refusal.text << '"'; }

class PortSpecRefusalTest : public testing::TestWithParam<Refusal> {};

TEST_P(PortSpecRefusalTest, SaysWhatIsWrongAndShowsTheAcceptedForms) {
  const Refusal& refusal = GetParam();
  const bus::PortSpecResult result = ParsePortSpec(refusal.text);
  EXPECT_FALSE(result.spec.has_value());
  const std::string first_line = result.error.substr(0, result.error.find('\n'));
  EXPECT_EQ(first_line,
            std::string("invalid port specification '") + refusal.text + "': " + refusal.what);
  EXPECT_NE(result.error.find("\naccepted forms of --port SPEC:\n" + bus::PortSpecUsage()),
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
        Refusal{"ppdev,twr=5", "ppdev takes no options, only a device: ppdev:DEVICE"},
        Refusal{"ppdev:/dev/parport0,twr=5", "ppdev takes no options, only a device: ppdev:DEVICE"},
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
        Refusal{"direct,fast", "direct takes no options, only an address: direct:ADDRESS"},
        Refusal{"direct:0x378,fast", "direct takes no options, only an address: direct:ADDRESS"},
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
  const std::vector<std::string> lines = Lines(bus::PortSpecUsage());
  std::size_t expected_lines = 1;  // the line for no --port
  for (const bus::PortBackend& backend : bus::PortBackends()) {
    expected_lines += 1 + backend.parameters.size();
  }
  ASSERT_EQ(lines.size(), expected_lines) << bus::PortSpecUsage();

  std::size_t line = 0;
  for (const bus::PortBackend& backend : bus::PortBackends()) {
    EXPECT_EQ(lines[line].rfind("  " + std::string(backend.form) + " ", 0), 0u) << lines[line];
    EXPECT_TRUE(lines[line].ends_with(backend.description)) << lines[line];
    ++line;
    for (const bus::PortParameter& parameter : backend.parameters) {
      EXPECT_EQ(lines[line].rfind("      " + std::string(parameter.text) + " ", 0), 0u)
          << lines[line];
      EXPECT_TRUE(lines[line].ends_with(parameter.description)) << lines[line];
      ++line;
    }
  }
  EXPECT_EQ(lines[line].rfind("  (no --port) ", 0), 0u) << lines[line];
  // The descriptions start in one column.
  const std::size_t column = lines[0].find(bus::PortBackends()[0].description);
  for (const std::string& text : lines) {
    EXPECT_EQ(text[column - 1], ' ') << text;
    EXPECT_NE(text[column], ' ') << text;
  }
}

TEST(PortSpecTest, UsageNamesTheThreeBackendsAndTheSimOptions) {
  const std::string usage = bus::PortSpecUsage();
  for (const char* form : {"ppdev[:DEVICE]", "direct[:ADDRESS]", "sim[:FILE][,OPTION...]",
                           "eeprom=absent", "switch=absent", "twr=MICROSECONDS", "sda=stuck-low"}) {
    EXPECT_NE(usage.find(form), std::string::npos) << form;
  }
  EXPECT_FALSE(usage.ends_with("\n"));
}

TEST(PortSpecTest, DefaultIsThePpdevDeviceWhereItExistsOtherwiseDirect) {
  struct stat status {};
  const bool device_exists = ::stat("/dev/parport0", &status) == 0;
  const PortSpec spec = bus::DefaultPortSpec();
  if (device_exists) {
    EXPECT_EQ(spec.Text(), "ppdev:/dev/parport0");
  } else {
    EXPECT_EQ(spec.Text(), "direct:0x378");
  }
  EXPECT_EQ(Parsed("").Text(), spec.Text());
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
  EXPECT_EQ(again.kind, spec.kind);
  EXPECT_EQ(again.device, spec.device);
  EXPECT_EQ(again.address, spec.address);
  EXPECT_EQ(again.board.file, spec.board.file);
  EXPECT_EQ(again.board.eeprom_present, spec.board.eeprom_present);
  EXPECT_EQ(again.board.switch_present, spec.board.switch_present);
  EXPECT_EQ(again.board.write_cycle_microseconds, spec.board.write_cycle_microseconds);
  EXPECT_EQ(again.board.sda_stuck_low, spec.board.sda_stuck_low);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PortSpecTextTest,
    testing::Values(Canonical{"ppdev", "ppdev:/dev/parport0"},
                    Canonical{"ppdev:/dev/parport2", "ppdev:/dev/parport2"},
                    Canonical{"direct", "direct:0x378"},
                    Canonical{"direct:888", "direct:0x378"},
                    Canonical{"direct:0X3BC", "direct:0x3bc"},
                    Canonical{"sim", "sim"},
                    Canonical{"sim,twr=5000", "sim"},
                    Canonical{"sim:board.bin", "sim:board.bin"},
                    Canonical{"sim:b.bin,sda=stuck-low,twr=100,switch=absent,eeprom=absent",
                              "sim:b.bin,eeprom=absent,switch=absent,twr=100,sda=stuck-low"},
                    Canonical{"sim,twr=0", "sim,twr=0"}));

}  // namespace
