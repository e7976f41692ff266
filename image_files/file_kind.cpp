// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_files/file_kind.h"

namespace image_files {

using platform::FileKind;

bool IsDataFileKind(FileKind kind) {
  return kind == FileKind::Regular || kind == FileKind::CharacterDevice;
}

const char* NotADataFileReason(FileKind kind) {
  switch (kind) {
    case FileKind::Regular:
    case FileKind::CharacterDevice:
      return nullptr;
    case FileKind::Directory:
      return "it is a folder, not a file";
    case FileKind::Pipe:
      return "it is a FIFO, not a file";
    case FileKind::Socket:
      return "it is a socket, not a file";
    case FileKind::BlockDevice:
      return "it is a block device, not a file";
    case FileKind::Other:
      break;
  }
  return "it is not a regular file";
}

}  // namespace image_files
