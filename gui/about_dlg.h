// SPDX-License-Identifier: GPL-3.0-or-later
// CAboutDlg: the about box, on dialog template 100, with the port of the device commands and
// where it came from below the version.
#pragma once

#include "gui/shell/dialog_template.h"

namespace plover {

class CAboutDlg : public shell::TemplateDialog {
 public:
  // `port_description`: the lines under the version; none when empty.
  explicit CAboutDlg(const QString& port_description = QString(), QWidget* parent = nullptr);
};

}  // namespace plover
