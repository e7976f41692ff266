// SPDX-License-Identifier: GPL-3.0-or-later
// plover's resources: string table, menu, accelerator keys, icon and dialog templates.
#pragma once

#include <QIcon>
#include <QString>
#include <vector>

#include "gui/shell/dialog_template.h"
#include "gui/shell/frame_window.h"
#include "gui/shell/string_table.h"

namespace plover {

// The file dialogs' filter, default extension and initial name. Data files come first; the other
// formats are those whose names 30p reads and writes as Intel HEX and S-record.
inline constexpr const char* kDataFileFilter =
    "Data files (*.dat)|*.dat|"
    "Intel HEX (*.hex;*.ihex;*.ihx)|*.hex;*.ihex;*.ihx|"
    "S-record (*.srec;*.s19;*.s28;*.s37;*.mot)|*.srec;*.s19;*.s28;*.s37;*.mot|"
    "All files (*.*)|*.*||";
inline constexpr const char* kDataFileExtension = "dat";
inline constexpr const char* kDataFileInitialName = "*.dat";

// The device commands' fixed texts.
inline constexpr const char* kUploadTitle = "Upload";
inline constexpr const char* kDefaultsFileName = "default.dat";
inline constexpr const char* kDownloadCompleted =
    "Download is completed, please reset the switch for the new settings to take effect.";

// The settings' organisation.
inline constexpr const char* kRegistryKey = "Local AppWizard-Generated Applications";
inline constexpr int kRecentFileCount = 4;

[[nodiscard]] const shell::StringTable& StringResources();
[[nodiscard]] const std::vector<shell::PopupResource>& MainMenu();
[[nodiscard]] const std::vector<shell::AcceleratorResource>& MainAccelerators();
[[nodiscard]] const shell::DialogTemplate& AboutBoxTemplate();
// The program icon: a small chip package, in the sizes a window and a dialog use.
[[nodiscard]] QIcon ProgramIcon();

}  // namespace plover
