// SPDX-License-Identifier: GPL-3.0-or-later
// The trace recorder: the text log and the Value Change Dump, access by access.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ports/port_spec.h"
#include "bus/trace_port.h"
#include "tests/support/sim_spec.h"
#include "tests/support/test_files.h"

namespace {

using ports_test::Lines;
using ports_test::ReadFile;
using ports_test::ScratchDirectory;

std::unique_ptr<bus::Port> SimPort(const std::string& text = "sim") {
  bus::OpenedPort opened = bus::OpenPort(*test_support::ParseSimSpec(text).spec);
  EXPECT_NE(opened.lines, nullptr) << opened.error;
  return std::move(opened.lines);
}

std::unique_ptr<bus::Port> Traced(std::unique_ptr<bus::Port> inner, const std::string& file) {
  bus::TraceOpenResult traced = bus::OpenTrace(std::move(inner), file);
  EXPECT_NE(traced.port, nullptr) << traced.error;
  EXPECT_EQ(traced.error, "");
  return std::move(traced.port);
}

std::vector<std::string> WithoutComments(const std::vector<std::string>& lines) {
  std::vector<std::string> kept;
  for (const std::string& line : lines) {
    if (!line.starts_with("#")) {
      kept.push_back(line);
    }
  }
  return kept;
}

std::string Hex(std::uint8_t value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02x", value);
  return text;
}

// A port like hardware: it knows no bus levels and its clock may stand still between accesses.
class HardwareLikePort final : public bus::Port {
 public:
  explicit HardwareLikePort(bool* destroyed = nullptr) : destroyed_(destroyed) {}
  ~HardwareLikePort() override {
    if (destroyed_ != nullptr) *destroyed_ = true;
  }
  void WriteData(std::uint8_t) override {}
  void WriteControl(std::uint8_t) override {}
  std::uint8_t ReadStatus() override { return status_; }
  [[nodiscard]] std::uint64_t NowNanoseconds() const override { return now_; }
  void WaitUntil(std::uint64_t nanoseconds) override { now_ = std::max(now_, nanoseconds); }
  [[nodiscard]] std::string Name() const override { return "ppdev:/dev/parport7"; }

  std::uint8_t status_ = 0x7F;
  std::uint64_t now_ = 500;

 private:
  bool* destroyed_;
};

TEST(TraceTest, TextTraceHasOneLinePerAccessWithTheClockAfterIt) {
  ScratchDirectory scratch;
  const std::string file = scratch.File("bus.log");
  std::uint8_t idle_status = 0;
  std::uint8_t start_status = 0;
  {
    std::unique_ptr<bus::Port> port = Traced(SimPort(), file);
    port->WriteData(0x80);
    port->WriteControl(0x04);
    idle_status = port->ReadStatus();
    port->WriteData(0x00);
    start_status = port->ReadStatus();
    port->WriteControl(0x00);
    port->WriteData(0xA5);
  }
  EXPECT_EQ(WithoutComments(Lines(ReadFile(file))),
            (std::vector<std::string>{"1000 W data 80", "2000 W control 04",
                                      "3000 R status " + Hex(idle_status), "4000 W data 00",
                                      "5000 R status " + Hex(start_status), "6000 W control 00",
                                      "7000 W data a5"}));
  EXPECT_EQ(idle_status & bus::kStatusSdaBit, bus::kStatusSdaBit);
  EXPECT_EQ(start_status & bus::kStatusSdaBit, 0);
}

TEST(TraceTest, TextTraceBeginsWithCommentsNamingThePortAndTheTimeUnit) {
  ScratchDirectory scratch;
  const std::string file = scratch.File("bus.txt");
  { Traced(SimPort("sim,twr=50"), file)->WriteData(0x80); }
  const std::vector<std::string> lines = Lines(ReadFile(file));
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front(), "# port trace of sim,twr=50");
  EXPECT_NE(ReadFile(file).find("# T: nanoseconds of the port's clock"), std::string::npos);
  EXPECT_EQ(lines.back(), "1000 W data 80");
}

TEST(TraceTest, RecorderForwardsNameClockAndLevels) {
  ScratchDirectory scratch;
  std::unique_ptr<bus::Port> port = Traced(SimPort("sim,eeprom=absent"), scratch.File("t.log"));
  EXPECT_EQ(port->Name(), "sim,eeprom=absent");
  port->WriteData(0x00);
  EXPECT_EQ(port->NowNanoseconds(), 1000u);
  ASSERT_TRUE(port->BusLevels().has_value());
  EXPECT_FALSE(port->BusLevels()->sda);
  EXPECT_TRUE(port->BusLevels()->scl);

  auto hardware = std::make_unique<HardwareLikePort>();
  std::unique_ptr<bus::Port> traced = Traced(std::move(hardware), scratch.File("h.log"));
  EXPECT_FALSE(traced->BusLevels().has_value());
  EXPECT_EQ(traced->Name(), "ppdev:/dev/parport7");
  EXPECT_EQ(traced->NowNanoseconds(), 500u);
  EXPECT_EQ(traced->ReadStatus(), 0x7F);
}

