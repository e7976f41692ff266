// SPDX-License-Identifier: GPL-3.0-or-later
// CAboutDlg: the about box, on dialog template 100.
#pragma once

#include "gui/shell/dialog_template.h"

namespace plover {

class CAboutDlg : public shell::TemplateDialog {
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace plover
