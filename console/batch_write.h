// SPDX-License-Identifier: GPL-3.0-or-later
// Writing an image file to the EEPROM as --write does, without printing anything.
//
// By default the EEPROM is read first and only the addresses the file holds whose bytes differ
// are written: a board that already holds the image gets no byte write at all. With `write_all`
// every address the file holds is written, without reading first. Each address gets the EEPROM's
// usual byte-write transaction with its acknowledge polling, or with a page size above 1 each run
// of consecutive addresses inside one page is one page write; the addresses go to the bus in
// slices of a few whole pages, in increasing order, so the caller can show progress between
// slices. Then,
// unless `verify` is off, the EEPROM is read back and compared over the addresses the file holds.
// Addresses the file does not hold are never written.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>

#include "bus/bus_result.h"
#include "bus/image.h"
#include "bus/page_runs.h"
#include "console/console_bus.h"
#include "image_files/partial_image.h"

namespace console {

// Addresses per slice of a write, at least: progress moves on after each slice. A slice ends
// with the page of its last address, so no page write is cut in two.
inline constexpr std::size_t kWriteSliceAddresses = 8;

struct BatchWriteSettings {
  bool write_all = false;  // write every address the file holds, unread
  bool verify = true;      // read back and compare after writing
  std::size_t page_size = bus::kByteWrites;  // bytes of one page write: 1, 2, 4, 8 or 16
};

enum class WritePhase { Reading, Writing, Verifying };

// Told when a phase begins, and after each slice of the writing phase: `done` of `total` bytes.
using WriteProgress = std::function<void(WritePhase phase, std::size_t done, std::size_t total)>;

struct BatchWriteOutcome {
  bus::BusResult result;              // the bus operation that failed; success when all ran
  std::size_t to_write = 0;           // addresses chosen for writing
  std::size_t written = 0;            // bytes written (by byte or page writes that completed)
  bus::AddressSet written_addresses;  // the addresses of those bytes
  bool verified = false;              // the EEPROM was read back after the writes
  std::optional<bus::Image> before;   // the EEPROM as read before writing (unless write_all)
  bus::Image read_back{};             // what the read-back found (when verified)
  bus::AddressSet mismatched;         // addresses the file holds that the read-back found different

  [[nodiscard]] bool ok() const { return result.ok() && mismatched.none(); }
};

// `progress` may be empty.
[[nodiscard]] BatchWriteOutcome WriteImageFile(ConsoleBus& bus,
                                               const image_files::PartialImage& file,
                                               const BatchWriteSettings& settings,
                                               const WriteProgress& progress);

}  // namespace console
