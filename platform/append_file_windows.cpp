// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/append_file.h"
#include "platform/system_text_windows.h"

namespace platform {

namespace {

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Appending only (FILE_APPEND_DATA without FILE_WRITE_DATA): every write lands at the end of the
// file, wherever a read left the file pointer. Other programs may read, append and rename.
HANDLE OpenForAppending(const std::wstring& path) {
  return ::CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool IsDirectory(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

AppendFile::~AppendFile() {
  if (IsOpen()) ::CloseHandle(Handle(handle_));
  if (reader_ != kClosed) ::CloseHandle(Handle(reader_));
}

std::string AppendFile::Open(const std::string& path) {
  const std::optional<std::wstring> wide = WideFromUtf8(path);
  if (!wide) return "the name is not valid UTF-8";
  HANDLE handle = OpenForAppending(*wide);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // Windows opens no directory for writing, and says only that access is denied.
    if (error == ERROR_ACCESS_DENIED && IsDirectory(*wide)) return "it is not a regular file";
    return SystemMessage(error);
  }
  handle_ = reinterpret_cast<std::intptr_t>(handle);
  const DWORD type = ::GetFileType(handle);
  regular_ = type == FILE_TYPE_DISK;
  if (!regular_ && type != FILE_TYPE_CHAR) {
    ::CloseHandle(handle);
    handle_ = kClosed;
    return "it is not a regular file";
  }
  if (regular_) {
    const HANDLE reader = ::CreateFileW(wide->c_str(), FILE_READ_DATA | SYNCHRONIZE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (reader != INVALID_HANDLE_VALUE) reader_ = reinterpret_cast<std::intptr_t>(reader);
  }
  return {};
}

AppendFile::Written AppendFile::Write(std::string_view bytes) {
  const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), MAXDWORD));
  DWORD written = 0;
  if (!::WriteFile(Handle(handle_), bytes.data(), size, &written, nullptr)) {
    return {0, SystemMessage(::GetLastError())};
  }
  return {written, {}};
}

AppendFile::Written AppendFile::WriteLine(std::string_view line) {
  // Windows appends a write whole at the end of the file, but Wine (and some network file
  // systems) find the end and then write there, so two programs can write over each other's
  // line, or see each other's line half there. Every appending program of ours takes this lock
  // for the check and the write: on the file's last possible byte, which no data reaches, so
  // readers and other writers are not held up. Without read access there is no lock (a lock
  // needs read or write access, which an appending handle lacks): the system's append is all.
  OVERLAPPED last_byte{};
  last_byte.Offset = MAXDWORD - 1;
  last_byte.OffsetHigh = MAXDWORD >> 1;
  const bool locked =
      reader_ != kClosed &&
      ::LockFileEx(Handle(reader_), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &last_byte) != FALSE;
  const std::string whole = EndsMidLine() ? "\n" + std::string(line) : std::string(line);
  Written written = Write(whole);
  written.size = whole.size();
  if (locked) ::UnlockFileEx(Handle(reader_), 0, 1, 0, &last_byte);
  return written;
}

std::string AppendFile::Sync() {
  if (regular_ && !::FlushFileBuffers(Handle(handle_))) return SystemMessage(::GetLastError());
  return {};
}

bool AppendFile::EndsMidLine() const {
  if (!regular_ || reader_ == kClosed) return false;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(Handle(handle_), &size) || size.QuadPart == 0) return false;
  const ULONGLONG last_offset = static_cast<ULONGLONG>(size.QuadPart) - 1;
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(last_offset);
  at.OffsetHigh = static_cast<DWORD>(last_offset >> 32);
  char last = '\n';
  DWORD read = 0;
  return ::ReadFile(Handle(reader_), &last, 1, &read, &at) && read == 1 && last != '\n';
}

}  // namespace platform
