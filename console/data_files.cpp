#include "console/data_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace console {

namespace {

// A name with a zero byte in it cannot name a file; passing it on would open a shorter name.
bool IsUsableName(const std::string& name) {
  return !name.empty() && name.find('\0') == std::string::npos;
}

}  // namespace

int SystemFileOpener::Open(const std::string& name, int flags, mode_t mode) {
  return ::open(name.c_str(), flags, mode);
}

std::optional<LoadedData> LoadDataFile(FileOpener& opener, const std::string& name) {
  if (!IsUsableName(name)) {
    return std::nullopt;
  }
  const int fd = opener.Open(name, O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) {
    return std::nullopt;
  }
  LoadedData loaded;
  bool failed = false;
  while (loaded.count < loaded.bytes.size()) {
    const ssize_t count =
        ::read(fd, loaded.bytes.data() + loaded.count, loaded.bytes.size() - loaded.count);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count < 0) {
      failed = true;  // e.g. a folder, which opens but cannot be read
      break;
    }
    if (count == 0) {
      break;
    }
    loaded.count += static_cast<std::size_t>(count);
  }
  ::close(fd);
  if (failed) {
    return std::nullopt;
  }
  return loaded;
}

void ApplyLoadedData(const LoadedData& loaded, bus::Image& image) {
  for (std::size_t address = 0; address < loaded.count && address < image.size(); ++address) {
    image[address] = loaded.bytes[address];
  }
}

SaveResult SaveDataFile(FileOpener& opener, const std::string& name, const bus::Image& image) {
  if (!IsUsableName(name)) {
    return SaveResult::OpenFailed;
  }
  const int fd = opener.Open(name, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    return SaveResult::OpenFailed;
  }
  bool failed = false;
  std::size_t written = 0;
  while (written < image.size()) {
    // A file just opened (without O_APPEND) is written from its start.
    const ssize_t count = ::write(fd, image.data() + written, image.size() - written);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      failed = true;  // disk full, I/O error
      break;
    }
    written += static_cast<std::size_t>(count);
  }
  // A delayed write error (a full disk on some file systems) shows only here.
  if (::close(fd) != 0) {
    failed = true;
  }
  return failed ? SaveResult::WriteFailed : SaveResult::Saved;
}

}  // namespace console
