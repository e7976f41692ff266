#include "gui/shell/raw_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

namespace shell {

namespace {

FileError ErrorFromErrno(int error_number) {
  return FileError{CauseFromErrno(error_number), error_number};
}

}  // namespace

RawFile::~RawFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::optional<FileError> RawFile::Open(const QString& path, int flags) {
  if (fd_ >= 0) Close();
  if (path.isEmpty()) return ErrorFromErrno(ENOENT);
  const QByteArray native = QFile::encodeName(path);
  int fd;
  do {
    // Not blocking at open: a pipe with nobody at its other end must not hang the program.
    fd = ::open(native.constData(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return ErrorFromErrno(errno);

  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error_number = errno;
    ::close(fd);
    return ErrorFromErrno(error_number);
  }
  if (S_ISDIR(info.st_mode)) {
    ::close(fd);
    return ErrorFromErrno(EISDIR);
  }
  if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    const int error_number = errno;
    ::close(fd);
    return ErrorFromErrno(error_number);
  }
  int locked;
  do {
    locked = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const int error_number = errno;
    ::close(fd);
    return ErrorFromErrno(error_number);
  }
  fd_ = fd;
  regular_ = S_ISREG(info.st_mode);
  return std::nullopt;
}

std::optional<FileError> RawFile::OpenForReading(const QString& path) {
  return Open(path, O_RDONLY);
}

std::optional<FileError> RawFile::OpenForWriting(const QString& path) {
  return Open(path, O_WRONLY | O_CREAT);
}

std::optional<FileError> RawFile::Read(std::span<std::uint8_t> destination,
                                       std::size_t& count_read) {
  count_read = 0;
  if (fd_ < 0) return ErrorFromErrno(EBADF);
  while (count_read < destination.size()) {
    const ssize_t got =
        ::read(fd_, destination.data() + count_read, destination.size() - count_read);
    if (got < 0) {
      if (errno == EINTR) continue;
      return ErrorFromErrno(errno);
    }
    if (got == 0) break;  // end of file
    count_read += static_cast<std::size_t>(got);
  }
  return std::nullopt;
}

std::optional<FileError> RawFile::Replace(std::span<const std::uint8_t> contents) {
  if (fd_ < 0) return ErrorFromErrno(EBADF);
  std::size_t written = 0;
  while (written < contents.size()) {
    const ssize_t put = ::pwrite(fd_, contents.data() + written, contents.size() - written,
                                 static_cast<off_t>(written));
    if (put < 0) {
      if (errno == EINTR) continue;
      return ErrorFromErrno(errno);
    }
    if (put == 0) return ErrorFromErrno(ENOSPC);
    written += static_cast<std::size_t>(put);
  }
  // Only a regular file has a length to cut; a device or a pipe just takes the bytes.
  if (regular_ && ::ftruncate(fd_, static_cast<off_t>(contents.size())) != 0) {
    return ErrorFromErrno(errno);
  }
  return std::nullopt;
}

std::optional<FileError> RawFile::Close() {
  if (fd_ < 0) return std::nullopt;
  const int fd = fd_;
  fd_ = -1;
  // The lock goes with the descriptor. close() is not retried on EINTR: the descriptor is gone.
  if (::close(fd) != 0 && errno != EINTR) return ErrorFromErrno(errno);
  return std::nullopt;
}

}  // namespace shell
