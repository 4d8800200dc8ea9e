#include <QApplication>
#include <csignal>

#include "shell/main_window.h"

int main(int argc, char* argv[]) {
  // A floating-point exception never ends the program.
  std::signal(SIGFPE, SIG_IGN);
  QApplication app(argc, argv);
  orvendi::MainWindow window;
  window.show();
  return app.exec();
}
