// SPDX-License-Identifier: GPL-3.0-or-later
// Replaces a file's contents so that a failure leaves the old file as it was.
//
// The bytes go to a new temporary file in the target's folder (a unique hidden name, created
// exclusively), are flushed to the disk, and the temporary is renamed over the target, which
// readers therefore see either whole and old or whole and new. The new file keeps the replaced
// file's mode (and, where the system allows, its owner and group, so a run as root leaves a user's
// file theirs); a new file gets 0666 less the umask. On any failure the temporary is removed and
// the target is untouched. A file the user may not write is refused, as writing it in place would
// be, although the rename alone would need only the folder's permission, and so is a file another
// program holds locked (a running virtual board's file, a file plover has open). A symbolic link,
// dangling or not, is followed: the file it leads to is replaced and the link stays. A character
// device (/dev/null, a terminal) cannot be renamed over and is written directly; a folder, FIFO,
// socket or block device is refused.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace image_files {

// An empty text on success; otherwise one line naming the file and the cause.
[[nodiscard]] std::string ReplaceFile(const std::string& name, std::string_view bytes);

// For a file written in place rather than replaced (the menu's entry 3, plover's Save): opens a
// file for writing as open(2) with O_CREAT would, through `open` (which opens the file with the
// flags it is given added to its own, and retries when interrupted), first with O_EXCL so that
// `created` says whether this open made the file. A name that leads anywhere (a file, a device, a
// link, dangling or not) is then opened as it is and was not created here. -1 with errno set on
// failure.
[[nodiscard]] int OpenCreating(const std::function<int(int creation_flags)>& open, bool& created);

// Removes the file that OpenCreating created under `name`, `opened` being its id, when
// `name` still names that very file: a save into a new file that fails (a full disk) then leaves
// no empty or partial file behind, as a failed replacement leaves none.
void RemoveCreatedFile(const std::string& name, const platform::FileId& opened);

}  // namespace image_files
