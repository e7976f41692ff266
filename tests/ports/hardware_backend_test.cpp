// SPDX-License-Identifier: GPL-3.0-or-later
// The hardware backends on a fake system: which requests reach which register, the claim and
// release around each operation, the failure of each step, and two programs on one port taking
// turns without either waiting for ever.
#include <gtest/gtest.h>
#include <linux/parport.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ports/direct/direct_port.h"
#include "ports/ppdev/ppdev_port.h"
#include "tests/ports/fake_system_calls.h"
#include "tests/support/test_files.h"
#include "tests/ports/lifecycle_setup.h"

namespace {

using ports_test::FakeSystemCalls;
using Calls = std::vector<std::string>;

constexpr std::chrono::milliseconds kShortBound{200};
const std::string kCompat = "ioctl PPSETMODE " + std::to_string(IEEE1284_MODE_COMPAT);

std::unique_ptr<ports::PpdevPort> OpenPpdev(FakeSystemCalls& calls, std::string& error) {
  return ports::PpdevPort::Open("/dev/parport3", "ppdev:/dev/parport3", error, calls, kShortBound);
}

TEST(PpdevBackendTest, ClaimsTheRegistersOnlyForEachOperation) {
  FakeSystemCalls calls;
  std::string error;
  auto port = OpenPpdev(calls, error);
  ASSERT_NE(port, nullptr) << error;
  // Opening checks with one claim that this is a parallel port, and gives it back at once.
  EXPECT_EQ(calls.Take(), (Calls{"open /dev/parport3", "flock exclusive", "ioctl PPCLAIM", kCompat,
                                 "ioctl PPRELEASE", "flock unlock"}));

  ASSERT_TRUE(port->Acquire().ok());
  port->WriteData(0x80);
  port->WriteControl(0x04);
  calls.status = 0x3F;
  EXPECT_EQ(port->ReadStatus(), 0x3F);
  port->Release();
  EXPECT_EQ(calls.Take(), (Calls{"flock exclusive", "ioctl PPCLAIM", kCompat, "ioctl PPWDATA 80",
                                 "ioctl PPWCONTROL 04", "ioctl PPRSTATUS -> 3f", "ioctl PPRELEASE",
                                 "flock unlock"}));
  port.reset();
  EXPECT_EQ(calls.Take(), (Calls{"close"}));
}

struct StepFailure {
  const char* step;     // the fake's name of the call that fails
  int error_number;
  const char* message;  // what the failure's text says after the system's reason
  Calls calls;          // every call made, ending with what was undone
};

void PrintTo(const StepFailure& failure, std::ostream* out) { *out << failure.step; }

class PpdevStepFailureTest : public testing::TestWithParam<StepFailure> {};

TEST_P(PpdevStepFailureTest, NamesTheStepAndUndoesWhatWasDone) {
  const StepFailure& failure = GetParam();
  FakeSystemCalls calls;
  calls.fail[failure.step] = failure.error_number;
  std::string error;
  EXPECT_EQ(OpenPpdev(calls, error), nullptr);
  EXPECT_EQ(error, std::string(std::strerror(failure.error_number)) + failure.message);
  EXPECT_EQ(calls.Take(), failure.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PpdevStepFailureTest,
    testing::Values(
        StepFailure{"open", EACCES,
                    ". Add your user to the 'lp' group (adduser $USER lp) and log in again, or "
                    "run as root.",
                    {"open /dev/parport3"}},
        StepFailure{"flock", ENOLCK,
                    " (locking the port). Check the device /dev/parport3 or name another port "
                    "with --port.",
                    {"open /dev/parport3", "flock exclusive", "close"}},
        StepFailure{"PPCLAIM", ENXIO,
                    " (claiming the port). No parallel port behind /dev/parport3; check that the "
                    "port is enabled in the BIOS setup and that parport_pc is loaded.",
                    {"open /dev/parport3", "flock exclusive", "ioctl PPCLAIM", "flock unlock",
                     "close"}},
        StepFailure{"PPSETMODE", EINVAL,
                    " (setting compatibility mode). /dev/parport3 is not a parallel-port device; "
                    "name one such as /dev/parport0 with --port ppdev:DEVICE.",
                    {"open /dev/parport3", "flock exclusive", "ioctl PPCLAIM", kCompat,
                     "ioctl PPRELEASE", "flock unlock", "close"}}),
    [](const testing::TestParamInfo<StepFailure>& info) { return std::string(info.param.step); });

TEST(PpdevBackendTest, APortAnotherProgramHoldsIsReportedAsInUseAfterTheBound) {
  const std::string in_use =
      "in use by another program, still held after 0.2 s; try again when that program has "
      "finished its operation, or close it";
  for (const bool claim_blocks : {false, true}) {
    SCOPED_TRACE(claim_blocks ? "a claim that blocks" : "a lock that is taken");
    FakeSystemCalls calls;
    std::string error;
    auto port = OpenPpdev(calls, error);
    ASSERT_NE(port, nullptr) << error;
    calls.Take();
    calls.lock_held_elsewhere = !claim_blocks;
    calls.claim_blocks = claim_blocks;

    const bus::BusResult result = port->Acquire();
    EXPECT_EQ(result.fault, bus::BusFault::PortUnavailable);
    EXPECT_EQ(result.detail, "port ppdev:/dev/parport3 is " + in_use);
    const Calls made = calls.Take();
    ASSERT_FALSE(made.empty());
    // Nothing is left held: a taken lock is given back when the claim does not come.
    EXPECT_EQ(made.back(), claim_blocks ? "flock unlock" : "flock exclusive");
    EXPECT_EQ(std::count(made.begin(), made.end(), "ioctl PPRELEASE"), 0);

    // Once the other program has let go, the next operation gets the port.
    calls.lock_held_elsewhere = false;
    calls.claim_blocks = false;
    EXPECT_TRUE(port->Acquire().ok());
    port->Release();
  }
}

TEST(DirectBackendTest, MapsTheRegistersAndLocksTheAddressForEachOperation) {
  ports_test::ScratchDirectory scratch;
  FakeSystemCalls calls;
  std::string error;
  auto port = ports::DirectPort::Open(0x278, "direct:0x278", error, calls, scratch.path(),
                                    kShortBound);
  ASSERT_NE(port, nullptr) << error;
  const std::string lock_file = scratch.path() + "/plover-direct-0x278.lock";
  EXPECT_EQ(calls.Take(), (Calls{"ioperm 278 3 on", "open " + lock_file}));

  ASSERT_TRUE(port->Acquire().ok());
  port->WriteData(0xA5);
  port->WriteControl(0x04);
  EXPECT_EQ(port->ReadStatus(), 0x7F);
  port->Release();
  port.reset();
  // Data at the base address, status at +1, control at +2.
  EXPECT_EQ(calls.Take(), (Calls{"flock exclusive", "outb a5 278", "outb 04 27a", "inb 279 -> 7f",
                                 "flock unlock", "close", "ioperm 278 3 off"}));

  calls.fail["ioperm"] = EPERM;
  EXPECT_EQ(ports::DirectPort::Open(0x278, "direct:0x278", error, calls, scratch.path()), nullptr);
  EXPECT_EQ(error, std::string(std::strerror(EPERM)) +
                       ". Direct port access needs root (CAP_SYS_RAWIO): run as root or use "
                       "--port ppdev.");
  EXPECT_EQ(calls.Take(), (Calls{"ioperm 278 3 on"}));
}

TEST(DirectBackendTest, TwoProgramsOnOneAddressTakeTurns) {
  ports_test::ScratchDirectory scratch;
  FakeSystemCalls first_calls;
  FakeSystemCalls second_calls;
  first_calls.real_files = second_calls.real_files = true;  // one real lock file between them
  std::string error;
  auto first = ports::DirectPort::Open(0x378, "direct:0x378", error, first_calls, scratch.path(),
                                     kShortBound);
  auto second = ports::DirectPort::Open(0x378, "direct:0x378", error, second_calls, scratch.path(),
                                      kShortBound);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);

  ASSERT_TRUE(first->Acquire().ok());
  const bus::BusResult refused = second->Acquire();
  EXPECT_EQ(refused.fault, bus::BusFault::PortUnavailable);
  EXPECT_NE(refused.detail.find("port direct:0x378 is in use by another program"),
            std::string::npos)
      << refused.detail;
  first->Release();
  EXPECT_TRUE(second->Acquire().ok());
  second->Release();
}

// The lifecycle every row gets: parport0 at I/O address 888 (0x378), which ppdev reaches by its
// node and direct by its address, through the system calls alone.
const ports_test::RegisterLifecycleSetup kParallelPortLifecycle({
    {},
    [](const ports::SystemRoots& roots) {
      ports_test::WriteMachineFile(roots.dev + "/parport0", "888");
      ports_test::WriteMachineFile(roots.proc + "/sys/dev/parport/parport0/base-addr", "888");
    },
});

}  // namespace
