// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/files.h"
#include "platform/system_text_windows.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// The errno value whose strerror says what the Windows error `code` says, so messages read as on
// POSIX systems; EIO for the causes that have no such word.
int ErrnoFor(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_INVALID_HANDLE:
      return EBADF;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
      return EPIPE;
    default:
      return EIO;
  }
}

// A worker thread's blocking ReadFile of a device, into a buffer of its own: a read that cannot
// be cancelled (some consoles) is left to end by itself, and never writes into the caller's
// buffer afterwards. Shared by the thread and the reader; the last one to let go frees it.
struct DeviceRead {
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::vector<std::uint8_t> data;
  DWORD got = 0;
  DWORD error = 0;  // 0 when the read succeeded
};

DWORD WINAPI ReadDevice(LPVOID parameter) {
  const std::unique_ptr<std::shared_ptr<DeviceRead>> held(
      static_cast<std::shared_ptr<DeviceRead>*>(parameter));
  DeviceRead& read = **held;
  if (!::ReadFile(read.handle, read.data.data(), static_cast<DWORD>(read.data.size()), &read.got,
                  nullptr)) {
    read.error = ::GetLastError();
  }
  return 0;
}

// How long a cancelled read is given to end before it is left running.
constexpr DWORD kCancelWait = 200;

// One read of the device `handle`, given up at `deadline`: Windows has no non-blocking read of a
// console or serial port opened for synchronous I/O, so a thread reads and is cancelled when the
// deadline passes. False, with `result` saying why, when nothing came.
bool ReadDeviceOnce(HANDLE handle, std::span<std::uint8_t> room, Clock::time_point deadline,
                    DWORD& got, BoundedRead& result) {
  auto read = std::make_shared<DeviceRead>();
  read->handle = handle;
  read->data.resize(room.size());
  auto* for_thread = new std::shared_ptr<DeviceRead>(read);
  HANDLE thread = ::CreateThread(nullptr, 0, ReadDevice, for_thread, 0, nullptr);
  if (thread == nullptr) {
    delete for_thread;
    result.end = ReadEnd::Failed;
    result.error_number = ErrnoFor(::GetLastError());
    return false;
  }
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  if (::WaitForSingleObject(thread, static_cast<DWORD>(left > 0 ? left : 0)) != WAIT_OBJECT_0) {
    ::CancelSynchronousIo(thread);
    const bool ended = ::WaitForSingleObject(thread, kCancelWait) == WAIT_OBJECT_0;
    ::CloseHandle(thread);
    if (!ended || read->error == ERROR_OPERATION_ABORTED || read->got == 0) {
      result.end = ReadEnd::TimedOut;
      return false;
    }
  } else {
    ::CloseHandle(thread);
  }
  if (read->error != 0 && read->error != ERROR_BROKEN_PIPE && read->error != ERROR_HANDLE_EOF) {
    result.end = ReadEnd::Failed;
    result.error_number = ErrnoFor(read->error);
    return false;
  }
  got = read->error == 0 ? read->got : 0;
  std::copy_n(read->data.begin(), got, room.begin());
  return true;
}

// Returns false with errno set from the last Windows error.
bool Fail() {
  errno = ErrnoFor(::GetLastError());
  return false;
}

std::optional<std::wstring> Wide(const std::string& name) {
  std::optional<std::wstring> wide = WideFromUtf8(name);
  if (!wide) errno = ENOENT;  // no file has a name that is not UTF-8
  return wide;
}

