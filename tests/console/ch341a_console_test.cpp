// SPDX-License-Identifier: GPL-3.0-or-later
// 30p through the ch341a row on the fake CH341A, whose bus is the virtual board's: the
// dialogue's entries 1, 5, 6 and 8, and a batch --write with its read-back, each with a trace
// whose USB bytes stand under the transfers.
#include <gtest/gtest.h>

#include <fcntl.h>

#include "console/batch_run.h"
#include "console/options.h"
#include "console/run_console.h"
#include "dialogue_runner.h"
#include "ports/usb/libusb_calls.h"
#include "tests/ports/ch341a/fake_ch341a.h"
#include "tests/support/test_files.h"

namespace {

// Every name, 30p.dat included, opens the one image file.
struct OneFile final : console::FileOpener {
  explicit OneFile(std::string file) : path(std::move(file)) {}
  int Open(const std::string&, int flags, mode_t mode) override {
    return ::open(path.c_str(), flags, mode);
  }
  std::string path;
};

class Ch341aConsoleTest : public testing::TestWithParam<bool> {};

TEST_P(Ch341aConsoleTest, WritesReadsVerifiesAndDumpsThroughTheProgrammer) {
  const bool batch = GetParam();
  console_test::ScratchFolder scratch;
  const std::string image = (scratch.Path() / "30p.dat").string();
  const std::string trace = (scratch.Path() / "usb.log").string();
  bus::Image data{};
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 3);
  console_test::WriteFileBytes(image, std::string(data.begin(), data.end()));
  bus::Image power_up{};
  power_up.fill(0xEE);
  test_support::FakeCh341a chip({}, power_up);
  const ports::LibusbCallsOverride seam(chip);
  const char* const argv[] = {"30p", "--port", "ch341a", "--trace", trace.c_str(), "--write",
                              image.c_str()};
  const console::OptionsResult parsed = console::ParseOptions(batch ? 7 : 5, argv);
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
  EXPECT_EQ(chip.Board().EepromContents(), data);
  // The last byte written, its select checked, then the read-back: the word address, four
  // chunks of 31 bytes and the last 4, each a packet of its own with one status byte.
  const std::string text = ports_test::ReadFile(trace);
  std::size_t at = text.find("\n    > aa 74 80 a0 82 7f 7d 75 00\n    < 00\n");
  for (const char* packet : {"> aa 74 80 a0 81 00 75 00\n    < 00\n",
                             "> aa 74 80 a1 de c0 75 00\n    < 00 ",
                             "> aa 74 80 a1 de c0 75 00\n    < 00 ",
                             "> aa 74 80 a1 de c0 75 00\n    < 00 ",
                             "> aa 74 80 a1 de c0 75 00\n    < 00 ",
                             "> aa 74 80 a1 c3 c0 75 00\n    < 00 "}) {
    at = at == std::string::npos ? at : text.find(packet, at);
    EXPECT_NE(at, std::string::npos) << packet << " in\n" << text;
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, Ch341aConsoleTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "Batch" : "Dialogue"; });

}  // namespace
