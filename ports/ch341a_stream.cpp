// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/ch341a_stream.h"

#include <algorithm>

namespace bus {
namespace {

using namespace ch341a;

// Room kept at the end of every packet for its stop and its end byte.
constexpr std::size_t kClosingBytes = 2;
// Commands of one device select with its status: start, one-byte OUT, the address byte.
constexpr std::size_t kSelectCommands = 3;

class PacketBuilder {
 public:
  // True when `commands` more command bytes and `answers` more answer bytes fit in the packet
  // being built.
  [[nodiscard]] bool Fits(std::size_t commands, std::size_t answers) const {
    return current_.commands.size() + commands + kClosingBytes <= kCh341aPacketSize &&
           current_.answers.size() + answers <= kCh341aPacketSize;
  }
  // Makes room: closes the packet being built unless it is empty. False when even an empty packet
  // would not hold it.
  bool MakeRoom(std::size_t commands, std::size_t answers) {
    if (Fits(commands, answers)) return true;
    if (current_.commands.size() > 1) Close();
    return Fits(commands, answers);
  }
  [[nodiscard]] std::size_t AnswerRoom() const {
    return kCh341aPacketSize - current_.answers.size();
  }

  // A start (repeated within a packet) and the address byte, sent with its status.
  void Select(std::uint16_t address, bool read) {
    current_.commands.push_back(kStart);
    CheckedByte(static_cast<std::uint8_t>((address << 1) | (read ? 1 : 0)));
  }
  void CheckedByte(std::uint8_t byte) {
    current_.commands.push_back(kOut);
    current_.commands.push_back(byte);
    current_.answers.push_back(nullptr);
  }
  // Reads into `bytes`, acknowledging all but the last.
  void Read(std::span<std::uint8_t> bytes) {
    if (bytes.size() > 1) {
      current_.commands.push_back(static_cast<std::uint8_t>(kIn | (bytes.size() - 1)));
    }
    current_.commands.push_back(kIn);
    for (std::uint8_t& byte : bytes) current_.answers.push_back(&byte);
  }
  std::vector<Ch341aPacket> Finish() {
    if (current_.commands.size() > 1) Close();
    return std::move(packets_);
  }

 private:
  void Close() {
    current_.commands.push_back(kStop);
    current_.commands.push_back(kEnd);
    packets_.push_back(std::move(current_));
    current_ = Ch341aPacket{{kStream}, {}};
  }

  Ch341aPacket current_{{kStream}, {}};
  std::vector<Ch341aPacket> packets_;
};

bool AddWrite(PacketBuilder& builder, const I2cMessage& message) {
  const std::size_t count = message.data.size();
  if (!builder.MakeRoom(kSelectCommands + 2 * count, 1 + count)) return false;
  builder.Select(message.address, false);
  for (const std::uint8_t byte : message.data) builder.CheckedByte(byte);
  return true;
}

void AddRead(PacketBuilder& builder, const I2cMessage& message) {
  // A chunk is a select and at least one byte: its commands are the select, C0|n and C0.
  constexpr std::size_t kChunkCommands = kSelectCommands + 2;
  for (std::size_t offset = 0; offset < message.data.size();) {
    builder.MakeRoom(kChunkCommands, 2);
    const std::size_t count = std::min(message.data.size() - offset, builder.AnswerRoom() - 1);
    builder.Select(message.address, true);
    builder.Read(message.data.subspan(offset, count));
    offset += count;
  }
}

}  // namespace

std::vector<Ch341aPacket> Ch341aPackets(std::span<I2cMessage> messages) {
  PacketBuilder builder;
  for (const I2cMessage& message : messages) {
    if (message.read) {
      if (message.data.empty()) return {};
      AddRead(builder, message);
    } else if (!AddWrite(builder, message)) {
      return {};
    }
  }
  return builder.Finish();
}

bool TakeCh341aAnswer(const Ch341aPacket& packet, std::span<const std::uint8_t> answer) {
  bool acknowledged = true;
  for (std::size_t i = 0; i < packet.answers.size() && i < answer.size(); ++i) {
    if (packet.answers[i] == nullptr) {
      if ((answer[i] & kNotAcknowledged) != 0) acknowledged = false;
    } else {
      *packet.answers[i] = answer[i];
    }
  }
  return acknowledged;
}

}  // namespace bus
