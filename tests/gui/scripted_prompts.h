// SPDX-License-Identifier: GPL-3.0-or-later
// UserPrompts answered from a script: each file dialog, message box and modal dialog takes the next
// queued reply and is recorded. A prompt with no reply queued fails the test; so does a reply that
// was queued but never asked for.
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "gui/shell/user_prompts.h"

class ScriptedPrompts final : public shell::UserPrompts {
 public:
  ~ScriptedPrompts() override;

  // The next file dialog is confirmed with `path`, or cancelled with std::nullopt.
  void AnswerFileDialog(const std::optional<QString>& path) {
    file_replies_.push_back({path.has_value(), path.value_or(QString())});
  }
  // The next modal dialog runs `script` while shown; its result is the dialog's result.
  void OnModal(std::function<int(QDialog&)> script) { modal_scripts_.push_back(std::move(script)); }

  int ShowMessageBox(const shell::MessageBoxRequest& request) override;
  std::optional<QString> RunFileDialog(const shell::FileDialogRequest& request) override;
  int RunModal(QDialog& dialog) override;

  std::vector<shell::FileDialogRequest> file_dialogs;
  std::vector<shell::MessageBoxRequest> message_boxes;  // every box is answered with OK
  std::vector<QString> modal_dialogs;                   // window titles

 private:
  struct FileReply {
    bool confirmed;
    QString path;
  };
  std::deque<FileReply> file_replies_;
  std::deque<std::function<int(QDialog&)>> modal_scripts_;
};
