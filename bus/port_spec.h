// SPDX-License-Identifier: GPL-3.0-or-later
// The port specification that both programs take as `--port SPEC`, and its parser.
//
// A specification names a backend and what that backend takes after its name, e.g.
// "ppdev:/dev/parport1", "direct:0x278", "sim:board.bin,twr=100". The backends form a table (see
// port_backends.h); the parser and the usage text are driven by whatever table they are given,
// so the bus layer knows nothing of the backends that live elsewhere (the virtual board's).
//
// Parsing opens nothing: the port is opened at the first bus operation (see BusConnection).
#pragma once

#include <any>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace bus {

struct PortBackend;

struct PortSpec {
  const PortBackend* backend = nullptr;  // the row of the backend table that took it
  std::string text;                      // the canonical written form, to name the port
  std::any settings;                     // what the backend parsed, in its own type
  std::vector<std::string> kept_files;   // files the port reads and writes (a board file)
  std::string device_node;               // the device node the port opens, if it opens one
  unsigned bus_khz = 100;                // the bus speed whose phase minimums the floor keeps,
                                         // for a port whose lines the programs drive; 0: off

  [[nodiscard]] const std::string& Text() const { return text; }
  // The backend's own settings; `Settings` must be the type its parser stored.
  template <typename Settings>
  [[nodiscard]] const Settings& SettingsAs() const {
    return std::any_cast<const Settings&>(settings);
  }
  // True when the programs drive the bus lines through this port themselves.
  [[nodiscard]] bool DrivesLines() const;
};

struct PortSpecResult {
  std::optional<PortSpec> spec;  // set on success
  std::string error;             // on failure: what is wrong, then the accepted forms
};

using PortTable = std::span<const PortBackend* const>;

// Parses SPEC against `table`.
[[nodiscard]] PortSpecResult ParsePortSpecIn(PortTable table, std::string_view text);

// The accepted forms, one per line with their parameters, built from `table`; for error
// messages and --help. Ends with the line for no --port.
[[nodiscard]] std::string PortSpecUsageOf(PortTable table);

// The port used without --port: ppdev:/dev/parport0 where that device node exists, otherwise
// direct:0x378 (on x86).
[[nodiscard]] PortSpec DefaultPortSpec();

}  // namespace bus
