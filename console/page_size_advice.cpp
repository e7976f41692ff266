// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/page_size_advice.h"

#include <array>

#include "bus/page_runs.h"

namespace console {

namespace {

// Whether an EEPROM with pages of `eeprom_page` bytes, sent the runs of `seen`, holds what the
// read-back found at every address whose content the write decides or the earlier read knew.
bool Explains(const PageWriteSeen& seen, std::size_t eeprom_page) {
  std::array<std::optional<std::uint8_t>, bus::kEepromSize> expected{};
  if (seen.before != nullptr) {
    for (std::size_t address = 0; address < bus::kEepromSize; ++address) {
      expected[address] = (*seen.before)[address];
    }
  }
  for (const bus::AddressRun& run : bus::PageRuns(seen.written, seen.page_size)) {
    const std::size_t page_start = run.first - run.first % eeprom_page;
    for (std::size_t sent = 0; sent < run.count; ++sent) {
      const std::size_t landed = page_start + (run.first - page_start + sent) % eeprom_page;
      expected[landed] = (*seen.image)[run.first + sent];
    }
  }
  for (std::size_t address = 0; address < bus::kEepromSize; ++address) {
    if (expected[address] && *expected[address] != (*seen.read_back)[address]) return false;
  }
  return true;
}

}  // namespace

std::optional<std::size_t> PageSizeThatFits(const PageWriteSeen& seen) {
  for (std::size_t size = seen.page_size / 2; size >= bus::kByteWrites; size /= 2) {
    if (Explains(seen, size)) return size;
  }
  return std::nullopt;
}

std::string PageSizeHint(const PageWriteSeen& seen) {
  if (seen.page_size <= bus::kByteWrites) return {};
  const std::string asked = " with --page-size " + std::to_string(seen.page_size);
  if (const std::optional<std::size_t> fits = PageSizeThatFits(seen)) {
    if (*fits == bus::kByteWrites) {
      return asked + ": this EEPROM takes byte writes only; use --page-size 1";
    }
    return asked + ": the read-back fits pages of " + std::to_string(*fits) +
           " bytes; use --page-size " + std::to_string(*fits);
  }
  std::string smaller;
  for (std::size_t size = seen.page_size / 2; size >= bus::kByteWrites; size /= 2) {
    smaller += std::to_string(size) + (size == 2 ? " or " : size > 2 ? ", " : "");
  }
  return asked + ": the page size may be too large for this EEPROM; try --page-size " + smaller;
}

}  // namespace console
