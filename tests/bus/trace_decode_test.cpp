// SPDX-License-Identifier: GPL-3.0-or-later
// A value change dump of a whole EEPROM write and read-back, decoded by sigrok's two-wire and 24xx
// EEPROM protocol decoders: what a user sees in a logic analyser program must be the image.
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bus/bus_connection.h"
#include "ports/port_spec.h"
#include "bus/trace_port.h"
#include "tests/support/sim_spec.h"
#include "tests/support/test_files.h"

namespace {

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::istringstream directories(path != nullptr ? path : "");
  for (std::string directory; std::getline(directories, directory, ':');) {
    const std::string candidate = (directory.empty() ? "." : directory) + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) {
      return true;
    }
  }
  return false;
}

// Runs a shell command and returns what it printed (standard output and error).
std::string Output(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return output;
  }
  char buffer[4096];
  for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    output.append(buffer, count);
  }
  status = ::pclose(pipe);
  return output;
}

std::string Hex(std::uint8_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

TEST(TraceDecodeTest, DecodersSeeTheImageWrittenByteByByteAndReadSequentially) {
  if (!OnPath("sigrok-cli")) {
    if (std::getenv("CI") != nullptr) {
      FAIL() << "sigrok-cli is not on PATH; the CI image must install it";
    }
    GTEST_SKIP() << "sigrok-cli is not on PATH; install it to decode traces";
  }

  bus::Image image;
  for (std::size_t address = 0; address < image.size(); ++address) {
    image[address] = static_cast<std::uint8_t>(address * 37 + 5);
  }
  image[0x10] = 0x00;
  image[0x11] = 0xFF;

  ports_test::ScratchDirectory scratch;
  const std::string trace = scratch.File("eeprom.vcd");
  {
    bus::OpenedPort opened = bus::OpenPort(*test_support::ParseSimSpec("sim,twr=50").spec);
    ASSERT_NE(opened.lines, nullptr) << opened.error;
    bus::TraceOpenResult traced = bus::OpenTrace(std::move(opened.lines), trace);
    ASSERT_NE(traced.port, nullptr) << traced.error;
    bus::BusConnection connection(std::move(traced.port), bus::TimingPolicy::Windowed);
    ASSERT_TRUE(connection.WriteEeprom(image).ok());
    bus::Image read_back{};
    ASSERT_TRUE(connection.ReadEeprom(read_back).ok());
    ASSERT_EQ(read_back, image);
  }  // closing the connection finishes the trace file

  int status = 0;
  const std::string output =
      Output("sigrok-cli -i '" + trace + "' -I vcd -P i2c:scl=scl:sda=sda,eeprom24xx "
             "-A eeprom24xx=byte-write:page-write:cur-addr-read:random-read:seq-random-read:"
             "seq-cur-addr-read",
             status);
  ASSERT_EQ(status, 0) << output;

  std::vector<std::string> expected;
  for (std::size_t address = 0; address < image.size(); ++address) {
    expected.push_back("eeprom24xx-1: Byte write (addr=" + Hex(static_cast<std::uint8_t>(address)) +
                       ", 1 byte): " + Hex(image[address]));
  }
  std::string sequential = "eeprom24xx-1: Sequential random read (addr=00, 128 bytes):";
  for (const std::uint8_t byte : image) {
    sequential += ' ';
    sequential += Hex(byte);
  }
  expected.push_back(sequential);

  std::vector<std::string> decoded;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    decoded.push_back(line);
  }
  ASSERT_EQ(decoded.size(), expected.size()) << output.substr(0, 2000);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(decoded[i], expected[i]) << "decoded operation " << i;
  }
}

}  // namespace
