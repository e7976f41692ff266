// SPDX-License-Identifier: GPL-3.0-or-later
// The file-error report: one cause per kind of failure, its text with the file's path in place of
// "%1", and the mapping from the operating system's error numbers to the causes.
#pragma once

#include <QString>

namespace shell {

enum class FileErrorCause {
  Generic,  // any error without a cause of its own
  FileNotFound,
  BadPath,
  TooManyOpenFiles,
  AccessDenied,
  InvalidFile,
  RemoveCurrentDir,
  DirectoryFull,
  BadSeek,
  HardIO,
  SharingViolation,
  LockViolation,
  DiskFull,
  EndOfFile,
};

// The cause an errno value stands for.
//   ENOENT                                      file not found
//   ENOTDIR ENAMETOOLONG ELOOP EINVAL EXDEV      bad path
//   EMFILE ENFILE                               too many open files
//   EACCES EPERM EROFS EISDIR ETXTBSY           access denied (EISDIR: a directory is no data file)
//   EBADF                                       invalid file
//   EMLINK                                      directory full
//   ESPIPE                                      seek failed
//   EIO ENXIO ENODEV                            hardware I/O error
//   EWOULDBLOCK (EAGAIN) EBUSY                  sharing violation (another program holds the file)
//   ENOLCK EDEADLK                              locking violation
//   ENOSPC EDQUOT EFBIG                         disk full
//   anything else                               generic
[[nodiscard]] FileErrorCause CauseFromErrno(int error_number);

// The text for `cause` with `path` in place of "%1".
[[nodiscard]] QString FileErrorText(FileErrorCause cause, const QString& path);

// The text for `cause` as written, with its "%1".
[[nodiscard]] QString FileErrorTemplate(FileErrorCause cause);

// A failed file operation: its cause. Returned by RawFile and reported by Application.
struct FileError {
  FileErrorCause cause = FileErrorCause::Generic;
  int error_number = 0;  // the errno it came from, 0 when none
  QString text{};        // when not empty: the whole report, naming the file, instead of the
                         // cause's text (a device that cannot be read as a data file)
};

}  // namespace shell
