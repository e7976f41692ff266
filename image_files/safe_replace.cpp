// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_files/safe_replace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "files/file_identity.h"
#include "files/utf8_path.h"
#include "image_files/file_kind.h"
#include "image_files/shown_file_name.h"
#include "platform/files.h"

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
  const int fd = platform::OpenFile(name, O_WRONLY);
  if (fd < 0) {
    return Cannot(name, Reason());
  }
  std::string error;
  const std::optional<platform::FileStatus> status = platform::StatusOfOpen(fd);
  if (!status || !platform::MakeBlocking(fd)) {
    error = Cannot(name, Reason());
  } else if (status->kind != platform::FileKind::CharacterDevice) {
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
  const int fd = platform::OpenFile(target, O_RDONLY);
  if (fd < 0) {
    error = Cannot(name, Reason());
    return -1;
  }
  const platform::Lock locked = platform::TryLockExclusive(fd);
  if (locked != platform::Lock::Taken) {
    error = locked == platform::Lock::HeldElsewhere
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
    const std::string suffix =
        std::to_string(platform::ProcessId()) + "-" + std::to_string(generator());
    temporary =
        files::TextOf(folder / files::PathOf("." + files::TextOf(target.filename()) + "." + suffix +
                                             ".tmp"));
    const int fd = platform::OpenFile(temporary, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd >= 0 || errno != EEXIST) {
      return fd;
    }
  }
  errno = EEXIST;
  return -1;
}

// `lock` holds the lock on the existing target (-1 for a new file) until the rename at least;
// the caller closes it when it is still open afterwards.
std::string ReplaceRegularFile(const std::string& name, const std::string& target,
                               const platform::FileStatus* old, int& lock,
                               std::string_view bytes) {
  std::string temporary;
  const int fd = CreateTemporary(files::PathOf(target), temporary);
  if (fd < 0) {
    // Through a link the folder that could not take the file is the target's: name it.
    return Cannot(target == name ? name : name + " (a link to " + ShownFileName(target) + ")",
                  Reason());
  }
  // The new file takes the old one's owner, group and mode where the system allows it.
  bool written = (old == nullptr || platform::TakeOverAttributes(fd, *old)) &&
                 WriteAll(fd, bytes) && platform::SyncFile(fd);
  int saved_errno = errno;
  // A delayed write error (a full disk on some file systems) shows only at close.
  if (::close(fd) != 0 && written) {
    written = false;
    saved_errno = errno;
  }
  if (written && platform::RenameOver(temporary, target, lock)) {
    return {};
  }
  if (written) saved_errno = errno;
  platform::RemoveFile(temporary);
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
  const std::optional<platform::FileStatus> old = platform::StatusOf(name);
  const bool exists = old.has_value();
  if (!exists && errno != ENOENT) {
    return Cannot(name, Reason());
  }
  if (exists && old->kind == platform::FileKind::CharacterDevice) {
    return WriteDevice(name, bytes);
  }
  if (exists && NotADataFileReason(old->kind) != nullptr) {
    return Cannot(name, NotADataFileReason(old->kind));
  }
  // Renaming would replace a file the user may not write; refuse as writing it in place would.
  if (exists && !platform::MayWrite(name)) {
    return Cannot(name, Reason());
  }
  if (files::PathOf(name).filename().empty()) {
    return Cannot(name, "the name ends in '/', so it names a folder");
  }
  // Through a symbolic link, dangling or not, the file it leads to is replaced and the link stays.
  const std::string target = files::FollowLinks(name);
  if (!exists) {
    int no_lock = -1;
    return ReplaceRegularFile(name, target, nullptr, no_lock, bytes);
  }
  std::string error;
  int lock = LockExisting(name, target, error);
  if (lock < 0) {
    return error;
  }
  error = ReplaceRegularFile(name, target, &*old, lock, bytes);
  if (lock >= 0) ::close(lock);
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

void RemoveCreatedFile(const std::string& name, const platform::FileId& opened) {
  const std::optional<platform::FileStatus> now = platform::StatusOf(name, platform::Links::Keep);
  if (now && now->id == opened) {
    platform::RemoveFile(name);
  }
}

}  // namespace image_files
