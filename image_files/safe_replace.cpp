// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_files/safe_replace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "files/file_identity.h"
#include "image_files/file_kind.h"
#include "image_files/shown_file_name.h"

namespace image_files {

namespace {

std::string Cannot(const std::string& name, const std::string& cause) {
  return "cannot write " + ShownFileName(name) + ": " + cause;
}

std::string Reason() { return std::strerror(errno); }

// Writes all of `bytes`; false with errno set when the system refuses.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      if (count == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
  return true;
}

// A character device is written in place. Opened non-blocking so a device that waits for a
// carrier cannot stop the program in open(), then switched back so writes wait for room.
std::string WriteDevice(const std::string& name, std::string_view bytes) {
  const int fd = ::open(name.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    return Cannot(name, Reason());
  }
  std::string error;
  struct stat status {};
  const int flags = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, &status) != 0 || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    error = Cannot(name, Reason());
  } else if (!S_ISCHR(status.st_mode)) {
    error = Cannot(name, "it changed from a device to something else while being opened");
  } else if (!WriteAll(fd, bytes)) {
    error = Cannot(name, Reason());
  }
  if (::close(fd) != 0 && error.empty()) {
    error = Cannot(name, Reason());
  }
  return error;
}

// Takes the exclusive lock that a running virtual board holds on its board file (and plover and
// the menu's entry 3 take on a file they write), so that a file another program holds is not
// replaced under it: that program would go on writing into the old file, and what it wrote would
// be lost. The descriptor is kept until the replacement is done, so the file cannot be taken in
// between; -1 with `error` set when the file is in use or cannot be locked.
int LockExisting(const std::string& name, const std::string& target, std::string& error) {
  const int fd = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = Cannot(name, Reason());
    return -1;
  }
  int locked;
  do {
    locked = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    error = errno == EWOULDBLOCK
                ? Cannot(name,
                         "another program holds it open (a running virtual board or plover); "
                         "close that program or name another file")
                : Cannot(name, Reason());
    ::close(fd);
    return -1;
  }
  return fd;
}

// A new, empty file beside `target` under a name no other file has; -1 with errno set on failure.
// Created with 0666, which the umask reduces as it does for any new file.
int CreateTemporary(const std::filesystem::path& target, std::string& temporary) {
  static std::mt19937 generator{std::random_device{}()};
  const std::filesystem::path folder =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string suffix = std::to_string(::getpid()) + "-" + std::to_string(generator());
    temporary = folder / ("." + target.filename().string() + "." + suffix + ".tmp");
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      return fd;
    }
  }
  errno = EEXIST;
  return -1;
}

// Gives the new file the old one's owner, group and mode. Changing the owner is allowed only
// to root, and the group only to one the user belongs to; where not allowed they stay the
// user's, as for any file the user writes. The mode is set afterwards because a change of
// owner clears the set-user-ID and set-group-ID bits.
bool TakeOverAttributes(int fd, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
    (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
  }
  return ::fchmod(fd, old.st_mode & 07777) == 0;
}

// Makes the rename itself durable; a folder that cannot be flushed loses nothing already written.
void FlushFolder(const std::filesystem::path& target) {
  const std::filesystem::path folder =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

std::string ReplaceRegularFile(const std::string& name, const std::string& target,
                               const struct stat* old, std::string_view bytes) {
  std::string temporary;
  const int fd = CreateTemporary(target, temporary);
  if (fd < 0) {
    // Through a link the folder that could not take the file is the target's: name it.
    return Cannot(target == name ? name : name + " (a link to " + ShownFileName(target) + ")",
                  Reason());
  }
  bool written =
      (old == nullptr || TakeOverAttributes(fd, *old)) && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int saved_errno = errno;
  // A delayed write error (a full disk on some file systems) shows only at close.
  if (::close(fd) != 0 && written) {
    written = false;
    saved_errno = errno;
  }
  if (written && ::rename(temporary.c_str(), target.c_str()) == 0) {
    FlushFolder(target);
    return {};
  }
  if (written) saved_errno = errno;
  ::unlink(temporary.c_str());
  errno = saved_errno;
  return Cannot(name, Reason());
}

}  // namespace

std::string ReplaceFile(const std::string& name, std::string_view bytes) {
  if (name.empty()) {
    return "no file name given";
  }
  if (name.find('\0') != std::string::npos) {
    return Cannot(name, "a file name cannot hold a zero byte");
  }
  struct stat old {};
  const bool exists = ::stat(name.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) {
    return Cannot(name, Reason());
  }
  if (exists && S_ISCHR(old.st_mode)) {
    return WriteDevice(name, bytes);
  }
  if (exists && NotADataFileReason(old.st_mode) != nullptr) {
    return Cannot(name, NotADataFileReason(old.st_mode));
  }
  // Renaming would replace a file the user may not write; refuse as writing it in place would.
  if (exists && ::faccessat(AT_FDCWD, name.c_str(), W_OK, AT_EACCESS) != 0) {
    return Cannot(name, Reason());
  }
  if (std::filesystem::path(name).filename().empty()) {
    return Cannot(name, "the name ends in '/', so it names a folder");
  }
  // Through a symbolic link, dangling or not, the file it leads to is replaced and the link stays.
  const std::string target = files::FollowLinks(name);
  if (!exists) {
    return ReplaceRegularFile(name, target, nullptr, bytes);
  }
  std::string error;
  const int lock = LockExisting(name, target, error);
  if (lock < 0) {
    return error;
  }
  error = ReplaceRegularFile(name, target, &old, bytes);
  ::close(lock);
  return error;
}

int OpenCreating(const std::function<int(int creation_flags)>& open, bool& created) {
  created = false;
  const int fd = open(O_CREAT | O_EXCL);
  if (fd >= 0) {
    created = true;
    return fd;
  }
  return errno == EEXIST ? open(O_CREAT) : -1;
}

void RemoveCreatedFile(const std::string& name, const struct stat& opened) {
  struct stat now {};
  if (::lstat(name.c_str(), &now) == 0 && now.st_dev == opened.st_dev &&
      now.st_ino == opened.st_ino) {
    ::unlink(name.c_str());
  }
}

}  // namespace image_files
