// SPDX-License-Identifier: GPL-3.0-or-later
// The board file: created, loaded, refused, locked, and written at every write cycle's start.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/sim/bit_bang.h"
#include "tests/support/no_file_growth.h"

namespace {

using sim::BoardOptions;
using sim::VirtualBoard;
using sim_test::BitBang;
using sim_test::Pattern;

class SimBoardFile : public testing::Test {
 protected:
  void SetUp() override {
    std::string templ = testing::TempDir() + "sim_board_XXXXXX";
    ASSERT_NE(::mkdtemp(templ.data()), nullptr);
    dir_ = templ;
    options_.file = (dir_ / "board.bin").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void WriteFile(const std::vector<std::uint8_t>& bytes) {
    std::ofstream(options_.file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<std::uint8_t> ReadFile() {
    std::ifstream in(options_.file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::unique_ptr<VirtualBoard> Create() {
    error_.clear();
    return VirtualBoard::Create(options_, error_);
  }

  std::filesystem::path dir_;
  BoardOptions options_;
  std::string error_;
};

const std::vector<std::uint8_t> kErased(128, 0xFF);

TEST_F(SimBoardFile, WithoutAFileTheBoardIsErasedInMemory) {
  options_.file.clear();
  auto board = Create();
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(std::vector<std::uint8_t>(board->EepromContents().begin(), board->EepromContents().end()),
            kErased);
  EXPECT_TRUE(board->TakeStoreFailure().ok());
}

TEST_F(SimBoardFile, MissingOrEmptyFileIsAnErasedEeprom) {
  for (bool exists : {false, true}) {
    if (exists) WriteFile({});
    auto board = Create();
    ASSERT_NE(board, nullptr) << error_;
    EXPECT_EQ(std::vector<std::uint8_t>(board->EepromContents().begin(), board->EepromContents().end()),
              kErased);
    EXPECT_EQ(ReadFile(), kErased);
  }
}

TEST_F(SimBoardFile, FileOf128BytesIsLoaded) {
  const bus::Image image = Pattern();
  WriteFile({image.begin(), image.end()});
  auto board = Create();
  ASSERT_NE(board, nullptr) << error_;
  EXPECT_EQ(board->EepromContents(), image);
  EXPECT_EQ(board->SwitchRegisters(), image);
}

TEST_F(SimBoardFile, OtherSizesAreRefusedAndLeftUntouched) {
  for (std::size_t size : {1u, 127u, 129u}) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    WriteFile(bytes);
    EXPECT_EQ(Create(), nullptr);
    EXPECT_NE(error_.find(options_.file), std::string::npos) << error_;
    EXPECT_NE(error_.find(std::to_string(size) + " bytes"), std::string::npos) << error_;
    EXPECT_EQ(ReadFile(), bytes);
  }
}

TEST_F(SimBoardFile, DirectoryIsRefusedWithTheReason) {
  options_.file = dir_.string();
  EXPECT_EQ(Create(), nullptr);
  EXPECT_NE(error_.find(options_.file), std::string::npos) << error_;
  EXPECT_NE(error_.find(std::strerror(EISDIR)), std::string::npos) << error_;
}

TEST_F(SimBoardFile, SecondBoardOnTheSameFileIsRefused) {
  auto first = Create();
  ASSERT_NE(first, nullptr) << error_;
  EXPECT_EQ(Create(), nullptr);
  EXPECT_NE(error_.find("in use by another program"), std::string::npos) << error_;
  EXPECT_NE(error_.find(options_.file), std::string::npos) << error_;
  first.reset();
  EXPECT_NE(Create(), nullptr) << error_;
}

TEST_F(SimBoardFile, WriteIsStoredAtItsStopWhileTheEepromIsBusy) {
  auto board = Create();
  ASSERT_NE(board, nullptr) << error_;
  BitBang master(*board);
  master.Start();
  master.Send(0xA0);
  master.Send(0x41);
  master.Send(0x12);
  master.Send(0x34);
  EXPECT_EQ(ReadFile(), kErased);
  master.Stop();
  EXPECT_TRUE(board->EepromBusy());
  std::vector<std::uint8_t> expected = kErased;
  expected[0x41] = 0x12;
  expected[0x42] = 0x34;
  EXPECT_EQ(ReadFile(), expected);
  master.Write(0xBE, 0x00, {0x77});  // switch registers are not kept in the file
  EXPECT_EQ(ReadFile(), expected);
  EXPECT_TRUE(board->TakeStoreFailure().ok());
}

TEST_F(SimBoardFile, FailureToStoreIsReported) {
  auto board = Create();
  ASSERT_NE(board, nullptr) << error_;
  {
    // No file may grow past 0 bytes while the write cycle starts (ulimit -f 0).
    const test_support::NoFileGrowth no_growth;
    BitBang master(*board);
    master.Write(0xA0, 0x00, {0x00});
  }
  // What the file could not keep, the EEPROM does not hold either; the failure names the file,
  // the address and the system's reason, once.
  EXPECT_EQ(board->EepromContents()[0], 0xFF);
  EXPECT_EQ(ReadFile(), kErased);
  const bus::BusResult failure = board->TakeStoreFailure();
  EXPECT_EQ(failure.detail, "cannot store the write of address 0 in board file \"" +
                                options_.file + "\": " + std::strerror(EFBIG));
  EXPECT_EQ(failure.error_number, EFBIG);
  EXPECT_TRUE(board->TakeStoreFailure().ok());
}

}  // namespace
