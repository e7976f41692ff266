// SPDX-License-Identifier: GPL-3.0-or-later
// The built 30p on several virtual boards at once, as a station that boards come to and go from
// (present=PATH), and its traceability log read back with jq.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "console/image_digest.h"
#include "console/json_text.h"
#include "console/options.h"
#include "dialogue_runner.h"
#include "ports/device_nodes.h"

namespace console_test {
namespace {

namespace fs = std::filesystem;

bus::Image Pattern() {
  bus::Image image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return image;
}

const std::string kImage = [] {
  const bus::Image image = Pattern();
  return std::string(image.begin(), image.end());
}();

// The log's lines as jq reads them back, one `filter` result per line, sorted; jq fails (and so
// the test) on a line that is not JSON.
std::vector<std::string> LogFields(const ScratchFolder& scratch, const std::string& filter,
                                   const std::string& name = "") {
  const RunResult jq =
      RunProgram("/usr/bin/jq", {"-r", "--arg", "name", name, filter, "log.jsonl"}, "", scratch);
  EXPECT_EQ(jq.exit_status, 0) << jq.err;
  std::vector<std::string> lines;
  std::istringstream stream(jq.out);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Waits until `predicate` holds (a guard of 30 s against a program that hangs, not a timing).
template <typename Predicate>
bool Eventually(Predicate predicate) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!predicate()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

bool Says(const StartedProgram& run, const std::string& text) {
  return ReadFileBytes(run.err_path).find(text) != std::string::npos;
}

TEST(SeveralBoardsTest, AFailingBoardStopsNoOtherAndEveryOperationIsLogged) {
  ScratchFolder scratch;
  const std::string name = "im\"age\n.bin";  // JSON must escape the quote and the line break
  WriteFileBytes(scratch.Work() / name, kImage);
  const RunResult run =
      RunProgram(PLOVER_30P_PROGRAM,
                 {"--port", "sim:a.bin", "--port", "sim:b.bin", "--port", "sim:c.bin,eeprom=absent",
                  "--write", name, "--log", "log.jsonl"},
                 "", scratch);
  EXPECT_EQ(run.exit_status, 1) << DescribeEnd(run) << run.err;
  EXPECT_EQ(ReadFileBytes(scratch.Work() / "a.bin"), kImage);
  EXPECT_EQ(ReadFileBytes(scratch.Work() / "b.bin"), kImage);
  for (const char* line : {"sim:a.bin: wrote 127 bytes, verified 128\n", "sim:a.bin: passed\n",
                           "sim:c.bin,eeprom=absent: failed\n", "3 boards: 2 passed, 1 failed\n"}) {
    EXPECT_NE(run.err.find(line), std::string::npos) << line << " missing from:\n" << run.err;
  }
  const std::string digest = console::ImageSha256(Pattern());
  EXPECT_EQ(LogFields(scratch,
                      R"jq("\(.port) \(.board) \(.operation) \(.result) \(.written|length) )jq"
                      R"jq(\(.image_sha256) \(.file == $name) \(.message)")jq",
                      name),
            (std::vector<std::string>{
                "sim:a.bin 1 write ok 127 " + digest + " true null",
                "sim:b.bin 1 write ok 127 " + digest + " true null",
                "sim:c.bin,eeprom=absent 1 write failed 0 " + digest + " true --write im\"age\\n" +
                    ".bin stopped after writing 0 bytes: The EEPROM did not acknowledge its "
                    "device select. The virtual board was started with eeprom=absent, so no "
                    "EEPROM answers on its bus; leave that option out of --port."}));
  EXPECT_EQ(LogFields(scratch,
                      R"(.time | test("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$"))"),
            std::vector<std::string>(3, "true"));
}

TEST(StationTest, EachBoardThatComesIsWrittenUntilTheCount) {
  ScratchFolder scratch;
  WriteFileBytes(scratch.Work() / "image.bin", kImage);
  const fs::path here = scratch.Work() / "here";
  const StartedProgram run =
      StartProgram(PLOVER_30P_PROGRAM,
                   {"--port", "sim:board.bin,present=here", "--repeat", "--count", "2", "--write",
                    "image.bin", "--log", "log.jsonl"},
                   scratch);
  ASSERT_TRUE(Eventually([&] { return Says(run, "waiting for board 1"); }));
  WriteFileBytes(here, "");
  ASSERT_TRUE(Eventually([&] { return Says(run, "==== PASS: board 1 ===="); }));
  fs::remove(here);
  ASSERT_TRUE(Eventually([&] { return Says(run, "waiting for board 2"); }));
  WriteFileBytes(here, "");
  const RunResult end = FinishProgram(run);
  EXPECT_EQ(end.exit_status, 0) << DescribeEnd(end) << end.err;
  EXPECT_NE(end.err.find("sim:board.bin,present=here: 2 boards: 2 passed, 0 failed\n"),
            std::string::npos)
      << end.err;
  EXPECT_EQ(LogFields(scratch, R"jq("\(.board) \(.result) \(.written|length)")jq"),
            (std::vector<std::string>{"1 ok 127", "2 ok 0"}));
}

TEST(StationTest, AnInterruptEndsTheWriteThenStopsTheStation) {
  ScratchFolder scratch;
  WriteFileBytes(scratch.Work() / "image.bin", kImage);
  WriteFileBytes(scratch.Work() / "here", "");
  // clock=wall: the write takes as long as on hardware, so the signal comes in the middle of it.
  const StartedProgram run =
      StartProgram(PLOVER_30P_PROGRAM,
                   {"--port", "sim:board.bin,present=here,clock=wall", "--repeat", "--all",
                    "--write", "image.bin", "--log", "log.jsonl"},
                   scratch);
  ASSERT_TRUE(Eventually([&] {
    const std::string board = ReadFileBytes(scratch.Work() / "board.bin");
    return board.size() == 128 && board[0] == kImage[0];
  }));
  ASSERT_NE(ReadFileBytes(scratch.Work() / "board.bin"), kImage) << "the write ended too soon";
  ::kill(run.pid, SIGINT);
  const RunResult end = FinishProgram(run);
  EXPECT_EQ(end.exit_status, 0) << DescribeEnd(end) << end.err;
  EXPECT_EQ(ReadFileBytes(scratch.Work() / "board.bin"), kImage);
  EXPECT_NE(end.err.find("==== PASS: board 1 ===="), std::string::npos) << end.err;
  EXPECT_NE(end.err.find(": 1 board: 1 passed, 0 failed\n"), std::string::npos) << end.err;
  EXPECT_EQ(LogFields(scratch, R"jq("\(.result) \(.written|length)")jq"),
            std::vector<std::string>{"ok 128"});
}

TEST(LogTest, TwoProgramsAppendToOneLogWithoutTearingALine) {
  ScratchFolder scratch;
  std::vector<std::string> probes(100, "--probe");
  std::vector<StartedProgram> runs;
  for (const char* port : {"sim:one.bin", "sim:two.bin"}) {
    std::vector<std::string> arguments{"--port", port, "--log", "log.jsonl", "--quiet"};
    arguments.insert(arguments.end(), probes.begin(), probes.end());
    runs.push_back(StartProgram(PLOVER_30P_PROGRAM, arguments, scratch, port + 4));
  }
  for (const StartedProgram& run : runs) EXPECT_EQ(FinishProgram(run).exit_status, 0);
  const std::vector<std::string> ports = LogFields(scratch, ".port");
  EXPECT_EQ(ports.size(), 200u);
  EXPECT_EQ(std::count(ports.begin(), ports.end(), "sim:one.bin"), 100);
}

// Runs that meet a fault outside the board: a reader of standard error that goes away, an output
// that cannot be written, a log a full disk cut short, a board taken away between two operations.
// Each is a shell script run in the scratch folder with the built 30p as $1; it leaves 30p's own
// exit status in the file "status".
struct OutsideFaultCase {
  std::string name;
  std::string script;
  std::string status;                         // 30p's exit status
  std::vector<std::string> written_boards{};  // board files that must hold the whole image
  std::vector<std::string> records{};         // "port result" of each record the log's readable
                                              // lines hold, sorted; unreadable lines skipped
  std::string log = "log.jsonl";              // the log those are read from
  std::vector<std::string> said{};            // texts standard error holds (in the file "err")
};

void PrintTo(const OutsideFaultCase& test, std::ostream* os) { *os << test.name; }

class OutsideFaultTest : public ::testing::TestWithParam<OutsideFaultCase> {};

TEST_P(OutsideFaultTest, EveryBoardFinishesAndIsLoggedAndTheStatusSaysWhatFailed) {
  const OutsideFaultCase& test = GetParam();
  ScratchFolder scratch;
  WriteFileBytes(scratch.Work() / "image.bin", kImage);
  WriteFileBytes(scratch.Work() / "30p.dat", kImage);
  // A log almost 1 KiB long, the size `ulimit -f 1` lets a file reach.
  WriteFileBytes(
      scratch.Work() / "full.jsonl",
      "{\"port\":\"earlier\",\"result\":\"ok\",\"pad\":\"" + std::string(960, 'x') + "\"}\n");
  const RunResult run =
      RunProgram("/bin/bash", {"-c", test.script, "bash", PLOVER_30P_PROGRAM}, "", scratch);
  ASSERT_EQ(run.exit_status, 0) << DescribeEnd(run) << run.err;
  EXPECT_EQ(ReadFileBytes(scratch.Work() / "status"), test.status + "\n");
  for (const std::string& board : test.written_boards) {
    EXPECT_EQ(ReadFileBytes(scratch.Work() / board), kImage) << board;
  }
  // As the README reads the log: lines that do not parse are skipped.
  if (!fs::exists(scratch.Work() / test.log)) WriteFileBytes(scratch.Work() / test.log, "");
  const RunResult jq =
      RunProgram("/usr/bin/jq", {"-R", "-r", R"sh(fromjson? | "\(.port) \(.result)")sh", test.log},
                 "", scratch);
  EXPECT_EQ(jq.exit_status, 0) << jq.err;
  std::vector<std::string> records;
  std::istringstream lines(jq.out);
  for (std::string line; std::getline(lines, line);) records.push_back(line);
  std::sort(records.begin(), records.end());
  EXPECT_EQ(records, test.records);
  const std::string err = ReadFileBytes(scratch.Work() / "err");
  for (const std::string& text : test.said) {
    EXPECT_NE(err.find(text), std::string::npos) << text << " missing from:\n" << err;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, OutsideFaultTest,
    ::testing::Values(
        // The reader of standard error stops after the first board's line: the boards still being
        // written finish and are logged, and the status tells of the lost lines.
        OutsideFaultCase{
            .name = "reader_of_standard_error_gone",
            .script = R"sh("$1" --port sim:a.bin,twr=1000,clock=wall )sh"
                      R"sh(--port sim:b.bin,twr=2000,clock=wall )sh"
                      R"sh(--port sim:c.bin,twr=8000,clock=wall --all --write image.bin --log )sh"
                      R"sh(log.jsonl 2>&1 | head -1 > err; echo ${PIPESTATUS[0]} > status)sh",
            .status = "3",
            .written_boards = {"a.bin", "b.bin", "c.bin"},
            .records = {"sim:a.bin,twr=1000,clock=wall ok", "sim:b.bin,twr=2000,clock=wall ok",
                        "sim:c.bin,twr=8000,clock=wall ok"},
            .said = {"sim:a.bin,twr=1000,clock=wall: wrote 128 bytes, verified 128"}},
        // The log has an operation's line by the time standard error says it.
        OutsideFaultCase{
            .name = "log_line_before_its_line_on_standard_error",
            .script = R"sh("$1" --port sim:board.bin --write image.bin --log log.jsonl 2>&1 | )sh"
                      R"sh({ IFS= read -r line; echo "$line" > err; cp log.jsonl seen.jsonl; )sh"
                      R"sh(cat > /dev/null; }; echo ${PIPESTATUS[0]} > status)sh",
            .status = "0",
            .written_boards = {"board.bin"},
            .records = {"sim:board.bin ok"},
            .log = "seen.jsonl",
            .said = {"wrote 127 bytes, verified 128"}},
        // Standard output and standard error that cannot be written: the menu and a batch run carry
        // on to the end, then fail with status 3.
        OutsideFaultCase{
            .name = "menu_output_cannot_be_written",
            .script = R"sh(printf '\n7\n9\n' | "$1" --port sim:board.bin > /dev/full 2> err; )sh"
                      R"sh(echo $? > status)sh",
            .status = "3",
            .written_boards = {"board.bin"},
            .said = {"30p: cannot write standard output: No space left on device"}},
        OutsideFaultCase{
            .name = "batch_standard_error_cannot_be_written",
            .script =
                R"sh("$1" --port sim:board.bin --write image.bin --log log.jsonl 2> /dev/full; )sh"
                R"sh(echo $? > status; : > err)sh",
            .status = "3",
            .written_boards = {"board.bin"},
            .records = {"sim:board.bin ok"}},
        // A full disk cuts a log line short; the next run's line is appended on a line of its own,
        // so it and every line before the torn one still read.
        OutsideFaultCase{
            .name = "log_line_torn_by_a_full_disk",
            .script =
                R"sh((ulimit -f 1; "$1" --port sim:board.bin --probe --log full.jsonl) 2> err; )sh"
                R"sh("$1" --port sim:board.bin --probe --log full.jsonl; echo $? > status)sh",
            .status = "0",
            .records = {"earlier ok", "sim:board.bin ok"},
            .log = "full.jsonl",
            .said = {"30p: cannot write the log full.jsonl: only "}},
        // The fixture is looked at as every bus operation begins, not once a run: a board taken away
        // during the write fails the rest of it.
        OutsideFaultCase{
            .name = "board_taken_away_between_operations",
            .script =
                R"sh(touch here; ("$1" --port sim:board.bin,present=here,clock=wall --all )sh"
                R"sh(--no-verify --write image.bin --verify image.bin 2> err; )sh"
                R"sh(echo $? > status) & )sh"
                R"sh(until cmp -s -n 1 board.bin image.bin; do sleep 0.01; done; rm here; wait)sh",
            .status = "1",
            .said = {"The EEPROM did not acknowledge its device select"}}),
    [](const ::testing::TestParamInfo<OutsideFaultCase>& info) { return info.param.name; });
// A file name in another encoding than UTF-8 still makes a valid JSON string: each byte that
// is not part of a valid sequence (stray, overlong, a surrogate, cut short) becomes U+FFFD.
TEST(LogTest, JsonStringsEscapeControlsAndReplaceWhatIsNotUtf8) {
  EXPECT_EQ(console::JsonString("a\"b\\c\n\t\x01\x7f"), R"("a\"b\\c\n\t\u0001\u007f")");
  const std::string bad = "\xef\xbf\xbd";
  EXPECT_EQ(
      console::JsonString("caf\xc3\xa9 \xff \xc0\xaf \xed\xa0\x80 \xe2\x82"),
      "\"caf\xc3\xa9 " + bad + " " + bad + bad + " " + bad + bad + bad + " " + bad + bad + "\"");
}

// One parallel port by its ppdev node and by its I/O address is one board's port named twice:
// known from the address the kernel gives for the node, without opening either.
TEST(SeveralBoardsTest, OneParallelPortByTwoRoadsIsRefused) {
  ScratchFolder machine;
  const fs::path parport0 = machine.Path() / "proc/sys/dev/parport/parport0";
  fs::create_directories(parport0);
  WriteFileBytes(parport0 / "base-addr", "888\t1912\n");
  ports::SystemRoots roots{(machine.Path() / "dev").string(), (machine.Path() / "sys").string(),
                         (machine.Path() / "proc").string()};
  const ports::SystemRootsOverride seam(roots);
  for (const char* direct : {"direct:0x378", "direct:0x378,khz=400", "direct:0x278"}) {
    const char* const argv[] = {"30p", "--port", "ppdev:/dev/parport0", "--port", direct,
                                "--probe"};
    const console::OptionsResult parsed = console::ParseOptions(6, argv);
    if (std::string_view(direct) == "direct:0x278") {
      EXPECT_EQ(parsed.error, "") << "another port";
    } else {
      EXPECT_EQ(parsed.action, console::OptionsAction::Refuse) << direct;
      EXPECT_EQ(parsed.error, std::string("30p: --port ppdev:/dev/parport0 and --port ") +
                                  direct + " name the same parallel port: each board needs a "
                                           "port of its own\n");
    }
  }
}

}  // namespace
}  // namespace console_test
