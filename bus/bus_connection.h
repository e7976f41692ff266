// SPDX-License-Identifier: GPL-3.0-or-later
// BusConnection: what the programs hold to run bus operations on the port the user chose.
//
// It opens the port (and the trace, if one was asked for) at the first bus operation, never
// before, so a program that fails earlier touches no port. A port that cannot be opened makes the
// operation return PortUnavailable with a message naming the port, the reason and the remedy;
// the next operation tries again. Once open, the port stays open until the connection is closed or
// destroyed, but it is taken (Acquire) only for the length of each operation, so a port shared
// with another program is never held between operations.
//
// The connection picks the road by the port: bit by bit on the lines of a parallel port or the
// virtual board (LineTransactions), by whole messages on an I2C adapter (MessageTransactions).
// A failed operation carries the port's own advice (PortBase::Remedy).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "bus/bus_result.h"
#include "bus/bus_timing.h"
#include "bus/bus_transactions.h"
#include "bus/i2c_adapter.h"
#include "bus/image.h"
#include "bus/page_runs.h"
#include "bus/port.h"
#include "bus/port_opening.h"
#include "bus/timing_floor.h"

namespace bus {

struct BusOptions {
  PortSpec port;
  std::string trace_file;  // empty: no trace
  TimingPolicy timing = TimingPolicy::Windowed;
};

class BusConnection {
 public:
  explicit BusConnection(BusOptions options);
  // Runs the operations on an already-open port (tests, benchmarks).
  BusConnection(std::unique_ptr<Port> port, TimingPolicy timing,
                unsigned bus_khz = kDefaultBusKhz);
  explicit BusConnection(std::unique_ptr<I2cAdapter> adapter);
  ~BusConnection();
  BusConnection(const BusConnection&) = delete;
  BusConnection& operator=(const BusConnection&) = delete;

  // Writes the whole image, address 0 to 127.
  BusResult WriteEeprom(const Image& image);
  // Writes only `addresses` of the image, each with the same byte-write transaction; with a
  // `page_size` of 2 to 16, in page writes of up to that many bytes (BusTransactions::WritePages).
  BusResult WriteEepromAddresses(const Image& image, const AddressSet& addresses,
                                 std::size_t page_size = kByteWrites);
  BusResult ReadEeprom(Image& destination);
  BusResult DumpSwitchRegisters(Image& destination);
  // Which of the lines, the EEPROM and the switch chip answer. A port that cannot be opened or
  // taken shows as the EEPROM's and the switch chip's result.
  ProbeReport Probe();
  // Whether the EEPROM answers: the one probe that tells whether a board is in place.
  BusResult ProbeEeprom();

  // Holding: the port is taken at the next operation as usual, but then kept taken between
  // operations until Unhold (or Close), so that a run of several operations is never interleaved
  // with another program's use of the port and never finds it in use half way.
  void Hold();
  void Unhold();

  // Closes the port (releases a ppdev device, finishes the trace file).
  void Close();

  // The open port, or nullptr before the first operation or after a failed open.
  [[nodiscard]] PortBase* CurrentPort() const { return port_.get(); }

 private:
  BusResult EnsureOpen();
  template <typename Operation>
  BusResult Run(Operation operation);

  BusOptions options_;
  std::unique_ptr<PortBase> port_;
  std::unique_ptr<BusTransactions> transactions_;
  bool holding_ = false;  // Hold() is in force
  bool taken_ = false;    // the port is taken and kept so between operations
};

}  // namespace bus
