// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/about_dlg.h"

#include "gui/resources.h"

namespace plover {

CAboutDlg::CAboutDlg(QWidget* parent) : shell::TemplateDialog(AboutBoxTemplate(), parent) {}

}  // namespace plover
