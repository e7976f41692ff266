// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built 30p in a fresh folder with piped standard input, and compares transcripts.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace console_test {

// A run that takes longer than this is killed: a program waiting for ever fails its test.
inline constexpr unsigned kRunTimeLimitSeconds = 60;

struct RunResult {
  bool exited = false;     // ended by exit (not by a signal)
  bool timed_out = false;  // killed at the time limit
  int exit_status = -1;    // the exit status, or minus the number of the signal that ended it
  std::string out;         // standard output
  std::string err;         // standard error
};

// How the run ended, for a failing test's message: "exited with status N", "was killed after
// running for 60 s (still waiting for something?)" or "was ended by signal N".
std::string DescribeEnd(const RunResult& run);

// A fresh temporary folder, removed with everything in it when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
  // The folder 30p runs in.
  [[nodiscard]] std::filesystem::path Work() const { return path_ / "work"; }

 private:
  std::filesystem::path path_;
};

// Runs `program` with `arguments` in scratch.Work(), `input` as its standard input.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& input, const ScratchFolder& scratch);

// A run started in the background (standard input empty, the outputs to files in the scratch
// folder), for tests that act while it runs; FinishProgram waits for its end. The outputs so far
// are in StartedProgram::err_path and out_path.
struct StartedProgram {
  pid_t pid = -1;
  std::filesystem::path out_path;
  std::filesystem::path err_path;
};
StartedProgram StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                            const ScratchFolder& scratch, const std::string& name = "run");
RunResult FinishProgram(const StartedProgram& started);

// The same with standard input, output and error on a terminal (a pseudo-terminal in raw mode,
// so bytes pass unchanged); `out` then holds everything written to the terminal.
RunResult RunProgramOnTerminal(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::string& input, const ScratchFolder& scratch);

// Holds an exclusive flock(2) on a file of its own open, as a running virtual board or plover
// holds it, until it goes.
class HeldFileLock {
 public:
  explicit HeldFileLock(const std::filesystem::path& path);
  ~HeldFileLock();
  HeldFileLock(const HeldFileLock&) = delete;
  HeldFileLock& operator=(const HeldFileLock&) = delete;

  [[nodiscard]] bool Held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

// 128 bytes of line feeds, carriage returns and the byte that ends a text file on Windows, and
// nothing else: a file of them changes if it is read or written as text anywhere.
std::string LineEndBytes();

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// Empty when equal; otherwise where the first difference is (offset, line, column), the byte
// expected and the byte found, and the text around it from both sides, escaped.
std::string DescribeFirstDifference(const std::string& expected, const std::string& actual);

}  // namespace console_test
