#pragma once

#include <QTextBrowser>

class QKeyEvent;

namespace orvendi {

// The user manual, bundled in the program's resources as HTML. Escape and Ctrl+W close it.
class HelpWindow : public QTextBrowser {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Shows the manual at its index (contents) and brings the window to the front.
  void ShowIndex();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace orvendi
