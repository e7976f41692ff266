// SPDX-License-Identifier: GPL-3.0-or-later
// Whole dialogues with the built 30p: piped standard input, a fresh folder, and standard output
// compared byte for byte with the transcript kept in transcripts/<name>.out.
//
// Set PLOVER_UPDATE_TRANSCRIPTS=1 to write the output of a run as its transcript (then read the
// transcript through before committing it).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "dialogue_runner.h"
#include "tests/support/full_disk.h"

namespace console_test {
namespace {

namespace fs = std::filesystem;

// The default data of most dialogues: every value from 0x03 up in steps of 7, so the listing
// shows one- and two-digit bytes, and bytes with bit 7 clear and set.
std::string DefaultData() {
  std::string bytes;
  for (int address = 0; address < 128; ++address) {
    bytes.push_back(static_cast<char>(static_cast<std::uint8_t>(address * 7 + 3)));
  }
  return bytes;
}

// What the virtual board's EEPROM holds in the read and register dialogues.
std::string BoardData() {
  std::string bytes;
  for (int address = 0; address < 128; ++address) {
    bytes.push_back(static_cast<char>(0xff - address));
  }
  return bytes;
}

std::string Bytes(std::size_t count, std::uint8_t value) {
  return std::string(count, static_cast<char>(value));
}

// DefaultData with some addresses changed.
std::string DefaultDataWith(const std::vector<std::pair<int, std::uint8_t>>& changes) {
  std::string bytes = DefaultData();
  for (const auto& [address, value] : changes) {
    bytes[static_cast<std::size_t>(address)] = static_cast<char>(value);
  }
  return bytes;
}

std::string ExampleData() { return ReadFileBytes(PLOVER_EXAMPLE_DATA); }

struct FileSpec {
  std::string name;
  std::string bytes;
};

struct DialogueCase {
  std::string name{};                     // transcripts/<name>.in is the standard input
  std::string expected{};                 // transcripts/<expected>.out; empty: <name>.out
  std::vector<std::string> arguments{};
  std::vector<FileSpec> before{};         // files in the folder before the run
  std::vector<std::string> fifos{};       // named pipes made in the folder before the run
  std::vector<std::string> locked{};      // files the test holds locked (flock) during the run
  std::vector<FileSpec> after{};          // files and their exact contents after the run
  std::vector<std::string> absent{};      // files that must not exist after the run
  std::vector<std::string> present{};     // files that must exist after the run
  std::vector<std::string> owner_only{};  // files with permissions exactly 0600 after the run
  std::vector<std::string> same_file{};   // files given mode 0640 before the run that keep their
                                          // inode and mode through it: changed in place
  std::string full_disk{};                // a folder on a full disk during the run
  std::vector<FileSpec> starts{};         // files that begin with these bytes after the run
};

// Test names show the case's name instead of its bytes.
void PrintTo(const DialogueCase& test, std::ostream* os) { *os << test.name; }

const std::string kBoard = "--port=sim:board.bin";
const std::string kDat = "30p.dat";
const std::string kLongName = std::string(120, 'n') + ".dat";

std::vector<DialogueCase> Cases() {
  const FileSpec dat{kDat, DefaultData()};
  return {
      // Start-up.
      {.name = "startup_missing_dat", .arguments = {kBoard}, .absent = {kDat, "board.bin"}},
      {.name = "startup_empty_dat", .before = {{kDat, ""}}},
      {.name = "startup_short_dat", .before = {{kDat, DefaultData().substr(0, 10)}}},
      {.name = "startup_fifo_dat", .expected = "startup_missing_dat", .fifos = {kDat}},
      {.name = "startup_long_dat",
       .before = {{kDat, DefaultData() + Bytes(72, 0x00)}},
       .after = {{kDat, DefaultData() + Bytes(72, 0x00)}}},
      {.name = "startup_key_digit", .expected = "startup_exit", .before = {dat}},
      {.name = "eof_at_wait", .before = {dat}},
      {.name = "eof_at_menu", .expected = "startup_exit", .before = {dat}},
      // Menu numbers: 9 and every number outside 1 to 8 end the dialogue the same way.
      {.name = "menu_0", .expected = "startup_exit", .before = {dat}},
      {.name = "menu_9", .expected = "startup_exit", .before = {dat}},
      {.name = "menu_10", .expected = "startup_exit", .before = {dat}},
      {.name = "menu_minus_1", .expected = "startup_exit", .before = {dat}},
      {.name = "menu_257", .expected = "startup_exit", .before = {dat}},
      {.name = "menu_huge_number", .expected = "startup_exit", .before = {dat}},
      {.name = "menu_abc", .before = {dat}},
      {.name = "menu_abc_after_command", .before = {dat}, .absent = {"missing.dat"}},
      // Entry 2.
      {.name = "change_y", .before = {dat}},
      {.name = "change_upper_y_then_y", .before = {dat}},
      {.name = "change_n_then_y", .before = {dat}},
      {.name = "change_rejected_entries", .before = {dat}},
      {.name = "change_whole_tokens", .before = {dat},
       .after = {{"edited.dat",
                   DefaultDataWith({{5, 0x2a}, {6, 0x3f}, {7, 0xff}, {8, 0x1f}, {9, 0xff}})}}},
      {.name = "change_eof_at_address", .before = {dat}},
      {.name = "change_eof_at_byte", .before = {dat}},
      {.name = "change_eof_at_answer", .before = {dat}},
      // Entry 3.
      {.name = "save_new", .expected = "save_quiet", .before = {dat},
       .after = {{"saved.dat", DefaultData()}}, .owner_only = {"saved.dat"}},
      {.name = "save_existing", .expected = "save_quiet",
       .before = {dat, {"same.dat", BoardData()}}, .after = {{"same.dat", DefaultData()}}},
      {.name = "save_existing_longer", .expected = "save_quiet",
       .before = {dat, {"long.dat", Bytes(200, 0xaa)}}, .after = {{"long.dat", DefaultData()}},
       .same_file = {"long.dat"}},
      {.name = "save_existing_shorter", .expected = "save_quiet",
       .before = {dat, {"short.dat", "abc"}}, .after = {{"short.dat", DefaultData()}}},
      {.name = "save_long_name", .expected = "save_quiet", .before = {dat},
       .after = {{kLongName, DefaultData()}}},
      {.name = "save_open_failed", .before = {dat}},
      {.name = "save_write_failed", .before = {dat}},
      {.name = "save_full_disk", .expected = "save_write_failed", .before = {dat},
       .absent = {"full/new.dat"}, .full_disk = "full"},
      {.name = "save_eof", .before = {dat}},
      // A file another program holds locked, then the board file of 30p's own running board.
      {.name = "save_locked", .arguments = {kBoard},
       .before = {dat, {"held.dat", BoardData()}, {"board.bin", BoardData()}},
       .locked = {"held.dat"},
       .after = {{"held.dat", BoardData()}, {"board.bin", BoardData()}}},
      // The trace of the running board, which the trace holds locked as a board holds its file.
      {.name = "save_over_trace", .arguments = {"--port", "sim", "--trace", "trace.txt"},
       .before = {dat}, .starts = {{"trace.txt", "# port trace of sim\n"}}},
      // Entry 4.
      {.name = "read_existing", .before = {dat, {"board.dat", BoardData()}}},
      {.name = "read_short", .before = {dat, {"three.dat", BoardData().substr(0, 3)}}},
      {.name = "read_longer", .before = {dat, {"long.dat", BoardData() + Bytes(72, 0x00)}}},
      {.name = "read_missing", .before = {dat}, .absent = {"missing.dat"}},
      {.name = "read_saved_file", .before = {dat},
       .after = {{"round.dat", DefaultDataWith({{0, 0x00}})}}},
      {.name = "read_eof", .before = {dat}},
      // A file of line-end bytes read (entry 4), saved (entry 3) and read again, unchanged.
      {.name = "read_save_read_line_ends", .before = {dat, {"ends.dat", LineEndBytes()}},
       .after = {{"ends.dat", LineEndBytes()}, {"round.dat", LineEndBytes()}}},
      // Entries 3 and 4 on a named pipe and a folder (refused without waiting) and on
      // character devices (used as files).
      {.name = "special_files", .before = {dat}, .fifos = {"pipe"}},
      // Entries 1, 5, 6, 7 and 8 on the virtual board.
      {.name = "write_eeprom", .arguments = {kBoard}, .before = {dat},
       .after = {{"board.bin", DefaultData()}}},
      {.name = "read_eeprom", .arguments = {kBoard}, .before = {dat, {"board.bin", BoardData()}},
       .after = {{"board.bin", BoardData()}}},
      {.name = "verify_matches", .arguments = {kBoard},
       .before = {dat, {"board.bin", DefaultData()}}},
      {.name = "verify_differs_at_0", .arguments = {kBoard},
       .before = {dat, {"board.bin", DefaultDataWith({{0, 0xf0}})}}},
      {.name = "verify_differs_several", .arguments = {kBoard},
       .before = {dat, {"board.bin", DefaultDataWith({{5, 0x00}, {9, 0xee}, {100, 0x01}})}}},
      {.name = "write_then_verify", .arguments = {kBoard}, .before = {dat},
       .after = {{"board.bin", DefaultData()}}},
      {.name = "program_default", .arguments = {kBoard}, .before = {dat},
       .after = {{"board.bin", DefaultData()}}},
      {.name = "program_default_short", .arguments = {kBoard},
       .before = {{kDat, DefaultData().substr(0, 10)}, {"full.dat", BoardData()}},
       .after = {{"board.bin", DefaultData().substr(0, 10) + BoardData().substr(10)}}},
      {.name = "switch_registers_then_write", .arguments = {kBoard},
       .before = {dat, {"board.bin", BoardData()}}, .after = {{"board.bin", BoardData()}}},
      // The board does not answer.
      {.name = "eeprom_absent", .arguments = {"--port", "sim,eeprom=absent"}, .before = {dat},
       .absent = {"missing.dat"}},
      {.name = "switch_absent", .arguments = {"--port", "sim:board.bin,switch=absent"},
       .before = {dat, {"board.bin", BoardData()}}},
      {.name = "sda_stuck_low", .arguments = {"--port", "sim,sda=stuck-low"}, .before = {dat}},
      {.name = "port_unavailable", .arguments = {"--port", "sim:no-such-folder/board.bin"},
       .before = {dat}},
      // A board that checks the data sheet's timing: the programs' floor at the board's speed
      // passes; the bare port (khz=0) fails and is reported, and nothing is written or listed.
      {.name = "timing_standard", .arguments = {"--port", "sim:board.bin,timing=100"},
       .before = {dat}, .after = {{"board.bin", DefaultData()}}},
      {.name = "timing_fast_mode", .expected = "timing_standard",
       .arguments = {"--port", "sim:board.bin,timing=400,khz=400"}, .before = {dat},
       .after = {{"board.bin", DefaultData()}}},
      {.name = "timing_too_fast", .arguments = {"--port", "sim:board.bin,timing=100,khz=0"},
       .before = {dat}, .after = {{"board.bin", Bytes(128, 0xff)}}},
      // A trace of the bus operations.
      {.name = "trace", .arguments = {"--port", "sim", "--trace", "trace.txt"}, .before = {dat},
       .present = {"trace.txt"}},
      // The README's first dialogue: the example data on the virtual board.
      {.name = "example_data", .arguments = {kBoard}, .before = {{kDat, ExampleData()}},
       .after = {{"board.bin", ExampleData()}}},
  };
}

fs::path TranscriptPath(const std::string& name, const char* extension) {
  return fs::path(PLOVER_CONSOLE_TRANSCRIPTS) / (name + extension);
}

class DialogueTest : public ::testing::TestWithParam<DialogueCase> {};

TEST_P(DialogueTest, PrintsTheTranscript) {
  const DialogueCase& test = GetParam();
  const std::string expected_name = test.expected.empty() ? test.name : test.expected;
  ASSERT_TRUE(fs::exists(TranscriptPath(test.name, ".in"))) << test.name << ".in is missing";
  const std::string input = ReadFileBytes(TranscriptPath(test.name, ".in"));

  ScratchFolder scratch;
  for (const FileSpec& file : test.before) {
    WriteFileBytes(scratch.Work() / file.name, file.bytes);
  }
  for (const std::string& name : test.fifos) {
    ASSERT_EQ(::mkfifo((scratch.Work() / name).c_str(), 0600), 0) << "mkfifo " << name;
  }
  std::vector<std::pair<std::string, struct stat>> identities;
  for (const std::string& name : test.same_file) {
    const fs::path path = scratch.Work() / name;
    struct stat before {};
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0) << "chmod " << name;
    ASSERT_EQ(::stat(path.c_str(), &before), 0) << "stat " << name;
    identities.emplace_back(name, before);
  }
  std::vector<std::unique_ptr<HeldFileLock>> locks;
  for (const std::string& name : test.locked) {
    locks.push_back(std::make_unique<HeldFileLock>(scratch.Work() / name));
    ASSERT_TRUE(locks.back()->Held()) << "the test cannot lock " << name;
  }
  std::string program = PLOVER_30P_PROGRAM;
  std::vector<std::string> arguments = test.arguments;
  std::unique_ptr<test_support::FullDisk> full_disk;
  if (!test.full_disk.empty()) {
    full_disk = std::make_unique<test_support::FullDisk>(scratch.Work() / test.full_disk);
    if (!full_disk->Mounted()) {
      // Without the right to mount, no file may grow instead; standard output then goes through
      // a pipe, which the limit does not reach.
      arguments.insert(arguments.begin(),
                       {"-c", "(ulimit -f 0 && exec \"$0\" \"$@\") | cat", program});
      program = "/bin/sh";
    }
  }
  const RunResult run = RunProgram(program, arguments, input, scratch);
  locks.clear();

