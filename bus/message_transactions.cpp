// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/message_transactions.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "bus/eeprom_protocol.h"
#include "platform/error_numbers.h"

namespace bus {
namespace {

constexpr std::uint8_t kFirstAddress = 0x00;

BusResult AdapterFailed(const I2cAdapter& adapter, const std::string& what, int error_number,
                        int address = -1) {
  std::string text = "the adapter " + adapter.Name() + " failed while " + what + ": " +
                     platform::ErrorText(error_number);
  if (error_number == ENODEV) text += " (it has been unplugged)";
  return BusResult::Failed(std::move(text), address, error_number);
}

std::string Reading(BusDevice device) {
  return device == BusDevice::Eeprom ? "reading the EEPROM" : "reading the switch chip";
}

// What a transfer's error number means: success, a device that did not acknowledge (at `stage`),
// or a failure of the adapter itself while it was doing `what`.
BusResult Outcome(const I2cAdapter& adapter, int error, BusDevice device, BusStage stage,
                  const std::string& what, int address = -1) {
  if (error == 0) return BusResult::Success();
  if (IsNotAcknowledged(error)) {
    return BusResult::Fault(BusFault::NoAcknowledge, device, stage, address);
  }
  return AdapterFailed(adapter, what, error, address);
}

// "address 5", or "addresses 16 to 23" for a page write.
std::string WrittenText(const AddressRun& run) {
  if (run.count == 1) return "address " + std::to_string(run.first);
  return "addresses " + std::to_string(run.first) + " to " +
         std::to_string(run.first + run.count - 1);
}

}  // namespace

bool IsNotAcknowledged(int error_number) {
  return error_number == ENXIO || platform::IsRemoteIoError(error_number) || error_number == EIO ||
         error_number == ETIMEDOUT;
}

bool IsTransient(int error_number) { return error_number == EAGAIN || error_number == EBUSY; }

bool IsUnsupportedTransfer(int error_number) {
  return error_number == EOPNOTSUPP || error_number == EINVAL || error_number == EMSGSIZE;
}

int MessageTransactions::TransferPolled(std::span<I2cMessage> messages) {
  const std::uint64_t started = adapter_.NowNanoseconds();
  for (int attempts = 1;; ++attempts) {
    // Judged when the transfer begins, as the line polling does: a transfer is a round trip to
    // the adapter, and only one begun after the limit tells that the device was still busy then.
    const bool timed_out = adapter_.NowNanoseconds() - started >= kSelectPollingLimitNanoseconds;
    const int error = adapter_.Transfer(messages);
    if (error == 0 || (!IsNotAcknowledged(error) && !IsTransient(error))) return error;
    if (attempts >= kSelectPollingMinimumAttempts && timed_out) return error;
  }
}

BusResult MessageTransactions::WritePages(const Image& image, const AddressSet& addresses,
                                          std::size_t page_size) {
  for (const AddressRun& run : PageRuns(addresses, page_size)) {
    if (BusResult written = WriteRun(image, run); !written.ok()) {
      return written;
    }
  }
  return BusResult::Success();
}

BusResult MessageTransactions::WriteRun(const Image& image, const AddressRun& run) {
  for (std::size_t offset = 0; offset < run.count;) {
    const AddressRun piece{run.first + offset, std::min(run.count - offset, longest_write_)};
    const int error = SendWrite(image, piece);
    // A message longer than the adapter takes is sent again as shorter ones, inside the same page.
    if (piece.count > 1 && IsUnsupportedTransfer(error)) {
      longest_write_ = piece.count / 2;
      continue;
    }
    const int address = static_cast<int>(piece.first);
    BusResult sent = Outcome(adapter_, error, BusDevice::Eeprom, BusStage::Message,
                             "writing " + WrittenText(piece), address);
    if (sent.ok()) sent = adapter_.TakeFailure();
    if (!sent.ok()) {
      sent.address = address;
      sent.write_length = static_cast<int>(piece.count);
      return sent;
    }
    offset += piece.count;
  }
  return BusResult::Success();
}

int MessageTransactions::SendWrite(const Image& image, const AddressRun& run) {
  std::array<std::uint8_t, 1 + kLargestPageSize> bytes{};
  bytes[0] = static_cast<std::uint8_t>(run.first);
  std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(run.first), run.count, bytes.begin() + 1);
  I2cMessage message{kEepromBusAddress, false, {bytes.data(), 1 + run.count}};
  return TransferPolled({&message, 1});
}

