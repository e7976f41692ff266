// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/run_console.h"

#include "console/console_session.h"
#include "console/menu_loop.h"
#include "console/startup.h"

namespace console {

int RunConsole(InputReader& in, ConsoleOutput& out, bus::BusConnection& bus,
               const ConsoleSettings& settings) {
  SystemFileOpener system_files;
  ConsoleSession session{in, out, bus, settings.files != nullptr ? *settings.files : system_files,
                         settings.terminal};
  if (RunStartup(session) == Flow::Continue) {
    RunMenuLoop(session);
  }
  out.Flush();
  return 0;
}

}  // namespace console