  ASSERT_TRUE(run.exited) << "30p " << DescribeEnd(run);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err, "") << "30p wrote to standard error";

  const fs::path transcript = TranscriptPath(expected_name, ".out");
  const char* update = std::getenv("PLOVER_UPDATE_TRANSCRIPTS");
  if (update != nullptr && std::string(update) == "1") {
    WriteFileBytes(transcript, run.out);
  }
  ASSERT_TRUE(fs::exists(transcript)) << expected_name << ".out is missing";
  const std::string difference = DescribeFirstDifference(ReadFileBytes(transcript), run.out);
  EXPECT_TRUE(difference.empty()) << "standard output differs from " << expected_name
                                  << ".out: " << difference;

  for (const FileSpec& file : test.after) {
    const fs::path path = scratch.Work() / file.name;
    ASSERT_TRUE(fs::exists(path)) << file.name << " does not exist after the run";
    const std::string file_difference = DescribeFirstDifference(file.bytes, ReadFileBytes(path));
    EXPECT_TRUE(file_difference.empty()) << file.name << " after the run: " << file_difference;
  }
  for (const FileSpec& file : test.starts) {
    const std::string bytes = ReadFileBytes(scratch.Work() / file.name);
    EXPECT_EQ(bytes.substr(0, file.bytes.size()), file.bytes) << file.name << " after the run";
  }
  for (const std::string& name : test.absent) {
    EXPECT_FALSE(fs::exists(scratch.Work() / name)) << name << " exists after the run";
  }
  for (const std::string& name : test.present) {
    EXPECT_TRUE(fs::exists(scratch.Work() / name)) << name << " does not exist after the run";
    EXPECT_GT(fs::file_size(scratch.Work() / name), 0u) << name << " is empty";
  }
  for (const std::string& name : test.owner_only) {
    const fs::perms permissions = fs::status(scratch.Work() / name).permissions() & fs::perms::all;
    EXPECT_EQ(permissions, fs::perms::owner_read | fs::perms::owner_write)
        << name << " has permissions " << std::oct << static_cast<unsigned>(permissions);
  }
  for (const auto& [name, before] : identities) {
    struct stat after {};
    ASSERT_EQ(::stat((scratch.Work() / name).c_str(), &after), 0) << "stat " << name;
    EXPECT_EQ(after.st_ino, before.st_ino) << name << " was replaced by a new file";
    EXPECT_EQ(after.st_mode, before.st_mode) << name << " changed its mode";
  }
}

