// SPDX-License-Identifier: GPL-3.0-or-later
// In-process tests of the console: the typed reads, the listing on a terminal, and the commands
// whose behaviour a whole dialogue cannot set up (a default file that goes away or turns into a
// named pipe, a name with a zero byte or at the path limit, buffers left alone by a failed read,
// output flushed before every bus operation, the port taken once for a whole batch run).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "board_port.h"
#include "bus/forwarding_port.h"
#include "console/batch_run.h"
#include "console/commands.h"
#include "console/console_session.h"
#include "console/image_listing.h"
#include "console/input_conversions.h"
#include "console/log_entry.h"
#include "console/menu_loop.h"
#include "console/page_size_advice.h"
#include "console/run_console.h"
#include "dialogue_runner.h"
#include "platform/files.h"

namespace console_test {
namespace {

using console::ReadStatus;

// --- The typed reads. ---

struct HexCase {
  std::string input;
  ReadStatus status;
  std::uint32_t value;
  std::string left;  // what the next read finds
};

// The input as a test name shows it: printable, with \n and \t spelled out.
std::string Spelled(const std::string& input) {
  std::string text = "\"";
  for (char c : input) {
    if (c == '\n') {
      text += "\\n";
    } else if (c == '\t') {
      text += "\\t";
    } else {
      text += c;
    }
  }
  return text + "\"";
}

void PrintTo(const HexCase& test, std::ostream* os) { *os << Spelled(test.input); }

// What the reader has not consumed yet.
std::string Rest(console::InputReader& in) {
  std::string left;
  for (int c = in.Get(); c != console::kEndOfInput; c = in.Get()) left.push_back(static_cast<char>(c));
  return left;
}

class HexReadTest : public ::testing::TestWithParam<HexCase> {};

// A byte is taken as a whole token or refused as one; either way the next read starts after it.
TEST_P(HexReadTest, TakesTheWholeTokenOrRefusesIt) {
  console::MemorySource source(GetParam().input);
  console::InputReader in(source);
  const console::HexRead read = console::ReadHexToken(in);
  EXPECT_EQ(read.status, GetParam().status);
  if (read.status == ReadStatus::Ok) {
    EXPECT_EQ(read.value, GetParam().value);
  }
  EXPECT_EQ(Rest(in), GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, HexReadTest,
    ::testing::Values(HexCase{"1ff\n", ReadStatus::Ok, 0x1ff, "\n"},
                      HexCase{"  0x3C y", ReadStatus::Ok, 0x3c, " y"},
                      HexCase{"0XaB", ReadStatus::Ok, 0xab, ""},
                      HexCase{"0\t", ReadStatus::Ok, 0, "\t"},
                      HexCase{"123456789abcdef42", ReadStatus::Ok, 0xabcdef42, ""},
                      HexCase{"-1\n", ReadStatus::Ok, 0xffffffff, "\n"},
                      HexCase{"+7f", ReadStatus::Ok, 0x7f, ""},
                      HexCase{"+1f y", ReadStatus::Ok, 0x1f, " y"},
                      HexCase{"-0x1\n", ReadStatus::Ok, 0xffffffff, "\n"},
                      HexCase{"-80", ReadStatus::Ok, 0xffffff80, ""},
                      HexCase{"--1\n", ReadStatus::NotANumber, 0, "\n"},
                      HexCase{"-\n", ReadStatus::NotANumber, 0, "\n"},
                      HexCase{"+-1 y", ReadStatus::NotANumber, 0, " y"},
                      HexCase{"-0x\n", ReadStatus::NotANumber, 0, "\n"},
                      HexCase{"1x\n", ReadStatus::NotANumber, 0, "\n"},
                      HexCase{"0x\n", ReadStatus::NotANumber, 0, "\n"},
                      HexCase{"0xg y\n", ReadStatus::NotANumber, 0, " y\n"},
                      HexCase{"00x5 y", ReadStatus::NotANumber, 0, " y"},
                      HexCase{"3fz\n", ReadStatus::NotANumber, 0, "\n"},
                      HexCase{"zz\n", ReadStatus::NotANumber, 0, "\n"},
                      HexCase{" \n\t", ReadStatus::Ended, 0, ""},
                      HexCase{"", ReadStatus::Ended, 0, ""}));

struct DecimalCase {
  std::string input;
  ReadStatus status;
  int value;
  std::string left;
  console::DecimalRead (*read)(console::InputReader&) = console::ReadDecimal;
};

void PrintTo(const DecimalCase& test, std::ostream* os) { *os << Spelled(test.input); }

class DecimalReadTest : public ::testing::TestWithParam<DecimalCase> {};

// The menu's number stops right after its digits; an address is a whole token or refused whole.
TEST_P(DecimalReadTest, ReadsAndStopsWhereTheReadEnds) {
  console::MemorySource source(GetParam().input);
  console::InputReader in(source);
  const console::DecimalRead read = GetParam().read(in);
  EXPECT_EQ(read.status, GetParam().status);
  if (read.status == ReadStatus::Ok) {
    EXPECT_EQ(read.value, GetParam().value);
  }
  EXPECT_EQ(Rest(in), GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, DecimalReadTest,
    ::testing::Values(DecimalCase{"\n 5\n", ReadStatus::Ok, 5, "\n"},
                      DecimalCase{"+12abc", ReadStatus::Ok, 12, "abc"},
                      DecimalCase{"-1 ", ReadStatus::Ok, -1, " "},
                      DecimalCase{"007", ReadStatus::Ok, 7, ""},
                      DecimalCase{"99999999999999999999", ReadStatus::Ok, INT_MAX, ""},
                      DecimalCase{"-99999999999999999999", ReadStatus::Ok, INT_MIN, ""},
                      DecimalCase{"abc\n", ReadStatus::NotANumber, 0, "abc\n"},
                      DecimalCase{"- 5", ReadStatus::NotANumber, 0, " 5"},
                      DecimalCase{"\n\n", ReadStatus::Ended, 0, ""}));

constexpr auto kToken = console::ReadDecimalToken;

INSTANTIATE_TEST_SUITE_P(
    Tokens, DecimalReadTest,
    ::testing::Values(DecimalCase{"\n 5\n", ReadStatus::Ok, 5, "\n", kToken},
                      DecimalCase{"-1 ", ReadStatus::Ok, -1, " ", kToken},
                      DecimalCase{"+007", ReadStatus::Ok, 7, "", kToken},
                      DecimalCase{"99999999999999999999\t", ReadStatus::Ok, INT_MAX, "\t", kToken},
                      DecimalCase{"0x10 3f\n", ReadStatus::NotANumber, 0, " 3f\n", kToken},
                      DecimalCase{"12abc\n", ReadStatus::NotANumber, 0, "\n", kToken},
                      DecimalCase{"+\n", ReadStatus::NotANumber, 0, "\n", kToken},
                      DecimalCase{"-", ReadStatus::NotANumber, 0, "", kToken},
                      DecimalCase{"y 5", ReadStatus::NotANumber, 0, " 5", kToken},
                      DecimalCase{" \n", ReadStatus::Ended, 0, "", kToken}));

// A word as long as the limit is taken; a longer one, however long, is dropped whole and not kept.
TEST(WordReadTest, TakesWordsUpToTheLimitAndDropsLongerOnesWhole) {
  const std::string at_limit(console::kMaxFileNameLength, 'f');
  const std::string endless(std::size_t{16} << 20, 'n');
  const std::string input = "\n  " + at_limit + " " + at_limit + "g\t" + endless + "\nrest";
  console::MemorySource source(input);
  console::InputReader in(source);

  const console::WordRead taken = console::ReadWord(in, console::kMaxFileNameLength);
  ASSERT_EQ(taken.status, ReadStatus::Ok);
  EXPECT_EQ(taken.value, at_limit);
  for (int word = 0; word < 2; ++word) {
    const console::WordRead dropped = console::ReadWord(in, console::kMaxFileNameLength);
    EXPECT_EQ(dropped.status, ReadStatus::TooLong);
    EXPECT_TRUE(dropped.value.empty());
  }
  EXPECT_EQ(Rest(in), "\nrest");
}

TEST(KeyReadTest, TakesOneByteAndLeavesTheRestOfTheLine) {
  console::MemorySource source("7\n9\n");
  console::InputReader in(source);
  EXPECT_EQ(console::ReadKey(in).value, '7');
  EXPECT_EQ(console::ReadDecimal(in).value, 9);
}

// The reader flushes its tied output before it waits for more input.
class CountingOutput final : public console::ConsoleOutput {
 public:
  void Write(std::string_view) override {}
  void Flush() override { ++flushes; }
  int flushes = 0;
};

TEST(InputReaderTest, FlushesTheOutputBeforeWaitingForInput) {
  CountingOutput out;
  console::MemorySource source("5\n");
  console::InputReader in(source, &out);
  EXPECT_EQ(out.flushes, 0);
  (void)console::ReadDecimal(in);
  EXPECT_GE(out.flushes, 1);
}

// --- The listing. ---

bus::Image Ramp() {
  bus::Image image{};
  for (std::size_t address = 0; address < image.size(); ++address) {
    image[address] = static_cast<std::uint8_t>(address * 2);
  }
  return image;
}

TEST(ImageListingTest, WithoutATerminalTheCellsRunOnWithoutLineBreaks) {
  console::StringOutput out;
  console::ImageListing(out, Ramp(), {console::AddressBase::Decimal, false});
  const std::string& text = out.Text();
  ASSERT_EQ(text.size(), 81u + 128u * 8u);
  std::string header;
  for (int group = 0; group < 10; ++group) header += " #  data";
  EXPECT_EQ(text.substr(0, 81), header + "\n");
  EXPECT_EQ(text.find('\n', 81), std::string::npos);
  EXPECT_EQ(text.substr(81, 16), "  0   0   1   2 ");
  EXPECT_EQ(text.substr(81 + 127 * 8), "127  fe ");
}

TEST(ImageListingTest, OnATerminalEachRowOfTenCellsEndsTheLine) {
  console::StringOutput out;
  console::ImageListing(out, Ramp(), {console::AddressBase::Hexadecimal, true});
  const std::string& text = out.Text();
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  const std::string last = text.substr(start);
  ASSERT_EQ(lines.size(), 13u);  // the header and twelve rows of ten cells
  for (std::size_t row = 1; row < lines.size(); ++row) EXPECT_EQ(lines[row].size(), 80u);
  EXPECT_EQ(lines[2].substr(0, 8), "  a  14 ");  // hexadecimal addresses at start-up
  EXPECT_EQ(last.size(), 64u);                   // the last eight cells, no line break after them
  EXPECT_EQ(last.substr(56), " 7f  fe ");
}

// --- Commands in-process, on an in-memory virtual board. ---

// Opens every name inside one folder, and counts the opens.
class FolderFiles final : public console::FileOpener {
 public:
  explicit FolderFiles(std::filesystem::path folder) : folder_(std::move(folder)) {}
  int Open(const std::string& name, int flags, mode_t mode) override {
    ++opens;
    last_name = name;
    if (name == "30p.dat" && default_opens_allowed >= 0 && default_opens++ >= default_opens_allowed) {
      errno = ENOENT;
      return -1;
    }
    return platform::OpenFile((folder_ / name).string(), flags, mode);
  }
  int opens = 0;
  std::string last_name;  // the name of the last open
  int default_opens = 0;
  int default_opens_allowed = -1;  // n >= 0: 30p.dat opens n times, then it is gone

 private:
  std::filesystem::path folder_;
};

struct Bench {
  explicit Bench(const std::string& input, sim::BoardOptions options = {},
                 bus::Image eeprom = Ramp())
      : input_bytes(input), source(input_bytes), in(source, &out), files(scratch.Work()) {
    auto port = MakeBoardPort(options, eeprom);
    board = port.get();
    bus = std::make_unique<bus::BusConnection>(std::move(port), bus::TimingPolicy::Windowed);
  }
  console::ConsoleSession Session() { return {in, out, *bus, files, false}; }

  ScratchFolder scratch;
  console::StringOutput out;
  std::string input_bytes;  // the source reads from this copy
  console::MemorySource source;
  console::InputReader in;
  FolderFiles files;
  ports::SimPort* board = nullptr;
  std::unique_ptr<bus::BusConnection> bus;
};

std::string DefaultFile() {
  std::string bytes;
  for (int i = 0; i < 128; ++i) bytes.push_back(static_cast<char>(i + 1));
  return bytes;
}

TEST(ProgramDefaultValuesTest, StopsAfterOpenFailedWhenTheDefaultFileHasGone) {
  Bench bench("\n2\n0\n55\ny\n7\n9\n");
  WriteFileBytes(bench.scratch.Work() / "30p.dat", DefaultFile());
  bench.files.default_opens_allowed = 1;  // start-up reads it; entry 7 finds it gone
  console::ConsoleSettings settings{false, &bench.files};
  EXPECT_EQ(console::RunConsole(bench.in, bench.out, *bench.bus, settings), 0);

  console::StringOutput menu;
  console::PrintMenu(menu);
  const std::string tail = "Open failed\n" + menu.Text();
  ASSERT_GE(bench.out.Text().size(), tail.size());
  EXPECT_EQ(bench.out.Text().substr(bench.out.Text().size() - tail.size()), tail);
  EXPECT_EQ(bench.board->Board().EepromContents(), Ramp()) << "the EEPROM was written";
}

TEST(ProgramDefaultValuesTest, WritesTheDefaultDataToTheEeprom) {
  Bench bench("");
  WriteFileBytes(bench.scratch.Work() / "30p.dat", DefaultFile());
  console::ConsoleSession session = bench.Session();
  EXPECT_EQ(console::ProgramDefaultValues(session), console::Flow::Continue);
  bus::Image expected{};
  for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<std::uint8_t>(i + 1);
  EXPECT_EQ(session.EepromImage, expected);
  EXPECT_EQ(bench.board->Board().EepromContents(), expected);
}

TEST(FileNameTest, ANameWithAZeroByteOpensNothing) {
  Bench bench(std::string("a\0b\n", 4) + std::string("a\0b\n", 4));
  console::ConsoleSession session = bench.Session();
  EXPECT_EQ(console::SaveBufferToFile(session), console::Flow::Continue);
  EXPECT_EQ(console::ReadCustomFile(session), console::Flow::Continue);
  EXPECT_EQ(bench.files.opens, 0);
  EXPECT_FALSE(std::filesystem::exists(bench.scratch.Work() / "a"));
  EXPECT_EQ(bench.out.Text().substr(0, 45),
            "Enter the name of file to save.\nOpen failed\n" "E");
}

// A name as long as the system takes is tried; a longer one fails at once, without an open, and
// the next read starts after it.
TEST(FileNameTest, ANameLongerThanThePathLimitIsRefusedWithoutAnOpen) {
  const std::string at_limit(console::kMaxFileNameLength, 'a');
  Bench bench(at_limit + "\n" + std::string(console::kMaxFileNameLength + 1, 'b') + " next\n");
  console::ConsoleSession session = bench.Session();
  EXPECT_EQ(console::ReadCustomFile(session), console::Flow::Continue);
  EXPECT_EQ(bench.files.opens, 1);
  EXPECT_EQ(bench.files.last_name, at_limit);
  EXPECT_EQ(console::SaveBufferToFile(session), console::Flow::Continue);
  EXPECT_EQ(bench.files.opens, 1) << "the over-long name was opened";
  EXPECT_EQ(Rest(bench.in), " next\n");

  console::StringOutput listing;
  console::ImageListing(listing, session.EepromImage, session.CommandListing());
  EXPECT_EQ(bench.out.Text(), "Enter the name of file to read.\nOpen failed\n" + listing.Text() +
                                  "Enter the name of file to save.\nOpen failed\n");
}

// A named pipe as the default file is refused like a missing one, even with a whole image
// waiting in it (the test keeps both of its ends open, so nothing here can wait for a writer).
TEST(ProgramDefaultValuesTest, RefusesANamedPipeAndLeavesImageAndEepromAlone) {
  Bench bench("");
  const std::filesystem::path pipe = bench.scratch.Work() / "30p.dat";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int fd = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const std::string image = DefaultFile();
  ASSERT_EQ(::write(fd, image.data(), image.size()), static_cast<ssize_t>(image.size()));

  console::ConsoleSession session = bench.Session();
  EXPECT_EQ(console::ProgramDefaultValues(session), console::Flow::Continue);
  ::close(fd);
  EXPECT_EQ(bench.out.Text(), "Open failed\n");
  EXPECT_EQ(session.EepromImage, bus::Image{});
  EXPECT_EQ(bench.board->Board().EepromContents(), Ramp()) << "the EEPROM was written";
}

// Records how much of what was written has not been flushed yet.
class FlushTrackingOutput final : public console::ConsoleOutput {
 public:
  void Write(std::string_view text) override { unflushed += text.size(); }
  void Flush() override { unflushed = 0; }
  std::size_t unflushed = 0;
};

// A port on the virtual board that counts the accesses made while console output was still
// waiting in a buffer.
class FlushCheckingPort final : public bus::Port {
 public:
  FlushCheckingPort(const FlushTrackingOutput& out, bus::Image eeprom)
      : out_(out), board_(MakeBoardPort(sim::BoardOptions{}, eeprom)) {}
  void WriteData(std::uint8_t value) override {
    Check();
    board_->WriteData(value);
  }
  void WriteControl(std::uint8_t value) override {
    Check();
    board_->WriteControl(value);
  }
  std::uint8_t ReadStatus() override {
    Check();
    return board_->ReadStatus();
  }
  [[nodiscard]] std::uint64_t NowNanoseconds() const override { return board_->NowNanoseconds(); }
  void WaitUntil(std::uint64_t nanoseconds) override { board_->WaitUntil(nanoseconds); }
  [[nodiscard]] std::string Name() const override { return "sim"; }

  int accesses = 0;
  int accesses_with_output_waiting = 0;

 private:
  void Check() {
    ++accesses;
    if (out_.unflushed > 0) ++accesses_with_output_waiting;
  }
  const FlushTrackingOutput& out_;
  std::unique_ptr<ports::SimPort> board_;
};

// Entries 7, 1, 5, 6 and 8 typed ahead in one go: whatever was printed before each bus
// operation (the menu, entry 7's listing) is out before the bus is touched.
TEST(BusOperationTest, EveryBusOperationStartsWithTheOutputFlushed) {
  ScratchFolder scratch;
  WriteFileBytes(scratch.Work() / "30p.dat", DefaultFile());
  FolderFiles files(scratch.Work());
  FlushTrackingOutput out;
  auto port = std::make_unique<FlushCheckingPort>(out, Ramp());
  FlushCheckingPort& checked = *port;
  bus::BusConnection bus(std::move(port), bus::TimingPolicy::Windowed);
  console::MemorySource source("\n7\n1\n5\n6\n8\n9\n");
  console::InputReader in(source, &out);

  EXPECT_EQ(console::RunConsole(in, out, bus, {false, &files}), 0);
  EXPECT_GT(checked.accesses, 0);
  EXPECT_EQ(checked.accesses_with_output_waiting, 0);
}

TEST(FailedReadTest, LeavesTheImageAndTheReadBackAsTheyWere) {
  sim::BoardOptions options;
  options.eeprom_present = false;
  options.switch_present = false;
  Bench bench("", options);
  console::ConsoleSession session = bench.Session();
  session.EepromImage.fill(0x5a);
  session.ReadBackImage.fill(0xa5);
  const bus::Image image = session.EepromImage;
  const bus::Image read_back = session.ReadBackImage;

  EXPECT_EQ(console::ReadEepromToBuffer(session), console::Flow::Continue);
  EXPECT_EQ(console::VerifyEeprom(session), console::Flow::Continue);
  EXPECT_EQ(console::ReadSwitchRegisters(session), console::Flow::Continue);
  EXPECT_EQ(session.EepromImage, image);
  EXPECT_EQ(session.ReadBackImage, read_back);
  // Three lines, one per failed operation, and no listing or verify report.
  const std::string& text = bench.out.Text();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
  EXPECT_EQ(text.find("data"), std::string::npos);
  EXPECT_EQ(text.find("Verify"), std::string::npos);
  EXPECT_NE(text.find("EEPROM"), std::string::npos);
  EXPECT_NE(text.find("switch chip"), std::string::npos);
}

TEST(VerifyTest, KeepsTheReadBackUntilTheNextVerify) {
  Bench bench("");
  console::ConsoleSession session = bench.Session();
  session.EepromImage = Ramp();
  EXPECT_EQ(console::VerifyEeprom(session), console::Flow::Continue);
  EXPECT_EQ(session.ReadBackImage, Ramp());
  std::string expected;
  for (int i = 0; i < 128; ++i) expected += "Verify O.K.\n";
  EXPECT_EQ(bench.out.Text(), expected);
}

// A port on the virtual board that counts how often it is taken and given back, and every
// register access made while it is not taken.
class TakeCountingPort final : public bus::ForwardingPort<bus::Port> {
 public:
  explicit TakeCountingPort(const bus::Image& contents)
      : ForwardingPort(MakeBoardPort({}, contents)) {}
  bus::BusResult Acquire() override {
    ++takes;
    taken_ = true;
    return inner_->Acquire();
  }
  void Release() override {
    ++releases;
    taken_ = false;
    inner_->Release();
  }
  void WriteData(std::uint8_t value) override {
    Count();
    inner_->WriteData(value);
  }
  void WriteControl(std::uint8_t value) override {
    Count();
    inner_->WriteControl(value);
  }
  std::uint8_t ReadStatus() override {
    Count();
    return inner_->ReadStatus();
  }
  void WaitUntil(std::uint64_t nanoseconds) override { inner_->WaitUntil(nanoseconds); }

  int takes = 0;
  int releases = 0;
  int untaken_accesses = 0;

 private:
  void Count() { untaken_accesses += taken_ ? 0 : 1; }
  bool taken_ = false;
};

// A batch run takes the port once for all its operations, a write's read, slices and read-back
// included, so no other program can use the port in between; it gives it back at the end, and
// the connection takes it per operation again afterwards.
TEST(BatchPortTest, ARunTakesThePortOnceAndGivesItBackAtTheEnd) {
  ScratchFolder scratch;
  const std::string image_file = (scratch.Work() / "image.bin").string();
  WriteFileBytes(image_file, std::string(128, '\x5a'));
  auto port = std::make_unique<TakeCountingPort>(Ramp());
  TakeCountingPort& counted = *port;
  bus::BusConnection bus(std::move(port), bus::TimingPolicy::Windowed);
  console::BatchPlan plan;
  plan.operations = {{console::BatchOperationKind::Write, image_file},
                     {console::BatchOperationKind::Verify, image_file},
                     {console::BatchOperationKind::Probe, {}}};
  console::StringOutput out;
  console::StringOutput err;

  EXPECT_EQ(console::RunBatch(plan, bus, {out, err}), console::kBatchSucceeded) << err.Text();
  EXPECT_EQ(counted.takes, 1);
  EXPECT_EQ(counted.releases, 1);
  EXPECT_EQ(counted.untaken_accesses, 0);

  bus::Image image{};
  EXPECT_TRUE(bus.ReadEeprom(image).ok());
  EXPECT_TRUE(bus.ReadEeprom(image).ok());
  EXPECT_EQ(counted.takes, 3);
  EXPECT_EQ(counted.releases, 3);
}

// A read-back that no page size's wrap explains (here the EEPROM kept nothing written) names
// every smaller size, not one to try after another.
TEST(PageSizeAdviceTest, AReadBackNoPageSizeExplainsNamesEverySmallerSize) {
  bus::Image image{};
  image.fill(0x55);
  bus::Image before{};
  before.fill(0xFF);
  const bus::Image kept_nothing = before;
  bus::AddressSet all;
  all.set();
  EXPECT_EQ(console::PageSizeHint({.page_size = 16,
                                   .image = &image,
                                   .written = all,
                                   .before = &before,
                                   .read_back = &kept_nothing}),
            " with --page-size 16: the page size may be too large for this EEPROM; try "
            "--page-size 8, 4, 2 or 1");
}

// The log's time, computed from the calendar on every system: the first instant, a leap day's
// last millisecond, the year 2100 (no leap day).
TEST(LogTimeTest, NamesTheUtcInstantToTheMillisecond) {
  namespace chrono = std::chrono;
  using namespace std::chrono_literals;
  EXPECT_EQ(console::UtcTimestamp(chrono::system_clock::time_point{}), "1970-01-01T00:00:00.000Z");
  EXPECT_EQ(console::UtcTimestamp(chrono::sys_days{2024y / chrono::February / 29} + 23h + 59min +
                                  59s + 999ms),
            "2024-02-29T23:59:59.999Z");
  EXPECT_EQ(console::UtcTimestamp(chrono::sys_days{2100y / chrono::March / 1} + 6h + 45min + 48s +
                                  123ms),
            "2100-03-01T06:45:48.123Z");
}

}  // namespace
}  // namespace console_test
