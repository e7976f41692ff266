// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/bus_connection.h"

#include <utility>

#include "bus/line_transactions.h"
#include "bus/message_trace.h"
#include "bus/message_transactions.h"
#include "bus/port_opening.h"
#include "bus/trace_port.h"

namespace bus {

BusConnection::BusConnection(BusOptions options) : options_(std::move(options)) {}

BusConnection::BusConnection(std::unique_ptr<Port> port, TimingPolicy timing, unsigned bus_khz) {
  options_.timing = timing;
  transactions_ = std::make_unique<LineTransactions>(*port, timing, bus_khz);
  port_ = std::move(port);
}

BusConnection::BusConnection(std::unique_ptr<I2cAdapter> adapter) {
  transactions_ = std::make_unique<MessageTransactions>(*adapter);
  port_ = std::move(adapter);
}

BusConnection::~BusConnection() { Unhold(); }

void BusConnection::Hold() { holding_ = true; }

void BusConnection::Unhold() {
  holding_ = false;
  if (taken_ && port_) port_->Release();
  taken_ = false;
}

void BusConnection::Close() {
  Unhold();
  transactions_.reset();
  port_.reset();
}

BusResult BusConnection::EnsureOpen() {
  if (port_) {
    return BusResult::Success();
  }
  OpenedPort opened = OpenPort(options_.port);
  if (!opened.ok()) {
    return BusResult::PortFailure(std::move(opened.error));
  }
  if (opened.lines) {
    if (!options_.trace_file.empty()) {
      TraceOpenResult traced = OpenTrace(std::move(opened.lines), options_.trace_file);
      if (!traced.port) {
        return BusResult::PortFailure(std::move(traced.error));
      }
      opened.lines = std::move(traced.port);
    }
    transactions_ = std::make_unique<LineTransactions>(*opened.lines, options_.timing,
                                                       options_.port.bus_khz);
    port_ = std::move(opened.lines);
    return BusResult::Success();
  }
  if (!options_.trace_file.empty()) {
    MessageTraceOpenResult traced = OpenMessageTrace(std::move(opened.adapter), options_.trace_file);
    if (!traced.adapter) {
      return BusResult::PortFailure(std::move(traced.error));
    }
    opened.adapter = std::move(traced.adapter);
  }
  transactions_ = std::make_unique<MessageTransactions>(*opened.adapter);
  port_ = std::move(opened.adapter);
  return BusResult::Success();
}

template <typename Operation>
BusResult BusConnection::Run(Operation operation) {
  if (BusResult open = EnsureOpen(); !open.ok()) {
    return open;
  }
  if (!taken_) {
    if (BusResult acquired = port_->Acquire(); !acquired.ok()) {
      return acquired;
    }
  }
  port_->BeginOperation();
  BusResult result = operation(*transactions_);
  taken_ = holding_;
  if (!taken_) port_->Release();
  if (!result.ok() && result.fault != BusFault::PortUnavailable && result.remedy.empty()) {
    result.remedy = port_->Remedy(result);
  }
  return result;
}

ProbeReport BusConnection::Probe() {
  ProbeReport report;
  report.eeprom = Run([&](BusTransactions& bus) {
    report = bus.Probe();
    return report.eeprom;
  });
  if (!report.eeprom.ok() && report.eeprom.fault == BusFault::PortUnavailable) {
    report.switch_chip = report.eeprom;
  } else if (!report.switch_chip.ok() && report.switch_chip.remedy.empty()) {
    report.switch_chip.remedy = port_->Remedy(report.switch_chip);
  }
  return report;
}

BusResult BusConnection::ProbeEeprom() {
  return Run([](BusTransactions& bus) { return bus.ProbeEeprom(); });
}

BusResult BusConnection::WriteEeprom(const Image& image) {
  return WriteEepromAddresses(image, AllAddresses());
}

BusResult BusConnection::WriteEepromAddresses(const Image& image, const AddressSet& addresses,
                                              std::size_t page_size) {
  return Run([&](BusTransactions& bus) { return bus.WritePages(image, addresses, page_size); });
}

BusResult BusConnection::ReadEeprom(Image& destination) {
  return Run([&](BusTransactions& bus) { return bus.ReadEeprom(destination); });
}

BusResult BusConnection::DumpSwitchRegisters(Image& destination) {
  return Run([&](BusTransactions& bus) { return bus.DumpSwitchRegisters(destination); });
}

}  // namespace bus