INSTANTIATE_TEST_SUITE_P(Dialogues, DialogueTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<DialogueCase>& info) {
                           return info.param.name;
                         });

// On a terminal every listing ends each row of ten cells with a line break; the rest of the
// dialogue is the same bytes.
TEST(TerminalDialogueTest, ListingsBreakTheLineAfterEveryTenCells) {
  ScratchFolder scratch;
  WriteFileBytes(scratch.Work() / kDat, DefaultData());
  WriteFileBytes(scratch.Work() / "board.bin", BoardData());
  const std::string input = ReadFileBytes(TranscriptPath("terminal", ".in"));
  const RunResult run = RunProgramOnTerminal(PLOVER_30P_PROGRAM, {kBoard}, input, scratch);
  EXPECT_TRUE(run.exited) << "30p " << DescribeEnd(run);
  EXPECT_EQ(run.exit_status, 0);
  const fs::path transcript = TranscriptPath("terminal", ".out");
  const char* update = std::getenv("PLOVER_UPDATE_TRANSCRIPTS");
  if (update != nullptr && std::string(update) == "1") {
    WriteFileBytes(transcript, run.out);
  }
  const std::string difference = DescribeFirstDifference(ReadFileBytes(transcript), run.out);
  EXPECT_TRUE(difference.empty()) << "terminal output differs from terminal.out: " << difference;
}

