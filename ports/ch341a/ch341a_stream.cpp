// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/ch341a/ch341a_stream.h"

#include <algorithm>

namespace ports {
namespace {

using namespace ch341a;

// A packet's fixed bytes: the stream byte, the start, the checked OUT and its select byte, then
// the stop and the end byte.
constexpr std::size_t kFixedBytes = 6;

// A packet that opens with the checked select of `address`.
Ch341aPacket Opening(std::uint16_t address, bool read) {
  return {{kStream, kStart, kOut, static_cast<std::uint8_t>((address << 1) | (read ? 1 : 0))},
          {}};
}

void Close(Ch341aPacket& packet) {
  packet.commands.push_back(kStop);
  packet.commands.push_back(kEnd);
}

// The write's select checked, then its bytes in one unchecked OUT.
Ch341aPacket WritePacket(const bus::I2cMessage& message) {
  Ch341aPacket packet = Opening(message.address, false);
  if (!message.data.empty()) {
    packet.commands.push_back(static_cast<std::uint8_t>(kOut | message.data.size()));
    packet.commands.insert(packet.commands.end(), message.data.begin(), message.data.end());
  }
  Close(packet);
  return packet;
}

// Chunks of at most 31 bytes, so the status byte and the bytes read fill one packet of answers:
// the select checked, all bytes but the last acknowledged, the last not.
void AddReads(std::vector<Ch341aPacket>& packets, const bus::I2cMessage& message) {
  for (std::size_t offset = 0; offset < message.data.size();) {
    const std::size_t count = std::min(message.data.size() - offset, kCh341aPacketSize - 1);
    Ch341aPacket packet = Opening(message.address, true);
    if (count > 1) packet.commands.push_back(static_cast<std::uint8_t>(kIn | (count - 1)));
    packet.commands.push_back(kIn);
    for (std::size_t i = 0; i < count; ++i) packet.reads.push_back(&message.data[offset + i]);
    Close(packet);
    packets.push_back(std::move(packet));
    offset += count;
  }
}

}  // namespace

static_assert(kFixedBytes + 1 + kCh341aLongestWrite == kCh341aPacketSize);

std::vector<Ch341aPacket> Ch341aPackets(std::span<bus::I2cMessage> messages) {
  std::vector<Ch341aPacket> packets;
  for (const bus::I2cMessage& message : messages) {
    if (message.read) {
      if (message.data.empty()) return {};
      AddReads(packets, message);
    } else {
      if (message.data.size() > kCh341aLongestWrite) return {};
      packets.push_back(WritePacket(message));
    }
  }
  return packets;
}

bool TakeCh341aAnswer(const Ch341aPacket& packet, std::span<const std::uint8_t> answer) {
  if (answer.size() != packet.AnswerSize() || (answer[0] & kNotAcknowledged) != 0) return false;
  for (std::size_t i = 0; i < packet.reads.size(); ++i) *packet.reads[i] = answer[1 + i];
  return true;
}

}  // namespace ports
