// SPDX-License-Identifier: GPL-3.0-or-later
// What plover starts with, from its command line and the choices stored by
// earlier runs.
#pragma once

#include <QString>

#include "gui/command_line.h"
#include "gui/plover_app.h"
#include "gui/stored_choices.h"

namespace plover {

struct StartDecision {
  StartOptions options;
  QString warning;  // for standard error; the program runs on (ends with '\n')
  QString refusal;  // not empty: for standard error, and the program ends with
                    // status 2
};

// The port is --port's when it was given (for this run; nothing is stored),
// else the stored choice when it is still a valid specification here, else the
// default port; a --trace is checked against whichever port that is. Verify
// after Download is as stored.
[[nodiscard]] StartDecision DecideStart(const CommandLine& line, const StoredChoices& stored);

}  // namespace plover
