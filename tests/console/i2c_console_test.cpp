// SPDX-License-Identifier: GPL-3.0-or-later
// The whole console dialogue through an I2C adapter: the fake adapter under the real i2c backend,
// whose bus is the virtual board's. Entries 1, 5, 6 and 8 give what they give on the parallel
// port, and a board that does not answer is reported in one line with the adapter's advice.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <memory>
#include <string>

#include "console/run_console.h"
#include "dialogue_runner.h"
#include "platform/files.h"
#include "ports/i2c_dev/i2c_dev_port.h"
#include "tests/ports/i2c_dev/fake_i2c_system.h"

namespace {

// 30p.dat comes from memory; every other name is refused.
class DefaultDataOnly final : public console::FileOpener {
 public:
  explicit DefaultDataOnly(std::string path) : path_(std::move(path)) {}
  int Open(const std::string& name, int flags, mode_t mode) override {
    if (name != console::kDefaultDataFile) {
      errno = ENOENT;
      return -1;
    }
    return platform::OpenFile(path_, flags, mode);
  }

 private:
  std::string path_;
};

struct DialogueRun {
  std::string out;
  std::unique_ptr<test_support::FakeI2cSystem> system;
};

DialogueRun Dialogue(const std::string& input, const test_support::FakeAdapterSettings& settings,
             const bus::Image& power_up) {
  console_test::ScratchFolder scratch;
  std::string data;
  for (int i = 0; i < 128; ++i) data.push_back(static_cast<char>(i * 3));
  console_test::WriteFileBytes(scratch.Path() / "30p.dat", data);
  DefaultDataOnly files((scratch.Path() / "30p.dat").string());

  DialogueRun run{{}, std::make_unique<test_support::FakeI2cSystem>(settings, power_up)};
  std::string error;
  auto adapter =
      ports::I2cDevAdapter::Open("/dev/i2c-2", "i2c:/dev/i2c-2", error, *run.system, "/nonexistent");
  EXPECT_NE(adapter, nullptr) << error;
  bus::BusConnection bus(std::move(adapter));
  console::StringOutput out;
  console::MemorySource source(input);
  console::InputReader in(source, &out);
  EXPECT_EQ(console::RunConsole(in, out, bus, {false, &files}), 0);
  run.out = out.Text();
  return run;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(I2cConsoleTest, WriteReadVerifyAndTheSwitchRegistersThroughAnAdapter) {
  bus::Image power_up;
  power_up.fill(0xEE);
  test_support::FakeAdapterSettings settings;
  settings.shape = test_support::TransferShape::WriteThenRead;
  settings.longest_read = 64;
  const DialogueRun run = Dialogue("\n1\n5\n6\n8\n9\n", settings, power_up);
  // Entry 1 wrote 30p.dat; entry 5 lists it back (address 127 holds 127 * 3 = 0x17d -> 7d).
  for (std::size_t i = 0; i < 128; ++i) {
    EXPECT_EQ(run.system->Board().EepromContents()[i], static_cast<std::uint8_t>(i * 3)) << i;
  }
  EXPECT_NE(run.out.find("127  7d "), std::string::npos);
  EXPECT_EQ(Count(run.out, "Verify O.K.\n"), 128u);  // entry 6
  EXPECT_EQ(run.out.find("ERROR"), std::string::npos);
  // Entry 8: the switch loaded the EEPROM at power-up, before entry 1 wrote it.
  EXPECT_NE(run.out.rfind("127  ee "), std::string::npos);
  EXPECT_EQ(run.out.find("did not acknowledge"), std::string::npos);
}

TEST(I2cConsoleTest, ABoardThatDoesNotAnswerIsOneLineWithTheAdaptersAdvice) {
  test_support::FakeAdapterSettings settings;
  settings.board.eeprom_present = false;
  const DialogueRun run = Dialogue("\n1\n9\n", settings, bus::Image{});
  EXPECT_NE(run.out.find("\nThe EEPROM did not acknowledge the message while writing address 0. "
                         "Check the adapter's wires to the EEPROM (SDA to pin 5, SCL to pin 6, "
                         "GND to pin 4), that the board is powered, and that the adapter's I/O "
                         "voltage matches the board's.\n"),
            std::string::npos)
      << run.out;
}

}  // namespace
