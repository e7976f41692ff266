// plover's command line.
#include "ports/port_table.h"
#include "gui/command_line.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "gui/resource_ids.h"

namespace {

using plover::CommandLineAction;
using plover::ParseCommandLine;

QStringList Args(std::initializer_list<const char*> rest) {
  QStringList list{QStringLiteral("plover")};
  for (const char* arg : rest) list << QString::fromUtf8(arg);
  return list;
}

TEST(CommandLine, NoArgumentsRunsOnTheDefaultPortWithWindowedTiming) {
  const auto line = ParseCommandLine(Args({}));
  EXPECT_EQ(line.action, CommandLineAction::Run);
  EXPECT_EQ(line.bus.port.Text(), bus::DefaultPortSpec().Text());
  EXPECT_TRUE(line.bus.trace_file.empty());
  EXPECT_EQ(line.bus.timing, bus::TimingPolicy::Windowed);
  EXPECT_TRUE(line.file.isEmpty());
}

TEST(CommandLine, PortTraceAndFile) {
  const auto line = ParseCommandLine(Args({"--port", "sim", "--trace", "t.log", "a.dat"}));
  ASSERT_EQ(line.action, CommandLineAction::Run);
  EXPECT_EQ(line.bus.port.Text(), "sim");
  EXPECT_EQ(line.bus.trace_file, "t.log");
  EXPECT_EQ(line.file, QStringLiteral("a.dat"));
}

TEST(CommandLine, BadPortIsRefusedWithTheParsersMessage) {
  const auto line = ParseCommandLine(Args({"--port", "bogus"}));
  EXPECT_EQ(line.action, CommandLineAction::Refuse);
  const std::string expected = ports::ParsePortSpec("bogus").error;
  EXPECT_TRUE(line.text.contains(QString::fromStdString(expected))) << line.text.toStdString();
}

TEST(CommandLine, RefusesUnknownOptionsAndTwoFiles) {
  EXPECT_EQ(ParseCommandLine(Args({"--frobnicate"})).action, CommandLineAction::Refuse);
  EXPECT_EQ(ParseCommandLine(Args({"a.dat", "b.dat"})).action, CommandLineAction::Refuse);
  EXPECT_EQ(ParseCommandLine(Args({"--port"})).action, CommandLineAction::Refuse);
  EXPECT_EQ(plover::kBadCommandLineExit, 2);
}

TEST(CommandLine, EmptyPortIsRefusedAndNotTakenForTheDefaultPort) {
  for (const QStringList& arguments :
       {Args({"--port="}), Args({"--port", ""}), Args({"--port", "sim", "--port=", "a.dat"})}) {
    const auto line = ParseCommandLine(arguments);
    EXPECT_EQ(line.action, CommandLineAction::Refuse) << arguments.join(' ').toStdString();
    EXPECT_EQ(line.text, QStringLiteral("plover: --port needs a port specification\n"
                                        "Try 'plover --help' for more information.\n"));
  }
}

TEST(CommandLine, TheProgramRefusesAnEmptyPortWithExitStatusTwo) {
  // Were the empty port taken, the picture would be written and the program would end with 0.
  QTemporaryDir dir;
  const QString picture = dir.filePath(QStringLiteral("window.png"));
  for (QStringList arguments : {QStringList{"--port="}, QStringList{"--port", ""}}) {
    arguments << QStringLiteral("--screenshot") << picture;
    QProcess plover;
    plover.start(QStringLiteral(PLOVER_PROGRAM), arguments);
    ASSERT_TRUE(plover.waitForFinished(30000)) << arguments.join(' ').toStdString();
    EXPECT_EQ(plover.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(plover.exitCode(), plover::kBadCommandLineExit);
    EXPECT_EQ(plover.readAllStandardError(),
              "plover: --port needs a port specification\n"
              "Try 'plover --help' for more information.\n");
    EXPECT_TRUE(plover.readAllStandardOutput().isEmpty());
    EXPECT_FALSE(QFile::exists(picture));
  }
}

TEST(CommandLine, HelpAndVersion) {
  const auto help = ParseCommandLine(Args({"--help"}));
  EXPECT_EQ(help.action, CommandLineAction::ShowHelp);
  EXPECT_TRUE(help.text.startsWith(QStringLiteral("Usage: plover [options] [FILE]")));
  for (const char* option :
       {"--port", "--trace", "--screenshot", "--program-defaults", "default.dat", "--version"}) {
    EXPECT_TRUE(help.text.contains(QString::fromUtf8(option))) << option;
  }
  EXPECT_TRUE(help.text.contains(QString::fromStdString(ports::PortSpecUsage()).left(20)));
  const auto version = ParseCommandLine(Args({"--version"}));
  EXPECT_EQ(version.action, CommandLineAction::ShowVersion);
  EXPECT_EQ(version.text, plover::VersionText() + "\n");
  EXPECT_TRUE(version.text.startsWith(QStringLiteral("plover 1.")));
}

TEST(CommandLine, ProgramDefaults) {
  EXPECT_FALSE(ParseCommandLine(Args({})).program_defaults);
  const auto line = ParseCommandLine(Args({"--program-defaults", "--port", "sim"}));
  ASSERT_EQ(line.action, CommandLineAction::Run);
  EXPECT_TRUE(line.program_defaults);
  EXPECT_TRUE(line.file.isEmpty());
}

TEST(CommandLine, ScreenshotOfACommandIsNotInTheHelpAndNeedsAPicture) {
  const auto line = ParseCommandLine(Args({"--screenshot", "v.png", "--screenshot-of", "verify"}));
  ASSERT_EQ(line.action, CommandLineAction::Run);
  EXPECT_EQ(line.screenshot_command, plover::ID_TOOLS_VERIFY);
  EXPECT_EQ(ParseCommandLine(Args({"--screenshot", "m.png", "--screenshot-of", "modify"}))
                .screenshot_command,
            plover::ID_TOOLS_MODIFY);
  EXPECT_EQ(ParseCommandLine(Args({"--screenshot-of", "verify"})).action,
            CommandLineAction::Refuse);
  EXPECT_EQ(ParseCommandLine(Args({"--screenshot", "x.png", "--screenshot-of", "frob"})).action,
            CommandLineAction::Refuse);
  EXPECT_FALSE(ParseCommandLine(Args({"--help"})).text.contains(QStringLiteral("--screenshot-of")));
}

}  // namespace
