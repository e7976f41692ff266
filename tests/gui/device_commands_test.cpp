// SPDX-License-Identifier: GPL-3.0-or-later
// The Tools commands and program defaults against a virtual board: what reaches the EEPROM, what
// comes back, the report of Verify, the boxes shown, and the current file name and title after
// each command; then every command on a board without an EEPROM.
#include <QAction>
#include <QDir>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <memory>

#include "gui/modify_dlg.h"
#include "gui/resource_ids.h"
#include "gui/verify_dlg.h"
#include "plover_fixture.h"
#include "ports/port_table.h"
#include "ports/sim/sim_port.h"
#include "recording_surface.h"

namespace {

using namespace plover;
using shell::MessageIcon;

const QString kCompleted = QStringLiteral(
    "Download is completed, please reset the switch for the new settings to take effect.");

bus::Image ImageFrom(const QByteArray& bytes) {
  bus::Image image{};
  for (qsizetype i = 0; i < bytes.size() && i < static_cast<qsizetype>(image.size()); ++i) {
    image[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bytes[i]);
  }
  return image;
}

class DeviceCommandsTest : public PloverTest {
 public:
  void SetUp() override {
    PloverTest::SetUp();
    if (HasFatalFailure()) return;
    auto port = std::make_unique<ports::SimPort>(
        std::make_unique<sim::VirtualBoard>(Board(), BoardContents()), "sim");
    port_ = port.get();
    App().SetBusConnection(
        std::make_unique<bus::BusConnection>(std::move(port), bus::TimingPolicy::Windowed));
    previous_dir_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
  }
  void TearDown() override {
    QDir::setCurrent(previous_dir_);
    PloverTest::TearDown();
  }

  // The board the commands talk to; override for another one.
  virtual sim::BoardOptions Board() const { return {}; }
  virtual bus::Image BoardContents() const { return ImageFrom(Pattern(128, 0x80)); }

  [[nodiscard]] const bus::Image& Eeprom() const { return port_->Board().EepromContents(); }

  // Runs Verify, answering its dialog with OK after recording what its paint handler draws.
  void RunVerify() {
    prompts_.OnModal([this](QDialog& dialog) {
      auto* verify = dynamic_cast<CVerifyDlg*>(&dialog);
      EXPECT_NE(verify, nullptr);
      if (verify != nullptr) {
        RecordingSurface surface({0, 0, dialog.width(), dialog.height()});
        verify->OnPaint(surface);
        drawn_ = surface.texts;
      }
      return shell::IDOK;
    });
    EXPECT_TRUE(RunCommand(ID_TOOLS_VERIFY));
  }

  // The texts the last verify dialog drew.
  [[nodiscard]] std::vector<VerifyText> Drawn() const {
    std::vector<VerifyText> texts;
    for (const auto& text : drawn_) texts.push_back({text.text, {text.box.left, text.box.top}});
    return texts;
  }

  [[nodiscard]] static std::vector<VerifyText> Pass() {
    return {{"PASS!", {80, 100}}, {"PASS!", {285, 100}}, {"PASS!", {490, 100}}};
  }

