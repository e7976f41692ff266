// SPDX-License-Identifier: GPL-3.0-or-later
// What each backend's tests give the life every row of the table gets (backend_lifecycle_test):
// its fake installed at its seam, and its device in the fake machine. A backend registers its
// set-up beside its own tests, so the shared test names no backend.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "ports/port_spec.h"

namespace ports_test {

struct LifecycleSetup {
  // Installs the backend's fake; it stays installed for as long as the result lives. May be
  // empty for a backend driven through the system calls alone.
  std::function<std::shared_ptr<void>()> install;
  // Puts one device of the backend's kind in the machine made of folders at `roots`.
  std::function<void(const ports::SystemRoots& roots)> add_device;
};

// Every set-up registered.
[[nodiscard]] std::vector<LifecycleSetup>& LifecycleSetups();

// Registers a set-up when the test program starts: one static object per backend.
struct RegisterLifecycleSetup {
  explicit RegisterLifecycleSetup(LifecycleSetup setup) {
    LifecycleSetups().push_back(std::move(setup));
  }
};

// Writes `value` and a line break to `file` under the machine, making its folders.
void WriteMachineFile(const std::string& file, const std::string& value);

}  // namespace ports_test
