// SPDX-License-Identifier: GPL-3.0-or-later
// The port specification that both programs take as `--port SPEC`, the row of the table of port
// backends, the parser and usage text driven by a table, and the one place that opens a port.
//
// A specification names a backend and what that backend takes after its name, e.g.
// "ppdev:/dev/parport1", "direct:0x278", "sim:board.bin,twr=100". Each backend is one small file
// in ports/ with one row: its name, what it is in one line, its parameters, how it parses what
// follows its name, how it opens the port, and how it finds the ports of its kind on this machine
// for --list-ports. The parser, the usage text and the listing are driven by whatever table they
// are given, so the bus layer knows no backend, and adding a backend is adding a file and a row.
//
// Parsing opens nothing: the port is opened at the first bus operation (see BusConnection).
#pragma once

#include <any>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bus/bus_result.h"
#include "bus/port_opening.h"
#include "bus/timing_floor.h"

namespace ports {

// The parsed --port value and the open port, as the bus layer takes them, and what the
// backends hand it.
using bus::BusDevice;
using bus::BusFault;
using bus::BusResult;
using bus::I2cAdapter;
using bus::I2cMessage;
using bus::kDefaultBusKhz;
using bus::kFastestBusKhz;
using bus::OpenedPort;
using bus::Port;
using bus::PortAccess;
using bus::PortSpec;

struct PortBackend;

// One parameter or option a backend takes, as --help lists it under the backend's form.
struct PortParameter {
  std::string_view text;         // "DEVICE", "twr=MICROSECONDS"
  std::string_view description;  // one line
};

// A port that a backend found on this machine, for --list-ports.
struct ListedPort {
  std::string spec;         // "ppdev:/dev/parport0", "i2c:/dev/i2c-1", "sim[:FILE]"
  std::string description;  // "parallel port parport0", the adapter's name
  std::string access;       // "you may open it", or why not and the remedy
  std::string device;       // the device it reaches ("parport0"), so that ports of one device
                            // stand together in the listing; empty for none
  const PortBackend* backend = nullptr;  // the row that found it (set by the listing)
};

// Where the machine shows its ports; tests point them at folders of their own.
struct SystemRoots {
  std::string dev = "/dev";
  std::string sys = "/sys";
  std::string proc = "/proc";
};

struct PortBackend {
  std::string_view name;         // "ppdev"
  std::string_view form;         // "ppdev[:DEVICE]"
  std::string_view description;  // one line for --help
  bool available;                // false where it cannot work here (direct on non-x86)
  PortAccess access;
  // Fills `spec.settings`, `spec.text` and `spec.kept_files` from the text after the name (empty,
  // or starting with ':' or ','); false with `error` set when it is malformed.
  bool (*parse)(std::string_view argument, PortSpec& spec, std::string& error);
  std::span<const PortParameter> parameters;
  // Opens the port `spec` names. On failure sets `error` of the result to the system's reason and
  // the usual remedy ("Permission denied. Add your ..."); OpenPort puts the port's name in front.
  OpenedPort (*open)(const PortSpec& spec);
  // The ports of this kind on this machine, each with the --port value that selects it.
  std::vector<ListedPort> (*find)(const SystemRoots& roots);
  // What --list-ports says when `find` finds none: how to get one; empty to say nothing.
  std::string_view none_found;
  // A specification this row accepts, which opens on a system that has the device (the test every
  // row gets opens it on the fake system).
  std::string_view example;
};

// The part of a backend's argument after its name: an optional ":MAIN" and ",OPTION"s.
struct PortArgument {
  std::optional<std::string_view> main;   // after ':' up to the first ','; may be empty
  std::vector<std::string_view> options;  // each may be empty (two commas, a comma at the end)
};
[[nodiscard]] PortArgument SplitPortArgument(std::string_view argument);

// A number in --port: decimal digits, leading zeros allowed (a number is its digits' value), at
// most `highest`. Sets `value` only when it is Taken; a string of digits of any length is judged
// by its value, never wrapped around.
enum class DecimalOption { Taken, NotDigits, OutOfRange };
[[nodiscard]] DecimalOption ParseDecimalOption(std::string_view digits, std::uint64_t highest,
                                               std::uint64_t& value);

// The option every port whose lines the programs drive takes: khz=N, the bus speed whose phase
// minimums the timing floor keeps (0 to 400; 0 turns the floor off). True when `option` is one
// (then `error` is set if its number is bad); false for any other option.
bool TakeSpeedOption(std::string_view option, PortSpec& spec, std::string& error);
// The options of a backend whose only option is khz=N; false with `error` set to the speed's
// fault, or to `refusal` for any other option.
bool TakeOnlySpeedOptions(const std::vector<std::string_view>& options, PortSpec& spec,
                          std::string_view refusal, std::string& error);
// The argument of a backend that takes an optional ":MAIN" and khz=N alone (ppdev, direct):
// `main` is what follows ':' (nothing without one). False with `error` set to the speed's fault,
// "NAME takes one option, khz=N: FORM" for another option, or "the WHAT is missing after
// 'NAME:'" for an empty MAIN.
bool ParseMainAndSpeed(std::string_view argument, std::string_view name, std::string_view form,
                       std::string_view what, PortSpec& spec,
                       std::optional<std::string_view>& main, std::string& error);
// ",khz=N" when the speed is not the default, for a port's canonical text.
[[nodiscard]] std::string SpeedText(const PortSpec& spec);

// The parameter line of khz=N for --help.
inline constexpr PortParameter kSpeedParameter{
    "khz=N", "bus speed kept: 100 (default), 400 fast-mode, 0 off"};

struct PortSpecResult {
  std::optional<PortSpec> spec;  // set on success
  std::string error;             // on failure: what is wrong, then the accepted forms
};

// A table of backends, and the line --help shows for the port used without --port.
struct PortTable {
  std::span<const PortBackend* const> backends;
  PortParameter no_port;  // {"(no --port)", what that port is}

  [[nodiscard]] auto begin() const { return backends.begin(); }
  [[nodiscard]] auto end() const { return backends.end(); }
  [[nodiscard]] std::size_t size() const { return backends.size(); }
  [[nodiscard]] const PortBackend* operator[](std::size_t index) const { return backends[index]; }
};

// A value of `backend` with what the bus layer needs to open it; its parser fills the rest.
[[nodiscard]] PortSpec SpecOf(const PortBackend& backend);

// Parses SPEC against `table`.
[[nodiscard]] PortSpecResult ParsePortSpecIn(const PortTable& table, std::string_view text);

// The accepted forms, one per line with their parameters, built from `table`; for error
// messages and --help. Ends with the table's line for no --port.
[[nodiscard]] std::string PortSpecUsageOf(const PortTable& table);

}  // namespace ports
