// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/file_error.h"

#include <cerrno>

namespace shell {

FileErrorCause CauseFromErrno(int error_number) {
  switch (error_number) {
    case ENOENT:
      return FileErrorCause::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
    case EXDEV:
      return FileErrorCause::BadPath;
    case EMFILE:
    case ENFILE:
      return FileErrorCause::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return FileErrorCause::AccessDenied;
    case EBADF:
      return FileErrorCause::InvalidFile;
    case EMLINK:
      return FileErrorCause::DirectoryFull;
    case ESPIPE:
      return FileErrorCause::BadSeek;
    case EIO:
    case ENXIO:
    case ENODEV:
      return FileErrorCause::HardIO;
    case EWOULDBLOCK:
#if EAGAIN != EWOULDBLOCK
    case EAGAIN:
#endif
    case EBUSY:
      return FileErrorCause::SharingViolation;
    case ENOLCK:
    case EDEADLK:
      return FileErrorCause::LockViolation;
    case ENOSPC:
#ifdef EDQUOT  // disk quotas: not on Windows
    case EDQUOT:
#endif
    case EFBIG:
      return FileErrorCause::DiskFull;
    default:
      break;
  }
  return FileErrorCause::Generic;
}

QString FileErrorTemplate(FileErrorCause cause) {
  switch (cause) {
    case FileErrorCause::Generic:
      return QStringLiteral("An unknown error occurred while accessing %1.");
    case FileErrorCause::FileNotFound:
      return QStringLiteral("%1 was not found.");
    case FileErrorCause::BadPath:
      return QStringLiteral("%1 contains an invalid path.");
    case FileErrorCause::TooManyOpenFiles:
      return QStringLiteral("%1 could not be opened because there are too many open files.");
    case FileErrorCause::AccessDenied:
      return QStringLiteral("Access to %1 was denied.");
    case FileErrorCause::InvalidFile:
      return QStringLiteral("An invalid file handle was associated with %1.");
    case FileErrorCause::RemoveCurrentDir:
      return QStringLiteral("%1 could not be removed because it is the current directory.");
    case FileErrorCause::DirectoryFull:
      return QStringLiteral("%1 could not be created because the directory is full.");
    case FileErrorCause::BadSeek:
      return QStringLiteral("Seek failed on %1");
    case FileErrorCause::HardIO:
      return QStringLiteral("A hardware I/O error was reported while accessing %1.");
    case FileErrorCause::SharingViolation:
      return QStringLiteral("A sharing violation occurred while accessing %1.");
    case FileErrorCause::LockViolation:
      return QStringLiteral("A locking violation occurred while accessing %1.");
    case FileErrorCause::DiskFull:
      return QStringLiteral("Disk full while accessing %1.");
    case FileErrorCause::EndOfFile:
      return QStringLiteral("An attempt was made to access %1 past its end.");
  }
  return QStringLiteral("An unknown error occurred while accessing %1.");
}

QString FileErrorText(FileErrorCause cause, const QString& path) {
  // Plain replacement: a path may itself hold "%1" or other markers and must appear as it is.
  QString text = FileErrorTemplate(cause);
  const qsizetype at = text.indexOf(QStringLiteral("%1"));
  if (at >= 0) text.replace(at, 2, path);
  return text;
}

}  // namespace shell
