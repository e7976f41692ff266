// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Port... on a machine made of folders, the choice kept across a restart, Verify after
// Download, and a data file dropped on the window.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTreeWidget>
#include <QUrl>
#include <tuple>

#include "gui/about_dlg.h"
#include "gui/port_dlg.h"
#include "gui/resource_ids.h"
#include "gui/resources.h"
#include "gui/start_options.h"
#include "plover_fixture.h"
#include "ports/port_table.h"

namespace {

using namespace plover;

// What 30p --probe says through `spec`, without its "30p: " marks.
QString ConsoleProbe(const QString& spec) {
  QProcess run;
  run.start(QStringLiteral(PLOVER_30P_PROGRAM),
            {QStringLiteral("--port"), spec, QStringLiteral("--probe")});
  EXPECT_TRUE(run.waitForFinished(30000));
  return QString::fromLocal8Bit(run.readAllStandardError()).remove(QStringLiteral("30p: "));
}

class PortChoiceTest : public PloverTest {
 public:
  PortChoiceTest() {
    for (const char* path :
         {"dev/parport0", "dev/i2c-1", "proc/sys/dev/parport/parport0/base-addr"}) {
      QDir().mkpath(QFileInfo(Machine(path)).path());
      WriteFile(QStringLiteral("machine/") + path, "888\n");
    }
  }
  StartOptions Options() const override {
    StartOptions options;
    options.roots = {Machine("dev").toStdString(), Machine("sys").toStdString(),
                     Machine("proc").toStdString()};
    return options;
  }
  QString Machine(const char* path) const { return PathOf(QStringLiteral("machine/") + path); }

  // Runs Tools > Port... with `script` working the dialog.
  void RunPortDialog(const std::function<void(CPortDlg&)>& script) {
    prompts_.OnModal([script](QDialog& dialog) {
      script(dynamic_cast<CPortDlg&>(dialog));
      return dialog.isVisible() ? shell::IDCANCEL : dialog.result();
    });
    EXPECT_TRUE(RunCommand(ID_TOOLS_PORT));
  }
};

TEST_F(PortChoiceTest, ListsTheMachinesPortsRefusesABadSpecAndTestsABoard) {
  const std::string port_before = App().BusOptions().port.Text();
  const auto stored_before = LoadStoredChoices().port;
  RunPortDialog([this](CPortDlg& dialog) {
    QStringList specs;
    for (int row = 0; row < dialog.PortList()->topLevelItemCount(); ++row) {
      specs << dialog.PortList()->topLevelItem(row)->text(0);
    }
    EXPECT_EQ(specs, (QStringList{"ppdev:" + Machine("dev/parport0"), "direct:0x378",
                                  "i2c:" + Machine("dev/i2c-1"), "sim[:FILE]"}));
    EXPECT_EQ(dialog.PortList()->topLevelItem(0)->text(2), QStringLiteral("you may open it"));

    // A bad specification: OK keeps the dialog open and says what the command line says.
    dialog.SpecField()->setText(QStringLiteral("sim,bogus=1"));
    dialog.OkButton()->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.Report().isEmpty());
    EXPECT_TRUE(
        ParseCommandLine({"plover", "--port", "sim,bogus=1"}).text.contains(dialog.Report()));

    // Test says what 30p --probe says, for a good board and one without its EEPROM.
    for (const QString& spec : {QStringLiteral("sim"), QStringLiteral("sim,eeprom=absent")}) {
      dialog.SpecField()->setText(spec);
      dialog.TestButton()->click();
      EXPECT_TRUE(dialog.Report().contains(ConsoleProbe(spec).trimmed()));
      EXPECT_EQ(dialog.Report().contains(QStringLiteral("EEPROM at 0x50: does not answer")),
                spec.contains(QStringLiteral("absent")));
    }
    // Picking a listed port puts its value in the field.
    dialog.PortList()->topLevelItem(3)->setSelected(true);
    EXPECT_EQ(dialog.SpecField()->text(), QStringLiteral("sim"));
    static_cast<QDialog&>(dialog).reject();
  });
  EXPECT_EQ(App().BusOptions().port.Text(), port_before);
  EXPECT_EQ(LoadStoredChoices().port, stored_before);
}

