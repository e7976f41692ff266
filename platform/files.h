// SPDX-License-Identifier: GPL-3.0-or-later
// What the system does with data files: their kind and identity (device and inode; on Windows the
// volume serial and file index), opening them in binary mode without waiting, exclusive locks,
// flushing and renaming over for a safe replacement, what a symbolic link holds, the process id
// that temporary names carry, and a read that ends within a deadline on a device that may never
// end. Errors come back as errno values, whose strerror words are the same on both systems.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace platform {

// Which existing file it is; two names with equal ids are one file (hard links included).
struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileId&) const = default;
};

enum class FileKind { Regular, Directory, CharacterDevice, BlockDevice, Pipe, Socket, Other };

// What the system says of an existing file.
struct FileStatus {
  FileKind kind = FileKind::Other;
  FileId id;
  std::uint64_t size = 0;  // of a regular file
  unsigned mode = 0;       // permission bits, and owner and group, where the system has them
  unsigned owner = 0;
  unsigned group = 0;
};

enum class Links { Follow, Keep };

// The status of the file `name` leads to (or of the link itself with Links::Keep); nothing, with
// errno set, when it cannot be looked at.
[[nodiscard]] std::optional<FileStatus> StatusOf(const std::string& name,
                                                 Links links = Links::Follow);
[[nodiscard]] std::optional<FileStatus> StatusOfOpen(int fd);

// Opens a data file as open(2) does with `flags` of <fcntl.h> (O_RDONLY, O_WRONLY, O_RDWR, O_CREAT,
// O_EXCL), always in binary mode, without waiting at the open (a FIFO nobody reads, a device
// waiting for a carrier), never as the controlling terminal, not inherited by programs started.
// A new file gets `mode` less the umask where the system has modes. The descriptor does not block
// where the system can say so. -1 with errno set on failure.
[[nodiscard]] int OpenFile(const std::string& name, int flags, unsigned mode = 0666);

// Makes an open file block again, so a device takes written bytes as usual.
[[nodiscard]] bool MakeBlocking(int fd);

enum class Lock { Taken, HeldElsewhere, Failed };

// Takes the exclusive lock of the whole file without waiting (flock; LockFileEx on Windows),
// which the programs take on a file they write and a running virtual board on its board file.
// With Failed, errno says why.
[[nodiscard]] Lock TryLockExclusive(int fd);

// Reads or writes at `offset` of the open file, leaving its position as it was (pread, pwrite):
// the count moved, or -1 with errno set.
[[nodiscard]] long long ReadAt(int fd, void* data, std::size_t size, std::uint64_t offset);
[[nodiscard]] long long WriteAt(int fd, const void* data, std::size_t size, std::uint64_t offset);

// Flushes what was written to `fd` to the disk.
[[nodiscard]] bool SyncFile(int fd);

// Cuts or extends the open regular file to `length` bytes.
[[nodiscard]] bool CutFile(int fd, std::uint64_t length);

// Whether this user may write the existing file `name`; false with errno set when not.
[[nodiscard]] bool MayWrite(const std::string& name);

// Gives the new file `fd` the owner, group and mode of `old` where the system allows it.
[[nodiscard]] bool TakeOverAttributes(int fd, const FileStatus& old);

// Renames `from` over `to` in one step, durably (the folder flushed; write-through on Windows).
// `held` is a descriptor open on `to` whose lock keeps other programs out until the rename, or
// -1: it stays open where a file can be renamed over while open (POSIX), and is closed (and set to
// -1) just before the rename where it cannot (Windows). False with errno set on failure, when `to`
// is as it was.
[[nodiscard]] bool RenameOver(const std::string& from, const std::string& to, int& held);

// Removes the file `name`; false with errno set on failure.
bool RemoveFile(const std::string& name);

// The id of the existing file `name` (UTF-8) leads to, its symbolic links followed; nothing when
// there is none there or the system cannot say which it is.
[[nodiscard]] std::optional<FileId> IdentifyExisting(const std::string& name);

// What the symbolic link `name` holds, as written in it; nothing when `name` is no link.
[[nodiscard]] std::optional<std::string> LinkText(const std::string& name);

// This process's id, which makes the names of temporary files unique between programs.
[[nodiscard]] unsigned long ProcessId();

enum class ReadEnd {
  EndOfFile,  // the file ended
  Full,       // the buffer is full; the file may go on
  TimedOut,   // the deadline passed while the file had nothing to give
  Failed,     // the system refused; error_number says why
};

struct BoundedRead {
  std::size_t count = 0;  // bytes read into the front of the buffer
  ReadEnd end = ReadEnd::EndOfFile;
  int error_number = 0;  // with Failed: an errno value, whose strerror names the cause
};

// Reads the descriptor `fd` (opened with O_NONBLOCK where the system has it) into `buffer` until
// end of file or a full buffer. A regular file is read at once; a device is waited for while it
// has nothing to give, until `deadline` has passed.
[[nodiscard]] BoundedRead ReadWithin(int fd, std::span<std::uint8_t> buffer,
                                     std::chrono::steady_clock::time_point deadline);

}  // namespace platform
