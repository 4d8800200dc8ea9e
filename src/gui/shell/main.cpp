#include <CLI/CLI.hpp>
#include <QApplication>
#include <QMessageBox>
#include <csignal>
#include <string>

#include "gui/files/design_files.h"
#include "gui/shell/main_window.h"

int main(int argc, char* argv[]) {
  // A floating-point exception never ends the program.
  std::signal(SIGFPE, SIG_IGN);
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Orvendi"));
  QCoreApplication::setApplicationName(QStringLiteral("orvendi"));
  // Lets the desktop match the window to the installed desktop entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("orvendi"));

  // The toolkit has taken its own options out of argv by now.
  CLI::App command_line{"Orvendi: design a magnetic position-measuring system", "orvendi"};
  std::string file;
  command_line.add_option("FILE", file, "A design file (.orvendi) to open");
  try {
    command_line.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return command_line.exit(error);
  }

  orvendi::MainWindow window;
  window.show();
  if (!file.empty()) window.Files().OpenFile(QString::fromLocal8Bit(file.c_str()));
  window.Files().OfferRecovery();
  return app.exec();
}
