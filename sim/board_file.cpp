// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/board_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/files.h"

namespace sim {

namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string Reason() { return std::strerror(errno); }

// Reads or writes at `offset` until all of `size` bytes are moved; false with errno set on
// failure or an early end.
template <typename Transfer, typename Byte>
bool TransferAll(Transfer transfer, int fd, Byte* data, std::size_t size,
                 std::uint64_t offset = 0) {
  std::size_t done = 0;
  while (done < size) {
    const long long n = transfer(fd, data + done, size - done, offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size, std::uint64_t offset = 0) {
  return TransferAll(platform::WriteAt, fd, data, size, offset);
}

bool ReadAll(int fd, std::uint8_t* data, std::size_t size) {
  return TransferAll(platform::ReadAt, fd, data, size);
}

// What the symbolic link `path` holds; empty when `path` is no symbolic link.
std::string LinkText(const std::string& path) {
  return platform::LinkText(path).value_or(std::string());
}

// The file `path` names once the symbolic links it ends in are followed, the one open(2) with
// O_CREAT would create: a link's relative text is read from the link's own folder.
std::string LinkEnd(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {  // the kernel's own limit on links in a row
    const std::string text = LinkText(path);
    if (text.empty()) break;
    if (text.front() == '/') {
      path = text;
    } else {
      const std::size_t slash = path.rfind('/');
      path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + text;
    }
  }
  return path;
}

// Creates the missing board file `path`, or where it is a symbolic link to a file that does not
// exist, that file (as a shell's > would). `created` names the file made; -1 with `error` set
// when none could be made.
int CreateBoardFile(const std::string& path, std::string& created, std::string& error) {
  const std::string target = LinkEnd(path);
  const int fd = platform::OpenFile(target, O_RDWR | O_CREAT | O_EXCL, 0666);
  if (fd >= 0) {
    created = target;
  } else if (target == path) {
    error = "cannot open board file " + Quoted(path) + ": " + Reason();
  } else {
    const std::string reason = Reason();
    error = "board file " + Quoted(path) + " is a symbolic link to " + Quoted(LinkText(path)) +
            ", which cannot be created: " + reason;
  }
  return fd;
}

}  // namespace

std::unique_ptr<BoardFile> BoardFile::Open(const std::string& path, bus::Image& contents,
                                           std::string& error) {
  std::string created;  // the file this open made, if it made one
  // Not blocking: a FIFO or a device must be refused, not waited on.
  int fd = platform::OpenFile(path, O_RDWR);
  if (fd < 0 && errno == ENOENT) {
    fd = CreateBoardFile(path, created, error);
    if (fd < 0) return nullptr;
  }
  if (fd < 0) {
    error = "cannot open board file " + Quoted(path) + ": " + Reason();
    return nullptr;
  }
  // Every failure from here on closes the file, and removes it again if it was just created.
  auto fail = [&](std::string message) {
    error = std::move(message);
    ::close(fd);
    if (!created.empty()) platform::RemoveFile(created);
    return nullptr;
  };

  const platform::Lock locked = platform::TryLockExclusive(fd);
  if (locked == platform::Lock::HeldElsewhere) {
    return fail("board file " + Quoted(path) + " is in use by another program");
  }
  if (locked == platform::Lock::Failed) {
    return fail("cannot lock board file " + Quoted(path) + ": " + Reason());
  }
  const std::optional<platform::FileStatus> info = platform::StatusOfOpen(fd);
  if (!info) {
    return fail("cannot examine board file " + Quoted(path) + ": " + Reason());
  }
  if (info->kind != platform::FileKind::Regular) {
    return fail("board file " + Quoted(path) + " is not a regular file");
  }
  if (info->size == 0) {  // new or empty: an erased EEPROM
    contents.fill(0xFF);
    if (!WriteAll(fd, contents.data(), contents.size())) {
      return fail("cannot write board file " + Quoted(path) + ": " + Reason());
    }
  } else if (info->size == bus::kEepromSize) {
    if (!ReadAll(fd, contents.data(), contents.size())) {
      return fail("cannot read board file " + Quoted(path) + ": " + Reason());
    }
  } else {
    return fail("board file " + Quoted(path) + " is " + std::to_string(info->size) +
                " bytes long; it must hold exactly " + std::to_string(bus::kEepromSize) +
                " bytes (or be empty for an erased EEPROM)");
  }
  return std::unique_ptr<BoardFile>(new BoardFile(path, fd));
}

BoardFile::~BoardFile() { ::close(fd_); }

bus::BusResult BoardFile::Store(const bus::Image& contents, int first, int last) {
  const auto from = static_cast<std::size_t>(first);
  if (WriteAll(fd_, contents.data() + from, static_cast<std::size_t>(last - first + 1), from)) {
    return bus::BusResult::Success();
  }
  const int error_number = errno;
  const std::string what = first == last ? "the write of address " + std::to_string(first)
                                         : "the write of addresses " + std::to_string(first) +
                                               " to " + std::to_string(last);
  return bus::BusResult::Failed("cannot store " + what + " in board file " + Quoted(path_) +
                                    ": " + std::strerror(error_number),
                                first, error_number);
}

}  // namespace sim
