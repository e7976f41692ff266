#include "console/options.h"

#include <string_view>

#include "bus/trace_checks.h"
#include "console/data_files.h"
#include "ports/port_table.h"

namespace console {

namespace {

// The value of an option given as "--name VALUE" or "--name=VALUE"; advances `index` past it.
// False when the option is not `name`; `missing` is set when the value is not there.
bool TakeValue(int argc, const char* const* argv, int& index, std::string_view name,
               std::string& value, bool& missing) {
  const std::string_view argument = argv[index];
  if (argument == name) {
    if (index + 1 >= argc) {
      missing = true;
      return true;
    }
    value = argv[++index];
    return true;
  }
  if (argument.size() > name.size() && argument.substr(0, name.size()) == name &&
      argument[name.size()] == '=') {
    value = std::string(argument.substr(name.size() + 1));
    return true;
  }
  return false;
}

std::string EndWithLineBreak(std::string text) {
  if (!text.empty() && text.back() != '\n') {
    text += '\n';
  }
  return text;
}

}  // namespace

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
    if (TakeValue(argc, argv, index, "--port", value, missing)) {
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
      bus::PortSpecResult spec = ports::ParsePortSpec(value);
      if (!spec.spec) {
        return {OptionsAction::Refuse, {}, "30p: " + EndWithLineBreak(spec.error)};
      }
      result.options.port = *spec.spec;
      continue;
    }
    if (TakeValue(argc, argv, index, "--trace", value, missing)) {
      if (missing || value.empty()) {
        return {OptionsAction::Refuse, {}, "30p: --trace needs a file name\n"};
      }
      result.options.trace_file = value;
      continue;
    }
    if (!argument.empty() && argument[0] == '-') {
      return {OptionsAction::Refuse, {}, "30p: unknown option '" + std::string(argument) + "'\n"};
    }
    return {OptionsAction::Refuse, {},
            "30p: unexpected argument '" + std::string(argument) + "'\n"};
  }
  // A trace is made by truncating its file: it must not be one the program reads or keeps.
  if (!result.options.trace_file.empty()) {
    const std::string problem =
        bus::TraceProblem(result.options.trace_file, result.options.port,
                          {{kDefaultDataFile, "the default data file"}});
    if (!problem.empty()) return {OptionsAction::Refuse, {}, "30p: " + problem + "\n"};
  }
  return result;
}

std::string UsageLine() {
  return "Usage: 30p [--port SPEC] [--trace FILE] [--list-ports] [--help] [--version]\n";
}

std::string HelpText() {
  return UsageLine() +
         "\n"
         "Programs and reads back the 128-byte configuration EEPROM of the LX5030P switch\n"
         "on the LX5030Q demo board, and reads the switch chip's registers, over the\n"
         "two-wire bus of the parallel printer port. At start it lists 30p.dat from the\n"
         "current folder; then a numbered menu runs the commands.\n"
         "\n"
         "Options:\n"
         "  --port SPEC    the port the board hangs on (see below); the port is opened at the\n"
         "                 first bus operation\n"
         "  --trace FILE   record every port access of the bus operations in FILE\n"
         "                 (a VCD waveform when FILE ends in .vcd, otherwise a text log; through\n"
         "                 an I2C adapter, a text log of its messages)\n"
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
