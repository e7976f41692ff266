// SPDX-License-Identifier: GPL-3.0-or-later
// --list-ports on a machine made of folders: parallel ports with their direct addresses, I2C
// adapters with the names sysfs gives them, in number order, and what to do when there are none.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ports/port_listing.h"
#include "tests/support/test_files.h"

namespace {

void Make(const std::string& path, const std::string& contents = "") {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path) << contents;
}

TEST(PortListingTest, ListsEachPortWithTheValueThatSelectsIt) {
  ports_test::ScratchDirectory machine;
  const ports::SystemRoots roots{machine.File("dev"), machine.File("sys"), machine.File("proc")};
  Make(roots.dev + "/parport0");
  Make(roots.proc + "/sys/dev/parport/parport0/base-addr", "888\t1912\n");
  Make(roots.dev + "/i2c-10");
  Make(roots.dev + "/i2c-1");
  Make(roots.dev + "/i2c-x");  // not an adapter's node
  // Numbers no port can have are left out: nodes past an int, an address past 0xFFFD.
  Make(roots.dev + "/i2c-99999999999");
  Make(roots.dev + "/parport4294967296");
  Make(roots.dev + "/parport1");
  Make(roots.proc + "/sys/dev/parport/parport1/base-addr", "99999999999999999999999\n");
  Make(roots.sys + "/class/i2c-dev/i2c-1/name", "i2c-tiny-usb at bus 001 device 005\n");

  const std::vector<ports::ListedPort> ports = ports::FindPorts(roots);
  std::vector<std::string> specs;
  for (const ports::ListedPort& port : ports) specs.push_back(port.spec);
  EXPECT_EQ(specs, (std::vector<std::string>{"ppdev:" + roots.dev + "/parport0", "direct:0x378",
                                             "ppdev:" + roots.dev + "/parport1",
                                             "i2c:" + roots.dev + "/i2c-1",
                                             "i2c:" + roots.dev + "/i2c-10", "sim[:FILE]"}));
  EXPECT_EQ(ports[3].description, "i2c-tiny-usb at bus 001 device 005");
  EXPECT_EQ(ports[4].description, "I2C adapter 10");
  EXPECT_EQ(ports[0].access, "you may open it");
  EXPECT_EQ(ports[1].access, ::geteuid() == 0 ? "you may open it" : "needs root (CAP_SYS_RAWIO)");

  const std::string text = ports::PortListing(ports);
  // Each port on a line of its own: the value for --port, what it is, whether it may be opened,
  // in columns that start at the same place on every line.
  const std::string line = "  i2c:" + roots.dev + "/i2c-1";
  const std::size_t at = text.find("\n" + line + " ");
  ASSERT_NE(at, std::string::npos) << text;
  const std::string row = text.substr(at + 1, text.find('\n', at + 1) - at - 1);
  EXPECT_EQ(row.find("i2c-tiny-usb at bus 001 device 005"),
            text.find("parallel port parport0") - text.find("  ppdev:"))
      << text;
  EXPECT_TRUE(row.ends_with("  you may open it")) << row;
  EXPECT_EQ(text.find("No parallel port"), std::string::npos);
  EXPECT_EQ(text.find("No I2C adapter"), std::string::npos);
}

TEST(PortListingTest, AMachineWithoutPortsSaysHowToGetThem) {
  ports_test::ScratchDirectory machine;
  const std::string text =
      ports::PortListing(ports::FindPorts({machine.File("dev"), machine.File("sys"), machine.File("proc")}));
  EXPECT_NE(text.find("  sim[:FILE]  the virtual board"), std::string::npos) << text;
  EXPECT_NE(text.find("No parallel port: there is no /dev/parport*"), std::string::npos) << text;
  EXPECT_NE(text.find("No I2C adapter: there is no /dev/i2c-*; plug one in and load the i2c-dev "
                      "module (modprobe i2c-dev)."),
            std::string::npos)
      << text;
}

}  // namespace
