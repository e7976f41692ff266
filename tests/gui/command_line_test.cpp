// SPDX-License-Identifier: GPL-3.0-or-later
// plover's command line.
#include "gui/command_line.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "gui/resource_ids.h"
#include "ports/port_listing.h"
#include "ports/port_table.h"

namespace {

using plover::CommandLineAction;
using plover::ParseCommandLine;

// What a program writes as `text` on its standard streams (Windows' text mode ends lines in CRLF).
QByteArray AsWritten(QByteArray text) {
#ifdef _WIN32
  text.replace("\n", "\r\n");
#endif
  return text;
}

QStringList Args(std::initializer_list<const char*> rest) {
  QStringList list{QStringLiteral("plover")};
  for (const char* arg : rest) list << QString::fromUtf8(arg);
  return list;
}

TEST(CommandLine, NoArgumentsRunsOnTheDefaultPortWithWindowedTiming) {
  const auto line = ParseCommandLine(Args({}));
  EXPECT_EQ(line.action, CommandLineAction::Run);
  EXPECT_EQ(line.bus.port.Text(), ports::DefaultPortSpec().Text());
  EXPECT_TRUE(line.bus.trace_file.empty());
  EXPECT_EQ(line.bus.timing, bus::TimingPolicy::Windowed);
  EXPECT_TRUE(line.file.isEmpty());
}

// Qt's -platform NAME is left to the application object: it is no FILE.
TEST(CommandLine, PortTraceAndFile) {
  const auto line = ParseCommandLine(
      Args({"--port", "sim", "-platform", "offscreen", "--trace", "t.log", "a.dat"}));
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

// A trace truncates its file: the board file (through a link too), the FILE, default.dat and a VCD
// through an adapter are refused; a new file is taken.
TEST(CommandLine, TraceMayNotBeAFileTheProgramReadsOrKeeps) {
  QTemporaryDir dir;
  const QString board = dir.filePath(QStringLiteral("board.bin"));
  const QString data = dir.filePath(QStringLiteral("a.dat"));
  for (const QString& path : {board, data}) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
#ifndef _WIN32
  const QString link = dir.filePath(QStringLiteral("link.txt"));
  ASSERT_TRUE(QFile::link(board, link));
#endif
  const QString port = QStringLiteral("sim:") + board;
  struct Case {
    QStringList arguments;
    QString refusal;  // empty: taken
  };
  const Case cases[] = {
#ifndef _WIN32  // a symbolic link (QFile::link makes a shortcut on Windows) and Linux's I2C port
      {{"plover", "--port", port, "--trace", link},
       "plover: --trace " + link + " is the same file as the board file " + board +
           ", which the trace would overwrite; name another trace file\n"},
      {{"plover", "--port", "i2c:1", "--trace", "bus.VCD"},
       "plover: --trace bus.VCD: a VCD trace draws the bus lines, and through an I2C adapter the "
       "programs do not drive them; name a text trace instead (a name not ending in .vcd)\n"},
#endif
      {{"plover", "--port", "sim", "--trace", data, data},
       "plover: --trace " + data + " is the same file as the data file " + data +
           ", which the trace would overwrite; name another trace file\n"},
      {{"plover", "--port", port, "--trace", dir.filePath(QStringLiteral("new.vcd")), data}, {}},
  };
  for (const Case& test : cases) {
    const auto line = ParseCommandLine(test.arguments);
    if (test.refusal.isEmpty()) {
      EXPECT_EQ(line.action, CommandLineAction::Run) << line.text.toStdString();
      continue;
    }
    EXPECT_EQ(line.action, CommandLineAction::Refuse);
    EXPECT_TRUE(line.text.startsWith(test.refusal)) << line.text.toStdString();
  }
}

TEST(CommandLine, ListPortsNamesTheVirtualBoardAtLeast) {
  const auto line = ParseCommandLine(Args({"--list-ports"}));
  EXPECT_EQ(line.action, CommandLineAction::ListPorts);
  EXPECT_TRUE(line.text.startsWith(QStringLiteral("Ports on this machine"))) << line.text.toStdString();
  EXPECT_TRUE(line.text.contains(QStringLiteral("sim[:FILE]")));
}

// Both programs' --list-ports print exactly what the rows of the table find on this machine.
TEST(CommandLine, BothProgramsListWhatEachRowFinds) {
  const QByteArray expected = QByteArray::fromStdString(ports::PortListing(ports::FindPorts()));
  for (const char* program : {PLOVER_PROGRAM, PLOVER_30P_PROGRAM}) {
    QProcess run;
    run.start(QString::fromUtf8(program), {QStringLiteral("--list-ports")});
    ASSERT_TRUE(run.waitForFinished(30000)) << program;
    EXPECT_EQ(run.exitCode(), 0) << program;
    EXPECT_EQ(run.readAllStandardOutput(), AsWritten(expected)) << program;
  }
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
              AsWritten("plover: --port needs a port specification\n"
                        "Try 'plover --help' for more information.\n"));
    EXPECT_TRUE(plover.readAllStandardOutput().isEmpty());
    EXPECT_FALSE(QFile::exists(picture));
  }
}

#ifndef _WIN32  // a standard output that cannot be written: /dev/full
// What --help, --version and --list-ports print must reach standard output: when it cannot be
// written, plover says why and ends with status 1.
TEST(CommandLine, TextThatCannotBeWrittenEndsWithStatusOne) {
  for (const char* option : {"--help", "--version", "--list-ports"}) {
    QProcess plover;
    plover.setStandardOutputFile(QStringLiteral("/dev/full"));
    plover.start(QStringLiteral(PLOVER_PROGRAM), {QString::fromUtf8(option)});
    ASSERT_TRUE(plover.waitForFinished(30000)) << option;
    EXPECT_EQ(plover.exitCode(), 1) << option;
    EXPECT_EQ(plover.readAllStandardError().toStdString(),
              "plover: cannot write standard output: " + std::string(std::strerror(ENOSPC)) + "\n")
        << option;
  }
}
#endif

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
  EXPECT_FALSE(ParseCommandLine(Args({"--help"})).text.contains(QStringLiteral("platform")));
}

}  // namespace
