// SPDX-License-Identifier: GPL-3.0-or-later
// Command targets and their handler tables.
//
// A command is an id. Every object that can answer commands (application, document, frame, view)
// is a CommandTarget and keeps a table of (id, handler) pairs; OnCommand looks the id up and runs
// the handler. Which targets are asked, and in what order, is the frame's routing (frame_window.h).
#pragma once

#include <span>

#include "gui/shell/command_ids.h"

namespace shell {

class CommandTarget {
 public:
  virtual ~CommandTarget() = default;

  // Runs this target's handler for `id`; true when it had one, false to let routing go on.
  virtual bool OnCommand(CommandId id) = 0;

 protected:
  CommandTarget() = default;
  CommandTarget(const CommandTarget&) = default;
  CommandTarget& operator=(const CommandTarget&) = default;
};

template <class Target>
struct CommandEntry {
  CommandId id;
  void (Target::*handler)();
};

// Runs the first entry of `table` whose id is `id`; true when there was one.
template <class Target>
bool DispatchCommand(Target& target, std::span<const CommandEntry<Target>> table, CommandId id) {
  for (const auto& entry : table) {
    if (entry.id == id) {
      (target.*entry.handler)();
      return true;
    }
  }
  return false;
}

}  // namespace shell
