// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/startup.h"

#include <optional>

#include "console/data_files.h"
#include "console/input_conversions.h"

#ifndef PLOVER_VERSION
#define PLOVER_VERSION "unknown"
#endif

namespace console {

namespace {

constexpr const char* kIndent = "                       ";         // 23 spaces
constexpr const char* kIndentVersion = "                         ";  // 25 spaces
constexpr const char* kReleaseDate = "2026-12-08";

// Where the default data ends early the bytes read as erased EEPROM cells.
constexpr std::uint8_t kMissingByte = 0xFF;

}  // namespace

void PrintBanner(ConsoleOutput& out) {
  out.Print("%sPlover 30p, configuration EEPROM programmer\n", kIndent);
  out.Print("%sfor the LX5030P switch over the printer port\n", kIndent);
  out.Print("%sHelp: 30p --help, and the README that comes with it\n", kIndent);
  out.Print("%sVersion %s, %s\n\n\n", kIndentVersion, PLOVER_VERSION, kReleaseDate);
  out.Print("%s24C01 EEPROM PROGRAMMER\n\n", kIndent);
  out.Write("Connect a DB25 cable from parallel printer port to LX5030Q demo board.\n");
  out.Write("Set printer port to NORMAL mode.\n\n\n");
  out.Write("Push ENTER to continue.\n");
}

Flow RunStartup(ConsoleSession& session) {
  // The whole file is read before anything is printed, so an unreadable one prints nothing else.
  const std::optional<LoadedData> loaded = LoadDataFile(session.files, kDefaultDataFile);
  if (!loaded) {
    session.out.Write("file open failed. \n");
    return Flow::Quit;
  }
  session.EepromImage.fill(kMissingByte);
  ApplyLoadedData(*loaded, session.EepromImage);

  PrintBanner(session.out);
  if (ReadKey(session.in).status == ReadStatus::Ended) {
    return Flow::Quit;
  }
  session.out.Write("Contents of default data:\n");
  ImageListing(session.out, session.EepromImage, {AddressBase::Hexadecimal, session.terminal});
  return Flow::Continue;
}

}  // namespace console
