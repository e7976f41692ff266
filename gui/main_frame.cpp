#include "gui/main_frame.h"

#include "gui/resource_ids.h"
#include "gui/resources.h"

namespace plover {

CMainFrame::CMainFrame() : shell::FrameWindow(StringResources().Load(IDS_FRAME_TITLE)) {
  LoadFrame(MainMenu(), MainAccelerators());
  setWindowIcon(ProgramIcon());
}

}  // namespace plover
