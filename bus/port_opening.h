// SPDX-License-Identifier: GPL-3.0-or-later
// A port as the bus layer takes it: the value a --port SPEC was parsed to (by the backend table
// in ports/), which says how the port is opened, and the open port, whose lines the programs
// drive (Port) or to which they hand whole messages (I2cAdapter). The bus layer knows no backend.
#pragma once

#include <any>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bus/i2c_adapter.h"
#include "bus/port.h"

namespace bus {

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

struct PortSpec {
  std::string_view kind;                 // the name of the backend that took it ("ppdev")
  PortAccess access = PortAccess::Lines;
  // The backend's opening; on failure it sets the result's error to the system's reason and the
  // usual remedy, and OpenPort puts the port's name in front. Null: no port was named.
  OpenedPort (*open)(const PortSpec& spec) = nullptr;
  std::string text;                      // the canonical written form, to name the port
  std::any settings;                     // what the backend parsed, in its own type
  std::vector<std::string> kept_files;   // files the port reads and writes (a board file)
  std::string device_node;               // the device node the port opens, if it opens one
  // The device the port reaches, as far as is known without opening it, so that two --port
  // values reaching one device by two roads are caught: its kind ("parallel port", "CH341A")
  // and where it is ("0x378", a USB port path); where empty: the only one of its kind.
  std::string device_kind;
  std::string device_where;
  unsigned bus_khz = 100;                // the bus speed whose phase minimums the floor keeps,
                                         // for a port whose lines the programs drive; 0: off

  [[nodiscard]] const std::string& Text() const { return text; }
  // The backend's own settings; `Settings` must be the type its parser stored.
  template <typename Settings>
  [[nodiscard]] const Settings& SettingsAs() const {
    return std::any_cast<const Settings&>(settings);
  }
  // True when the programs drive the bus lines through this port themselves.
  [[nodiscard]] bool DrivesLines() const { return open != nullptr && access == PortAccess::Lines; }
};

// Opens the port that `spec` names. Opening is where a device node is opened, ioperm is asked
// for, or the virtual board is powered up from its file.
[[nodiscard]] OpenedPort OpenPort(const PortSpec& spec);

}  // namespace bus
