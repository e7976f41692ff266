// SPDX-License-Identifier: GPL-3.0-or-later
// A folder on a full disk: while a FullDisk exists, a tmpfs of one page is mounted on the folder
// and filled, so a new file there can be created but takes no byte (ENOSPC). Mounting needs the
// right to mount (root); where it is refused, Mounted() is false and the folder is left as an
// ordinary empty one, for the test to limit file sizes instead (ulimit -f 0).
#pragma once

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <array>
#include <filesystem>

namespace test_support {

class FullDisk {
 public:
  explicit FullDisk(const std::filesystem::path& folder) : folder_(folder) {
    std::filesystem::create_directories(folder);
    mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=4k") == 0;
    if (!mounted_) return;
    const int filler = ::open((folder / "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const std::array<char, 4096> page{};
    while (filler >= 0 && ::write(filler, page.data(), page.size()) > 0) {
    }
    if (filler >= 0) ::close(filler);
  }
  ~FullDisk() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  [[nodiscard]] bool Mounted() const { return mounted_; }

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
};

}  // namespace test_support
