// SPDX-License-Identifier: GPL-3.0-or-later
// Pieces of the shell layer on their own: strings, captions, file filters, settings, raw files.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>  // mkfifo
#endif

#include <QFile>
#include <QFileDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <utility>

#include "gui/resources.h"
#include "gui/shell/frame_window.h"
#include "gui/shell/raw_file.h"
#include "gui/shell/recent_files.h"
#include "gui/shell/string_table.h"
#include "gui/shell/user_prompts.h"
#include "image_files/image_format.h"

namespace {

using namespace shell;

TEST(StringTableTest, HoldsTheProgramsStrings) {
  const StringTable& strings = plover::StringResources();
  EXPECT_EQ(strings.Load(128), QStringLiteral("PLOVER"));
  EXPECT_EQ(strings.Load(57344), QStringLiteral("plover"));
  EXPECT_EQ(strings.Load(61204), QStringLiteral("PLOVER"));
  EXPECT_EQ(strings.Load(61443), QStringLiteral("Untitled"));
  EXPECT_FALSE(strings.Contains(1));
  EXPECT_TRUE(strings.Load(1).isEmpty());
}

TEST(FrameCaptionTest, TitleDashFrameTitleShownLiterally) {
  EXPECT_EQ(FrameCaption("Untitled", "PLOVER"), QStringLiteral("Untitled - PLOVER"));
  EXPECT_EQ(FrameCaption("", "PLOVER"), QStringLiteral(" - PLOVER"));
  // "[*]" in a file name is doubled so that the window system shows it instead of dropping it.
  EXPECT_EQ(FrameCaption("/d/a[*].dat", "PLOVER"), QStringLiteral("/d/a[*][*].dat - PLOVER"));
  FrameWindow frame(QStringLiteral("PLOVER"));
  frame.setWindowTitle(FrameCaption("/d/a[*].dat", "PLOVER"));
  EXPECT_EQ(frame.windowTitle(), QStringLiteral("/d/a[*][*].dat - PLOVER"));
}

TEST(FileFilterTest, DataFileFilterInBothFormsAndEachPatternNamesItsFormat) {
  const QString filter = QString::fromUtf8(plover::kDataFileFilter);
  const auto entries = ParseFileFilter(filter);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0], (FileFilterEntry{"Data files (*.dat)", {"*.dat"}}));
  EXPECT_EQ(entries[3], (FileFilterEntry{"All files (*.*)", {"*.*"}}));
  EXPECT_EQ(QtNameFilters(filter),
            (QStringList{"Data files (*.dat)", "Intel HEX (*.hex *.ihex *.ihx)",
                         "S-record (*.srec *.s19 *.s28 *.s37 *.mot)", "All files (*)"}));
  // Every pattern offered under a format is a name the file library reads in that format.
  using image_files::ImageFormat;
  for (const auto& [entry, format] : {std::pair{entries[0], ImageFormat::Raw},
                                      {entries[1], ImageFormat::IntelHex},
                                      {entries[2], ImageFormat::SRecord}}) {
    for (const QString& pattern : entry.patterns) {
      EXPECT_EQ(image_files::FormatFromFileName(("board" + pattern.mid(1)).toStdString()), format)
          << pattern.toStdString();
    }
  }
  // A typed name without an extension gets the chosen filter's first one.
  for (const auto& [chosen, suffix] : {std::pair{"Intel HEX (*.hex *.ihex *.ihx)", "hex"},
                                       {"S-record (*.srec *.s19)", "srec"},
                                       {"Data files (*.dat)", "dat"},
                                       {"All files (*)", "dat"},
                                       {"no parentheses", "dat"}}) {
    EXPECT_EQ(SuffixOfNameFilter(QString::fromUtf8(chosen), QStringLiteral("dat")),
              QString::fromUtf8(suffix))
        << chosen;
  }
}

