// SPDX-License-Identifier: GPL-3.0-or-later
// The console's dialogue and a batch write through the ftdi port: the fake chip under the real
// ftdi backend, opened from its --port text, its bus the virtual board's, held to the speed's
// timing. Entries 1, 5, 6 and 8 give what they give on the parallel port, and --write verifies.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <string>

#include "console/batch_run.h"
#include "console/run_console.h"
#include "dialogue_runner.h"
#include "ports/port_table.h"
#include "tests/ports/ftdi/fake_ftdi.h"

namespace {

struct Chip {
  const char* port;
  std::uint16_t product;
  unsigned khz;
};

bus::Image Ramp() {
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 3);
  return image;
}

void PrintTo(const Chip& chip, std::ostream* out) { *out << chip.port; }

// The default data file comes from the scratch folder.
class DataFileIn final : public console::FileOpener {
 public:
  explicit DataFileIn(std::string path) : path_(std::move(path)) {}
  int Open(const std::string&, int flags, mode_t mode) override {
    return ::open(path_.c_str(), flags, mode);
  }

 private:
  std::string path_;
};

class FtdiConsoleTest : public testing::TestWithParam<Chip> {
 protected:
  test_support::FakeFtdi MakeChip() const {
    test_support::FakeFtdiSettings settings;
    settings.devices = {{"1-2", "", GetParam().product}};
    settings.board.timing_khz = GetParam().khz;
    bus::Image power_up;
    power_up.fill(0xEE);
    return test_support::FakeFtdi(settings, power_up);
  }
  bus::BusOptions Options() const { 
    return {*ports::ParsePortSpec(GetParam().port).spec, {}, bus::TimingPolicy::Windowed};
  }
};

TEST_P(FtdiConsoleTest, DialogueEntriesAndABatchWriteWithVerify) {
  console_test::ScratchFolder scratch;
  const bus::Image ramp = Ramp();
  const std::string data(ramp.begin(), ramp.end());
  const std::string file = (scratch.Path() / "30p.dat").string();
  console_test::WriteFileBytes(file, data);
  {
    test_support::FakeFtdi chip = MakeChip();
    const ports::FtdiCallsOverride seam(chip);
    bus::BusConnection bus(Options());
    console::StringOutput out;
    console::MemorySource source("\n1\n5\n6\n8\n9\n");
    console::InputReader in(source, &out);
    DataFileIn files(file);
    EXPECT_EQ(console::RunConsole(in, out, bus, {false, &files}), 0);
    EXPECT_EQ(chip.Board().EepromContents(), Ramp());
    EXPECT_NE(out.Text().find("127  7d "), std::string::npos);  // entry 5
    std::size_t verified = 0;                                    // entry 6
    for (auto at = out.Text().find("Verify O.K.\n"); at != std::string::npos;
         at = out.Text().find("Verify O.K.\n", at + 1)) {
      ++verified;
    }
    EXPECT_EQ(verified, 128u);
    EXPECT_NE(out.Text().rfind("127  ee "), std::string::npos);  // entry 8: loaded at power-up
    EXPECT_EQ(out.Text().find("ERROR"), std::string::npos) << out.Text();
    EXPECT_EQ(chip.TimingNotes(), "");
  }
  test_support::FakeFtdi chip = MakeChip();
  const ports::FtdiCallsOverride seam(chip);
  bus::BusConnection bus(Options());
  console::BatchPlan plan;
  plan.operations = {{console::BatchOperationKind::Write, (scratch.Path() / "image.bin").string()}};
  console_test::WriteFileBytes(plan.operations[0].file, data);
  console::StringOutput out, err;
  EXPECT_EQ(console::RunBatch(plan, bus, {out, err}), console::kBatchSucceeded) << err.Text();
  EXPECT_EQ(chip.Board().EepromContents(), Ramp());
  EXPECT_EQ(chip.TimingNotes(), "");
}

INSTANTIATE_TEST_SUITE_P(Chips, FtdiConsoleTest,
                         testing::Values(Chip{"ftdi", ports::kFt232hProduct, 100},
                                         Chip{"ftdi,khz=400", ports::kFt2232hProduct, 400}));

}  // namespace
