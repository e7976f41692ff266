// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/data_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "files/read_within.h"
#include "image_files/file_kind.h"
#include "image_files/safe_replace.h"
#include "platform/files.h"

namespace console {

namespace {

// A name with a zero byte in it cannot name a file; passing it on would open a shorter name.
bool IsUsableName(const std::string& name) {
  return !name.empty() && name.find('\0') == std::string::npos;
}

// Opens `name` without ever waiting: the open itself does not block (a pipe with nobody at its
// other end would block it for good), and a file that is not a regular file or a character
// device is closed again before anything is read from it or written to it. The descriptor that
// is returned does not block either: the reader bounds its waits on a device. A terminal never
// becomes the program's controlling terminal. -1 when refused.
int OpenDataFile(FileOpener& opener, const std::string& name, int flags, mode_t mode) {
  if (!IsUsableName(name)) {
    return -1;
  }
  int fd;
  do {
    fd = opener.Open(name, flags, mode);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    return -1;
  }
  const std::optional<platform::FileStatus> info = platform::StatusOfOpen(fd);
  if (!info || !image_files::IsDataFileKind(info->kind)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Takes the exclusive lock that a running virtual board holds on its board file (and that
// plover takes on every file it opens), without waiting for it. False when another open file
// holds it: the file is in use and must not be written.
// A device such as /dev/null is shared by every program on the machine and is not locked.
bool LockForWriting(int fd) {
  const std::optional<platform::FileStatus> info = platform::StatusOfOpen(fd);
  if (info && info->kind != platform::FileKind::Regular) {
    return true;
  }
  return platform::TryLockExclusive(fd) == platform::Lock::Taken;
}

// Cuts a regular file to the image's 128 bytes, in place: a longer file keeps no old tail after
// the image, and keeps its inode, owner and mode. A device such as /dev/null has no length to cut.
bool CutToImageLength(int fd) {
  const std::optional<platform::FileStatus> info = platform::StatusOfOpen(fd);
  if (!info) {
    return false;
  }
  if (info->kind != platform::FileKind::Regular) {
    return true;
  }
  return platform::CutFile(fd, bus::kEepromSize);
}

}  // namespace

int SystemFileOpener::Open(const std::string& name, int flags, mode_t mode) {
  return platform::OpenFile(name, flags, mode);
}

std::optional<LoadedData> LoadDataFile(FileOpener& opener, const std::string& name,
                                       std::chrono::milliseconds device_bound) {
  const int fd = OpenDataFile(opener, name, O_RDONLY, 0);
  if (fd < 0) {
    return std::nullopt;
  }
  LoadedData loaded;
  // A device that has not ended within the bound, one that fails (an I/O error) or refuses to be
  // read gives nothing.
  const files::BoundedRead read =
      files::ReadWithin(fd, loaded.bytes, std::chrono::steady_clock::now() + device_bound);
  ::close(fd);
  if (read.end == files::ReadEnd::TimedOut || read.end == files::ReadEnd::Failed) {
    return std::nullopt;
  }
  loaded.count = read.count;
  return loaded;
}

void ApplyLoadedData(const LoadedData& loaded, bus::Image& image) {
  for (std::size_t address = 0; address < loaded.count && address < image.size(); ++address) {
    image[address] = loaded.bytes[address];
  }
}

SaveResult SaveDataFile(FileOpener& opener, const std::string& name, const bus::Image& image) {
  bool created = false;
  const int fd = image_files::OpenCreating(
      [&](int creation_flags) {
        return OpenDataFile(opener, name, O_RDWR | creation_flags, 0600);
      },
      created);
  if (fd < 0) {
    return SaveResult::OpenFailed;
  }
  if (!platform::MakeBlocking(fd) || !LockForWriting(fd)) {
    ::close(fd);
    return SaveResult::OpenFailed;
  }
  const std::optional<platform::FileStatus> opened = platform::StatusOfOpen(fd);
  if (!opened) {
    ::close(fd);
    return SaveResult::OpenFailed;
  }
  bool failed = false;
  std::size_t written = 0;
  while (written < image.size()) {
    // A file just opened (without O_APPEND) is written from its start.
    const ssize_t count = ::write(fd, image.data() + written, image.size() - written);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      failed = true;  // disk full, I/O error
      break;
    }
    written += static_cast<std::size_t>(count);
  }
  if (!failed && !CutToImageLength(fd)) {
    failed = true;
  }
  // A delayed write error (a full disk on some file systems) shows only here. Closing the file
  // also drops the lock.
  if (::close(fd) != 0) {
    failed = true;
  }
  // A file this save made and could not fill is taken back: a failed save leaves no file behind
  // where there was none.
  if (failed && created) {
    image_files::RemoveCreatedFile(name, opened->id);
  }
  return failed ? SaveResult::WriteFailed : SaveResult::Saved;
}

}  // namespace console
