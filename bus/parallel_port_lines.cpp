// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/parallel_port_lines.h"

namespace bus {

void ParallelPortLines::WriteData(std::uint8_t value) {
  if (floor_ != nullptr) floor_->BeforeData(port_, value);
  port_.WriteData(value);
  if (floor_ != nullptr) floor_->AfterData(port_, value);
}

void ParallelPortLines::WriteControl(std::uint8_t value) {
  if (floor_ != nullptr) floor_->BeforeControl(port_, value);
  port_.WriteControl(value);
  if (floor_ != nullptr) floor_->AfterControl(port_, value);
}

void ParallelPortLines::SdaHigh() {
  WriteData(kRegisterSdaHigh);
  BitDelay();
}

void ParallelPortLines::SdaLow() {
  WriteData(kRegisterSdaLow);
  BitDelay();
}

void ParallelPortLines::SclHigh() {
  WriteControl(kRegisterSclHigh);
  BitDelay();
}

void ParallelPortLines::SclLow() {
  WriteControl(kRegisterSclLow);
  BitDelay();
}

void ParallelPortLines::PutDataByte(std::uint8_t value) {
  WriteData(value);
  BitDelay();
}

int ParallelPortLines::SampleSda() { return (port_.ReadStatus() & kStatusSdaBit) != 0 ? 1 : 0; }

StartResult ParallelPortLines::BusStart() {
  SdaHigh();
  SclHigh();
  if (SampleSda() == 0) {
    // A device is still driving SDA (it was cut off in the middle of a byte it sends). Clock it
    // out with SDA released: it sees a not-acknowledge at the end of its byte and lets go.
    bool freed = false;
    for (int pulse = 0; pulse < kBusRecoveryPulses && !freed; ++pulse) {
      SclLow();
      SclHigh();
      freed = SampleSda() == 1;
    }
    if (!freed) {
      return StartResult::BusHeldLow;
    }
  }
  SdaLow();
  SclLow();
  return StartResult::Started;
}

void ParallelPortLines::BusStop() {
  SdaLow();
  SclHigh();
  SdaHigh();
  SclLow();
  SdaLow();
}

void ParallelPortLines::BusRelease() {
  SdaHigh();
  SclHigh();
}

void ParallelPortLines::SendSelectByte(std::uint8_t value) {
  for (int bit = 7; bit >= 0; --bit) {
    if (((value >> bit) & 1U) != 0) {
      SdaHigh();
    } else {
      SdaLow();
    }
    SclHigh();
    SclLow();
  }
}

void ParallelPortLines::SendByte(std::uint8_t value) {
  for (int shift = 0; shift < 8; ++shift) {
    PutDataByte(static_cast<std::uint8_t>(value << shift));
    SclHigh();
    SclLow();
  }
}

Ack ParallelPortLines::ClockAck() {
  SdaHigh();
  SclHigh();
  const int level = SampleSda();
  SclLow();
  return level == 0 ? Ack::Acknowledged : Ack::NotAcknowledged;
}

Ack ParallelPortLines::PollAck() {
  SdaHigh();
  SclHigh();
  return SampleSda() == 0 ? Ack::Acknowledged : Ack::NotAcknowledged;
}

std::uint8_t ParallelPortLines::ReceiveByte() {
  unsigned result = 0;
  for (int bit = 7; bit >= 0; --bit) {
    SclLow();
    SclHigh();
    result |= static_cast<unsigned>(SampleSda()) << bit;
    if (bit <= 5) {
      BitDelay();
    }
  }
  return static_cast<std::uint8_t>(result);
}

void ParallelPortLines::MasterAck() {
  SclLow();
  SdaLow();
  SclLow();
  SclHigh();
  SclLow();
  SdaHigh();
}

void ParallelPortLines::MasterNack() {
  SclLow();
  SdaHigh();
  SclLow();
  SclHigh();
  SclLow();
  SdaHigh();
}

}  // namespace bus
