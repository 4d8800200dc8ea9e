#pragma once

#include <QTextBrowser>

namespace orvendi {

// The user manual, bundled in the program's resources as HTML.
class HelpWindow : public QTextBrowser {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Shows the manual at its index (contents) and brings the window to the front.
  void ShowIndex();
};

}  // namespace orvendi
