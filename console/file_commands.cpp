// SPDX-License-Identifier: GPL-3.0-or-later
// Entries 3 and 4: save the image to a file the user names, and load it from one.
#include <optional>

#include "console/commands.h"
#include "console/data_files.h"
#include "console/input_conversions.h"

namespace console {

Flow SaveBufferToFile(ConsoleSession& session) {
  session.out.Write("Enter the name of file to save.\n");
  const WordRead name = ReadWord(session.in, kMaxFileNameLength);
  if (name.status == ReadStatus::Ended) {
    return Flow::Quit;
  }
  // A name longer than the system takes names no file: its open fails.
  const SaveResult result = name.status == ReadStatus::Ok
                                ? SaveDataFile(session.files, name.value, session.EepromImage)
                                : SaveResult::OpenFailed;
  switch (result) {
    case SaveResult::Saved:
      break;
    case SaveResult::OpenFailed:
      session.out.Write("Open failed\n");
      break;
    case SaveResult::WriteFailed:
      session.out.Write("Write failed\n");
      break;
  }
  return Flow::Continue;
}

Flow ReadCustomFile(ConsoleSession& session) {
  session.out.Write("Enter the name of file to read.\n");
  const WordRead name = ReadWord(session.in, kMaxFileNameLength);
  if (name.status == ReadStatus::Ended) {
    return Flow::Quit;
  }
  // A name longer than the system takes names no file: its open fails.
  const std::optional<LoadedData> loaded =
      name.status == ReadStatus::Ok ? LoadDataFile(session.files, name.value) : std::nullopt;
  if (loaded) {
    ApplyLoadedData(*loaded, session.EepromImage);
  } else {
    session.out.Write("Open failed\n");
  }
  // Listed after a failed open too: the user sees the image is unchanged.
  ImageListing(session.out, session.EepromImage, session.CommandListing());
  return Flow::Continue;
}

}  // namespace console
