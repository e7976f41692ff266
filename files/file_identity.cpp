// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/file_identity.h"

#include <filesystem>
#include <optional>

#include "files/utf8_path.h"
#include "platform/files.h"

namespace files {
namespace {

namespace fs = std::filesystem;

// As many links as the system itself follows on one path before it gives up (ELOOP).
constexpr int kMostLinks = 40;

// What the symbolic link `name` points at, as a path from the current folder; nothing when
// `name` is no link.
std::optional<fs::path> LinkTarget(const fs::path& name) {
  const std::optional<std::string> text = platform::LinkText(TextOf(name));
  if (!text || text->empty()) return std::nullopt;
  const fs::path pointed = PathOf(*text);
  return pointed.is_absolute() ? pointed : name.parent_path() / pointed;
}

// The folder part and the last component of a name: "a/b" is "a" and "b", "b" is "." and "b".
fs::path FolderOf(const fs::path& name) {
  return name.has_parent_path() ? name.parent_path() : fs::path(".");
}

FileIdentity Identify(const fs::path& name, int links) {
  if (const std::optional<platform::FileId> id = platform::IdentifyExisting(TextOf(name))) {
    return {id->volume, id->index, {}};
  }
  if (links < kMostLinks) {
    if (const std::optional<fs::path> target = LinkTarget(name)) {
      return Identify(*target, links + 1);
    }
  }
  const fs::path folder = FolderOf(name);
  if (folder == name || links >= kMostLinks) {
    // Nothing on the path exists (or the links go round): the text itself is all there is.
    return {0, 0, TextOf(fs::absolute(name).lexically_normal())};
  }
  FileIdentity identity = Identify(folder, links + 1);
  identity.pending = TextOf((PathOf(identity.pending) / name.filename()).lexically_normal());
  return identity;
}

}  // namespace

FileIdentity IdentifyFile(const std::string& name) {
  if (name.empty()) return {0, 0, "\n(no name)"};
  return Identify(PathOf(name), 0);
}

bool SameFile(const std::string& one, const std::string& other) {
  return IdentifyFile(one) == IdentifyFile(other);
}

std::string FollowLinks(const std::string& name) {
  fs::path current = PathOf(name);
  for (int links = 0; links < kMostLinks; ++links) {
    const std::optional<fs::path> target = LinkTarget(current);
    if (!target) break;
    current = *target;
  }
  return TextOf(current);
}

}  // namespace files
