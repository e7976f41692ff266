// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/options.h"

#include <string_view>
#include <utility>

#include "bus/trace_checks.h"
#include "console/command_line_values.h"
#include "console/data_files.h"
#include "ports/port_table.h"

namespace console {

namespace {

OptionsResult Refused(std::string error) {
  return {OptionsAction::Refuse, {}, std::move(error)};
}

// After the whole command line: the batch plan is whole and the trace is no file the run keeps.
OptionsResult Checked(OptionsResult result) {
  const BatchPlan& batch = result.options.batch;
  if (const std::string problem = CheckBatchPlan(batch); !problem.empty()) {
    return Refused("30p: " + problem + "\n");
  }
  const Options& options = result.options;
  if (const std::string problem =
          StationProblem(options.ports, options.trace_file, batch, options.station);
      !problem.empty()) {
    return Refused("30p: " + problem + "\n");
  }
  for (const bus::PortSpec& port : options.BatchPorts()) {
    if (const std::string problem = BatchOutputProblem(port, batch); !problem.empty()) {
      return Refused("30p: " + problem + "\n");
    }
  }
  if (!batch.operations.empty()) {
    result.action = OptionsAction::RunBatch;
  }
  // A trace is made by truncating its file: it must not be one the program reads or keeps. The
  // menu keeps the default data file; a batch run does not use it, but has its own files.
  if (!result.options.trace_file.empty()) {
    const std::string problem =
        batch.operations.empty()
            ? bus::TraceProblem(result.options.trace_file, result.options.port,
                                {{kDefaultDataFile, "the default data file"}})
            : BatchTraceProblem(result.options.trace_file, result.options.port, batch);
    if (!problem.empty()) return Refused("30p: " + problem + "\n");
  }
  return result;
}

}  // namespace

std::vector<bus::PortSpec> Options::BatchPorts() const {
  return ports.empty() ? std::vector<bus::PortSpec>{port} : ports;
}

OptionsResult ParseOptions(int argc, const char* const* argv) {
  OptionsResult result;
  for (int index = 1; index < argc; ++index) {
    const std::string_view argument = argv[index];
    std::string value;
    bool missing = false;
    if (argument == "--help" || argument == "-h") {
      result.action = OptionsAction::ShowHelp;
      return result;
    }
    if (argument == "--version") {
      result.action = OptionsAction::ShowVersion;
      return result;
    }
    if (argument == "--list-ports") {
      result.action = OptionsAction::ListPorts;
      return result;
    }
    if (TakeOptionValue(argc, argv, index, "--port", value, missing)) {
      if (missing) {
        return {OptionsAction::Refuse, {}, "30p: --port needs a port specification\n"};
      }
      // An empty value is most likely an unset variable in a script: taking it as the default
      // port would quietly drive real hardware.
      if (value.empty()) {
        return {OptionsAction::Refuse, {},
                "30p: --port needs a port specification, and the one given is empty\n"
                "30p: leave --port out to use the default port\n"};
      }
      ports::PortSpecResult spec = ports::ParsePortSpec(value);
      if (!spec.spec) {
        return {OptionsAction::Refuse, {}, "30p: " + EndWithLineBreak(spec.error)};
      }
      if (result.options.ports.empty()) result.options.port = *spec.spec;
      result.options.ports.push_back(*spec.spec);
      continue;
    }
    if (TakeOptionValue(argc, argv, index, "--trace", value, missing)) {
      if (missing || value.empty()) {
        return {OptionsAction::Refuse, {}, "30p: --trace needs a file name\n"};
      }
      result.options.trace_file = value;
      continue;
    }
    std::string batch_error;
    BatchOptionTake taken =
        TakeStationOption(argc, argv, index, result.options.station, batch_error);
    if (taken == BatchOptionTake::NotBatch) {
      taken = TakeBatchOption(argc, argv, index, result.options.batch, batch_error);
    }
    switch (taken) {
      case BatchOptionTake::Taken:
        continue;
      case BatchOptionTake::Refused:
        return Refused("30p: " + batch_error + "\n");
      case BatchOptionTake::NotBatch:
        break;
    }
    if (!argument.empty() && argument[0] == '-') {
      return {OptionsAction::Refuse, {}, "30p: unknown option '" + std::string(argument) + "'\n"};
    }
    return {OptionsAction::Refuse, {},
            "30p: unexpected argument '" + std::string(argument) + "'\n"};
  }
  return Checked(std::move(result));
}

std::string UsageLine() {
  return "Usage: 30p [--port SPEC] [--trace FILE] [--list-ports] [--help] [--version]\n"
         "   or: 30p [--port SPEC] [--trace FILE] [--format WORD] [--all] [--no-verify]\n"
         "           [--page-size N] [--quiet] OPERATION... [--repeat [--count N]]\n"
         "           [--log FILE]\n";
}

std::string HelpText() {
  return UsageLine() +
         "\n"
         "Programs and reads back the 128-byte configuration EEPROM of the LX5030P switch\n"
         "on the LX5030Q demo board, and reads the switch chip's registers, over the\n"
         "two-wire bus of the parallel printer port. At start it lists 30p.dat from the\n"
         "current folder; then a numbered menu runs the commands.\n"
         "\n"
         "Given one or more OPERATIONs, 30p runs them in the order given instead, without\n"
         "the menu and without 30p.dat, and exits with status 0 when all succeeded, 1 when\n"
         "one failed (the ones after it are not run), 2 when the command line is wrong.\n"
         "Every file an operation reads is read and checked before the board is touched.\n"
         "\n"
         "Operations:\n"
         "  --write FILE        write the image in FILE to the EEPROM: read the EEPROM,\n"
         "                      write only the addresses whose bytes differ, then read it\n"
         "                      back and verify the addresses FILE holds\n"
         "  --read FILE         read the EEPROM into FILE; FILE is replaced only when the\n"
         "                      read succeeded\n"
         "  --verify FILE       compare the EEPROM with FILE; each address that differs\n"
         "                      is printed on standard output as a line\n"
         "                      \"address A: file XX, EEPROM YY\" (A decimal, XX and YY hex)\n"
         "  --read-switch FILE  read the switch chip's 128 registers into FILE, as --read\n"
         "                      does\n"
         "  --probe             check the SDA line, then whether the EEPROM (0x50) and the\n"
         "                      switch chip (0x5F) answer; fails unless all three are good\n"
         "\n"
         "Batch options:\n"
         "  --all          every --write writes every address its file holds, unread\n"
         "  --no-verify    no --write reads back what it wrote\n"
         "  --page-size N  every --write sends up to N bytes (1, 2, 4, 8 or 16) of one\n"
         "                 EEPROM page in one write cycle, never across a page boundary;\n"
         "                 default 1, byte writes. Too large a page size for the EEPROM\n"
         "                 shows in the read-back, which says so (and which page writes\n"
         "                 always have: no --no-verify)\n"
         "  --format WORD  every FILE is in this format: raw, ihex or srec. Without it the\n"
         "                 name says: .hex .ihex .ihx Intel HEX; .srec .s19 .s28 .s37 .mot\n"
         "                 Motorola S-record; other names raw binary (128 bytes exactly)\n"
         "  --quiet        print only failures: no progress, no line per operation\n"
         "Messages and progress go to standard error.\n"
         "\n"
         "Several boards, a station, a log:\n"
         "  --port SPEC    given more than once: the operations run on every board at\n"
         "                 once; each board's lines start with its port, and a line per\n"
         "                 board and a count end the run (exit status 0 only when every\n"
         "                 board passed)\n"
         "  --repeat       on each port, wait for a board (a probe every 250 ms), run the\n"
         "                 operations, print \"==== PASS: board N ====\" or FAIL, wait until\n"
         "                 the board is taken away, and start over; Ctrl-C (SIGINT) or\n"
         "                 SIGTERM stops at the next wait, never during a write\n"
         "  --count N      with --repeat: stop after N boards on each port\n"
         "  --log FILE     append one JSON line per operation per board to FILE: time,\n"
         "                 host, port, operation, file, SHA-256 of the image, result,\n"
         "                 addresses written and differing, bus and wall time, message\n"
         "--read and --read-switch take one board: not with several --port or --repeat.\n"
         "--trace takes one port.\n"
         "\n"
         "Options:\n"
         "  --port SPEC    the port the board hangs on (see below); the port is opened\n"
         "                 at the first bus operation\n"
         "  --trace FILE   record every port access of the bus operations in FILE\n"
         "                 (a VCD waveform when FILE ends in .vcd, otherwise a text log;\n"
         "                 through an I2C adapter, a text log of its messages)\n"
         "  --list-ports   list the ports this machine offers and exit\n"
         "  --help         show this help and exit\n"
         "  --version      show the version and exit\n"
         "\n"
         "Port specifications:\n" +
         EndWithLineBreak(ports::PortSpecUsage());
}

std::string RefusalText(const std::string& error) {
  return EndWithLineBreak(error) + UsageLine() + "Try '30p --help' for more information.\n";
}

}  // namespace console
