// SPDX-License-Identifier: GPL-3.0-or-later
// The CH341A's I2C stream: a transfer of I2C messages as the 32-byte command packets the chip
// runs, and the bytes each packet returns.
//
// The chip returns the acknowledge of one byte per packet, and carries on after a byte that was
// not acknowledged. So each packet checks exactly one byte, the device select that opens it (a
// one-byte OUT, whose status byte comes back first: bit 7 set means not acknowledged), and sends
// the word address and the data unchecked with one OUT of n bytes. A data byte the EEPROM did not
// take is seen only when the image is read back.
//
// Every message has packets of its own: a write is one packet; a read is read in chunks whose
// answers fit one 32-byte packet, each chunk selecting the device again (checked, so an absent
// chip is never read as 0xFF) and reading on from the device's current address, acknowledging
// every byte but the last. A write followed by a read (a random read) is therefore two packets,
// not one: the read's select is checked too, and putting it unchecked after the write's in one
// packet would save a round trip only to read 0xFF from a chip that stopped answering between the
// two. Each packet is a bulk write of its own and ends with a stop, so the bus is idle between
// them; the EEPROM and the switch chip keep their address across the stop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "bus/i2c_adapter.h"

namespace ports {

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

// One bulk write and what its answer holds, in order: the status byte of its device select, then
// where each read byte goes.
struct Ch341aPacket {
  std::vector<std::uint8_t> commands;
  std::vector<std::uint8_t*> reads;
  // The bytes its answer holds: the status byte and the read bytes.
  [[nodiscard]] std::size_t AnswerSize() const { return 1 + reads.size(); }
};

// The most data bytes (word address included) a write message may hold: one packet carries it.
inline constexpr std::size_t kCh341aLongestWrite = 25;

// The packets that carry `messages`; empty when a message cannot be carried (a write message
// longer than kCh341aLongestWrite, or a read of no byte).
[[nodiscard]] std::vector<Ch341aPacket> Ch341aPackets(std::span<bus::I2cMessage> messages);

// Puts the read bytes of `answer` (AnswerSize() bytes) where they go. False when its status byte
// says the device select was not acknowledged; then nothing is put.
[[nodiscard]] bool TakeCh341aAnswer(const Ch341aPacket& packet,
                                    std::span<const std::uint8_t> answer);

}  // namespace ports
