// SPDX-License-Identifier: GPL-3.0-or-later
// LineTransactions: the board's operations made bit by bit on a parallel port's lines.
//
// Each operation runs the register sequences of EepromProtocol or SwitchRegisterDump through a
// ParallelPortLines on the port, with the waits of the program's timing policy and the timing
// floor of the chosen bus speed.
#pragma once

#include <cstddef>

#include "bus/bus_timing.h"
#include "bus/bus_transactions.h"
#include "bus/port.h"
#include "bus/timing_floor.h"

namespace bus {

class LineTransactions final : public BusTransactions {
 public:
  // `bus_khz`: the speed whose data-sheet minimums every phase keeps (0: no floor).
  LineTransactions(Port& port, TimingPolicy timing, unsigned bus_khz)
      : port_(port), timing_(timing), floor_(bus_khz) {}

  BusResult WritePages(const Image& image, const AddressSet& addresses,
                       std::size_t page_size) override;
  BusResult ReadEeprom(Image& destination) override;
  BusResult DumpSwitchRegisters(Image& destination) override;
  ProbeReport Probe() override;
  BusResult ProbeEeprom() override;

 private:
  [[nodiscard]] TimingFloor* Floor() { return floor_.Active() ? &floor_ : nullptr; }

  Port& port_;
  TimingPolicy timing_;
  // Kept from one operation to the next, so the bus free time after one operation's last stop
  // is kept before the next one's start.
  TimingFloor floor_;
};

}  // namespace bus
