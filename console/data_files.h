// SPDX-License-Identifier: GPL-3.0-or-later
// Data files: the image as a file of raw bytes, byte i for word address i, no header.
//
// Loading reads at most the first 128 bytes; a character device that gives neither them nor end
// of file within 2 s (a terminal, a serial port) is given up, as a file that cannot be read.
// Saving writes the 128 bytes at the start of the file and then cuts a longer regular file to
// them, in place. A data file is a regular file or a character device; anything else (a pipe, a
// folder) is refused as a file that cannot be opened, and opening never waits for another
// program. Saving takes an exclusive lock on the file first, so a board file that a running
// virtual board holds is never written behind its back. Files are opened through a FileOpener,
// so the fuzz target can keep the names it invents inside its own folder.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <climits>
#include <cstddef>
#include <optional>
#include <string>

#include "bus/image.h"
#include "files/read_within.h"

namespace console {

// The default data file, looked for in the current working directory.
inline constexpr const char* kDefaultDataFile = "30p.dat";

// The longest file name the system takes (its path limit, less the terminating zero).
inline constexpr std::size_t kMaxFileNameLength = PATH_MAX - 1;

class FileOpener {
 public:
  virtual ~FileOpener() = default;
  // Opens as platform::OpenFile does (binary, not blocking, never the controlling terminal): a
  // file descriptor, or -1 with errno set.
  virtual int Open(const std::string& name, int flags, mode_t mode) = 0;

 protected:
  FileOpener() = default;
  FileOpener(const FileOpener&) = default;
  FileOpener& operator=(const FileOpener&) = default;
};

// Opens names as given, relative to the current working directory.
class SystemFileOpener final : public FileOpener {
 public:
  int Open(const std::string& name, int flags, mode_t mode) override;
};

struct LoadedData {
  bus::Image bytes{};      // the first `count` bytes of the file; the rest zero
  std::size_t count = 0;   // 0 to 128
};

// The first bytes of the file `name`; nothing when it cannot be opened or read, is neither a
// regular file nor a character device, or is a device that gives neither end of file nor 128
// bytes within `device_bound` (a terminal, a serial port).
[[nodiscard]] std::optional<LoadedData> LoadDataFile(
    FileOpener& opener, const std::string& name,
    std::chrono::milliseconds device_bound = files::kDeviceEndBound);

// Replaces the first `loaded.count` bytes of the image; the rest keep their values.
void ApplyLoadedData(const LoadedData& loaded, bus::Image& image);

enum class SaveResult { Saved, OpenFailed, WriteFailed };

// Makes `name` hold the 128 bytes of `image`, creating it (mode 0600) if needed: writes them at
// its start, then cuts a regular file that was longer to 128 bytes. The file is changed in place,
// so an existing one keeps its inode, owner and mode; a character device just takes the bytes.
// WriteFailed when the write or the cut fails (a file this save created is then removed again, so
// a full disk leaves no empty file). OpenFailed, with nothing written, also when the file is
// neither a regular file nor a character device, or when another open file holds its lock.
[[nodiscard]] SaveResult SaveDataFile(FileOpener& opener, const std::string& name,
                                      const bus::Image& image);

}  // namespace console
