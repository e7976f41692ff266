// SPDX-License-Identifier: GPL-3.0-or-later
// Commands reach their handlers the same way from the menu, from the keyboard and by id, along the
// routing view, document, frame, application.
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest/QTest>

#include "gui/resource_ids.h"
#include "gui/shell/application.h"
#include "gui/shell/document.h"
#include "gui/shell/scroll_view.h"
#include "plover_fixture.h"
#include "ports/port_table.h"

namespace {

using namespace plover;

class CommandsTest : public PloverTest {
 protected:
  QAction* MenuItem(const QString& popup, const QString& item) {
    for (QAction* top : Frame().menuBar()->actions()) {
      if (top->text() != popup) continue;
      for (QAction* action : top->menu()->actions()) {
        if (action->text() == item) return action;
      }
    }
    ADD_FAILURE() << "no menu item " << item.toStdString();
    return nullptr;
  }
  void PressInView(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(View().viewport(), key, modifiers);
  }
};

TEST_F(CommandsTest, NewByMenuByKeyAndById) {
  App().EepromImage.fill(1);
  MenuItem("&File", "&New\tCtrl+N")->trigger();
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\0'));

  App().EepromImage.fill(2);
  PressInView(Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\0'));

  App().EepromImage.fill(3);
  EXPECT_TRUE(RunCommand(shell::ID_FILE_NEW));
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\0'));
}

TEST_F(CommandsTest, OpenAndSaveByTheirKeys) {
  const QString path = WriteFile("keys.dat", Pattern(128, 0x20));
  prompts_.AnswerFileDialog(path);
  PressInView(Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(ImageBytes(), Pattern(128, 0x20));

  App().EepromImage.fill(0x77);
  PressInView(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(ReadFile(path), QByteArray(128, '\x77'));
  EXPECT_EQ(prompts_.file_dialogs.size(), 1u);
}

TEST_F(CommandsTest, SaveAsByMenu) {
  prompts_.AnswerFileDialog(std::nullopt);
  MenuItem("&File", "Save &As...")->trigger();
  EXPECT_EQ(prompts_.file_dialogs.size(), 1u);
}

TEST_F(CommandsTest, AboutRunsTheAboutBoxModally) {
  prompts_.OnModal([](QDialog& dialog) {
    auto* ok = dialog.findChild<QPushButton*>();
    EXPECT_NE(ok, nullptr);
    if (ok != nullptr) ok->click();
    return dialog.result();
  });
  MenuItem("&Help", "&About plover...")->trigger();
  ASSERT_EQ(prompts_.modal_dialogs.size(), 1u);
  EXPECT_EQ(prompts_.modal_dialogs[0], QStringLiteral("About plover"));
}

TEST_F(CommandsTest, ExitClosesTheMainWindowWithoutAsking) {
  App().EepromImage.fill(9);
  MenuItem("&File", "E&xit")->trigger();
  EXPECT_FALSE(Frame().isVisible());
  EXPECT_TRUE(prompts_.message_boxes.empty());
}

TEST_F(CommandsTest, ToolsItemsAndProgramDefaultsReachTheDocument) {
  // Every command on a port that cannot be opened: each one reaches its handler, which reports
  // the port and changes nothing.
  App().SetBusConnection(std::make_unique<bus::BusConnection>(
      bus::BusOptions{*ports::ParsePortSpec("sim:" + PathOf("missing/board.bin").toStdString()).spec,
                      {}, bus::TimingPolicy::Windowed}));
  App().EepromImage.fill(4);
  for (const char* item : {"Verify", "Upload", "Download"}) {
    MenuItem("&Tools", item)->trigger();
  }
  for (const int id : {ID_TOOLS_VERIFY, ID_TOOLS_UPLOAD, ID_TOOLS_DOWNLOAD}) {
    EXPECT_TRUE(Doc().OnCommand(id)) << id;
  }
  EXPECT_EQ(prompts_.message_boxes.size(), 6u);
  for (const auto& box : prompts_.message_boxes) EXPECT_EQ(box.icon, shell::MessageIcon::Stop);
  const QString previous_dir = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(PathOf("")));
  EXPECT_TRUE(Doc().OnCommand(ID_PROGRAM_DEFAULTS));
  QDir::setCurrent(previous_dir);
  ASSERT_EQ(prompts_.message_boxes.size(), 7u);
  EXPECT_EQ(prompts_.message_boxes.back().text, QStringLiteral("default.dat was not found."));
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\4'));
  EXPECT_TRUE(prompts_.modal_dialogs.empty());

  // Modify needs no port: it opens its dialog from the menu and by id.
  for (int i = 0; i < 2; ++i) prompts_.OnModal([](QDialog&) { return shell::IDCANCEL; });
  MenuItem("&Tools", "Modify")->trigger();
  EXPECT_TRUE(Doc().OnCommand(ID_TOOLS_MODIFY));
  EXPECT_EQ(prompts_.modal_dialogs.size(), 2u);
}

TEST_F(CommandsTest, StandardEditingKeysReachNoHandler) {
  App().EepromImage.fill(5);
  PressInView(Qt::Key_C, Qt::ControlModifier);
  PressInView(Qt::Key_Insert, Qt::ShiftModifier);
  PressInView(Qt::Key_F6, Qt::NoModifier);
  EXPECT_FALSE(RunCommand(shell::ID_EDIT_COPY));
  EXPECT_FALSE(RunCommand(shell::ID_NEXT_PANE));
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\5'));
}

TEST_F(CommandsTest, KeysOfAnotherWindowAreNotTheFramesAccelerators) {
  App().EepromImage.fill(6);
  QWidget other;
  other.show();
  QTest::keyClick(&other, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\6'));
}

TEST_F(CommandsTest, ALeftClickChangesNothing) {
  App().EepromImage.fill(7);
  QTest::mouseClick(View().viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 60));
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\7'));
  EXPECT_EQ(Caption(), QStringLiteral("Untitled - PLOVER"));
}

// The routing itself, with targets that record being asked.
std::vector<std::string> g_asked;

struct RecordingDocument : shell::Document {
  bool OnCommand(shell::CommandId id) override {
    g_asked.push_back("document");
    return id == 1001;
  }
};
struct RecordingView : shell::ScrollView {
  void OnDraw(shell::DrawSurface&) override {}
  bool OnCommand(shell::CommandId id) override {
    g_asked.push_back("view");
    return id == 1000;
  }
};
struct RecordingFrame : shell::FrameWindow {
  RecordingFrame() : shell::FrameWindow("FRAME") {}
  bool OnCommand(shell::CommandId id) override {
    g_asked.push_back("frame");
    return id == 1002;
  }
};
struct RecordingApp : shell::Application {
  using shell::Application::Application;
  bool InitInstance() override { return true; }
  bool OnCommand(shell::CommandId id) override {
    g_asked.push_back("application");
    return id == 1003;
  }
};

TEST(CommandRouting, AsksViewDocumentFrameThenApplication) {
  const shell::StringTable strings{{shell::kUntitledString, "Nameless"}};
  ScriptedPrompts prompts;
  RecordingApp app(strings, prompts);
  app.AddDocTemplate({1, [] { return std::make_unique<RecordingDocument>(); },
                      [] { return std::make_unique<RecordingFrame>(); },
                      [] { return new RecordingView(); }});
  ASSERT_TRUE(app.ProcessShellCommand());
  EXPECT_EQ(app.MainWindow()->windowTitle(), QStringLiteral("Nameless - FRAME"));

  const std::vector<std::string> all{"view", "document", "frame", "application"};
  for (int id = 1000; id <= 1004; ++id) {
    g_asked.clear();
    const bool handled = app.MainWindow()->RouteCommand(id);
    EXPECT_EQ(handled, id != 1004) << id;
    const std::size_t asked = id == 1004 ? 4 : static_cast<std::size_t>(id - 1000 + 1);
    EXPECT_EQ(g_asked, std::vector<std::string>(all.begin(), all.begin() + asked)) << id;
  }
}

}  // namespace