TEST_F(PortChoiceTest, TheChoiceIsKeptForLaterRunsUnlessPortIsGiven) {
  const QString spec = QStringLiteral("sim:") + PathOf(QStringLiteral("board.bin"));
  RunPortDialog([&spec](CPortDlg& dialog) {
    dialog.SpecField()->setText(spec);
    dialog.OkButton()->click();
  });
  EXPECT_EQ(QString::fromStdString(App().BusOptions().port.Text()), spec);
  EXPECT_TRUE(RunCommand(ID_TOOLS_VERIFY_AFTER_DOWNLOAD));

  // --port wins for its run and is not stored.
  const StartDecision given =
      DecideStart(ParseCommandLine({"plover", "--port", "sim"}), LoadStoredChoices());
  EXPECT_EQ(given.options.bus.port.Text(), "sim");
  EXPECT_EQ(LoadStoredChoices().port, spec);

  // A restart without --port runs on the stored port, with Verify after Download on.
  app_.reset();
  app_ = std::make_unique<CploverApp>(
      prompts_, DecideStart(ParseCommandLine({"plover"}), LoadStoredChoices()).options);
  ASSERT_TRUE(app_->InitInstance());
  EXPECT_TRUE(Frame().MenuAction(ID_TOOLS_VERIFY_AFTER_DOWNLOAD)->isChecked());
  prompts_.OnModal([&spec](QDialog& dialog) {
    auto* port = dynamic_cast<CAboutDlg&>(dialog).Control(kAboutPortControl);
    EXPECT_EQ(qobject_cast<QLabel*>(port)->text(),
              "Port: " + spec + "\n(chosen with Tools > Port...)");
    return shell::IDOK;
  });
  RunCommand(shell::ID_APP_ABOUT);
  App().EepromImage.fill(0x5A);
  RunCommand(ID_TOOLS_DOWNLOAD);
  EXPECT_TRUE(
      ExpectOneMessageBox("Download is completed, please reset the switch for the new "
                          "settings to take effect.",
                          "PLOVER", shell::MessageIcon::Information));
  EXPECT_EQ(ReadFile(PathOf(QStringLiteral("board.bin"))), QByteArray(128, 0x5A));
}

// A stored port this build cannot take is passed over for the default; one whose board file the
// trace would overwrite stops the start, as that --port would.
TEST(StartDecisionTest, AStoredPortIsCheckedAsTheCommandLineWouldBe) {
  const StartDecision bad = DecideStart(ParseCommandLine({"plover"}), {QStringLiteral("nope:1")});
  EXPECT_TRUE(bad.warning.contains(QStringLiteral("'nope:1', is not valid here")));
  EXPECT_EQ(bad.options.port_origin, PortOrigin::Default);
  const StartDecision clash =
      DecideStart(ParseCommandLine({"plover", "--trace", "b.bin"}), {QStringLiteral("sim:b.bin")});
  EXPECT_TRUE(clash.refusal.contains(QStringLiteral("the board file")));
}

#ifdef _WIN32
// The text of the value `name` in the group `group` of plover's settings, read from the registry
// by its own path; empty when there is none.
QString RegistryText(const QString& group, const QString& name) {
  const QSettings registry(QStringLiteral("HKEY_CURRENT_USER\\Software\\%1\\plover")
                               .arg(QString::fromUtf8(kRegistryKey)),
                           QSettings::NativeFormat);
  return registry.value(group + u'/' + name).toString();
}

// On Windows the chosen port and the recent files are kept in the registry, and the next run
// reads them back from there.
TEST_F(PortChoiceTest, OnWindowsThePortAndRecentFilesAreKeptInTheRegistryForTheNextRun) {
  const QString spec = QStringLiteral("sim:") + PathOf(QStringLiteral("board.bin"));
  RunPortDialog([&spec](CPortDlg& dialog) {
    dialog.SpecField()->setText(spec);
    dialog.OkButton()->click();
  });
  const QString image = WriteFile(QStringLiteral("image.dat"), Pattern(128, 3));
  OpenThroughDialog(image);
  App().ExitInstance();
  EXPECT_TRUE(StoredChoicesFile().startsWith(QStringLiteral("\\HKEY_CURRENT_USER\\Software\\")))
      << StoredChoicesFile().toStdString();
  EXPECT_EQ(RegistryText(QStringLiteral("Tools"), QStringLiteral("Port")), spec);
  EXPECT_EQ(RegistryText(QStringLiteral("Recent File List"), QStringLiteral("File1")), image);

  app_.reset();
  app_ = std::make_unique<CploverApp>(
      prompts_, DecideStart(ParseCommandLine({"plover"}), LoadStoredChoices()).options);
  ASSERT_TRUE(app_->InitInstance());
  EXPECT_EQ(QString::fromStdString(App().BusOptions().port.Text()), spec);
  EXPECT_EQ(App().RecentFiles().Entries(), QStringList{image});
}
#else
// Elsewhere they are kept in a configuration file (plover.conf).

