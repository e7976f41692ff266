// SPDX-License-Identifier: GPL-3.0-or-later
// CMainFrame: the main window with its menu, accelerator keys, icon and caption.
#pragma once

#include "gui/shell/frame_window.h"

namespace plover {

class CMainFrame : public shell::FrameWindow {
 public:
  CMainFrame();
};

}  // namespace plover
