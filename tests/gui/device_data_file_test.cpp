// SPDX-License-Identifier: GPL-3.0-or-later
// Character devices as data files, on each path that reads one: 30p --verify, 30p's menu entry 4
// and plover's File > Open. A device that never ends (the terminal end of a pseudo-terminal that
// nobody types into) is given up after 2 s with the path's own failure, and nothing changes; so is
// one that refuses the read (the kernel log); /dev/null (ends at once) and /dev/zero (never short
// of bytes) are read as before.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QProcess>
#include <array>
#include <cerrno>
#include <ostream>
#include <string>

#include "plover_fixture.h"

namespace {

// The terminal end of a pseudo-terminal whose other end the test holds open and never writes to.
class EndlessDevice {
 public:
  EndlessDevice() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    std::array<char, 128> name{};
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0 &&
        ::ptsname_r(master_, name.data(), name.size()) == 0) {
      name_ = QString::fromUtf8(name.data());
    }
  }
  ~EndlessDevice() {
    if (master_ >= 0) ::close(master_);
  }
  EndlessDevice(const EndlessDevice&) = delete;
  EndlessDevice& operator=(const EndlessDevice&) = delete;
  [[nodiscard]] const QString& Name() const { return name_; }

 private:
  int master_;
  QString name_;
};

// Whether a read of 128 bytes from the device fails with EINVAL, as the kernel log's does when
// its next record is longer.
bool RefusesShortReads(const QString& device) {
  const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  std::array<char, 128> room{};
  const bool refused = ::read(fd, room.data(), room.size()) < 0 && errno == EINVAL;
  ::close(fd);
  return refused;
}

enum class Reader { BatchVerify, MenuEntry4, PloverOpen };

struct Case {
  const char* name;
  Reader reader;
  const char* device;   // empty: the device that never ends
  int exit_status;      // 30p's; plover keeps running
  const char* message;  // what the reader reports, "%1" for the device; empty: nothing
  bool zeroed;          // the image afterwards: all zero bytes, or else the image kept
};

void PrintTo(const Case& test, std::ostream* os) { *os << test.name; }

// What a read left: 30p's exit status, the report, and the image afterwards (for --verify the
// board's EEPROM).
struct Outcome {
  int exit_status = 0;
  QString message;
  QByteArray image;
};

class DeviceDataFileTest : public PloverTest, public ::testing::WithParamInterface<Case> {
 protected:
  // Runs 30p in the test's folder with `input` on its standard input. A batch run reports on
  // standard error; the menu says "Open failed".
  Outcome Run30p(const QStringList& arguments, const QByteArray& input, const QString& image) {
    QProcess process;
    process.setWorkingDirectory(dir_.path());
    process.start(QStringLiteral(PLOVER_30P_PROGRAM), arguments);
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(30000)) << "30p did not end";
    const bool open_failed = process.readAllStandardOutput().contains("\nOpen failed\n");
    return {process.exitCode(),
            open_failed ? QStringLiteral("Open failed")
                        : QString::fromUtf8(process.readAllStandardError()).trimmed(),
            ReadFile(PathOf(image))};
  }

  // The title and the current file stay when the open fails, and become the device otherwise.
  Outcome PloverOpen(const QString& device) {
    const QString before = App().CurrentFileName;
    OpenThroughDialog(device);
    const QString message =
        prompts_.message_boxes.empty() ? QString() : prompts_.message_boxes.front().text;
    const QString current = message.isEmpty() ? device : before;
    EXPECT_EQ(prompts_.message_boxes.size(), message.isEmpty() ? 0u : 1u);
    EXPECT_EQ(App().CurrentFileName, current);
    EXPECT_EQ(Caption(), current + " - PLOVER");
    return {0, message, ImageBytes()};
  }

  Outcome Read(const QString& device) {
    switch (GetParam().reader) {
      case Reader::BatchVerify:
        return Run30p({"--port", "sim:board.bin", "--verify", device}, {}, "board.bin");
      case Reader::MenuEntry4:  // entry 3 then saves the image that entry 4 left
        return Run30p({"--port", "sim"}, "\n4\n" + device.toUtf8() + "\n3\nafter.dat\n9\n",
                      "after.dat");
      case Reader::PloverOpen:
        return PloverOpen(device);
    }
    return {};
  }
};

TEST_P(DeviceDataFileTest, EndsWithinTheBoundAndChangesNothingOnFailure) {
  const Case& test = GetParam();
  const EndlessDevice endless;
  ASSERT_FALSE(endless.Name().isEmpty()) << "no pseudo-terminal";
  const QString device = *test.device != '\0' ? QString::fromUtf8(test.device) : endless.Name();
  if (device == QStringLiteral("/dev/kmsg") && !RefusesShortReads(device)) {
    GTEST_SKIP() << "/dev/kmsg cannot be read here, or gives records of 128 bytes";
  }
  // The image every path starts from: the board's EEPROM, 30p.dat and the file plover shows.
  const QByteArray image = Pattern(128, 0x40);
  for (const char* name : {"board.bin", "30p.dat"}) WriteFile(QString::fromUtf8(name), image);
  OpenThroughDialog(WriteFile(QStringLiteral("image.dat"), image));

  const Outcome outcome = Read(device);
  EXPECT_EQ(outcome.exit_status, test.exit_status);
  EXPECT_EQ(outcome.message, QString::fromUtf8(test.message).replace(QStringLiteral("%1"), device));
  EXPECT_EQ(outcome.image, test.zeroed ? QByteArray(128, '\0') : image);
}

INSTANTIATE_TEST_SUITE_P(
    Readers, DeviceDataFileTest,
    ::testing::Values(
        Case{"BatchVerifyNeverEnds", Reader::BatchVerify, "", 1,
             "30p: cannot read %1: it is a device that did not end within 2 s", false},
        Case{"MenuEntry4NeverEnds", Reader::MenuEntry4, "", 0, "Open failed", false},
        Case{"PloverOpenNeverEnds", Reader::PloverOpen, "", 0,
             "cannot read %1: it is a device that did not end within 2 s", false},
        Case{"PloverOpenKernelLog", Reader::PloverOpen, "/dev/kmsg", 0,
             "cannot read %1: Invalid argument", false},
        Case{"MenuEntry4DevNull", Reader::MenuEntry4, "/dev/null", 0, "", false},
        Case{"PloverOpenDevZero", Reader::PloverOpen, "/dev/zero", 0, "", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
