// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/plover_app.h"

#include <QFileInfo>
#include <array>

#include "gui/about_dlg.h"
#include "gui/main_frame.h"
#include "gui/plover_doc.h"
#include "gui/plover_view.h"
#include "gui/resource_ids.h"
#include "gui/resources.h"

namespace plover {

namespace {

constexpr std::array<shell::CommandEntry<CploverApp>, 1> kCommandMap{{
    {shell::ID_APP_ABOUT, &CploverApp::OnAppAbout},
}};

// Where the main window stands and how large it is, in pixels.
constexpr QPoint kMainWindowPosition{250, 200};
constexpr QSize kMainWindowSize{530, 390};

}  // namespace

CploverApp::CploverApp(shell::UserPrompts& prompts, StartOptions options)
    : shell::Application(StringResources(), prompts), options_(std::move(options)) {
  SetDpiOverride(options_.dpi);
}

bool CploverApp::InitInstance() {
  SetRegistryKey(QString::fromUtf8(kRegistryKey));
  LoadStdProfileSettings(kRecentFileCount);

  AddDocTemplate({kMainFrameResource, [] { return std::make_unique<CploverDoc>(); },
                  [] { return std::make_unique<CMainFrame>(); }, [] { return new CploverView(); }});
  if (!ProcessShellCommand()) return false;

  shell::FrameWindow* frame = MainWindow();
  frame->PlaceWindow(QRect(kMainWindowPosition, kMainWindowSize));
  frame->show();
  frame->repaint();

  // Opened as File > Open opens what its dialog returns: by its absolute path, symbolic links
  // kept, so the current file and the caption do not depend on where the program was started.
  if (!options_.file.isEmpty()) {
    Document()->OpenImageFile(QFileInfo(options_.file).absoluteFilePath());
  }
  return true;
}

bool CploverApp::OnCommand(shell::CommandId id) {
  if (shell::DispatchCommand<CploverApp>(*this, kCommandMap, id)) return true;
  return shell::Application::OnCommand(id);
}

void CploverApp::OnAppAbout() {
  CAboutDlg about(MainWindow());
  Prompts().RunModal(about);
}

QIcon CploverApp::LoadIcon(int id) const {
  return id == kMainFrameResource ? ProgramIcon() : QIcon();
}

bus::BusConnection& CploverApp::Bus() {
  if (bus_ == nullptr) bus_ = std::make_unique<bus::BusConnection>(options_.bus);
  return *bus_;
}

void CploverApp::SetBusConnection(std::unique_ptr<bus::BusConnection> connection) {
  bus_ = std::move(connection);
}

void CploverApp::ReportBusFailure(const bus::BusResult& result) {
  MessageBox(QString::fromStdString(bus::DescribeBusResult(result)),
             LoadString(kMessageCaptionString), shell::MessageIcon::Stop);
}

CploverDoc* CploverApp::Document() const { return static_cast<CploverDoc*>(ActiveDocument()); }

CMainFrame* CploverApp::MainFrame() const { return static_cast<CMainFrame*>(MainWindow()); }

CploverView* CploverApp::View() const {
  return MainWindow() != nullptr ? static_cast<CploverView*>(MainWindow()->GetActiveView())
                                 : nullptr;
}

CploverApp& TheApp() { return *static_cast<CploverApp*>(shell::Application::Current()); }

}  // namespace plover
