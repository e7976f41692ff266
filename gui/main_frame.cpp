// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/main_frame.h"

#include "gui/resource_ids.h"
#include "gui/resources.h"

namespace plover {

CMainFrame::CMainFrame() : shell::FrameWindow(StringResources().Load(kFrameTitleString)) {
  LoadFrame(MainMenu(), MainAccelerators());
  setWindowIcon(ProgramIcon());
}

}  // namespace plover
