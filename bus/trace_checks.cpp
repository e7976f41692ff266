// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/trace_checks.h"

#include <sys/stat.h>

#include "bus/trace_port.h"

namespace bus {
namespace {

bool SameFile(const struct stat& one, const std::string& other_path) {
  struct stat other {};
  return ::stat(other_path.c_str(), &other) == 0 && one.st_dev == other.st_dev &&
         one.st_ino == other.st_ino;
}

}  // namespace

std::string TraceProblem(const std::string& trace, const PortSpec& port,
                         const std::vector<ProgramFile>& files) {
  if (IsVcdTraceName(trace) && !port.DrivesLines()) {
    return "--trace " + trace + ": a VCD trace draws the bus lines, and through an I2C adapter "
           "the programs do not drive them; name a text trace instead (a name not ending in "
           ".vcd)";
  }
  struct stat traced {};
  if (::stat(trace.c_str(), &traced) != 0) {
    return {};  // a new file: it can be nothing the program reads
  }
  std::vector<ProgramFile> all = files;
  for (const std::string& kept : port.kept_files) all.push_back({kept, "the board file"});
  for (const ProgramFile& file : all) {
    if (SameFile(traced, file.path)) {
      return "--trace " + trace + " is the same file as " + file.role + " " + file.path +
             ", which the trace would overwrite; name another trace file";
    }
  }
  return {};
}

}  // namespace bus
