#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace orvendi::testing {

// What a modal window looked like while it was up.
struct ModalSeen {
  bool seen = false;
  QString object_name;
  QString title;
  QWidget* parent = nullptr;
  QRect geometry;
};

// Runs `open`, which is expected to start a modal window. From inside the modal loop the probe
// records the window, lets `inspect` look at it (and click or type), then closes it with
// `finish` (reject by default). Gives up after `timeout_ms` if nothing modal appears.
inline ModalSeen ProbeModal(const std::function<void()>& open,
                            const std::function<void(QWidget*)>& inspect = {},
                            const std::function<void(QWidget*)>& finish = {}, int timeout_ms = 5000) {
  ModalSeen result;
  QTimer timer;
  QElapsedTimer clock;
  clock.start();
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) {
      if (clock.elapsed() > timeout_ms) timer.stop();
      return;
    }
    timer.stop();
    result.seen = true;
    result.object_name = modal->objectName();
    result.title = modal->windowTitle();
    result.parent = modal->parentWidget();
    result.geometry = modal->geometry();
    if (inspect) inspect(modal);
    QPointer<QWidget> still_open(modal);
    if (!still_open || !still_open->isVisible()) return;
    if (finish) {
      finish(modal);
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    } else {
      modal->close();
    }
  });
  timer.start();
  open();
  timer.stop();
  return result;
}

}  // namespace orvendi::testing
