// The port specification that both programs take as `--port SPEC`, parsed in this one place.
//
//   ppdev[:DEVICE]          Linux parallel-port device, default /dev/parport0
//   direct[:ADDRESS]        x86 port instructions at ADDRESS (default 0x378), needs root
//   sim[:FILE][,OPTION...]  the virtual board; FILE holds the EEPROM's 128 bytes
//   (nothing)               ppdev:/dev/parport0 where that node exists, otherwise direct:0x378
//
// Parsing opens nothing: the port is opened at the first bus operation (see BusConnection).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/board_options.h"

namespace bus {

enum class PortKind { Ppdev, Direct, Sim };

struct PortSpec {
  PortKind kind = PortKind::Ppdev;
  std::string device = "/dev/parport0";  // ppdev: the device node
  std::uint16_t address = 0x378;         // direct: the data register's I/O address
  sim::BoardOptions board;               // sim: the board file and fault options

  // The port specification in its canonical written form, e.g. "ppdev:/dev/parport0", "direct:0x378",
  // "sim:board.bin,twr=100". Used to name the port in messages.
  [[nodiscard]] std::string Text() const;
};

struct PortSpecResult {
  std::optional<PortSpec> spec;  // set on success
  std::string error;             // on failure: what is wrong, followed by PortSpecUsage()
};

// Parses SPEC. An empty text gives DefaultPortSpec().
[[nodiscard]] PortSpecResult ParsePortSpec(std::string_view text);

// ppdev:/dev/parport0 where that device node exists, otherwise direct:0x378.
[[nodiscard]] PortSpec DefaultPortSpec();

// The accepted forms, one per line, built from the backend table; for error messages and --help.
[[nodiscard]] std::string PortSpecUsage();

}  // namespace bus
