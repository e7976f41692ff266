// SPDX-License-Identifier: GPL-3.0-or-later
// The document of a single-document program: a command target whose title the frame shows.
#pragma once

#include <QString>

#include "gui/shell/command_target.h"

namespace shell {

class FrameWindow;

class Document : public CommandTarget {
 public:
  Document() = default;
  ~Document() override = default;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  [[nodiscard]] const QString& GetTitle() const { return title_; }
  // Sets the title; the frame that shows the document rewrites its caption at once.
  virtual void SetTitle(const QString& title);

  // Prepares a new, empty document when the program starts; false stops the start.
  virtual bool OnNewDocument() { return true; }
  // Opens the file at `path` (a file dropped on the frame); false when it was not opened. The
  // document reports its own failures.
  virtual bool OnOpenDocument(const QString& /*path*/) { return false; }

  bool OnCommand(CommandId) override { return false; }

  void AttachFrame(FrameWindow* frame) { frame_ = frame; }
  [[nodiscard]] FrameWindow* Frame() const { return frame_; }

 private:
  QString title_;
  FrameWindow* frame_ = nullptr;
};

}  // namespace shell