BusResult MessageTransactions::ReadEeprom(Image& destination) {
  return ReadFrom(kEepromBusAddress, BusDevice::Eeprom, destination);
}

BusResult MessageTransactions::DumpSwitchRegisters(Image& destination) {
  return ReadFrom(kSwitchBusAddress, BusDevice::SwitchChip, destination);
}

BusResult MessageTransactions::ReadFrom(std::uint16_t bus_address, BusDevice device,
                                        Image& destination) {
  // Read into a scratch image: the destination changes only when all 128 bytes arrived.
  Image received{};
  if (combined_ != Shape::No) {
    std::uint8_t first = kFirstAddress;
    I2cMessage messages[2] = {{bus_address, false, {&first, 1}},
                              {bus_address, true, received}};
    const int error = TransferPolled(messages);
    if (error == 0) {
      combined_ = Shape::Yes;
      destination = received;
      return BusResult::Success();
    }
    // Only a transfer of this shape the adapter refuses is tried another way, and only until it
    // has once been taken.
    if (!IsUnsupportedTransfer(error) || combined_ == Shape::Yes) {
      return Outcome(adapter_, error, device, BusStage::Message, Reading(device));
    }
    combined_ = Shape::No;
  }
  if (BusResult read = ReadInChunks(bus_address, device, received); !read.ok()) {
    return read;
  }
  destination = received;
  return BusResult::Success();
}

BusResult MessageTransactions::ReadInChunks(std::uint16_t bus_address, BusDevice device,
                                            Image& received) {
  std::uint8_t first = kFirstAddress;
  I2cMessage address_write{bus_address, false, {&first, 1}};
  if (BusResult sent = Outcome(adapter_, TransferPolled({&address_write, 1}), device,
                               BusStage::Message, Reading(device));
      !sent.ok()) {
    return sent;
  }
  // Current-address reads: the device's address counter goes on from one read to the next.
  for (std::size_t offset = 0; offset < received.size();) {
    const std::size_t count = std::min(read_chunk_, received.size() - offset);
    I2cMessage read{bus_address, true, {received.data() + offset, count}};
    const int read_error = adapter_.Transfer({&read, 1});
    if (read_error == 0) {
      offset += count;
      continue;
    }
    if (IsUnsupportedTransfer(read_error) && read_chunk_ > 1) {
      read_chunk_ = std::max<std::size_t>(1, std::min(read_chunk_, count) / 2);
      continue;
    }
    return Outcome(adapter_, read_error, device, BusStage::ReadSelect, Reading(device));
  }
  return BusResult::Success();
}

// A one-byte read from the device's current address, polled as a write polls: every adapter
// that makes plain I2C transfers takes it, and it changes nothing on the board.
BusResult MessageTransactions::Answers(std::uint16_t bus_address, BusDevice device) {
  std::uint8_t byte = 0;
  I2cMessage read{bus_address, true, {&byte, 1}};
  return Outcome(adapter_, TransferPolled({&read, 1}), device, BusStage::Message, Reading(device));
}

ProbeReport MessageTransactions::Probe() {
  ProbeReport report;
  report.eeprom = Answers(kEepromBusAddress, BusDevice::Eeprom);
  report.switch_chip = Answers(kSwitchBusAddress, BusDevice::SwitchChip);
  return report;
}

BusResult MessageTransactions::ProbeEeprom() {
  return Answers(kEepromBusAddress, BusDevice::Eeprom);
}

}  // namespace bus
