#include "gui/shell/help_window.h"

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

}  // namespace orvendi
