// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogue_runner.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace console_test {

namespace {

constexpr std::size_t kContextBytes = 40;

std::string Escape(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (c == '\n') {
      text += "\\n";
    } else if (c == '\\') {
      text += "\\\\";
    } else if (c < 0x20 || c >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      text += hex;
    } else {
      text += static_cast<char>(c);
    }
  }
  return text;
}

// The bytes before `offset`, a marker, and the bytes from `offset` on.
std::string Context(const std::string& bytes, std::size_t offset) {
  const std::size_t at = std::min(offset, bytes.size());
  const std::size_t begin = at > kContextBytes ? at - kContextBytes : 0;
  std::string text = "\"";
  text += Escape(bytes.substr(begin, at - begin));
  text += "\" >>> \"";
  text += Escape(bytes.substr(at, kContextBytes));
  text += '"';
  return text;
}

std::string ByteText(const std::string& bytes, std::size_t offset) {
  if (offset >= bytes.size()) {
    return "end of output";
  }
  char text[32];
  std::snprintf(text, sizeof text, "0x%02x '%s'", static_cast<unsigned char>(bytes[offset]),
                Escape(bytes.substr(offset, 1)).c_str());
  return text;
}

// The Windows build of 30p to run in place of the Linux one, under Wine, when
// PLOVER_30P_WINDOWS names it (and PLOVER_WINE_RUN the project's scripts/wine-run); empty
// otherwise.
std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}
std::string WindowsProgram() { return Environment("PLOVER_30P_WINDOWS"); }

// The program and its arguments as execv wants them; `argv` points into `words`. The built 30p
// is replaced by the Windows one under Wine where it is asked for; Wine runs in the program's own
// process there (no time limit of wine-run's: the run's alarm keeps it), so signals reach it.
struct ArgumentVector {
  ArgumentVector(const std::string& program, const std::vector<std::string>& arguments)
      : words{program} {
    if (std::filesystem::path(program).filename() == "30p" && !WindowsProgram().empty()) {
      words = {Environment("PLOVER_WINE_RUN"), WindowsProgram()};
      ::setenv("PLOVER_WINE_TIMEOUT", "0", 1);
    }
    words.insert(words.end(), arguments.begin(), arguments.end());
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
  }
  std::vector<std::string> words;
  std::vector<char*> argv;
};

// Waits for the child and records how it ended. The child set an alarm before it started the
// program, so SIGALRM means the time limit killed it.
void WaitForEnd(pid_t child, RunResult& result) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
  }
  result.exited = WIFEXITED(status);
  result.timed_out = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
  result.exit_status = result.exited ? WEXITSTATUS(status) : -WTERMSIG(status);
}

}  // namespace

std::string DescribeEnd(const RunResult& run) {
  if (run.exited) {
    return "exited with status " + std::to_string(run.exit_status);
  }
  if (run.timed_out) {
    return "was killed after running for " + std::to_string(kRunTimeLimitSeconds) +
           " s (still waiting for something?)";
  }
  return "was ended by signal " + std::to_string(-run.exit_status);
}

HeldFileLock::HeldFileLock(const std::filesystem::path& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
  held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

HeldFileLock::~HeldFileLock() {
  if (fd_ >= 0) ::close(fd_);
}

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "console-dialogue-XXXXXX");
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = pattern;
  std::filesystem::create_directory(Work());
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string LineEndBytes() {
  constexpr char kBytes[] = {0x0a, 0x0d, 0x1a, 0x0d, 0x0a, 0x1a, 0x1a, 0x0a};
  std::string bytes;
  for (int address = 0; address < 128; ++address) bytes += kBytes[address % sizeof kBytes];
  return bytes;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

RunResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& input, const ScratchFolder& scratch) {
  WriteFileBytes(scratch.Path() / "stdin", input);
  return FinishProgram(StartProgram(program, arguments, scratch, "std"));
}

StartedProgram StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                            const ScratchFolder& scratch, const std::string& name) {
  const std::filesystem::path in_path = scratch.Path() / "stdin";
  const std::filesystem::path out_path = scratch.Path() / (name + "out");
  const std::filesystem::path err_path = scratch.Path() / (name + "err");
  if (!std::filesystem::exists(in_path)) WriteFileBytes(in_path, "");

  ArgumentVector args(program, arguments);
  char** argv = args.argv.data();
  const std::string work = scratch.Work();

  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) {
    throw std::runtime_error("fork failed");
  }
  if (child == 0) {
    const int in = ::open(in_path.c_str(), O_RDONLY);
    const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
        ::dup2(err, 2) < 0 || ::chdir(work.c_str()) != 0) {
      ::_exit(127);
    }
    ::alarm(kRunTimeLimitSeconds);  // a run still going at the limit is killed (SIGALRM)
    ::execv(argv[0], argv);
    ::_exit(127);
  }
  return {child, out_path, err_path};
}

// The console's line ends of a Windows program ("\r\n") as the Linux one writes them.
std::string LinuxLineEnds(std::string text) {
  if (WindowsProgram().empty()) return text;
  std::string::size_type at = 0;
  while ((at = text.find("\r\n", at)) != std::string::npos) text.erase(at, 1);
  return text;
}

RunResult FinishProgram(const StartedProgram& started) {
  RunResult result;
  WaitForEnd(started.pid, result);
  result.out = LinuxLineEnds(ReadFileBytes(started.out_path));
  result.err = LinuxLineEnds(ReadFileBytes(started.err_path));
  return result;
}

RunResult RunProgramOnTerminal(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::string& input, const ScratchFolder& scratch) {
  ArgumentVector args(program, arguments);
  char** argv = args.argv.data();
  const std::string work = scratch.Work();

  // Raw from the start, before any input arrives: no echo, no line-end translation.
  termios mode{};
  ::cfmakeraw(&mode);
  ::cfsetispeed(&mode, B38400);
  ::cfsetospeed(&mode, B38400);

  std::fflush(nullptr);
  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, &mode, nullptr);
  if (child < 0) {
    throw std::runtime_error("forkpty failed");
  }
  if (child == 0) {
    if (::chdir(work.c_str()) != 0) ::_exit(127);
    ::alarm(kRunTimeLimitSeconds);
    ::execv(argv[0], argv);
    ::_exit(127);
  }
  RunResult result;
  // The input fits the terminal's buffer; the program reads it as it goes.
  std::size_t written = 0;
  while (written < input.size()) {
    const ssize_t count = ::write(terminal, input.data() + written, input.size() - written);
    if (count <= 0) break;
    written += static_cast<std::size_t>(count);
  }
  char buffer[4096];
  for (;;) {
    const ssize_t count = ::read(terminal, buffer, sizeof buffer);
    if (count <= 0) break;  // EIO once the program has ended and closed the terminal
    result.out.append(buffer, static_cast<std::size_t>(count));
  }
  ::close(terminal);
  WaitForEnd(child, result);
  return result;
}

std::string DescribeFirstDifference(const std::string& expected, const std::string& actual) {
  if (expected == actual) {
    return {};
  }
  std::size_t offset = 0;
  while (offset < expected.size() && offset < actual.size() && expected[offset] == actual[offset]) {
    ++offset;
  }
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i < offset; ++i) {
    if (expected[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  std::ostringstream text;
  text << "first difference at byte " << offset << " (line " << line << ", column " << column
       << "): expected " << ByteText(expected, offset) << ", got " << ByteText(actual, offset)
       << "\n  expected: " << Context(expected, offset) << "\n  actual:   "
       << Context(actual, offset) << "\n  (expected " << expected.size() << " bytes, got "
       << actual.size() << ")";
  return text.str();
}

}  // namespace console_test
