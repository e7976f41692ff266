// SPDX-License-Identifier: GPL-3.0-or-later
// File > New, Open, Save and Save As on real files, with the dialogs and message boxes scripted.
#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <cstdlib>
#include <optional>

#include "gui/resource_ids.h"
#include "platform/files.h"
#include "plover_fixture.h"
#include "ports/port_table.h"
#ifndef _WIN32
#include "tests/support/full_disk.h"
#include "tests/support/no_file_growth.h"
#endif

namespace {

using shell::MessageIcon;

// Holds a file the way another program that opened it without sharing would.
class ForeignHolder {
 public:
  explicit ForeignHolder(const QString& path)
      : fd_(platform::OpenFile(path.toStdString(), O_RDONLY)) {
    locked_ = fd_ >= 0 && platform::TryLockExclusive(fd_) == platform::Lock::Taken;
  }
  ~ForeignHolder() {
    if (fd_ >= 0) ::close(fd_);
  }
  ForeignHolder(const ForeignHolder&) = delete;
  ForeignHolder& operator=(const ForeignHolder&) = delete;
  [[nodiscard]] bool Locked() const { return locked_; }

 private:
  int fd_;
  bool locked_ = false;
};

class FileCommandsTest : public PloverTest {
 protected:
  void ExpectOneFileError(const QString& text) {
    ExpectOneMessageBox(text, QStringLiteral("plover"), MessageIcon::Exclamation);
  }
};

TEST_F(FileCommandsTest, OpenAsksForAnExistingDataFileAndShowsIt) {
  const QString path = WriteFile("full.dat", Pattern(128, 0x40));
  OpenThroughDialog(path);

  ASSERT_EQ(prompts_.file_dialogs.size(), 1u);
  const auto& dialog = prompts_.file_dialogs[0];
  EXPECT_TRUE(dialog.open_dialog);
  EXPECT_TRUE(dialog.filter.startsWith(QStringLiteral("Data files (*.dat)|*.dat|")));
  EXPECT_EQ(dialog.default_extension, QString());  // the name is opened as typed
  EXPECT_EQ(dialog.initial_name, QStringLiteral("*.dat"));
  EXPECT_EQ(dialog.flags, shell::kHideReadOnly | shell::kFileMustExist);

  EXPECT_EQ(ImageBytes(), Pattern(128, 0x40));
  EXPECT_EQ(App().CurrentFileName, path);
  EXPECT_EQ(Caption(), path + " - PLOVER");
  EXPECT_TRUE(prompts_.message_boxes.empty());
}

TEST_F(FileCommandsTest, ShortFileReplacesOnlyItsLeadingBytes) {
  OpenThroughDialog(WriteFile("full.dat", Pattern(128, 0x40)));
  const QString short_path = WriteFile("short.dat", Pattern(10, 0xA0));
  OpenThroughDialog(short_path);
  EXPECT_EQ(ImageBytes(), Pattern(10, 0xA0) + Pattern(128, 0x40).mid(10));
  EXPECT_EQ(Caption(), short_path + " - PLOVER");
}

TEST_F(FileCommandsTest, LongFileGivesOnlyItsFirst128Bytes) {
  OpenThroughDialog(WriteFile("long.dat", Pattern(200, 7)));
  EXPECT_EQ(ImageBytes(), Pattern(128, 7));
}

TEST_F(FileCommandsTest, CancelledOpenChangesNothing) {
  prompts_.AnswerFileDialog(std::nullopt);
  RunCommand(shell::ID_FILE_OPEN);
  EXPECT_EQ(Caption(), QStringLiteral("Untitled - PLOVER"));
  EXPECT_TRUE(App().CurrentFileName.isEmpty());
}

struct OpenFailure {
  const char* name;
  QString (*make)(const PloverTest&);  // the path to open
  const char* text;                    // with %1 for the path
};

void PrintTo(const OpenFailure& failure, std::ostream* out) { *out << failure.name; }

class OpenFailureTest : public FileCommandsTest,
                        public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(OpenFailureTest, ReportsTheCauseAndKeepsImageNameAndCaption) {
  const QString first = WriteFile("first.dat", Pattern(128, 1));
  OpenThroughDialog(first);
  const QString path = GetParam().make(*this);

  OpenThroughDialog(path);

  ExpectOneFileError(QString::fromUtf8(GetParam().text).arg(path));
  EXPECT_EQ(ImageBytes(), Pattern(128, 1));
  EXPECT_EQ(Caption(), first + " - PLOVER");
  // A later Save still goes to the file that was read, not to the one that could not be.
  EXPECT_EQ(App().CurrentFileName, first);
}

INSTANTIATE_TEST_SUITE_P(
    Causes, OpenFailureTest,
    ::testing::Values(
        OpenFailure{"Missing", [](const PloverTest& t) { return t.PathOf("missing.dat"); },
                    "%1 was not found."},
        OpenFailure{"UnderAFile",  // a path that cannot be opened: a file used as a folder
                    [](const PloverTest& t) {
                      return t.WriteFile("plain.dat", "x") + QStringLiteral("/inner.dat");
                    },
#ifdef _WIN32  // Windows tells a file used as a folder from no folder at all no more than that
                    "%1 was not found."},
#else
                    "%1 contains an invalid path."},
#endif
        OpenFailure{"Directory",
                    [](const PloverTest& t) {
                      QDir(t.PathOf("")).mkdir("folder.dat");
                      return t.PathOf("folder.dat");
                    },
                    "Access to %1 was denied."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileCommandsTest, FileHeldByAnotherProgramIsASharingViolation) {
  const QString path = WriteFile("held.dat", Pattern(128, 9));
  ForeignHolder holder(path);
  ASSERT_TRUE(holder.Locked());
  OpenThroughDialog(path);
  ExpectOneFileError("A sharing violation occurred while accessing " + path + ".");
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\0'));
  EXPECT_EQ(Caption(), QStringLiteral("Untitled - PLOVER"));
}

TEST_F(FileCommandsTest, NewAfterOpenClearsTheImageAndKeepsTheName) {
  const QString path = WriteFile("full.dat", Pattern(128, 0x40));
  OpenThroughDialog(path);
  RunCommand(shell::ID_FILE_NEW);
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\0'));
  EXPECT_EQ(Caption(), path + " - PLOVER");
  // Save then overwrites the opened file with zeros, without a dialog or a question.
  RunCommand(shell::ID_FILE_SAVE);
  EXPECT_EQ(ReadFile(path), QByteArray(128, '\0'));
  EXPECT_EQ(prompts_.file_dialogs.size(), 1u);
  EXPECT_TRUE(prompts_.message_boxes.empty());
}

TEST_F(FileCommandsTest, SaveBeforeAnyOpenIsSaveAs) {
  App().EepromImage.fill(0x5A);
  const QString path = PathOf("new.dat");
  prompts_.AnswerFileDialog(path);
  RunCommand(shell::ID_FILE_SAVE);
  ASSERT_EQ(prompts_.file_dialogs.size(), 1u);
  EXPECT_TRUE(prompts_.file_dialogs[0].open_dialog);
  EXPECT_EQ(prompts_.file_dialogs[0].flags, unsigned{shell::kHideReadOnly});
  EXPECT_EQ(prompts_.file_dialogs[0].default_extension, QStringLiteral("dat"));
  EXPECT_EQ(ReadFile(path), QByteArray(128, '\x5A'));
  EXPECT_EQ(App().CurrentFileName, path);
  EXPECT_EQ(Caption(), path + " - PLOVER");
}

TEST_F(FileCommandsTest, SaveAsReplacesAnExistingFileWithoutAsking) {
  const QString path = WriteFile("old.dat", Pattern(300, 3));
  App().EepromImage.fill(0x11);
  prompts_.AnswerFileDialog(path);
  RunCommand(shell::ID_FILE_SAVE_AS);
  EXPECT_EQ(ReadFile(path), QByteArray(128, '\x11'));
  EXPECT_TRUE(prompts_.message_boxes.empty());
  // Save writes there from now on without a dialog.
  App().EepromImage.fill(0x22);
  RunCommand(shell::ID_FILE_SAVE);
  EXPECT_EQ(ReadFile(path), QByteArray(128, '\x22'));
  EXPECT_EQ(prompts_.file_dialogs.size(), 1u);
}

TEST_F(FileCommandsTest, FailedSaveAsWithoutANameLeavesAnEmptyTitle) {
  const QString path = PathOf("no-such-folder/x.dat");
  prompts_.AnswerFileDialog(path);
  RunCommand(shell::ID_FILE_SAVE_AS);
  ExpectOneFileError(path + " was not found.");
  EXPECT_TRUE(App().CurrentFileName.isEmpty());
  EXPECT_EQ(Caption(), QStringLiteral(" - PLOVER"));
}

TEST_F(FileCommandsTest, FailedSaveAsWithANameShowsThatName) {
  const QString first = WriteFile("first.dat", Pattern(128, 1));
  OpenThroughDialog(first);
  Doc().SetTitle("Something else");
  QDir(PathOf("")).mkdir("folder.dat");
  prompts_.AnswerFileDialog(PathOf("folder.dat"));
  RunCommand(shell::ID_FILE_SAVE_AS);
  ExpectOneFileError("Access to " + PathOf("folder.dat") + " was denied.");
  EXPECT_EQ(App().CurrentFileName, first);
  EXPECT_EQ(Caption(), first + " - PLOVER");
}

TEST_F(FileCommandsTest, WriteThatFailsIsReportedAndNotTakenAsSaved) {
  const QString full = QStringLiteral("/dev/full");  // every write fails: no space left
  if (!QFile::exists(full)) GTEST_SKIP() << "this system has no /dev/full";
  prompts_.AnswerFileDialog(full);
  RunCommand(shell::ID_FILE_SAVE_AS);
  ExpectOneFileError("Disk full while accessing /dev/full.");
  EXPECT_TRUE(App().CurrentFileName.isEmpty());
  EXPECT_EQ(Caption(), QStringLiteral(" - PLOVER"));
}

#ifndef _WIN32  // a full tmpfs or the file-size limit (ulimit -f)
// Save As to a new name on a full disk (a full tmpfs where the test may mount one, else no file
// may grow) fails as the disk being full, and leaves no empty file under that name.
TEST_F(FileCommandsTest, FailedSaveOfANewFileLeavesNoFile) {
  const test_support::FullDisk disk(PathOf("full").toStdString());
  std::optional<test_support::NoFileGrowth> no_growth;
  if (!disk.Mounted()) no_growth.emplace();
  const QString path = PathOf("full/new.dat");
  prompts_.AnswerFileDialog(path);
  RunCommand(shell::ID_FILE_SAVE_AS);
  no_growth.reset();
  ExpectOneFileError("Disk full while accessing " + path + ".");
  EXPECT_FALSE(QFile::exists(path));
  EXPECT_TRUE(App().CurrentFileName.isEmpty());
}
#endif

TEST_F(FileCommandsTest, SaveToAHeldFileLeavesItsContents) {
  const QString path = WriteFile("held.dat", Pattern(128, 9));
  OpenThroughDialog(path);
  App().EepromImage.fill(0);
  ForeignHolder holder(path);
  ASSERT_TRUE(holder.Locked());
  RunCommand(shell::ID_FILE_SAVE);
  ExpectOneFileError("A sharing violation occurred while accessing " + path + ".");
  EXPECT_EQ(ReadFile(path), Pattern(128, 9));
}

// A run with a trace: the trace is held locked while it is open, as a board holds its file, so
// Save naming it is refused as a held file and the trace keeps what it recorded.
class TracedFileCommandsTest : public FileCommandsTest {
 public:
  plover::StartOptions Options() const override {
    plover::StartOptions options;
    options.bus.port = *ports::ParsePortSpec("sim").spec;
    options.bus.trace_file = PathOf("trace.txt").toStdString();
    return options;
  }
};

TEST_F(TracedFileCommandsTest, SaveOverTheRunningTraceIsRefused) {
  RunCommand(plover::ID_TOOLS_UPLOAD);  // the first bus operation opens the trace
  const QString trace = PathOf("trace.txt");
  prompts_.AnswerFileDialog(trace);
  RunCommand(shell::ID_FILE_SAVE_AS);
  ExpectOneFileError("A sharing violation occurred while accessing " + trace + ".");
  app_.reset();  // the trace is written out as the program ends
  EXPECT_TRUE(ReadFile(trace).startsWith("# port trace of sim\n"))
      << ReadFile(trace).left(200).toStdString();
}

}  // namespace

#ifndef _WIN32  // srec_cat and srec_info are the Linux host's programs
// Intel HEX and S-record files through File > Open and Save As: a file that holds some addresses
// changes only those and says which; a faulty one is refused with its line, the image kept; Save
// As writes the whole image in the format of the name, which srec_cat reads back and whose header
// srec_info shows.
TEST_F(FileCommandsTest, RecordFilesOpenPartlyAndSaveWhole) {
  App().EepromImage.fill(0x11);
  // Addresses 2-3 and 16: three data records, then the end record.
  const QString partial = WriteFile("part.hex", ":02000200ABCD84\n:0100100042AD\n:00000001FF\n");
  OpenThroughDialog(partial);
  QByteArray expected(128, '\x11');
  expected[2] = '\xAB';
  expected[3] = '\xCD';
  expected[16] = '\x42';
  EXPECT_EQ(ImageBytes(), expected);
  EXPECT_EQ(Caption(), partial + " - PLOVER");
  ExpectOneMessageBox(partial +
                          " held addresses 2-3 and 16; the other addresses of the image are "
                          "unchanged.",
                      QStringLiteral("plover"), MessageIcon::Information);

  prompts_.message_boxes.clear();
  const QString faulty = WriteFile("bad.s19", "S1050000AABB00\nS9030000FC\n");
  OpenThroughDialog(faulty);
  ExpectOneFileError(faulty + " line 1: checksum is 0x00, the record's bytes make 0x95");
  EXPECT_EQ(ImageBytes(), expected);
  EXPECT_EQ(App().CurrentFileName, partial);

  const QString saved = PathOf("whole.srec");
  prompts_.AnswerFileDialog(saved);
  RunCommand(shell::ID_FILE_SAVE_AS);
  const QString binary = PathOf("whole.bin");
  ASSERT_EQ(std::system(("srec_cat " + saved + " -o " + binary + " -binary").toLocal8Bit()), 0);
  EXPECT_EQ(ReadFile(binary), expected);
  // The header names the program that wrote the file.
  const QString header = PathOf("header.txt");
  ASSERT_EQ(std::system(("srec_info " + saved + " > " + header).toLocal8Bit()), 0);
  EXPECT_TRUE(ReadFile(header).contains("Header: \"plover\"")) << ReadFile(header).toStdString();
  EXPECT_EQ(App().CurrentFileName, saved);
}
#endif
