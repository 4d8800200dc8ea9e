#include "core/analysis/progress.h"

#include <utility>

namespace orvendi {

ProgressCallback ProgressPart(const ProgressCallback& whole, double from, double to) {
  return [whole, from, to](double fraction_done) { return whole(from + (to - from) * fraction_done); };
}

ProgressCallback ProgressOf(Progress& progress) {
  return [&progress](double fraction_done) { return progress.Report(fraction_done); };
}

CancelRelay::CancelRelay(ProgressCallback whole, double start)
    : whole_(std::move(whole)),
      owner_(std::this_thread::get_id()),
      last_share_(start),
      last_poll_(std::chrono::steady_clock::now()) {}

bool CancelRelay::Report(double share) {
  last_share_ = share;
  last_poll_ = std::chrono::steady_clock::now();
  if (!whole_(share)) cancelled_.store(true);
  return !cancelled_.load();
}

bool CancelRelay::GoOn() {
  if (std::this_thread::get_id() == owner_ && !cancelled_.load() &&
      std::chrono::steady_clock::now() - last_poll_ >= kPollInterval) {
    return Report(last_share_);
  }
  return !cancelled_.load(std::memory_order_relaxed);
}

}  // namespace orvendi
