#include <QApplication>
#include <csignal>

#include "shell/main_window.h"

int main(int argc, char* argv[]) {
  // A floating-point exception never ends the program.
  std::signal(SIGFPE, SIG_IGN);
  QApplication app(argc, argv);
  // Lets the desktop match the window to the installed desktop entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("orvendi"));
  orvendi::MainWindow window;
  window.show();
  return app.exec();
}
