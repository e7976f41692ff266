// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ports/lifecycle_setup.h"

#include <filesystem>
#include <fstream>

namespace ports_test {

std::vector<LifecycleSetup>& LifecycleSetups() {
  static std::vector<LifecycleSetup> setups;
  return setups;
}

void WriteMachineFile(const std::string& file, const std::string& value) {
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  std::ofstream(file) << value << "\n";
}

}  // namespace ports_test
