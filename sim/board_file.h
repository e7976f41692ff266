// BoardFile: the file that keeps the virtual board's EEPROM contents, 128 raw bytes.
//
// Opening creates a missing file erased (128 bytes of 0xFF), fills an empty one the same way,
// loads a 128-byte one and refuses any other size without touching the file. The file stays
// locked (an exclusive flock) while it is open, so two boards never share one EEPROM. Store()
// writes the whole contents at offset 0 and is called once per EEPROM write cycle.
#pragma once

#include <memory>
#include <string>

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

  // Writes `contents` at offset 0. A failure is kept in Error(); the first one stays.
  void Store(const bus::Image& contents);

  // Empty while every store succeeded; else names the file and the reason.
  [[nodiscard]] const std::string& Error() const { return error_; }
  [[nodiscard]] const std::string& Path() const { return path_; }

 private:
  BoardFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

  std::string path_;
  int fd_;
  std::string error_;
};

}  // namespace sim
