// SPDX-License-Identifier: GPL-3.0-or-later
// plover's Download and Verify through the ftdi port: the fake chip under the real ftdi backend,
// opened from its --port text, its bus the virtual board's, held to the speed's timing.
#include <QDir>
#include <memory>

#include "gui/resource_ids.h"
#include "gui/verify_dlg.h"
#include "plover_fixture.h"
#include "ports/port_table.h"
#include "tests/ports/ftdi/fake_ftdi.h"

namespace {

using namespace plover;

struct Chip {
  const char* port;
  std::uint16_t product;
  unsigned khz;
};

void PrintTo(const Chip& chip, std::ostream* out) { *out << chip.port; }

class FtdiCommandsTest : public PloverTest, public testing::WithParamInterface<Chip> {};

TEST_P(FtdiCommandsTest, DownloadAndVerify) {
  test_support::FakeFtdiSettings settings;
  settings.devices = {{"1-2", "", GetParam().product}};
  settings.board.timing_khz = GetParam().khz;
  test_support::FakeFtdi chip(settings, bus::Image{});
  const ports::FtdiCallsOverride seam(chip);
  struct Disconnect {  // the connection goes before the chip does
    CploverApp& app;
    ~Disconnect() { app.SetBusConnection(nullptr); }
  } disconnect{App()};
  App().SetBusConnection(std::make_unique<bus::BusConnection>(bus::BusOptions{
      *ports::ParsePortSpec(GetParam().port).spec, {}, bus::TimingPolicy::Windowed}));
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(0x3C ^ i);
  App().EepromImage = image;

  EXPECT_TRUE(RunCommand(ID_TOOLS_DOWNLOAD));
  EXPECT_EQ(chip.Board().EepromContents(), image);
  ASSERT_EQ(prompts_.message_boxes.size(), 1u);
  EXPECT_EQ(prompts_.message_boxes[0].icon, shell::MessageIcon::Information);

  const std::vector<VerifyText> drawn = Verify();
  EXPECT_EQ(drawn, VerifyReportItems(image, image).texts);
  EXPECT_EQ(App().ReadBackImage, image);
  EXPECT_EQ(chip.TimingNotes(), "");
}

INSTANTIATE_TEST_SUITE_P(Chips, FtdiCommandsTest,
                         testing::Values(Chip{"ftdi", ports::kFt232hProduct, 100},
                                         Chip{"ftdi,khz=400", ports::kFt2232hProduct, 400}));

}  // namespace