TEST(TraceTest, LongTraceIsWrittenCompletely) {
  ScratchDirectory scratch;
  const std::string file = scratch.File("long.log");
  constexpr int kAccesses = 20000;  // several buffers full
  {
    std::unique_ptr<bus::Port> port = Traced(SimPort(), file);
    for (int i = 0; i < kAccesses; ++i) {
      port->WriteControl(static_cast<std::uint8_t>(i % 2 == 0 ? 0x00 : 0x04));
    }
  }
  const std::vector<std::string> lines = WithoutComments(Lines(ReadFile(file)));
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kAccesses));
  EXPECT_EQ(lines.front(), "1000 W control 00");
  EXPECT_EQ(lines.back(), "20000000 W control 04");
}

TEST(TraceTest, TextTraceWritesTimesOfAnyLength) {
  ScratchDirectory scratch;
  const std::string file = scratch.File("times.log");
  const std::vector<std::uint64_t> times = {
      1,          9,          10,           99,          100,
      101,        12345678,   99999999,     100000000,   100000001,
      4294967295, 4294967296, 123456789012, 10000000000000000000ull, 18446744073709551614ull};
  {
    auto owned = std::make_unique<HardwareLikePort>();
    HardwareLikePort& hardware = *owned;
    hardware.now_ = 0;
    std::unique_ptr<bus::Port> port = Traced(std::move(owned), file);
    for (const std::uint64_t time : times) {
      hardware.now_ = time;
      port->WriteData(0x80);
    }
  }
  std::vector<std::string> expected;
  for (const std::uint64_t time : times) {
    expected.push_back(std::to_string(time) + " W data 80");
  }
  EXPECT_EQ(WithoutComments(Lines(ReadFile(file))), expected);
}

TEST(TraceTest, TraceFileThatCannotBeCreatedIsNamedWithTheReason) {
  bool destroyed = false;
  bus::TraceOpenResult traced =
      bus::OpenTrace(std::make_unique<HardwareLikePort>(&destroyed), "/nonexistent-dir/bus.log");
  EXPECT_EQ(traced.port, nullptr);
  EXPECT_EQ(traced.error, std::string("cannot create trace file /nonexistent-dir/bus.log: ") +
                              std::strerror(ENOENT));
  EXPECT_TRUE(destroyed) << "the port must be closed again";
}

// --- The Value Change Dump ---

struct Vcd {
  std::vector<std::string> header;                 // up to $enddefinitions
  std::vector<unsigned long long> times;           // every #T, in order
  std::vector<std::vector<std::string>> changes;   // the value changes after each #T
};

Vcd ParseVcd(const std::string& text) {
  Vcd vcd;
  bool in_body = false;
  for (const std::string& line : Lines(text)) {
    if (!in_body) {
      vcd.header.push_back(line);
      in_body = line == "$enddefinitions $end";
      continue;
    }
    if (line.starts_with("#")) {
      vcd.times.push_back(std::stoull(line.substr(1)));
      vcd.changes.emplace_back();
    } else if (line != "$dumpvars" && line != "$end") {
      EXPECT_FALSE(vcd.changes.empty()) << "a value change before the first timestamp: " << line;
      if (!vcd.changes.empty()) vcd.changes.back().push_back(line);
    }
  }
  return vcd;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& wanted) {
  for (const std::string& line : lines) {
    if (line == wanted) return true;
  }
  return false;
}

TEST(TraceTest, VcdOfTheBoardDrawsTheBusLevels) {
  ScratchDirectory scratch;
  const std::string file = scratch.File("bus.vcd");
  {
    std::unique_ptr<bus::Port> port = Traced(SimPort(), file);
    port->WriteData(0x80);     // 1000: nothing changes
    port->WriteData(0x00);     // 2000: start condition, sda falls
    port->WriteControl(0x00);  // 3000: scl falls
    port->ReadStatus();        // 4000: nothing changes
    port->WriteData(0x80);     // 5000: sda rises
    port->WriteControl(0x04);  // 6000: scl rises
  }
  const Vcd vcd = ParseVcd(ReadFile(file));
  EXPECT_TRUE(HasLine(vcd.header, "$timescale 1ns $end"));
  EXPECT_TRUE(HasLine(vcd.header, "$var wire 1 c scl $end"));
  EXPECT_TRUE(HasLine(vcd.header, "$var wire 1 d sda $end"));
  EXPECT_FALSE(HasLine(vcd.header, "$var wire 1 s sda_sense $end"));
  EXPECT_EQ(vcd.times, (std::vector<unsigned long long>{0, 1000, 2000, 3000, 4000, 5000, 6000}));
  EXPECT_EQ(vcd.changes, (std::vector<std::vector<std::string>>{
                             {"1c", "1d"}, {}, {"0d"}, {"0c"}, {}, {"1d"}, {"1c"}}));
}

