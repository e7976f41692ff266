// SPDX-License-Identifier: GPL-3.0-or-later
// A row of the table of port backends, and the one place that opens a port from its
// specification.
//
// Each backend is one small file (ppdev_port, direct_port, i2c_dev_port here; the virtual
// board's in sim/); its row names it, says in one line what it is, gives its parameters, parses
// what follows its name in `--port SPEC`, and opens the port. The `--port` parser and the usage
// text are both driven by the table, so adding a backend is adding a file and a row.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bus/i2c_adapter.h"
#include "bus/port.h"
#include "bus/port_spec.h"

namespace bus {

// One parameter or option a backend takes, as --help lists it under the backend's form.
struct PortParameter {
  std::string_view text;         // "DEVICE", "twr=MICROSECONDS"
  std::string_view description;  // one line
};

// How the programs reach the bus through a port.
enum class PortAccess {
  Lines,     // they drive SCL and SDA themselves through registers (Port)
  Messages,  // they hand whole messages to an adapter (I2cAdapter)
};

// An open port: exactly one of the two is set on success.
struct OpenedPort {
  std::unique_ptr<Port> lines;
  std::unique_ptr<I2cAdapter> adapter;
  std::string error;  // on failure, one line naming the port, the system's reason and the remedy

  [[nodiscard]] bool ok() const { return lines != nullptr || adapter != nullptr; }
};

struct PortBackend {
  std::string_view name;         // "ppdev"
  std::string_view form;         // "ppdev[:DEVICE]"
  std::string_view description;  // one line for --help
  bool available;                // false where the backend is not built (direct on non-x86)
  PortAccess access;
  // Fills `spec.settings`, `spec.text` and `spec.kept_files` from the text after the name (empty,
  // or starting with ':' or ','); false with `error` set when it is malformed.
  bool (*parse)(std::string_view argument, PortSpec& spec, std::string& error);
  std::span<const PortParameter> parameters;
  // Opens the port `spec` names. On failure sets `error` of the result to the system's reason and
  // the usual remedy ("Permission denied. Add your ..."); OpenPort puts the port's name in front.
  OpenedPort (*open)(const PortSpec& spec);
};

// Opens the port that `spec` names. Opening is where a device node is opened, ioperm is asked
// for, or the virtual board is powered up from its file.
[[nodiscard]] OpenedPort OpenPort(const PortSpec& spec);

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
// ",khz=N" when the speed is not the default, for a port's canonical text.
[[nodiscard]] std::string SpeedText(const PortSpec& spec);

// The parameter line of khz=N for --help.
inline constexpr PortParameter kSpeedParameter{
    "khz=N", "bus speed kept: 100 (default), 400 fast-mode, 0 off"};

}  // namespace bus
