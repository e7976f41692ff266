// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/document.h"

#include "gui/shell/frame_window.h"

namespace shell {

void Document::SetTitle(const QString& title) {
  title_ = title;
  if (frame_ != nullptr) frame_->OnUpdateFrameTitle();
}

}  // namespace shell
