// SPDX-License-Identifier: GPL-3.0-or-later
// BoardFile: the file that keeps the virtual board's EEPROM contents, 128 raw bytes.
//
// Opening creates a missing file erased (128 bytes of 0xFF), fills an empty one the same way,
// loads a 128-byte one and refuses any other size without touching the file. A symbolic link to
// a file that does not exist makes that file (as a shell's > would); when it cannot be made, the
// message names the link, what it points at and why. The file stays locked (an exclusive flock)
// while it is open, so two boards never share one EEPROM. It is opened without blocking and must
// be a regular file, so a FIFO or a device never hangs the board.
// Store() writes the bytes of one write cycle at their offsets, so a store either keeps them or
// fails without touching the rest.
#pragma once

#include <memory>
#include <string>

#include "bus/bus_result.h"
#include "bus/image.h"

namespace sim {

class BoardFile {
 public:
  // Opens and locks `path` and reads the EEPROM's contents from it. Returns nullptr with `error`
  // set (naming the file and the reason) on failure.
  static std::unique_ptr<BoardFile> Open(const std::string& path, bus::Image& contents,
                                         std::string& error);
  ~BoardFile();  // closing the file drops the lock
  BoardFile(const BoardFile&) = delete;
  BoardFile& operator=(const BoardFile&) = delete;

  // Writes contents[first..last] at offsets first..last. Success, or PortFailed at `first` with
  // one line naming the file, what was being stored ("the write of address 5") and the system's
  // reason, and its error number.
  [[nodiscard]] bus::BusResult Store(const bus::Image& contents, int first, int last);

  [[nodiscard]] const std::string& Path() const { return path_; }

 private:
  BoardFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

  std::string path_;
  int fd_;
};

}  // namespace sim
