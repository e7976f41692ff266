// SPDX-License-Identifier: GPL-3.0-or-later
// The application object of a single-document program, and the accessor through which every
// part of the program reaches it.
//
// Exactly one Application is current at a time: the one most recently constructed and not yet
// destroyed. It owns the document, the frame (which owns the view), the user prompts, the string
// table and the settings, and it answers the commands that reach it last in the routing.
#pragma once

#include <QIcon>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "gui/shell/command_target.h"
#include "gui/shell/file_error.h"
#include "gui/shell/recent_files.h"
#include "gui/shell/string_table.h"
#include "gui/shell/user_prompts.h"

namespace shell {

class Document;
class FrameWindow;
class ScrollView;

// What joins the document, its frame and its view.
struct SingleDocTemplate {
  int resource_id = 0;
  std::function<std::unique_ptr<Document>()> create_document;
  std::function<std::unique_ptr<FrameWindow>()> create_frame;
  std::function<ScrollView*()> create_view;  // the frame takes ownership
};

class Application : public CommandTarget {
 public:
  Application(const StringTable& strings, UserPrompts& prompts);
  ~Application() override;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The current application, or nullptr when there is none.
  [[nodiscard]] static Application* Current();

  // Sets the program up; false ends it.
  virtual bool InitInstance() = 0;
  // Called once when the program ends; saves the settings. Returns the exit code.
  virtual int ExitInstance();

  // Start-up steps.
  void SetRegistryKey(const QString& organisation);
  void LoadStdProfileSettings(int recent_file_count);
  void AddDocTemplate(SingleDocTemplate doc_template);
  // Creates the document, the frame and the view of the template, gives the document its
  // "Untitled" title and runs the view's initial update. False when there is no template or the
  // document refuses to start.
  bool ProcessShellCommand();

  [[nodiscard]] FrameWindow* MainWindow() const { return main_window_.get(); }
  [[nodiscard]] Document* ActiveDocument() const { return document_.get(); }
  [[nodiscard]] UserPrompts& Prompts() const { return prompts_; }
  [[nodiscard]] const StringTable& Strings() const { return strings_; }
  [[nodiscard]] QString LoadString(int id) const { return strings_.Load(id); }
  // The application title (string 57344): caption of the shell's own message boxes.
  [[nodiscard]] QString AppTitle() const;
  [[nodiscard]] const QString& RegistryKey() const { return registry_key_; }
  [[nodiscard]] RecentFileList& RecentFiles() { return recent_files_; }

  // The resolution views draw for, when the program (or a test) fixes one.
  [[nodiscard]] const std::optional<QSize>& DpiOverride() const { return dpi_override_; }
  void SetDpiOverride(std::optional<QSize> dpi) { dpi_override_ = dpi; }

  // An icon resource; none by default.
  [[nodiscard]] virtual QIcon LoadIcon(int id) const;

  // A message box owned by the main window (if there is one).
  int MessageBox(const QString& text, const QString& caption, MessageIcon icon,
                 MessageButtons buttons = MessageButtons::Ok);
  // The file-error report: the text for the error's cause with `path` in place of "%1", the
  // exclamation icon, one OK button, the application title as caption.
  void ReportFileError(const FileError& error, const QString& path);

  // Invalidates the whole main window and has it painted at once.
  void RepaintMainWindow();

  // Exit (57665) closes the main window.
  bool OnCommand(CommandId id) override;

 private:
  const StringTable& strings_;
  UserPrompts& prompts_;
  QString registry_key_;
  RecentFileList recent_files_{0};
  bool settings_loaded_ = false;
  std::optional<QSize> dpi_override_;
  std::optional<SingleDocTemplate> doc_template_;
  std::unique_ptr<Document> document_;
  std::unique_ptr<FrameWindow> main_window_;
  Application* previous_ = nullptr;
};

}  // namespace shell
