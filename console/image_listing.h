// SPDX-License-Identifier: GPL-3.0-or-later
// ImageListing: the console's fixed-width listing of the image.
//
// An 80-character header line of ten " #  data" groups, then one 8-character cell per address,
// "%3x %3x " (hexadecimal address, start-up listing) or "%3d %3x " (decimal address, every
// listing of the menu commands). No line break is written between cells nor after the last one:
// an 80-column console wraps them ten to a line under the header. On a terminal the listing ends
// each row of ten cells with a line break itself, so it lines up on a terminal of any width.
#pragma once

#include "bus/image.h"
#include "console/console_output.h"

namespace console {

enum class AddressBase { Hexadecimal, Decimal };

inline constexpr int kCellsPerRow = 10;

struct ListingStyle {
  AddressBase address_base = AddressBase::Decimal;
  bool terminal = false;  // standard output is a terminal: break the line after every tenth cell
};

void PrintListingHeader(ConsoleOutput& out);
void PrintListingCell(ConsoleOutput& out, int address, std::uint8_t value, const ListingStyle& style);
// The header and all 128 cells.
void ImageListing(ConsoleOutput& out, const bus::Image& image, const ListingStyle& style);

}  // namespace console
