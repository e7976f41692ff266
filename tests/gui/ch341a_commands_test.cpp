// SPDX-License-Identifier: GPL-3.0-or-later
// plover's Download and Verify through a CH341A programmer: the fake CH341A under the real ch341a
// row, whose bus is the virtual board's; and a programmer unplugged during Download, reported with
// its remedy and the image kept.
#include <memory>

#include "gui/resource_ids.h"
#include "gui/verify_dlg.h"
#include "plover_fixture.h"
#include "ports/libusb_calls.h"
#include "ports/port_table.h"
#include "recording_surface.h"
#include "tests/support/fake_ch341a.h"

namespace {

using namespace plover;

struct Case {
  const char* name;
  long unplugged_after;  // -1: stays plugged in
};

void PrintTo(const Case& run, std::ostream* out) { *out << run.name; }

class Ch341aCommandsTest : public PloverTest, public testing::WithParamInterface<Case> {
 public:
  void Connect() {
    test_support::FakeCh341aSettings settings;
    settings.unplugged_after = GetParam().unplugged_after;
    chip_ = std::make_unique<test_support::FakeCh341a>(settings, bus::Image{});
    seam_ = std::make_unique<bus::LibusbCallsOverride>(*chip_);
    const bus::PortSpecResult parsed = ports::ParsePortSpec("ch341a,khz=400");
    ASSERT_TRUE(parsed.spec) << parsed.error;
    App().SetBusConnection(std::make_unique<bus::BusConnection>(
        bus::BusOptions{*parsed.spec, {}, bus::TimingPolicy::Windowed}));
  }
  std::vector<VerifyText> Verify() {
    std::vector<VerifyText> drawn;
    prompts_.OnModal([&drawn](QDialog& dialog) {
      RecordingSurface surface({0, 0, dialog.width(), dialog.height()});
      dynamic_cast<CVerifyDlg&>(dialog).OnPaint(surface);
      for (const auto& text : surface.texts) {
        drawn.push_back({text.text, {text.box.left, text.box.top}});
      }
      return shell::IDOK;
    });
    EXPECT_TRUE(RunCommand(ID_TOOLS_VERIFY));
    return drawn;
  }

  // Both outlive the connection, which TearDown ends with the application.
  std::unique_ptr<test_support::FakeCh341a> chip_;
  std::unique_ptr<bus::LibusbCallsOverride> seam_;
};

TEST_P(Ch341aCommandsTest, DownloadsAndVerifiesOrReportsTheUnpluggedProgrammer) {
  Connect();
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(0x3C ^ i);
  App().EepromImage = image;
  EXPECT_TRUE(RunCommand(ID_TOOLS_DOWNLOAD));
  ASSERT_EQ(prompts_.message_boxes.size(), 1u);
  EXPECT_EQ(App().EepromImage, image);
  if (GetParam().unplugged_after < 0) {
    EXPECT_EQ(chip_->Board().EepromContents(), image);
    EXPECT_EQ(prompts_.message_boxes[0].icon, shell::MessageIcon::Information);
    EXPECT_EQ(Verify(), VerifyReportItems(image, image).texts);
    EXPECT_EQ(App().ReadBackImage, image);
    return;
  }
  const QString text = prompts_.message_boxes[0].text;
  EXPECT_TRUE(text.contains(QStringLiteral("No such device (it has been unplugged)")))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("The CH341A has been unplugged; plug it in again")));
  EXPECT_EQ(prompts_.message_boxes[0].icon, shell::MessageIcon::Stop);
}

INSTANTIATE_TEST_SUITE_P(Programmer, Ch341aCommandsTest,
                         testing::Values(Case{"PluggedIn", -1},
                                         Case{"UnpluggedDuringDownload", 30}),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
