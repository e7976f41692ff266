// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the main window's place, size, caption and menu, and an all-zero grid.
#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include "gui/resource_ids.h"
#include "plover_fixture.h"
#include "recording_surface.h"

namespace {

using namespace plover;

TEST_F(PloverTest, StartsUntitledAtItsPlaceAndSize) {
  EXPECT_EQ(Caption(), QStringLiteral("Untitled - PLOVER"));
  EXPECT_EQ(Doc().GetTitle(), QStringLiteral("Untitled"));
  EXPECT_TRUE(Frame().isVisible());
  EXPECT_EQ(Frame().frameGeometry(), QRect(250, 200, 530, 390));
  EXPECT_TRUE(Frame().frameGeometry().contains(Frame().geometry()));
  EXPECT_FALSE(Frame().windowIcon().isNull());
}

TEST_F(PloverTest, StartsWithEmptyBuffersAndNoFileName) {
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\0'));
  EXPECT_EQ(Bytes(App().ReadBackImage), QByteArray(128, '\0'));
  EXPECT_TRUE(App().CurrentFileName.isEmpty());
  EXPECT_EQ(App().RegistryKey(), QStringLiteral("Local AppWizard-Generated Applications"));
  EXPECT_EQ(App().AppTitle(), QStringLiteral("plover"));
  EXPECT_EQ(App().RecentFiles().Capacity(), 4);
}

TEST_F(PloverTest, GridShows128CellsOfZeros) {
  const QSize size = grid::GridSize(View().Metrics());
  RecordingSurface dc({0, 0, size.width(), size.height()});
  View().OnDraw(dc);
  int cells = 0;
  for (int n = 0; n < grid::kRegisters; ++n) {
    const auto texts = dc.TextsIn(View().CellRect(n / 10, n % 10));
    ASSERT_EQ(texts.size(), 1u) << "register " << n;
    EXPECT_EQ(texts[0].text, QStringLiteral("00"));
    ++cells;
  }
  EXPECT_EQ(cells, 128);
  EXPECT_EQ(dc.texts.size(), 128u + 13u + 10u);  // cells, row labels, column labels
}

TEST_F(PloverTest, MenuHasFileToolsAndHelpWithTheirCommands) {
  struct Item {
    QString popup;
    QString text;
    int id;
  };
  const std::vector<Item> expected{
      {"&File", "&New\tCtrl+N", shell::ID_FILE_NEW},
      {"&File", "&Open...\tCtrl+O", shell::ID_FILE_OPEN},
      {"&File", "&Save\tCtrl+S", shell::ID_FILE_SAVE},
      {"&File", "Save &As...", shell::ID_FILE_SAVE_AS},
      {"&File", "", 0},
      {"&File", "E&xit", shell::ID_APP_EXIT},
      {"&Tools", "Verify", ID_TOOLS_VERIFY},
      {"&Tools", "Upload", ID_TOOLS_UPLOAD},
      {"&Tools", "Download", ID_TOOLS_DOWNLOAD},
      {"&Tools", "Modify", ID_TOOLS_MODIFY},
      {"&Tools", "", 0},
      {"&Tools", "Verify after Download", ID_TOOLS_VERIFY_AFTER_DOWNLOAD},
      {"&Tools", "", 0},
      {"&Tools", "Port...", ID_TOOLS_PORT},
      {"&Help", "&About plover...", shell::ID_APP_ABOUT},
  };
  std::vector<Item> actual;
  for (QAction* popup : Frame().menuBar()->actions()) {
    for (QAction* item : popup->menu()->actions()) {
      actual.push_back({popup->text(), item->isSeparator() ? QString() : item->text(),
                        item->isSeparator() ? 0 : item->data().toInt()});
      EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
    }
  }
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(actual[i].popup, expected[i].popup) << i;
    EXPECT_EQ(actual[i].text, expected[i].text) << i;
    EXPECT_EQ(actual[i].id, expected[i].id) << i;
  }
}

class StartWithFileTest : public PloverTest {
 protected:
  plover::StartOptions Options() const override {
    plover::StartOptions options;
    options.file = QStringLiteral(PLOVER_SAMPLE_IMAGE);
    return options;
  }
};

TEST_F(StartWithFileTest, FileOnTheCommandLineIsOpenedAsFileOpenWould) {
  QFile sample(QStringLiteral(PLOVER_SAMPLE_IMAGE));
  ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
  EXPECT_EQ(ImageBytes(), sample.readAll());
  // The name as the system gives it in full (with its drive on Windows).
  const QString name = QFileInfo(QStringLiteral(PLOVER_SAMPLE_IMAGE)).absoluteFilePath();
  EXPECT_EQ(App().CurrentFileName, name);
  EXPECT_EQ(Caption(), name + " - PLOVER");
  EXPECT_TRUE(prompts_.message_boxes.empty());
}

}  // namespace
