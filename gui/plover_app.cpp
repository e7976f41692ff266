// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/plover_app.h"

#include <QFileInfo>
#include <array>

#include "gui/about_dlg.h"
#include "gui/main_frame.h"
#include "gui/plover_doc.h"
#include "gui/plover_view.h"
#include "gui/port_dlg.h"
#include "gui/resource_ids.h"
#include "gui/resources.h"
#include "gui/stored_choices.h"
#include "ports/port_listing.h"

namespace plover {

namespace {

constexpr std::array<shell::CommandEntry<CploverApp>, 3> kCommandMap{{
    {shell::ID_APP_ABOUT, &CploverApp::OnAppAbout},
    {ID_TOOLS_VERIFY_AFTER_DOWNLOAD, &CploverApp::OnToolsVerifyAfterDownload},
    {ID_TOOLS_PORT, &CploverApp::OnToolsPort},
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
  frame->SetMenuCheck(ID_TOOLS_VERIFY_AFTER_DOWNLOAD, options_.verify_after_download);
  frame->DragAcceptFiles();
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
  CAboutDlg about(PortDescription(), MainWindow());
  Prompts().RunModal(about);
}

QString CploverApp::PortDescription() const {
  QString origin;
  switch (options_.port_origin) {
    case PortOrigin::Default:
      origin = QStringLiteral("the default port; choose another with Tools > Port...");
      break;
    case PortOrigin::CommandLine:
      origin = QStringLiteral("given with --port, for this run");
      break;
    case PortOrigin::Chosen:
      origin = QStringLiteral("chosen with Tools > Port...");
      break;
  }
  return QStringLiteral("Port: %1\n(%2)")
      .arg(QString::fromStdString(options_.bus.port.Text()), origin);
}

void CploverApp::OnToolsVerifyAfterDownload() {
  options_.verify_after_download = !options_.verify_after_download;
  if (MainWindow() != nullptr) {
    MainWindow()->SetMenuCheck(ID_TOOLS_VERIFY_AFTER_DOWNLOAD, options_.verify_after_download);
  }
  if (!StoreVerifyAfterDownload(options_.verify_after_download)) ReportChoiceNotKept();
}

void CploverApp::OnToolsPort() {
  // The port in use is tested through the connection that holds it (a board file stays locked
  // while it is open); any other through a connection of its own, closed again at once.
  const PortProbe probe = [this](const bus::PortSpec& spec) {
    if (spec.Text() == options_.bus.port.Text()) return Bus().Probe();
    bus::BusConnection connection({spec, std::string(), options_.bus.timing});
    return connection.Probe();
  };
  CPortDlg dialog(ports::FindPorts(options_.roots),
                  QString::fromStdString(options_.bus.port.Text()), probe, MainWindow());
  if (Prompts().RunModal(dialog) != shell::IDOK || !dialog.ChosenSpec()) return;
  const bus::PortSpec& chosen = *dialog.ChosenSpec();
  options_.port_origin = PortOrigin::Chosen;
  if (chosen.Text() != options_.bus.port.Text()) UsePort(chosen);
  if (!StorePortChoice(QString::fromStdString(chosen.Text()))) ReportChoiceNotKept();
}

void CploverApp::ReportChoiceNotKept() {
  MessageBox(QStringLiteral("The choice holds for this run, but it could not be kept for later "
                            "runs: %1 cannot be written.")
                 .arg(StoredChoicesFile()),
             LoadString(kMessageCaptionString), shell::MessageIcon::Exclamation);
}

void CploverApp::UsePort(const bus::PortSpec& spec) {
  bus_.reset();
  options_.bus.port = spec;
  options_.bus.trace_file.clear();
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