// The command line: what each option prints, where, and the exit status.
struct OptionsCase {
  std::string name;
  std::vector<std::string> arguments;
  int exit_status;
  std::vector<std::string> out_contains;  // empty: nothing on standard output
  std::vector<std::string> err_contains;  // empty: nothing on standard error
};

void PrintTo(const OptionsCase& test, std::ostream* os) { *os << test.name; }

class OptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(OptionsTest, PrintsAndExits) {
  const OptionsCase& test = GetParam();
  ScratchFolder scratch;
  WriteFileBytes(scratch.Work() / kDat, DefaultData());
  const RunResult run = RunProgram(PLOVER_30P_PROGRAM, test.arguments, "\n9\n", scratch);
  EXPECT_TRUE(run.exited) << "30p " << DescribeEnd(run);
  EXPECT_EQ(run.exit_status, test.exit_status);
  if (test.out_contains.empty()) {
    EXPECT_EQ(run.out, "");
  }
  if (test.err_contains.empty()) {
    EXPECT_EQ(run.err, "");
  }
  for (const std::string& text : test.out_contains) {
    EXPECT_NE(run.out.find(text), std::string::npos) << "standard output lacks: " << text
                                                     << "\n--- it holds:\n" << run.out;
  }
  for (const std::string& text : test.err_contains) {
    EXPECT_NE(run.err.find(text), std::string::npos) << "standard error lacks: " << text
                                                     << "\n--- it holds:\n" << run.err;
  }
  // Refused or not, no port was opened, no board file made, and the default data is intact.
  EXPECT_FALSE(fs::exists(scratch.Work() / "board.bin"));
  EXPECT_EQ(ReadFileBytes(scratch.Work() / kDat), DefaultData());
}

