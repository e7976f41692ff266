// SPDX-License-Identifier: GPL-3.0-or-later
// bus_demo: the bus layer in a few lines. Writes an image to the EEPROM, reads it back, compares,
// and dumps the switch chip's registers, on the port given as the first argument (default: the
// in-memory virtual board, "sim").
//
//   bus_demo                      the virtual board, in memory
//   bus_demo sim:board.bin        the virtual board whose EEPROM lives in board.bin
//   bus_demo ppdev:/dev/parport0  real hardware
#include <cstdio>

#include "bus/bus_connection.h"
#include "ports/port_table.h"

namespace {

void PrintImage(const char* title, const bus::Image& image) {
  std::printf("%s\n", title);
  for (std::size_t i = 0; i < image.size(); ++i) {
    std::printf("%02X%c", image[i], i % 16 == 15 ? '\n' : ' ');
  }
}

bool Report(const char* what, const bus::BusResult& result) {
  if (result.ok()) {
    std::printf("%s: done\n", what);
    return true;
  }
  std::fprintf(stderr, "%s: %s\n", what, bus::DescribeBusResult(result).c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const ports::PortSpecResult spec = ports::ParsePortSpec(argc > 1 ? argv[1] : "sim");
  if (!spec.spec) {
    std::fprintf(stderr, "%s\n", spec.error.c_str());
    return 2;
  }
  bus::BusConnection connection(bus::BusOptions{*spec.spec, "", bus::TimingPolicy::Windowed});

  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i ^ 0x5A);

  bus::Image read_back{};
  bus::Image registers{};
  if (!Report("write EEPROM", connection.WriteEeprom(image)) ||
      !Report("read EEPROM", connection.ReadEeprom(read_back)) ||
      !Report("dump switch registers", connection.DumpSwitchRegisters(registers))) {
    return 1;
  }
  std::printf("verify: %s\n", read_back == image ? "the EEPROM holds the image" : "MISMATCH");
  PrintImage("EEPROM:", read_back);
  PrintImage("switch registers (loaded from the EEPROM at power-up):", registers);
  return read_back == image ? 0 : 1;
}
