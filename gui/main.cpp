// plover: the windowed programmer of the switch board's configuration EEPROM.
#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "gui/command_line.h"
#include "gui/main_frame.h"
#include "gui/plover_app.h"
#include "gui/resources.h"
#include "gui/shell/user_prompts.h"

namespace {

void Print(std::FILE* stream, const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

}  // namespace

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

  // The command line is read before any window-system connection, so --help and a bad option
  // work without a display.
  const plover::CommandLine command_line = plover::ParseCommandLine(arguments);
  switch (command_line.action) {
    case plover::CommandLineAction::ShowHelp:
    case plover::CommandLineAction::ShowVersion:
      Print(stdout, command_line.text);
      return 0;
    case plover::CommandLineAction::Refuse:
      Print(stderr, command_line.text);
      return plover::kBadCommandLineExit;
    case plover::CommandLineAction::Run:
      break;
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("plover"));
  QApplication::setApplicationVersion(plover::VersionText().section(u' ', 1));

  shell::WidgetPrompts prompts;
  plover::CploverApp the_app(prompts, {command_line.bus, command_line.file, std::nullopt});
  if (!the_app.InitInstance()) return 1;

  if (!command_line.screenshot.isEmpty()) {
    // Let the window settle (layout, first paint), then take it as the window system shows its
    // client area: menu bar and grid, without the decorations.
    QApplication::processEvents();
    const QPixmap picture = the_app.MainWindow()->grab();
    if (!picture.save(command_line.screenshot, "PNG")) {
      Print(stderr, QStringLiteral("plover: cannot write %1\n").arg(command_line.screenshot));
      return 1;
    }
    return 0;
  }

  const int code = QApplication::exec();
  the_app.ExitInstance();
  return code;
}