const char* const kUsage =
    "Usage: 30p [--port SPEC] [--trace FILE] [--list-ports] [--help] [--version]";

INSTANTIATE_TEST_SUITE_P(
    CommandLine, OptionsTest,
    ::testing::Values(
        OptionsCase{"help", {"--help"}, 0, {kUsage, "--port SPEC", "sim[:FILE]", "ppdev"}, {}},
        OptionsCase{"help_shows_the_batch_form",
                    {"--help"},
                    0,
                    {"   or: 30p [--port SPEC] [--trace FILE] [--format WORD] [--all]",
                     "--write FILE", "--read FILE", "--verify FILE", "--read-switch FILE",
                     "--probe", "--quiet", "exits with status 0"},
                    {}},
        OptionsCase{"version", {"--version"}, 0, {"30p " PLOVER_VERSION "\n"}, {}},
        OptionsCase{"unknown_option", {"--bogus"}, 2, {}, {"--bogus", kUsage}},
        OptionsCase{"bad_port", {"--port", "bogus:board.bin"}, 2, {}, {"bogus", "sim", kUsage}},
        OptionsCase{"port_without_value", {"--port"}, 2, {}, {"--port", kUsage}},
        OptionsCase{"port_empty", {"--port", ""}, 2, {}, {"--port", "empty", kUsage}},
        OptionsCase{"port_empty_with_equals", {"--port="}, 2, {}, {"--port", "empty", kUsage}},
        OptionsCase{"trace_without_value", {"--port", "sim", "--trace"}, 2, {}, {kUsage}},
        OptionsCase{"stray_argument", {"30p.dat"}, 2, {}, {"30p.dat", kUsage}},
        OptionsCase{"list_ports", {"--list-ports"}, 0, {"Ports on this machine", "sim[:FILE]"}, {}},
        OptionsCase{"trace_is_the_default_data", {"--port", "sim", "--trace", "30p.dat"}, 2, {},
                    {"30p: --trace 30p.dat is the same file as the default data file 30p.dat, "
                     "which the trace would overwrite; name another trace file",
                     kUsage}},
        OptionsCase{"vcd_trace_of_an_adapter", {"--port", "i2c:1", "--trace", "bus.vcd"}, 2, {},
                    {"a VCD trace draws the bus lines", "name a text trace instead"}},
        OptionsCase{"port_form_with_equals", {"--port=sim:board.bin,twr=100", "--help"}, 0,
                    {kUsage}, {}}),
    [](const ::testing::TestParamInfo<OptionsCase>& info) { return info.param.name; });