  ports::SimPort* port_ = nullptr;
  std::vector<DrawnText> drawn_;
  QString previous_dir_;
};

TEST_F(DeviceCommandsTest, UploadReadsTheEepromIntoTheImageAndTitlesItUpload) {
  App().EepromImage.fill(0x11);
  EXPECT_TRUE(RunCommand(ID_TOOLS_UPLOAD));
  EXPECT_EQ(App().EepromImage, BoardContents());
  EXPECT_EQ(Caption(), QStringLiteral("Upload - PLOVER"));
  EXPECT_TRUE(App().CurrentFileName.isEmpty());
  EXPECT_TRUE(prompts_.message_boxes.empty());
  EXPECT_TRUE(prompts_.modal_dialogs.empty());
  EXPECT_EQ(App().ReadBackImage, bus::Image{});
}

TEST_F(DeviceCommandsTest, UploadWithoutACurrentFileLeavesSaveAskingForAName) {
  EXPECT_TRUE(RunCommand(ID_TOOLS_UPLOAD));
  const QString path = PathOf("named.dat");
  prompts_.AnswerFileDialog(path);
  EXPECT_TRUE(RunCommand(shell::ID_FILE_SAVE));
  EXPECT_EQ(prompts_.file_dialogs.size(), 1u);
  EXPECT_EQ(ReadFile(path), Bytes(BoardContents()));
}

TEST_F(DeviceCommandsTest, UploadThenVerifyPasses) {
  EXPECT_TRUE(RunCommand(ID_TOOLS_UPLOAD));
  RunVerify();
  ASSERT_EQ(prompts_.modal_dialogs.size(), 1u);
  EXPECT_EQ(prompts_.modal_dialogs[0], QStringLiteral("Plover Verify"));
  EXPECT_EQ(App().ReadBackImage, BoardContents());
  EXPECT_EQ(Drawn(), Pass());
  EXPECT_TRUE(prompts_.message_boxes.empty());
}

TEST_F(DeviceCommandsTest, DownloadWritesTheImageAndSaysSo) {
  const QString previous = WriteFile("prev.dat", Pattern(128, 3));
  OpenThroughDialog(previous);
  EXPECT_TRUE(RunCommand(ID_TOOLS_DOWNLOAD));
  EXPECT_EQ(Bytes(Eeprom()), Pattern(128, 3));
  ASSERT_TRUE(ExpectOneMessageBox(kCompleted, QStringLiteral("PLOVER"), MessageIcon::Information));
  EXPECT_EQ(App().CurrentFileName, previous);
  EXPECT_EQ(Caption(), previous + " - PLOVER");
  EXPECT_EQ(ImageBytes(), Pattern(128, 3));
}

TEST_F(DeviceCommandsTest, DownloadThenVerifyComparesTheImageWithTheEeprom) {
  App().EepromImage = ImageFrom(Pattern(128, 0x21));
  EXPECT_TRUE(RunCommand(ID_TOOLS_DOWNLOAD));
  RunVerify();
  EXPECT_EQ(Drawn(), Pass());
  EXPECT_EQ(ImageBytes(), Pattern(128, 0x21));
  EXPECT_EQ(App().ReadBackImage, App().EepromImage);
  EXPECT_EQ(Caption(), QStringLiteral("Untitled - PLOVER"));
}

TEST_F(DeviceCommandsTest, VerifyAfterChangingOneByteShowsThatRow) {
  EXPECT_TRUE(RunCommand(ID_TOOLS_UPLOAD));
  App().EepromImage[42] = 0x3C;
  const auto read = static_cast<std::uint8_t>(BoardContents()[42]);
  RunVerify();
  const std::vector<VerifyText> expected{
      {"42", {40, 55}},
      {"3C", {105, 55}},
      {QStringLiteral("%1").arg(read, 2, 16, QLatin1Char('0')).toUpper(), {165, 55}}};
  EXPECT_EQ(Drawn(), expected);
  EXPECT_EQ(App().EepromImage[42], 0x3C);
  EXPECT_EQ(Caption(), QStringLiteral("Upload - PLOVER"));
}

TEST_F(DeviceCommandsTest, ABoardDifferingEverywhereShowsSixtyRowsAndCountsTheRest) {
  App().EepromImage = ImageFrom(Pattern(128, 0));  // the board holds 0x80 upwards: all differ
  RunVerify();
  const VerifyReport report = VerifyReportItems(App().EepromImage, App().ReadBackImage);
  EXPECT_EQ(report.mismatches, 128);
  ASSERT_EQ(drawn_.size(), 180u);
  EXPECT_EQ(Drawn(), report.texts);
  EXPECT_EQ(Drawn()[177], (VerifyText{"59", {450, 340}}));
  EXPECT_EQ(Drawn()[178], (VerifyText{"3B", {515, 340}}));
  EXPECT_EQ(Drawn()[179], (VerifyText{"BB", {575, 340}}));
}

TEST_F(DeviceCommandsTest, ASecondVerifyReadsAgainAndTheImageStays) {
  EXPECT_TRUE(RunCommand(ID_TOOLS_UPLOAD));
  RunVerify();
  EXPECT_EQ(Drawn(), Pass());
  App().EepromImage = ImageFrom(Pattern(128, 0x40));
  EXPECT_TRUE(RunCommand(ID_TOOLS_DOWNLOAD));
  App().EepromImage = ImageFrom(Pattern(128, 0x80));
  RunVerify();
  EXPECT_EQ(Bytes(App().ReadBackImage), Pattern(128, 0x40));
  EXPECT_EQ(ImageBytes(), Pattern(128, 0x80));
  EXPECT_EQ(drawn_.size(), 180u);
}

TEST_F(DeviceCommandsTest, VerifyTheRealDialogPaintsItsReportOnTheButtonFace) {
  EXPECT_TRUE(RunCommand(ID_TOOLS_UPLOAD));
  App().EepromImage[7] = 0x3C;
  QImage picture;
  QColor face;
  prompts_.OnModal([&](QDialog& dialog) {
    picture = dialog.grab().toImage();
    face = dialog.palette().color(QPalette::Button);
    return shell::IDOK;
  });
  EXPECT_TRUE(RunCommand(ID_TOOLS_VERIFY));
  ASSERT_FALSE(picture.isNull());
  // Ink in each of the row's three text cells, none where "PASS!" would be.
  auto ink = [&](int left, int top, int width, int height) {
    int dark = 0;
    for (int y = top; y < top + height; ++y) {
      for (int x = left; x < left + width; ++x) {
        if (qGray(picture.pixel(x, y)) < 100) ++dark;
      }
    }
    return dark;
  };
  EXPECT_GT(ink(40, 55, 20, 16), 0);
  EXPECT_GT(ink(105, 55, 20, 16), 0);
  EXPECT_GT(ink(165, 55, 20, 16), 0);
  EXPECT_EQ(ink(80, 100, 40, 16), 0);
  EXPECT_EQ(QColor(picture.pixel(40, 55)), face);
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

TEST_F(DeviceCommandsTest, ModifyWithOkStoresTheFieldsAndRepaintsTheGrid) {
  App().EepromImage.fill(0x10);
  prompts_.OnModal([](QDialog& dialog) {
    auto* modify = dynamic_cast<CModifyDlg*>(&dialog);
    EXPECT_NE(modify, nullptr);
    if (modify == nullptr) return shell::IDCANCEL;
    EXPECT_EQ(modify->parentWidget(), TheApp().MainWindow());
    modify->FieldEdits[5]->setText(QStringLiteral("ab"));
    qobject_cast<QPushButton*>(modify->Control(shell::IDOK))->click();
    return dialog.result();
  });
  PaintCounter counter(View().viewport());
  EXPECT_TRUE(RunCommand(ID_TOOLS_MODIFY));
  EXPECT_EQ(App().EepromImage[5], 0xAB);
  EXPECT_EQ(App().EepromImage[4], 0x10);
  EXPECT_GT(counter.paints, 0);
  EXPECT_EQ(Caption(), QStringLiteral("Untitled - PLOVER"));
  EXPECT_EQ(Eeprom(), BoardContents());
  EXPECT_TRUE(prompts_.message_boxes.empty());
}

TEST_F(DeviceCommandsTest, ModifyCancelledChangesAndRepaintsNothing) {
  App().EepromImage.fill(0x10);
  prompts_.OnModal([](QDialog& dialog) {
    auto* modify = dynamic_cast<CModifyDlg*>(&dialog);
    if (modify != nullptr) modify->FieldEdits[5]->setText(QStringLiteral("ab"));
    dialog.reject();
    return dialog.result();
  });
  PaintCounter counter(View().viewport());
  EXPECT_TRUE(RunCommand(ID_TOOLS_MODIFY));
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\x10'));
  EXPECT_EQ(counter.paints, 0);
}

// Program defaults, in a temporary current directory.
TEST_F(DeviceCommandsTest, ProgramDefaultsWithoutTheFileReportsItAndTakesTheName) {
  App().EepromImage.fill(0x55);
  EXPECT_TRUE(RunCommand(ID_PROGRAM_DEFAULTS));
  ASSERT_EQ(prompts_.message_boxes.size(), 1u);
  const auto& box = prompts_.message_boxes[0];
  EXPECT_EQ(box.text, QStringLiteral("default.dat was not found."));
  EXPECT_EQ(box.caption, QStringLiteral("plover"));
  EXPECT_EQ(box.icon, MessageIcon::Exclamation);
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\x55'));
  EXPECT_EQ(Eeprom(), BoardContents());
  EXPECT_EQ(Caption(), QStringLiteral("Untitled - PLOVER"));
  EXPECT_EQ(App().CurrentFileName, QStringLiteral("default.dat"));

  // Save now writes default.dat without asking.
  EXPECT_TRUE(RunCommand(shell::ID_FILE_SAVE));
  EXPECT_TRUE(prompts_.file_dialogs.empty());
  EXPECT_EQ(ReadFile(PathOf("default.dat")), QByteArray(128, '\x55'));
}

TEST_F(DeviceCommandsTest, ProgramDefaultsWithAShortFileKeepsTheRestAndWritesAll) {
  WriteFile("default.dat", Pattern(100, 0x01));
  App().EepromImage.fill(0xEE);
  EXPECT_TRUE(RunCommand(ID_PROGRAM_DEFAULTS));
  EXPECT_EQ(ImageBytes(), Pattern(100, 0x01) + QByteArray(28, '\xEE'));
  EXPECT_EQ(Eeprom(), App().EepromImage);
  EXPECT_EQ(Caption(), QStringLiteral("default.dat - PLOVER"));
  EXPECT_EQ(App().CurrentFileName, QStringLiteral("default.dat"));
  EXPECT_TRUE(prompts_.message_boxes.empty());
}

TEST_F(DeviceCommandsTest, ProgramDefaultsWithALongFileUsesTheFirst128Bytes) {
  WriteFile("default.dat", Pattern(200, 0x30));
  EXPECT_TRUE(RunCommand(ID_PROGRAM_DEFAULTS));
  EXPECT_EQ(ImageBytes(), Pattern(128, 0x30));
  EXPECT_EQ(Bytes(Eeprom()), Pattern(128, 0x30));
  EXPECT_EQ(Caption(), QStringLiteral("default.dat - PLOVER"));
  EXPECT_TRUE(prompts_.message_boxes.empty());
}

TEST_F(DeviceCommandsTest, ProgramDefaultsIsNotAMenuItem) {
  for (QAction* top : Frame().menuBar()->actions()) {
    for (QAction* action : top->menu()->actions()) {
      EXPECT_NE(action->data().toInt(), ID_PROGRAM_DEFAULTS) << action->text().toStdString();
    }
  }
}

// The same commands on a board whose EEPROM does not answer.
class AbsentEepromTest : public DeviceCommandsTest {
 public:
  sim::BoardOptions Board() const override {
    sim::BoardOptions options;
    options.eeprom_present = false;
    return options;
  }

  // What the bus layer says about `operation` on such a board.
  QString Expected(bool write) const {
    bus::BusConnection connection(
        std::make_unique<ports::SimPort>(std::make_unique<sim::VirtualBoard>(Board(), bus::Image{}),
                                       "sim"),
        bus::TimingPolicy::Windowed);
    bus::Image image{};
    const bus::BusResult result =
        write ? connection.WriteEeprom(image) : connection.ReadEeprom(image);
    EXPECT_FALSE(result.ok());
    return QString::fromStdString(bus::DescribeBusResult(result));
  }

  void ExpectOneFailureBox(const QString& text) {
    if (!ExpectOneMessageBox(text, QStringLiteral("PLOVER"), MessageIcon::Stop)) return;
    const auto& box = prompts_.message_boxes[0];
    EXPECT_FALSE(box.text.isEmpty());
    EXPECT_TRUE(box.text.contains(QStringLiteral("EEPROM"))) << box.text.toStdString();
  }
};

TEST_F(AbsentEepromTest, UploadReportsAndLeavesImageAndTitle) {
  App().EepromImage.fill(0x12);
  EXPECT_TRUE(RunCommand(ID_TOOLS_UPLOAD));
  ExpectOneFailureBox(Expected(false));
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\x12'));
  EXPECT_EQ(Caption(), QStringLiteral("Untitled - PLOVER"));
}

TEST_F(AbsentEepromTest, DownloadReportsInsteadOfTheCompletionMessage) {
  EXPECT_TRUE(RunCommand(ID_TOOLS_DOWNLOAD));
  ExpectOneFailureBox(Expected(true));
  EXPECT_TRUE(prompts_.message_boxes[0].text.contains(QStringLiteral("address")));
}

TEST_F(AbsentEepromTest, VerifyReportsInsteadOfTheDialogAndKeepsTheReadBack) {
  App().ReadBackImage.fill(0x34);
  EXPECT_TRUE(RunCommand(ID_TOOLS_VERIFY));
  ExpectOneFailureBox(Expected(false));
  EXPECT_TRUE(prompts_.modal_dialogs.empty());
  EXPECT_EQ(Bytes(App().ReadBackImage), QByteArray(128, '\x34'));
}

TEST_F(AbsentEepromTest, ProgramDefaultsLoadsTheFileThenReportsAndLeavesTheTitle) {
  WriteFile("default.dat", Pattern(128, 0x60));
  EXPECT_TRUE(RunCommand(ID_PROGRAM_DEFAULTS));
  ExpectOneFailureBox(Expected(true));
  EXPECT_EQ(ImageBytes(), Pattern(128, 0x60));
  EXPECT_EQ(App().CurrentFileName, QStringLiteral("default.dat"));
  EXPECT_EQ(Caption(), QStringLiteral("Untitled - PLOVER"));
}

// A port that cannot be opened is reported the same way, and tried again at the next command.
class UnopenablePortTest : public PloverTest {
 public:
  StartOptions Options() const override {
    StartOptions options;
    options.bus.port = *ports::ParsePortSpec("sim:" + PathOf("no-such-dir/board.bin").toStdString()).spec;
    return options;
  }
};

TEST_F(UnopenablePortTest, EachCommandReportsThePort) {
  App().EepromImage.fill(0x21);
  for (const CommandId id : {ID_TOOLS_UPLOAD, ID_TOOLS_DOWNLOAD, ID_TOOLS_VERIFY}) {
    prompts_.message_boxes.clear();
    EXPECT_TRUE(RunCommand(id));
    ASSERT_EQ(prompts_.message_boxes.size(), 1u) << id;
    EXPECT_TRUE(prompts_.message_boxes[0].text.contains(QStringLiteral("board.bin")))
        << prompts_.message_boxes[0].text.toStdString();
    EXPECT_EQ(prompts_.message_boxes[0].icon, MessageIcon::Stop);
    EXPECT_EQ(prompts_.message_boxes[0].caption, QStringLiteral("PLOVER"));
  }
  EXPECT_EQ(ImageBytes(), QByteArray(128, '\x21'));
  EXPECT_TRUE(prompts_.modal_dialogs.empty());
  EXPECT_EQ(Caption(), QStringLiteral("Untitled - PLOVER"));
}

}  // namespace
