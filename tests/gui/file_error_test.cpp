// SPDX-License-Identifier: GPL-3.0-or-later
// The file-error texts and which system error gives which of them.
#include "gui/shell/file_error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using shell::FileErrorCause;

struct CauseText {
  FileErrorCause cause;
  const char* text;
};

TEST(FileError, EachCauseHasItsTextWithThePath) {
  const CauseText table[] = {
      {FileErrorCause::Generic, "An unknown error occurred while accessing /d/a.dat."},
      {FileErrorCause::FileNotFound, "/d/a.dat was not found."},
      {FileErrorCause::BadPath, "/d/a.dat contains an invalid path."},
      {FileErrorCause::TooManyOpenFiles,
       "/d/a.dat could not be opened because there are too many open files."},
      {FileErrorCause::AccessDenied, "Access to /d/a.dat was denied."},
      {FileErrorCause::InvalidFile, "An invalid file handle was associated with /d/a.dat."},
      {FileErrorCause::RemoveCurrentDir,
       "/d/a.dat could not be removed because it is the current directory."},
      {FileErrorCause::DirectoryFull,
       "/d/a.dat could not be created because the directory is full."},
      {FileErrorCause::BadSeek, "Seek failed on /d/a.dat"},
      {FileErrorCause::HardIO, "A hardware I/O error was reported while accessing /d/a.dat."},
      {FileErrorCause::SharingViolation, "A sharing violation occurred while accessing /d/a.dat."},
      {FileErrorCause::LockViolation, "A locking violation occurred while accessing /d/a.dat."},
      {FileErrorCause::DiskFull, "Disk full while accessing /d/a.dat."},
      {FileErrorCause::EndOfFile, "An attempt was made to access /d/a.dat past its end."},
  };
  for (const auto& row : table) {
    EXPECT_EQ(shell::FileErrorText(row.cause, QStringLiteral("/d/a.dat")),
              QString::fromUtf8(row.text));
  }
}

TEST(FileError, PathIsShownAsItIs) {
  EXPECT_EQ(shell::FileErrorText(FileErrorCause::FileNotFound, QStringLiteral("/d/%1 %2.dat")),
            QStringLiteral("/d/%1 %2.dat was not found."));
}

TEST(FileError, SystemErrorsMapToCauses) {
  const std::pair<int, FileErrorCause> table[] = {
      {ENOENT, FileErrorCause::FileNotFound},
      {ENOTDIR, FileErrorCause::BadPath},
      {ENAMETOOLONG, FileErrorCause::BadPath},
      {EMFILE, FileErrorCause::TooManyOpenFiles},
      {ENFILE, FileErrorCause::TooManyOpenFiles},
      {EACCES, FileErrorCause::AccessDenied},
      {EPERM, FileErrorCause::AccessDenied},
      {EROFS, FileErrorCause::AccessDenied},
      {EISDIR, FileErrorCause::AccessDenied},
      {EBADF, FileErrorCause::InvalidFile},
      {ESPIPE, FileErrorCause::BadSeek},
      {EIO, FileErrorCause::HardIO},
      {EWOULDBLOCK, FileErrorCause::SharingViolation},
      {ENOLCK, FileErrorCause::LockViolation},
      {ENOSPC, FileErrorCause::DiskFull},
#ifdef EDQUOT  // disk quotas: not on Windows
      {EDQUOT, FileErrorCause::DiskFull},
#endif
      {EINTR, FileErrorCause::Generic},
      {0, FileErrorCause::Generic},
  };
  for (const auto& [error_number, cause] : table) {
    EXPECT_EQ(shell::CauseFromErrno(error_number), cause) << "errno " << error_number;
  }
}

}  // namespace
