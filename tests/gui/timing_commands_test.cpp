// SPDX-License-Identifier: GPL-3.0-or-later
// plover's Tools commands against a virtual board that checks the data sheet's timing, through
// the port its command line names: at the board's speed Download, Verify and Upload pass; the
// bare port (khz=0) is reported and leaves the image and the board as they were.
#include <memory>

#include "gui/resource_ids.h"
#include "gui/verify_dlg.h"
#include "plover_fixture.h"
#include "ports/port_table.h"

namespace {

using namespace plover;

class TimingCommandsTest : public PloverTest, public testing::WithParamInterface<const char*> {
 public:
  StartOptions Options() const override {
    StartOptions options;
    options.bus.port =
        *ports::ParsePortSpec("sim:" + PathOf("board.bin").toStdString() + GetParam()).spec;
    return options;
  }
};

bus::Image Ramp() {
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i + 0x40);
  return image;
}

TEST_P(TimingCommandsTest, DownloadVerifyAndUploadPassAtTheBoardsSpeed) {
  App().EepromImage = Ramp();
  EXPECT_TRUE(RunCommand(ID_TOOLS_DOWNLOAD));
  int passes = 0;
  prompts_.OnModal([&passes](QDialog&) {
    ++passes;
    return shell::IDOK;
  });
  EXPECT_TRUE(RunCommand(ID_TOOLS_VERIFY));
  EXPECT_EQ(VerifyReportItems(App().EepromImage, App().ReadBackImage).mismatches, 0);
  App().EepromImage.fill(0);
  EXPECT_TRUE(RunCommand(ID_TOOLS_UPLOAD));
  EXPECT_EQ(App().EepromImage, Ramp());
  EXPECT_EQ(passes, 1);
  ASSERT_EQ(prompts_.message_boxes.size(), 1u);  // Download's completion, nothing else
  EXPECT_EQ(prompts_.message_boxes[0].icon, shell::MessageIcon::Information);
}

INSTANTIATE_TEST_SUITE_P(Speeds, TimingCommandsTest,
                         testing::Values(",timing=100", ",timing=400,khz=400"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return info.index == 0 ? "StandardMode" : "FastMode";
                         });

class TooFastTest : public PloverTest {
 public:
  StartOptions Options() const override {
    StartOptions options;
    options.bus.port = *ports::ParsePortSpec("sim:" + PathOf("board.bin").toStdString() +
                                             ",timing=100,khz=0")
                            .spec;
    return options;
  }
};

TEST_F(TooFastTest, TheBarePortIsReportedAndChangesNothing) {
  App().EepromImage = Ramp();
  EXPECT_TRUE(RunCommand(ID_TOOLS_DOWNLOAD));
  EXPECT_TRUE(RunCommand(ID_TOOLS_UPLOAD));
  ASSERT_EQ(prompts_.message_boxes.size(), 2u);
  for (const auto& box : prompts_.message_boxes) {
    EXPECT_EQ(box.icon, shell::MessageIcon::Stop);
    EXPECT_TRUE(box.text.contains(QStringLiteral("timing=100"))) << box.text.toStdString();
  }
  EXPECT_EQ(App().EepromImage, Ramp());
  EXPECT_EQ(ReadFile(PathOf("board.bin")), QByteArray(128, '\xff'));
  EXPECT_EQ(Caption(), QStringLiteral("Untitled - PLOVER"));
}

}  // namespace
