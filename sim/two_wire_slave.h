// SPDX-License-Identifier: GPL-3.0-or-later
// TwoWireSlave: the bit-level side of a device on the board's two-wire bus.
//
// The board reports the bus events to every device: a start or stop condition (the bus SDA level
// changed while SCL was high), SCL rising (the device samples SDA) and SCL falling (the device may
// change its output). The device's data output therefore changes only while SCL is low. This
// class shifts bytes in and out, drives the acknowledge after each byte received, reads the
// master's acknowledge after each byte sent, and asks the concrete device what to do once per
// byte. The edge handlers are inline and cheap: the board calls them on every clock edge.
#pragma once

#include <cstdint>

namespace sim {

class TwoWireSlave {
 public:
  virtual ~TwoWireSlave() = default;
  TwoWireSlave(const TwoWireSlave&) = delete;
  TwoWireSlave& operator=(const TwoWireSlave&) = delete;

  // The device's SDA output: true = released (high), false = pulling SDA low.
  [[nodiscard]] bool Output() const { return output_; }

  // The bus SDA fell while SCL was high: whatever the device was doing, it releases SDA and
  // expects a select byte.
  void Start() {
    output_ = true;
    phase_ = Phase::kReceive;
    bits_ = 0;
    first_byte_ = true;
    OnStart();
  }

  // The bus SDA rose while SCL was high: the device releases SDA and waits for a start.
  void Stop() {
    output_ = true;
    phase_ = Phase::kIdle;
    OnStop();
  }

  // SCL rose; `sda` is the bus level the device samples.
  void SclRose(bool sda) {
    if (phase_ == Phase::kReceive) {
      if (bits_ < 8) {
        shift_ = static_cast<std::uint8_t>((shift_ << 1) | (sda ? 1 : 0));
        ++bits_;
      }
    } else if (phase_ == Phase::kMasterAck) {
      master_acked_ = !sda;
    }
  }

  // SCL fell: the only moment the device's output changes.
  void SclFell() {
    switch (phase_) {
      case Phase::kIdle:
        return;
      case Phase::kReceive:
        if (bits_ == 8) ByteReceived();
        return;
      case Phase::kAck:  // end of the acknowledge clock
        output_ = true;
        if (send_after_ack_) {
          LoadByte();
        } else {
          phase_ = Phase::kReceive;
          bits_ = 0;
        }
        return;
      case Phase::kSend:
        if (bits_ < 8) {
          PutBit();
        } else {  // the eight bits are out: release SDA for the master's acknowledge
          output_ = true;
          master_acked_ = false;
          phase_ = Phase::kMasterAck;
        }
        return;
      case Phase::kMasterAck:
        if (master_acked_) {
          LoadByte();
        } else {  // not acknowledged: the read is over, wait for a stop or a start
          output_ = true;
          phase_ = Phase::kIdle;
        }
        return;
    }
  }

 protected:
  TwoWireSlave() = default;

  // What the device does after the byte just received.
  enum class Reply : std::uint8_t {
    kIgnore,          // no acknowledge; ignore the bus until the next start
    kAckThenReceive,  // acknowledge, then receive the next byte
    kAckThenSend,     // acknowledge, then send bytes (NextByte) until the master does not ack
  };

  // Called once per byte, at the falling SCL edge after its eighth bit (where an acknowledge
  // would begin). `select` is true for the first byte after a start condition.
  virtual Reply OnByte(std::uint8_t value, bool select) = 0;
  // The byte to send next, asked at the falling edge where its first bit goes out.
  virtual std::uint8_t NextByte() = 0;
  virtual void OnStart() {}
  virtual void OnStop() {}

 private:
  enum class Phase : std::uint8_t {
    kIdle,       // not addressed: ignore everything until a start
    kReceive,    // shifting in bits_ of 8 bits on rising edges
    kAck,        // pulling SDA low for the acknowledge clock
    kSend,       // driving the bits of shift_, bits_ of 8 already out
    kMasterAck,  // SDA released; the master's acknowledge is sampled on the rising edge
  };

  void ByteReceived() {
    const bool select = first_byte_;
    first_byte_ = false;
    const Reply reply = OnByte(shift_, select);
    if (reply == Reply::kIgnore) {
      output_ = true;
      phase_ = Phase::kIdle;
      return;
    }
    output_ = false;
    send_after_ack_ = reply == Reply::kAckThenSend;
    phase_ = Phase::kAck;
  }

  void LoadByte() {
    shift_ = NextByte();
    bits_ = 0;
    phase_ = Phase::kSend;
    PutBit();
  }

  void PutBit() {
    output_ = (shift_ & 0x80) != 0;
    shift_ = static_cast<std::uint8_t>(shift_ << 1);
    ++bits_;
  }

  Phase phase_ = Phase::kIdle;
  std::uint8_t bits_ = 0;
  std::uint8_t shift_ = 0;
  bool output_ = true;
  bool first_byte_ = false;
  bool send_after_ack_ = false;
  bool master_acked_ = false;
};

}  // namespace sim
