// SPDX-License-Identifier: GPL-3.0-or-later
// plover: the windowed programmer of the switch board's configuration EEPROM.
#include <QApplication>
#include <QDialog>
#include <QPixmap>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "gui/command_line.h"
#include "gui/main_frame.h"
#include "gui/plover_app.h"
#include "gui/port_dlg.h"
#include "gui/resource_ids.h"
#include "gui/resources.h"
#include "gui/shell/command_ids.h"
#include "gui/shell/user_prompts.h"
#include "gui/start_options.h"
#include "platform/process_guards.h"

namespace {

// Whether all of `text` reached `stream`.
bool Print(std::FILE* stream, const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  const auto size = static_cast<std::size_t>(bytes.size());
  return std::fwrite(bytes.constData(), 1, size, stream) == size && std::fflush(stream) == 0;
}

// Prints the text of --help, --version or --list-ports and gives the exit status: 0 when all of
// it reached standard output, else 1 after saying why on standard error.
int ShowText(const QString& text) {
  errno = 0;
  if (Print(stdout, text)) return 0;
  const QString reason = QString::fromLocal8Bit(std::strerror(errno));
  Print(stderr, QStringLiteral("plover: cannot write standard output: %1\n").arg(reason));
  return 1;
}

// The prompts of a screenshot run, where nobody is there to answer: the first modal dialog is
// shown, written to the picture and ended as if cancelled; message boxes go to standard error;
// file dialogs are cancelled.
class ScreenshotPrompts final : public shell::UserPrompts {
 public:
  explicit ScreenshotPrompts(QString png) : png_(std::move(png)) {}

  int ShowMessageBox(const shell::MessageBoxRequest& request) override {
    Print(stderr, QStringLiteral("plover: %1: %2\n").arg(request.caption, request.text));
    return shell::IDOK;
  }
  std::optional<QString> RunFileDialog(const shell::FileDialogRequest&) override {
    return std::nullopt;
  }
  int RunModal(QDialog& dialog) override {
    if (taken_) return shell::IDCANCEL;
    // The port dialog is taken with the test of the port it shows.
    if (auto* port_dialog = dynamic_cast<plover::CPortDlg*>(&dialog)) port_dialog->OnTest();
    dialog.show();
    QApplication::processEvents();
    saved_ = dialog.grab().save(png_, "PNG");
    taken_ = true;
    dialog.hide();
    return shell::IDCANCEL;
  }

  [[nodiscard]] bool Taken() const { return taken_; }
  [[nodiscard]] bool Saved() const { return saved_; }

 private:
  QString png_;
  bool taken_ = false;
  bool saved_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  platform::UseStartingConsole();
  platform::GuardStandardDescriptors();
  platform::IgnoreOutputSignals();
  QStringList arguments;
  for (const std::string& argument : platform::ProgramArguments(argc, argv)) {
    arguments << QString::fromStdString(argument);
  }

  // The command line is read before any window-system connection, so --help and a bad option
  // work without a display.
  const plover::CommandLine command_line = plover::ParseCommandLine(arguments);
  switch (command_line.action) {
    case plover::CommandLineAction::ShowHelp:
    case plover::CommandLineAction::ShowVersion:
    case plover::CommandLineAction::ListPorts:
      return ShowText(command_line.text);
    case plover::CommandLineAction::Refuse:
      Print(stderr, command_line.text);
      return plover::kBadCommandLineExit;
    case plover::CommandLineAction::Run:
      break;
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("plover"));
  QApplication::setApplicationVersion(plover::VersionText().section(u' ', 1));

  const bool screenshot = !command_line.screenshot.isEmpty();
  shell::WidgetPrompts widget_prompts;
  ScreenshotPrompts screenshot_prompts(command_line.screenshot);
  shell::UserPrompts& prompts =
      screenshot ? static_cast<shell::UserPrompts&>(screenshot_prompts) : widget_prompts;
  // The port: --port for this run, else the one chosen with Tools > Port... in an earlier run.
  const plover::StartDecision start =
      plover::DecideStart(command_line, plover::LoadStoredChoices());
  if (!start.refusal.isEmpty()) {
    Print(stderr, start.refusal);
    return plover::kBadCommandLineExit;
  }
  if (!start.warning.isEmpty()) Print(stderr, start.warning);
  plover::CploverApp the_app(prompts, start.options);
  if (!the_app.InitInstance()) return 1;
  shell::FrameWindow* frame = the_app.MainWindow();

  if (screenshot) {
    // Let the window settle (layout, first paint), run what was asked for, then take the dialog
    // it opened or the window as the window system shows its client area: menu bar and grid,
    // without the decorations.
    QApplication::processEvents();
    if (command_line.program_defaults) frame->RouteCommand(plover::ID_PROGRAM_DEFAULTS);
    if (command_line.screenshot_command != 0) frame->RouteCommand(command_line.screenshot_command);
    bool saved = screenshot_prompts.Saved();
    if (!screenshot_prompts.Taken()) {
      QApplication::processEvents();
      saved = frame->grab().save(command_line.screenshot, "PNG");
    }
    if (!saved) {
      Print(stderr, QStringLiteral("plover: cannot write %1\n").arg(command_line.screenshot));
      return 1;
    }
    return 0;
  }

  // Program defaults runs once the main window is up, as if its command had just arrived.
  if (command_line.program_defaults) {
    QTimer::singleShot(0, frame, [frame] { frame->RouteCommand(plover::ID_PROGRAM_DEFAULTS); });
  }

  const int code = QApplication::exec();
  the_app.ExitInstance();
  return code;
}
