// Resource and command numbers of plover.
#pragma once

#include "gui/shell/command_ids.h"

namespace plover {

using shell::CommandId;

// The main frame's menu, accelerators, icon and document template string.
inline constexpr int IDR_MAINFRAME = 128;

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_MODIFY = 130;
inline constexpr int IDD_VERIFY = 131;

// Tools commands and program defaults, answered by the document.
inline constexpr CommandId ID_TOOLS_VERIFY = 32772;
inline constexpr CommandId ID_TOOLS_UPLOAD = 32773;
inline constexpr CommandId ID_TOOLS_DOWNLOAD = 32774;
inline constexpr CommandId ID_TOOLS_MODIFY = 32775;
inline constexpr CommandId ID_PROGRAM_DEFAULTS = 32776;

// Strings.
inline constexpr int IDS_FRAME_TITLE = IDR_MAINFRAME;           // "PLOVER"
inline constexpr int IDS_APP_TITLE = shell::AFX_IDS_APP_TITLE;  // "plover"
inline constexpr int IDS_MESSAGE_CAPTION = 61204;               // "PLOVER"
inline constexpr int IDS_UNTITLED = shell::AFX_IDS_UNTITLED;    // "Untitled"

}  // namespace plover
