// SPDX-License-Identifier: GPL-3.0-or-later
// Entries 1, 5, 7 and 8: the commands that write the EEPROM or read the board into the image.
#include <optional>

#include "console/bus_failure_report.h"
#include "console/commands.h"
#include "console/data_files.h"

namespace console {

Flow WriteEepromCommand(ConsoleSession& session) {
  // Prints nothing unless the write fails.
  ReportBusFailure(session.out, session.bus.WriteEeprom(session.EepromImage));
  return Flow::Continue;
}

Flow ReadEepromToBuffer(ConsoleSession& session) {
  bus::Image read{};
  const bus::BusResult result = session.bus.ReadEeprom(read);
  if (!result.ok()) {
    ReportBusFailure(session.out, result);  // the image stays as it was
    return Flow::Continue;
  }
  session.EepromImage = read;
  ImageListing(session.out, session.EepromImage, session.CommandListing());
  return Flow::Continue;
}

Flow ProgramDefaultValues(ConsoleSession& session) {
  const std::optional<LoadedData> loaded = LoadDataFile(session.files, kDefaultDataFile);
  if (!loaded) {
    // Without the default data there is nothing to program: the EEPROM is left alone.
    session.out.Write("Open failed\n");
    return Flow::Continue;
  }
  ApplyLoadedData(*loaded, session.EepromImage);
  ImageListing(session.out, session.EepromImage, session.CommandListing());
  const bus::BusResult result = session.bus.WriteEeprom(session.EepromImage);
  if (!result.ok()) {
    session.out.Write("\n");  // the listing left the cursor at the end of its last row
    ReportBusFailure(session.out, result);
  }
  return Flow::Continue;
}

Flow ReadSwitchRegisters(ConsoleSession& session) {
  bus::Image registers{};
  const bus::BusResult result = session.bus.DumpSwitchRegisters(registers);
  if (!result.ok()) {
    ReportBusFailure(session.out, result);
    return Flow::Continue;
  }
  // From here on the image holds register values, not EEPROM data.
  session.EepromImage = registers;
  ImageListing(session.out, session.EepromImage, session.CommandListing());
  return Flow::Continue;
}

}  // namespace console
