// SPDX-License-Identifier: GPL-3.0-or-later
// I2cAdapter: a port through which the programs reach the two-wire bus by whole messages.
//
// An I2C adapter (a USB bridge, a single-board computer's bus pins) makes the bit timing itself;
// the programs give it a transfer of one or more messages, each to a 7-bit bus address, written
// or read, with a repeated start between the messages and a stop after the last.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "bus/port_base.h"

namespace bus {

struct I2cMessage {
  std::uint16_t address = 0;  // 7-bit bus address
  bool read = false;          // read `data.size()` bytes, else write them
  std::span<std::uint8_t> data;
};

class I2cAdapter : public PortBase {
 public:
  // Runs `messages` as one transfer. Returns 0 when the adapter carried them all, else the
  // system's error number: ENXIO, EREMOTEIO, EIO or ETIMEDOUT (adapters differ) when a byte was
  // not acknowledged, EAGAIN or EBUSY when the adapter was busy, EOPNOTSUPP, EINVAL or EMSGSIZE
  // when it cannot make a transfer of this shape, ENODEV when it has gone.
  virtual int Transfer(std::span<I2cMessage> messages) = 0;

  // What the last transfer put on the adapter's own link (a USB bridge's bytes sent and
  // received), one line per exchange, for the trace; empty for an adapter that shows nothing.
  virtual std::string TakeWireNote() { return {}; }
};

}  // namespace bus