HANDLE OsHandle(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

std::optional<FileStatus> StatusOfHandle(HANDLE handle) {
  FileStatus status;
  switch (::GetFileType(handle)) {
    case FILE_TYPE_CHAR:
      status.kind = FileKind::CharacterDevice;  // NUL, CON, COM1: no file index to give
      return status;
    case FILE_TYPE_PIPE:
      status.kind = FileKind::Pipe;
      return status;
    case FILE_TYPE_DISK:
      break;
    default:
      return status;
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(handle, &information)) {
    Fail();
    return std::nullopt;
  }
  const bool folder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  status.kind = folder ? FileKind::Directory : FileKind::Regular;
  status.id = {
      information.dwVolumeSerialNumber,
      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
  status.size =
      (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
  status.mode = (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
  return status;
}

// A handle for looking at a file, asking for no access, so whoever holds it does not matter.
// Folders need FILE_FLAG_BACKUP_SEMANTICS to be opened at all.
HANDLE LookAt(const std::wstring& name, DWORD more_flags) {
  return ::CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | more_flags, nullptr);
}

bool IsFolder(const std::wstring& name) {
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::optional<FileStatus> StatusOf(const std::string& name, Links links) {
  const std::optional<std::wstring> wide = Wide(name);
  if (!wide) return std::nullopt;
  HANDLE handle = LookAt(*wide, links == Links::Keep ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  if (handle == INVALID_HANDLE_VALUE) {
    Fail();
    return std::nullopt;
  }
  std::optional<FileStatus> status = StatusOfHandle(handle);
  ::CloseHandle(handle);
  return status;
}

std::optional<FileStatus> StatusOfOpen(int fd) {
  const HANDLE handle = OsHandle(fd);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return std::nullopt;
  }
  return StatusOfHandle(handle);
}

int OpenFile(const std::string& name, int flags, unsigned) {
  const std::optional<std::wstring> wide = Wide(name);
  if (!wide) return -1;
  const int access_mode = flags & (O_RDONLY | O_WRONLY | O_RDWR);
  const DWORD access = access_mode == O_RDONLY   ? GENERIC_READ
                       : access_mode == O_WRONLY ? GENERIC_WRITE
                                                 : GENERIC_READ | GENERIC_WRITE;
  const DWORD creation = (flags & O_CREAT) == 0  ? OPEN_EXISTING
                         : (flags & O_EXCL) != 0 ? CREATE_NEW
                                                 : OPEN_ALWAYS;
  // Shared for deletion too, so a file held open can still be replaced by a rename.
  HANDLE handle =
      ::CreateFileW(wide->c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED &&
      IsFolder(*wide)) {
    // As on POSIX systems: a folder opens for reading (and is then refused for its kind), and
    // cannot be opened for writing.
    if (access_mode != O_RDONLY) {
      errno = EISDIR;
      return -1;
    }
    handle = LookAt(*wide, 0);
  }
  if (handle == INVALID_HANDLE_VALUE) {
    Fail();
    return -1;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle),
                                   _O_BINARY | (access_mode == O_RDONLY ? _O_RDONLY : 0));
  if (fd < 0) {
    ::CloseHandle(handle);
    errno = EMFILE;
  }
  return fd;
}

bool MakeBlocking(int) { return true; }

Lock TryLockExclusive(int fd) {
  OVERLAPPED whole{};
  if (::LockFileEx(OsHandle(fd), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                   MAXDWORD, &whole)) {
    return Lock::Taken;
  }
  const DWORD error = ::GetLastError();
  if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return Lock::HeldElsewhere;
  errno = ErrnoFor(error);
  return Lock::Failed;
}

namespace {

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

}  // namespace

long long ReadAt(int fd, void* data, std::size_t size, std::uint64_t offset) {
  OVERLAPPED at = At(offset);
  DWORD got = 0;
  if (::ReadFile(OsHandle(fd), data, static_cast<DWORD>(size), &got, &at)) return got;
  return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : (Fail(), -1);
}

long long WriteAt(int fd, const void* data, std::size_t size, std::uint64_t offset) {
  OVERLAPPED at = At(offset);
  DWORD written = 0;
  if (::WriteFile(OsHandle(fd), data, static_cast<DWORD>(size), &written, &at)) return written;
  return Fail(), -1;
}

bool SyncFile(int fd) { return ::FlushFileBuffers(OsHandle(fd)) || Fail(); }

bool CutFile(int fd, std::uint64_t length) {
  const errno_t error = ::_chsize_s(fd, static_cast<long long>(length));
  if (error == 0) return true;
  errno = error;
  return false;
}

bool MayWrite(const std::string& name) {
  const std::optional<std::wstring> wide = Wide(name);
  if (!wide) return false;
  const DWORD attributes = ::GetFileAttributesW(wide->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Fail();
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    errno = EACCES;
    return false;
  }
  return true;
}

// The new file takes the folder's permissions, as any file written there; a read-only file is
// refused before it is replaced (MayWrite).
bool TakeOverAttributes(int, const FileStatus&) { return true; }

bool RenameOver(const std::string& from, const std::string& to, int& held) {
  const std::optional<std::wstring> wide_from = Wide(from);
  const std::optional<std::wstring> wide_to = Wide(to);
  if (!wide_from || !wide_to) return false;
  // Windows renames over no file that is open, even one shared for deletion.
  if (held >= 0) {
    ::_close(held);
    held = -1;
  }
  return ::MoveFileExW(wide_from->c_str(), wide_to->c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
         Fail();
}

bool RemoveFile(const std::string& name) {
  const std::optional<std::wstring> wide = Wide(name);
  return wide && (::DeleteFileW(wide->c_str()) || Fail());
}

std::optional<FileId> IdentifyExisting(const std::string& name) {
  const std::optional<FileStatus> status = StatusOf(name);
  // A device such as NUL has no file index: it is no file of a folder.
  if (!status || status->kind == FileKind::CharacterDevice || status->kind == FileKind::Pipe) {
    return std::nullopt;
  }
  return status->id;
}

std::optional<std::string> LinkText(const std::string& name) {
  const std::optional<std::wstring> wide = WideFromUtf8(name);
  if (!wide) return std::nullopt;
  const DWORD attributes = ::GetFileAttributesW(wide->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return std::nullopt;
  }
  std::error_code error;
  const std::filesystem::path target = std::filesystem::read_symlink(*wide, error);
  if (error) return std::nullopt;
  return Utf8FromWide(target.native());
}

unsigned long ProcessId() { return ::GetCurrentProcessId(); }

BoundedRead ReadWithin(int fd, std::span<std::uint8_t> buffer, Clock::time_point deadline) {
  BoundedRead result;
  const HANDLE handle = OsHandle(fd);
  if (handle == INVALID_HANDLE_VALUE) {
    result.end = ReadEnd::Failed;
    result.error_number = EBADF;
    return result;
  }
  // A file on a disk has its bytes to give at once; a pipe reads until its writer closes it.
  const bool device = ::GetFileType(handle) == FILE_TYPE_CHAR;
  while (result.count < buffer.size()) {
    const std::span<std::uint8_t> room = buffer.subspan(result.count);
    DWORD got = 0;
    if (device) {
      if (!ReadDeviceOnce(handle, room, deadline, got, result)) return result;
    } else if (!::ReadFile(handle, room.data(), static_cast<DWORD>(room.size()), &got, nullptr)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return result;
      result.end = ReadEnd::Failed;
      result.error_number = ErrnoFor(error);
      return result;
    }
    if (got == 0) return result;  // EndOfFile (NUL reads as empty)
    result.count += got;
  }
  result.end = ReadEnd::Full;
  return result;
}

}  // namespace platform
