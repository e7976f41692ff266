// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing an output file: the new bytes arrive whole with the old file's mode, a failure leaves
// the old file byte for byte as it was, and no temporary file is ever left behind.
#include "image_files/safe_replace.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "dialogue_runner.h"

namespace console_test {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename());
  }
  return names;
}

mode_t ModeOf(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

TEST(SafeReplaceTest, ReplacesWholeKeepingModeAndLinkAndLeavesNoTemporary) {
  const ScratchFolder scratch;
  const fs::path folder = scratch.Work();
  const fs::path existing = folder / "board.hex";
  WriteFileBytes(existing, "old contents, longer than the new");
  fs::permissions(existing, fs::perms(0640));
  EXPECT_EQ(image_files::ReplaceFile(existing, "new"), "");
  EXPECT_EQ(ReadFileBytes(existing), "new");
  EXPECT_EQ(ModeOf(existing), 0640u);

  const mode_t old_mask = ::umask(027);
  EXPECT_EQ(image_files::ReplaceFile(folder / "new.bin", "fresh"), "");
  ::umask(old_mask);
  EXPECT_EQ(ReadFileBytes(folder / "new.bin"), "fresh");
  EXPECT_EQ(ModeOf(folder / "new.bin"), 0640u);

  fs::create_symlink("board.hex", folder / "link.hex");
  EXPECT_EQ(image_files::ReplaceFile(folder / "link.hex", "through the link"), "");
  EXPECT_TRUE(fs::is_symlink(folder / "link.hex"));
  EXPECT_EQ(ReadFileBytes(existing), "through the link");

  EXPECT_EQ(image_files::ReplaceFile("/dev/null", "to a device"), "");
  EXPECT_EQ(Entries(folder), (std::set<std::string>{"board.hex", "new.bin", "link.hex"}));
}

struct Failure {
  std::string what;
  std::function<std::string(const fs::path& folder)> target;  // prepares the target, names it
  std::string cause;                                          // after "cannot write TARGET: "
};

// Runs `replace` with files limited to `bytes`, as a nearly full disk would limit them.
std::string WithFileSizeLimit(rlim_t bytes, const std::function<std::string()>& replace) {
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit limited = old;
  limited.rlim_cur = bytes;
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &limited);
  const std::string error = replace();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, old_handler);
  return error;
}

TEST(SafeReplaceTest, AFailureLeavesTheTargetAsItWas) {
  const std::string kept = "the file as it was\n";
  const std::string replacement(4096, 'x');
  std::vector<Failure> failures{
      {"missing folder", [](const fs::path& f) { return f / "missing" / "board.hex"; },
       "No such file or directory"},
      {"folder is a file", [](const fs::path& f) { return f / "keep.hex" / "board.hex"; },
       "Not a directory"},
      {"target is a folder",
       [](const fs::path& f) { return fs::create_directory(f / "sub"), f / "sub"; },
       "it is a folder, not a file"},
      {"name ends in a slash", [](const fs::path& f) { return f.string() + "/new/"; },
       "the name ends in '/', so it names a folder"},
      {"target is a FIFO",
       [](const fs::path& f) { return ::mkfifo((f / "fifo").c_str(), 0600), f / "fifo"; },
       "it is a FIFO, not a file"},
      {"device is full", [](const fs::path&) { return "/dev/full"; }, "No space left on device"},
  };
  if (::geteuid() != 0) {  // root may write any file in any folder
    failures.push_back({"read-only file",
                        [](const fs::path& f) {
                          fs::permissions(f / "keep.hex", fs::perms(0444));
                          return f / "keep.hex";
                        },
                        "Permission denied"});
    failures.push_back({"read-only folder",
                        [](const fs::path& f) {
                          fs::permissions(f, fs::perms(0555));
                          return f / "keep.hex";
                        },
                        "Permission denied"});
  }
  for (const Failure& failure : failures) {
    SCOPED_TRACE(failure.what);
    const ScratchFolder scratch;
    const fs::path folder = scratch.Work();
    WriteFileBytes(folder / "keep.hex", kept);
    const std::string target = failure.target(folder);
    const std::set<std::string> before = Entries(folder);
    EXPECT_EQ(image_files::ReplaceFile(target, replacement),
              "cannot write " + target + ": " + failure.cause);
    fs::permissions(folder, fs::perms(0755));
    EXPECT_EQ(ReadFileBytes(folder / "keep.hex"), kept);
    EXPECT_EQ(Entries(folder), before);
  }

  // Writing the new contents fails part way: the old file stays and the partial copy goes.
  const ScratchFolder scratch;
  const fs::path target = scratch.Work() / "keep.hex";
  WriteFileBytes(target, kept);
  EXPECT_EQ(WithFileSizeLimit(100, [&] { return image_files::ReplaceFile(target, replacement); }),
            "cannot write " + target.string() + ": File too large");
  EXPECT_EQ(ReadFileBytes(target), kept);
  EXPECT_EQ(Entries(scratch.Work()), std::set<std::string>{"keep.hex"});
}

}  // namespace
}  // namespace console_test
