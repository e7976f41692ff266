// SPDX-License-Identifier: GPL-3.0-or-later
// Opening ports: what the user is told when a port cannot be opened.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

#include "ports/port_spec.h"
#include "ports/port_table.h"
#include "tests/support/test_files.h"

namespace {

using ports_test::ReadFile;
using ports_test::ScratchDirectory;
using ports_test::WriteFile;

bus::OpenedPort Open(const std::string& text) {
  ports::PortSpecResult parsed = ports::ParsePortSpec(text);
  EXPECT_TRUE(parsed.spec.has_value()) << parsed.error;
  if (!parsed.spec) {
    return {};
  }
  return bus::OpenPort(*parsed.spec);
}

// The message for a port that did not open: one line, and no port.
std::string Refusal(const std::string& text) {
  bus::OpenedPort result = Open(text);
  EXPECT_FALSE(result.ok()) << text;
  EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;
  return result.error;
}

TEST(OpenPortTest, MissingDeviceNodeSuggestsLoadingTheModules) {
  EXPECT_EQ(Refusal("ppdev:/nonexistent/parport9"),
            std::string("cannot open port ppdev:/nonexistent/parport9: ") + std::strerror(ENOENT) +
                ". Load the parport_pc and ppdev modules (modprobe ppdev) or name another port "
                "with --port.");
}

TEST(OpenPortTest, DeviceThatIsNoParallelPortIsNamedAsSuch) {
  EXPECT_EQ(Refusal("ppdev:/dev/null"),
            std::string("cannot open port ppdev:/dev/null: ") + std::strerror(ENOTTY) +
                " (claiming the port). /dev/null is not a parallel-port device; name one such as "
                "/dev/parport0 with --port ppdev:DEVICE.");
}

TEST(OpenPortTest, DirectoryIsRefused) {
  ScratchDirectory scratch;
  EXPECT_EQ(Refusal("ppdev:" + scratch.path()),
            "cannot open port ppdev:" + scratch.path() + ": " + std::strerror(EISDIR) +
                ". Name a parallel-port device node such as /dev/parport0 with --port "
                "ppdev:DEVICE.");
}

TEST(OpenPortTest, DeviceWithoutPermissionSuggestsTheLpGroup) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "root may open any file, so permission cannot be denied";
  }
  ScratchDirectory scratch;
  const std::string node = scratch.File("parport");
  WriteFile(node, "");
  ASSERT_EQ(::chmod(node.c_str(), 0), 0);
  EXPECT_EQ(Refusal("ppdev:" + node),
            "cannot open port ppdev:" + node + ": " + std::strerror(EACCES) +
                ". Add your user to the 'lp' group (adduser $USER lp) and log in again, or run as "
                "root.");
}

TEST(OpenPortTest, BoardFileOfWrongSizeIsRefusedAndLeftUntouched) {
  ScratchDirectory scratch;
  const std::string file = scratch.File("short.bin");
  WriteFile(file, "12345");
  const std::string message = Refusal("sim:" + file);
  EXPECT_EQ(message.rfind("cannot open port sim:" + file + ": ", 0), 0u) << message;
  EXPECT_GT(message.size(), ("cannot open port sim:" + file + ": ").size());
  EXPECT_EQ(ReadFile(file), "12345");
}

TEST(OpenPortTest, BoardFileThatIsADirectoryIsRefused) {
  ScratchDirectory scratch;
  const std::string message = Refusal("sim:" + scratch.path());
  EXPECT_EQ(message.rfind("cannot open port sim:" + scratch.path() + ": ", 0), 0u) << message;
}

// A board file that is a symbolic link to a missing file: the file is made through the link where
// its folder exists; where it cannot be made, the link, what it points at and the cause are named.
TEST(OpenPortTest, BoardFileThatIsADanglingLink) {
  ScratchDirectory scratch;
  ASSERT_EQ(::symlink("made.bin", scratch.File("to-made.bin").c_str()), 0);
  EXPECT_TRUE(Open("sim:" + scratch.File("to-made.bin")).ok());
  EXPECT_EQ(ReadFile(scratch.File("made.bin")), std::string(128, '\xff'));

  const std::string link = scratch.File("d.bin");
  ASSERT_EQ(::symlink("missing/x.bin", link.c_str()), 0);
  EXPECT_EQ(Refusal("sim:" + link),
            "cannot open port sim:" + link + ": board file \"" + link +
                "\" is a symbolic link to \"missing/x.bin\", which cannot be created: " +
                std::strerror(ENOENT) + ". Name another board file with --port sim:FILE, or use "
                "--port sim for a board in memory.");
}

