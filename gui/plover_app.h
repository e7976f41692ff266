// SPDX-License-Identifier: GPL-3.0-or-later
// CploverApp: the application object. It owns the image, the read-back buffer and the current file
// name; every other part of the program reaches them through TheApp().
#pragma once

#include <QSize>
#include <QString>
#include <memory>
#include <optional>

#include "bus/bus_connection.h"
#include "bus/image.h"
#include "ports/port_spec.h"
#include "gui/shell/application.h"

namespace plover {

class CMainFrame;
class CploverDoc;
class CploverView;

// Where the port of the device commands came from; the About box says it.
enum class PortOrigin {
  Default,      // neither --port nor a stored choice
  CommandLine,  // --port, for this run only
  Chosen,       // chosen with Tools > Port..., in this run or an earlier one
};

struct StartOptions {
  bus::BusOptions bus;  // the port and trace of the device commands
  PortOrigin port_origin = PortOrigin::Default;
  bool verify_after_download = false;  // Download reads the EEPROM back and verifies it
  QString file;                        // a data file to open at start, as File > Open would
  std::optional<QSize> dpi;            // the resolution to draw for instead of the screen's
  ports::SystemRoots roots;              // where Tools > Port... looks for the machine's ports
};

class CploverApp : public shell::Application {
 public:
  explicit CploverApp(shell::UserPrompts& prompts, StartOptions options = {});

  // Settings, document template, document, frame and view; places and shows the main window and
  // opens the file given at start. False when the window could not be set up.
  bool InitInstance() override;

  bool OnCommand(shell::CommandId id) override;
  void OnAppAbout();
  // Tools > Port...: the port dialog; OK makes its port the one of the device commands from now
  // on and stores it for later runs.
  void OnToolsPort();
  // Tools > Verify after Download: turns the verify after each Download on or off, for this and
  // later runs.
  void OnToolsVerifyAfterDownload();

  [[nodiscard]] QIcon LoadIcon(int id) const override;

  [[nodiscard]] const bus::BusOptions& BusOptions() const { return options_.bus; }
  [[nodiscard]] PortOrigin GetPortOrigin() const { return options_.port_origin; }
  // The port and where it came from, as the About box shows them (two lines).
  [[nodiscard]] QString PortDescription() const;
  [[nodiscard]] bool VerifyAfterDownload() const { return options_.verify_after_download; }
  // Runs the device commands on the port `spec` names from now on. The port in use is closed; a
  // trace ends with it (its file keeps what it recorded), since a new one would overwrite it.
  void UsePort(const bus::PortSpec& spec);
  // The connection of the device commands: one for the application's life, made from
  // BusOptions() at the first use. It opens the port at its first operation and keeps it open.
  [[nodiscard]] bus::BusConnection& Bus();
  // Runs the device commands on `connection` from now on (tests: a port on a virtual board).
  void SetBusConnection(std::unique_ptr<bus::BusConnection> connection);
  // A failed bus operation: the error box with the stop icon and the caption "PLOVER" whose text
  // names the device, the address of a write, and the remedy.
  void ReportBusFailure(const bus::BusResult& result);
  [[nodiscard]] CploverDoc* Document() const;
  [[nodiscard]] CMainFrame* MainFrame() const;
  [[nodiscard]] CploverView* View() const;

  bus::Image EepromImage{};    // the image of the EEPROM; all zero at start
  bus::Image ReadBackImage{};  // what the last verify read from the EEPROM; all zero at start
  QString CurrentFileName;     // where File > Save writes; empty at start

 private:
  // A choice of the Tools menu that the configuration file did not take: the box that says so.
  void ReportChoiceNotKept();

  StartOptions options_;
  std::unique_ptr<bus::BusConnection> bus_;
};

// The current application object. Only valid while a CploverApp exists.
[[nodiscard]] CploverApp& TheApp();

}  // namespace plover
