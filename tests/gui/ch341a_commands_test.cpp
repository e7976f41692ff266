// SPDX-License-Identifier: GPL-3.0-or-later
// plover's Download and Verify through the ch341a row on the fake CH341A, whose bus is the
// virtual board's; and a programmer unplugged during Download, reported with its remedy while the
// image is kept.
#include "gui/resource_ids.h"
#include "gui/verify_dlg.h"
#include "plover_fixture.h"
#include "ports/usb/libusb_calls.h"
#include "ports/port_table.h"
#include "tests/ports/ch341a/fake_ch341a.h"

namespace {

using namespace plover;

// Unplugged after this many bulk writes; -1: stays plugged in.
class Ch341aCommandsTest : public PloverTest, public testing::WithParamInterface<long> {};

TEST_P(Ch341aCommandsTest, DownloadsAndVerifiesOrReportsTheUnpluggedProgrammer) {
  test_support::FakeCh341aSettings settings;
  settings.unplugged_after = GetParam();
  test_support::FakeCh341a chip(settings, bus::Image{});
  const ports::LibusbCallsOverride seam(chip);
  struct Disconnect {  // the connection ends before the fake goes, however the test ends
    CploverApp& app;
    ~Disconnect() { app.SetBusConnection(nullptr); }
  } disconnect{App()};
  App().SetBusConnection(std::make_unique<bus::BusConnection>(
      bus::BusOptions{*ports::ParsePortSpec("ch341a,khz=400").spec, {}}));
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(0x3C ^ i);
  App().EepromImage = image;
  EXPECT_TRUE(RunCommand(ID_TOOLS_DOWNLOAD));
  ASSERT_EQ(prompts_.message_boxes.size(), 1u);
  EXPECT_EQ(App().EepromImage, image);
  const QString text = prompts_.message_boxes[0].text;
  if (GetParam() >= 0) {
    EXPECT_TRUE(text.contains(QStringLiteral("No such device (it has been unplugged). The "
                                             "CH341A has been unplugged; plug it in again")))
        << text.toStdString();
    EXPECT_EQ(prompts_.message_boxes[0].icon, shell::MessageIcon::Stop);
  } else {
    EXPECT_EQ(chip.Board().EepromContents(), image);
    const std::vector<VerifyText> drawn = Verify();
    EXPECT_EQ(drawn, VerifyReportItems(image, image).texts);
    EXPECT_EQ(App().ReadBackImage, image);
  }
}

INSTANTIATE_TEST_SUITE_P(Programmer, Ch341aCommandsTest, testing::Values(-1L, 30L),
                         [](const auto& info) { return info.param < 0 ? "Plugged" : "Unplugged"; });

}  // namespace
