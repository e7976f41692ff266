// SPDX-License-Identifier: GPL-3.0-or-later
// Which names are the same file, as both programs' option checks see it: every way of naming a
// file (the same name, another spelling, a hard link, a symbolic link, a link to its folder, a
// dangling link, a name not there yet) against every file that a trace or an output must not be.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QStringList>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "console/options.h"
#include "gui/command_line.h"

namespace {

namespace fs = std::filesystem;

// How the checked name reaches the other file X: `made` is made first ("LINK>TARGET" a symbolic
// link, "HARD=TARGET" a hard link, "DIR/" a folder), then the checked name is `checked` with X
// put in for "X".
struct NameKind {
  const char* name;
  const char* checked;
  const char* made = "";
  bool x_exists = true;
  bool same = true;
};

// The other file, and each program's arguments with "C" for the checked name and "X" for it;
// no arguments where the program has no such pair.
struct FilePair {
  const char* name;
  const char* x;  // empty: the default data file, 30p.dat for 30p and default.dat for plover
  std::vector<std::string> console;
  std::vector<std::string> windowed;
};

void PrintTo(const NameKind& kind, std::ostream* os) { *os << kind.name; }
void PrintTo(const FilePair& pair, std::ostream* os) { *os << pair.name; }

const NameKind kKinds[] = {
    {"same_name_not_there", "X", "", false},
    {"same_name", "X"},
    {"other_spelling", "./sub/../X", "sub/"},
    {"hard_link", "hard", "hard=X"},
    {"symbolic_link", "soft", "soft>X"},
    {"dangling_link", "dangling", "dangling>X", false},
    {"link_to_its_folder", "alias/X", "alias>.", false},
    {"another_file", "other.bin", "", false, false},
};

const FilePair kPairs[] = {
    {"trace_board_file",
     "x.bin",
     {"--port", "sim:X", "--trace", "C"},
     {"--port", "sim:X", "--trace", "C"}},
    {"trace_device_node",
     "i2c-node",
     {"--port", "i2c:X", "--trace", "C"},
     {"--port", "i2c:X", "--trace", "C"}},
    {"trace_default_data",
     "",
     {"--port", "sim", "--trace", "C"},
     {"--port", "sim", "--trace", "C"}},
    {"trace_data_file",
     "x.bin",
     {"--port", "sim", "--trace", "C", "--verify", "X"},
     {"--port", "sim", "--trace", "C", "X"}},
    {"trace_batch_output", "x.bin", {"--port", "sim", "--trace", "C", "--read", "X"}, {}},
    {"output_board_file", "x.bin", {"--port", "sim:X", "--read", "C"}, {}},
    {"output_device_node", "i2c-node", {"--port", "i2c:./X", "--read-switch", "C"}, {}},
};

std::string Replaced(std::string text, const std::string& x) {
  for (std::size_t at; (at = text.find('X')) != std::string::npos;) text.replace(at, 1, x);
  return text;
}

// Makes X (when the kind wants it there) and the kind's link or folder in a fresh current folder;
// gives the checked name.
std::string Prepare(const NameKind& kind, const std::string& x) {
  const fs::path folder = fs::temp_directory_path() / ("identity-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::current_path(folder);
  if (kind.x_exists) std::ofstream(x) << std::string(128, 'x');
  const std::string made = Replaced(kind.made, x);
  if (const auto link = made.find('>'); link != std::string::npos) {
    fs::create_symlink(made.substr(link + 1), made.substr(0, link));
  } else if (const auto hard = made.find('='); hard != std::string::npos) {
    fs::create_hard_link(made.substr(hard + 1), made.substr(0, hard));
  } else if (!made.empty()) {
    fs::create_directory(made);
  }
  return Replaced(kind.checked, x);
}

std::vector<std::string> Arguments(const std::vector<std::string>& pattern,
                                   const std::string& checked, const std::string& x) {
  std::vector<std::string> arguments;
  for (const std::string& word : pattern)
    arguments.push_back(word == "C" ? checked : Replaced(word, x));
  return arguments;
}

// Refused, and the message, by 30p's and by plover's option checks.
std::pair<bool, std::string> ConsoleCheck(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv{"30p"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  const auto result = console::ParseOptions(static_cast<int>(argv.size()), argv.data());
  return {result.action == console::OptionsAction::Refuse, result.error};
}

std::pair<bool, std::string> WindowedCheck(const std::vector<std::string>& arguments) {
  QStringList list{QStringLiteral("plover")};
  for (const std::string& argument : arguments) list << QString::fromStdString(argument);
  const plover::CommandLine line = plover::ParseCommandLine(list);
  return {line.action == plover::CommandLineAction::Refuse, line.text.toStdString()};
}

class FileIdentityTest : public ::testing::TestWithParam<std::tuple<NameKind, FilePair>> {
 protected:
  void TearDown() override {
    const fs::path folder = fs::current_path();
    fs::current_path(original_);
    fs::remove_all(folder);
  }
  const fs::path original_ = fs::current_path();
};

TEST_P(FileIdentityTest, BothProgramsTellTheFilesApart) {
  const auto& [kind, pair] = GetParam();
  for (const bool windowed : {false, true}) {
    const char* program = windowed ? "plover" : "30p";
    const auto& pattern = windowed ? pair.windowed : pair.console;
    if (pattern.empty()) continue;
    const std::string x = *pair.x ? pair.x : windowed ? "default.dat" : "30p.dat";
    const std::vector<std::string> arguments = Arguments(pattern, Prepare(kind, x), x);
    const auto [refused, message] = windowed ? WindowedCheck(arguments) : ConsoleCheck(arguments);
    EXPECT_EQ(refused, kind.same) << program << ": " << message;
    EXPECT_EQ(message.find(" is the ") != std::string::npos, kind.same)
        << program << ": " << message;
    EXPECT_EQ(fs::exists(x), kind.x_exists) << program << " made or removed " << x;
  }
}

INSTANTIATE_TEST_SUITE_P(Names, FileIdentityTest,
                         ::testing::Combine(::testing::ValuesIn(kKinds),
                                            ::testing::ValuesIn(kPairs)),
                         [](const ::testing::TestParamInfo<FileIdentityTest::ParamType>& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::get<1>(info.param).name;
                         });

}  // namespace