// A port written into the configuration file by hand, with spaces after its commas and no
// quotes, is taken as the port it names; one that still names no port is reported, not dropped.
TEST_F(PloverTest, AStoredPortWrittenByHandWithCommasIsTaken) {
  QFile file(StoredChoicesFile());
  ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
  const QByteArray kept = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  file.close();
  for (const auto& [line, port, origin] :
       {std::tuple{"Port=sim:x.bin, twr=5", "sim:x.bin,twr=5", PortOrigin::Chosen},
        {"Port=\"sim:x.bin,twr=5\"", "sim:x.bin,twr=5", PortOrigin::Chosen},
        {"Port=sim:x.bin, bogus", "", PortOrigin::Default}}) {
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray("[Tools]\n") + line + "\n");
    file.close();
    const StartDecision decision = DecideStart(ParseCommandLine({"plover"}), LoadStoredChoices());
    EXPECT_EQ(decision.options.port_origin, origin) << line;
    if (origin == PortOrigin::Chosen) {
      EXPECT_EQ(decision.options.bus.port.Text(), port) << line;
      EXPECT_TRUE(decision.warning.isEmpty()) << decision.warning.toStdString();
    } else {
      EXPECT_TRUE(decision.warning.contains(QStringLiteral("'sim:x.bin,bogus', is not valid here")))
          << decision.warning.toStdString();
    }
  }
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(kept);
}

TEST_F(PloverTest, AChoiceTheConfigurationFileDoesNotTakeHoldsForTheRunAndIsReported) {
  const QString blocked = WriteFile(QStringLiteral("a-file"), "x") + "/config";
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, blocked);
  RunCommand(ID_TOOLS_VERIFY_AFTER_DOWNLOAD);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, TestSettingsPath());
  EXPECT_TRUE(App().VerifyAfterDownload());
  ExpectOneMessageBox(QStringLiteral("The choice holds for this run, but it could not be kept for "
                                     "later runs: %1/Local AppWizard-Generated Applications/"
                                     "plover.conf cannot be written.")
                          .arg(blocked),
                      "PLOVER", shell::MessageIcon::Exclamation);
}
#endif

class VerifyAfterDownloadTest : public PloverTest {
 public:
  StartOptions Options() const override {
    // A board whose chips check 400 kHz timing, driven without any: bytes change on the way.
    StartOptions options;
    options.bus.port = *ports::ParsePortSpec("sim,timing=400,khz=0").spec;
    options.verify_after_download = true;
    return options;
  }
};

TEST_F(VerifyAfterDownloadTest, ABoardThatChangesBytesShowsTheReportInsteadOfCompletion) {
  App().EepromImage.fill(0x42);
  prompts_.OnModal([](QDialog&) { return shell::IDOK; });
  RunCommand(ID_TOOLS_DOWNLOAD);
  EXPECT_EQ(prompts_.modal_dialogs, std::vector<QString>{QStringLiteral("Plover Verify")});
  EXPECT_TRUE(prompts_.message_boxes.empty());
  EXPECT_NE(App().ReadBackImage, App().EepromImage);
}

TEST_F(PloverTest, ADataFileDroppedOnTheWindowOpensAsFileOpenWould) {
  const QString path = WriteFile(QStringLiteral("dropped.dat"), Pattern(128, 7));
  const QUrl file = QUrl::fromLocalFile(path);
  QMimeData data;  // several files, a remote one, and one local file: only the last is taken
  for (const QList<QUrl>& urls :
       {QList<QUrl>{file, file}, {QUrl("https://example.org/a")}, {file}}) {
    data.setUrls(urls);
    QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &enter);
    EXPECT_EQ(enter.isAccepted(), urls == QList<QUrl>{file});
  }
  QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&Frame(), &drop);
  EXPECT_TRUE(Frame().acceptDrops());
  EXPECT_EQ(ImageBytes(), Pattern(128, 7));
  EXPECT_EQ(Caption(), path + " - PLOVER");
  EXPECT_EQ(App().CurrentFileName, path);
}

}  // namespace
