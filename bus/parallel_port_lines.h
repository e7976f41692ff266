// SPDX-License-Identifier: GPL-3.0-or-later
// ParallelPortLines: the two bus lines driven through the parallel port's registers.
//
// SDA is driven from data bit 7 and sensed on status bit 6; SCL is driven from control bit 2. A 1
// is a high line, and a line driven high is released, so a device can pull SDA low. Every write
// puts a whole byte into its register and is followed by BitDelay. The driver keeps no copy of the
// line levels; the idle bus is SDA high, SCL high. Given a timing floor, each write that ends a
// phase of the bus first waits until that phase has lasted its data-sheet minimum.
//
// Return conventions, used by every caller:
//   Ack::Acknowledged     a device pulled SDA low in the acknowledge slot
//   Ack::NotAcknowledged  SDA stayed high in the acknowledge slot (no device, or a busy one)
//   StartResult::BusHeldLow  SDA stayed low through nine recovery clock pulses: the bus is stuck
#pragma once

#include <cstdint>
#include <string>

#include "bus/bus_timing.h"
#include "bus/port.h"
#include "bus/timing_floor.h"

namespace bus {

enum class Ack { Acknowledged, NotAcknowledged };
enum class StartResult { Started, BusHeldLow };

inline constexpr std::uint8_t kRegisterSdaHigh = 0x80;
inline constexpr std::uint8_t kRegisterSdaLow = 0x00;
inline constexpr std::uint8_t kRegisterSclHigh = 0x04;
inline constexpr std::uint8_t kRegisterSclLow = 0x00;
inline constexpr int kBusRecoveryPulses = 9;

class ParallelPortLines {
 public:
  // `floor`, when given, keeps every phase at least its data-sheet minimum (see TimingFloor).
  ParallelPortLines(Port& port, TimingPolicy timing, TimingFloor* floor = nullptr)
      : port_(port), delays_(DelaysFor(timing)), floor_(floor) {}
  ParallelPortLines(Port& port, LineDelays& delays, TimingFloor* floor = nullptr)
      : port_(port), delays_(delays), floor_(floor) {}

  // --- Line writes: one register write each, then BitDelay. ---
  void SdaHigh();                       // data <- 0x80: SDA released (high)
  void SdaLow();                        // data <- 0x00: SDA driven low
  void SclHigh();                       // control <- 0x04
  void SclLow();                        // control <- 0x00
  void PutDataByte(std::uint8_t value); // data <- value; bit 7 is SDA

  // One status read, no delay. Returns the sensed SDA level, 0 or 1 (status bit 6).
  int SampleSda();

  // expects any state; leaves SDA low, SCL low (a start condition was made).
  // SDA is sampled after both lines are raised; if it is low, up to nine SCL pulses are given with
  // SDA released until it reads high. Still low: returns BusHeldLow with SDA released, SCL high.
  StartResult BusStart();

  // expects SCL low; leaves SCL low, SDA low (a stop condition was made while SCL was high).
  void BusStop();

  // expects any state; leaves SDA high, SCL high: the idle bus.
  void BusRelease();

  // expects SCL low; leaves SCL low, SDA at the last bit. For protocol constants: each bit is put
  // on SDA with SdaHigh or SdaLow, so the data register holds only 0x80 or 0x00.
  void SendSelectByte(std::uint8_t value);

  // expects SCL low; leaves SCL low, SDA at the last bit. For data bytes: the byte is written
  // whole and shifted left one place per bit; bit 7 of each written value is the bit on the bus.
  void SendByte(std::uint8_t value);

  // expects SCL low after a byte sent; leaves SCL low, SDA released. Gives the acknowledge clock
  // pulse and samples SDA while SCL is high.
  Ack ClockAck();

  // expects SCL low after a select byte; leaves SCL HIGH, SDA released, so a caller that gets
  // NotAcknowledged can go straight on with BusStart (a repeated start) and one that gets
  // Acknowledged lowers SCL itself.
  Ack PollAck();

  // expects SCL low or high with SDA released; leaves SCL high, SDA released. Eight bit slots,
  // most significant first, each sampled while SCL is high.
  std::uint8_t ReceiveByte();

  // expects SCL high after ReceiveByte; leaves SCL low, SDA released. Drives SDA low for one
  // clock pulse: "send the next byte".
  void MasterAck();

  // expects SCL high after ReceiveByte; leaves SCL low, SDA released. Keeps SDA high for one
  // clock pulse: "that was the last byte", so the device lets go of SDA before the stop.
  void MasterNack();

  // The console's busy wait after every register write; nothing in the windowed program.
  void BitDelay() { delays_.BitDelay(); }
  // The console's busy wait after each byte's stop condition; nothing in the windowed program.
  void WriteCycleWait() { delays_.WriteCycleWait(); }

  [[nodiscard]] std::uint64_t NowNanoseconds() const { return port_.NowNanoseconds(); }
  // A failure of the port's own since the last call (see PortBase::TakeFailure).
  [[nodiscard]] BusResult TakePortFailure() { return port_.TakeFailure(); }

 private:
  // The two register writes, each kept off the floor when there is one.
  void WriteData(std::uint8_t value);
  void WriteControl(std::uint8_t value);

  Port& port_;
  LineDelays& delays_;
  TimingFloor* floor_;
};

}  // namespace bus
