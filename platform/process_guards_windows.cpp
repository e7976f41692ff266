// SPDX-License-Identifier: GPL-3.0-or-later
//
// The standard streams stay in text mode: they carry only the console's own text (the dialogue,
// listings and messages), which takes the console's line ends, and standard input ends at Ctrl-Z
// as a console's does. No byte of an image goes through them; data files are opened in binary mode
// where they are read and written.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>

#include "platform/process_guards.h"
#include "platform/system_text_windows.h"

namespace platform {

namespace {

// What the C runtime gives for a descriptor without a handle: -1, or -2 (_NO_CONSOLE_FILENO) for a
// standard stream of a program started without one.
bool HasHandle(int fd) {
  const std::intptr_t handle = ::_get_osfhandle(fd);
  return handle != -1 && handle != -2;
}

struct Standard {
  int fd;
  std::FILE* stream;
  const char* mode;
};

// Opens the device `device` (NUL, CONOUT$) as the standard descriptor and stream that have none.
void GiveDevice(const Standard& standard, const char* device) {
  const int opened = ::_open(device, standard.fd == 0 ? _O_RDONLY : _O_WRONLY);
  if (opened < 0) return;
  if (opened != standard.fd) {
    ::_dup2(opened, standard.fd);
    ::_close(opened);
  }
  // The C runtime left the stream without a descriptor (-2) too. Windows' reopens it on the
  // device; Wine's refuses, and a write to the stream then fails and is reported.
  if (::_fileno(standard.stream) != standard.fd) {
    static_cast<void>(std::freopen(device, standard.mode, standard.stream));
  }
}

}  // namespace

void UseStartingConsole() {
  const bool output = HasHandle(1);
  const bool error = HasHandle(2);
  if (output && error) return;
  // Fails when the program was not started from a console (from the desktop): nothing to take.
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!output) GiveDevice({1, stdout, "w"}, "CONOUT$");
  if (!error) GiveDevice({2, stderr, "w"}, "CONOUT$");
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

void GuardStandardDescriptors() {
  for (const Standard& standard :
       {Standard{0, stdin, "r"}, Standard{1, stdout, "w"}, Standard{2, stderr, "w"}}) {
    if (!HasHandle(standard.fd)) GiveDevice(standard, "NUL");
  }
}

void IgnoreOutputSignals() {}

struct PipeSignalHeld::Masks {};

PipeSignalHeld::PipeSignalHeld() = default;

PipeSignalHeld::~PipeSignalHeld() = default;

}  // namespace platform
