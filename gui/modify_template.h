// SPDX-License-Identifier: GPL-3.0-or-later
// Dialog template 130: the Modify dialog's 128 register fields, their labels and row frames.
#pragma once

#include "gui/shell/dialog_template.h"

namespace plover {

// Field of register i has the control id kFirstRegisterField + i.
inline constexpr int kFirstRegisterField = 1000;
inline constexpr int kRegisterFieldCount = 128;

[[nodiscard]] const shell::DialogTemplate& ModifyDialogTemplate();

}  // namespace plover
