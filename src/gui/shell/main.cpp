#include <CLI/CLI.hpp>
#include <QApplication>
#include <QMessageBox>
#include <csignal>
#include <string>

#include "gui/files/design_files.h"
#include "gui/files/file_system_path.h"
#include "gui/shell/main_window.h"

namespace {

void DescribeCommandLine(CLI::App& command_line, std::string& file) {
  command_line.add_option("FILE", file, "A design file (.orvendi) to open");
  command_line.set_version_flag("--version", std::string("orvendi ") + ORVENDI_VERSION);
}

constexpr const char* kDescription = "Orvendi: design a magnetic position-measuring system";

}  // namespace

int main(int argc, char* argv[]) {
  // A floating-point exception never ends the program.
  std::signal(SIGFPE, SIG_IGN);

  std::string file;
  {
    // --help and --version are answered before the toolkit starts, which needs a display. Its
    // own options are still in argv here; every other verdict waits until they are gone.
    CLI::App early{kDescription, "orvendi"};
    early.allow_extras();
    DescribeCommandLine(early, file);
    try {
      early.parse(argc, argv);
    } catch (const CLI::Success& answer) {
      return early.exit(answer);
    } catch (const CLI::ParseError&) {
    }
  }
  file.clear();

  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Orvendi"));
  QCoreApplication::setApplicationName(QStringLiteral("orvendi"));
  // Lets the desktop match the window to the installed desktop entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("orvendi"));

  // The toolkit has taken its own options out of argv by now.
  CLI::App command_line{kDescription, "orvendi"};
  DescribeCommandLine(command_line, file);
  try {
    command_line.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return command_line.exit(error);
  }

  orvendi::MainWindow window;
  window.show();
  if (!file.empty()) window.Files().OpenFile(orvendi::PathFromFileSystem(file));
  window.Files().OfferRecovery();
  return app.exec();
}
