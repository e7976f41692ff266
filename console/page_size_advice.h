// SPDX-License-Identifier: GPL-3.0-or-later
// What to try after page writes whose read-back differed from the file.
//
// An EEPROM whose pages are smaller than the page size asked for takes the bytes of each page
// write into its own smaller page: the address counter wraps there, so the later bytes of a run
// overwrite its first ones and the rest of the run's addresses keep what they held. That leaves a
// pattern in the read-back which tells the EEPROM's real page size, so the advice names the size
// that would have worked rather than one more to try.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "bus/image.h"

namespace console {

// What a write with page size `page_size` did and found.
struct PageWriteSeen {
  std::size_t page_size = 1;
  const bus::Image* image = nullptr;   // the bytes written (the file's)
  bus::AddressSet written;             // the addresses written, each in the run PageRuns gives
  const bus::Image* before = nullptr;  // the EEPROM before the write, when it was read first
  const bus::Image* read_back = nullptr;
};

// The largest page size below `seen.page_size` whose wrapping gives what the read-back found, or
// none when no page size explains it (the differences have another cause).
[[nodiscard]] std::optional<std::size_t> PageSizeThatFits(const PageWriteSeen& seen);

// The end of the message for a write whose read-back differed: empty for byte writes; else which
// page size to use (" with --page-size 16: the read-back fits pages of 4 bytes; use --page-size
// 4"),
// or every smaller size when no page size explains the differences.
[[nodiscard]] std::string PageSizeHint(const PageWriteSeen& seen);

}  // namespace console
