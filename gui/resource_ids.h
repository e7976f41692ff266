// SPDX-License-Identifier: GPL-3.0-or-later
// Resource and command numbers of plover.
#pragma once

#include "gui/shell/command_ids.h"

namespace plover {

using shell::CommandId;

// The main frame's menu, accelerators, icon and document template string.
inline constexpr int kMainFrameResource = 128;

// Dialog templates.
inline constexpr int kAboutBoxTemplate = 100;
inline constexpr int kModifyTemplate = 130;
inline constexpr int kVerifyTemplate = 131;
// The about box's line naming the port of the device commands.
inline constexpr int kAboutPortControl = 1001;

// Tools commands and program defaults, answered by the document.
inline constexpr CommandId ID_TOOLS_VERIFY = 32772;
inline constexpr CommandId ID_TOOLS_UPLOAD = 32773;
inline constexpr CommandId ID_TOOLS_DOWNLOAD = 32774;
inline constexpr CommandId ID_TOOLS_MODIFY = 32775;
inline constexpr CommandId ID_PROGRAM_DEFAULTS = 32776;

// The Tools menu's settings, answered by the application: whether Download reads the EEPROM back
// and verifies it, and the port dialog.
inline constexpr CommandId ID_TOOLS_VERIFY_AFTER_DOWNLOAD = 32777;
inline constexpr CommandId ID_TOOLS_PORT = 32778;

// Strings.
inline constexpr int kFrameTitleString = kMainFrameResource;    // "PLOVER"
inline constexpr int kAppTitleString = shell::kAppTitleString;  // "plover"
inline constexpr int kMessageCaptionString = 61204;             // "PLOVER"
inline constexpr int kUntitledString = shell::kUntitledString;  // "Untitled"

}  // namespace plover
