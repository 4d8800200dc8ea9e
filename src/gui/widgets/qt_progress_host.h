#pragma once

#include <QElapsedTimer>
#include <QString>
#include <memory>

#include "core/platform/host.h"
#include "core/platform/progress.h"

class QProgressDialog;
class QWidget;

namespace orvendi {

// The progress of one long computation, wrapping the window's host for the busy state around it.
// When the computation is still running after `delay_ms`, a modal progress dialog with a Cancel
// button appears and events are processed between reports, so the user can stop it; the
// computation then keeps its previous results. While the progress dialog is up, the mouse is
// handed back from the drawing area and the normal cursor is shown so that Cancel can be clicked;
// restoring the cursor at the end of the busy state closes the dialog.
class ProgressHost : public BusyHost, public Progress {
 public:
  ProgressHost(BusyHost& inner, QWidget* owner, QString label, int delay_ms = 500);
  ~ProgressHost() override;
  ProgressHost(const ProgressHost&) = delete;
  ProgressHost& operator=(const ProgressHost&) = delete;

  void CaptureMouse() override;
  void ReleaseMouse() override;
  void ShowWaitCursor() override;
  void RestoreCursor() override;
  void Invalidate(HostWindow window, const PixelRect* rect, bool erase) override;
  bool Report(double share_done) override;
  bool StillWanted() override;

  // Whether the user asked to stop.
  bool Cancelled() const { return cancelled_; }
  // The progress dialog while it is shown, else null.
  QProgressDialog* ProgressDialog() const { return dialog_.get(); }

 private:
  void ShowProgressDialog();
  void HideProgressDialog();

  BusyHost& inner_;
  QWidget* owner_;
  QString label_;
  int delay_ms_;
  QElapsedTimer clock_;
  std::unique_ptr<QProgressDialog> dialog_;
  bool captured_ = false;
  bool arrow_cursor_pushed_ = false;
  bool cancelled_ = false;
};

}  // namespace orvendi
