// SPDX-License-Identifier: GPL-3.0-or-later
#include <cerrno>

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
    default:
      return nullptr;
  }
}

bool IsOutOfSpace(int error_number) { return error_number == ENOSPC; }

bool IsRemoteIoError(int) { return false; }

}  // namespace platform
