// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as the standard input of the whole console dialogue.
//
// Each input runs 30p's start-up and menu loop on an in-memory virtual board. The board's EEPROM,
// the default data file and whether the EEPROM, the switch chip or the SDA line misbehave are all
// drawn from a hash of the input, so every input runs the same way each time. The end of the
// input ends the dialogue, as the end of standard input ends 30p.
//
// File names typed by the input are opened in a private temporary folder, emptied before each
// input; a name that would reach outside it (one with a '/', "." or "..") fails to open, as a
// missing file does. The fuzzer's own paths (corpus, artifacts) are not affected.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "board_port.h"
#include "bus/bus_connection.h"
#include "console/console_output.h"
#include "console/data_files.h"
#include "console/input_reader.h"
#include "console/run_console.h"

namespace {

int folder_fd = -1;
std::string folder_path;

// Opens plain names inside the private folder only.
class FolderFiles final : public console::FileOpener {
 public:
  int Open(const std::string& name, int flags, mode_t mode) override {
    if (name.find('/') != std::string::npos || name == "." || name == "..") {
      errno = EACCES;
      return -1;
    }
    return ::openat(folder_fd, name.c_str(),
                    flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
  }
};

// Formats everything and keeps nothing.
class DiscardingOutput final : public console::ConsoleOutput {
 public:
  void Write(std::string_view text) override { bytes_ += text.size(); }

 private:
  std::size_t bytes_ = 0;
};

void EmptyFolder() {
  const int fd = ::dup(folder_fd);
  if (fd < 0) std::abort();
  DIR* folder = ::fdopendir(fd);
  if (folder == nullptr) std::abort();
  ::rewinddir(folder);
  while (const dirent* entry = ::readdir(folder)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") {
      ::unlinkat(folder_fd, entry->d_name, 0);
    }
  }
  ::closedir(folder);
}

void RemoveFolder() {
  if (folder_fd >= 0) {
    EmptyFolder();
    ::close(folder_fd);
    ::rmdir(folder_path.c_str());
  }
}

std::uint64_t HashOf(const std::uint8_t* data, std::size_t size) {
  std::uint64_t hash = 0xcbf29ce484222325u;  // FNV-1a
  for (std::size_t i = 0; i < size; ++i) {
    hash = (hash ^ data[i]) * 0x100000001b3u;
  }
  return hash;
}

std::uint64_t NextRandom(std::uint64_t& state) {  // splitmix64
  std::uint64_t z = (state += 0x9e3779b97f4a7c15u);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
  return z ^ (z >> 31);
}

void WriteDefaultData(const std::string& bytes) {
  const int fd = ::openat(folder_fd, console::kDefaultDataFile, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    std::abort();
  }
  ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* base = std::getenv("TMPDIR");
  folder_path = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/console-fuzz-XXXXXX";
  if (::mkdtemp(folder_path.data()) == nullptr) {
    std::perror("console fuzz: mkdtemp");
    std::abort();
  }
  folder_fd = ::open(folder_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd < 0) std::abort();
  std::atexit(RemoveFolder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  EmptyFolder();
  std::uint64_t random = HashOf(data, size);
  const std::uint64_t choices = NextRandom(random);

  bus::Image eeprom{};
  for (auto& byte : eeprom) byte = static_cast<std::uint8_t>(NextRandom(random));
  std::string default_data(static_cast<std::size_t>(NextRandom(random) % 200), '\0');
  for (char& byte : default_data) byte = static_cast<char>(NextRandom(random));
  if (choices % 16 != 0) {  // now and then there is no 30p.dat at all
    WriteDefaultData(default_data);
  }

  sim::BoardOptions options;
  options.write_cycle_microseconds = 20;  // keeps a whole-image write short in simulated time
  options.eeprom_present = (choices >> 4) % 8 != 0;
  options.switch_present = (choices >> 8) % 8 != 0;
  options.sda_stuck_low = (choices >> 12) % 16 == 0;
  // The windowed policy makes the same register sequences without the console's busy waits.
  bus::BusConnection bus(console_test::MakeBoardPort(options, eeprom),
                         bus::TimingPolicy::Windowed);

  DiscardingOutput out;
  console::MemorySource source(
      std::string_view(reinterpret_cast<const char*>(data), size));
  console::InputReader in(source, &out);
  FolderFiles files;
  console::ConsoleSettings settings;
  settings.terminal = ((choices >> 16) & 1) != 0;
  settings.files = &files;
  console::RunConsole(in, out, bus, settings);
  return 0;
}
