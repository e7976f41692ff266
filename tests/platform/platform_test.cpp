// SPDX-License-Identifier: GPL-3.0-or-later
// The platform's behaviour on the system it is built for: the same tests on POSIX systems and on
// Windows.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "platform/append_file.h"
#include "platform/files.h"
#include "platform/host_name.h"
#include "platform/sha256.h"

namespace {

namespace fs = std::filesystem;

// A fresh folder for one test, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder()
      : path_(fs::temp_directory_path() /
              ("platform-test-" + std::to_string(std::random_device{}()))) {
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  [[nodiscard]] const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// The name as the programs hold it: UTF-8.
std::string Utf8Name(const fs::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Hex(const platform::Sha256Digest& digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : digest) {
    text += kHex[byte >> 4];
    text += kHex[byte & 0x0f];
  }
  return text;
}

struct DigestCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  const char* sha256;
};

void PrintTo(const DigestCase& digest_case, std::ostream* out) { *out << digest_case.name; }

class Sha256Test : public testing::TestWithParam<DigestCase> {};

TEST_P(Sha256Test, GivesTheStandardDigest) {
  const std::optional<platform::Sha256Digest> digest = platform::Sha256(GetParam().bytes);
  ASSERT_TRUE(digest.has_value());
  EXPECT_EQ(Hex(*digest), GetParam().sha256);
}

std::vector<std::uint8_t> LineEndImage() {
  std::vector<std::uint8_t> image;
  for (int i = 0; i < 32; ++i) image.insert(image.end(), {0x0a, 0x0d, 0x1a, 0x00});
  return image;
}

INSTANTIATE_TEST_SUITE_P(
    Images, Sha256Test,
    testing::Values(
        DigestCase{"Empty", {}, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        DigestCase{"Abc",
                   {'a', 'b', 'c'},
                   "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 128 bytes of line ends, end-of-file marks and zeros: none of them translated.
        DigestCase{"LineEndImage", LineEndImage(),
                   "d8a5f60fb88880162a45e7c8c965f9ea82f9a14ee02182970d9bb2c15587deb1"}),
    [](const testing::TestParamInfo<DigestCase>& info) { return info.param.name; });

struct AppendCase {
  const char* name;
  std::optional<std::string> before;  // nothing: the file is not there yet
  bool ends_mid_line;
};

void PrintTo(const AppendCase& append_case, std::ostream* out) { *out << append_case.name; }

class AppendFileTest : public testing::TestWithParam<AppendCase> {};

TEST_P(AppendFileTest, SaysWhetherTheLastLineIsTornAndAppendsAtTheEnd) {
  const ScratchFolder folder;
  // A name beyond ASCII: the file is made under that very name.
  const fs::path path = folder.path() / fs::path(u8"journal-\u00e9.log");
  if (GetParam().before) std::ofstream(path, std::ios::binary) << *GetParam().before;

  platform::AppendFile file;
  ASSERT_EQ(file.Open(Utf8Name(path)), "");
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.EndsMidLine(), GetParam().ends_mid_line);
  // A torn line is ended by the same write that appends the new one.
  const std::string line = "{\"board\":1}\n";
  const std::string whole = (GetParam().ends_mid_line ? "\n" : "") + line;
  const platform::AppendFile::Written written = file.WriteLine(line);
  EXPECT_EQ(written.error, "");
  EXPECT_EQ(written.count, whole.size());
  EXPECT_EQ(written.size, whole.size());
  EXPECT_EQ(file.Sync(), "");
  EXPECT_FALSE(file.EndsMidLine());

  EXPECT_EQ(Contents(path), GetParam().before.value_or("") + whole);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, AppendFileTest,
    testing::Values(AppendCase{"Missing", std::nullopt, false}, AppendCase{"Empty", "", false},
                    AppendCase{"WholeLines", "{\"board\":0}\n", false},
                    // Torn by a full disk: the last byte read does not move where lines go.
                    AppendCase{"TornLine", "{\"boa", true}),
    [](const testing::TestParamInfo<AppendCase>& info) { return info.param.name; });

TEST(AppendFileTest, RefusesAFolderAndLeavesItAsItWas) {
  const ScratchFolder folder;
  platform::AppendFile file;
  EXPECT_NE(file.Open(Utf8Name(folder.path())), "");
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(fs::is_directory(folder.path()));
  EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST(FileIdTest, TellsFilesApartAndKnowsAHardLink) {
  const ScratchFolder folder;
  const fs::path one = folder.path() / "one.bin";
  const fs::path other = folder.path() / "other.bin";
  std::ofstream(one, std::ios::binary) << "1";
  std::ofstream(other, std::ios::binary) << "2";
  fs::create_hard_link(one, folder.path() / "link.bin");

  const std::optional<platform::FileId> id = platform::IdentifyExisting(Utf8Name(one));
  ASSERT_TRUE(id.has_value());
  EXPECT_EQ(platform::IdentifyExisting(Utf8Name(folder.path() / "link.bin")), id);
  EXPECT_NE(platform::IdentifyExisting(Utf8Name(other)), id);
  EXPECT_EQ(platform::IdentifyExisting(Utf8Name(folder.path() / "missing.bin")), std::nullopt);
  EXPECT_EQ(platform::LinkText(Utf8Name(one)), std::nullopt);
}

struct ReadCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  std::size_t room;
  platform::ReadEnd end;
};

void PrintTo(const ReadCase& read_case, std::ostream* out) { *out << read_case.name; }

class ReadWithinTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadWithinTest, ReadsARegularFileAtOnceAndUnchanged) {
  const ScratchFolder folder;
  const fs::path path = folder.path() / "image.bin";
  const std::vector<std::uint8_t>& bytes = GetParam().bytes;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));

  std::FILE* file = std::fopen(path.string().c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::vector<std::uint8_t> room(GetParam().room);
  // A deadline already past: a regular file is never waited on.
  const platform::BoundedRead read =
      platform::ReadWithin(fileno(file), room, std::chrono::steady_clock::now());
  std::fclose(file);

  EXPECT_EQ(read.end, GetParam().end);
  const std::size_t expected = std::min(bytes.size(), room.size());
  ASSERT_EQ(read.count, expected);
  EXPECT_TRUE(std::equal(room.begin(), room.begin() + static_cast<std::ptrdiff_t>(expected),
                         bytes.begin()));
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadWithinTest,
    testing::Values(ReadCase{"Empty", {}, 129, platform::ReadEnd::EndOfFile},
                    // Line ends and end-of-file marks come back as they are.
                    ReadCase{"LineEndImage", LineEndImage(), 129, platform::ReadEnd::EndOfFile},
                    ReadCase{"LongerThanTheRoom", LineEndImage(), 100, platform::ReadEnd::Full}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(FileLockTest, AHeldLockIsRefusedAndTheFileIsStillReplacedWhole) {
  const ScratchFolder folder;
  const std::string target = Utf8Name(folder.path() / "board.bin");
  const std::string beside = Utf8Name(folder.path() / ".board.bin.tmp");
  std::ofstream(folder.path() / "board.bin", std::ios::binary) << "old";

  const int holder = platform::OpenFile(target, O_RDWR);
  const int other = platform::OpenFile(target, O_RDONLY);
  ASSERT_GE(holder, 0);
  ASSERT_GE(other, 0);
  EXPECT_EQ(platform::TryLockExclusive(holder), platform::Lock::Taken);
  EXPECT_EQ(platform::TryLockExclusive(other), platform::Lock::HeldElsewhere);
  ::close(other);

  // Written beside, flushed and renamed over: a reader sees the old bytes or the new, whole.
  const int fd = platform::OpenFile(beside, O_WRONLY | O_CREAT | O_EXCL);
  ASSERT_GE(fd, 0);
  const std::string bytes = "\n\r\x1a";
  EXPECT_EQ(platform::WriteAt(fd, bytes.data(), bytes.size(), 0), 3);
  EXPECT_TRUE(platform::SyncFile(fd));
  ::close(fd);
  int held = holder;
  EXPECT_TRUE(platform::RenameOver(beside, target, held));
  if (held >= 0) ::close(held);
  EXPECT_EQ(Contents(folder.path() / "board.bin"), bytes);
  EXPECT_FALSE(fs::exists(folder.path() / ".board.bin.tmp"));
}

TEST(HostNameTest, NamesTheMachine) {
  const std::string name = platform::HostName();
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(name.find('\0'), std::string::npos);
}

}  // namespace
