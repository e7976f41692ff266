// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/eeprom_protocol.h"

#include <string>
#include <utility>

namespace bus {

namespace {

constexpr std::uint8_t kFirstAddress = 0x00;

// expects SCL low after an acknowledge slot; leaves the bus idle. Ends a transaction whose device
// did not answer with a stop condition and a release.
void StopAndRelease(ParallelPortLines& lines) {
  lines.BusStop();
  lines.BusRelease();
}

BusResult HeldLow(ParallelPortLines& lines, BusDevice device, int address) {
  lines.BusRelease();
  return BusResult::Fault(BusFault::BusHeldLow, device, BusStage::None, address);
}

BusResult Unanswered(ParallelPortLines& lines, BusDevice device, BusStage stage, int address) {
  StopAndRelease(lines);
  return BusResult::Fault(BusFault::NoAcknowledge, device, stage, address);
}

// A failure of a write transaction, saying how many bytes it carried from its address on.
BusResult WithLength(BusResult failure, const AddressRun& run) {
  failure.write_length = static_cast<int>(run.count);
  return failure;
}

}  // namespace

BusResult SelectWithPolling(ParallelPortLines& lines, std::uint8_t select, BusDevice device,
                            int address) {
  const std::uint64_t started = lines.NowNanoseconds();
  for (int attempts = 1;; ++attempts) {
    // The limit is judged when an attempt begins, not when it ends: the device decides on its
    // acknowledge during the select byte, which on a slow bus takes milliseconds, so only an
    // attempt begun after the limit tells that the device was still busy then.
    const bool timed_out = lines.NowNanoseconds() - started >= kSelectPollingLimitNanoseconds;
    // After a select that was not acknowledged SCL is still high, so this start is a repeated
    // start condition: no stop is sent between the attempts.
    if (lines.BusStart() == StartResult::BusHeldLow) {
      return HeldLow(lines, device, address);
    }
    lines.SendSelectByte(select);
    if (lines.PollAck() == Ack::Acknowledged) {
      lines.SclLow();
      return BusResult::Success();
    }
    if (attempts >= kSelectPollingMinimumAttempts && timed_out) {
      lines.SclLow();
      StopAndRelease(lines);
      return BusResult::Fault(BusFault::NoAcknowledge, device, BusStage::WriteSelect, address);
    }
  }
}

BusResult ReadSequential(ParallelPortLines& lines, std::uint8_t write_select,
                         std::uint8_t read_select, BusDevice device, Image& destination) {
  // Dummy write: sets the device's address counter to 0.
  if (BusResult selected = SelectWithPolling(lines, write_select, device, -1); !selected.ok()) {
    return selected;
  }
  lines.SendSelectByte(kFirstAddress);
  if (lines.ClockAck() == Ack::NotAcknowledged) {
    return Unanswered(lines, device, BusStage::Address, -1);
  }
  lines.SclHigh();
  if (lines.BusStart() == StartResult::BusHeldLow) {
    return HeldLow(lines, device, -1);
  }
  lines.SendSelectByte(read_select);
  if (lines.ClockAck() == Ack::NotAcknowledged) {
    return Unanswered(lines, device, BusStage::ReadSelect, -1);
  }

  // Read into a scratch image so that a failed transfer leaves the destination as it was.
  Image received{};
  for (std::size_t i = 0; i < received.size(); ++i) {
    received[i] = lines.ReceiveByte();
    if (i + 1 < received.size()) {
      lines.MasterAck();
    } else {
      // The last byte is not acknowledged, so the device stops driving SDA and sees the stop.
      lines.MasterNack();
    }
  }
  StopAndRelease(lines);
  destination = received;
  return BusResult::Success();
}

BusResult EepromProtocol::WriteEeprom(const Image& image) {
  return WriteAddresses(image, AllAddresses());
}

BusResult EepromProtocol::WriteAddresses(const Image& image, const AddressSet& addresses) {
  return WritePages(image, addresses, kByteWrites);
}

BusResult EepromProtocol::WritePages(const Image& image, const AddressSet& addresses,
                                     std::size_t page_size) {
  if (addresses.none()) {
    return BusResult::Success();
  }
  for (const AddressRun& run : PageRuns(addresses, page_size)) {
    if (BusResult written = WriteRun(image, run); !written.ok()) {
      return written;
    }
  }
  lines_.BusRelease();
  return BusResult::Success();
}

// expects the bus idle or SDA low, SCL high after a stop; leaves SDA low, SCL high after the
// stop that started the write cycle, or the bus idle on failure.
BusResult EepromProtocol::WriteRun(const Image& image, const AddressRun& run) {
  const int address = static_cast<int>(run.first);
  // A device busy with the previous write cycle does not acknowledge its select: the polling
  // waits for the cycle to end.
  if (BusResult selected =
          SelectWithPolling(lines_, kEepromWriteSelect, BusDevice::Eeprom, address);
      !selected.ok()) {
    return WithLength(std::move(selected), run);
  }
  lines_.SendByte(static_cast<std::uint8_t>(run.first));
  if (lines_.ClockAck() == Ack::NotAcknowledged) {
    return WithLength(Unanswered(lines_, BusDevice::Eeprom, BusStage::Address, address), run);
  }
  for (std::size_t a = run.first; a < run.first + run.count; ++a) {
    lines_.SendByte(image[a]);
    if (lines_.ClockAck() == Ack::NotAcknowledged) {
      return WithLength(Unanswered(lines_, BusDevice::Eeprom, BusStage::Data, address), run);
    }
  }
  lines_.BusStop();
  lines_.WriteCycleWait();
  if (BusResult failure = lines_.TakePortFailure(); !failure.ok()) {
    lines_.BusRelease();
    failure.address = address;
    return WithLength(std::move(failure), run);
  }
  return BusResult::Success();
}

BusResult EepromProtocol::ReadEeprom(Image& destination) {
  return ReadSequential(lines_, kEepromWriteSelect, kEepromReadSelect, BusDevice::Eeprom,
                        destination);
}

}  // namespace bus
