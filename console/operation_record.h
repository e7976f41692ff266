// SPDX-License-Identifier: GPL-3.0-or-later
// What one batch operation did on a board, as the traceability log keeps it.
#pragma once

#include <optional>
#include <string>

#include "bus/image.h"

namespace console {

struct OperationRecord {
  // The image the operation wrote or compared (its file's), or read; none for --probe. Addresses a
  // file does not hold count as erased (0xFF).
  std::optional<bus::Image> image;
  bus::AddressSet written;   // addresses a byte write completed at
  bus::AddressSet differed;  // addresses at which the EEPROM differed from the file at the end
  std::string failure;       // what went wrong, its lines joined by "; "; empty when it succeeded
};

}  // namespace console
