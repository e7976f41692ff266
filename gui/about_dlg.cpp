// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/about_dlg.h"

#include "gui/resource_ids.h"
#include "gui/resources.h"

namespace plover {

namespace {

// Template 100 with a label for the port under the version line, beside the icon.
shell::DialogTemplate WithPortLine(const QString& port_description) {
  shell::DialogTemplate about = AboutBoxTemplate();
  if (port_description.isEmpty()) return about;
  about.controls.push_back({shell::ControlKind::StaticText, kAboutPortControl, port_description,
                            QRect(40, 24, 190, 26), shell::kAlignLeft | shell::kNoPrefix});
  return about;
}

}  // namespace

CAboutDlg::CAboutDlg(const QString& port_description, QWidget* parent)
    : shell::TemplateDialog(WithPortLine(port_description), parent) {}

}  // namespace plover
