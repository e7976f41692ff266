// LineTransactions: the board's operations made bit by bit on a parallel port's lines.
//
// Each operation runs the register sequences of EepromProtocol or SwitchRegisterDump through a
// ParallelPortLines on the port, with the waits of the program's timing policy.
#pragma once

#include "bus/bus_timing.h"
#include "bus/bus_transactions.h"
#include "bus/port.h"

namespace bus {

class LineTransactions final : public BusTransactions {
 public:
  LineTransactions(Port& port, TimingPolicy timing) : port_(port), timing_(timing) {}

  BusResult WriteEeprom(const Image& image, const AddressSet& addresses) override;
  BusResult ReadEeprom(Image& destination) override;
  BusResult DumpSwitchRegisters(Image& destination) override;
  ProbeReport Probe() override;

 private:
  Port& port_;
  TimingPolicy timing_;
};

}  // namespace bus
