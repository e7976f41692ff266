// SPDX-License-Identifier: GPL-3.0-or-later
// The life every row of the table gets, a new one too: its example parses to that row and an
// unknown option is refused; on the fake system it opens, probes and closes, and gives back all
// it took; on a machine made of folders with one device of each kind, its find lists ports whose
// --port values parse back to the same row. Each backend's fake and device come from the set-up
// it registers beside its own tests (lifecycle_setup.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "bus/bus_connection.h"
#include "ports/port_table.h"
#include "ports/system_calls.h"
#include "tests/ports/fake_system_calls.h"
#include "tests/ports/lifecycle_setup.h"
#include "tests/support/test_files.h"

namespace {

std::vector<const ports::PortBackend*> Rows() {
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

class BackendLifecycleTest : public ::testing::TestWithParam<const ports::PortBackend*> {};

TEST_P(BackendLifecycleTest, ParsesOpensProbesClosesAndFindsItsPorts) {
  const ports::PortBackend& row = *GetParam();
  if (!row.available) GTEST_SKIP() << row.name << " ports are not available on this machine";
  const ports::PortSpecResult parsed = ports::ParsePortSpec(row.example);
  ASSERT_TRUE(parsed.spec) << parsed.error;
  EXPECT_EQ(parsed.spec->kind, row.name);
  EXPECT_EQ(parsed.spec->open, row.open);
  EXPECT_FALSE(ports::ParsePortSpec(std::string(row.example) + ",no-such-option").spec);

  ports_test::FakeSystemCalls system;
  std::vector<std::shared_ptr<void>> fakes;
  for (const ports_test::LifecycleSetup& setup : ports_test::LifecycleSetups()) {
    if (setup.install) fakes.push_back(setup.install());
  }
  {
    const ports::SystemCallsOverride seam(system);
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
  const ports::SystemRoots roots{machine.File("dev"), machine.File("sys"), machine.File("proc")};
  for (const ports_test::LifecycleSetup& setup : ports_test::LifecycleSetups()) {
    setup.add_device(roots);
  }
  const std::vector<ports::ListedPort> found = row.find(roots);
  EXPECT_FALSE(found.empty());
  for (const ports::ListedPort& port : found) {
    const ports::PortSpecResult listed = ports::ParsePortSpec(Plain(port.spec));
    ASSERT_TRUE(listed.spec) << port.spec << ": " << listed.error;
    EXPECT_EQ(listed.spec->kind, row.name) << port.spec;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, BackendLifecycleTest, ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<const ports::PortBackend*>& info) {
                           return std::string(info.param->name);
                         });

}  // namespace
