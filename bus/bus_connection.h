// BusConnection: what the programs hold to run bus operations on the port the user chose.
//
// It opens the port (and the trace, if one was asked for) at the first bus operation, never
// before, so a program that fails earlier touches no port. A port that cannot be opened makes the
// operation return PortUnavailable with a message naming the port, the reason and the remedy;
// the next operation tries again. Once open, the port stays open until the connection is closed or
// destroyed.
#pragma once

#include <memory>
#include <string>

#include "bus/bus_result.h"
#include "bus/bus_timing.h"
#include "bus/image.h"
#include "bus/port.h"
#include "bus/port_spec.h"

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
  BusConnection(std::unique_ptr<Port> port, TimingPolicy timing);
  ~BusConnection();
  BusConnection(const BusConnection&) = delete;
  BusConnection& operator=(const BusConnection&) = delete;

  BusResult WriteEeprom(const Image& image);
  BusResult ReadEeprom(Image& destination);
  BusResult DumpSwitchRegisters(Image& destination);

  // Closes the port (releases a claimed ppdev port, finishes the trace file).
  void Close();

  // The open port, or nullptr before the first operation or after a failed open.
  [[nodiscard]] Port* OpenedPort() const { return port_.get(); }

 private:
  BusResult EnsureOpen();

  BusOptions options_;
  std::unique_ptr<Port> port_;
};

}  // namespace bus
