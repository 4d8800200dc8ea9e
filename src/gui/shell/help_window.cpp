#include "gui/shell/help_window.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QUrl>

namespace orvendi {

HelpWindow::HelpWindow(QWidget* parent) : QTextBrowser(parent) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Orvendi Help"));
  setWindowFlag(Qt::Window);
  setOpenExternalLinks(false);
  resize(640, 720);
}

void HelpWindow::ShowIndex() {
  const QUrl index(QStringLiteral("qrc:/help/index.html"));
  if (source() != index) {
    setSource(index);
  } else {
    scrollToAnchor(QString());
    verticalScrollBar()->setValue(0);
  }
  show();
  raise();
  activateWindow();
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
  const bool control_w = event->key() == Qt::Key_W && event->modifiers() == Qt::ControlModifier;
  if (event->key() == Qt::Key_Escape || control_w) {
    close();
    return;
  }
  QTextBrowser::keyPressEvent(event);
}

}  // namespace orvendi
