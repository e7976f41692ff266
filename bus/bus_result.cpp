// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/bus_result.h"

#include <utility>

namespace bus {

namespace {

std::string RemedyOf(const BusResult& result) {
  return result.remedy.empty() ? kCableRemedy : result.remedy;
}

const char* StageText(BusStage stage) {
  switch (stage) {
    case BusStage::WriteSelect: return "its device select";
    case BusStage::Address: return "the address byte";
    case BusStage::Data: return "the data byte";
    case BusStage::ReadSelect: return "its read select";
    case BusStage::Message: return "the message";
    case BusStage::None: break;
  }
  return "a byte";
}

// "address 5", or for a page write "addresses 16 to 31 in one page write".
std::string WrittenAddresses(const BusResult& result) {
  if (result.write_length <= 1) return "address " + std::to_string(result.address);
  return "addresses " + std::to_string(result.address) + " to " +
         std::to_string(result.address + result.write_length - 1) + " in one page write";
}

}  // namespace

BusResult BusResult::PortFailure(std::string why) {
  BusResult result;
  result.fault = BusFault::PortUnavailable;
  result.detail = std::move(why);
  return result;
}

BusResult BusResult::Failed(std::string what, int address, int error_number) {
  BusResult result;
  result.fault = BusFault::PortFailed;
  result.detail = std::move(what);
  result.address = address;
  result.error_number = error_number;
  return result;
}

BusResult BusResult::Fault(BusFault fault, BusDevice device, BusStage stage, int address) {
  BusResult result;
  result.fault = fault;
  result.device = device;
  result.stage = stage;
  result.address = address;
  return result;
}

const char* DeviceName(BusDevice device) {
  return device == BusDevice::Eeprom ? "EEPROM" : "switch chip";
}

std::string DescribeBusResult(const BusResult& result) {
  switch (result.fault) {
    case BusFault::None:
      return {};
    case BusFault::PortUnavailable:
      return result.detail;
    case BusFault::PortFailed:
      return result.detail + (result.remedy.empty() ? "" : ". " + result.remedy);
    case BusFault::BusHeldLow:
      return std::string("The bus is held low: SDA stayed low through nine clock pulses before ") +
             "talking to the " + DeviceName(result.device) +
             (result.address >= 0 ? " at " + WrittenAddresses(result) : "") + ". " +
             RemedyOf(result);
    case BusFault::NoAcknowledge:
      break;
  }
  std::string text = std::string("The ") + DeviceName(result.device) + " did not acknowledge " +
                     StageText(result.stage);
  if (result.address >= 0) {
    text += " while writing " + WrittenAddresses(result);
  }
  return text + ". " + RemedyOf(result);
}

}  // namespace bus
