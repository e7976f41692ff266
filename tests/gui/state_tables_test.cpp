// SPDX-License-Identifier: GPL-3.0-or-later
// The current file name and the document title after each command, row by row. Every row starts
// from an opened file "prev.dat" whose title was then changed, so that "unchanged" and "the
// current file name" can be told apart.
#include <QDir>

#include "gui/resource_ids.h"
#include "plover_fixture.h"
#include "ports/port_table.h"

namespace {

enum class Name { Previous, Chosen, Defaults };
enum class Title { Previous, CurrentFileName, Upload };

struct Row {
  const char* event;
  void (*run)(PloverTest&, const QString& chosen);
  Name name;
  Title title;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.event; }

void OpenGood(PloverTest& t, const QString& chosen) {
  t.WriteFile("chosen.dat", PloverTest::Pattern(128, 5));
  t.OpenThroughDialog(chosen);
}
void OpenMissing(PloverTest& t, const QString& chosen) { t.OpenThroughDialog(chosen); }
void SaveAsWritten(PloverTest& t, const QString& chosen) {
  t.prompts_.AnswerFileDialog(chosen);
  t.RunCommand(shell::ID_FILE_SAVE_AS);
}
void SaveAsNotWritten(PloverTest& t, const QString& chosen) {
  QDir(t.PathOf("")).mkdir("chosen.dat");
  t.prompts_.AnswerFileDialog(chosen);
  t.RunCommand(shell::ID_FILE_SAVE_AS);
}
template <shell::CommandId id>
void Command(PloverTest& t, const QString&) {
  EXPECT_TRUE(t.RunCommand(id));
}
void Verify(PloverTest& t, const QString&) {
  t.prompts_.OnModal([](QDialog&) { return shell::IDOK; });
  EXPECT_TRUE(t.RunCommand(plover::ID_TOOLS_VERIFY));
}
void Modify(PloverTest& t, const QString&) {
  t.prompts_.OnModal([](QDialog&) { return shell::IDOK; });
  EXPECT_TRUE(t.RunCommand(plover::ID_TOOLS_MODIFY));
}
void ProgramDefaults(PloverTest& t, const QString&) {
  t.WriteFile("default.dat", PloverTest::Pattern(128, 9));
  const QString previous_dir = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(t.PathOf("")));
  EXPECT_TRUE(t.RunCommand(plover::ID_PROGRAM_DEFAULTS));
  QDir::setCurrent(previous_dir);
}

// The device commands talk to an in-memory virtual board.
class StateTableTest : public PloverTest, public ::testing::WithParamInterface<Row> {
 public:
  plover::StartOptions Options() const override {
    plover::StartOptions options;
    options.bus.port = *ports::ParsePortSpec("sim").spec;
    return options;
  }
};

TEST_P(StateTableTest, NameAndTitleFollowTheTable) {
  const QString previous = WriteFile("prev.dat", Pattern(128, 1));
  OpenThroughDialog(previous);
  Doc().SetTitle(QStringLiteral("Previous title"));
  prompts_.message_boxes.clear();
  const QString chosen = PathOf("chosen.dat");

  GetParam().run(*this, chosen);

  const QString name = GetParam().name == Name::Chosen     ? chosen
                       : GetParam().name == Name::Defaults ? QStringLiteral("default.dat")
                                                           : previous;
  EXPECT_EQ(App().CurrentFileName, name);
  const QString title = GetParam().title == Title::CurrentFileName ? name
                        : GetParam().title == Title::Upload        ? QStringLiteral("Upload")
                                                                   : QStringLiteral("Previous title");
  EXPECT_EQ(Doc().GetTitle(), title);
  EXPECT_EQ(Caption(), title + " - PLOVER");
}

INSTANTIATE_TEST_SUITE_P(
    Events, StateTableTest,
    ::testing::Values(
        Row{"OpenFileRead", OpenGood, Name::Chosen, Title::CurrentFileName},
        Row{"OpenFileNotOpened", OpenMissing, Name::Previous, Title::Previous},
        Row{"SaveAsWritten", SaveAsWritten, Name::Chosen, Title::CurrentFileName},
        Row{"SaveAsNotWritten", SaveAsNotWritten, Name::Previous, Title::CurrentFileName},
        Row{"New", Command<shell::ID_FILE_NEW>, Name::Previous, Title::Previous},
        Row{"Save", Command<shell::ID_FILE_SAVE>, Name::Previous, Title::Previous},
        Row{"Download", Command<plover::ID_TOOLS_DOWNLOAD>, Name::Previous, Title::Previous},
        Row{"Verify", Verify, Name::Previous, Title::Previous},
        Row{"Upload", Command<plover::ID_TOOLS_UPLOAD>, Name::Previous, Title::Upload},
        Row{"ProgramDefaults", ProgramDefaults, Name::Defaults, Title::CurrentFileName},
        Row{"Modify", Modify, Name::Previous, Title::Previous}),
    [](const auto& info) { return std::string(info.param.event); });

TEST_F(PloverTest, StartUpWithoutArgumentsHasNoNameAndTitleUntitled) {
  EXPECT_TRUE(App().CurrentFileName.isEmpty());
  EXPECT_EQ(Doc().GetTitle(), QStringLiteral("Untitled"));
}

}  // namespace
