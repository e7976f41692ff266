// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/probe_lines.h"

namespace bus {

namespace {

ProbeLine DeviceLine(const std::string& what, const BusResult& result) {
  if (result.ok()) return {what + ": answers", true};
  return {what + ": does not answer: " + DescribeBusResult(result), false};
}

}  // namespace

bool ProbeFoundNoPort(const ProbeReport& report) {
  return report.eeprom.fault == BusFault::PortUnavailable;
}

std::vector<ProbeLine> DescribeProbe(const ProbeReport& report) {
  if (ProbeFoundNoPort(report)) return {{DescribeBusResult(report.eeprom), false}};
  std::vector<ProbeLine> lines;
  if (report.line_fault && report.line_fault->empty()) {
    lines.push_back({"SDA line: follows the port", true});
  } else if (report.line_fault) {
    lines.push_back({"SDA line: " + *report.line_fault, false});
  }
  lines.push_back(DeviceLine("EEPROM at 0x50", report.eeprom));
  lines.push_back(DeviceLine("switch chip at 0x5F", report.switch_chip));
  return lines;
}

}  // namespace bus
