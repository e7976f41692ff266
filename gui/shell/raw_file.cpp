// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/raw_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "image_files/bounded_file_read.h"
#include "image_files/file_kind.h"
#include "image_files/safe_replace.h"
#include "platform/files.h"

namespace shell {

namespace {

FileError ErrorFromErrno(int error_number) {
  return FileError{.cause = CauseFromErrno(error_number), .error_number = error_number};
}

// What is reported for something that is not a data file: access to it is denied.
FileError NotADataFile() { return FileError{.cause = FileErrorCause::AccessDenied}; }

}  // namespace

RawFile::~RawFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::optional<FileError> RawFile::Open(const QString& path, int flags) {
  if (fd_ >= 0) Close();
  created_ = false;
  if (path.isEmpty()) return ErrorFromErrno(ENOENT);
  // The system's functions take the name in UTF-8.
  const std::string name = path.toUtf8().toStdString();
  // Looked at before opening, so that a pipe or a socket is refused as what it is: opening one
  // for writing with nobody at its other end would fail as if the hardware had.
  const std::optional<platform::FileStatus> named = platform::StatusOf(name);
  if (named && !image_files::IsDataFileKind(named->kind)) {
    return NotADataFile();
  }
  // Not blocking at open: whatever the path has become since it was looked at, the open must
  // not hang the program.
  const auto open = [&name, flags](int creation_flags) {
    int opened;
    do {
      opened = platform::OpenFile(name, flags | creation_flags);
    } while (opened < 0 && errno == EINTR);
    return opened;
  };
  bool created = false;
  const int fd = (flags & O_CREAT) != 0 ? image_files::OpenCreating(open, created) : open(0);
  if (fd < 0) return ErrorFromErrno(errno);

  // Looked at again on what was opened: the path may have been replaced in between.
  const std::optional<platform::FileStatus> info = platform::StatusOfOpen(fd);
  if (!info) {
    const int error_number = errno;
    ::close(fd);
    return ErrorFromErrno(error_number);
  }
  const bool regular = info->kind == platform::FileKind::Regular;
  if (!image_files::IsDataFileKind(info->kind)) {
    ::close(fd);
    return NotADataFile();
  }
  // A file read from stays non-blocking, so that a device that never ends is read within a
  // bound; one written to blocks again, so a device takes the bytes as usual.
  if ((flags & (O_WRONLY | O_RDWR)) != 0 && !platform::MakeBlocking(fd)) {
    const int error_number = errno;
    ::close(fd);
    return ErrorFromErrno(error_number);
  }
  // Only a file has contents to keep from others: a device such as /dev/null is shared by every
  // program on the machine, and locking it would refuse one of two that write to it at once.
  // A lock another program holds is a sharing violation, reported as EWOULDBLOCK on every system.
  if (regular) {
    const platform::Lock locked = platform::TryLockExclusive(fd);
    if (locked != platform::Lock::Taken) {
      const int error_number = locked == platform::Lock::HeldElsewhere ? EWOULDBLOCK : errno;
      ::close(fd);
      return ErrorFromErrno(error_number);
    }
  }
  fd_ = fd;
  regular_ = regular;
  path_ = name;
  created_ = created;
  opened_ = info->id;
  return std::nullopt;
}

std::optional<FileError> RawFile::OpenForReading(const QString& path) {
  return Open(path, O_RDONLY);
}

std::optional<FileError> RawFile::OpenForWriting(const QString& path) {
  return Open(path, O_WRONLY | O_CREAT);
}

std::optional<FileError> RawFile::Read(std::span<std::uint8_t> destination,
                                       std::size_t& count_read,
                                       std::chrono::milliseconds device_bound) {
  count_read = 0;
  if (fd_ < 0) return ErrorFromErrno(EBADF);
  const files::BoundedRead read =
      files::ReadWithin(fd_, destination, std::chrono::steady_clock::now() + device_bound);
  count_read = read.count;
  if (read.end == files::ReadEnd::EndOfFile || read.end == files::ReadEnd::Full) return std::nullopt;
  FileError error = ErrorFromErrno(read.end == files::ReadEnd::TimedOut ? ETIMEDOUT
                                                                       : read.error_number);
  // A device that did not end, or that refuses to be read as a data file is (/dev/kmsg gives
  // EINVAL to a read shorter than its next record), is reported as 30p reports it, with the
  // file named: the causes for files would blame the path or nothing.
  if (!regular_) {
    error.text =
        QString::fromStdString(image_files::ReadFailureRefusal(path_, read, device_bound));
  }
  return error;
}

std::optional<FileError> RawFile::Replace(std::span<const std::uint8_t> contents) {
  if (fd_ < 0) return ErrorFromErrno(EBADF);
  std::size_t written = 0;
  while (written < contents.size()) {
    const long long put =
        platform::WriteAt(fd_, contents.data() + written, contents.size() - written, written);
    if (put < 0) {
      if (errno == EINTR) continue;
      return ErrorFromErrno(errno);
    }
    if (put == 0) return ErrorFromErrno(ENOSPC);
    written += static_cast<std::size_t>(put);
  }
  // Only a regular file has a length to cut; a character device just takes the bytes.
  if (regular_ && !platform::CutFile(fd_, contents.size())) return ErrorFromErrno(errno);
  return std::nullopt;
}

std::optional<FileError> RawFile::Close() {
  if (fd_ < 0) return std::nullopt;
  const int fd = fd_;
  fd_ = -1;
  // The lock goes with the descriptor. close() is not retried on EINTR: the descriptor is gone.
  if (::close(fd) != 0 && errno != EINTR) return ErrorFromErrno(errno);
  return std::nullopt;
}

void RawFile::Discard() {
  Close();
  if (created_) image_files::RemoveCreatedFile(path_, opened_);
  created_ = false;
}

}  // namespace shell
