// SPDX-License-Identifier: GPL-3.0-or-later
// Whether this user may open a device node, and which group to join where not: the permissions of
// systems whose devices are nodes in /dev.
#include "ports/device_nodes.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ports {
namespace {

std::string GroupOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  const group* owner = ::getgrgid(info.st_gid);
  return owner != nullptr ? owner->gr_name : std::to_string(info.st_gid);
}

}  // namespace

std::string AccessTo(const std::string& path, const std::string& usual_group) {
  if (::access(path.c_str(), R_OK | W_OK) == 0) return "you may open it";
  const int reason = errno;
  if (reason != EACCES && reason != EPERM) return std::strerror(reason);
  std::string group = GroupOf(path);
  if (group.empty() || group == "root") group = usual_group;
  return "permission denied: add your user to the '" + group + "' group (adduser $USER " + group +
         ") and log in again, or run as root";
}

}  // namespace ports
