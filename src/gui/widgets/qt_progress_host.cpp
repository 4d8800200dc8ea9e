#include "gui/widgets/qt_progress_host.h"

#include <QCursor>
#include <QGuiApplication>
#include <QProgressDialog>
#include <cmath>

namespace orvendi {

namespace {
constexpr int kProgressSteps = 1000;
}

ProgressHost::ProgressHost(BusyHost& inner, QWidget* owner, QString label, int delay_ms)
    : inner_(inner), owner_(owner), label_(std::move(label)), delay_ms_(delay_ms) {
  clock_.start();
}

ProgressHost::~ProgressHost() { HideProgressDialog(); }

void ProgressHost::CaptureMouse() {
  inner_.CaptureMouse();
  captured_ = true;
}

void ProgressHost::ReleaseMouse() {
  if (!captured_) return;
  captured_ = false;
  inner_.ReleaseMouse();
}

void ProgressHost::ShowWaitCursor() { inner_.ShowWaitCursor(); }

void ProgressHost::RestoreCursor() {
  HideProgressDialog();
  inner_.RestoreCursor();
}

void ProgressHost::Invalidate(HostWindow window, const PixelRect* rect, bool erase) {
  inner_.Invalidate(window, rect, erase);
}

bool ProgressHost::Report(double share_done) {
  if (cancelled_) return false;
  if (!dialog_ && clock_.elapsed() >= delay_ms_) ShowProgressDialog();
  if (!dialog_) return true;

  const double share = std::isfinite(share_done) ? std::fmin(std::fmax(share_done, 0.0), 1.0) : 0.0;
  const int value = static_cast<int>(share * kProgressSteps);
  if (value != dialog_->value() && value < kProgressSteps) dialog_->setValue(value);
  return StillWanted();
}

bool ProgressHost::StillWanted() {
  if (cancelled_) return false;
  if (!dialog_ && clock_.elapsed() >= delay_ms_) ShowProgressDialog();
  if (!dialog_) return true;
  QCoreApplication::processEvents();
  if (dialog_->wasCanceled()) {
    cancelled_ = true;
    HideProgressDialog();
    return false;
  }
  return true;
}

void ProgressHost::ShowProgressDialog() {
  // The drawing area holds the mouse during the computation; Cancel must be clickable.
  if (captured_) {
    inner_.ReleaseMouse();
    captured_ = false;
  }
  dialog_ = std::make_unique<QProgressDialog>(label_, QStringLiteral("Cancel"), 0, kProgressSteps, owner_);
  dialog_->setWindowModality(Qt::ApplicationModal);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setMinimumDuration(0);
  dialog_->setValue(0);
  dialog_->show();
  QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
  arrow_cursor_pushed_ = true;
  QCoreApplication::processEvents();
}

void ProgressHost::HideProgressDialog() {
  if (arrow_cursor_pushed_) {
    QGuiApplication::restoreOverrideCursor();
    arrow_cursor_pushed_ = false;
  }
  if (dialog_) {
    dialog_->hide();
    dialog_.reset();
  }
}

}  // namespace orvendi
