// SPDX-License-Identifier: GPL-3.0-or-later
//
// The standard streams stay in text mode: they carry only the console's own text (the dialogue,
// listings and messages), which takes the console's line ends, and standard input ends at Ctrl-Z
// as a console's does. No byte of an image goes through them; data files are opened in binary mode
// where they are read and written.
#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>

#include "platform/process_guards.h"

namespace platform {

namespace {

// What the C runtime gives for a descriptor without a handle: -1, or -2 (_NO_CONSOLE_FILENO) for a
// standard stream of a program started without one.
bool HasHandle(int fd) {
  const std::intptr_t handle = ::_get_osfhandle(fd);
  return handle != -1 && handle != -2;
}

}  // namespace

void GuardStandardDescriptors() {
  struct Standard {
    int fd;
    std::FILE* stream;
    const char* mode;
  };
  for (const Standard& standard :
       {Standard{0, stdin, "r"}, Standard{1, stdout, "w"}, Standard{2, stderr, "w"}}) {
    if (HasHandle(standard.fd)) continue;
    const int opened = ::_open("NUL", standard.fd == 0 ? _O_RDONLY : _O_WRONLY);
    if (opened < 0) continue;
    if (opened != standard.fd) {
      ::_dup2(opened, standard.fd);
      ::_close(opened);
    }
    // The C runtime left the stream without a descriptor (-2) too. Windows' reopens it on the null
    // device; Wine's refuses, and a write to the stream then fails and is reported.
    if (::_fileno(standard.stream) != standard.fd) {
      static_cast<void>(std::freopen("NUL", standard.mode, standard.stream));
    }
  }
}

void IgnoreOutputSignals() {}

struct PipeSignalHeld::Masks {};

PipeSignalHeld::PipeSignalHeld() = default;

PipeSignalHeld::~PipeSignalHeld() = default;

}  // namespace platform
