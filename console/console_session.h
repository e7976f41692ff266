// SPDX-License-Identifier: GPL-3.0-or-later
// ConsoleSession: everything the start-up, the menu loop and the commands work on.
//
// The two program-wide buffers live here, all zero at start, for the whole run; the reader, the
// output, the bus connection and the file opener are the program's (or a test's) and outlive it.
// The commands reach the bus connection only through `bus`, which flushes the output first.
#pragma once

#include "bus/bus_connection.h"
#include "bus/image.h"
#include "console/console_bus.h"
#include "console/console_output.h"
#include "console/data_files.h"
#include "console/image_listing.h"
#include "console/input_reader.h"

namespace console {

// Whether the dialogue goes on after a step: Quit when the user left the menu or input ended.
enum class Flow { Continue, Quit };

struct ConsoleSession {
  ConsoleSession(InputReader& input, ConsoleOutput& output, bus::BusConnection& connection,
                 FileOpener& file_opener, bool on_terminal)
      : in(input),
        out(output),
        bus(connection, output),
        files(file_opener),
        terminal(on_terminal) {}

  InputReader& in;
  ConsoleOutput& out;
  ConsoleBus bus;
  FileOpener& files;
  bool terminal;  // standard output is a terminal (see ImageListing)

  bus::Image EepromImage{};    // the working image; index = EEPROM word address
  bus::Image ReadBackImage{};  // the EEPROM as the last verify read it back

  // The listing of the menu commands (decimal addresses).
  [[nodiscard]] ListingStyle CommandListing() const { return {AddressBase::Decimal, terminal}; }
};

}  // namespace console
