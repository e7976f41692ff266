// SPDX-License-Identifier: GPL-3.0-or-later
// A tiny bus master for the board tests: every line change is one port register access.
//
// Every rising SCL edge and every status read also checks that no device changed SDA while SCL
// was high: the devices' outputs may change only while SCL is low.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sim/virtual_board.h"

namespace sim_test {

inline bus::Image Pattern() {
  bus::Image image;
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 37 + 11);
  return image;
}

// Names parameterised tests by a byte parameter in hexadecimal ("A0").
inline std::string HexName(const testing::TestParamInfo<std::uint8_t>& info) {
  static const char kDigits[] = "0123456789ABCDEF";
  return {kDigits[info.param >> 4], kDigits[info.param & 15]};
}

class BitBang {
 public:
  explicit BitBang(sim::VirtualBoard& board) : board_(board) {}

  void Sda(bool high) { board_.WriteData(high ? 0x80 : 0x00); }
  void Scl(bool high) {
    const bool before = board_.Sda();
    board_.WriteControl(high ? 0x04 : 0x00);
    if (high) {
      EXPECT_EQ(before, board_.Sda()) << "SDA changed on a rising SCL edge";
    }
  }
  bool Sense() {
    const bool before = board_.Sda();
    const bool level = (board_.ReadStatus() & 0x40) != 0;
    EXPECT_EQ(before, board_.Sda()) << "SDA changed on a status read";
    return level;
  }

  // expects anything; leaves SCL low, SDA low
  void Start() { Sda(true); Scl(true); Sda(false); Scl(false); }
  // expects SCL low; leaves both lines high
  void Stop() { Sda(false); Scl(true); Sda(true); }

  // expects SCL low; leaves SCL low, SDA released. True when the byte was acknowledged.
  bool Send(std::uint8_t value) {
    for (int bit = 7; bit >= 0; --bit) {
      Sda(((value >> bit) & 1) != 0);
      Scl(true);
      Scl(false);
    }
    decided_at_ = board_.NowNanoseconds();  // the falling edge where the device answers
    Sda(true);
    Scl(true);
    const bool acked = !Sense();
    Scl(false);
    return acked;
  }

  // expects SCL low, SDA released; leaves SCL low, SDA released. `ack` answers the byte.
  std::uint8_t Receive(bool ack) {
    std::uint8_t value = 0;
    for (int bit = 0; bit < 8; ++bit) {
      Scl(true);
      value = static_cast<std::uint8_t>((value << 1) | (Sense() ? 1 : 0));
      Scl(false);
    }
    Sda(!ack);
    Scl(true);
    Scl(false);
    Sda(true);
    return value;
  }

  // A whole write transaction; true when every byte was acknowledged.
  bool Write(std::uint8_t select, std::uint8_t address, const std::vector<std::uint8_t>& data) {
    Start();
    bool acked = Send(select);
    acked = Send(address) && acked;  // every byte is sent, acknowledged or not
    for (std::uint8_t byte : data) acked = Send(byte) && acked;
    Stop();
    return acked;
  }

  // A random read of `count` bytes from `address` (dummy write, repeated start, read select),
  // the last byte not acknowledged unless `ack_last`. Leaves SCL low unless a stop is asked for.
  std::vector<std::uint8_t> Read(std::uint8_t select, std::uint8_t address, std::size_t count,
                                 bool ack_last = false, bool stop = true) {
    Start();
    Send(select);
    Send(address);
    return CurrentRead(select, count, ack_last, stop);
  }

  // A current-address read of `count` bytes (a start, the read select, the bytes).
  std::vector<std::uint8_t> CurrentRead(std::uint8_t select, std::size_t count,
                                        bool ack_last = false, bool stop = true) {
    Start();
    Send(static_cast<std::uint8_t>(select | 1));
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) bytes.push_back(Receive(i + 1 < count || ack_last));
    if (stop) Stop();
    return bytes;
  }

  [[nodiscard]] std::uint64_t DecidedAt() const { return decided_at_; }

 private:
  sim::VirtualBoard& board_;
  std::uint64_t decided_at_ = 0;
};

}  // namespace sim_test
