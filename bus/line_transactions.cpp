// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/line_transactions.h"

#include "bus/eeprom_protocol.h"
#include "bus/line_check.h"
#include "bus/parallel_port_lines.h"
#include "bus/switch_register_dump.h"

namespace bus {

BusResult LineTransactions::WritePages(const Image& image, const AddressSet& addresses,
                                       std::size_t page_size) {
  ParallelPortLines lines(port_, timing_, Floor());
  return EepromProtocol(lines).WritePages(image, addresses, page_size);
}

BusResult LineTransactions::ReadEeprom(Image& destination) {
  ParallelPortLines lines(port_, timing_, Floor());
  return EepromProtocol(lines).ReadEeprom(destination);
}

BusResult LineTransactions::DumpSwitchRegisters(Image& destination) {
  ParallelPortLines lines(port_, timing_, Floor());
  return SwitchRegisterDump(lines).DumpSwitchRegisters(destination);
}

namespace {

// The device's write select, polled as a write polls, then a stop: the device answers its address
// and nothing is written (a write cycle starts only after a data byte).
BusResult Answers(ParallelPortLines& lines, std::uint8_t write_select, BusDevice device) {
  if (BusResult selected = SelectWithPolling(lines, write_select, device, -1); !selected.ok()) {
    return selected;
  }
  lines.BusStop();
  lines.BusRelease();
  return BusResult::Success();
}

}  // namespace

ProbeReport LineTransactions::Probe() {
  ParallelPortLines lines(port_, timing_, Floor());
  ProbeReport report;
  report.line_fault = CheckLines(lines);
  report.eeprom = Answers(lines, kEepromWriteSelect, BusDevice::Eeprom);
  report.switch_chip = Answers(lines, kSwitchWriteSelect, BusDevice::SwitchChip);
  return report;
}

BusResult LineTransactions::ProbeEeprom() {
  ParallelPortLines lines(port_, timing_, Floor());
  return Answers(lines, kEepromWriteSelect, BusDevice::Eeprom);
}

}  // namespace bus
