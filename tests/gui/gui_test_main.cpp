// SPDX-License-Identifier: GPL-3.0-or-later
// The tests' main: Qt's offscreen platform (so the tests need no display and every screen has
// 96 dots per inch), settings kept apart from the user's, then the tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDirIterator>
#include <QFontDatabase>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#endif

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

#ifdef _WIN32
// On Windows the settings are kept in the registry, under HKEY_CURRENT_USER\Software, where
// QSettings::setPath moves nothing. While this exists, the process's HKEY_CURRENT_USER is a key of
// its own, removed at the end: test programs that run at once do not see each other's settings,
// and the user's are never touched.
class RegistryOfThisRun {
 public:
  RegistryOfThisRun()
      : name_(L"Software\\plover tests\\run " + std::to_wstring(::GetCurrentProcessId())) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, name_.c_str());  // left by an earlier run of this id
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, name_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key_, nullptr) != ERROR_SUCCESS ||
        ::RegOverridePredefKey(HKEY_CURRENT_USER, key_) != ERROR_SUCCESS) {
      std::fprintf(stderr, "gui tests: cannot give this run a registry key of its own\n");
      std::exit(1);
    }
  }
  ~RegistryOfThisRun() {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegCloseKey(key_);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, name_.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\plover tests");  // when no other run has a key
  }
  RegistryOfThisRun(const RegistryOfThisRun&) = delete;
  RegistryOfThisRun& operator=(const RegistryOfThisRun&) = delete;

 private:
  std::wstring name_;
  HKEY key_ = nullptr;
};

// Under Wine the offscreen platform knows no font but those it is given. It gets the faces the
// tests have on Linux through fontconfig (Liberation Sans for Arial and Helvetica, DejaVu Sans for
// the rest), from the host's folders as Wine shows them (PLOVER_TEST_FONT_FOLDERS).
void UseTheTestFaces() {
  for (const QString& folder :
       QString::fromUtf8(PLOVER_TEST_FONT_FOLDERS).split(u'|', Qt::SkipEmptyParts)) {
    QDirIterator fonts(folder, {QStringLiteral("*.ttf")}, QDir::Files);
    while (fonts.hasNext()) QFontDatabase::addApplicationFont(fonts.next());
  }
  for (const char* face : {"Arial", "Helvetica"}) {
    QFont::insertSubstitution(QString::fromUtf8(face), QStringLiteral("Liberation Sans"));
  }
  for (const char* face : {"MS Sans Serif", "Sans Serif"}) {
    QFont::insertSubstitution(QString::fromUtf8(face), QStringLiteral("DejaVu Sans"));
  }
}
#endif

}  // namespace

QString TestSettingsPath() { return g_settings_path; }

int main(int argc, char** argv) {
  g_default_handler = qInstallMessageHandler(QuietHandler);
  // Asked for on the command line as well: under Wine the environment set here may not be the
  // one Qt reads.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt's messages to standard error, where a Windows program without a console window would send
  // them to the debugger.
  qputenv("QT_FORCE_STDERR_LOGGING", "1");
  std::vector<char*> arguments(argv, argv + argc);
  char platform_option[] = "-platform";
  char platform_name[] = "offscreen";
  arguments.insert(arguments.begin() + (argc > 0 ? 1 : 0), {platform_option, platform_name});
  arguments.push_back(nullptr);
  int argument_count = static_cast<int>(arguments.size()) - 1;
#ifdef _WIN32
  const RegistryOfThisRun registry;
#endif
  QStandardPaths::setTestModeEnabled(true);
  // The settings the tests store (a chosen port, the recent files) go to a folder of this run.
  const QTemporaryDir settings;
  g_settings_path = settings.path();
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, g_settings_path);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, g_settings_path);
  QApplication application(argument_count, arguments.data());
  QApplication::setQuitOnLastWindowClosed(false);
#ifdef _WIN32
  UseTheTestFaces();
#endif
  ::testing::InitGoogleTest(&argument_count, arguments.data());
  return RUN_ALL_TESTS();
}
