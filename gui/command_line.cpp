// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/command_line.h"

#include <QCommandLineParser>
#include <vector>

#include "ports/port_spec.h"
#include "bus/trace_checks.h"
#include "gui/resource_ids.h"
#include "gui/resources.h"
#include "ports/port_listing.h"
#include "ports/port_table.h"

#ifndef PLOVER_VERSION
#define PLOVER_VERSION "0"
#endif

namespace plover {

namespace {

QString EndWithLineBreak(QString text) {
  if (!text.endsWith(u'\n')) text += u'\n';
  return text;
}

CommandLine Refuse(const QString& why) {
  CommandLine result;
  result.action = CommandLineAction::Refuse;
  result.text = EndWithLineBreak(QStringLiteral("plover: ") + why) +
                QStringLiteral("Try 'plover --help' for more information.\n");
  return result;
}

// The commands --screenshot-of names.
shell::CommandId CommandNamed(const QString& name) {
  if (name == QStringLiteral("verify")) return ID_TOOLS_VERIFY;
  if (name == QStringLiteral("upload")) return ID_TOOLS_UPLOAD;
  if (name == QStringLiteral("download")) return ID_TOOLS_DOWNLOAD;
  if (name == QStringLiteral("modify")) return ID_TOOLS_MODIFY;
  if (name == QStringLiteral("program-defaults")) return ID_PROGRAM_DEFAULTS;
  if (name == QStringLiteral("about")) return shell::ID_APP_ABOUT;
  if (name == QStringLiteral("port")) return ID_TOOLS_PORT;
  return 0;
}

}  // namespace

QString TraceProblemOf(const CommandLine& line) {
  if (line.bus.trace_file.empty()) return {};
  // A trace is made by truncating its file: it must not be one the program reads or keeps.
  std::vector<bus::ProgramFile> files{{kDefaultsFileName, "the defaults file"}};
  if (!line.file.isEmpty()) {
    files.push_back({line.file.toStdString(), "the data file"});
  }
  return QString::fromStdString(bus::TraceProblem(line.bus.trace_file, line.bus.port, files));
}

QString VersionText() { return QStringLiteral("plover %1").arg(QStringLiteral(PLOVER_VERSION)); }

CommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Windowed programmer of the switch board's configuration EEPROM, over the\n"
      "parallel port or an I2C adapter."));
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help_option({QStringLiteral("h"), QStringLiteral("help")},
                                       QStringLiteral("Show this help and exit."));
  const QCommandLineOption version_option(QStringLiteral("version"),
                                          QStringLiteral("Show the version and exit."));
  const QCommandLineOption port_option(
      QStringLiteral("port"),
      QStringLiteral("The port of the device commands, in one of the forms below, for this run. "
                     "Without it: the port last chosen with Tools > Port..., else the default."),
      QStringLiteral("SPEC"));
  const QCommandLineOption list_ports_option(
      QStringLiteral("list-ports"),
      QStringLiteral("List the ports this machine offers, with the --port value of each, and "
                     "exit."));
  const QCommandLineOption trace_option(
      QStringLiteral("trace"),
      QStringLiteral("Record every port access of the device commands in FILE (a VCD waveform "
                     "when FILE ends in .vcd, otherwise a text log; through an I2C adapter, a "
                     "text log of its messages)."),
      QStringLiteral("FILE"));
  const QCommandLineOption screenshot_option(
      QStringLiteral("screenshot"),
      QStringLiteral("Write a picture of the main window to PNG once it is shown and the FILE is "
                     "loaded, then exit (used to make the documentation's screenshots)."),
      QStringLiteral("PNG"));
  const QCommandLineOption program_defaults_option(
      QStringLiteral("program-defaults"),
      QStringLiteral("Once the main window is shown, load default.dat from the current directory "
                     "into the image and write it to the EEPROM, as a production line would."));
  QCommandLineOption screenshot_of_option(
      QStringLiteral("screenshot-of"),
      QStringLiteral("With --screenshot: run COMMAND (verify, upload, download, modify, "
                     "program-defaults, about, port) first and take the dialog it opens, if any."),
      QStringLiteral("COMMAND"));
  screenshot_of_option.setFlags(QCommandLineOption::HiddenFromHelp);
  // Qt's own -platform NAME, which the application object takes from the arguments itself
  // (-platform offscreen runs with no window system, as the tests do, under Wine too).
  QCommandLineOption platform_option(QStringLiteral("platform"),
                                     QStringLiteral("Qt's platform plugin NAME."),
                                     QStringLiteral("NAME"));
  platform_option.setFlags(QCommandLineOption::HiddenFromHelp);
  parser.addOption(help_option);
  parser.addOption(version_option);
  parser.addOption(port_option);
  parser.addOption(trace_option);
  parser.addOption(list_ports_option);
  parser.addOption(screenshot_option);
  parser.addOption(program_defaults_option);
  parser.addOption(screenshot_of_option);
  parser.addOption(platform_option);
  parser.addPositionalArgument(
      QStringLiteral("FILE"),
      QStringLiteral("A data file (128 bytes), or an Intel HEX or S-record file, to open "
                     "at start."),
      QStringLiteral("[FILE]"));

  if (!parser.parse(arguments)) return Refuse(parser.errorText());

  CommandLine result;
  if (parser.isSet(help_option)) {
    result.action = CommandLineAction::ShowHelp;
    // The parser names the program after the path it was started by (or a placeholder before
    // the application object exists); the usage line names it plainly.
    result.text = parser.helpText();
    const qsizetype name_start = result.text.indexOf(u' ') + 1;
    const qsizetype name_end = result.text.indexOf(QStringLiteral(" [options]"));
    if (name_start > 0 && name_end > name_start) {
      result.text.replace(name_start, name_end - name_start, QStringLiteral("plover"));
    }
    result.text = EndWithLineBreak(result.text) + QStringLiteral("\nForms of --port SPEC:\n") +
                  EndWithLineBreak(QString::fromStdString(ports::PortSpecUsage()));
    return result;
  }
  if (parser.isSet(list_ports_option)) {
    result.action = CommandLineAction::ListPorts;
    result.text = QString::fromStdString(ports::PortListing(ports::FindPorts()));
    return result;
  }
  if (parser.isSet(version_option)) {
    result.action = CommandLineAction::ShowVersion;
    result.text = VersionText() + u'\n';
    return result;
  }

  const QStringList positional = parser.positionalArguments();
  if (positional.size() > 1) {
    return Refuse(QStringLiteral("only one FILE can be opened, got %1").arg(positional.size()));
  }
  if (!positional.isEmpty()) {
    if (positional.front().isEmpty()) return Refuse(QStringLiteral("the FILE name is empty"));
    result.file = positional.front();
  }

  // An empty --port (as from a script's unset variable) is no choice of the default port: that
  // would drive real hardware nobody asked for.
  if (parser.isSet(port_option) && parser.value(port_option).isEmpty()) {
    return Refuse(QStringLiteral("--port needs a port specification"));
  }
  result.bus.port = ports::DefaultPortSpec();
  result.port_given = parser.isSet(port_option);
  if (result.port_given) {
    const ports::PortSpecResult port =
        ports::ParsePortSpec(parser.value(port_option).toStdString());
    if (!port.spec) return Refuse(QString::fromStdString(port.error));
    result.bus.port = *port.spec;
  }
  result.bus.timing = bus::TimingPolicy::Windowed;

  if (parser.isSet(trace_option)) {
    result.bus.trace_file = parser.value(trace_option).toStdString();
    if (result.bus.trace_file.empty()) return Refuse(QStringLiteral("--trace needs a file name"));
    const QString problem = TraceProblemOf(result);
    if (!problem.isEmpty()) return Refuse(problem);
  }
  if (parser.isSet(screenshot_option)) {
    result.screenshot = parser.value(screenshot_option);
    if (result.screenshot.isEmpty())
      return Refuse(QStringLiteral("--screenshot needs a file name"));
  }
  result.program_defaults = parser.isSet(program_defaults_option);
  if (parser.isSet(screenshot_of_option)) {
    const QString name = parser.value(screenshot_of_option);
    result.screenshot_command = CommandNamed(name);
    if (result.screenshot_command == 0) {
      return Refuse(QStringLiteral("--screenshot-of: unknown command '%1'").arg(name));
    }
    if (result.screenshot.isEmpty()) {
      return Refuse(QStringLiteral("--screenshot-of needs --screenshot PNG"));
    }
  }
  return result;
}

}  // namespace plover
