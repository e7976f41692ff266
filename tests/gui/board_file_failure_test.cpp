// SPDX-License-Identifier: GPL-3.0-or-later
// Download onto a virtual board whose file cannot take a byte (the file-size limit at 0): the stop
// box names the board file, the address and the system's reason instead of the completion
// message, and the board file keeps what it held.
#include <cerrno>
#include <cstring>

#include "gui/resource_ids.h"
#include "plover_fixture.h"
#include "ports/port_table.h"
#include "tests/support/no_file_growth.h"

namespace {

using namespace plover;

class BoardFileFailureTest : public PloverTest {
 public:
  StartOptions Options() const override {
    StartOptions options;
    options.bus.port = *ports::ParsePortSpec("sim:" + PathOf("board.bin").toStdString()).spec;
    return options;
  }
};

TEST_F(BoardFileFailureTest, DownloadShowsTheStopBoxInsteadOfTheCompletionMessage) {
  EXPECT_TRUE(RunCommand(ID_TOOLS_UPLOAD));  // powers the board: its file is made, erased
  ASSERT_TRUE(prompts_.message_boxes.empty());
  App().EepromImage.fill(0x00);

  {
    const test_support::NoFileGrowth no_growth;
    EXPECT_TRUE(RunCommand(ID_TOOLS_DOWNLOAD));
  }

  ASSERT_EQ(prompts_.message_boxes.size(), 1u);
  const auto& box = prompts_.message_boxes[0];
  EXPECT_EQ(box.icon, shell::MessageIcon::Stop);
  EXPECT_EQ(box.caption, QStringLiteral("PLOVER"));
  EXPECT_TRUE(box.text.startsWith("cannot store the write of address 0 in board file \"" +
                                  PathOf("board.bin") + "\": " +
                                  QString::fromUtf8(std::strerror(EFBIG))))
      << box.text.toStdString();
  EXPECT_EQ(ReadFile(PathOf("board.bin")), QByteArray(128, '\xff'));
}

}  // namespace
