// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/bus_failure_report.h"

#include <string>

namespace console {

void ReportBusFailure(ConsoleOutput& out, const bus::BusResult& result) {
  std::string line = bus::DescribeBusResult(result);
  if (line.empty()) {
    return;  // a successful operation has nothing to report
  }
  // The line is printed as one line whatever the port's reason contained.
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  out.Write(line);
  out.Write("\n");
}

}  // namespace console
