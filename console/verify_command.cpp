// SPDX-License-Identifier: GPL-3.0-or-later
// Entry 6: read the EEPROM back and compare it with the image, lowest address first.
#include "console/bus_failure_report.h"
#include "console/commands.h"

namespace console {

namespace {

// One "Verify O.K." line per matching address up to the first difference, which is reported
// with both bytes; later addresses are not compared.
void PrintVerifyReport(ConsoleOutput& out, const bus::Image& written, const bus::Image& read) {
  for (std::size_t address = 0; address < written.size(); ++address) {
    if (written[address] == read[address]) {
      out.Write("Verify O.K.\n");
      continue;
    }
    out.Write(" ERROR: ADDRESS   WRITE DATA   READ DATA\n");
    out.Print("          %d         %x            %x   \n", static_cast<int>(address),
              static_cast<unsigned>(written[address]), static_cast<unsigned>(read[address]));
    return;
  }
}

}  // namespace

Flow VerifyEeprom(ConsoleSession& session) {
  bus::Image read{};
  const bus::BusResult result = session.bus.ReadEeprom(read);
  if (!result.ok()) {
    ReportBusFailure(session.out, result);  // the last read-back stays as it was
    return Flow::Continue;
  }
  session.ReadBackImage = read;
  PrintVerifyReport(session.out, session.EepromImage, session.ReadBackImage);
  return Flow::Continue;
}

}  // namespace console
