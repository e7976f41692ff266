// SPDX-License-Identifier: GPL-3.0-or-later
// Command and control identifiers that the shell itself knows: the standard file, application,
// editing and pane commands, and the reply codes of message boxes and modal dialogs.
//
// The numbers are the ones the program's menus, accelerators and handler tables are written in;
// a command is nothing but its number until a target's handler table claims it.
#pragma once

namespace shell {

using CommandId = int;

// Replies of message boxes and modal dialogs; IDOK and IDCANCEL are also the ids of the buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Id shared by the static controls of a dialog that nobody addresses.
inline constexpr int kUnaddressedControl = -1;

// File and application commands.
inline constexpr CommandId ID_FILE_NEW = 57600;
inline constexpr CommandId ID_FILE_OPEN = 57601;
inline constexpr CommandId ID_FILE_SAVE = 57603;
inline constexpr CommandId ID_FILE_SAVE_AS = 57604;
inline constexpr CommandId ID_APP_ABOUT = 57664;
inline constexpr CommandId ID_APP_EXIT = 57665;

// Editing and pane commands of the standard accelerator keys. No target in the program handles
// them.
inline constexpr CommandId ID_EDIT_COPY = 57634;
inline constexpr CommandId ID_EDIT_CUT = 57635;
inline constexpr CommandId ID_EDIT_PASTE = 57637;
inline constexpr CommandId ID_EDIT_UNDO = 57643;
inline constexpr CommandId ID_NEXT_PANE = 57680;
inline constexpr CommandId ID_PREV_PANE = 57681;

// Standard string-table entries the shell reads.
inline constexpr int kAppTitleString = 57344;  // the application title
inline constexpr int kUntitledString = 61443;  // title of a document that has no name yet

}  // namespace shell
