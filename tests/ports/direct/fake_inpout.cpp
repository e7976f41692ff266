// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the InpOut driver's inpoutx64.dll, for the direct port's tests under Wine: its
// three entry points drive a virtual board at the registers of 0x378 (data), 0x379 (status) and
// 0x37A (control). The board keeps wall-clock time, as hardware does, since the port's own clock
// is the wall clock, and stores its EEPROM in board.bin in the current folder. Every other address
// reads 0xFF, as a port with nothing behind it. With FAKE_INPOUT_DRIVER=stopped in the
// environment the driver says it is not running.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "sim/virtual_board.h"

namespace {

constexpr unsigned kData = 0x378;

sim::VirtualBoard& Board() {
  static const std::unique_ptr<sim::VirtualBoard> board = [] {
    sim::BoardOptions options;
    options.file = "board.bin";
    options.wall_clock = true;
    std::string error;
    std::unique_ptr<sim::VirtualBoard> made = sim::VirtualBoard::Create(options, error);
    if (!made) std::abort();
    return made;
  }();
  return *board;
}

unsigned Address(short address) { return static_cast<unsigned short>(address); }

}  // namespace

extern "C" {

__declspec(dllexport) BOOL __stdcall IsInpOutDriverOpen() {
  const char* state = std::getenv("FAKE_INPOUT_DRIVER");
  return state == nullptr || std::strcmp(state, "stopped") != 0;
}

__declspec(dllexport) void __stdcall Out32(short address, short data) {
  const auto value = static_cast<std::uint8_t>(data);
  if (Address(address) == kData) Board().WriteData(value);
  if (Address(address) == kData + 2) Board().WriteControl(value);
}

__declspec(dllexport) short __stdcall Inp32(short address) {
  return Address(address) == kData + 1 ? Board().ReadStatus() : 0xFF;
}

}  // extern "C"
