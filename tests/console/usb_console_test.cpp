// SPDX-License-Identifier: GPL-3.0-or-later
// 30p through each USB programmer built, on its fake under the real backend, whose bus is the
// virtual board's: the dialogue's entries 1, 5, 6 and 8, and a batch --write with its read-back,
// each with a trace whose USB bytes stand under the transfers; and an absent EEPROM and an absent
// switch chip reported as on every other road.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "console/batch_run.h"
#include "console/options.h"
#include "console/run_console.h"
#include "dialogue_runner.h"
#include "platform/files.h"
#include "ports/port_table.h"
#include "tests/support/test_files.h"
#include "tests/support/usb_programmers.h"

namespace {

using test_support::UsbProgrammer;

// Every name, 30p.dat included, opens the one image file.
struct OneFile final : console::FileOpener {
  explicit OneFile(std::string file) : path(std::move(file)) {}
  int Open(const std::string&, int flags, mode_t mode) override {
    return platform::OpenFile(path, flags, mode);
  }
  std::string path;
};

std::string Name(const UsbProgrammer& programmer) { return programmer.name; }

class UsbConsoleTest : public testing::TestWithParam<std::tuple<UsbProgrammer, bool>> {};

TEST_P(UsbConsoleTest, WritesReadsVerifiesAndDumpsThroughTheProgrammer) {
  const auto& [programmer, batch] = GetParam();
  console_test::ScratchFolder scratch;
  const std::string image = (scratch.Path() / "30p.dat").string();
  const std::string trace = (scratch.Path() / "usb.log").string();
  bus::Image data{};
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 3);
  console_test::WriteFileBytes(image, std::string(data.begin(), data.end()));
  bus::Image power_up{};
  power_up.fill(0xEE);
  const auto chip = programmer.install({}, power_up, -1);
  const char* const argv[] = {"30p", "--port", programmer.port.c_str(), "--trace", trace.c_str(),
                              "--write", image.c_str()};
  const console::OptionsResult parsed = console::ParseOptions(batch ? 7 : 5, argv);
  ASSERT_EQ(parsed.error, "");
  bus::BusConnection bus({parsed.options.port, parsed.options.trace_file});
  console::StringOutput out;
  if (batch) {
    EXPECT_EQ(console::RunBatch(parsed.options.batch, bus, {out, out, false}), 0) << out.Text();
  } else {
    OneFile files(image);
    console::MemorySource source("\n1\n5\n6\n8\n9\n");
    console::InputReader in(source, &out);
    console::RunConsole(in, out, bus, {false, &files});
    EXPECT_NE(out.Text().find("127  7d "), std::string::npos);      // entry 5
    EXPECT_NE(out.Text().find("Verify O.K.\n"), std::string::npos);  // entry 6
    EXPECT_NE(out.Text().rfind("127  ee "), std::string::npos);      // entry 8: the power-up image
    EXPECT_EQ(out.Text().find("ERROR"), std::string::npos) << out.Text();
  }
  bus.Close();
  EXPECT_EQ(chip->Board().EepromContents(), data);
  EXPECT_EQ(chip->TimingNotes(), "");
  const std::string text = ports_test::ReadFile(trace);
  std::size_t at = 0;
  for (const std::string& line : programmer.trace) {
    at = at == std::string::npos ? at : text.find("\n" + line + "\n", at);
    EXPECT_NE(at, std::string::npos) << line << " in\n" << text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Programmers, UsbConsoleTest,
    testing::Combine(testing::ValuesIn(test_support::UsbProgrammers()), testing::Bool()),
    [](const auto& info) {
      return Name(std::get<0>(info.param)) + (std::get<1>(info.param) ? "_Batch" : "_Dialogue");
    });

// An absent EEPROM (--write) and an absent switch chip (--read-switch) end the operation with the
// message every road gives, nothing read as 0xFF.
class UsbAbsentChipTest : public testing::TestWithParam<std::tuple<UsbProgrammer, bool>> {};

TEST_P(UsbAbsentChipTest, IsReportedAsOnEveryRoad) {
  const auto& [programmer, eeprom_absent] = GetParam();
  console_test::ScratchFolder scratch;
  sim::BoardOptions board;
  (eeprom_absent ? board.eeprom_present : board.switch_present) = false;
  const auto chip = programmer.install(board, bus::Image{}, -1);
  bus::BusConnection bus({*ports::ParsePortSpec(programmer.port).spec, {}});
  const std::string file = (scratch.Path() / "image.bin").string();
  console::BatchPlan plan;
  if (eeprom_absent) {
    console_test::WriteFileBytes(file, std::string(128, '\x5a'));
    plan.operations = {{console::BatchOperationKind::Write, file}};
  } else {
    plan.operations = {{console::BatchOperationKind::ReadSwitch, file}};
  }
  console::StringOutput out, err;
  EXPECT_NE(console::RunBatch(plan, bus, {out, err}), console::kBatchSucceeded);
  EXPECT_NE(err.Text().find(eeprom_absent ? "The EEPROM did not acknowledge"
                                          : "The switch chip did not acknowledge"),
            std::string::npos)
      << err.Text();
  if (!eeprom_absent) {
    EXPECT_FALSE(std::filesystem::exists(file)) << "registers read as 0xFF";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Programmers, UsbAbsentChipTest,
    testing::Combine(testing::ValuesIn(test_support::UsbProgrammers()), testing::Bool()),
    [](const auto& info) {
      return Name(std::get<0>(info.param)) + (std::get<1>(info.param) ? "_Eeprom" : "_Switch");
    });

}  // namespace
