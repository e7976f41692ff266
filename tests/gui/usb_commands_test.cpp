// SPDX-License-Identifier: GPL-3.0-or-later
// plover's Download and Verify through each USB programmer built, on its fake under the real
// backend, whose bus is the virtual board's; and the programmer unplugged during Download,
// reported with its remedy while the image is kept.
#include "gui/resource_ids.h"
#include "gui/verify_dlg.h"
#include "plover_fixture.h"
#include "ports/port_table.h"
#include "tests/support/usb_programmers.h"

namespace {

using namespace plover;
using test_support::UsbProgrammer;

// The programmer, and whether it is unplugged during Download.
class UsbCommandsTest : public PloverTest,
                        public testing::WithParamInterface<std::tuple<UsbProgrammer, bool>> {};

TEST_P(UsbCommandsTest, DownloadsAndVerifiesOrReportsTheUnpluggedProgrammer) {
  const auto& [programmer, unplugged] = GetParam();
  const auto chip = programmer.install({}, bus::Image{}, unplugged ? 20 : -1);
  struct Disconnect {  // the connection ends before the fake goes, however the test ends
    CploverApp& app;
    ~Disconnect() { app.SetBusConnection(nullptr); }
  } disconnect{App()};
  App().SetBusConnection(std::make_unique<bus::BusConnection>(bus::BusOptions{
      *ports::ParsePortSpec(programmer.port).spec, {}, bus::TimingPolicy::Windowed}));
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(0x3C ^ i);
  App().EepromImage = image;
  EXPECT_TRUE(RunCommand(ID_TOOLS_DOWNLOAD));
  ASSERT_EQ(prompts_.message_boxes.size(), 1u);
  EXPECT_EQ(App().EepromImage, image);
  const QString text = prompts_.message_boxes[0].text;
  if (unplugged) {
    EXPECT_TRUE(text.contains(QString::fromStdString(programmer.unplugged))) << text.toStdString();
    EXPECT_EQ(prompts_.message_boxes[0].icon, shell::MessageIcon::Stop);
  } else {
    EXPECT_EQ(prompts_.message_boxes[0].icon, shell::MessageIcon::Information);
    EXPECT_EQ(chip->Board().EepromContents(), image);
    const std::vector<VerifyText> drawn = Verify();
    EXPECT_EQ(drawn, VerifyReportItems(image, image).texts);
    EXPECT_EQ(App().ReadBackImage, image);
    EXPECT_EQ(chip->TimingNotes(), "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Programmers, UsbCommandsTest,
    testing::Combine(testing::ValuesIn(test_support::UsbProgrammers()), testing::Bool()),
    [](const auto& info) {
      return std::get<0>(info.param).name + (std::get<1>(info.param) ? "_Unplugged" : "_Plugged");
    });

}  // namespace