// The real dialog offers every filter, "All files" last; a typed name gets the chosen filter's
// extension only where the request has a default one (Save As), never when opening.
TEST(FileFilterTest, OnlyADialogWithADefaultExtensionAddsOne) {
  for (const char* extension : {"", "dat"}) {
    QFileDialog dialog;
    FileDialogRequest request;
    request.filter = QString::fromUtf8(plover::kDataFileFilter);
    request.default_extension = QString::fromUtf8(extension);
    PrepareFileDialog(dialog, request);
    EXPECT_EQ(dialog.nameFilters(), QtNameFilters(QString::fromUtf8(plover::kDataFileFilter)));
    EXPECT_EQ(dialog.defaultSuffix(), QString::fromUtf8(extension));
    emit dialog.filterSelected(QStringLiteral("Intel HEX (*.hex *.ihex *.ihx)"));
    EXPECT_EQ(dialog.defaultSuffix(), *extension == '\0' ? QString() : QStringLiteral("hex"));
  }
}

TEST(RecentFileListTest, KeepsFourMostRecentFirstAcrossRuns) {
  const QString organisation = QStringLiteral("plover tests");
  const QString application = QStringLiteral("recent files");
  QSettings(organisation, application).clear();
  RecentFileList list(4);
  for (const char* path : {"/a", "/b", "/c", "/d", "/e", "/c"}) list.Add(QString::fromUtf8(path));
  EXPECT_EQ(list.Entries(), (QStringList{"/c", "/e", "/d", "/b"}));
  list.Save(organisation, application);

  RecentFileList loaded(4);
  loaded.Load(organisation, application);
  EXPECT_EQ(loaded.Entries(), list.Entries());
  EXPECT_EQ(QSettings(organisation, application).value("Recent File List/File1").toString(),
            QStringLiteral("/c"));
  QSettings(organisation, application).clear();
}

TEST(RawFileTest, ReplaceWritesFromTheStartAndCutsTheRest) {
  QTemporaryDir dir;
  const QString path = dir.filePath("f.dat");
  {
    QFile seed(path);
    ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
    seed.write(QByteArray(300, 'x'));
  }
  RawFile file;
  ASSERT_FALSE(file.OpenForWriting(path).has_value());
  const std::uint8_t bytes[3] = {1, 2, 3};
  EXPECT_FALSE(file.Replace(bytes).has_value());
  EXPECT_FALSE(file.Close().has_value());
  QFile check(path);
  ASSERT_TRUE(check.open(QIODevice::ReadOnly));
  EXPECT_EQ(check.readAll(), QByteArray("\x01\x02\x03", 3));
}

TEST(RawFileTest, SecondHolderGetsASharingViolation) {
  QTemporaryDir dir;
  const QString path = dir.filePath("f.dat");
  RawFile first;
  ASSERT_FALSE(first.OpenForWriting(path).has_value());
  RawFile second;
  const auto error = second.OpenForReading(path);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->cause, FileErrorCause::SharingViolation);
  EXPECT_FALSE(second.IsOpen());
  first.Close();
  EXPECT_FALSE(second.OpenForReading(path).has_value());
}

#ifndef _WIN32  // a FIFO in the file system, which Windows does not have
TEST(RawFileTest, PipeWithNobodyAtTheOtherEndIsRefusedWithoutWaiting) {
  QTemporaryDir dir;
  const QString path = dir.filePath("pipe.dat");
  ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
  RawFile reader;
  const auto read_error = reader.OpenForReading(path);
  ASSERT_TRUE(read_error.has_value());
  EXPECT_EQ(read_error->cause, FileErrorCause::AccessDenied);
  EXPECT_FALSE(reader.IsOpen());
  RawFile writer;
  const auto write_error = writer.OpenForWriting(path);
  ASSERT_TRUE(write_error.has_value());
  EXPECT_EQ(write_error->cause, FileErrorCause::AccessDenied);
}
#endif

}  // namespace
