#include "bus/bus_connection.h"

#include <utility>

#include "bus/eeprom_protocol.h"
#include "bus/parallel_port_lines.h"
#include "bus/port_backends.h"
#include "bus/switch_register_dump.h"
#include "bus/trace_port.h"

namespace bus {

BusConnection::BusConnection(BusOptions options) : options_(std::move(options)) {}

BusConnection::BusConnection(std::unique_ptr<Port> port, TimingPolicy timing)
    : port_(std::move(port)) {
  options_.timing = timing;
}

BusConnection::~BusConnection() = default;

void BusConnection::Close() { port_.reset(); }

BusResult BusConnection::EnsureOpen() {
  if (port_) {
    return BusResult::Success();
  }
  OpenPortResult opened = OpenPort(options_.port);
  if (!opened.port) {
    return BusResult::PortFailure(std::move(opened.error));
  }
  if (!options_.trace_file.empty()) {
    TraceOpenResult traced = OpenTrace(std::move(opened.port), options_.trace_file);
    if (!traced.port) {
      return BusResult::PortFailure(std::move(traced.error));
    }
    opened.port = std::move(traced.port);
  }
  port_ = std::move(opened.port);
  return BusResult::Success();
}

BusResult BusConnection::WriteEeprom(const Image& image) {
  if (BusResult open = EnsureOpen(); !open.ok()) {
    return open;
  }
  ParallelPortLines lines(*port_, options_.timing);
  return EepromProtocol(lines).WriteEeprom(image);
}

BusResult BusConnection::ReadEeprom(Image& destination) {
  if (BusResult open = EnsureOpen(); !open.ok()) {
    return open;
  }
  ParallelPortLines lines(*port_, options_.timing);
  return EepromProtocol(lines).ReadEeprom(destination);
}

BusResult BusConnection::DumpSwitchRegisters(Image& destination) {
  if (BusResult open = EnsureOpen(); !open.ok()) {
    return open;
  }
  ParallelPortLines lines(*port_, options_.timing);
  return SwitchRegisterDump(lines).DumpSwitchRegisters(destination);
}

}  // namespace bus