// What --help, --version and --list-ports print must reach standard output: when it cannot be
// written, 30p says why and ends with status 1.
TEST(FullOutputTest, TextThatCannotBeWrittenEndsWithStatusOne) {
  for (const char* option : {"--help", "--version", "--list-ports"}) {
    ScratchFolder scratch;
    const RunResult run = RunProgram(
        "/bin/sh", {"-c", "exec \"$0\" \"$1\" >/dev/full", PLOVER_30P_PROGRAM, option}, "",
        scratch);
    EXPECT_EQ(run.exit_status, 1) << option;
    EXPECT_EQ(run.err, "30p: cannot write standard output: " +
                           std::string(std::strerror(ENOSPC)) + "\n") << option;
  }
}

// A trace through a link to the board file is the board file: refused before the board is
// powered, and the board file keeps its bytes.
TEST(TraceOptionTest, ALinkToTheBoardFileIsRefusedAsTheBoardFile) {
  ScratchFolder scratch;
  WriteFileBytes(scratch.Work() / kDat, DefaultData());
  WriteFileBytes(scratch.Work() / "board.bin", BoardData());
  fs::create_symlink("board.bin", scratch.Work() / "trace.txt");
  const RunResult run =
      RunProgram(PLOVER_30P_PROGRAM, {kBoard, "--trace", "trace.txt"}, "\n5\n9\n", scratch);
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.substr(0, run.err.find('\n')),
            "30p: --trace trace.txt is the same file as the board file board.bin, which the trace "
            "would overwrite; name another trace file");
  EXPECT_EQ(ReadFileBytes(scratch.Work() / "board.bin"), BoardData());
}

// Started with standard output and standard error closed, 30p must not let the board file take
// their place: the listing of entry 5 and the notice of a trace on a full disk go nowhere, and
// the board file keeps its 128 bytes.
TEST(ClosedDescriptorsTest, TheBoardFileNeverStandsInForStandardOutputOrError) {
  ScratchFolder scratch;
  WriteFileBytes(scratch.Work() / kDat, DefaultData());
  WriteFileBytes(scratch.Work() / "board.bin", BoardData());
  WriteFileBytes(scratch.Path() / "input", "\n5\n9\n");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int input = ::open((scratch.Path() / "input").c_str(), O_RDONLY);
    if (input < 0 || ::dup2(input, 0) < 0 || ::chdir(scratch.Work().c_str()) != 0) ::_exit(90);
    ::close(input);
    ::close(1);
    ::close(2);
    ::execl(PLOVER_30P_PROGRAM, "30p", kBoard.c_str(), "--trace", "/dev/full",
            static_cast<char*>(nullptr));
    ::_exit(91);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileBytes(scratch.Work() / "board.bin"), BoardData());
}

// A board file that cannot take a byte (ulimit -f 0) makes entry 1 fail in one line naming the
// file, the address and the system's reason; the file keeps its bytes. 30p itself ignores
// SIGXFSZ, so the shell's default action for it does not end the program.
TEST(BoardFileFailureTest, EntryOneReportsAWriteTheBoardFileCannotStore) {
  ScratchFolder scratch;
  WriteFileBytes(scratch.Work() / kDat, DefaultData());
  WriteFileBytes(scratch.Work() / "board.bin", BoardData());
  // On a terminal: standard output is then no file that the limit would stop too.
  const RunResult run = RunProgramOnTerminal(
      "/bin/sh", {"-c", "ulimit -f 0 && exec \"$0\" \"$@\"", PLOVER_30P_PROGRAM, kBoard},
      "\n1\n9\n", scratch);
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.out.find("\ncannot store the write of address 0 in board file \"board.bin\": " +
                         std::string(std::strerror(EFBIG)) +
                         ". Raise the file-size limit (ulimit -f)"),
            std::string::npos)
      << run.out.substr(run.out.size() > 600 ? run.out.size() - 600 : 0);
  EXPECT_EQ(ReadFileBytes(scratch.Work() / "board.bin"), BoardData());
}

}  // namespace
}  // namespace console_test
