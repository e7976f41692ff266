// SPDX-License-Identifier: GPL-3.0-or-later
#include <cerrno>
#include <cstring>

#include "platform/error_numbers.h"

namespace platform {

const char* ErrorName(int error_number) {
  switch (error_number) {
    case ENOENT:
      return "ENOENT";
    case EIO:
      return "EIO";
    case ENXIO:
      return "ENXIO";
    case EBADF:
      return "EBADF";
    case EAGAIN:
      return "EAGAIN";
    case ENOMEM:
      return "ENOMEM";
    case EACCES:
      return "EACCES";
    case EBUSY:
      return "EBUSY";
    case ENODEV:
      return "ENODEV";
    case EINVAL:
      return "EINVAL";
    case ENOSPC:
      return "ENOSPC";
    case EPIPE:
      return "EPIPE";
    case ETIMEDOUT:
      return "ETIMEDOUT";
    case EBADMSG:
      return "EBADMSG";
    case EPROTO:
      return "EPROTO";
    case ETIME:
      return "ETIME";
    case EMSGSIZE:
      return "EMSGSIZE";
    default:
      return nullptr;
  }
}

std::string ErrorText(int error_number) {
  // The POSIX numbers the USB programmers and the message road give, which the Windows C
  // library calls "Unknown error".
  switch (error_number) {
    case EBADMSG:
      return "Bad message";
    case EPROTO:
      return "Protocol error";
    case ETIME:
      return "Timer expired";
    case ETIMEDOUT:
      return "Connection timed out";
    case EMSGSIZE:
      return "Message too long";
    case EOPNOTSUPP:
      return "Operation not supported";
    case EWOULDBLOCK:
      return "Resource temporarily unavailable";
    default:
      return std::strerror(error_number);
  }
}

bool IsOutOfSpace(int error_number) { return error_number == ENOSPC; }

bool IsRemoteIoError(int) { return false; }

}  // namespace platform
