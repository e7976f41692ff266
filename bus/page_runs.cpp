// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/page_runs.h"

namespace bus {

bool IsPageSize(std::size_t size) {
  return size >= 1 && size <= kLargestPageSize && (size & (size - 1)) == 0;
}

std::vector<AddressRun> PageRuns(const AddressSet& addresses, std::size_t page_size) {
  if (!IsPageSize(page_size)) page_size = kByteWrites;
  std::vector<AddressRun> runs;
  bool open = false;  // the last run may take the next address
  for (std::size_t address = 0; address < addresses.size(); ++address) {
    if (!addresses.test(address)) {
      open = false;
      continue;
    }
    if (!open || address % page_size == 0) runs.push_back({address, 0});
    ++runs.back().count;
    open = true;
  }
  return runs;
}

}  // namespace bus
