// SPDX-License-Identifier: GPL-3.0-or-later
// 30p through a CH341A programmer: the fake CH341A under the real ch341a row, whose bus is the
// virtual board's. The dialogue's entries 1, 5, 6 and 8, and a batch --write with its read-back
// and a trace that shows the USB bytes under each transfer.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <fstream>
#include <sstream>
#include <string>

#include "console/batch_run.h"
#include "console/options.h"
#include "console/run_console.h"
#include "dialogue_runner.h"
#include "ports/libusb_calls.h"
#include "tests/support/fake_ch341a.h"

namespace {

bus::Image PowerUp() {
  bus::Image image;
  image.fill(0xEE);
  return image;
}

// 30p.dat, the image both runs write: byte i is i * 3.
std::string Data() {
  std::string data;
  for (int i = 0; i < 128; ++i) data.push_back(static_cast<char>(i * 3));
  return data;
}

class DataFileOnly final : public console::FileOpener {
 public:
  explicit DataFileOnly(std::string path) : path_(std::move(path)) {}
  int Open(const std::string&, int flags, mode_t mode) override {
    return ::open(path_.c_str(), flags, mode);
  }

 private:
  std::string path_;
};

struct Run {
  const char* name;
  bool batch;
};

void PrintTo(const Run& run, std::ostream* out) { *out << run.name; }

class Ch341aConsoleTest : public testing::TestWithParam<Run> {};

TEST_P(Ch341aConsoleTest, WritesReadsVerifiesAndDumpsThroughTheProgrammer) {
  console_test::ScratchFolder scratch;
  const std::string image = (scratch.Path() / "30p.dat").string();
  const std::string trace = (scratch.Path() / "usb.log").string();
  console_test::WriteFileBytes(image, Data());
  test_support::FakeCh341a chip({}, PowerUp());
  const bus::LibusbCallsOverride seam(chip);
  const char* const argv[] = {"30p", "--port", "ch341a", "--trace", trace.c_str(),
                              "--write", image.c_str()};
  const console::OptionsResult parsed = console::ParseOptions(GetParam().batch ? 7 : 5, argv);
  ASSERT_EQ(parsed.error, "");
  bus::BusConnection bus(
      bus::BusOptions{parsed.options.port, parsed.options.trace_file, bus::TimingPolicy::Console});
  console::StringOutput out;
  console::StringOutput err;
  if (GetParam().batch) {
    EXPECT_EQ(console::RunBatch(parsed.options.batch, bus, {out, err, false}), 0) << err.Text();
  } else {
    DataFileOnly files(image);
    console::MemorySource source("\n1\n5\n6\n8\n9\n");
    console::InputReader in(source, &out);
    EXPECT_EQ(console::RunConsole(in, out, bus, {false, &files}), 0);
    EXPECT_NE(out.Text().find("127  7d "), std::string::npos);      // entry 5
    EXPECT_NE(out.Text().find("Verify O.K.\n"), std::string::npos);  // entry 6
    EXPECT_NE(out.Text().rfind("127  ee "), std::string::npos);      // entry 8: the power-up image
  }
  bus.Close();
  const std::string data = Data();
  EXPECT_EQ(chip.Board().EepromContents(),
            bus::Image(*reinterpret_cast<const bus::Image*>(data.data())));
  EXPECT_EQ(out.Text().find("ERROR"), std::string::npos) << out.Text();
  std::ifstream log(trace);
  std::stringstream text;
  text << log.rdbuf();
  // The last byte written with its USB bytes under it, then the read-back of the image.
  const std::size_t last_write =
      text.str().find("\n    > aa 74 80 a0 80 7f 80 7d 75 00\n    < 00 00 00\n");
  EXPECT_NE(last_write, std::string::npos) << text.str();
  EXPECT_NE(text.str().find("    > aa 74 80 a1 de c0 75 00\n", last_write), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Runs, Ch341aConsoleTest,
                         testing::Values(Run{"Dialogue", false}, Run{"BatchWriteAndVerify", true}),
                         [](const testing::TestParamInfo<Run>& info) { return info.param.name; });

}  // namespace
