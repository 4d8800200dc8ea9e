#include "core/analysis/progress.h"

#include <utility>

namespace orvendi {

ProgressCallback ProgressPart(const ProgressCallback& whole, double from, double to) {
  return [whole, from, to](double fraction_done) { return whole(from + (to - from) * fraction_done); };
}

ProgressCallback ProgressOf(Progress& progress) {
  return [&progress](double fraction_done) { return progress.Report(fraction_done); };
}

CancelRelay::CancelRelay(ProgressCallback whole, Progress* asked)
    : whole_(std::move(whole)),
      asked_(asked),
      owner_(std::this_thread::get_id()),
      last_poll_(std::chrono::steady_clock::now()) {}

bool CancelRelay::Report(double share) {
  last_poll_ = std::chrono::steady_clock::now();
  if (!whole_(share)) cancelled_.store(true);
  return !cancelled_.load();
}

bool CancelRelay::GoOn() {
  if (asked_ != nullptr && std::this_thread::get_id() == owner_ && !cancelled_.load()) {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_poll_ >= kPollInterval) {
      last_poll_ = now;
      if (!asked_->StillWanted()) cancelled_.store(true);
    }
  }
  return !cancelled_.load(std::memory_order_relaxed);
}

}  // namespace orvendi
