// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/application.h"

#include "gui/shell/document.h"
#include "gui/shell/frame_window.h"
#include "gui/shell/scroll_view.h"

namespace shell {

namespace {
Application* g_current = nullptr;
}  // namespace

Application::Application(const StringTable& strings, UserPrompts& prompts)
    : strings_(strings), prompts_(prompts), previous_(g_current) {
  g_current = this;
}

Application::~Application() {
  // The frame and view go first; they may still reach the application while being destroyed.
  main_window_.reset();
  document_.reset();
  if (g_current == this) g_current = previous_;
}

Application* Application::Current() { return g_current; }

int Application::ExitInstance() {
  if (settings_loaded_) recent_files_.Save(registry_key_, AppTitle());
  return 0;
}

void Application::SetRegistryKey(const QString& organisation) { registry_key_ = organisation; }

void Application::LoadStdProfileSettings(int recent_file_count) {
  recent_files_ = RecentFileList(recent_file_count);
  recent_files_.Load(registry_key_, AppTitle());
  settings_loaded_ = true;
}

void Application::AddDocTemplate(SingleDocTemplate doc_template) {
  doc_template_ = std::move(doc_template);
}

bool Application::ProcessShellCommand() {
  if (!doc_template_) return false;
  document_ = doc_template_->create_document();
  if (document_ == nullptr || !document_->OnNewDocument()) {
    document_.reset();
    return false;
  }
  main_window_ = doc_template_->create_frame();
  ScrollView* view = doc_template_->create_view();
  view->AttachDocument(document_.get());
  main_window_->SetView(view);
  main_window_->SetDocument(document_.get());
  document_->SetTitle(LoadString(kUntitledString));
  view->OnInitialUpdate();
  return true;
}

QString Application::AppTitle() const { return LoadString(kAppTitleString); }

QIcon Application::LoadIcon(int) const { return {}; }

int Application::MessageBox(const QString& text, const QString& caption, MessageIcon icon,
                            MessageButtons buttons) {
  MessageBoxRequest request;
  request.owner = main_window_.get();
  request.text = text;
  request.caption = caption;
  request.icon = icon;
  request.buttons = buttons;
  return prompts_.ShowMessageBox(request);
}

void Application::ReportFileError(const FileError& error, const QString& path) {
  MessageBox(error.text.isEmpty() ? FileErrorText(error.cause, path) : error.text, AppTitle(),
             MessageIcon::Exclamation);
}

void Application::RepaintMainWindow() {
  if (main_window_ == nullptr) return;
  // The whole window, the view and every other part of it included, painted before returning.
  main_window_->repaint();
  for (QWidget* part : main_window_->findChildren<QWidget*>()) {
    if (part->isVisible()) part->repaint();
  }
}

bool Application::OnCommand(CommandId id) {
  if (id == ID_APP_EXIT) {
    if (main_window_ != nullptr) main_window_->close();
    return true;
  }
  return false;
}

}  // namespace shell
