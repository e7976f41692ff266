// SPDX-License-Identifier: GPL-3.0-or-later
//
// Windows has no ioctl and gives programs no I/O ports of their own: a parallel port's registers
// are reached through the InpOut driver, whose inpoutx64.dll the user installs (it is never
// shipped with the programs). The DLL is loaded at the first use, only from the programs' own
// folder or the system folder, never from the current folder, where any file could stand in for
// it.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "platform/device_access.h"
#include "platform/files.h"
#include "platform/system_text_windows.h"

namespace platform {
namespace {

// The three entry points of inpoutx64.dll the backend uses.
using IsDriverOpenCall = BOOL(__stdcall*)();
using Out32Call = void(__stdcall*)(short, short);
using Inp32Call = short(__stdcall*)(short);

struct InpOut {
  bool loaded = false;       // the DLL and its entry points are there
  bool driver_open = false;  // and its driver answers
  Out32Call out = nullptr;
  Inp32Call in = nullptr;
};

const InpOut& TheInpOut() {
  static const InpOut inpout = [] {
    InpOut found;
    HMODULE dll = ::LoadLibraryExW(L"inpoutx64.dll", nullptr,
                                   LOAD_LIBRARY_SEARCH_APPLICATION_DIR |
                                       LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (dll == nullptr) return found;
    const auto is_open = reinterpret_cast<IsDriverOpenCall>(
        reinterpret_cast<void*>(::GetProcAddress(dll, "IsInpOutDriverOpen")));
    found.out = reinterpret_cast<Out32Call>(reinterpret_cast<void*>(::GetProcAddress(dll, "Out32")));
    found.in = reinterpret_cast<Inp32Call>(reinterpret_cast<void*>(::GetProcAddress(dll, "Inp32")));
    found.loaded = is_open != nullptr && found.out != nullptr && found.in != nullptr;
    found.driver_open = found.loaded && is_open() != FALSE;
    return found;
  }();
  return inpout;
}

constexpr const char* kInstallInpOut =
    "inpoutx64.dll is not installed: get the InpOut driver for 64-bit Windows, put "
    "inpoutx64.dll beside 30p.exe and plover.exe (or in the Windows system folder) and run "
    "InpOut's driver installer once as administrator; or use a USB programmer (--port ch341a)";
constexpr const char* kStartInpOut =
    "the InpOut driver is not running: run the program once as administrator so inpoutx64.dll "
    "can install its driver, or install it with InpOut's driver installer";

}  // namespace

int OpenDevice(const char* path, int flags, unsigned mode) { return OpenFile(path, flags, mode); }

int CloseDevice(int fd) { return ::_close(fd); }

int ControlDevice(int, unsigned long, void*) {
  errno = ENOSYS;
  return -1;
}

int LockDeviceNow(int fd) {
  switch (TryLockExclusive(fd)) {
    case Lock::Taken:
      return 0;
    case Lock::HeldElsewhere:
      errno = EWOULDBLOCK;
      return -1;
    case Lock::Failed:
      break;
  }
  return -1;
}

int UnlockDevice(int fd) {
  OVERLAPPED whole{};
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  if (::UnlockFileEx(handle, 0, MAXDWORD, MAXDWORD, &whole)) return 0;
  errno = EINVAL;
  return -1;
}

bool HasPortInstructions() { return true; }

const char* PortInstructionsMeans() {
  return "the parallel port's registers through the InpOut driver (inpoutx64.dll)";
}

int AllowPortInstructions(unsigned long, unsigned long, bool on) {
  if (!on) return 0;
  const InpOut& inpout = TheInpOut();
  if (!inpout.loaded) {
    errno = ENOENT;
    return -1;
  }
  if (!inpout.driver_open) {
    errno = EACCES;
    return -1;
  }
  return 0;
}

void OutputPortByte(std::uint8_t value, std::uint16_t address) {
  TheInpOut().out(static_cast<short>(address), static_cast<short>(value));
}

std::uint8_t InputPortByte(std::uint16_t address) {
  return static_cast<std::uint8_t>(TheInpOut().in(static_cast<short>(address)));
}

std::string PortInstructionsFailure(int reason) {
  if (reason == ENOENT) return kInstallInpOut;
  if (reason == EACCES) return kStartInpOut;
  return std::strerror(reason);
}

std::string PortInstructionsAccess() {
  const InpOut& inpout = TheInpOut();
  if (!inpout.loaded) return "InpOut is not installed (inpoutx64.dll): --port direct says how";
  if (!inpout.driver_open) return "InpOut's driver is not running: --port direct says how";
  return "you may open it (InpOut is installed)";
}

bool ListsParallelPorts() { return false; }

std::string PortLockFolder() {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return ".";
  std::string text = Utf8FromWide(std::wstring_view(folder, length));
  while (!text.empty() && (text.back() == '\\' || text.back() == '/')) text.pop_back();
  return text;
}

}  // namespace platform
