// SPDX-License-Identifier: GPL-3.0-or-later
// Whole batch runs of the built 30p on the virtual board: for each command line, the exit status,
// both outputs, and the board file and the other files afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "dialogue_runner.h"
#include "ports/port_table.h"
#include "image_files/image_file.h"

namespace console_test {
namespace {

namespace fs = std::filesystem;

// The image the runs write: every value from 0x03 up in steps of 7.
bus::Image ImageData() {
  bus::Image image{};
  for (std::size_t address = 0; address < image.size(); ++address) {
    image[address] = static_cast<std::uint8_t>(address * 7 + 3);
  }
  return image;
}

// What the board holds where a run does not start from the image: differs at every address.
bus::Image BoardData() {
  bus::Image image{};
  for (std::size_t address = 0; address < image.size(); ++address) {
    image[address] = static_cast<std::uint8_t>(0xff - address);
  }
  return image;
}

// The image whose bytes are `bytes` (128 of them).
bus::Image ImageOf(const std::string& bytes) {
  bus::Image image{};
  std::copy(bytes.begin(), bytes.end(), image.begin());
  return image;
}

std::string Raw(const bus::Image& image) { return std::string(image.begin(), image.end()); }

bus::Image With(bus::Image image, const std::vector<std::pair<int, std::uint8_t>>& changes) {
  for (const auto& [address, value] : changes) image[static_cast<std::size_t>(address)] = value;
  return image;
}

// The Intel HEX record of addresses 16 to 31 of the image, and the end record.
std::string PartialHex() {
  std::istringstream lines(
      image_files::EncodeImage(ImageData(), image_files::ImageFormat::IntelHex, "30p"));
  std::string line;
  std::getline(lines, line);
  std::getline(lines, line);
  return line + "\n:00000001FF\n";
}

// The board with addresses 16 to 31 taken from the image.
bus::Image BoardWithPartialHex() {
  bus::Image image = BoardData();
  for (std::size_t address = 16; address < 32; ++address) image[address] = ImageData()[address];
  return image;
}

// What one page write of addresses 16 to 31 leaves on an EEPROM with smaller pages (8 bytes
// unless said): the last page's worth of bytes wraps onto the first, the rest keeps the board's
// bytes; and the verify's listing of it.
bus::Image BoardAfterWrappedPage(std::size_t page = 8) {
  bus::Image image = BoardData();
  for (std::size_t address = 16; address < 16 + page; ++address) {
    image[address] = ImageData()[address + 16 - page];
  }
  return image;
}

std::string WrappedPageListing(std::size_t page = 8) {
  std::string listing;
  char line[64];
  for (std::size_t address = 16; address < 32; ++address) {
    std::snprintf(line, sizeof line, "address %zu: file %02x, EEPROM %02x\n", address,
                  ImageData()[address], BoardAfterWrappedPage(page)[address]);
    listing += line;
  }
  return listing;
}

struct FileSpec {
  std::string name;
  std::string bytes;
};

struct BatchCase {
  std::string name;
  std::vector<std::string> arguments;
  std::vector<FileSpec> before{};     // files in the folder; board.bin is the board's EEPROM
  std::vector<FileSpec> links{};      // symbolic links (name, target), made before the run;
                                      // each must still be that link afterwards
  std::vector<std::string> locked{};  // files another program holds locked during the run
  int exit_status = 0;
  std::string out{};                  // standard output, exactly
  std::vector<std::string> err{};     // standard error, one line each; "x..." for a line
                                      // that begins with x
  std::vector<FileSpec> after{};      // files and their exact contents afterwards
  std::vector<std::string> absent{};  // files that must not exist afterwards
  bool board_untouched = false;       // board.bin was not written to at all
};

void PrintTo(const BatchCase& test, std::ostream* os) { *os << test.name; }

const std::string kBoard = "--port=sim:board.bin";
const std::string kEnd = ":00000001FF\n";
const fs::file_time_type kOldTime = fs::file_time_type(std::chrono::hours(24 * 365 * 30));

std::vector<BatchCase> Cases() {
  const FileSpec image{"image.bin", Raw(ImageData())};
  const FileSpec board{"board.bin", Raw(BoardData())};
  const FileSpec board_as_image{"board.bin", Raw(ImageData())};
  const FileSpec part{"part.hex", PartialHex()};
  const std::vector<std::string> usage{"Usage: 30p [--port SPEC]...", "   or: 30p [--port SPEC]...",
                                       "           [--page-size N] [--quiet] OPERATION...",
                                       "           [--log FILE]", "Try '30p --help' for more information."};
  // A faulty file after a good one: refused before the good one is written.
  const auto refused = [&](std::string name, std::string bytes, std::string message) {
    return BatchCase{.name = "refused_" + name.substr(0, name.find('.')),
                     .arguments = {kBoard, "--write", "image.bin", "--verify", name},
                     .before = {image, board, {name, std::move(bytes)}},
                     .exit_status = 1,
                     .err = {"30p: " + name + message},
                     .after = {board},
                     .board_untouched = true};
  };
  const auto usage_error = [&](std::string name, std::vector<std::string> arguments,
                               std::string message) {
    std::vector<std::string> err{"30p: " + std::move(message)};
    err.insert(err.end(), usage.begin(), usage.end());
    return BatchCase{.name = std::move(name),
                     .arguments = std::move(arguments),
                     .before = {image},
                     .exit_status = 2,
                     .err = err,
                     .after = {image},
                     .absent = {"board.bin"}};
  };
  std::vector<BatchCase> cases{
      // --write: only the bytes that differ, then the read-back.
      {.name = "write_to_erased_board",
       .arguments = {kBoard, "--write", "image.bin"},
       .before = {image},
       .err = {"wrote 127 bytes, verified 128"},
       .after = {board_as_image}},
      {.name = "write_identical_image",
       .arguments = {kBoard, "--write", "image.bin"},
       .before = {image, board_as_image},
       .err = {"wrote 0 bytes, verified 128"},
       .after = {board_as_image},
       .board_untouched = true},
      {.name = "write_partial_hex",
       .arguments = {kBoard, "--write", "part.hex"},
       .before = {part, board},
       .err = {"wrote 16 bytes, verified 16"},
       .after = {{"board.bin", Raw(BoardWithPartialHex())}}},
      {.name = "write_all_unverified_srec",
       .arguments = {kBoard, "--all", "--no-verify", "--format", "srec", "--write", "image.txt"},
       .before = {{"image.txt",
                   image_files::EncodeImage(ImageData(), image_files::ImageFormat::SRecord, "30p")},
                  board_as_image},
       .err = {"wrote 128 bytes, not verified"},
       .after = {board_as_image}},
      {.name = "write_eeprom_absent",
       .arguments = {"--port", "sim:board.bin,eeprom=absent", "--write", "image.bin", "--read",
                     "out.bin"},
       .before = {image, board},
       .exit_status = 1,
       .err = {"30p: --write image.bin stopped after writing 0 bytes: The EEPROM did not "
               "acknowledge its device select...."},
       .after = {board}, .absent = {"out.bin"}, .board_untouched = true},
      // --page-size: runs inside a page, each one write; a page too large shows in the verify.
      {.name = "write_in_pages_of_8", .arguments = {kBoard, "--page-size", "8", "--write",
                                                    "image.bin"},
       .before = {image}, .err = {"wrote 127 bytes, verified 128"}, .after = {board_as_image}},
      {.name = "page_size_too_large",
       .arguments = {"--port", "sim:board.bin,page=8", "--page-size=16", "--write", "part.hex"},
       .before = {part, board}, .exit_status = 1, .out = WrappedPageListing(),
       .err = {"30p: EEPROM differs from part.hex at 16 of 16 addresses after writing 16 bytes "
               "with --page-size 16: the read-back fits pages of 8 bytes; use --page-size 8"},
       .after = {{"board.bin", Raw(BoardAfterWrappedPage())}}},
      // The advice names the EEPROM's own page size, read off the wrap, whether or not the
      // EEPROM was read before the write.
      {.name = "page_size_advice_read_first",
       .arguments = {"--port", "sim:board.bin,page=4", "--page-size=16", "--write", "part.hex"},
       .before = {part, board}, .exit_status = 1, .out = WrappedPageListing(4),
       .err = {"30p: EEPROM differs from part.hex at 16 of 16 addresses after writing 16 bytes "
               "with --page-size 16: the read-back fits pages of 4 bytes; use --page-size 4"},
       .after = {{"board.bin", Raw(BoardAfterWrappedPage(4))}}},
      {.name = "page_size_advice_all_written",
       .arguments = {"--port", "sim:board.bin,page=4", "--all", "--page-size=16", "--write",
                     "part.hex"},
       .before = {part, board}, .exit_status = 1, .out = WrappedPageListing(4),
       .err = {"30p: EEPROM differs from part.hex at 16 of 16 addresses after writing 16 bytes "
               "with --page-size 16: the read-back fits pages of 4 bytes; use --page-size 4"},
       .after = {{"board.bin", Raw(BoardAfterWrappedPage(4))}}},
      {.name = "page_write_eeprom_absent",
       .arguments = {"--port", "sim:board.bin,eeprom=absent", "--all", "--page-size", "8",
                     "--write", "image.bin"},
       .before = {image, board}, .exit_status = 1,
       .err = {"30p: --write image.bin stopped after writing 0 bytes: The EEPROM did not "
               "acknowledge its device select while writing addresses 0 to 7 in one page "
               "write. The virtual board was started with eeprom=absent..."},
       .after = {board}, .board_untouched = true},
      // Faulty files, each refused whole with the board untouched.
      refused("checksum.hex", ":0100000011EE\n\n:02001000AABB88\n" + kEnd,
              " line 3: checksum is 0x88, the record's bytes make 0x89"),
      refused("count.s19", "S1040010AA41\nS5030002FA\nS9030000FC\n",
              " line 2: the count record says 2 data records, the file has 1 before it"),
      refused("address128.hex", ":01007F00116F\n:01008000116E\n" + kEnd,
              " line 2: address 0x80 is outside the EEPROM, which holds 0x00 to 0x7F"),
      refused("odd.hex", ":02001000AABB8\n" + kEnd,
              " line 1: odd number of hex digits (13); each byte takes two"),
      refused("garbage.srec", "S1040010AA41\ngarbage\n",
              " line 2: a record begins with 'S', this line begins with 'g'"),
      refused("twice.hex", ":02001000AABB89\n\n:01001000CC23\n" + kEnd,
              " line 3: address 0x10 is given 0xCC here and 0xAA on line 1"),
      refused("short.bin", std::string(127, 'x'),
              " holds 127 bytes; a raw image file holds exactly 128"),
      {.name = "refused_missing",
       .arguments = {kBoard, "--write", "image.bin", "--write", "no.hex"},
       .before = {image, board},
       .exit_status = 1,
       .err = {"30p: cannot read no.hex: No such file or directory"},
       .after = {board},
       .board_untouched = true},
      // Every file of a run is binary: an image of line-end bytes goes to the board, back into a
      // raw file and a HEX file, and from the HEX file to the board again, unchanged. The names
      // are UTF-8 beyond ASCII, and stay so.
      {.name = "line_end_bytes_round_trip",
       .arguments = {kBoard, "--write", "énds.bin", "--read", "back.bin", "--read",
                     "zurück €.hex", "--write", "zurück €.hex"},
       .before = {{"énds.bin", LineEndBytes()}},
       .err = {"wrote 128 bytes, verified 128", "read the EEPROM into back.bin",
               "read the EEPROM into zurück €.hex", "wrote 0 bytes, verified 128"},
       .after = {{"board.bin", LineEndBytes()},
                 {"back.bin", LineEndBytes()},
                 {"zurück €.hex", image_files::EncodeImage(
                                      ImageOf(LineEndBytes()),
                                      image_files::ImageFormat::IntelHex, "30p")}}},
      // --read and --read-switch, in the format of the name.
      {.name = "read_hex_and_switch_srec",
       .arguments = {kBoard, "--read", "eeprom.hex", "--read-switch", "switch.srec"},
       .before = {board},
       .err = {"read the EEPROM into eeprom.hex",
               "read the switch chip's registers into switch.srec"},
       .after = {{"eeprom.hex",
                  image_files::EncodeImage(BoardData(), image_files::ImageFormat::IntelHex, "30p")},
                 {"switch.srec",
                  image_files::EncodeImage(BoardData(), image_files::ImageFormat::SRecord, "30p")},
                 board},
       .board_untouched = true},
      {.name = "failed_read_keeps_the_file",
       .arguments = {"--port", "sim:board.bin,eeprom=absent", "--read", "out.hex"},
       .before = {board, {"out.hex", "kept\n"}},
       .exit_status = 1,
       .err = {"30p: --read out.hex: The EEPROM did not acknowledge its device select...."},
       .after = {{"out.hex", "kept\n"}}},
      // --verify lists every difference.
      {.name = "verify_three_differences",
       .arguments = {kBoard, "--verify", "image.bin"},
       .before = {image,
                  {"board.bin", Raw(With(ImageData(), {{5, 0x00}, {9, 0xee}, {100, 0x01}}))}},
       .exit_status = 1,
       .out = "address 5: file 26, EEPROM 00\naddress 9: file 42, EEPROM ee\n"
              "address 100: file bf, EEPROM 01\n",
       .err = {"30p: EEPROM differs from image.bin at 3 of 128 addresses"},
       .board_untouched = true},
      {.name = "verify_partial_hex",
       .arguments = {kBoard, "--verify", "part.hex"},
       .before = {part, {"board.bin", Raw(With(ImageData(), {{0, 0x00}}))}},
       .err = {"EEPROM matches part.hex at the 16 addresses it holds"},
       .board_untouched = true},
      {.name = "verify_the_file_read_before",
       .arguments = {kBoard, "--read", "copy.hex", "--verify", "copy.hex"},
       .before = {board},
       .err = {"read the EEPROM into copy.hex", "EEPROM matches copy.hex"}},
      {.name = "first_failure_stops",
       .arguments = {kBoard, "--verify", "image.bin", "--read", "out.bin"},
       .before = {image, {"board.bin", Raw(With(ImageData(), {{0, 0xf0}}))}},
       .exit_status = 1,
       .out = "address 0: file 03, EEPROM f0\n",
       .err = {"30p: EEPROM differs from image.bin at 1 of 128 addresses"},
       .absent = {"out.bin"}},
      // --probe.
      {.name = "probe_good_board",
       .arguments = {kBoard, "--probe"},
       .before = {board},
       .err = {"SDA line: follows the port", "EEPROM at 0x50: answers",
               "switch chip at 0x5F: answers"},
       .board_untouched = true},
      {.name = "probe_eeprom_absent",
       .arguments = {"--port", "sim,eeprom=absent", "--probe"},
       .exit_status = 1,
       .err = {"SDA line: follows the port",
               "30p: EEPROM at 0x50: does not answer: The EEPROM did not acknowledge its device "
               "select....",
               "switch chip at 0x5F: answers"}},
      {.name = "probe_switch_absent",
       .arguments = {"--port", "sim,switch=absent", "--probe"},
       .exit_status = 1,
       .err = {"SDA line: follows the port", "EEPROM at 0x50: answers",
               "30p: switch chip at 0x5F: does not answer: The switch chip did not acknowledge "
               "its device select...."}},
      {.name = "probe_sda_stuck_low",
       .arguments = {"--port", "sim,sda=stuck-low", "--probe"},
       .exit_status = 1,
       .err = {"30p: SDA line: SDA stays low when the port releases it...",
               "30p: EEPROM at 0x50: does not answer: The bus is held low...",
               "30p: switch chip at 0x5F: does not answer: The bus is held low..."}},
      // --quiet leaves only failures.
      {.name = "quiet",
       .arguments = {kBoard, "--quiet", "--write", "image.bin", "--probe"},
       .before = {image},
       .after = {board_as_image}},
      {.name = "quiet_failure",
       .arguments = {"--port", "sim,switch=absent", "--probe", "--quiet"},
       .exit_status = 1,
       .err = {"30p: switch chip at 0x5F: does not answer..."}},
      // Usage errors: nothing runs, no board is made.
      usage_error("all_without_write", {kBoard, "--all", "--read", "x.bin"},
                  "--all applies to --write, and no --write is given"),
      usage_error("quiet_alone", {kBoard, "--quiet"},
                  "--quiet applies to batch operations, and none is given (--write, --read, "
                  "--verify, --read-switch or --probe)"),
      usage_error("write_without_file", {kBoard, "--write"}, "--write needs a file name"),
      usage_error("page_size_3", {kBoard, "--page-size", "3", "--write", "x.bin"},
                  "--page-size '3' is not a page size; use 1, 2, 4, 8 or 16"),
      usage_error("page_size_without_write", {kBoard, "--page-size", "8", "--read", "x.bin"},
                  "--page-size applies to --write, and no --write is given"),
      usage_error("page_size_unverified", {kBoard, "--page-size=4", "--no-verify", "--write", "x"},
                  "--no-verify cannot go with --page-size 4: only the read-back shows a page "
                  "size too large for the EEPROM"),
      usage_error("format_word", {kBoard, "--format", "hex", "--read", "x.bin"},
                  "--format 'hex' is not a file format; use raw, ihex or srec"),
      usage_error("trace_is_a_new_output", {kBoard, "--trace", "out.hex", "--read", "out.hex"},
                  "--trace out.hex is the same file as the output of --read out.hex, which "
                  "would replace the trace; name another trace file"),
      usage_error("read_into_the_board_file", {"--port", "sim:work.bin", "--read", "./work.bin"},
                  "--read ./work.bin is the board file of --port sim:work.bin, which the board "
                  "keeps its EEPROM in while it runs; name another file"),
      usage_error("trace_is_the_input", {kBoard, "--trace", "image.bin", "--write", "image.bin"},
                  "--trace image.bin is the same file as the input of --write image.bin, which "
                  "the trace would overwrite; name another trace file"),
      usage_error("trace_is_the_board_file_not_made_yet",
                  {kBoard, "--trace", "board.bin", "--write", "image.bin"},
                  "--trace board.bin is the same file as the board file board.bin, which the "
                  "trace would overwrite; name another trace file"),
      // Several boards, the station and the log: refused before any board is touched.
      usage_error("two_ports_one_board_file",
                  {kBoard, "--port", "sim:./board.bin,twr=10", "--write", "image.bin"},
                  "--port sim:board.bin and --port sim:./board.bin,twr=10 name the same board "
                  "file: each board needs a port of its own"),
      usage_error("trace_of_two_ports", {kBoard, "--port=sim", "--trace", "t", "--probe"},
                  "--trace records the bus of one port, and --port is given 2 times; trace one "
                  "board in a run of its own"),
      usage_error("read_on_a_station", {kBoard, "--repeat", "--read", "out.bin"},
                  "--read out.bin: every board would replace that one file (--repeat); read one "
                  "board at a time"),
      usage_error("count_without_repeat", {kBoard, "--count", "3", "--probe"},
                  "--count applies to --repeat, and no --repeat is given"),
      usage_error("log_is_the_input", {kBoard, "--log", "./image.bin", "--write", "image.bin"},
                  "--log ./image.bin is the same file as --write image.bin; name another log"),
      {.name = "log_cannot_be_opened",
       .arguments = {kBoard, "--log", "no/log", "--write", "image.bin"},
       .before = {image, board},
       .exit_status = 1,
       .err = {"30p: cannot open the log no/log: No such file or directory"},
       .after = {board},
       .board_untouched = true},
      // Names that lead to the board file through links, made or not yet made.
      {.name = "read_through_a_dangling_link_into_the_board_file",
       .arguments = {"--port", "sim:board2.bin", "--write", "image.bin", "--read", "out.hex"},
       .before = {image},
       .links = {{"out.hex", "board2.bin"}},
       .exit_status = 2,
       .err = {"30p: --read out.hex is the board file of --port sim:board2.bin, which the "
               "board keeps its EEPROM in while it runs; name another file",
               usage[0], usage[1], usage[2], usage[3], usage[4]},
       .absent = {"board2.bin"}},
      {.name = "read_through_a_linked_folder_into_the_board_file",
       .arguments = {"--port", "sim:real/b.bin", "--read", "alias/b.bin"},
       .before = {{"real/keep", ""}},
       .links = {{"alias", "real"}},
       .exit_status = 2,
       .err = {"30p: --read alias/b.bin is the board file of --port sim:real/b.bin, which the "
               "board keeps its EEPROM in while it runs; name another file",
               usage[0], usage[1], usage[2], usage[3], usage[4]},
       .absent = {"real/b.bin"}},
      // An output through a link replaces the file the link leads to; the link stays.
      {.name = "read_through_links",
       .arguments = {kBoard, "--read", "out.hex", "--read-switch", "regs.bin"},
       .before = {board, {"kept/regs.bin", "old"}, {"real/other", ""}},
       .links = {{"out.hex", "saved/eeprom.hex"}, {"regs.bin", "kept/regs.bin"}, {"saved", "real"}},
       .err = {"read the EEPROM into out.hex", "read the switch chip's registers into regs.bin"},
       .after = {{"real/eeprom.hex",
                  image_files::EncodeImage(BoardData(), image_files::ImageFormat::IntelHex, "30p")},
                 {"kept/regs.bin", Raw(BoardData())}},
       .board_untouched = true},
      // An output another program holds locked is left alone.
      {.name = "read_into_a_locked_file",
       .arguments = {kBoard, "--read", "shared.bin"},
       .before = {board, {"shared.bin", "theirs"}},
       .locked = {"shared.bin"},
       .exit_status = 1,
       .err = {"30p: cannot write shared.bin: another program holds it open "
               "(a running virtual board or plover); close that program or name another file"},
       .after = {{"shared.bin", "theirs"}},
       .board_untouched = true},
  };
  // The USB programmers, where they are built: one programmer named twice, and options and
  // locations left empty.
  const auto built = [](std::string_view name) {
    for (const ports::PortBackend* backend : ports::PortBackends()) {
      if (backend->name == name) return true;
    }
    return false;
  };
  const auto port_refused = [&](std::string name, std::string port, std::string message) {
    std::vector<std::string> err{"30p: invalid port specification '" + port + "': " + message,
                                 "accepted forms of --port SPEC:"};
    std::istringstream forms(ports::PortSpecUsage());
    for (std::string line; std::getline(forms, line);) err.push_back(line);
    err.insert(err.end(), usage.begin(), usage.end());
    return BatchCase{.name = std::move(name),
                     .arguments = {"--port", port, "--write", "image.bin"},
                     .before = {image},
                     .exit_status = 2,
                     .err = err,
                     .after = {image}};
  };
  if (built("ch341a")) {
    cases.push_back(usage_error("one_ch341a_twice",
                                {"--port", "ch341a", "--port", "ch341a:1-2", "--write", "image.bin"},
                                "--port ch341a and --port ch341a:1-2 name the same CH341A: each "
                                "board needs a port of its own"));
  }
  if (built("ftdi")) {
    cases.push_back(usage_error("one_ftdi_chip_twice",
                                {"--port", "ftdi:FT01", "--port", "ftdi,khz=400", "--write",
                                 "image.bin"},
                                "--port ftdi:FT01 and --port ftdi,khz=400 name the same FTDI "
                                "chip: each board needs a port of its own"));
    cases.push_back(port_refused("ftdi_empty_option", "ftdi,",
                                 "an option of ftdi is empty (two commas, or a comma at the end): "
                                 "ftdi takes channel=A|B and khz=N"));
    cases.push_back(port_refused("ftdi_empty_location", "ftdi:",
                                 "the USB port path or serial number is missing after ftdi: (name "
                                 "one such as 1-2.3 or a serial number, or leave out the ':' for "
                                 "the only chip plugged in)"));
  }
  return cases;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

class BatchTest : public ::testing::TestWithParam<BatchCase> {};

TEST_P(BatchTest, RunsTheOperations) {
  const BatchCase& test = GetParam();
  ScratchFolder scratch;
  for (const FileSpec& file : test.before) {
    fs::create_directories((scratch.Work() / file.name).parent_path());
    WriteFileBytes(scratch.Work() / file.name, file.bytes);
  }
  for (const FileSpec& link : test.links)
    fs::create_symlink(link.bytes, scratch.Work() / link.name);
  const fs::path board = scratch.Work() / "board.bin";
  if (fs::exists(board)) fs::last_write_time(board, kOldTime);
  std::vector<std::unique_ptr<HeldFileLock>> locks;
  for (const std::string& name : test.locked) {
    locks.push_back(std::make_unique<HeldFileLock>(scratch.Work() / name));
    ASSERT_TRUE(locks.back()->Held()) << name;
  }

  const RunResult run = RunProgram(PLOVER_30P_PROGRAM, test.arguments, "", scratch);

  ASSERT_TRUE(run.exited) << "30p " << DescribeEnd(run);
  EXPECT_EQ(run.exit_status, test.exit_status) << "standard error:\n" << run.err;
  EXPECT_EQ(run.out, test.out);
  const std::vector<std::string> err = Lines(run.err);
  EXPECT_EQ(err.size(), test.err.size()) << "standard error:\n" << run.err;
  for (std::size_t i = 0; i < err.size() && i < test.err.size(); ++i) {
    const std::string& expected = test.err[i];
    const bool prefix = expected.ends_with("...");
    const std::string& actual = prefix ? err[i].substr(0, expected.size() - 3) : err[i];
    EXPECT_EQ(actual, prefix ? expected.substr(0, expected.size() - 3) : expected)
        << "line " << i + 1;
  }
  EXPECT_EQ(run.err.find('\r'), std::string::npos) << "progress shown off a terminal";
  for (const FileSpec& file : test.after) {
    EXPECT_TRUE(
        DescribeFirstDifference(file.bytes, ReadFileBytes(scratch.Work() / file.name)).empty())
        << file.name << ": "
        << DescribeFirstDifference(file.bytes, ReadFileBytes(scratch.Work() / file.name));
  }
  for (const std::string& name : test.absent) {
    EXPECT_FALSE(fs::exists(fs::symlink_status(scratch.Work() / name)))
        << name << " exists after the run";
  }
  for (const FileSpec& link : test.links) {
    EXPECT_TRUE(fs::is_symlink(scratch.Work() / link.name)) << link.name << " is no longer a link";
  }
  if (test.board_untouched) {
    EXPECT_EQ(fs::last_write_time(board), kOldTime) << "the board file was written";
  }
  EXPECT_FALSE(fs::exists(scratch.Work() / "30p.dat"));
}

INSTANTIATE_TEST_SUITE_P(Batch, BatchTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<BatchCase>& info) {
                           return info.param.name;
                         });

// On a terminal a write shows its progress on one line that it rewrites, and blanks that line
// before the final one; --quiet shows neither.
TEST(TerminalBatchTest, AWriteShowsItsProgressOnATerminalOnly) {
  ScratchFolder scratch;
  WriteFileBytes(scratch.Work() / "image.bin", Raw(ImageData()));
  const RunResult run = RunProgramOnTerminal(
      PLOVER_30P_PROGRAM, {kBoard, "--all", "--write", "image.bin"}, "", scratch);
  EXPECT_EQ(run.exit_status, 0) << "30p " << DescribeEnd(run);
  std::string expected = "\rwriting 0/128";
  for (int done = 8; done <= 128; done += 8) {
    expected += "\rwriting " + std::to_string(done) + "/128";
  }
  // "verifying" covers "writing 128/128" with spaces; the blanking covers "verifying".
  expected += "\rverifying      \r" + std::string(9, ' ') + "\rwrote 128 bytes, verified 128\n";
  EXPECT_TRUE(DescribeFirstDifference(expected, run.out).empty())
      << DescribeFirstDifference(expected, run.out);
  EXPECT_EQ(ReadFileBytes(scratch.Work() / "board.bin"), Raw(ImageData()));

  const RunResult quiet = RunProgramOnTerminal(
      PLOVER_30P_PROGRAM, {kBoard, "--quiet", "--write", "image.bin"}, "", scratch);
  EXPECT_EQ(quiet.exit_status, 0) << "30p " << DescribeEnd(quiet);
  EXPECT_EQ(quiet.out, "");
}

}  // namespace
}  // namespace console_test
