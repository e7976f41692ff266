// SPDX-License-Identifier: GPL-3.0-or-later
// The CH341A's I2C stream: a transfer of I2C messages as the 32-byte command packets the chip
// runs, and the bytes each packet returns.
//
// The chip carries on after a byte that was not acknowledged, so every device select and every
// byte written is sent as a one-byte OUT, whose acknowledge comes back as a status byte (bit 7
// set: not acknowledged). A read message is read in chunks whose results fit one 32-byte packet
// of answers: each chunk selects the device again (checked, so an absent chip is never read as
// 0xFF) and reads on from the device's current address, acknowledging every byte but the last.
// Each packet is a bulk write of its own and ends with a stop, so the bus is idle between them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "bus/i2c_adapter.h"

namespace bus {

inline constexpr std::size_t kCh341aPacketSize = 32;

// Command bytes of the I2C stream.
namespace ch341a {
inline constexpr std::uint8_t kStream = 0xAA;  // first byte of every I2C command packet
inline constexpr std::uint8_t kEnd = 0x00;     // ends the packet
inline constexpr std::uint8_t kStart = 0x74;
inline constexpr std::uint8_t kStop = 0x75;
inline constexpr std::uint8_t kOut = 0x80;     // | n: write n bytes; 0: one byte with its status
inline constexpr std::uint8_t kIn = 0xC0;      // | n: read n bytes, acknowledged; 0: one, not
inline constexpr std::uint8_t kSet = 0x60;     // | speed code
inline constexpr std::uint8_t kNotAcknowledged = 0x80;  // the status bit of a missing acknowledge
}  // namespace ch341a

// One bulk write and what its answer holds, in order: a status byte for each checked byte, or a
// read byte and where it goes.
struct Ch341aPacket {
  std::vector<std::uint8_t> commands;
  std::vector<std::uint8_t*> answers;  // nullptr: a status byte; else where a read byte goes
};

// The packets that carry `messages`; empty when a message cannot be carried (a write message
// longer than one packet holds, or one of no address byte's room).
[[nodiscard]] std::vector<Ch341aPacket> Ch341aPackets(std::span<I2cMessage> messages);

// Puts the read bytes of `answer` where they go. False when a status byte in it says a byte was
// not acknowledged.
[[nodiscard]] bool TakeCh341aAnswer(const Ch341aPacket& packet,
                                    std::span<const std::uint8_t> answer);

}  // namespace bus
