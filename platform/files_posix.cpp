// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/files.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Waits until `fd` has something to give (bytes, end of file, or an error for read() to report).
// False, with `result` saying why, when `deadline` passes first or poll() itself fails.
bool WaitReadable(int fd, Clock::time_point deadline, BoundedRead& result) {
  for (;;) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) {
      result.end = ReadEnd::TimedOut;
      return false;
    }
    // Rounded up, so poll() never returns just before the deadline with nothing to show.
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    pollfd wanted{fd, POLLIN, 0};
    const int ready = ::poll(&wanted, 1, static_cast<int>(milliseconds));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) {
      result.end = ReadEnd::Failed;
      result.error_number = errno;
      return false;
    }
  }
}

FileKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::Regular;
  if (S_ISDIR(mode)) return FileKind::Directory;
  if (S_ISCHR(mode)) return FileKind::CharacterDevice;
  if (S_ISBLK(mode)) return FileKind::BlockDevice;
  if (S_ISFIFO(mode)) return FileKind::Pipe;
  if (S_ISSOCK(mode)) return FileKind::Socket;
  return FileKind::Other;
}

FileStatus StatusFrom(const struct stat& status) {
  return {KindOfMode(status.st_mode),
          {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)},
          static_cast<std::uint64_t>(status.st_size > 0 ? status.st_size : 0),
          static_cast<unsigned>(status.st_mode & 07777),
          static_cast<unsigned>(status.st_uid),
          static_cast<unsigned>(status.st_gid)};
}

}  // namespace

std::optional<FileStatus> StatusOf(const std::string& name, Links links) {
  struct stat status {};
  const int looked =
      links == Links::Follow ? ::stat(name.c_str(), &status) : ::lstat(name.c_str(), &status);
  if (looked != 0) return std::nullopt;
  return StatusFrom(status);
}

std::optional<FileStatus> StatusOfOpen(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) return std::nullopt;
  return StatusFrom(status);
}

int OpenFile(const std::string& name, int flags, unsigned mode) {
  return ::open(name.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, static_cast<mode_t>(mode));
}

bool MakeBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

Lock TryLockExclusive(int fd) {
  int locked;
  do {
    locked = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked == 0) return Lock::Taken;
  return errno == EWOULDBLOCK ? Lock::HeldElsewhere : Lock::Failed;
}

long long ReadAt(int fd, void* data, std::size_t size, std::uint64_t offset) {
  return ::pread(fd, data, size, static_cast<off_t>(offset));
}

long long WriteAt(int fd, const void* data, std::size_t size, std::uint64_t offset) {
  return ::pwrite(fd, data, size, static_cast<off_t>(offset));
}

bool SyncFile(int fd) { return ::fsync(fd) == 0; }

bool CutFile(int fd, std::uint64_t length) {
  int cut;
  do {
    cut = ::ftruncate(fd, static_cast<off_t>(length));
  } while (cut != 0 && errno == EINTR);
  return cut == 0;
}

bool MayWrite(const std::string& name) {
  return ::faccessat(AT_FDCWD, name.c_str(), W_OK, AT_EACCESS) == 0;
}

// Changing the owner is allowed only to root, and the group only to one the user belongs to;
// where not allowed they stay the user's, as for any file the user writes. The mode is set
// afterwards because a change of owner clears the set-user-ID and set-group-ID bits.
bool TakeOverAttributes(int fd, const FileStatus& old) {
  if (::fchown(fd, static_cast<uid_t>(old.owner), static_cast<gid_t>(old.group)) != 0) {
    (void)!::fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(old.group));
  }
  return ::fchmod(fd, static_cast<mode_t>(old.mode)) == 0;
}

bool RenameOver(const std::string& from, const std::string& to, int&) {
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  // Makes the rename itself durable; a folder that cannot be flushed loses nothing written.
  const std::filesystem::path target(to);
  const std::filesystem::path folder =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return true;
}

bool RemoveFile(const std::string& name) { return ::unlink(name.c_str()) == 0; }

std::optional<FileId> IdentifyExisting(const std::string& name) {
  const std::optional<FileStatus> status = StatusOf(name);
  if (!status) return std::nullopt;
  return status->id;
}

std::optional<std::string> LinkText(const std::string& name) {
  struct stat link {};
  if (::lstat(name.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return std::nullopt;
  std::string target(static_cast<std::size_t>(link.st_size > 0 ? link.st_size : PATH_MAX), '\0');
  const ssize_t length = ::readlink(name.c_str(), target.data(), target.size());
  if (length <= 0) return std::nullopt;
  target.resize(static_cast<std::size_t>(length));
  return target;
}

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

BoundedRead ReadWithin(int fd, std::span<std::uint8_t> buffer, Clock::time_point deadline) {
  BoundedRead result;
  while (result.count < buffer.size()) {
    const ssize_t got = ::read(fd, buffer.data() + result.count, buffer.size() - result.count);
    if (got > 0) {
      result.count += static_cast<std::size_t>(got);
      continue;
    }
    if (got == 0) return result;  // EndOfFile
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      result.end = ReadEnd::Failed;
      result.error_number = errno;
      return result;
    }
    if (!WaitReadable(fd, deadline, result)) return result;
  }
  result.end = ReadEnd::Full;
  return result;
}

}  // namespace platform
