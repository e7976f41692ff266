// SPDX-License-Identifier: GPL-3.0-or-later
// The image file formats: choosing a format, reading raw, Intel HEX and S-record files whole
// (every fault refused with the file, line and cause), and writing them so that the outside tools
// srec_cat and objcopy read back the same image, and read what those tools write.
#include "image_files/image_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "dialogue_runner.h"
#include "image_files/image_format.h"

namespace console_test {
namespace {

using image_files::ImageFormat;

// --- Choosing the format. ---

TEST(ImageFormatTest, ComesFromTheExtensionOrTheFormatWord) {
  const std::vector<std::pair<std::string, image_files::ImageFormat>> names{
      {"board.hex", image_files::ImageFormat::IntelHex},
      {"BOARD.HEX", image_files::ImageFormat::IntelHex},
      {"a/b.ihex", image_files::ImageFormat::IntelHex},
      {"x.Ihx", image_files::ImageFormat::IntelHex},
      {"board.srec", image_files::ImageFormat::SRecord},
      {"b.S19", image_files::ImageFormat::SRecord},
      {"b.s28", image_files::ImageFormat::SRecord},
      {"b.s37", image_files::ImageFormat::SRecord},
      {"b.mot", image_files::ImageFormat::SRecord},
      {"30p.dat", image_files::ImageFormat::Raw},
      {"board", image_files::ImageFormat::Raw},
      {"hex.d/board", image_files::ImageFormat::Raw},
      {".hex", image_files::ImageFormat::Raw},
      {"board.hex.bak", image_files::ImageFormat::Raw}};
  for (const auto& [name, format] : names) {
    EXPECT_EQ(image_files::FormatFromFileName(name), format) << name;
  }
  for (image_files::ImageFormat format :
       {image_files::ImageFormat::Raw, image_files::ImageFormat::IntelHex,
        image_files::ImageFormat::SRecord}) {
    EXPECT_EQ(image_files::ParseFormatWord(image_files::FormatWord(format)).format, format);
  }
  const image_files::FormatWordResult refused = image_files::ParseFormatWord("hex");
  EXPECT_FALSE(refused.format);
  EXPECT_EQ(refused.error, "--format 'hex' is not a file format; use raw, ihex or srec");
}

// The file `name` holding `text` in a fresh scratch folder, read as an image file in the format
// its name chooses.
struct ScratchRead {
  std::string path;
  image_files::ImageFileRead read;
};

ScratchRead ReadScratchFile(const std::string& name, const std::string& text) {
  const ScratchFolder scratch;
  const std::string path = scratch.Path() / name;
  WriteFileBytes(path, text);
  return {path, image_files::ReadImageFile(path, image_files::FormatFromFileName(path))};
}

// --- Reading: every fault refused with the file, the line and the cause. ---

struct FaultCase {
  std::string name;  // the test's name and the file's name (its extension chooses the format)
  std::string text;
  std::string error;  // after the file's path
};

void PrintTo(const FaultCase& test, std::ostream* os) { *os << test.name; }

class ImageFileFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ImageFileFaultTest, IsRefusedWithFileLineAndCause) {
  const ScratchRead scratch = ReadScratchFile(GetParam().name, GetParam().text);
  EXPECT_FALSE(scratch.read.image);
  EXPECT_EQ(scratch.read.error, scratch.path + GetParam().error);
}

const std::string kEnd = ":00000001FF\n";

INSTANTIATE_TEST_SUITE_P(
    Faults, ImageFileFaultTest,
    ::testing::Values(
        FaultCase{"checksum.hex", ":0100000011EE\n\n:02001000AABB88\n" + kEnd,
                  " line 3: checksum is 0x88, the record's bytes make 0x89"},
        FaultCase{"count.hex", ":03001000AABB89\n" + kEnd,
                  " line 1: the byte count says 3 data bytes, the record holds 2"},
        FaultCase{"address128.hex", ":01007F00116F\n:01008000116E\n" + kEnd,
                  " line 2: address 0x80 is outside the EEPROM, which holds 0x00 to 0x7F"},
        FaultCase{"odd.hex", ":02001000AABB8\n" + kEnd,
                  " line 1: odd number of hex digits (13); each byte takes two"},
        FaultCase{"garbage.hex", ":0100000011EE\nhello\n" + kEnd,
                  " line 2: a record begins with ':', this line begins with 'h'"},
        FaultCase{"character.hex", ":0100000011EG\n" + kEnd,
                  " line 1: 'G' at column 13 is not a hex digit"},
        FaultCase{"short.hex", ":00000001\n",
                  " line 1: the record has 4 bytes; even one without "
                  "data has 5 (count, address, type, checksum)"},
        FaultCase{"type.hex", ":00000006FA\n" + kEnd,
                  " line 1: record type 0x06 is not an Intel HEX record type (00 to 05)"},
        FaultCase{"length.hex", ":03000004000000F9\n" + kEnd,
                  " line 1: a type 0x04 record carries 2 data bytes, this one carries 3"},
        FaultCase{"linear.hex", ":020000040001F9\n:0100000011EE\n" + kEnd,
                  " line 2: address 0x10000 is outside the EEPROM, which holds 0x00 to 0x7F"},
        FaultCase{"twice.hex", ":02001000AABB89\n\n:01001000CC23\n" + kEnd,
                  " line 3: address 0x10 is given 0xCC here and 0xAA on line 1"},
        FaultCase{"after.hex", ":0100000011EE\n" + kEnd + "\n:0100000011EE\n",
                  " line 4: only blank lines may follow the end record on line 2"},
        FaultCase{"noend.hex", ":0100000011EE\n\n",
                  " line 1: the file ends after this line "
                  "without the end record (type 01)"},
        FaultCase{"nodata.hex", ":020000040000FA\n" + kEnd,
                  " line 2: the file ends here without giving any data"},
        FaultCase{"empty.hex", "\n \r\n", ": the file holds no records"},
        FaultCase{"checksum.s19", "S1040010AA42\nS9030000FC\n",
                  " line 1: checksum is 0x42, the record's bytes make 0x41"},
        FaultCase{"count.s19", "S1040010AA41\nS5030002FA\nS9030000FC\n",
                  " line 2: the count record says 2 data records, the file has 1 before it"},
        FaultCase{"address128.s19", "S1040080AAD1\nS9030000FC\n",
                  " line 1: address 0x80 is outside the EEPROM, which holds 0x00 to 0x7F"},
        FaultCase{"wide.s37", "S306010000006692\nS70500000000FA\n",
                  " line 1: address 0x1000000 is outside the EEPROM, which holds 0x00 to 0x7F"},
        FaultCase{"odd.s19", "S1040010AA4\nS9030000FC\n",
                  " line 1: odd number of hex digits (9); each byte takes two"},
        FaultCase{"garbage.s19", "S1040010AA41\n\x01garbage\n",
                  " line 2: a record begins with 'S', this line begins with '\\x01'"},
        FaultCase{"s4.s19", "S4030000FC\n", " line 1: S4 is not an S-record type"},
        FaultCase{"type.s19", "S1040010AA41\nSX030000FC\n",
                  " line 2: the record type 'X' is not one of S0 to S9"},
        FaultCase{"length.s19", "S1050010AA41\nS9030000FC\n",
                  " line 1: the byte count is 5, the record has 4 bytes after it"},
        FaultCase{"truncated.s19", "S00600004844521B\nS1040010AA41\n",
                  " line 2: the file ends after this line without a termination record (S7, S8 "
                  "or S9) or a count record (S5, S6)"},
        FaultCase{"late.s19", "S1040010AA41\nS5030001FB\nS2050000205585\nS9030000FC\n",
                  " line 3: a data record after the count record on line 2"},
        FaultCase{"after.s19", "S1040010AA41\nS9030000FC\nS1040010AA41\n",
                  " line 3: only blank lines may follow the termination record on line 2"},
        FaultCase{"twice.s19", "S1040010AA41\nS1040010CC1F\nS9030000FC\n",
                  " line 2: address 0x10 is given 0xCC here and 0xAA on line 1"},
        FaultCase{"start.s19", "S1040010AA41\nS904000012E9\n",
                  " line 2: an S9 termination record carries no data, this one carries 1 byte"},
        FaultCase{"nodata.s19", "S00600004844521B\nS9030000FC\n",
                  " line 2: the file ends here without giving any data"},
        FaultCase{"short.bin", std::string(127, '\x55'),
                  " holds 127 bytes; a raw image file holds exactly 128"},
        FaultCase{"long.bin", std::string(129, '\0'),
                  " holds 129 bytes; a raw image file holds exactly 128"}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

// Files that are no image files at all, each refused at once rather than read or waited on.
TEST(ImageFileTest, RefusesWhatIsNoFileOrTooLong) {
  const ScratchFolder scratch;
  const std::string fifo = scratch.Path() / "fifo.hex";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string huge = scratch.Path() / "huge.bin";
  WriteFileBytes(huge, "");
  std::filesystem::resize_file(huge, image_files::kImageFileLimit + 1);
  const std::string missing = scratch.Path() / "missing.hex";
  const std::map<std::string, std::string> errors{
      {fifo, "cannot read " + fifo + ": it is a FIFO, not a file"},
      {scratch.Path().string(),
       "cannot read " + scratch.Path().string() + ": it is a folder, not a file"},
      {missing, "cannot read " + missing + ": No such file or directory"},
      {huge, "cannot read " + huge +
                 ": it holds 1048577 bytes, more than the 1048576 an image "
                 "file may have"},
      {"/dev/zero",
       "cannot read /dev/zero: it gives more than the 1048576 bytes an image file "
       "may have"},
      {"/dev/null", "/dev/null holds 0 bytes; a raw image file holds exactly 128"},
      {std::string("a\nb\0c", 5), "cannot read a\\nb\\x00c: a file name cannot hold a zero byte"},
  };
  for (const auto& [name, error] : errors) {
    EXPECT_EQ(image_files::ReadImageFile(name, image_files::ImageFormat::Raw).error, error);
  }
}

// --- Reading: what is accepted, and which addresses it gives. ---

struct AcceptCase {
  std::string name;
  std::string text;
  std::map<int, int> bytes;  // every address the file gives, with its value
};

void PrintTo(const AcceptCase& test, std::ostream* os) { *os << test.name; }

class ImageFileAcceptTest : public ::testing::TestWithParam<AcceptCase> {};

TEST_P(ImageFileAcceptTest, GivesTheAddressesTheFileHolds) {
  const image_files::ImageFileRead read = ReadScratchFile(GetParam().name, GetParam().text).read;
  ASSERT_TRUE(read.image) << read.error;
  for (std::size_t address = 0; address < bus::kEepromSize; ++address) {
    const auto given = GetParam().bytes.find(static_cast<int>(address));
    EXPECT_EQ(read.image->held[address], given != GetParam().bytes.end()) << address;
    EXPECT_EQ(read.image->bytes[address], given == GetParam().bytes.end() ? 0 : given->second)
        << address;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ImageFileAcceptTest,
    ::testing::Values(
        AcceptCase{"partial.hex",
                   ":02001000AABB89\n:01007F00116F\n" + kEnd,
                   {{0x10, 0xAA}, {0x11, 0xBB}, {0x7F, 0x11}}},
        AcceptCase{"same_twice.hex",
                   ":02001000AABB89\n:01001000AA45\n" + kEnd,
                   {{0x10, 0xAA}, {0x11, 0xBB}}},
        AcceptCase{"extended_and_start.hex",
                   ":020000040000FA\n:020000020000FC\n:0400000500000000F7\n"
                   ":0400000300000000F9\n:0100000011EE\n" +
                       kEnd,
                   {{0x00, 0x11}}},
        AcceptCase{"segment.hex", ":020000020001FB\n:0100000011EE\n" + kEnd, {{0x10, 0x11}}},
        AcceptCase{"crlf_lower_case.hex",
                   ":02001000aabb89\r\n:00000001ff\r\n\r\n\n",
                   {{0x10, 0xAA}, {0x11, 0xBB}}},
        AcceptCase{"all_types.s28",
                   "S00600004844521B\nS1040010AA41\nS2050000205585\nS306000000306663\n"
                   "S604000003F8\nS804000000FB\n",
                   {{0x10, 0xAA}, {0x20, 0x55}, {0x30, 0x66}}},
        AcceptCase{"ends_with_count.srec",
                   "S1040010AA41\r\nS1040010AA41\nS5030002FA\n\n",
                   {{0x10, 0xAA}}}),
    [](const auto& info) { return info.param.name.substr(0, info.param.name.find('.')); });

// --- Writing, and the outside tools. ---

bus::Image TestImage() {
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 37 + 255);
  return image;
}

std::string Bytes(const bus::Image& image) { return std::string(image.begin(), image.end()); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

TEST(ImageFileTest, WritesSixteenBytesARecordAndReadsItBack) {
  const bus::Image image = TestImage();
  const std::vector<std::string> hex =
      Lines(image_files::EncodeImage(image, image_files::ImageFormat::IntelHex, "30p"));
  ASSERT_EQ(hex.size(), 9u);
  EXPECT_EQ(hex[0], ":10000000FF24496E93B8DD02274C7196BBE0052AA8");
  EXPECT_EQ(hex[8], ":00000001FF");
  const std::vector<std::string> srec =
      Lines(image_files::EncodeImage(image, image_files::ImageFormat::SRecord, "30p"));
  ASSERT_EQ(srec.size(), 11u);
  EXPECT_EQ(srec[0], "S006000033307026");  // the header: "30p"
  EXPECT_EQ(srec[1], "S1130000FF24496E93B8DD02274C7196BBE0052AA4");
  EXPECT_EQ(srec[9], "S5030008F4");
  EXPECT_EQ(srec[10], "S9030000FC");
  EXPECT_EQ(image_files::EncodeImage(image, image_files::ImageFormat::Raw, "30p"), Bytes(image));

  const ScratchFolder scratch;
  for (const char* name : {"image.bin", "image.hex", "image.srec"}) {
    const std::string path = scratch.Path() / name;
    const image_files::ImageFormat format = image_files::FormatFromFileName(name);
    WriteFileBytes(path, image_files::EncodeImage(image, format, "30p"));
    const image_files::ImageFileRead read = image_files::ReadImageFile(path, format);
    ASSERT_TRUE(read.image) << read.error;
    EXPECT_TRUE(read.image->Complete()) << name;
    EXPECT_EQ(read.image->bytes, image) << name;
  }
}

// The tool's full path when it is installed; empty otherwise.
std::string FindTool(const std::string& tool) {
  for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin"}) {
    const std::filesystem::path path = std::filesystem::path(folder) / tool;
    if (::access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

struct ToolCase {
  std::string tool;
  image_files::ImageFormat format;
  std::vector<std::string> to_binary;    // arguments turning in.txt into out.bin
  std::vector<std::string> from_binary;  // arguments turning in.bin into out.txt
};

void PrintTo(const ToolCase& test, std::ostream* os) {
  *os << test.tool << " " << image_files::FormatWord(test.format);
}

class OutsideToolTest : public ::testing::TestWithParam<ToolCase> {};

TEST_P(OutsideToolTest, ReadsWhatWeWriteAndWeReadWhatItWrites) {
  const std::string tool = FindTool(GetParam().tool);
  if (tool.empty()) {
    GTEST_SKIP() << GetParam().tool << " is not installed (scripts/install-deps installs it)";
  }
  const bus::Image image = TestImage();
  const ScratchFolder scratch;
  WriteFileBytes(scratch.Work() / "in.txt", image_files::EncodeImage(image, GetParam().format, "30p"));
  const RunResult to_binary = RunProgram(tool, GetParam().to_binary, "", scratch);
  EXPECT_EQ(to_binary.exit_status, 0) << to_binary.err;
  EXPECT_EQ(ReadFileBytes(scratch.Work() / "out.bin"), Bytes(image));

  WriteFileBytes(scratch.Work() / "in.bin", Bytes(image));
  const RunResult from_binary = RunProgram(tool, GetParam().from_binary, "", scratch);
  ASSERT_EQ(from_binary.exit_status, 0) << from_binary.err;
  const image_files::ImageFileRead read =
      image_files::ReadImageFile(scratch.Work() / "out.txt", GetParam().format);
  ASSERT_TRUE(read.image) << read.error << "\n" << ReadFileBytes(scratch.Work() / "out.txt");
  EXPECT_TRUE(read.image->Complete());
  EXPECT_EQ(read.image->bytes, image);
}

INSTANTIATE_TEST_SUITE_P(
    Tools, OutsideToolTest,
    ::testing::Values(ToolCase{"srec_cat",
                               image_files::ImageFormat::IntelHex,
                               {"in.txt", "-Intel", "-o", "out.bin", "-binary"},
                               {"in.bin", "-binary", "-o", "out.txt", "-Intel"}},
                      ToolCase{"srec_cat",
                               image_files::ImageFormat::SRecord,
                               {"in.txt", "-Motorola", "-o", "out.bin", "-binary"},
                               {"in.bin", "-binary", "-o", "out.txt", "-Motorola"}},
                      ToolCase{"objcopy",
                               image_files::ImageFormat::IntelHex,
                               {"-I", "ihex", "-O", "binary", "in.txt", "out.bin"},
                               {"-I", "binary", "-O", "ihex", "in.bin", "out.txt"}},
                      ToolCase{"objcopy",
                               image_files::ImageFormat::SRecord,
                               {"-I", "srec", "-O", "binary", "in.txt", "out.bin"},
                               {"-I", "binary", "-O", "srec", "in.bin", "out.txt"}}),
    [](const auto& info) {
      return info.param.tool + "_" + image_files::FormatWord(info.param.format);
    });

}  // namespace
}  // namespace console_test