TEST(TraceTest, VcdOfHardwareDrawsDrivenLevelsAndTheSensedSda) {
  ScratchDirectory scratch;
  const std::string file = scratch.File("hw.VCD");
  {
    auto owned = std::make_unique<HardwareLikePort>();
    HardwareLikePort& hardware = *owned;
    std::unique_ptr<bus::Port> port = Traced(std::move(owned), file);
    port->WriteControl(0x04);  // the clock stands still: each access 1 ns after the last
    port->WriteData(0x80);
    hardware.now_ = 2000;
    port->ReadStatus();        // 0x7F: sensed high
    hardware.status_ = 0x3F;
    hardware.now_ = 2500;
    port->ReadStatus();        // sensed low
    port->WriteData(0x25);     // bit 7 clear: sda driven low
  }
  const Vcd vcd = ParseVcd(ReadFile(file));
  EXPECT_TRUE(HasLine(vcd.header, "$var wire 1 c scl $end"));
  EXPECT_TRUE(HasLine(vcd.header, "$var wire 1 d sda $end"));
  EXPECT_TRUE(HasLine(vcd.header, "$var wire 1 s sda_sense $end"));
  EXPECT_EQ(vcd.times, (std::vector<unsigned long long>{500, 501, 502, 2000, 2500, 2501}));
  EXPECT_EQ(vcd.changes, (std::vector<std::vector<std::string>>{
                             {"xc", "xd", "xs"}, {"1c"}, {"1d"}, {"1s"}, {"0s"}, {"0d"}}));
}

}  // namespace

namespace {

TEST(TraceFailureTest, AFullDiskIsReportedOnceAndTheBusGoesOn) {
  if (std::FILE* full = std::fopen("/dev/full", "w"); full == nullptr) {
    GTEST_SKIP() << "no /dev/full on this machine";
  } else {
    std::fclose(full);
  }
  ::testing::internal::CaptureStderr();
  {
    std::unique_ptr<bus::Port> port = Traced(SimPort(), "/dev/full");
    for (int i = 0; i < 20000; ++i) {  // more than one buffer of records
      port->WriteControl(i % 2 == 0 ? 0x04 : 0x00);
    }
    EXPECT_EQ(port->ReadStatus(), 0x7F);  // the board still answers
  }
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(errors, std::string("cannot write trace file /dev/full: ") + std::strerror(ENOSPC) +
                        "; the trace is incomplete\n");
}

}  // namespace

namespace {

// A FIFO is a trace only while someone reads it: without a reader it is refused at once; with
// one it gets the trace; a reader that goes away ends the trace, not the program.
TEST(TraceFifoTest, NeedsAReaderAndSurvivesItsLeaving) {
  ScratchDirectory scratch;
  const std::string fifo = scratch.File("live");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

  bus::TraceOpenResult refused = bus::OpenTrace(SimPort(), fifo);
  EXPECT_EQ(refused.port, nullptr);
  EXPECT_EQ(refused.error, "cannot open trace file " + fifo +
                               ": it is a FIFO that nobody reads; start its reader first, or name "
                               "a file");

  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  {
    std::unique_ptr<bus::Port> port = Traced(SimPort(), fifo);
    port->WriteData(0x00);
  }
  char received[256] = {};
  const ssize_t count = ::read(reader, received, sizeof received - 1);
  ASSERT_GT(count, 0);
  EXPECT_EQ(std::string(received).rfind("# port trace of sim\n", 0), 0u) << received;
  EXPECT_NE(std::string(received).find(" W data 00\n"), std::string::npos) << received;

  ::testing::internal::CaptureStderr();
  {
    std::unique_ptr<bus::Port> port;
    {
      const int second_reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
      ASSERT_GE(second_reader, 0);
      port = Traced(SimPort(), fifo);
      ::close(second_reader);
    }
    ::close(reader);
    port->WriteData(0x00);
  }  // the trace is written out here, to a FIFO nobody reads any more
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "cannot write trace file " + fifo + ": " + std::strerror(EPIPE) +
                "; the trace is incomplete\n");
}

}  // namespace
