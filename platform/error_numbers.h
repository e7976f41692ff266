// SPDX-License-Identifier: GPL-3.0-or-later
// The system's error numbers where the two systems differ: the symbolic name of one (for the
// message trace), a full disk, and the remote I/O error some I2C adapters give for a byte not acknowledged,
// which only some systems have.
#pragma once

#include <string>

namespace platform {

// The system's words for `error_number`, as strerror gives them: on Windows also for the POSIX
// numbers its C library has no words for ("Bad message" for EBADMSG, not "Unknown error").
[[nodiscard]] std::string ErrorText(int error_number);

// "ENXIO" for ENXIO; nullptr for a number the system has no name for.
[[nodiscard]] const char* ErrorName(int error_number);

// Whether `error_number` says the disk is full: ENOSPC, or EDQUOT (the user's quota) where the
// system has quotas.
[[nodiscard]] bool IsOutOfSpace(int error_number);

// Whether `error_number` is the remote I/O error (EREMOTEIO); false where the system has none.
[[nodiscard]] bool IsRemoteIoError(int error_number);

}  // namespace platform
