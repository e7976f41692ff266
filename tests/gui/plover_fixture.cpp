// SPDX-License-Identifier: GPL-3.0-or-later
#include "plover_fixture.h"

#include <QFile>
#include <QtTest/QTest>

#include "gui/resource_ids.h"
#include "recording_surface.h"

void PloverTest::SetUp() {
  ASSERT_TRUE(dir_.isValid());
  app_ = std::make_unique<plover::CploverApp>(prompts_, Options());
  ASSERT_TRUE(app_->InitInstance());
  // The window system maps the window when it gets round to it; paints reach the screen after.
  ASSERT_TRUE(QTest::qWaitForWindowExposed(app_->MainWindow()));
}

void PloverTest::TearDown() { app_.reset(); }

QString PloverTest::WriteFile(const QString& name, const QByteArray& contents) const {
  const QString path = PathOf(name);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  file.write(contents);
  return path;
}

QByteArray PloverTest::ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

QByteArray PloverTest::Bytes(const bus::Image& image) {
  return QByteArray(reinterpret_cast<const char*>(image.data()),
                    static_cast<qsizetype>(image.size()));
}

QByteArray PloverTest::Pattern(int count, int first) {
  QByteArray bytes;
  for (int i = 0; i < count; ++i) bytes.append(static_cast<char>((first + i) & 0xFF));
  return bytes;
}

void PloverTest::OpenThroughDialog(const QString& path) {
  prompts_.AnswerFileDialog(path);
  RunCommand(shell::ID_FILE_OPEN);
}

bool PloverTest::ExpectOneMessageBox(const QString& text, const QString& caption,
                                     shell::MessageIcon icon) {
  EXPECT_EQ(prompts_.message_boxes.size(), 1u);
  if (prompts_.message_boxes.size() != 1) return false;
  const auto& box = prompts_.message_boxes[0];
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.caption, caption);
  EXPECT_EQ(box.icon, icon);
  EXPECT_EQ(box.buttons, shell::MessageButtons::Ok);
  EXPECT_EQ(box.owner, &Frame());
  return true;
}

std::vector<plover::VerifyText> PloverTest::Verify() {
  std::vector<plover::VerifyText> drawn;
  prompts_.OnModal([&drawn](QDialog& dialog) {
    RecordingSurface surface({0, 0, dialog.width(), dialog.height()});
    dynamic_cast<plover::CVerifyDlg&>(dialog).OnPaint(surface);
    for (const auto& text : surface.texts) {
      drawn.push_back({text.text, {text.box.left, text.box.top}});
    }
    return shell::IDOK;
  });
  EXPECT_TRUE(RunCommand(plover::ID_TOOLS_VERIFY));
  return drawn;
}
