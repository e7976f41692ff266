// SPDX-License-Identifier: GPL-3.0-or-later
// What plover takes as a data file, the same for every way a file reaches it: the FILE of the
// command line, File > Open, File > Save As and the program-defaults command. A regular file or a
// character device (/dev/null) is a data file; a directory, a pipe or a socket is refused at once
// with "Access to %1 was denied.", and nothing changes.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "ports/port_spec.h"
#include "gui/resource_ids.h"
#include "plover_fixture.h"
#include "ports/port_table.h"

namespace {

enum class Kind { RegularFile, CharacterDevice, Directory, Pipe, Socket };
enum class Way { CommandLine, Open, SaveAs, ProgramDefaults };

struct Case {
  Kind kind;
  Way way;
};

std::string CaseName(const Case& c) {
  static const char* const kKinds[] = {"RegularFile", "CharacterDevice", "Directory", "Pipe",
                                       "Socket"};
  static const char* const kWays[] = {"CommandLine", "Open", "SaveAs", "ProgramDefaults"};
  return std::string(kKinds[static_cast<int>(c.kind)]) + "By" + kWays[static_cast<int>(c.way)];
}

void PrintTo(const Case& c, std::ostream* out) { *out << CaseName(c); }

// Every case works on "default.dat" in the test's folder, which is the current directory while
// the case runs, so program defaults finds it by its bare name.
const QString kName = QStringLiteral("default.dat");

bool MakeUnixSocket(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (static_cast<std::size_t>(native.size()) >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return false;
  const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);  // the socket's name stays in the folder
  return bound;
}

bool MakeOfKind(Kind kind, const QString& path) {
  switch (kind) {
    case Kind::RegularFile: {
      QFile file(path);
      return file.open(QIODevice::WriteOnly) && file.write(PloverTest::Pattern(128, 0x40)) == 128;
    }
    case Kind::CharacterDevice:
      return QFile::link(QStringLiteral("/dev/null"), path);
    case Kind::Directory:
      return QDir().mkdir(path);
    case Kind::Pipe:
      return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case Kind::Socket:
      return MakeUnixSocket(path);
  }
  return false;
}

class DataFileKindTest : public PloverTest, public ::testing::WithParamInterface<Case> {
 public:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    previous_dir_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    ASSERT_TRUE(MakeOfKind(GetParam().kind, kName));
    PloverTest::SetUp();
  }
  void TearDown() override {
    PloverTest::TearDown();
    QDir::setCurrent(previous_dir_);
  }
  plover::StartOptions Options() const override {
    plover::StartOptions options;
    options.bus = {*ports::ParsePortSpec("sim").spec, {}, bus::TimingPolicy::Windowed};
    // Named as a user in that folder would name it: relative to the current directory.
    if (GetParam().way == Way::CommandLine) options.file = kName;
    return options;
  }

 private:
  QString previous_dir_;
};

TEST_P(DataFileKindTest, DataFilesAreTakenAndAnythingElseIsRefused) {
  const auto [kind, way] = GetParam();
  const QString path = QDir::currentPath() + u'/' + kName;
  // The name the command goes by: program defaults keeps the bare name, the others the full path
  // (for the command line's FILE too, though it was given relative).
  const QString named = way == Way::ProgramDefaults ? kName : path;
  switch (way) {
    case Way::CommandLine:  // opened at start-up
      break;
    case Way::Open:
      OpenThroughDialog(path);
      break;
    case Way::SaveAs:
      App().EepromImage.fill(0x5A);
      prompts_.AnswerFileDialog(path);
      RunCommand(shell::ID_FILE_SAVE_AS);
      break;
    case Way::ProgramDefaults:
      RunCommand(plover::ID_PROGRAM_DEFAULTS);
      break;
  }
  const QByteArray before(128, way == Way::SaveAs ? '\x5A' : '\0');

  if (kind == Kind::RegularFile || kind == Kind::CharacterDevice) {
    EXPECT_TRUE(prompts_.message_boxes.empty());
    EXPECT_EQ(App().CurrentFileName, named);
    EXPECT_EQ(Caption(), named + " - PLOVER");
    if (kind == Kind::RegularFile && way == Way::SaveAs) {
      EXPECT_EQ(ReadFile(path), before);
    } else if (kind == Kind::RegularFile) {
      EXPECT_EQ(ImageBytes(), Pattern(128, 0x40));
    } else {
      EXPECT_EQ(ImageBytes(), before);  // /dev/null gives nothing to read
    }
    return;
  }
  ASSERT_EQ(prompts_.message_boxes.size(), 1u);
  EXPECT_EQ(prompts_.message_boxes[0].text, "Access to " + named + " was denied.");
  EXPECT_EQ(prompts_.message_boxes[0].caption, QStringLiteral("plover"));
  EXPECT_EQ(ImageBytes(), before);
  EXPECT_EQ(App().CurrentFileName, way == Way::ProgramDefaults ? kName : QString());
  // A failed Save As shows the (still empty) current file name; the others keep the title.
  EXPECT_EQ(Caption(),
            way == Way::SaveAs ? QStringLiteral(" - PLOVER") : QStringLiteral("Untitled - PLOVER"));
  struct stat info {};
  ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0);
  EXPECT_FALSE(S_ISREG(info.st_mode)) << "replaced by a file";
}

std::vector<Case> AllCases() {
  std::vector<Case> cases;
  for (Kind kind :
       {Kind::RegularFile, Kind::CharacterDevice, Kind::Directory, Kind::Pipe, Kind::Socket}) {
    for (Way way : {Way::CommandLine, Way::Open, Way::SaveAs, Way::ProgramDefaults}) {
      cases.push_back({kind, way});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(KindsAndWays, DataFileKindTest, ::testing::ValuesIn(AllCases()),
                         [](const auto& info) { return CaseName(info.param); });

}  // namespace
