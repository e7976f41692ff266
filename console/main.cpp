// SPDX-License-Identifier: GPL-3.0-or-later
// 30p: the console programmer. Parses the options, then runs either the dialogue on standard
// input and standard output, or the batch operations of the command line.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "bus/bus_connection.h"
#include "console/batch_command.h"
#include "console/console_output.h"
#include "console/input_reader.h"
#include "console/options.h"
#include "console/run_console.h"
#include "platform/process_guards.h"
#include "platform/stop_signals.h"
#include "platform/terminal.h"
#include "ports/port_listing.h"

#ifndef PLOVER_VERSION
#define PLOVER_VERSION "unknown"
#endif

namespace {

constexpr int kRefusedExitStatus = 2;

void WriteText(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

// Prints the text of --help, --version or --list-ports and gives the exit status: 0 when all of
// it reached standard output, else 1 after saying why on standard error.
int ShowText(const std::string& text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0) {
    return 0;
  }
  const std::string reason = std::strerror(errno);
  WriteText(stderr, "30p: cannot write standard output: " + reason + "\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  platform::GuardStandardDescriptors();
  platform::IgnoreOutputSignals();
  const console::OptionsResult parsed = console::ParseOptions(argc, argv);
  switch (parsed.action) {
    case console::OptionsAction::Refuse:
      WriteText(stderr, console::RefusalText(parsed.error));
      return kRefusedExitStatus;
    case console::OptionsAction::ShowHelp:
      return ShowText(console::HelpText());
    case console::OptionsAction::ShowVersion:
      return ShowText(std::string("30p ") + PLOVER_VERSION + "\n");
    case console::OptionsAction::ListPorts:
      return ShowText(ports::PortListing(ports::FindPorts()));
    case console::OptionsAction::Run:
    case console::OptionsAction::RunBatch:
      break;
  }

  if (parsed.action == console::OptionsAction::RunBatch) {
    // A station stops between boards, never in the middle of one.
    if (parsed.options.station.repeat) platform::CatchStopSignals();
    console::FileOutput out(stdout);
    console::FileOutput err(stderr);
    const int status = console::RunBatchCommand(
        parsed.options, {out, err, platform::IsTerminal(platform::StandardStream::Error)},
        platform::StopRequested);
    return console::StatusAfterOutput(status, out, err);
  }
  bus::BusConnection bus(
      bus::BusOptions{parsed.options.port, parsed.options.trace_file, bus::TimingPolicy::Console});
  console::FileOutput out(stdout);
  console::FdSource source(STDIN_FILENO);
  console::InputReader in(source, &out);
  console::ConsoleSettings settings;
  settings.terminal = platform::IsTerminal(platform::StandardStream::Output);
  const int status = console::RunConsole(in, out, bus, settings);
  console::FileOutput err(stderr);
  return console::StatusAfterOutput(status, out, err);
}
