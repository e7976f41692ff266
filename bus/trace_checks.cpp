// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/trace_checks.h"

#include "files/file_identity.h"
#include "bus/trace_port.h"

namespace bus {

std::vector<ProgramFile> PortFiles(const PortSpec& port) {
  std::vector<ProgramFile> files;
  for (const std::string& kept : port.kept_files) files.push_back({kept, "the board file"});
  if (!port.device_node.empty()) {
    files.push_back({port.device_node, "the port's device node"});
  }
  return files;
}

const ProgramFile* SameFileAmong(const std::string& name, const std::vector<ProgramFile>& files) {
  const files::FileIdentity identity = files::IdentifyFile(name);
  for (const ProgramFile& file : files) {
    if (files::IdentifyFile(file.path) == identity) return &file;
  }
  return nullptr;
}

std::string TraceProblem(const std::string& trace, const PortSpec& port,
                         const std::vector<ProgramFile>& files) {
  if (IsVcdTraceName(trace) && !port.DrivesLines()) {
    return "--trace " + trace + ": a VCD trace draws the bus lines, and through an I2C adapter "
           "the programs do not drive them; name a text trace instead (a name not ending in "
           ".vcd)";
  }
  std::vector<ProgramFile> all = files;
  for (ProgramFile& file : PortFiles(port)) all.push_back(std::move(file));
  if (const ProgramFile* same = SameFileAmong(trace, all)) {
    return "--trace " + trace + " is the same file as " + same->role + " " + same->path +
           ", which the trace would overwrite; name another trace file";
  }
  return {};
}

}  // namespace bus
