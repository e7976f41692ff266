// SPDX-License-Identifier: GPL-3.0-or-later
// The life every row of the table gets, a new one too: its example parses to that row and an
// unknown option is refused; on the fake system it opens, probes and closes, and gives back all
// it took; on a machine made of folders with one device of each kind, its find lists ports whose
// --port values parse back to the same row.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "bus/bus_connection.h"
#include "ports/port_table.h"
#include "ports/system_calls.h"
#include "tests/ports/fake_system_calls.h"
#include "tests/support/test_files.h"
#if PLOVER_WITH_CH341A
#include "ports/libusb_calls.h"
#include "tests/support/fake_ch341a.h"
#endif
#if PLOVER_WITH_FTDI
#include "tests/support/fake_ftdi.h"
#endif

namespace {

std::vector<const bus::PortBackend*> Rows() {
  return {ports::PortBackends().begin(), ports::PortBackends().end()};
}

std::ptrdiff_t Count(const std::vector<std::string>& calls, const std::string& prefix) {
  return std::count_if(calls.begin(), calls.end(),
                       [&](const std::string& call) { return call.starts_with(prefix); });
}

// A listed value without its optional parts ("sim[:FILE]" is "sim").
std::string Plain(std::string spec) {
  for (std::size_t open; (open = spec.find('[')) != std::string::npos;) {
    spec.erase(open, spec.find(']', open) - open + 1);
  }
  return spec;
}

class BackendLifecycleTest : public ::testing::TestWithParam<const bus::PortBackend*> {};

TEST_P(BackendLifecycleTest, ParsesOpensProbesClosesAndFindsItsPorts) {
  const bus::PortBackend& row = *GetParam();
  if (!row.available) GTEST_SKIP() << row.name << " ports are not available on this machine";
  const bus::PortSpecResult parsed = ports::ParsePortSpec(row.example);
  ASSERT_TRUE(parsed.spec) << parsed.error;
  EXPECT_EQ(parsed.spec->backend, &row);
  EXPECT_FALSE(ports::ParsePortSpec(std::string(row.example) + ",no-such-option").spec);

  ports_test::FakeSystemCalls system;
#if PLOVER_WITH_CH341A
  test_support::FakeCh341a ch341a({}, bus::Image{});
  const bus::LibusbCallsOverride ch341a_seam(ch341a);
#endif
#if PLOVER_WITH_FTDI
  test_support::FakeFtdi ftdi({}, bus::Image{});
  const bus::FtdiCallsOverride ftdi_seam(ftdi);
#endif
  {
    const bus::SystemCallsOverride seam(system);
    bus::BusConnection bus({*parsed.spec, {}, bus::TimingPolicy::Windowed});
    const bus::ProbeReport report = bus.Probe();
    EXPECT_NE(bus.CurrentPort(), nullptr) << bus::DescribeBusResult(report.eeprom);
    bus.Close();
  }
  const std::vector<std::string>& calls = system.calls;
  EXPECT_EQ(Count(calls, "open"), Count(calls, "close")) << "a descriptor left open";
  EXPECT_EQ(Count(calls, "flock exclusive"), Count(calls, "flock unlock")) << "a lock kept";
  EXPECT_EQ(Count(calls, "ioctl PPCLAIM"), Count(calls, "ioctl PPRELEASE")) << "a claim kept";
  EXPECT_EQ(Count(calls, "ioperm") % 2, 0) << "port access left on";

  ports_test::ScratchDirectory machine;
  const bus::SystemRoots roots{machine.File("dev"), machine.File("sys"), machine.File("proc")};
  for (const std::string& file : {roots.dev + "/parport0", roots.dev + "/i2c-1",
                                  roots.proc + "/sys/dev/parport/parport0/base-addr"}) {
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    std::ofstream(file) << "888\n";
  }
  // One USB device: a CH341A in its I2C/SPI mode at USB port 1-2.
  for (const auto& [file, value] : {std::pair{"idVendor", "1a86"}, {"idProduct", "5512"},
                                    {"busnum", "1"}, {"devnum", "5"}}) {
    const std::string folder = roots.sys + "/bus/usb/devices/1-2";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/" + file) << value << "\n";
  }
  // One FTDI FT232H at USB port 1-3.
  for (const auto& [name, value] : {std::pair{"idVendor", "0403"}, {"idProduct", "6014"},
                                    {"busnum", "1"}, {"devnum", "6"}, {"serial", "FT0001"}}) {
    const std::string folder = roots.sys + "/bus/usb/devices/1-3";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/" + name) << value << "\n";
  }
  const std::vector<bus::ListedPort> found = row.find(roots);
  EXPECT_FALSE(found.empty());
  for (const bus::ListedPort& port : found) {
    const bus::PortSpecResult listed = ports::ParsePortSpec(Plain(port.spec));
    ASSERT_TRUE(listed.spec) << port.spec << ": " << listed.error;
    EXPECT_EQ(listed.spec->backend, &row) << port.spec;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, BackendLifecycleTest, ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<const bus::PortBackend*>& info) {
                           return std::string(info.param->name);
                         });

}  // namespace
