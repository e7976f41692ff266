// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_files/file_kind.h"

#include <sys/stat.h>

namespace image_files {

bool IsDataFileKind(mode_t mode) { return S_ISREG(mode) || S_ISCHR(mode); }

const char* NotADataFileReason(mode_t mode) {
  if (IsDataFileKind(mode)) return nullptr;
  if (S_ISDIR(mode)) return "it is a folder, not a file";
  if (S_ISFIFO(mode)) return "it is a FIFO, not a file";
  if (S_ISSOCK(mode)) return "it is a socket, not a file";
  if (S_ISBLK(mode)) return "it is a block device, not a file";
  return "it is not a regular file";
}

}  // namespace image_files
