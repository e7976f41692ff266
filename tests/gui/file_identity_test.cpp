// SPDX-License-Identifier: GPL-3.0-or-later
// Which names are the same file, as both programs' option checks see it: every way of naming a
// file (the same name, another spelling, a hard link, a symbolic link, a link to its folder, a
// dangling link, a name not there yet) against every file that a trace or an output must not be.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QStringList>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "console/options.h"
#include "gui/command_line.h"

namespace {

namespace fs = std::filesystem;

// How the checked name reaches the other file `x`, and whether `x` exists beforehand.
struct NameKind {
  const char* name;
  bool x_exists;
  std::function<std::string(const std::string& x)> make;  // makes links, gives the checked name
  bool same = true;
};

// The other file, and the command lines of each program that put `checked` against it.
struct FilePair {
  const char* name;
  std::string x;
  std::function<std::vector<std::string>(const std::string& checked, const std::string& x)> console;
  std::function<std::optional<std::vector<std::string>>(const std::string& checked,
                                                        const std::string& x)>
      windowed;
};

void PrintTo(const NameKind& kind, std::ostream* os) { *os << kind.name; }
void PrintTo(const FilePair& pair, std::ostream* os) { *os << pair.name; }

std::vector<NameKind> Kinds() {
  return {
      {"same_name_not_there", false, [](const std::string& x) { return x; }},
      {"same_name", true, [](const std::string& x) { return x; }},
      {"other_spelling", true,
       [](const std::string& x) {
         fs::create_directory("sub");
         return "./sub/../" + x;
       }},
      {"absolute_not_there", false,
       [](const std::string& x) { return (fs::current_path() / x).string(); }},
      {"hard_link", true,
       [](const std::string& x) {
         fs::create_hard_link(x, "hard");
         return std::string("hard");
       }},
      {"symbolic_link", true,
       [](const std::string& x) {
         fs::create_symlink(x, "soft");
         return std::string("soft");
       }},
      {"dangling_link", false,
       [](const std::string& x) {
         fs::create_symlink(x, "dangling");
         return std::string("dangling");
       }},
      {"link_to_its_folder", false,
       [](const std::string& x) {
         fs::create_directory_symlink(".", "alias");
         return "alias/" + x;
       }},
      {"another_file", false, [](const std::string&) { return std::string("other.bin"); },
       false},
  };
}

std::vector<FilePair> Pairs() {
  using Args = std::vector<std::string>;
  return {
      {"trace_board_file", "x.bin",
       [](const std::string& c, const std::string& x) {
         return Args{"--port", "sim:" + x, "--trace", c};
       },
       [](const std::string& c, const std::string& x) {
         return std::optional<Args>({"--port", "sim:" + x, "--trace", c});
       }},
      {"trace_device_node", "i2c-node",
       [](const std::string& c, const std::string& x) {
         return Args{"--port", "i2c:" + x, "--trace", c};
       },
       [](const std::string& c, const std::string& x) {
         return std::optional<Args>({"--port", "i2c:" + x, "--trace", c});
       }},
      {"trace_default_data", "",  // 30p.dat for the menu, default.dat for plover
       [](const std::string& c, const std::string&) { return Args{"--port", "sim", "--trace", c}; },
       [](const std::string& c, const std::string&) {
         return std::optional<Args>({"--port", "sim", "--trace", c});
       }},
      {"trace_data_file", "x.bin",
       [](const std::string& c, const std::string& x) {
         return Args{"--port", "sim", "--trace", c, "--verify", x};
       },
       [](const std::string& c, const std::string& x) {
         return std::optional<Args>({"--port", "sim", "--trace", c, x});
       }},
      {"trace_batch_output", "x.bin",
       [](const std::string& c, const std::string& x) {
         return Args{"--port", "sim", "--trace", c, "--read", x};
       },
       [](const std::string&, const std::string&) { return std::optional<Args>(); }},
      {"output_board_file", "x.bin",
       [](const std::string& c, const std::string& x) {
         return Args{"--port", "sim:" + x, "--read", c};
       },
       [](const std::string&, const std::string&) { return std::optional<Args>(); }},
      {"output_device_node", "i2c-node",
       [](const std::string& c, const std::string& x) {
         return Args{"--port", "i2c:./" + x, "--read-switch", c};  // another spelling
       },
       [](const std::string&, const std::string&) { return std::optional<Args>(); }},
  };
}

// Runs each program's check in a fresh folder as the current folder, and goes back afterwards.
class FileIdentityTest : public ::testing::TestWithParam<std::tuple<NameKind, FilePair>> {
 protected:
  void SetUp() override { original_ = fs::current_path(); }
  void TearDown() override {
    fs::current_path(original_);
    fs::remove_all(folder_);
  }

  // Makes the other file `x` (when the kind wants it there) and the links; the checked name.
  std::string Prepare(const NameKind& kind, const std::string& x) {
    fs::current_path(original_);
    folder_ = fs::temp_directory_path() / ("identity-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::current_path(folder_);
    if (kind.x_exists) std::ofstream(x) << std::string(128, 'x');
    return kind.make(x);
  }

 private:
  fs::path original_;
  fs::path folder_;
};

bool ConsoleRefuses(const std::vector<std::string>& arguments, std::string& error) {
  std::vector<const char*> argv{"30p"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  const console::OptionsResult result =
      console::ParseOptions(static_cast<int>(argv.size()), argv.data());
  error = result.error;
  return result.action == console::OptionsAction::Refuse;
}

bool WindowedRefuses(const std::vector<std::string>& arguments, std::string& error) {
  QStringList list{QStringLiteral("plover")};
  for (const std::string& argument : arguments) list << QString::fromStdString(argument);
  const plover::CommandLine line = plover::ParseCommandLine(list);
  error = line.text.toStdString();
  return line.action == plover::CommandLineAction::Refuse;
}

void Check(const NameKind& kind, const std::string& x, bool refused, const std::string& error,
           const char* program) {
  if (kind.same) {
    EXPECT_TRUE(refused) << program << " took it";
    EXPECT_NE(error.find(" is the "), std::string::npos) << program << ": " << error;
  } else {
    EXPECT_FALSE(refused) << program << ": " << error;
  }
  EXPECT_EQ(fs::exists(x), kind.x_exists) << program << " made or removed " << x;
}

TEST_P(FileIdentityTest, BothProgramsTellTheFilesApart) {
  const auto& [kind, pair] = GetParam();
  std::string error;
  const std::string console_x = pair.x.empty() ? "30p.dat" : pair.x;
  const std::string checked = Prepare(kind, console_x);
  Check(kind, console_x, ConsoleRefuses(pair.console(checked, console_x), error), error, "30p");

  const std::string windowed_x = pair.x.empty() ? "default.dat" : pair.x;
  if (const auto arguments = pair.windowed(Prepare(kind, windowed_x), windowed_x)) {
    Check(kind, windowed_x, WindowedRefuses(*arguments, error), error, "plover");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, FileIdentityTest,
    ::testing::Combine(::testing::ValuesIn(Kinds()), ::testing::ValuesIn(Pairs())),
    [](const ::testing::TestParamInfo<FileIdentityTest::ParamType>& info) {
      return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

}  // namespace
