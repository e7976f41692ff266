// SPDX-License-Identifier: GPL-3.0-or-later
// plover's command line:
//   plover [--port SPEC] [--trace FILE] [--program-defaults] [--list-ports] [--screenshot PNG]
//          [FILE]
#pragma once

#include <QString>
#include <QStringList>

#include "bus/bus_connection.h"
#include "gui/shell/command_ids.h"

namespace plover {

enum class CommandLineAction {
  Run,          // start the program
  // These three print `text` on standard output and exit 0, or 1 when it cannot be written.
  ShowHelp,
  ShowVersion,
  ListPorts,    // `text` is the ports this machine offers
  Refuse,       // print `text` on standard error, exit 2
};

struct CommandLine {
  CommandLineAction action = CommandLineAction::Run;
  QString text;         // what to print for ShowHelp, ShowVersion and Refuse (ends with '\n')
  bus::BusOptions bus;  // --port (the default port without it) and --trace; windowed timing
  // --port was given: it wins over the stored choice, for this run.
  bool port_given = false;
  QString file;         // the data file to open at start
  QString screenshot;   // --screenshot: where to write a picture of the main window
  bool program_defaults = false;  // --program-defaults: run that command once the window shows
  // --screenshot-of COMMAND (not listed in the help): the command to run before the picture is
  // taken; when it opens a dialog, the picture is of that dialog. 0: none.
  shell::CommandId screenshot_command = 0;
};

inline constexpr int kBadCommandLineExit = 2;

// Parses `arguments` (the program name first). Needs no application object.
[[nodiscard]] CommandLine ParseCommandLine(const QStringList& arguments);

// Empty when the trace of `line` (if any) may be written beside its port, its FILE and the
// defaults file; else why not, in one line.
[[nodiscard]] QString TraceProblemOf(const CommandLine& line);

// "plover 1.1.0"
[[nodiscard]] QString VersionText();

}  // namespace plover
