#include <QApplication>
#include <QIcon>
#include <QMainWindow>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setWindowIcon(QIcon(":/orvendi.svg"));
  QMainWindow window;
  window.setWindowTitle("Orvendi");
  window.resize(900, 650);
  window.show();
  return app.exec();
}
