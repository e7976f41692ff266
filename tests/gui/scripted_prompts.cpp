// SPDX-License-Identifier: GPL-3.0-or-later
#include "scripted_prompts.h"

#include <gtest/gtest.h>

#include <QDialog>

#include "gui/shell/command_ids.h"

ScriptedPrompts::~ScriptedPrompts() {
  EXPECT_TRUE(file_replies_.empty()) << file_replies_.size() << " file dialog replies not used";
  EXPECT_TRUE(modal_scripts_.empty()) << modal_scripts_.size() << " modal scripts not used";
}

int ScriptedPrompts::ShowMessageBox(const shell::MessageBoxRequest& request) {
  message_boxes.push_back(request);
  return shell::IDOK;
}

std::optional<QString> ScriptedPrompts::RunFileDialog(const shell::FileDialogRequest& request) {
  file_dialogs.push_back(request);
  if (file_replies_.empty()) {
    ADD_FAILURE() << "a file dialog was opened with no reply scripted";
    return std::nullopt;
  }
  const FileReply reply = file_replies_.front();
  file_replies_.pop_front();
  if (!reply.confirmed) return std::nullopt;
  return reply.path;
}

int ScriptedPrompts::RunModal(QDialog& dialog) {
  modal_dialogs.push_back(dialog.windowTitle());
  if (modal_scripts_.empty()) {
    ADD_FAILURE() << "modal dialog '" << dialog.windowTitle().toStdString()
                  << "' was run with no script";
    return shell::IDCANCEL;
  }
  auto script = std::move(modal_scripts_.front());
  modal_scripts_.pop_front();
  dialog.show();
  const int result = script(dialog);
  dialog.hide();
  return result;
}
