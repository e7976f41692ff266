// SPDX-License-Identifier: GPL-3.0-or-later
// What both programs do first, before they open any file or port.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

// Gives the null device to each of the standard descriptors 0, 1 and 2 that is closed (on Windows:
// that the program was started without), so that the first file the program opens (a board file,
// a trace) cannot take the place of standard output or standard error and receive the listing or a
// message, and writing to a standard stream nobody gave the program succeeds as on /dev/null.
void GuardStandardDescriptors();

// A windowed program (Windows' GUI subsystem) run from a console is given no standard output or
// error: takes the console of the program that started it for each of them that is missing, so
// that --help and --version show there. A stream the program was given (a pipe, a file) stays as
// it is, and so does everything on POSIX systems. Called before GuardStandardDescriptors.
void UseStartingConsole();

// The program's arguments in UTF-8, the program's name first. POSIX systems give them so in
// argv; on Windows argv holds them in the ANSI code page, which cannot hold every file name, so
// they are read from the command line as Windows keeps it, in UTF-16.
[[nodiscard]] std::vector<std::string> ProgramArguments(int argc, char** argv);

// A write past the file-size limit (ulimit -f) then fails with EFBIG, and a write to a pipe whose
// reader has gone (`30p ... | head -1`) with EPIPE, both of which the program reports, instead of
// ending it with SIGXFSZ or SIGPIPE in the middle of an operation (a write left half done). Windows
// sends no such signals: there a failed write is already only reported.
void IgnoreOutputSignals();

// While it exists, a write of this thread to a pipe whose reader has gone fails with EPIPE instead
// of ending the program with SIGPIPE, even where the program has not ignored that signal (a live
// view of the trace that is closed only ends the trace). Nothing to do on Windows.
class PipeSignalHeld {
 public:
  PipeSignalHeld();
  ~PipeSignalHeld();
  PipeSignalHeld(const PipeSignalHeld&) = delete;
  PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

 private:
  struct Masks;
  std::unique_ptr<Masks> masks_;
};

}  // namespace platform
