// SPDX-License-Identifier: GPL-3.0-or-later
// plover's Tools commands through an I2C adapter: the fake adapter under the real i2c backend,
// whose bus is the virtual board's. Download, Verify and Upload give the same results as on the
// parallel port, and a board that does not answer is reported with the adapter's advice.
#include <QDir>
#include <memory>

#include "gui/resource_ids.h"
#include "gui/verify_dlg.h"
#include "plover_fixture.h"
#include "ports/i2c_dev/i2c_dev_port.h"
#include "tests/ports/i2c_dev/fake_i2c_system.h"

namespace {

using namespace plover;

class I2cCommandsTest : public PloverTest {
 public:
  void Connect(const test_support::FakeAdapterSettings& settings) {
    system_ = std::make_unique<test_support::FakeI2cSystem>(settings, bus::Image{});
    std::string error;
    auto adapter =
        ports::I2cDevAdapter::Open("/dev/i2c-3", "i2c:/dev/i2c-3", error, *system_, "/nonexistent");
    ASSERT_NE(adapter, nullptr) << error;
    App().SetBusConnection(std::make_unique<bus::BusConnection>(std::move(adapter)));
  }

  std::unique_ptr<test_support::FakeI2cSystem> system_;
};

TEST_F(I2cCommandsTest, DownloadVerifyAndUploadThroughAnAdapterThatTakesOneMessageATime) {
  test_support::FakeAdapterSettings settings;
  settings.shape = test_support::TransferShape::OneMessage;
  settings.longest_read = 32;
  Connect(settings);
  const bus::Image image = [] {
    bus::Image bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(0xC0 ^ i);
    return bytes;
  }();
  App().EepromImage = image;
  EXPECT_TRUE(RunCommand(ID_TOOLS_DOWNLOAD));
  EXPECT_EQ(system_->Board().EepromContents(), image);
  ASSERT_EQ(prompts_.message_boxes.size(), 1u);
  EXPECT_EQ(prompts_.message_boxes[0].icon, shell::MessageIcon::Information);

  const std::vector<VerifyText> pass = VerifyReportItems(image, image).texts;
  EXPECT_EQ(Verify(), pass);
  EXPECT_EQ(App().ReadBackImage, image);

  App().EepromImage.fill(0);
  EXPECT_TRUE(RunCommand(ID_TOOLS_UPLOAD));
  EXPECT_EQ(App().EepromImage, image);
  EXPECT_EQ(Caption(), QStringLiteral("Upload - PLOVER"));
  EXPECT_EQ(prompts_.message_boxes.size(), 1u) << "no box but Download's completion";
}

TEST_F(I2cCommandsTest, ABoardThatDoesNotAnswerIsReportedWithTheAdaptersAdvice) {
  test_support::FakeAdapterSettings settings;
  settings.board.eeprom_present = false;
  settings.nack_error = EREMOTEIO;
  Connect(settings);
  App().EepromImage.fill(0x5A);
  for (const shell::CommandId id : {ID_TOOLS_DOWNLOAD, ID_TOOLS_UPLOAD, ID_TOOLS_VERIFY}) {
    prompts_.message_boxes.clear();
    EXPECT_TRUE(RunCommand(id));
    ASSERT_EQ(prompts_.message_boxes.size(), 1u) << id;
    const QString text = prompts_.message_boxes[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("The EEPROM did not acknowledge the message")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("SDA to pin 5, SCL to pin 6, GND to pin 4")));
    EXPECT_EQ(prompts_.message_boxes[0].icon, shell::MessageIcon::Stop);
  }
  bus::Image kept;
  kept.fill(0x5A);
  EXPECT_EQ(App().EepromImage, kept);
  EXPECT_TRUE(prompts_.modal_dialogs.empty());
}

}  // namespace
