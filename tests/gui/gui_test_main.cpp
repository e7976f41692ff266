// SPDX-License-Identifier: GPL-3.0-or-later
// The tests' main: Qt's offscreen platform (so the tests need no display and every screen has
// 96 dots per inch), settings kept apart from the user's, then the tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// The offscreen platform says at every window that it has no window manager to tell size hints to
// (and at a dropped file that it cannot raise the window);
// everything else Qt says is passed on.
QtMessageHandler g_default_handler = nullptr;

void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QStringLiteral("does not support propagateSizeHints")) ||
      message.contains(QStringLiteral("does not support raise()"))) {
    return;
  }
  g_default_handler(type, context, message);
}

QString g_settings_path;

}  // namespace

QString TestSettingsPath() { return g_settings_path; }

int main(int argc, char** argv) {
  g_default_handler = qInstallMessageHandler(QuietHandler);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  // The settings the tests store (a chosen port, the recent files) go to a folder of this run.
  const QTemporaryDir settings;
  g_settings_path = settings.path();
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, g_settings_path);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, g_settings_path);
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
