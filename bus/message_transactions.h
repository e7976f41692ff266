// SPDX-License-Identifier: GPL-3.0-or-later
// MessageTransactions: the board's operations as whole messages to an I2C adapter.
//
// The EEPROM answers at bus address 0x50 and the switch chip at 0x5F, as on the parallel port.
// A write sends one message [address, byte] per word address, or in page writes one message
// [address, bytes...] per run of addresses inside one page; an adapter that refuses a message
// that long as unsupported or too long gets shorter ones, halving the length until one is taken
// (never crossing the page, and learned once for the connection). A message that is not
// acknowledged (the EEPROM busy with the previous write cycle) is sent again until one sent 100 ms
// of the adapter's clock or more after the first fails, and at least 3 times; so is one the
// adapter was too busy for a moment to make. A read is one transfer of the address write [0x00]
// and a 128-byte read with a repeated start, polled like a write. Many adapters cannot make
// a transfer of that shape (one message per transfer, or short reads only): when the adapter
// refuses it as unsupported or too long, the read falls back to the address write alone and then
// current-address reads in chunks the adapter takes, halving the chunk until one is taken. What
// works is learned once and kept for the connection's life.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "bus/bus_transactions.h"
#include "bus/i2c_adapter.h"

namespace bus {

inline constexpr std::uint16_t kEepromBusAddress = 0x50;
inline constexpr std::uint16_t kSwitchBusAddress = 0x5F;

class MessageTransactions final : public BusTransactions {
 public:
  explicit MessageTransactions(I2cAdapter& adapter) : adapter_(adapter) {}

  BusResult WritePages(const Image& image, const AddressSet& addresses,
                       std::size_t page_size) override;
  BusResult ReadEeprom(Image& destination) override;
  BusResult DumpSwitchRegisters(Image& destination) override;
  ProbeReport Probe() override;
  BusResult ProbeEeprom() override;

  // What the connection has learned of the adapter (tests, benchmarks).
  [[nodiscard]] bool TakesAddressAndReadInOneTransfer() const { return combined_ != Shape::No; }
  [[nodiscard]] std::size_t ReadChunk() const { return read_chunk_; }
  [[nodiscard]] std::size_t LongestWrite() const { return longest_write_; }

 private:
  enum class Shape { Unknown, Yes, No };

  // Runs `messages`, again while they are not acknowledged, within the polling bound.
  int TransferPolled(std::span<I2cMessage> messages);
  // One run of a write, in messages of at most longest_write_ data bytes.
  BusResult WriteRun(const Image& image, const AddressRun& run);
  // The message [address, bytes...] of `run`, polled; the transfer's error number.
  int SendWrite(const Image& image, const AddressRun& run);
  BusResult ReadFrom(std::uint16_t bus_address, BusDevice device, Image& destination);
  BusResult ReadInChunks(std::uint16_t bus_address, BusDevice device, Image& received);
  BusResult Answers(std::uint16_t bus_address, BusDevice device);

  I2cAdapter& adapter_;
  Shape combined_ = Shape::Unknown;
  std::size_t read_chunk_ = 128;
  std::size_t longest_write_ = kLargestPageSize;  // data bytes of the longest write message taken
};

// True for the errors adapters give for a byte that was not acknowledged: ENXIO (MCP2221A,
// i2c-tiny-usb), EREMOTEIO (Raspberry Pi), EIO (FT260), ETIMEDOUT (CP2112).
[[nodiscard]] bool IsNotAcknowledged(int error_number);
// True for an adapter that was busy a moment (EAGAIN, EBUSY): tried again like a missing
// acknowledge, within the same bound.
[[nodiscard]] bool IsTransient(int error_number);
// True for the errors adapters give for a transfer they cannot make (its shape or length).
[[nodiscard]] bool IsUnsupportedTransfer(int error_number);

}  // namespace bus