TEST(OpenPortTest, SimPortIsNamedByItsCanonicalPortSpec) {
  ScratchDirectory scratch;
  const std::string file = scratch.File("board.bin");
  bus::OpenedPort result = Open("sim:" + file + ",twr=50,switch=absent");
  ASSERT_NE(result.lines, nullptr) << result.error;
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(result.lines->Name(), "sim:" + file + ",switch=absent,twr=50");
  EXPECT_EQ(result.lines->NowNanoseconds(), 0u);
  ASSERT_TRUE(result.lines->BusLevels().has_value());
  EXPECT_TRUE(result.lines->BusLevels()->scl);
  EXPECT_TRUE(result.lines->BusLevels()->sda);
}

TEST(OpenPortTest, SimPortGoesToTheBoard) {
  bus::OpenedPort result = Open("sim");
  ASSERT_NE(result.lines, nullptr) << result.error;
  result.lines->WriteData(0x00);  // SDA falls while SCL is high: a start condition
  EXPECT_FALSE(result.lines->BusLevels()->sda);
  EXPECT_EQ(result.lines->ReadStatus() & bus::kStatusSdaBit, 0);
  result.lines->WriteControl(0x00);
  EXPECT_FALSE(result.lines->BusLevels()->scl);
  EXPECT_EQ(result.lines->NowNanoseconds(), 3000u);  // 1 us per access
}

#if defined(__x86_64__) || defined(__i386__)

// Runs OpenPort("direct") in a child process without CAP_SYS_RAWIO and returns its message, or
// nullopt when the capability could not be dropped.
std::optional<std::string> DirectRefusalWithoutRawIo() {
  int pipe_ends[2];
  if (::pipe(pipe_ends) != 0) {
    return std::nullopt;
  }
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe_ends[0]);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    std::string message = "-";  // the capability could not be dropped
    if (::syscall(SYS_capget, &header, data) == 0) {
      data[CAP_SYS_RAWIO / 32].effective &= ~(1u << (CAP_SYS_RAWIO % 32));
      data[CAP_SYS_RAWIO / 32].permitted &= ~(1u << (CAP_SYS_RAWIO % 32));
      if (::syscall(SYS_capset, &header, data) == 0) {
        bus::OpenedPort result = bus::OpenPort(*ports::ParsePortSpec("direct:0x378").spec);
        message = result.ok() ? "+opened" : result.error;
      }
    }
    const ssize_t ignored = ::write(pipe_ends[1], message.data(), message.size());
    static_cast<void>(ignored);
    ::_exit(0);
  }
  ::close(pipe_ends[1]);
  std::string message;
  char buffer[256];
  for (ssize_t count; (count = ::read(pipe_ends[0], buffer, sizeof buffer)) > 0;) {
    message.append(buffer, static_cast<std::size_t>(count));
  }
  ::close(pipe_ends[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (child < 0 || message == "-") {
    return std::nullopt;
  }
  return message;
}

TEST(OpenPortTest, DirectPortWithoutRawIoSuggestsRootOrPpdev) {
  const std::optional<std::string> message = DirectRefusalWithoutRawIo();
  if (!message) {
    GTEST_SKIP() << "cannot run without CAP_SYS_RAWIO here";
  }
  if (message->find(std::strerror(ENOSYS)) != std::string::npos) {
    EXPECT_EQ(*message, std::string("cannot open port direct:0x378: ") + std::strerror(ENOSYS) +
                            ". This system gives no direct port access (a container, or a kernel "
                            "without ioperm): use --port ppdev.");
    GTEST_SKIP() << "this system has no ioperm, so permission is never asked for";
  }
  EXPECT_EQ(*message, std::string("cannot open port direct:0x378: ") + std::strerror(EPERM) +
                          ". Direct port access needs root (CAP_SYS_RAWIO): run as root or use "
                          "--port ppdev.");
}

#endif

}  // namespace
