// SPDX-License-Identifier: GPL-3.0-or-later
// Which file a name stands for, so that two names can be told apart before anything is opened for
// writing: a trace must not be the board file, an output of a batch run must not be the board
// file or the port's device node, and so on.
//
// Two names are the same file when they lead to the same existing file (device and inode: hard
// links and symbolic links count), or, for a name that does not exist yet, when they lead to the
// same place in the same existing folder: symbolic links are followed all the way, a dangling
// link to the name it points at, and a folder that does not exist yet to the nearest one that
// does. Spelling counts for nothing ("./a", "a", "sub/../a" through a real sub).
#pragma once

#include <cstdint>
#include <string>

namespace files {

struct FileIdentity {
  std::uint64_t device = 0;  // of the file, or of the nearest existing folder on its path
  std::uint64_t inode = 0;   // (on Windows the volume serial and file index)
  std::string pending;       // empty for an existing file; else the path below that folder

  [[nodiscard]] bool Exists() const { return pending.empty(); }
  bool operator==(const FileIdentity&) const = default;
};

[[nodiscard]] FileIdentity IdentifyFile(const std::string& name);

[[nodiscard]] bool SameFile(const std::string& one, const std::string& other);

// The name a write to `name` ends up at: `name` itself, or, when it is a symbolic link (dangling
// or not), the path of the file at the end of its chain of links. Replacing that path keeps the
// links. Names that are no link come back as they are.
[[nodiscard]] std::string FollowLinks(const std::string& name);

}  // namespace files
