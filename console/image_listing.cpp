// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/image_listing.h"

namespace console {

void PrintListingHeader(ConsoleOutput& out) {
  for (int group = 0; group < kCellsPerRow; ++group) {
    out.Write(" #  data");
  }
  out.Write("\n");
}

void PrintListingCell(ConsoleOutput& out, int address, std::uint8_t value,
                      const ListingStyle& style) {
  const unsigned byte = value;
  if (style.address_base == AddressBase::Hexadecimal) {
    out.Print("%3x %3x ", static_cast<unsigned>(address), byte);
  } else {
    out.Print("%3d %3x ", address, byte);
  }
  if (style.terminal && (address + 1) % kCellsPerRow == 0) {
    out.Write("\n");
  }
}

void ImageListing(ConsoleOutput& out, const bus::Image& image, const ListingStyle& style) {
  PrintListingHeader(out);
  for (int address = 0; address < static_cast<int>(image.size()); ++address) {
    PrintListingCell(out, address, image[static_cast<std::size_t>(address)], style);
  }
}

}  // namespace console
