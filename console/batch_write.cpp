// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/batch_write.h"

#include "console/image_comparison.h"

namespace console {

namespace {

void Tell(const WriteProgress& progress, WritePhase phase, std::size_t done, std::size_t total) {
  if (progress) progress(phase, done, total);
}

// The addresses to write: those the file holds, or (reading the EEPROM first) those of them
// whose bytes differ. Fails only when the read fails.
bus::BusResult ChooseAddresses(ConsoleBus& bus, const image_files::PartialImage& file,
                               const BatchWriteSettings& settings, const WriteProgress& progress,
                               bus::AddressSet& chosen, std::optional<bus::Image>& before) {
  if (settings.write_all) {
    chosen = file.held;
    return bus::BusResult::Success();
  }
  Tell(progress, WritePhase::Reading, 0, 0);
  bus::Image eeprom{};
  const bus::BusResult read = bus.ReadEeprom(eeprom);
  if (read.ok()) {
    chosen = DifferingAddresses(file, eeprom);
    before = eeprom;
  }
  return read;
}

// The next `kWriteSliceAddresses` addresses of `remaining` and the rest of the last one's page,
// taken out of it.
bus::AddressSet TakeSlice(bus::AddressSet& remaining, std::size_t page_size) {
  bus::AddressSet slice;
  for (std::size_t address = 0; address < bus::kEepromSize; ++address) {
    const bool page_begins = address % page_size == 0;
    if (slice.count() >= kWriteSliceAddresses && page_begins) break;
    if (!remaining[address]) continue;
    slice.set(address);
    remaining.reset(address);
  }
  return slice;
}

// The addresses of `slice` below `stop`, the address a failed write stopped at: those were
// written before it.
bus::AddressSet WrittenBefore(const bus::AddressSet& slice, int stop) {
  bus::AddressSet written;
  for (int address = 0; address < stop && address < static_cast<int>(bus::kEepromSize); ++address) {
    written[static_cast<std::size_t>(address)] = slice[static_cast<std::size_t>(address)];
  }
  return written;
}

void WriteSlices(ConsoleBus& bus, const image_files::PartialImage& file, bus::AddressSet remaining,
                 std::size_t page_size, const WriteProgress& progress,
                 BatchWriteOutcome& outcome) {
  while (remaining.any()) {
    const bus::AddressSet slice = TakeSlice(remaining, page_size);
    outcome.result = bus.WriteEepromAddresses(file.bytes, slice, page_size);
    const bus::AddressSet written =
        outcome.result.ok() ? slice : WrittenBefore(slice, outcome.result.address);
    outcome.written += written.count();
    outcome.written_addresses |= written;
    if (!outcome.result.ok()) return;
    Tell(progress, WritePhase::Writing, outcome.written, outcome.to_write);
  }
}

}  // namespace

BatchWriteOutcome WriteImageFile(ConsoleBus& bus, const image_files::PartialImage& file,
                                 const BatchWriteSettings& settings,
                                 const WriteProgress& progress) {
  BatchWriteOutcome outcome;
  bus::AddressSet chosen;
  outcome.result = ChooseAddresses(bus, file, settings, progress, chosen, outcome.before);
  if (!outcome.result.ok()) return outcome;
  outcome.to_write = chosen.count();
  if (outcome.to_write > 0) Tell(progress, WritePhase::Writing, 0, outcome.to_write);
  WriteSlices(bus, file, chosen, settings.page_size, progress, outcome);
  if (!outcome.result.ok() || !settings.verify) return outcome;

  Tell(progress, WritePhase::Verifying, 0, 0);
  outcome.result = bus.ReadEeprom(outcome.read_back);
  if (!outcome.result.ok()) return outcome;
  outcome.verified = true;
  outcome.mismatched = DifferingAddresses(file, outcome.read_back);
  return outcome;
}

}  // namespace console
