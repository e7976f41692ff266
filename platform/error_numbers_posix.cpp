// SPDX-License-Identifier: GPL-3.0-or-later
#include <cerrno>
#include <cstring>

#include "platform/error_numbers.h"

namespace platform {

const char* ErrorName(int error_number) { return ::strerrorname_np(error_number); }

std::string ErrorText(int error_number) { return std::strerror(error_number); }

bool IsOutOfSpace(int error_number) { return error_number == ENOSPC || error_number == EDQUOT; }

bool IsRemoteIoError(int error_number) { return error_number == EREMOTEIO; }

}  // namespace platform
